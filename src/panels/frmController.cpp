#include "frmController.h"

#include "frmMessage.h"
#include "panelkit/AppState.h"
#include "panelkit/frmPopupmenu.h"
#include "zel/controller.h"
#include "zel/errors.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;
using zel::Value;
using zel::ZelError;

namespace {

// One tab page per member kind, in page order.
struct PageDef {
    PanelKind kind;
    const char *tab;
    const char *addFrame;
    const char *addButton;
    const char *nameBox;
    const char *optionBox;
    const char *namesFrame;
    const char *namesOption;
    const char *namesList;
    const char *namesButton;
    const char *clearButton;
    const char *clearCaption;
};

const PageDef kPages[frmController::PageCount] = {
    {PanelKind::Variable, " Var&iable", "AddVariable", "cmdVariable", "txtName_0", "txtVarOption", "Variable Names",
     "txtVarNamesOption", "lstNames_0", "cmdGetNames_0", "cmdVarClear", "Variables.&Clear"},
    {PanelKind::Robot, " &Robot", "AddRobot", "cmdGetRobot", "txtName_1", "txtRobotOption", "RobotNames",
     "txtRobotNamesOption", "lstNames_1", "cmdGetNames_1", "cmdRobotClear", "Robots.&Clear"},
    {PanelKind::File, " Fi&le", "AddFile", "cmdGetFile", "txtName_2", "txtFileOption", "FileNames", "txtFileNamesOption",
     "lstNames_2", "cmdGetNames_2", "cmdFileClear", "Files.&Clear"},
    {PanelKind::Task, " &Task", "AddTask", "cmdGetTask", "txtName_3", "txtTaskOption", "TaskNames", "txtTaskNamesOption",
     "lstNames_3", "cmdGetNames_3", "cmdTaskClear", "Tasks.&Clear"},
    {PanelKind::Extension, " Exte&nsion", "AddExtension", "cmdGetExtension", "txtName_4", "txtExtOption",
     "ExtensionNames", "txtExtNamesOption", "lstNames_4", "cmdGetNames_4", "cmdExtClear", "Extensions.&Clear"},
    {PanelKind::Command, " C&ommand", "AddCommand", "cmdGetCommand", "txtName_5", "txtCmdOption", "CommandNames",
     "txtCmdNamesOption", "lstNames_5", "cmdGetNames_5", "cmdCmdClear", "Commands.&Clear"},
};

#define ZEL_NAMES_ROW(page, op, optionBox)                                                                      \
    {.button = "cmdGetNames_" #page, .request = "get_" op, .args = {{Arg::Text, optionBox}}, .member = op,     \
     .script = "." op, .style = 1, .retType = 12, .box = "lstNames_" #page, .fill = Fill::List,                \
     .line = Line::Value, .capability = "Get_" op}

// The names requests of the six pages, and Get Message (not recorded; the listing is a hook).
const OpRow kOps[] = {
    ZEL_NAMES_ROW(0, "VariableNames", "txtVarNamesOption"),
    ZEL_NAMES_ROW(1, "RobotNames", "txtRobotNamesOption"),
    ZEL_NAMES_ROW(2, "FileNames", "txtFileNamesOption"),
    ZEL_NAMES_ROW(3, "TaskNames", "txtTaskNamesOption"),
    ZEL_NAMES_ROW(4, "ExtensionNames", "txtExtNamesOption"),
    ZEL_NAMES_ROW(5, "CommandNames", "txtCmdNamesOption"),
    {.button = "cmdGetMsg", .request = "GetMessage", .member = "GetMessage", .kind = CallKind::Method,
     .line = Line::Done, .hook = 1},
};
#undef ZEL_NAMES_ROW

QString plainOrEmpty(const zel::ObjectPtr &obj, const char *member)
{
    try {
        return obj->invoke(QLatin1String(member), CallKind::PropertyGet, {}).toPlainText();
    } catch (const ZelError &) {
        return QString();
    }
}

// The key of a list entry by its text: everything before the first ";".
QString keyOfText(const QString &text)
{
    qsizetype semi = text.indexOf(QLatin1Char(';'));
    return semi < 0 ? text : text.left(semi);
}

} // namespace

