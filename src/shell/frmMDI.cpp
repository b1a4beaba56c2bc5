#include "frmMDI.h"

#include "panelkit/AppState.h"
#include "panelkit/PanelBase.h"
#include "panelkit/ZelForm.h"
#include "panelkit/iconset.h"
#include "panelkit/logfileswitch.h"
#include "panelkit/logfindbar.h"
#include "panelkit/logpane.h"
#include "panelkit/textops.h"
#include "services/clsRegKey.h"
#include "services/platform.h"
#include "startup.h"
#include "tools/frmWatch.h"
#include "zel/errors.h"
#include "zel/savefile.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtMath>

namespace {

// A panel's frame that has been given its place in the client area.
const char kPlaced[] = "zelPlaced";

// Room kept around the main window for the window manager's frame and caption bar, which are
// not known before the window is first shown.
const QMargins kFrameAllowance(4, 36, 4, 4);
// The client area keeps at least this width beside the left pane.
constexpr int kMinClientWidth = 240;

class OverrideCursor {
public:
    OverrideCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~OverrideCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

frmMDI::frmMDI(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMDI"));
    setWindowTitle(QStringLiteral("ZelTester"));
    setWindowIcon(zelAppIcon());
    resize(1280, 820);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    buildLeftPane();
    m_vSplit = new QSplitter(Qt::Horizontal, this);
    m_vSplit->setObjectName(QStringLiteral("splitMain"));
    m_vSplit->addWidget(m_picFrame);
    m_vSplit->addWidget(m_mdi);
    m_vSplit->setStretchFactor(1, 1);
    m_vSplit->setSizes({300, 980});
    m_vSplit->setChildrenCollapsible(false);
    m_vSplit->handle(1)->setObjectName(QStringLiteral("picVBar"));
    setCentralWidget(m_vSplit);

    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("stbrMain"));
    for (int i = 0; i < 3; ++i) {
        m_status[i] = new QLabel(bar);
        m_status[i]->setObjectName(QStringLiteral("stbrMain_%1").arg(i + 1));
        m_status[i]->setMinimumWidth(i == 0 ? 360 : 80);
        bar->addWidget(m_status[i], i == 1 ? 1 : 0);
    }
    setStatusBar(bar);

    buildMenus();
    buildToolbar();

    m_activeCheck = new QTimer(this);
    m_activeCheck->setObjectName(QStringLiteral("timActiveCheck"));
    m_activeCheck->setInterval(50);
    connect(m_activeCheck, &QTimer::timeout, this, &frmMDI::activityCheck);
    m_activeCheck->start();
    // Input anywhere in the program wakes the check up again after it has gone to rest.
    qApp->installEventFilter(this);
}

frmMDI::~frmMDI() = default;

// ---- layout ------------------------------------------------------------------------------------

void frmMDI::buildLeftPane()
{
    m_picFrame = new QWidget(this);
    m_picFrame->setObjectName(QStringLiteral("PicFrame"));
    auto *frameLayout = new QVBoxLayout(m_picFrame);
    frameLayout->setContentsMargins(0, 0, 0, 0);

    m_hSplit = new QSplitter(Qt::Vertical, m_picFrame);
    m_hSplit->setObjectName(QStringLiteral("splitLeft"));
    m_hSplit->setChildrenCollapsible(false);
    frameLayout->addWidget(m_hSplit);

    auto makePart = [this](const QString &labelName, const QString &caption, QWidget *content) {
        auto *part = new QWidget(m_hSplit);
        auto *l = new QVBoxLayout(part);
        l->setContentsMargins(2, 2, 2, 2);
        l->setSpacing(2);
        auto *title = new QLabel(caption, part);
        title->setObjectName(labelName);
        title->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; background: palette(mid); color: palette(bright-text); padding: 2px; }"));
        l->addWidget(title);
        l->addWidget(content, 1);
        return part;
    };

    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("treeObject"));
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setMinimumHeight(18);
    m_tree->viewport()->installEventFilter(this);
    // Nodes can be dragged out (onto the watch list), never moved within the tree.
    m_tree->setDragDropMode(QAbstractItemView::DragOnly);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { nodeClicked(item); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) { ShowForm(item); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        refreshNodeStatus(item);
        wakeActivityCheck();
    });

    m_log = new QPlainTextEdit;
    m_log->setObjectName(QStringLiteral("txtLog"));
    m_log->setReadOnly(true);
    m_log->setUndoRedoEnabled(false);
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_log->setContextMenuPolicy(Qt::NoContextMenu);
    m_log->viewport()->installEventFilter(this);

    m_objectPart = makePart(QStringLiteral("lblObject"), QStringLiteral(" Object"), m_tree);
    m_logPart = makePart(QStringLiteral("lblLog"), QStringLiteral(" Log"), m_log);
    m_logFind = new LogFindBar(m_log, m_logPart);
    m_logPart->layout()->addWidget(m_logFind);
    m_hSplit->addWidget(m_objectPart);
    m_hSplit->addWidget(m_logPart);
    m_hSplit->handle(1)->setObjectName(QStringLiteral("picHBar"));
    m_hSplit->setSizes({300, 500});
    // The tree keeps a minimum height; the log keeps a few lines.
    m_objectPart->setMinimumHeight(60);
    m_logPart->setMinimumHeight(60);
}

