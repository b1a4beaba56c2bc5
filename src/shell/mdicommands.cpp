// The main window's commands: one table gives each command its menu item, its toolbar button
// and its handler. A command's one QAction is its menu item; its toolbar button follows it and
// its popup items run it. Also the enabling of the commands, recording, the View toggles and Help.
#include "frmMDI.h"

#include "panelkit/AppState.h"
#include "panelkit/frmPopupmenu.h"
#include "panelkit/iconset.h"
#include "panelkit/logfindbar.h"
#include "panelkit/textops.h"
#include "services/platform.h"
#include "startup.h"
#include "tools/frmWatch.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {

enum CommandFlag : unsigned {
    NoFlags = 0,
    Checkable = 1, // a check mark, checked at creation
    StartsDisabled = 2,
};

// A menu of the menu bar; its items are named <itemPrefix>_<position>, separators counted.
struct MenuRow {
    const char *name;
    const char *caption;
    const char *itemPrefix;
};

const MenuRow kMenus[] = {
    {"mnuFile", "&File", "mnuFileItem"},    {"mnuEdit", "&Edit", "mnuEditItem"},
    {"mnuView", "&View", "mnuViewItem"},    {"mnuWindow", "&Window", "mnuWindowItem"},
    {"mnuTools", "&Tools", "mnuToolsItem"}, {"mnuHelp", "&Help", "mnuHelpItem"},
};
static_assert(std::size(kMenus) == static_cast<size_t>(MenuId::Count));

// The row of a separator in the command table.
constexpr Command kSeparator = Command::Count;

// A text popup item and the command it runs.
struct PopupRoute {
    int item;
    Command id;
};
const PopupRoute kTextPopupRoutes[] = {
    {TextPopupCut, Command::Cut},
    {TextPopupCopy, Command::Copy},
    {TextPopupPaste, Command::Paste},
    {TextPopupExportLog, Command::ExportLog},
};

} // namespace

struct frmMDI::CommandRow {
    Command id; // kSeparator for a separator
    MenuId menu;
    const char *caption;
    unsigned flags;
    void (frmMDI::*run)();
};

// A toolbar button (key null: a separator). A button without a click handler follows its
// command's action: it is enabled when the action is and runs the command's handler. The
// recording buttons stay enabled and show the recorder's mode by their pressed state while the
// menu items are enabled by it, so their click handlers decide what a click means.
struct frmMDI::ButtonRow {
    Command id;
    const char *key;
    const char *tip;
    const char *image;
    void (frmMDI::*click)(bool);
    bool twoState;
};

// The commands in menu order. A new command: a name in Command (mdicommands.h), a row here at its
// place in its menu, and, for a toolbar button, a row in the toolbar table below.
const frmMDI::CommandRow frmMDI::kCommandTable[] = {
    {Command::ExportLog, MenuId::File, "Export &Log...", NoFlags, &frmMDI::exportLog},
    {Command::ExportScript, MenuId::File, "Export &Script...", NoFlags, &frmMDI::exportScript},
    {Command::ExportKSF, MenuId::File, "Export &KSF...", StartsDisabled, &frmMDI::exportKSF},
    {kSeparator, MenuId::File, "-", NoFlags, nullptr},
    {Command::Exit, MenuId::File, "E&xit", NoFlags, &frmMDI::exitProgram},

    {Command::DeleteObject, MenuId::Edit, "&Delete Object", NoFlags, &frmMDI::deleteSelected},
    {kSeparator, MenuId::Edit, "-", NoFlags, nullptr},
    {Command::ClearLog, MenuId::Edit, "Clear &Log", NoFlags, &frmMDI::clearLog},
    {kSeparator, MenuId::Edit, "-", NoFlags, nullptr},
    {Command::Cut, MenuId::Edit, "Cu&t", NoFlags, &frmMDI::cutText},
    {Command::Copy, MenuId::Edit, "&Copy", NoFlags, &frmMDI::copyText},
    {Command::Paste, MenuId::Edit, "&Paste", NoFlags, &frmMDI::pasteText},
    {kSeparator, MenuId::Edit, "-", NoFlags, nullptr},
    {Command::StartRecording, MenuId::Edit, "&Start Recording", NoFlags, &frmMDI::startRecording},
    {Command::PauseRecording, MenuId::Edit, "P&ause Recording", StartsDisabled, &frmMDI::pauseRecording},
    {Command::StopRecording, MenuId::Edit, "St&op Recording", StartsDisabled, &frmMDI::stopRecording},

    {Command::ShowObject, MenuId::View, "&Show Object", NoFlags, &frmMDI::showSelected},
    {kSeparator, MenuId::View, "-", NoFlags, nullptr},
    {Command::ObjectWindow, MenuId::View, "&Object Window", Checkable, &frmMDI::toggleObjectWindow},
    {Command::LogWindow, MenuId::View, "&Log Window", Checkable, &frmMDI::toggleLogWindow},

    {Command::Cascade, MenuId::Window, "&Cascade", NoFlags, &frmMDI::cascadeWindows},
    {Command::CloseAll, MenuId::Window, "C&lose All", NoFlags, &frmMDI::closeAllWindows},

    {Command::UsersGuide, MenuId::Help, "&User's Guide...", NoFlags, &frmMDI::showUsersGuide},
    {Command::Version, MenuId::Help, "&Version...", NoFlags, &frmMDI::showVersion},
};