// ---- the message-panel collection ---------------------------------------------------------------

ZelError MessagePanels::keyTaken(const QString &key)
{
    return ZelError(zel::E_INVALID_ARG, QStringLiteral("A message panel with the key %1 already exists").arg(key));
}

void MessagePanels::add(const QString &key, frmMessage *panel)
{
    if (m_panels.contains(key))
        throw keyTaken(key);
    m_keys << key;
    m_panels.insert(key, panel);
}

frmMessage *MessagePanels::takeFirst()
{
    if (m_keys.isEmpty())
        return nullptr;
    return m_panels.take(m_keys.takeFirst());
}

frmMessage *MessagePanels::item(const QString &key) const
{
    return m_panels.value(key);
}

frmMessage *MessagePanels::take(const QString &key)
{
    if (!m_panels.contains(key))
        return nullptr;
    m_keys.removeOne(key);
    return m_panels.take(key);
}

QList<frmMessage *> MessagePanels::items() const
{
    QList<frmMessage *> out;
    out.reserve(m_keys.size());
    for (const QString &key : m_keys)
        out << m_panels.value(key);
    return out;
}

// ---- the panel -----------------------------------------------------------------------------------

frmController::frmController(QWidget *parent) : PanelBase(PanelKind::Controller, parent)
{
    setWindowTitle(QStringLiteral("ZelController"));
    auto *outer = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    outer->addLayout(top);
    auto *left = new QVBoxLayout;
    top->addLayout(left, 3);

    QGroupBox *main = frame("fraController", QStringLiteral("ZelController"));
    auto *grid = new QGridLayout(main);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    // The display boxes take the focus by mouse only; Tab goes from input to button.
    getRow(grid, 0, QStringLiteral("Name :"), "txtCtrlName", "cmdGetName")->setFocusPolicy(Qt::ClickFocus);
    getRow(grid, 1, QStringLiteral("Attribute :"), "txtAttr", "cmdGetAttr")->setFocusPolicy(Qt::ClickFocus);
    getRow(grid, 2, QStringLiteral("Help :"), "txtHelp", "cmdGetHelp")->setFocusPolicy(Qt::ClickFocus);
    getPutRow(grid, 3, QStringLiteral("Ta&g :"), "txtGetTag", "txtPutTag", "cmdGetTag", "cmdPutTag")->setFocusPolicy(Qt::ClickFocus);
    getPutRow(grid, 4, QStringLiteral("ID :"), "txtGetID", "txtPutID", "cmdGetID", "cmdPutID")->setFocusPolicy(Qt::ClickFocus);
    left->addWidget(main);

    left->addWidget(executeFrame(QStringLiteral("Command :"), QStringLiteral("&Parameter :")));
    control("txtResult")->setFocusPolicy(Qt::ClickFocus);

    QGroupBox *messages = frame("fraMessage", QStringLiteral("Recieved Message"));
    auto *msgLayout = new QVBoxLayout(messages);
    m_lstMessage = listBox("lstMessage");
    m_lstMessage->setMinimumWidth(240);
    m_lstMessage->viewport()->installEventFilter(this);
    msgLayout->addWidget(m_lstMessage, 1);
    auto *msgButtons = new QHBoxLayout;
    msgButtons->addStretch(1);
    msgButtons->addWidget(button("cmdGetMsg", QStringLiteral("Get &Message")));
    msgLayout->addLayout(msgButtons);
    top->addWidget(messages, 2);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabController"));
    for (int page = 0; page < PageCount; ++page)
        m_tabs->addTab(memberPage(page), QLatin1String(kPages[page].tab));
    outer->addWidget(m_tabs);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button("cmdCtrlDelete", QStringLiteral("&Delete")));
    buttons->addWidget(button("cmdCtrlHide", QStringLiteral("[ &Hide ]")));
    outer->addLayout(buttons);

    // Keyboard order: properties, Execute, messages, the member pages, Delete and Hide.
    const char *const order[] = {"cmdGetName", "cmdGetAttr", "cmdGetHelp", "txtPutTag", "cmdGetTag", "cmdPutTag",
                                 "txtPutID", "cmdGetID", "cmdPutID", "txtCommand", "cmbValueType", "txtParameter",
                                 "cmdExecute", "lstMessage", "cmdGetMsg", "tabController"};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(control(order[i - 1]), control(order[i]));
    setTabOrder(m_tabs->widget(PageCount - 1)->findChild<QPushButton *>(QLatin1String(kPages[PageCount - 1].clearButton)),
                control("cmdCtrlDelete"));
    setTabOrder(control("cmdCtrlDelete"), control("cmdCtrlHide"));

    addOperations(kSharedOps);
    addOperations(kTagIdOps);
    addOperations(kOps);
    bindTypeSelector("cmbValueType", "txtParameter", "cmdExecute");
    bindDeleteHide("cmdCtrlDelete", "cmdCtrlHide");
    bindExclusiveTabs(m_tabs);
    for (int page = 0; page < PageCount; ++page) {
        const PageDef &pg = kPages[page];
        bindListToBox(pg.namesList, pg.nameBox);
        connect(control<QPushButton>(pg.addButton), &QPushButton::clicked, this, [this, &pg] {
            addMember(pg.kind, control<QLineEdit>(pg.nameBox)->text(), control<QLineEdit>(pg.optionBox)->text());
        });
        connect(control<QPushButton>(pg.clearButton), &QPushButton::clicked, this,
                [this, &pg] { clearMembers(pg.kind); });
        // Enter in the name or option box adds, in the names option box lists.
        for (const char *box : {pg.nameBox, pg.optionBox})
            connect(control<QLineEdit>(box), &QLineEdit::returnPressed, control<QPushButton>(pg.addButton), &QPushButton::click);
        connect(control<QLineEdit>(pg.namesOption), &QLineEdit::returnPressed, this, [this, &pg] {
            if (auto *b = control<QPushButton>(pg.namesButton); b && b->isEnabled())
                b->click();
        });
    }
    connect(m_lstMessage, &QListWidget::itemDoubleClicked, this, &frmController::entryDoubleClicked);
}