void frmMDI::buildMenus()
{
    auto addMenu = [this](const QString &name, const QString &caption, const QString &itemPrefix,
                          const QStringList &captions, QList<QAction *> &items) {
        QMenu *menu = menuBar()->addMenu(caption);
        menu->setObjectName(name);
        for (int i = 0; i < captions.size(); ++i) {
            QAction *a = captions[i] == QLatin1String("-") ? menu->addSeparator() : menu->addAction(captions[i]);
            a->setObjectName(QStringLiteral("%1_%2").arg(itemPrefix).arg(i));
            items << a;
        }
        return menu;
    };
    addMenu(QStringLiteral("mnuFile"), QStringLiteral("&File"), QStringLiteral("mnuFileItem"),
            {QStringLiteral("Export &Log..."), QStringLiteral("Export &Script..."), QStringLiteral("Export &KSF..."),
             QStringLiteral("-"), QStringLiteral("E&xit")},
            m_file);
    addMenu(QStringLiteral("mnuEdit"), QStringLiteral("&Edit"), QStringLiteral("mnuEditItem"),
            {QStringLiteral("&Delete Object"), QStringLiteral("-"), QStringLiteral("Clear &Log"), QStringLiteral("-"),
             QStringLiteral("Cu&t"), QStringLiteral("&Copy"), QStringLiteral("&Paste"), QStringLiteral("-"),
             QStringLiteral("&Start Recording"), QStringLiteral("P&ause Recording"), QStringLiteral("St&op Recording")},
            m_edit);
    addMenu(QStringLiteral("mnuView"), QStringLiteral("&View"), QStringLiteral("mnuViewItem"),
            {QStringLiteral("&Show Object"), QStringLiteral("-"), QStringLiteral("&Object Window"), QStringLiteral("&Log Window")},
            m_view);
    addMenu(QStringLiteral("mnuWindow"), QStringLiteral("&Window"), QStringLiteral("mnuWindowItem"),
            {QStringLiteral("&Cascade"), QStringLiteral("C&lose All")}, m_window);
    // Additions beyond the classic menus (watch, log file...) sit in their own menu, just before Help.
    m_tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    m_tools->setObjectName(QStringLiteral("mnuTools"));
    QAction *watch = m_tools->addAction(QStringLiteral("&Watch..."), this, [this] { frmWatch::open(this); });
    watch->setObjectName(QStringLiteral("mnuToolsWatch"));
    QAction *find = m_tools->addAction(QStringLiteral("Find in the &Log"));
    find->setObjectName(QStringLiteral("mnuToolsFindLog"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        if (!m_logPart->isVisible() && isVisible())
            m_view[3]->trigger(); // the log window comes back to show the bar
        m_logFind->open();
    });
    addMenu(QStringLiteral("mnuHelp"), QStringLiteral("&Help"), QStringLiteral("mnuHelpItem"),
            {QStringLiteral("&User's Guide..."), QStringLiteral("&Version...")}, m_help);

    m_edit[9]->setEnabled(false);
    m_edit[10]->setEnabled(false);
    m_view[2]->setCheckable(true);
    m_view[2]->setChecked(true);
    m_view[3]->setCheckable(true);
    m_view[3]->setChecked(true);
    m_file[2]->setEnabled(false);

    connect(m_file[0], &QAction::triggered, this, [this] { ExportFile(ExportLog); });
    connect(m_file[1], &QAction::triggered, this, [this] { ExportFile(ExportScript); });
    connect(m_file[2], &QAction::triggered, this, [this] { ExportFile(ExportKSF); });
    connect(m_file[4], &QAction::triggered, this, &QWidget::close);
    connect(m_edit[0], &QAction::triggered, this, [this] {
        if (QTreeWidgetItem *n = m_tree->currentItem(); n && n != m_node1 && n != m_node2)
            DeleteForm(n);
    });
    connect(m_edit[2], &QAction::triggered, this, [this] { m_log->clear(); });
    connect(m_edit[4], &QAction::triggered, this, [] { textops::cut(app().textTarget); });
    connect(m_edit[5], &QAction::triggered, this, [] { textops::copy(app().textTarget); });
    connect(m_edit[6], &QAction::triggered, this, [] { textops::paste(app().textTarget); });
    connect(m_edit[8], &QAction::triggered, this, &frmMDI::startRecording);
    connect(m_edit[9], &QAction::triggered, this, &frmMDI::pauseRecording);
    connect(m_edit[10], &QAction::triggered, this, &frmMDI::stopRecording);
    connect(m_view[0], &QAction::triggered, this, [this] { ShowForm(m_tree->currentItem()); });
    connect(m_view[2], &QAction::triggered, this, [this](bool on) { setObjectWindowVisible(on); });
    connect(m_view[3], &QAction::triggered, this, [this](bool on) { setLogWindowVisible(on); });
    connect(m_window[0], &QAction::triggered, this, [this] { m_mdi->cascadeSubWindows(); });
    connect(m_window[1], &QAction::triggered, this, &frmMDI::closeAllWindows);
    connect(m_help[0], &QAction::triggered, this, &frmMDI::showUsersGuide);
    connect(m_help[1], &QAction::triggered, this, &frmMDI::showVersion);
}

