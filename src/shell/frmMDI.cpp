// The main window's parts (client area, left pane with the tree and the log, status bar), its
// load sequence, the input it watches, and closing. The commands, the tree, the exports and the
// layout have files of their own (frmMDI.h).
#include "frmMDI.h"

#include "panelkit/AppState.h"
#include "panelkit/ZelForm.h"
#include "panelkit/iconset.h"
#include "panelkit/logfileswitch.h"
#include "panelkit/logfindbar.h"
#include "panelkit/logpane.h"
#include "panelkit/textops.h"
#include "services/platform.h"
#include "startup.h"
#include "zel/errors.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

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

    buildStatusBar();
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

// ---- left pane and status bar ------------------------------------------------------------------

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
        title->setStyleSheet(QStringLiteral(
            "QLabel { font-weight: bold; background: palette(mid); color: palette(bright-text); padding: 2px; }"));
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

    // The log pane; the log writer reaches it through its adapter (loadSequence).
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

void frmMDI::buildStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("stbrMain"));
    for (int i = 0; i < StatusPanelCount; ++i) {
        m_status[i] = new QLabel(bar);
        m_status[i]->setObjectName(QStringLiteral("stbrMain_%1").arg(i + 1));
        m_status[i]->setMinimumWidth(i == StatusText ? 360 : 80);
        bar->addWidget(m_status[i], i == StatusNode ? 1 : 0);
    }
    setStatusBar(bar);
}

// ---- start-up ----------------------------------------------------------------------------------

bool frmMDI::loadSequence(const std::function<void()> &openFirstPanels)
{
    AppState &a = app();
    a.host = this;
    try {
        a.preloaded.load(a.settingsFile());
        a.popup = new frmPopupmenu(this);
        connectPopups();
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

// ---- mouse and keys on the tree and the log pane -------------------------------------------------

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
        if (frame && frame->mdiArea() == m_mdi && !frame->property(kPlacedProperty).toBool())
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