frmController::~frmController()
{
    // Message panels that were never shown have no parent window; they go with this panel.
    for (frmMessage *p : m_ZelMess.items()) {
        if (p && !p->parentWidget())
            delete p;
    }
}

PanelKind frmController::pageKind(int page)
{
    return page >= 0 && page < PageCount ? kPages[page].kind : PanelKind::Variable;
}

QWidget *frmController::memberPage(int page)
{
    const PageDef &pg = kPages[page];
    auto *pic = new QWidget(this);
    pic->setObjectName(QStringLiteral("PicFrame_%1").arg(page));
    auto *layout = new QVBoxLayout(pic);
    auto *frames = new QHBoxLayout;
    layout->addLayout(frames);

    QGroupBox *add = frame(nullptr, QLatin1String(pg.addFrame));
    add->setObjectName(QStringLiteral("fraAdd_%1").arg(page));
    auto *addGrid = new QGridLayout(add);
    addGrid->setColumnStretch(1, 1);
    addRow(addGrid, 0, label(QStringLiteral("Name :")), {textBox(pg.nameBox)});
    addRow(addGrid, 1, label(QStringLiteral("Option :")), {textBox(pg.optionBox)});
    auto *addRowButtons = new QHBoxLayout;
    addRowButtons->addStretch(1);
    addRowButtons->addWidget(button(pg.addButton, QStringLiteral("&Add...")));
    addGrid->addLayout(addRowButtons, 2, 0, 1, 2);
    addGrid->setRowStretch(3, 1);
    frames->addWidget(add, 1);

    QGroupBox *names = frame(nullptr, QLatin1String(pg.namesFrame));
    names->setObjectName(QStringLiteral("fraNames_%1").arg(page));
    auto *namesGrid = new QGridLayout(names);
    namesGrid->setColumnStretch(1, 1);
    addRow(namesGrid, 0, label(QStringLiteral("Option :")), {textBox(pg.namesOption), button(pg.namesButton, QStringLiteral("Get"))});
    QListWidget *list = listBox(pg.namesList);
    list->setMinimumHeight(list->fontMetrics().height() * 4);
    list->setMaximumHeight(list->fontMetrics().height() * 7);
    QLabel *listLabel = label(QStringLiteral("Name&s :"));
    listLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    listLabel->setBuddy(list);
    namesGrid->addWidget(listLabel, 1, 0);
    namesGrid->addWidget(list, 1, 1, 1, 2);
    frames->addWidget(names, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(button(pg.clearButton, QLatin1String(pg.clearCaption)));
    bottom->addStretch(1);
    layout->addLayout(bottom);

    // Only the page's own controls, in reading order.
    QWidget::setTabOrder(pic->findChild<QWidget *>(QLatin1String(pg.nameBox)), pic->findChild<QWidget *>(QLatin1String(pg.optionBox)));
    QWidget::setTabOrder(pic->findChild<QWidget *>(QLatin1String(pg.optionBox)), pic->findChild<QWidget *>(QLatin1String(pg.addButton)));
    QWidget::setTabOrder(pic->findChild<QWidget *>(QLatin1String(pg.addButton)), pic->findChild<QWidget *>(QLatin1String(pg.namesOption)));
    QWidget::setTabOrder(pic->findChild<QWidget *>(QLatin1String(pg.namesOption)), pic->findChild<QWidget *>(QLatin1String(pg.namesButton)));
    QWidget::setTabOrder(pic->findChild<QWidget *>(QLatin1String(pg.namesButton)), list);
    QWidget::setTabOrder(list, pic->findChild<QWidget *>(QLatin1String(pg.clearButton)));
    return pic;
}

void frmController::onLoad()
{
    m_tabs->setCurrentIndex(0);
    if (auto *c = qobject_cast<zel::ZelController *>(m_ZelObj.get())) {
        m_onMessage = connect(c, &zel::ZelController::OnMessage, this,
                              [this](const zel::ObjectPtr &message) { OnMessage(message); });
    }
}

void frmController::applyCapabilities()
{
    PanelBase::applyCapabilities();
    for (const PageDef &pg : kPages)
        bindAddTooltips(int(pg.kind), pg.nameBox, pg.optionBox);
}

void frmController::onUnload()
{
    disconnect(m_onMessage);
    // The message panels close with their controller, first to last.
    while (m_ZelMess.count() > 0) {
        frmMessage *p = m_ZelMess.takeFirst();
        try {
            if (p)
                p->closeByProgram();
        } catch (const ZelError &) {
        }
    }
}

// ---- messages ------------------------------------------------------------------------------------

void frmController::OnMessage(const zel::ObjectPtr &message)
{
    AppState &a = app();
    try {
        if (!message)
            throw ZelError(zel::E_UNEXPECTED, QStringLiteral("OnMessage delivered no message"));
        qint32 serial = message->invoke(QStringLiteral("SerialNumber"), CallKind::PropertyGet, {}).toInt32();
        logRequest(QStringLiteral("OnMessage(%1)").arg(serial));
        if (m_lstMessage->count() > MessageLimit) {
            QString name = m_ZelObj->invoke(QStringLiteral("Name"), CallKind::PropertyGet, {}).toPlainText();
            a.status(QStringLiteral("Message buffer overflow. : ") + name);
            return;
        }
        listMessage(message, serial);
    } catch (const ZelError &e) {
        a.logError(e);
    }
}

void frmController::listMessage(const zel::ObjectPtr &message, qint32 serial)
{
    AppState &a = app();
    const QString key = QString::number(serial);
    auto *entry = new QListWidgetItem(key + QStringLiteral("; ") + plainOrEmpty(message, "DateTime") + QStringLiteral("; ")
                                      + plainOrEmpty(message, "Description"));
    entry->setData(Qt::UserRole, serial);
    m_lstMessage->insertItem(0, entry);

    // A serial number that is already listed keeps its first panel; the new entry gets none.
    if (m_ZelMess.contains(key))
        throw MessagePanels::keyTaken(key);

    ksf::EntryPtr capability;
    try {
        if (m_DCEntry) {
            qint32 number = message->invoke(QStringLiteral("Number"), CallKind::PropertyGet, {}).toInt32();
            capability = m_DCEntry->findMemberOrDefault(ksf::Message, QString::number(number));
        }
    } catch (const ZelError &) {
    }
    auto *p = new frmMessage;
    p->m_DCEng = m_DCEng;
    p->m_DCMsg = capability;
    p->m_DCCtrlKey = m_DCCtrlKey;
    p->m_Message = message;
    p->m_frmParentCtrl = this;
    p->m_FormID = a.nextFormId();
    p->loadMessage();
    m_ZelMess.add(key, p);
}

QListWidgetItem *frmController::selectedEntry() const
{
    QListWidgetItem *item = m_lstMessage->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

frmMessage *frmController::panelOfEntry(const QListWidgetItem *entry) const
{
    return entry ? m_ZelMess.item(QString::number(entry->data(Qt::UserRole).toInt())) : nullptr;
}

void frmController::showMessagePanel(frmMessage *panel)
{
    if (panel)
        panel->showInFront();
}

void frmController::entryDoubleClicked(QListWidgetItem *entry)
{
    if (!entry)
        return;
    showMessagePanel(m_ZelMess.item(keyOfText(entry->text())));
}

void frmController::readyBelowLimit()
{
    if (m_lstMessage->count() < MessageLimit)
        app().status(QStringLiteral("Ready"));
}

void frmController::deleteMessage(frmMessage *panel)
{
    if (!panel)
        return;
    const QString key = panel->key();
    bool ok = false;
    qint32 serial = key.toInt(&ok);
    for (int i = 0; ok && i < m_lstMessage->count(); ++i) {
        if (m_lstMessage->item(i)->data(Qt::UserRole).toInt() == serial) {
            delete m_lstMessage->takeItem(i);
            break;
        }
    }
    if (m_ZelMess.item(key) == panel)
        m_ZelMess.take(key);
    readyBelowLimit();
    panel->closeByProgram();
}

void frmController::popupMessageMenu()
{
    AppState &a = app();
    if (!a.popup)
        return;
    QListWidgetItem *entry = selectedEntry();
    frmMessage *p = panelOfEntry(entry);
    m_showTicked = entry && p && p->isShown();
    a.popup->ctrlItems[0]->setChecked(m_showTicked);
    a.popup->ctrlItems[0]->setEnabled(entry != nullptr);
    a.popup->ctrlItems[1]->setEnabled(entry != nullptr);
    a.popup->ctrlItems[3]->setEnabled(true);
    a.popup->popupController(this, this);
}

void frmController::SelectPopupMenu(int index)
{
    QListWidgetItem *entry = selectedEntry();
    frmMessage *p = panelOfEntry(entry);
    switch (index) {
    case 0:
        if (!p)
            return;
        if (!m_showTicked)
            showMessagePanel(p);
        else
            p->hidePanel();
        break;
    case 1:
        if (p) {
            deleteMessage(p);
        } else if (entry) {
            // An entry whose panel could not be made goes by itself.
            delete m_lstMessage->takeItem(m_lstMessage->row(entry));
            readyBelowLimit();
        }
        break;
    case 3:
        m_lstMessage->clearSelection();
        m_lstMessage->setCurrentRow(-1);
        for (frmMessage *panel : m_ZelMess.items())
            deleteMessage(panel);
        // Entries whose panels could not be made leave with the rest.
        if (m_lstMessage->count() > 0) {
            m_lstMessage->clear();
            readyBelowLimit();
        }
        break;
    default:
        break;
    }
}

void frmController::opHook(const OpRow &row, int stage, Value &result)
{
    // Get Message: a message handed out is listed like a pushed one, without the limit.
    if (stage == 1 && QLatin1String(row.button) == QLatin1String("cmdGetMsg") && result.isObject() && result.objectValue()) {
        zel::ObjectPtr message = result.objectValue();
        qint32 serial = message->invoke(QStringLiteral("SerialNumber"), CallKind::PropertyGet, {}).toInt32();
        listMessage(message, serial);
    }
}

bool frmController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lstMessage->viewport() && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        popupMessageMenu();
    }
    return PanelBase::eventFilter(watched, event);
}