void frmMDI::buildToolbar()
{
    auto *bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("tlbar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    auto add = [bar](const QString &key, const QString &tip, const QString &image, bool twoState) {
        auto *action = bar->addAction(zelIcon(image), tip);
        action->setToolTip(tip);
        action->setCheckable(twoState);
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action));
        button->setObjectName(key);
        return button;
    };
    m_btnShow = add(QStringLiteral("btnShow"), QStringLiteral("Show"), QStringLiteral("SHOW"), false);
    m_btnDelete = add(QStringLiteral("btnDelete"), QStringLiteral("Delete"), QStringLiteral("DELETE"), false);
    m_btnCut = add(QStringLiteral("btnCut"), QStringLiteral("Cut"), QStringLiteral("CUT"), false);
    m_btnCopy = add(QStringLiteral("btnCopy"), QStringLiteral("Copy"), QStringLiteral("COPY"), false);
    m_btnPaste = add(QStringLiteral("btnPaste"), QStringLiteral("Paste"), QStringLiteral("PASTE"), false);
    bar->addSeparator();
    m_btnRecStart = add(QStringLiteral("btnRecStart"), QStringLiteral("Start Recording"), QStringLiteral("RECSTART"), true);
    m_btnRecPause = add(QStringLiteral("btnRecPause"), QStringLiteral("Pause Recording"), QStringLiteral("RECPAUSE"), true);
    m_btnRecStop = add(QStringLiteral("btnRecStop"), QStringLiteral("Stop Recording"), QStringLiteral("RECSTOP"), false);

    connect(m_btnShow, &QToolButton::clicked, this, [this] { ShowForm(m_tree->currentItem()); });
    connect(m_btnDelete, &QToolButton::clicked, this, [this] {
        if (QTreeWidgetItem *n = m_tree->currentItem(); n && n != m_node1 && n != m_node2)
            DeleteForm(n);
    });
    connect(m_btnCut, &QToolButton::clicked, this, [] { textops::cut(app().textTarget); });
    connect(m_btnCopy, &QToolButton::clicked, this, [] { textops::copy(app().textTarget); });
    connect(m_btnPaste, &QToolButton::clicked, this, [] { textops::paste(app().textTarget); });
    connect(m_btnRecStart, &QToolButton::clicked, this, [this](bool pressed) {
        if (!pressed)
            m_btnRecStart->setChecked(true); // a click never releases it
        else
            startRecording();
    });
    connect(m_btnRecPause, &QToolButton::clicked, this, [this](bool pressed) {
        if (!pressed || app().script.RecMode() != clsScriptGen::Recording)
            m_btnRecPause->setChecked(false);
        else
            pauseRecording();
    });
    connect(m_btnRecStop, &QToolButton::clicked, this, [this] {
        if (app().script.RecMode() != clsScriptGen::Stopped)
            stopRecording();
    });
}