// The toolbar, in order.
const frmMDI::ButtonRow frmMDI::kToolbar[] = {
    {Command::ShowObject, "btnShow", "Show", "SHOW", nullptr, false},
    {Command::DeleteObject, "btnDelete", "Delete", "DELETE", nullptr, false},
    {Command::Cut, "btnCut", "Cut", "CUT", nullptr, false},
    {Command::Copy, "btnCopy", "Copy", "COPY", nullptr, false},
    {Command::Paste, "btnPaste", "Paste", "PASTE", nullptr, false},
    {kSeparator, nullptr, nullptr, nullptr, nullptr, false},
    {Command::StartRecording, "btnRecStart", "Start Recording", "RECSTART", &frmMDI::recStartClicked, true},
    {Command::PauseRecording, "btnRecPause", "Pause Recording", "RECPAUSE", &frmMDI::recPauseClicked, true},
    {Command::StopRecording, "btnRecStop", "Stop Recording", "RECSTOP", &frmMDI::recStopClicked, false},
};

const frmMDI::CommandRow *frmMDI::commandRow(Command id)
{
    for (const CommandRow &row : kCommandTable) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

// ---- menus, toolbar, popups ------------------------------------------------------------------

void frmMDI::buildMenus()
{
    for (size_t m = 0; m < std::size(kMenus); ++m) {
        const MenuRow &def = kMenus[m];
        QMenu *menu = menuBar()->addMenu(QString::fromUtf8(def.caption));
        menu->setObjectName(QLatin1String(def.name));
        if (static_cast<MenuId>(m) == MenuId::Tools)
            m_tools = menu; // filled by the additions beyond the classic menus (watch, log file...)
        int position = 0;
        for (const CommandRow &row : kCommandTable) {
            if (row.menu != static_cast<MenuId>(m))
                continue;
            QAction *a = row.id == kSeparator ? menu->addSeparator() : menu->addAction(QString::fromUtf8(row.caption));
            a->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(def.itemPrefix)).arg(position++));
            if (row.id == kSeparator)
                continue;
            m_commands[static_cast<int>(row.id)] = a;
            a->setCheckable(row.flags & Checkable);
            a->setChecked(row.flags & Checkable);
            a->setEnabled(!(row.flags & StartsDisabled));
            connect(a, &QAction::triggered, this, [this, id = row.id] { runCommand(id); });
        }
    }
    buildToolsMenu();
}

void frmMDI::buildToolsMenu()
{
    QAction *watch = m_tools->addAction(QStringLiteral("&Watch..."), this, [this] { frmWatch::open(this); });
    watch->setObjectName(QStringLiteral("mnuToolsWatch"));
    QAction *find = m_tools->addAction(QStringLiteral("Find in the &Log"));
    find->setObjectName(QStringLiteral("mnuToolsFindLog"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        if (!m_logPart->isVisible() && isVisible())
            command(Command::LogWindow)->trigger(); // the log window comes back to show the bar
        m_logFind->open();
    });
    // "Log to &File..." follows once the log writer has its pane (loadSequence).
}