QString frmMDI::windowSettingsFile()
{
    // Beside the registry store: the user's config directory, or a test's own folder.
    return QFileInfo(clsRegKey::StorePath()).absolutePath() + QStringLiteral("/window.ini");
}

int frmMDI::naturalLeftPaneWidth(int splitWidth) const
{
    // A typical request line with its number and time is read whole; names a little longer
    // than these get room too while the pane keeps within 44 % of the window.
    const QString line = QStringLiteral("[999] 00:00:00 Wss(\"Default\").Ctrls(\"RC1\").Vars(\"V1\").get_Value()");
    const QString longerNames(12, QLatin1Char('0'));
    // The pane's and the log's margins, the log's scroll bar and the caret.
    const int chrome = 2 * qCeil(m_log->document()->documentMargin()) + 2 * m_log->frameWidth()
                       + m_log->verticalScrollBar()->sizeHint().width() + 8;
    const QFontMetrics metrics = m_log->fontMetrics();
    const int typical = metrics.horizontalAdvance(line) + chrome;
    const int roomy = metrics.horizontalAdvance(line + longerNames) + chrome;
    return qMax(typical, qMin(roomy, splitWidth * 44 / 100));
}

void frmMDI::restoreLayout()
{
    QSettings settings(windowSettingsFile(), QSettings::IniFormat);
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry().marginsRemoved(kFrameAllowance) : QRect(0, 0, 1280, 820);
    QSize size(settings.value(QStringLiteral("MainWindow/Width")).toInt(),
               settings.value(QStringLiteral("MainWindow/Height")).toInt());
    if (size.width() <= 0 || size.height() <= 0)
        size = room.size();
    QRect geometry(QPoint(), size.boundedTo(room.size()));
    geometry.moveCenter(room.center());
    setGeometry(geometry);
    if (settings.value(QStringLiteral("MainWindow/Maximized"), false).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
    else
        m_framePending = true;
    m_paneSizes = {settings.value(QStringLiteral("MainWindow/LeftPane"), -1).toInt(),
                   settings.value(QStringLiteral("MainWindow/TreeHeight"), -1).toInt()};
    if (hasApp())
        app().lastFolder = settings.value(QStringLiteral("Dialogs/LastFolder")).toString();
}

void frmMDI::saveLayout()
{
    QSettings settings(windowSettingsFile(), QSettings::IniFormat);
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    settings.setValue(QStringLiteral("MainWindow/Width"), normal.width());
    settings.setValue(QStringLiteral("MainWindow/Height"), normal.height());
    settings.setValue(QStringLiteral("MainWindow/Maximized"), isMaximized());
    // A hidden pane keeps the size it had when it was last shown.
    if (m_picFrame->isVisible())
        settings.setValue(QStringLiteral("MainWindow/LeftPane"), m_vSplit->sizes().value(0));
    if (m_objectPart->isVisible() && m_logPart->isVisible())
        settings.setValue(QStringLiteral("MainWindow/TreeHeight"), m_hSplit->sizes().value(0));
    if (hasApp() && !app().lastFolder.isEmpty())
        settings.setValue(QStringLiteral("Dialogs/LastFolder"), app().lastFolder);
}

void frmMDI::keepOnScreen()
{
    QScreen *screen = this->screen();
    if (!screen || isMaximized() || isFullScreen())
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = frameGeometry();
    if (available.contains(frame))
        return;
    const QSize decoration = frame.size() - size();
    const QSize client = size().boundedTo(available.size() - decoration);
    resize(client);
    QRect placed(frame.topLeft(), client + decoration);
    placed.moveLeft(qBound(available.left(), placed.left(), available.right() + 1 - placed.width()));
    placed.moveTop(qBound(available.top(), placed.top(), available.bottom() + 1 - placed.height()));
    move(placed.topLeft()); // a window's position is that of its frame
}

void frmMDI::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_laidOut)
        return;
    m_laidOut = true;
    // The panes now that the window has its size: the remembered ones, else a left pane that
    // shows a request line whole; the client area keeps some room on a very small screen.
    const int width = m_vSplit->width();
    const int remembered = m_paneSizes.value(0, -1);
    int left = qMin(remembered > 0 ? remembered : naturalLeftPaneWidth(width), width - kMinClientWidth);
    left = qMax(left, m_picFrame->minimumSizeHint().width());
    m_vSplit->setSizes({left, qMax(0, width - left - m_vSplit->handleWidth())});
    if (const int tree = m_paneSizes.value(1, -1); tree > 0) {
        const int height = m_hSplit->height() - m_hSplit->handleWidth();
        const int top = qMin(tree, height - m_logPart->minimumHeight());
        m_hSplit->setSizes({top, qMax(0, height - top)});
    }
    // Panels shown before the window was are placed now that the client area has its size.
    for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
        if (frame->isVisible() && !frame->property(kPlaced).toBool())
            placePanel(frame);
    }
}

// ---- start-up ----------------------------------------------------------------------------------

bool frmMDI::loadSequence(const std::function<void()> &openFirstPanels)
{
    AppState &a = app();
    a.host = this;
    try {
        a.preloaded.load(a.settingsFile());
        a.popup = new frmPopupmenu(this);
        connect(a.popup->txtItems[0], &QAction::triggered, this, [] { textops::cut(app().textTarget); });
        connect(a.popup->txtItems[1], &QAction::triggered, this, [] { textops::copy(app().textTarget); });
        connect(a.popup->txtItems[2], &QAction::triggered, this, [] { textops::paste(app().textTarget); });
        connect(a.popup->txtItems[4], &QAction::triggered, this, [this] { ExportFile(ExportLog); });
        connect(a.popup->txtItems[6], &QAction::triggered, this, [] { textops::clear(app().textTarget); });
        a.log.OutputTextBox(m_log); // through its adapter, panelkit/logpane.h
        m_logFile = new LogFileSwitch(a.log, windowSettingsFile(), this);
        m_tools->addAction(m_logFile->action());
        m_logFile->restore();

        a.logLine(QStringLiteral("Creating ZelEngine..."));
        a.engine = a.engineFactory ? a.engineFactory() : nullptr;
        if (!a.engine)
            throw zel::ZelError(zel::E_UNEXPECTED, QStringLiteral("The engine could not be created"));
        a.logLine(QStringLiteral("Succeeded."));

        openFirstPanels();

        m_tree->expandItem(m_node1);
        m_tree->setCurrentItem(m_node1);
        refreshNodeStatus(m_node1);
        WriteStatusBar(QStringLiteral("Ready"));
        startRecording();
        return true;
    } catch (const zel::ZelError &e) {
        // Also on standard error, for a start from a terminal or a script; a smoke test
        // (ZELTESTER_QUIT_WHEN_READY) gets no box to wait on.
        platform::debugOutput(QStringLiteral("ZelTester: ") + e.description());
        if (quitWhenReady())
            return false;
        QMessageBox box(QMessageBox::Critical, QStringLiteral("ZelTester"), e.description(), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("msgStartError"));
        box.exec();
        return false;
    }
}

// ---- tree and panels -----------------------------------------------------------------------------

QTreeWidgetItem *frmMDI::AddTreeNode(const QString &strUniqueName, QTreeWidgetItem *relative, const QString &treeName,
                                     const QString &treeIcon)
{
    auto *node = relative ? new QTreeWidgetItem(relative) : new QTreeWidgetItem(m_tree);
    if (!treeName.isEmpty())
        node->setText(0, treeName);
    if (!treeIcon.isEmpty())
        node->setIcon(0, zelIcon(treeIcon));
    m_useCounts[strUniqueName] += 1;
    m_nodeNames.insert(node, strUniqueName);
    refreshNodeStatus(m_tree->currentItem());
    return node;
}

ZelForm *frmMDI::findForm(qint32 formId) const
{
    for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
        auto *form = qobject_cast<ZelForm *>(frame->widget());
        if (form && !form->isUnloaded() && form->m_FormID == formId)
            return form;
    }
    return nullptr;
}

QList<ZelForm *> frmMDI::forms() const
{
    QList<ZelForm *> list;
    for (QMdiSubWindow *frame : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (auto *form = qobject_cast<ZelForm *>(frame->widget()); form && !form->isUnloaded())
            list.append(form);
    }
    return list;
}

ZelForm *frmMDI::findForm(const QTreeWidgetItem *node) const
{
    if (!node)
        return nullptr;
    bool ok = false;
    qint32 tag = node->data(0, Qt::UserRole).toInt(&ok);
    return ok ? findForm(tag) : nullptr;
}

QMdiSubWindow *frmMDI::addForm(ZelForm *form)
{
    QMdiSubWindow *frame = m_mdi->addSubWindow(form);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    frame->setWindowIcon(form->windowIcon());
    frame->adjustSize();
    frame->hide();
    return frame;
}