void frmMDI::buildToolbar()
{
    auto *bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("tlbar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    for (const ButtonRow &row : kToolbar) {
        if (!row.key) {
            bar->addSeparator();
            continue;
        }
        const QString tip = QString::fromUtf8(row.tip);
        QAction *action = bar->addAction(zelIcon(QLatin1String(row.image)), tip);
        action->setCheckable(row.twoState);
        if (!row.click) {
            // The button follows its command's action: its enabled state, and a click runs it.
            // (The image stays on the button's own action: one on the menu item's would widen the menu.)
            QAction *shown = command(row.id);
            action->setEnabled(shown->isEnabled());
            connect(shown, &QAction::enabledChanged, action, &QAction::setEnabled);
            connect(action, &QAction::triggered, this, [this, id = row.id] { runCommand(id); });
        }
        action->setToolTip(tip);
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action));
        button->setObjectName(QLatin1String(row.key));
        m_buttons[static_cast<int>(row.id)] = button;
        if (row.click)
            connect(button, &QToolButton::clicked, this,
                    [this, click = row.click](bool pressed) { (this->*click)(pressed); });
    }
}

void frmMDI::connectPopups()
{
    frmPopupmenu *popup = app().popup;
    // The tree's popup reaches SelectPopupMenu through the popup holder.
    for (const PopupRoute &route : kTextPopupRoutes)
        connect(popup->txtItems[route.item], &QAction::triggered, this, [this, id = route.id] { runCommand(id); });
    // The text popup's Clear &Log empties the box it was opened on.
    connect(popup->txtItems[TextPopupClear], &QAction::triggered, this, [] { textops::clear(app().textTarget); });
}

void frmMDI::runCommand(Command id)
{
    if (const CommandRow *row = commandRow(id))
        (this->*row->run)();
}

void frmMDI::SelectPopupMenu(int index)
{
    if (index == TreePopupShow)
        runCommand(Command::ShowObject);
    else if (index == TreePopupDelete)
        runCommand(Command::DeleteObject);
}

void frmMDI::textPopup(QWidget *textBox, Qt::MouseButton button)
{
    AppState &a = app();
    a.textTarget = textBox;
    if (button != Qt::RightButton || !a.popup)
        return;
    bool selected = textops::hasSelection(textBox);
    bool readOnly = textops::isReadOnly(textBox);
    a.popup->txtItems[TextPopupCut]->setEnabled(selected && !readOnly);
    a.popup->txtItems[TextPopupCopy]->setEnabled(selected);
    a.popup->txtItems[TextPopupPaste]->setEnabled(!readOnly);
    bool onLog = textBox == m_log;
    for (int i = TextPopupLogFirst; i <= TextPopupLogLast; ++i)
        a.popup->txtItems[i]->setVisible(onLog);
    textBox->setFocus();
    a.popup->popupText();
}

// ---- handlers ----------------------------------------------------------------------------------

void frmMDI::deleteSelected()
{
    // The engine's and the status monitor's nodes are never deleted.
    if (QTreeWidgetItem *n = m_tree->currentItem(); n && n != m_node1 && n != m_node2)
        DeleteForm(n);
}

void frmMDI::showSelected()
{
    ShowForm(m_tree->currentItem());
}
void frmMDI::clearLog()
{
    m_log->clear();
}
void frmMDI::cutText()
{
    textops::cut(app().textTarget);
}
void frmMDI::copyText()
{
    textops::copy(app().textTarget);
}
void frmMDI::pasteText()
{
    textops::paste(app().textTarget);
}
void frmMDI::toggleObjectWindow()
{
    setObjectWindowVisible(command(Command::ObjectWindow)->isChecked());
}
void frmMDI::toggleLogWindow()
{
    setLogWindowVisible(command(Command::LogWindow)->isChecked());
}
void frmMDI::cascadeWindows()
{
    m_mdi->cascadeSubWindows();
}

// ---- activity check, enabling ----------------------------------------------------------------

frmMDI::Enabling frmMDI::computeEnabling() const
{
    Enabling e;
    QTreeWidgetItem *node = m_tree->isVisible() ? m_tree->currentItem() : nullptr;
    e.show = node != nullptr;
    e.del = node && node != m_node1 && node != m_node2;
    if (QWidget *target = hasApp() ? app().textTarget.data() : nullptr) {
        bool selected = textops::hasSelection(target);
        bool readOnly = textops::isReadOnly(target);
        e.copy = selected;
        e.cut = selected && !readOnly;
        e.paste = !readOnly;
    }
    return e;
}