void frmMDI::removeTreeNode(QTreeWidgetItem *node)
{
    if (!node)
        return;
    m_nodeNames.remove(node);
    if (node == m_node1)
        m_node1 = nullptr;
    if (node == m_node2)
        m_node2 = nullptr;
    delete node;
}

void frmMDI::deleteNodePanel(QTreeWidgetItem *node)
{
    // Children first, so that the deepest panels close before their owners.
    while (node->childCount() > 0) {
        QTreeWidgetItem *child = node->child(0);
        deleteNodePanel(child);
        if (node->childCount() > 0 && node->child(0) == child)
            removeTreeNode(child); // a child without a panel still leaves the tree
    }
    ZelForm *form = findForm(node);
    QString unique = m_nodeNames.value(node);
    if (m_useCounts.contains(unique) && --m_useCounts[unique] <= 0) {
        m_useCounts.remove(unique);
        if (auto *panel = qobject_cast<PanelBase *>(form))
            panel->m_bUnloadCol = true;
    }
    if (form)
        form->closeByProgram();
    removeTreeNode(node);
}

void frmMDI::DeleteForm(QTreeWidgetItem *node, bool childrenOnly)
{
    if (!node)
        return;
    OverrideCursor busy;
    if (childrenOnly) {
        while (node->childCount() > 0)
            deleteNodePanel(node->child(0));
    } else {
        deleteNodePanel(node);
    }
    refreshNodeStatus(m_tree->currentItem());
}

void frmMDI::ShowForm(QTreeWidgetItem *node)
{
    ZelForm *form = findForm(node);
    if (!form)
        return;
    QMdiSubWindow *frame = form->subWindow();
    if (!frame)
        return;
    if (frame->isMinimized() || frame->isMaximized())
        frame->showNormal();
    frame->show();
    form->show();
    raise();
    activateWindow();
    m_mdi->setActiveSubWindow(frame);
    textops::bringToFront(form);
}

void frmMDI::HideForm(QTreeWidgetItem *node)
{
    if (ZelForm *form = findForm(node)) {
        if (QMdiSubWindow *frame = form->subWindow())
            frame->hide();
    }
}

void frmMDI::WriteStatusBar(const QString &text)
{
    m_status[0]->setText(text);
}

void frmMDI::SelectPopupMenu(int index)
{
    QTreeWidgetItem *node = m_tree->currentItem();
    if (index == 0)
        ShowForm(node);
    else if (index == 1 && node && node != m_node1 && node != m_node2)
        DeleteForm(node);
}

void frmMDI::refreshNodeStatus(QTreeWidgetItem *node)
{
    m_status[1]->setText(node ? node->text(0) : QString());
    m_status[2]->setText(node ? QString::number(node->childCount()) : QString());
}

void frmMDI::nodeClicked(QTreeWidgetItem *node)
{
    refreshNodeStatus(node);
    ZelForm *form = findForm(node);
    m_file[2]->setEnabled(form && form->m_FormID >= FirstWorkspaceFormId);
    if (m_treeButton == Qt::RightButton && hasApp() && app().popup) {
        app().popup->mdiItems[1]->setEnabled(node != m_node1 && node != m_node2);
        app().popup->popupTree(this);
    }
}

void frmMDI::placePanel(QMdiSubWindow *frame)
{
    frame->setProperty(kPlaced, true);
    const QSize area = m_mdi->viewport()->size();
    const int step = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame);
    const QSize minimum = frame->minimumSizeHint();
    const QSize full = frame->sizeHint().boundedTo(area).expandedTo(minimum);
    // Further down the cascade a frame may give up a tenth of its size, never below its minimum;
    // a frame that would have to give up more starts the cascade again.
    QPoint at(m_cascade * step, m_cascade * step);
    QSize size = full.boundedTo(area - QSize(at.x(), at.y())).expandedTo(minimum);
    const bool fits = at.x() + size.width() <= area.width() && at.y() + size.height() <= area.height();
    if (!fits || size.width() * 10 < full.width() * 9 || size.height() * 10 < full.height() * 9) {
        at = QPoint(0, 0);
        size = full;
        m_cascade = 0;
    }
    frame->setGeometry(QRect(at, size));
    ++m_cascade;
}

void frmMDI::closeAllWindows()
{
    for (QMdiSubWindow *frame : m_mdi->subWindowList())
        frame->hide();
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
    RefreshTlbar();
    RefreshMenuBar();
}

void frmMDI::wakeActivityCheck()
{
    m_quietChecks = 0;
    if (!m_activeCheck->isActive() && !m_closing)
        m_activeCheck->start();
}

void frmMDI::RefreshTlbar()
{
    Enabling e = computeEnabling();
    m_btnShow->setEnabled(e.show);
    m_btnDelete->setEnabled(e.del);
    m_btnCut->setEnabled(e.cut);
    m_btnCopy->setEnabled(e.copy);
    m_btnPaste->setEnabled(e.paste);
}

void frmMDI::RefreshMenuBar()
{
    Enabling e = computeEnabling();
    m_view[0]->setEnabled(e.show);
    m_edit[0]->setEnabled(e.del);
    m_edit[4]->setEnabled(e.cut);
    m_edit[5]->setEnabled(e.copy);
    m_edit[6]->setEnabled(e.paste);
    m_lastEnabling = e;
    m_enablingKnown = true;
}

// ---- recording -----------------------------------------------------------------------------------

void frmMDI::startRecording()
{
    m_edit[8]->setEnabled(false);
    m_edit[9]->setEnabled(true);
    m_edit[10]->setEnabled(true);
    m_btnRecStart->setChecked(true);
    m_btnRecPause->setChecked(false);
    app().script.RecStart();
}

void frmMDI::pauseRecording()
{
    m_edit[8]->setEnabled(true);
    m_edit[9]->setEnabled(false);
    m_edit[10]->setEnabled(true);
    m_btnRecStart->setChecked(false);
    m_btnRecPause->setChecked(true);
    app().script.RecPause();
}

void frmMDI::stopRecording()
{
    m_edit[8]->setEnabled(true);
    m_edit[9]->setEnabled(false);
    m_edit[10]->setEnabled(false);
    m_btnRecStart->setChecked(false);
    m_btnRecPause->setChecked(false);
    app().script.RecStop();
}

// ---- view ----------------------------------------------------------------------------------------

void frmMDI::setObjectWindowVisible(bool visible)
{
    m_view[2]->setChecked(visible);
    m_objectPart->setVisible(visible);
    m_picFrame->setVisible(visible || m_logPart->isVisibleTo(m_picFrame));
    if (visible)
        m_tree->setFocus();
}

void frmMDI::setLogWindowVisible(bool visible)
{
    m_view[3]->setChecked(visible);
    m_logPart->setVisible(visible);
    m_picFrame->setVisible(visible || m_objectPart->isVisibleTo(m_picFrame));
}

// ---- exports -------------------------------------------------------------------------------------