void frmMDI::activityCheck()
{
    if (!hasApp())
        return;
    AppState &a = app();
    // While the text popup is open it keeps the box it was opened on as the target.
    if (!(a.popup && a.popup->mnuTxtPopup->isVisible()))
        a.textTarget = textops::textTargetFor(QApplication::focusWidget());
    // The buttons and items change only when their state does. After a second without any
    // change the check rests until the user does something, so an idle program costs nothing.
    if (m_enablingKnown && computeEnabling() == m_lastEnabling) {
        if (++m_quietChecks >= kQuietChecksBeforeRest)
            m_activeCheck->stop();
        return;
    }
    m_quietChecks = 0;
    refreshCommands();
}

void frmMDI::wakeActivityCheck()
{
    m_quietChecks = 0;
    if (!m_activeCheck->isActive() && !m_closing)
        m_activeCheck->start();
}

void frmMDI::refreshCommands()
{
    const Enabling e = computeEnabling();
    const std::pair<Command, bool> states[] = {
        {Command::ShowObject, e.show}, {Command::DeleteObject, e.del}, {Command::Cut, e.cut},
        {Command::Copy, e.copy},       {Command::Paste, e.paste},
    };
    for (const auto &[id, enabled] : states)
        command(id)->setEnabled(enabled);
    m_lastEnabling = e;
    m_enablingKnown = true;
}

// ---- recording -----------------------------------------------------------------------------------

void frmMDI::showRecordMode(int mode)
{
    command(Command::StartRecording)->setEnabled(mode != clsScriptGen::Recording);
    command(Command::PauseRecording)->setEnabled(mode == clsScriptGen::Recording);
    command(Command::StopRecording)->setEnabled(mode != clsScriptGen::Stopped);
    m_buttons[static_cast<int>(Command::StartRecording)]->setChecked(mode == clsScriptGen::Recording);
    m_buttons[static_cast<int>(Command::PauseRecording)]->setChecked(mode == clsScriptGen::Paused);
}

void frmMDI::startRecording()
{
    showRecordMode(clsScriptGen::Recording);
    app().script.RecStart();
}

void frmMDI::pauseRecording()
{
    showRecordMode(clsScriptGen::Paused);
    app().script.RecPause();
}

void frmMDI::stopRecording()
{
    showRecordMode(clsScriptGen::Stopped);
    app().script.RecStop();
}

void frmMDI::recStartClicked(bool pressed)
{
    if (!pressed)
        m_buttons[static_cast<int>(Command::StartRecording)]->setChecked(true); // a click never releases it
    else
        startRecording();
}

void frmMDI::recPauseClicked(bool pressed)
{
    if (!pressed || app().script.RecMode() != clsScriptGen::Recording)
        m_buttons[static_cast<int>(Command::PauseRecording)]->setChecked(false);
    else
        pauseRecording();
}

void frmMDI::recStopClicked(bool)
{
    if (app().script.RecMode() != clsScriptGen::Stopped)
        stopRecording();
}

// ---- view ----------------------------------------------------------------------------------------

void frmMDI::setObjectWindowVisible(bool visible)
{
    command(Command::ObjectWindow)->setChecked(visible);
    m_objectPart->setVisible(visible);
    m_picFrame->setVisible(visible || m_logPart->isVisibleTo(m_picFrame));
    if (visible)
        m_tree->setFocus();
}

void frmMDI::setLogWindowVisible(bool visible)
{
    command(Command::LogWindow)->setChecked(visible);
    m_logPart->setVisible(visible);
    m_picFrame->setVisible(visible || m_objectPart->isVisibleTo(m_picFrame));
}

// ---- help ----------------------------------------------------------------------------------------

void frmMDI::showUsersGuide()
{
    // <program directory>/../Doc, or ../share/zeltester/Doc for an installed copy (startup.h).
    QString path = usersGuidePath(app().programDir, QLocale::system().language() == QLocale::Japanese);
    if (!platform::openDocument(path)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("ZelTester"),
                        QStringLiteral("Failed to display the User's Guide."), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("msgGuide"));
        box.exec();
    }
}

void frmMDI::showVersion()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QMessageBox box(
        QMessageBox::NoIcon, QStringLiteral("ZelTester"),
        name + QStringLiteral(" version %1.%2.%3").arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH),
        QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgVersion"));
    box.exec();
}