QString frmMDI::saveDialog(const QString &title, const QString &filter, const QString &suffix, const QString &fileName)
{
    QFileDialog dialog(this, title, app().dialogFolder(), filter);
    dialog.setObjectName(QStringLiteral("cmnDlg"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    app().rememberFolderOf(dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

bool frmMDI::writeTextFile(const QString &path, const QString &text)
{
    QString error;
    bool ok = false;
    {
        OverrideCursor busy;
        ok = zel::saveFile(path, text.toUtf8(), &error);
    }
    if (!ok)
        showSaveFailed(path, error);
    return ok;
}

void frmMDI::showSaveFailed(const QString &path, const QString &reason)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("ZelTester"), QStringLiteral("Save Failed.\r\n") + path,
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgSaveFailed"));
    box.setInformativeText(reason);
    box.exec();
}

QString frmMDI::logText() const
{
    QString text = m_log->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void frmMDI::ExportFile(int kind)
{
    AppState &a = app();
    if (kind == ExportLog) {
        QString path = saveDialog(QStringLiteral("Save Log"), QStringLiteral("Log File (*.log)"), QStringLiteral("log"), QString());
        if (!path.isEmpty())
            writeTextFile(path, logText());
    } else if (kind == ExportScript) {
        QString proposed;
        if (a.regKey) {
            zel::Value v;
            if (a.regKey->QueryValue(v, QStringLiteral("ScriptPath")) == reg::ERROR_SUCCESS && v.isString()
                && QFileInfo(v.stringValue()).isFile())
                proposed = v.stringValue();
        }
        QString path = saveDialog(QStringLiteral("Save ZelScript File"), QStringLiteral("ZelScript File (*.vbs)"),
                                  QStringLiteral("vbs"), proposed);
        if (!path.isEmpty() && writeTextFile(path, a.script.ZelScriptSrc()))
            a.scriptModified = false;
    } else if (kind == ExportKSF) {
        PanelBase *panel = qobject_cast<PanelBase *>(findForm(m_tree->currentItem()));
        while (panel && panel->kind() != PanelKind::Workspace)
            panel = panel->ownerPanel();
        if (!panel || !panel->workspaceDocument())
            return;
        QString path = saveDialog(QStringLiteral("Save KSF(") + panel->windowTitle() + QLatin1Char(')'),
                                  QStringLiteral("XML File (*.xml)"), QStringLiteral("ksf"), QString());
        if (path.isEmpty())
            return;
        try {
            panel->workspaceDocument()->saveAs(path);
        } catch (const zel::ZelError &e) {
            showSaveFailed(path, e.description());
        }
    }
}

// ---- help ----------------------------------------------------------------------------------------

void frmMDI::showUsersGuide()
{
    // <program directory>/../Doc, or ../share/zeltester/Doc for an installed copy (startup.h).
    QString path = usersGuidePath(app().programDir, QLocale::system().language() == QLocale::Japanese);
    if (!platform::openDocument(path)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("ZelTester"), QStringLiteral("Failed to display the User's Guide."),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("msgGuide"));
        box.exec();
    }
}

void frmMDI::showVersion()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZelTester"),
                    name + QStringLiteral(" version %1.%2.%3").arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgVersion"));
    box.exec();
}

// ---- mouse on the tree and the log pane ----------------------------------------------------------

bool frmMDI::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Wheel:
    case QEvent::Show:
    case QEvent::Hide:
        wakeActivityCheck();
        break;
    default:
        break;
    }
    if (m_framePending && watched == this && (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        && frameGeometry() != geometry()) {
        // The window manager has put its frame around the window: it may be larger than the
        // room kept for it.
        m_framePending = false;
        keepOnScreen();
    }
    if (event->type() == QEvent::Show && m_laidOut) {
        auto *frame = qobject_cast<QMdiSubWindow *>(watched);
        if (frame && frame->mdiArea() == m_mdi && !frame->property(kPlaced).toBool())
            placePanel(frame);
    }
    if (event->type() == QEvent::KeyPress && watched == m_tree) {
        // Enter on a node shows its panel, as a double-click does.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_tree->currentItem()) {
            ShowForm(m_tree->currentItem());
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (watched == m_tree->viewport()) {
            m_treeButton = me->button();
            if (me->button() == Qt::RightButton) {
                // A right click selects the node under the pointer, then opens the popup.
                if (QTreeWidgetItem *item = m_tree->itemAt(me->position().toPoint())) {
                    m_tree->setCurrentItem(item);
                    nodeClicked(item);
                }
                return true;
            }
        } else if (watched == m_log->viewport()) {
            if (me->button() == Qt::RightButton) {
                textPopup(m_log, me->button());
                return true;
            }
            if (hasApp())
                app().textTarget = m_log;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMDI::textPopup(QWidget *textBox, Qt::MouseButton button)
{
    AppState &a = app();
    a.textTarget = textBox;
    if (button != Qt::RightButton || !a.popup)
        return;
    bool selected = textops::hasSelection(textBox);
    bool readOnly = textops::isReadOnly(textBox);
    a.popup->txtItems[0]->setEnabled(selected && !readOnly);
    a.popup->txtItems[1]->setEnabled(selected);
    a.popup->txtItems[2]->setEnabled(!readOnly);
    bool onLog = textBox == m_log;
    for (int i = 3; i <= 6; ++i)
        a.popup->txtItems[i]->setVisible(onLog);
    textBox->setFocus();
    a.popup->popupText();
}

// ---- closing -------------------------------------------------------------------------------------

void frmMDI::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    if (hasApp()) {
        AppState &a = app();
        if (a.script.RecMode() != clsScriptGen::Stopped && a.scriptModified) {
            QMessageBox box(QMessageBox::Question, QString(), QStringLiteral("Do you want to save recording scripts?"),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
            box.setObjectName(QStringLiteral("msgSaveScript"));
            int answer = box.exec();
            if (answer == QMessageBox::Cancel || answer == -1) {
                event->ignore();
                return;
            }
            if (answer == QMessageBox::Yes)
                ExportFile(ExportScript);
        }
        m_closing = true;
        saveLayout();
        OverrideCursor busy;
        a.textTarget = nullptr;
        m_activeCheck->stop();
        // The engine panel closes first and takes the whole tree with it.
        if (auto *engine = qobject_cast<ZelForm *>(a.enginePanel.data()))
            engine->closeByProgram();
        for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
            if (auto *form = qobject_cast<ZelForm *>(frame->widget()))
                form->closeByProgram();
        }
    }
    m_closing = true;
    event->accept();
}
