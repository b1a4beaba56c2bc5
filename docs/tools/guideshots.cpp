// Takes the screenshots of the user's guide: starts ZelTester offscreen with a fresh engine,
// works through a short session the way a user does (typing into boxes, pressing buttons,
// choosing tabs and list entries) and saves each window as a PNG file.
//
//   guideshots [--lenient] [--examples DIR] [--script FILE] OUTPUT_DIRECTORY
//
// --examples names the folder of the capability definitions (the restricted one is loaded);
// --script saves the session's recorded script there through File > Export Script...
// Every step checks that the control it needs exists and is enabled. A step that fails is
// reported on standard error and the exit status is 1; with --lenient the status is 0 and the
// screenshots that could be taken are still written (the build uses that, so that a renamed
// control never breaks it; the tests run the strict form).
#include "panelkit/PanelBase.h"
#include "providers/providers.h"
#include "panelkit/AppState.h"
#include "shell/frmMDI.h"
#include "shell/startup.h"
#include "tools/frmWatch.h"
#include "tools/trendchart.h"
#include "tools/watchlist.h"
#include "zel/engine.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTableView>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

namespace {

class Session {
public:
    Session(const QString &outDir, const QString &examplesDir, const QString &scriptFile)
        : m_out(outDir), m_examples(examplesDir), m_scriptFile(scriptFile)
    {
    }

    int run();

private:
    // --- finding and driving controls --------------------------------------------------------
    template <typename T = QWidget>
    T *find(QWidget *root, const QString &name)
    {
        T *w = root ? root->findChild<T *>(name) : nullptr;
        if (!w)
            fail(QStringLiteral("no control %1 in %2").arg(name, root ? root->objectName() : QStringLiteral("(none)")));
        return w;
    }
    void type(QWidget *root, const QString &name, const QString &text)
    {
        if (auto *e = find<QLineEdit>(root, name))
            e->setText(text);
    }
    void editCombo(QWidget *root, const QString &name, const QString &text)
    {
        if (auto *c = find<QComboBox>(root, name))
            c->setEditText(text);
    }
    void choose(QWidget *root, const QString &name, const QString &entry)
    {
        auto *c = find<QComboBox>(root, name);
        if (!c)
            return;
        int i = c->findText(entry);
        if (i < 0)
            fail(QStringLiteral("%1 has no entry %2").arg(name, entry));
        else
            c->setCurrentIndex(i);
    }
    void press(QWidget *root, const QString &name)
    {
        auto *b = find<QAbstractButton>(root, name);
        if (!b)
            return;
        if (!b->isEnabled()) {
            fail(QStringLiteral("button %1 is disabled").arg(name));
            return;
        }
        b->click();
        settle();
    }
    void page(QWidget *root, const QString &tabs, int index)
    {
        if (auto *t = find<QTabWidget>(root, tabs))
            t->setCurrentIndex(index);
        settle();
    }
    // Lets queued events (engine events, layouts, paints) run for a while.
    static void settle(int ms = 30)
    {
        QElapsedTimer clock;
        clock.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        } while (clock.elapsed() < ms);
    }
    // Waits until the condition holds (engine events arrive through the event loop).
    bool waitFor(const std::function<bool()> &condition, int ms = 3000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!condition()) {
            if (clock.elapsed() > ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    void fail(const QString &what)
    {
        m_failures << what;
        std::fprintf(stderr, "guideshots: %s\n", qPrintable(what));
    }

    PanelBase *lastPanel(PanelKind kind) const
    {
        PanelBase *best = nullptr;
        for (PanelBase *p : m_mdi->findChildren<PanelBase *>())
            if (p->kind() == kind && !p->isUnloaded() && (!best || p->m_FormID > best->m_FormID))
                best = p;
        return best;
    }
    PanelBase *expect(PanelKind kind, const char *what)
    {
        PanelBase *p = lastPanel(kind);
        if (!p)
            fail(QStringLiteral("no %1 panel").arg(QLatin1String(what)));
        return p;
    }
    // Puts a panel's window at a place in the client area, in front, at its natural size (no
    // larger than the client area with inside).
    void place(ZelForm *form, int x = 8, int y = 8, bool inside = false)
    {
        if (!form)
            return;
        if (auto *p = qobject_cast<PanelBase *>(form))
            p->showPanel();
        else
            m_mdi->ShowForm(form->m_TreeNode);
        if (QMdiSubWindow *frame = form->subWindow()) {
            frame->showNormal();
            frame->adjustSize();
            if (inside) {
                const QSize room = m_mdi->mdiArea()->viewport()->size() - QSize(x, y);
                frame->resize(frame->size().boundedTo(room).expandedTo(frame->minimumSizeHint()));
            }
            frame->move(x, y);
            frame->raise();
            m_mdi->mdiArea()->setActiveSubWindow(frame);
        }
        settle();
    }

    // --- screenshots ---------------------------------------------------------------------------
    void write(const QPixmap &pixmap, const QString &name)
    {
        QString path = m_out + QLatin1Char('/') + name + QStringLiteral(".png");
        if (pixmap.isNull() || !pixmap.save(path))
            fail(QStringLiteral("cannot write %1").arg(path));
        else
            m_written << name;
    }
    // A widget as it looks; a top-level window gets a caption bar drawn by the style (the
    // offscreen platform has no window manager to draw one), like the panels' frames.
    QPixmap picture(QWidget *w)
    {
        if (QWidget *focused = QApplication::focusWidget())
            focused->clearFocus();
        settle();
        QPixmap content = w->grab();
        if (!w->isWindow() || qobject_cast<QMenu *>(w))
            return content;
        QStyleOptionTitleBar bar;
        bar.initFrom(w);
        bar.text = w->windowTitle();
        bar.icon = w->windowIcon();
        bar.state |= QStyle::State_Active;
        bar.titleBarState = Qt::WindowActive;
        bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarSysMenu | QStyle::SC_TitleBarCloseButton;
        if (!w->isModal()) {
            bar.titleBarFlags |= Qt::WindowMinMaxButtonsHint;
            bar.subControls |= QStyle::SC_TitleBarMinButton | QStyle::SC_TitleBarMaxButton;
        }
        const int height = w->style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, w);
        const int border = 1;
        bar.rect = QRect(0, 0, content.width() + 2 * border, height);
        QPixmap framed(content.width() + 2 * border, content.height() + height + border);
        framed.fill(w->palette().color(QPalette::Window).darker(160));
        QPainter painter(&framed);
        w->style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, w);
        painter.drawPixmap(border, height, content);
        return framed;
    }
    void save(QWidget *w, const QString &name)
    {
        if (!w) {
            fail(QStringLiteral("nothing to show for %1").arg(name));
            return;
        }
        write(picture(w), name);
    }
    // The main window's menu bar with one menu open, cut to the region around it.
    void shotMenu(const QString &title, const QString &name)
    {
        QMenuBar *bar = m_mdi->menuBar();
        for (QAction *item : bar->actions()) {
            if (item->text() != title || !item->menu())
                continue;
            QMenu *menu = item->menu();
            const QPoint at = bar->mapTo(m_mdi, bar->actionGeometry(item).bottomLeft());
            menu->popup(m_mdi->mapToGlobal(at));
            settle(100);
            QPixmap items = menu->grab();
            menu->hide();
            QPixmap window = picture(m_mdi);
            const int top = window.height() - m_mdi->height(); // the drawn caption bar
            QPainter painter(&window);
            painter.drawPixmap(at.x() + 1, at.y() + top, items);
            painter.setPen(m_mdi->palette().color(QPalette::Mid));
            painter.drawRect(QRect(QPoint(at.x() + 1, at.y() + top), items.size()).adjusted(0, 0, -1, -1));
            painter.end();
            write(window.copy(0, 0, qMin(window.width(), at.x() + items.width() + 120),
                              qMin(window.height(), at.y() + top + items.height() + 24)),
                  name);
            return;
        }
        fail(QStringLiteral("no menu %1").arg(title));
    }
    // A panel as it sits in the client area, with its window frame and caption.
    void shotPanel(ZelForm *form, const QString &name)
    {
        place(form);
        save(form ? static_cast<QWidget *>(form->subWindow()) : nullptr, name);
    }

    void startProgram();
    void engineAndWorkspace();
    void controller();
    void members();
    void messages();
    void tools();
    void watch();
    void capabilities();
    void overview();
    void findInLog();
    void exportScript();
    void modbusDevice();

    QString m_out;
    QString m_examples;
    QString m_scriptFile;
    QStringList m_failures;
    QStringList m_written;
    QTemporaryDir m_dir;
    std::unique_ptr<ZelTesterRun> m_run;
    frmMDI *m_mdi = nullptr;
    PanelBase *m_ctrl = nullptr;
};

void Session::startProgram()
{
    // A program directory of its own: the settings file and the registry store of this session
    // never touch the user's.
    qputenv("ZELTESTER_REGISTRY", (m_dir.path() + QStringLiteral("/registry.ini")).toLocal8Bit());
    m_run = std::make_unique<ZelTesterRun>(
        StartOptions{{}, [] { return zel::ObjectPtr(zel::ZelEngine::create()); }, m_dir.path()});
    m_mdi = m_run->window();
    if (!m_mdi) {
        fail(QStringLiteral("the program did not start"));
        return;
    }
    // The window as it opens on the screen (main() gives the offscreen platform a laptop's).
    settle(200);
    save(m_mdi, QStringLiteral("main-window"));
}

void Session::engineAndWorkspace()
{
    PanelBase *engine = qobject_cast<PanelBase *>(m_mdi->findForm(2));
    type(engine, QStringLiteral("txtCommand"), QStringLiteral("Describe"));
    press(engine, QStringLiteral("cmdExecute"));
    shotPanel(engine, QStringLiteral("engine"));
    m_mdi->HideForm(engine ? engine->m_TreeNode : nullptr);

    PanelBase *ws = qobject_cast<PanelBase *>(m_mdi->findForm(4));
    press(ws, QStringLiteral("cmdGetName"));
    editCombo(ws, QStringLiteral("cmbController"), QStringLiteral("Cell1"));
    editCombo(ws, QStringLiteral("cmbProvider"), QStringLiteral("Zel.Virtual"));
    type(ws, QStringLiteral("txtMachine"), QStringLiteral("localhost"));
    shotPanel(ws, QStringLiteral("workspace"));
    press(ws, QStringLiteral("cmdOpen"));
    m_ctrl = expect(PanelKind::Controller, "controller");
}

void Session::controller()
{
    if (!m_ctrl)
        return;
    // One member of every kind, each through its page of the controller panel.
    const struct {
        const char *add;
        const char *name;
        const char *option;
        const char *optionBox;
    } adds[] = {
        {"cmdVariable", "Speed", "", "txtVarOption"},
        {"cmdGetRobot", "Arm", "", "txtRobotOption"},
        {"cmdGetFile", "Main.pgm", "", "txtFileOption"},
        {"cmdGetTask", "Main", "", "txtTaskOption"},
        {"cmdGetExtension", "IO", "", "txtExtOption"},
        {"cmdGetCommand", "Sum", "Duration=300", "txtCmdOption"},
    };
    for (int i = 0; i < 6; ++i) {
        page(m_ctrl, QStringLiteral("tabController"), i);
        type(m_ctrl, QStringLiteral("txtName_%1").arg(i), QLatin1String(adds[i].name));
        type(m_ctrl, QLatin1String(adds[i].optionBox), QLatin1String(adds[i].option));
        press(m_ctrl, QLatin1String(adds[i].add));
    }
    // The variable page with its names list filled.
    page(m_ctrl, QStringLiteral("tabController"), 0);
    press(m_ctrl, QStringLiteral("cmdGetNames_0"));
    press(m_ctrl, QStringLiteral("cmdGetName"));
    press(m_ctrl, QStringLiteral("cmdGetAttr"));
    press(m_ctrl, QStringLiteral("cmdGetHelp"));
    shotPanel(m_ctrl, QStringLiteral("controller"));
}

void Session::members()
{
    // Variable: write a real number, read it back with its time stamp.
    PanelBase *var = expect(PanelKind::Variable, "variable");
    choose(var, QStringLiteral("cmbValueType"), QStringLiteral("R8"));
    type(var, QStringLiteral("txtPutValue"), QStringLiteral("12.5"));
    press(var, QStringLiteral("cmdPutValue"));
    press(var, QStringLiteral("cmdGetValue"));
    press(var, QStringLiteral("cmdGetDateTime"));
    press(var, QStringLiteral("cmdGetMicrosecond"));
    press(var, QStringLiteral("cmdGetAttr"));
    press(var, QStringLiteral("cmdGetHelp"));
    press(var, QStringLiteral("cmdGetVarName"));
    shotPanel(var, QStringLiteral("variable"));

    // Robot: a straight-line move on the Move page.
    PanelBase *robot = expect(PanelKind::Robot, "robot");
    press(robot, QStringLiteral("cmdGetName"));
    press(robot, QStringLiteral("cmdGetHelp"));
    page(robot, QStringLiteral("tabOperation"), 3);
    choose(robot, QStringLiteral("cmbInterpolation"), QStringLiteral("2: 3D Linear"));
    type(robot, QStringLiteral("txtPose"), QStringLiteral("P(500, 100, 300, 0, 0, 0)"));
    type(robot, QStringLiteral("txtMoveOption"), QStringLiteral("Speed=80"));
    press(robot, QStringLiteral("cmdMove"));
    type(robot, QStringLiteral("txtVarNamesOption"), QStringLiteral("Filter=@C*"));
    press(robot, QStringLiteral("cmdGetNames"));
    shotPanel(robot, QStringLiteral("robot"));

    // File: write a program text, read it back. (One line: a recorded statement ends at the
    // first line break of its text, so a text of several lines would not replay.)
    PanelBase *file = expect(PanelKind::File, "file");
    if (auto *text = find<QRadioButton>(file, QStringLiteral("optSendType_0")))
        text->setChecked(true);
    if (auto *content = find<QPlainTextEdit>(file, QStringLiteral("txtValue")))
        content->setPlainText(QStringLiteral("MOVE P(500, 100, 300, 0, 0, 0)"));
    press(file, QStringLiteral("cmdPutValue"));
    press(file, QStringLiteral("cmdGetValue"));
    press(file, QStringLiteral("cmdGetFileName"));
    press(file, QStringLiteral("cmdGetPath"));
    press(file, QStringLiteral("cmdGetSize"));
    press(file, QStringLiteral("cmdGetType"));
    press(file, QStringLiteral("cmdGetLastModified"));
    shotPanel(file, QStringLiteral("file"));

    // Task: start one cycle.
    PanelBase *task = expect(PanelKind::Task, "task");
    press(task, QStringLiteral("cmdGetTaskName"));
    press(task, QStringLiteral("cmdGetFileName"));
    page(task, QStringLiteral("tabOperation"), 0);
    press(task, QStringLiteral("cmdTaskStart"));
    press(task, QStringLiteral("cmdGetAttribute"));
    shotPanel(task, QStringLiteral("task"));

    // Extension: set an output bit, read the I/O word.
    PanelBase *ext = expect(PanelKind::Extension, "extension");
    press(ext, QStringLiteral("cmdGetExtName"));
    type(ext, QStringLiteral("txtCommand"), QStringLiteral("SetBit"));
    choose(ext, QStringLiteral("cmbValueType"), QStringLiteral("I4"));
    type(ext, QStringLiteral("txtParameter"), QStringLiteral("3"));
    press(ext, QStringLiteral("cmdExecute"));
    type(ext, QStringLiteral("txtVarNamesOption"), QString());
    press(ext, QStringLiteral("cmdGetNames"));
    shotPanel(ext, QStringLiteral("extension"));

    // Command: parameters, an asynchronous execution, its completion and result.
    PanelBase *cmd = expect(PanelKind::Command, "command");
    press(cmd, QStringLiteral("cmdGetCmdName"));
    choose(cmd, QStringLiteral("cmbValueType"), QStringLiteral("ARRAY | I4"));
    type(cmd, QStringLiteral("txtPutParameter"), QStringLiteral("1,2,3"));
    press(cmd, QStringLiteral("cmdPutParameter"));
    press(cmd, QStringLiteral("cmdGetParameter"));
    press(cmd, QStringLiteral("cmdGetTimeout"));
    type(cmd, QStringLiteral("txtExecuteMode"), QStringLiteral("1"));
    press(cmd, QStringLiteral("cmdExecute"));
    auto *done = find<QLineEdit>(cmd, QStringLiteral("txtCompleteTime"));
    if (done && !waitFor([done] { return !done->text().isEmpty(); }))
        fail(QStringLiteral("the command never completed"));
    press(cmd, QStringLiteral("cmdGetState"));
    press(cmd, QStringLiteral("cmdGetResult"));
    shotPanel(cmd, QStringLiteral("command"));
}

void Session::messages()
{
    if (!m_ctrl)
        return;
    // The controller raises a message; OnMessage lists it in the controller panel.
    type(m_ctrl, QStringLiteral("txtCommand"), QStringLiteral("RaiseMessage"));
    choose(m_ctrl, QStringLiteral("cmbValueType"), QStringLiteral("BSTR"));
    type(m_ctrl, QStringLiteral("txtParameter"),
         QStringLiteral("Number=7,Description=Door open,Value=3,Source=PLC,Destination=HMI"));
    press(m_ctrl, QStringLiteral("cmdExecute"));
    auto *list = find<QListWidget>(m_ctrl, QStringLiteral("lstMessage"));
    if (!list || !waitFor([list] { return list->count() > 0; })) {
        fail(QStringLiteral("no message arrived"));
        return;
    }
    list->setCurrentRow(0);
    Q_EMIT list->itemDoubleClicked(list->item(0));
    settle();
    PanelBase *msg = nullptr;
    for (PanelBase *p : m_mdi->findChildren<PanelBase *>())
        if (p->kind() == PanelKind::Message && p->isVisible())
            msg = p;
    if (!msg) {
        fail(QStringLiteral("the message panel did not open"));
        return;
    }
    type(msg, QStringLiteral("txtSendData"), QStringLiteral("acknowledged"));
    press(msg, QStringLiteral("cmdReply"));
    shotPanel(msg, QStringLiteral("message"));
    if (msg->subWindow())
        msg->subWindow()->hide();
}

void Session::tools()
{
    // The status monitor, sampling.
    ZelForm *status = m_mdi->findForm(3);
    place(status);
    press(status, QStringLiteral("cmdGetDateTime"));
    press(status, QStringLiteral("cmdStartStop"));
    settle(400);
    press(status, QStringLiteral("cmdStartStop"));
    shotPanel(status, QStringLiteral("status"));
    // Its trend: the counts while members come and go.
    press(status, QStringLiteral("chkTrend"));
    QWidget *trend = find(status, QStringLiteral("frmStatusTrend"));
    if (auto *span = find<QComboBox>(trend, QStringLiteral("cmbTrendSpan")))
        span->setCurrentIndex(0);
    press(status, QStringLiteral("cmdStartStop"));
    settle(1500);
    PanelBase *extra = nullptr;
    if (m_ctrl) {
        page(m_ctrl, QStringLiteral("tabController"), 0);
        for (const char *name : {"Temp", "Pressure", "Level"}) {
            type(m_ctrl, QStringLiteral("txtName_0"), QLatin1String(name));
            press(m_ctrl, QStringLiteral("cmdVariable"));
            extra = lastPanel(PanelKind::Variable);
            settle(1200);
        }
    }
    settle(1500);
    press(status, QStringLiteral("cmdStartStop"));
    save(trend, QStringLiteral("status-trend"));
    press(status, QStringLiteral("chkTrend"));
    Q_UNUSED(extra);
    m_mdi->HideForm(status ? status->m_TreeNode : nullptr);

    // The performance check of the variable: 1000 writes and reads with data comparison. The
    // window is modal: it is driven from a timer while its own event loop runs.
    PanelBase *var = lastPanel(PanelKind::Variable);
    if (!var) {
        fail(QStringLiteral("no variable for the performance check"));
        return;
    }
    bool seen = false;
    QTimer::singleShot(200, [this, &seen] {
        QWidget *perf = QApplication::activeModalWidget();
        if (!perf || perf->objectName() != QLatin1String("frmPerfChk")) {
            fail(QStringLiteral("the performance check did not open"));
            if (perf)
                perf->close();
            return;
        }
        seen = true;
        type(perf, QStringLiteral("txtPatternCount"), QStringLiteral("1000"));
        if (auto *mode = find<QRadioButton>(perf, QStringLiteral("optReadWrite_2")))
            mode->click();
        choose(perf, QStringLiteral("cmbValueType"), QStringLiteral("I4"));
        type(perf, QStringLiteral("txtValue"), QStringLiteral("42"));
        if (auto *check = find<QAbstractButton>(perf, QStringLiteral("chkDataCheck")))
            check->setChecked(true);
        press(perf, QStringLiteral("cmdStart")); // runs the loop to its end
        save(perf, QStringLiteral("perfchk"));
        press(perf, QStringLiteral("cmdExit"));
    });
    place(var);
    press(var, QStringLiteral("cmdPerfchk"));
    if (!seen)
        fail(QStringLiteral("the performance check was not shown"));
}

void Session::watch()
{
    // The watch window: the robot's position with a trend while the robot moves, the controller's
    // counter and a variable whose every read fails.
    PanelBase *robot = lastPanel(PanelKind::Robot);
    if (!robot || !m_ctrl) {
        fail(QStringLiteral("no robot to watch"));
        return;
    }
    type(robot, QStringLiteral("txtVarName"), QStringLiteral("@CurrentPosition"));
    press(robot, QStringLiteral("cmdGetVar"));
    PanelBase *position = lastPanel(PanelKind::Variable);
    page(m_ctrl, QStringLiteral("tabController"), 0);
    QList<qint32> ids{position ? position->m_FormID : 0};
    for (const char *name : {"@Counter", "@Fail"}) {
        type(m_ctrl, QStringLiteral("txtName_0"), QLatin1String(name));
        press(m_ctrl, QStringLiteral("cmdVariable"));
        if (PanelBase *v = lastPanel(PanelKind::Variable))
            ids.append(v->m_FormID);
    }
    QAction *item = find<QAction>(m_mdi, QStringLiteral("mnuToolsWatch"));
    if (!item)
        return;
    item->trigger();
    auto *w = find<frmWatch>(m_mdi, QStringLiteral("frmWatch"));
    if (!w)
        return;
    if (w->addForms(ids) != 3)
        fail(QStringLiteral("the watch window did not take the three variables"));
    w->list()->setPlotted(0, true);
    w->move(20, 20);
    w->resize(1040, 640);
    press(w, QStringLiteral("chkTrend"));
    if (auto *span = find<QComboBox>(w, QStringLiteral("cmbTrendSpan")))
        span->setCurrentIndex(0);
    type(w, QStringLiteral("txtWatchInterval"), QStringLiteral("100"));
    press(w, QStringLiteral("cmdWatchStart"));
    // The robot goes round a square in the XY plane and back home.
    const char *const poses[] = {"P(500, 100, 400, 0, 0, 0)", "P(500, 300, 400, 0, 0, 0)", "P(300, 300, 450, 0, 0, 0)",
                                 "P(300, 100, 450, 0, 0, 0)", "P(500, 100, 400, 0, 0, 0)", "P(600, 0, 400, 0, 0, 0)"};
    settle(600);
    for (const char *pose : poses) {
        try {
            robot->m_ZelObj->invoke(QStringLiteral("Move"), zel::CallKind::Method,
                                    {zel::Value::fromI4(2), zel::Value::fromString(QLatin1String(pose)),
                                     zel::Value::fromString(QString())});
        } catch (const zel::ZelError &e) {
            fail(QStringLiteral("Move to %1: %2").arg(QLatin1String(pose), e.description()));
        }
        settle(900);
    }
    press(w, QStringLiteral("cmdWatchStop"));
    w->chart()->refresh();
    if (auto *table = find<QTableView>(w, QStringLiteral("tblWatch")))
        table->clearSelection();
    save(w, QStringLiteral("watch"));
    w->close();
}

void Session::capabilities()
{
    // A restricted capability definition: a second controller gets read-mostly panels.
    PanelBase *ws = qobject_cast<PanelBase *>(m_mdi->findForm(4));
    type(ws, QStringLiteral("txtDCFile"), m_examples + QStringLiteral("/zel-virtual-restricted.xml"));
    press(ws, QStringLiteral("cmdDCLoad"));
    editCombo(ws, QStringLiteral("cmbController"), QStringLiteral("Cell2"));
    editCombo(ws, QStringLiteral("cmbProvider"), QStringLiteral("Zel.Virtual"));
    type(ws, QStringLiteral("txtMachine"), QString());
    press(ws, QStringLiteral("cmdOpen"));
    PanelBase *ctrl = expect(PanelKind::Controller, "restricted controller");
    if (!ctrl || ctrl == m_ctrl)
        return;
    page(ctrl, QStringLiteral("tabController"), 0);
    type(ctrl, QStringLiteral("txtName_0"), QStringLiteral("Level"));
    press(ctrl, QStringLiteral("cmdVariable"));
    PanelBase *var = expect(PanelKind::Variable, "restricted variable");
    press(var, QStringLiteral("cmdGetValue"));
    shotPanel(var, QStringLiteral("capabilities"));
    m_mdi->HideForm(var ? var->m_TreeNode : nullptr);
    m_mdi->HideForm(ctrl->m_TreeNode);
}

void Session::overview()
{
    // The main window in the middle of the session: the tree with every kind of object, the
    // log of the calls, a few panels open.
    for (QMdiSubWindow *w : m_mdi->mdiArea()->subWindowList())
        w->hide();
    m_mdi->tree()->expandAll();
    PanelBase *var = nullptr;
    for (PanelBase *p : m_mdi->findChildren<PanelBase *>())
        if (p->kind() == PanelKind::Variable && p->m_ZelObj && p->windowTitle().endsWith(QLatin1String("Speed")))
            var = p;
    // The last calls read the variable and the controller again, so that the log ends with the
    // request lines of everyday work.
    if (var) {
        for (const char *get : {"cmdGetVarName", "cmdGetValue", "cmdGetAttr", "cmdGetHelp", "cmdGetTag", "cmdGetID",
                                "cmdGetDateTime", "cmdGetMicrosecond"})
            press(var, QLatin1String(get));
    }
    for (const char *get : {"cmdGetName", "cmdGetAttr", "cmdGetTag", "cmdGetID"})
        press(m_ctrl, QLatin1String(get));
    settle();
    place(m_ctrl, 8, 8, true);
    if (var && var->subWindow()) {
        QSize area = m_mdi->mdiArea()->viewport()->size();
        place(var, qMax(8, area.width() - var->subWindow()->width() - 8),
              qMax(8, area.height() - var->subWindow()->height() - 8), true);
    }
    if (var)
        m_mdi->tree()->setCurrentItem(var->m_TreeNode);
    settle(100);
    save(m_mdi, QStringLiteral("overview"));

    shotMenu(QStringLiteral("&File"), QStringLiteral("menu-file"));
    shotMenu(QStringLiteral("&Edit"), QStringLiteral("menu-edit"));
    shotMenu(QStringLiteral("&Help"), QStringLiteral("menu-help"));
}

void Session::findInLog()
{
    // The find bar under the log (Ctrl+F) with every match of a request on screen marked.
    QAction *item = find<QAction>(m_mdi, QStringLiteral("mnuToolsFindLog"));
    if (!item)
        return;
    item->trigger();
    QWidget *bar = find(m_mdi, QStringLiteral("fraLogFind"));
    if (!bar)
        return;
    type(bar, QStringLiteral("txtLogFind"), QStringLiteral("get_"));
    if (auto *all = bar->findChild<QCheckBox *>(QStringLiteral("chkLogFindAll")))
        all->setChecked(true);
    settle(100);
    save(m_mdi->findChild<QWidget *>(QStringLiteral("PicFrame")), QStringLiteral("log-find"));
    if (auto *close = bar->findChild<QAbstractButton *>(QStringLiteral("cmdLogFindClose")))
        close->click();
}

void Session::exportScript()
{
    // The session's recorded script, saved the way the user saves it: File > Export Script...
    // and the file dialog.
    if (m_scriptFile.isEmpty())
        return;
    QAction *item = find<QAction>(m_mdi, QStringLiteral("mnuFileItem_1"));
    if (!item)
        return;
    bool seen = false;
    const QString path = m_scriptFile;
    QTimer::singleShot(200, [&seen, path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        dialog->selectFile(path);
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
    });
    item->trigger();
    settle();
    if (!seen || !QFileInfo(path).isFile())
        fail(QStringLiteral("the script was not exported to %1").arg(path));
}

void Session::modbusDevice()
{
    // A Zel.Modbus controller on zelmodbus-sim serving the example map, and the panel of one of
    // its registers after a Get, a Put and a Get.
    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zelmodbus-sim"),
              {QStringLiteral("--map"), m_examples + QStringLiteral("/cell.map"), QStringLiteral("--port"), QStringLiteral("0")});
    sim.waitForReadyRead(10000);
    const QRegularExpressionMatch port = QRegularExpression(QStringLiteral(" port (\\d+) ")).match(QString::fromUtf8(sim.readLine()));
    if (!port.hasMatch()) {
        fail(QStringLiteral("zelmodbus-sim did not start"));
        return;
    }
    PanelBase *ws = qobject_cast<PanelBase *>(m_mdi->findForm(4));
    type(ws, QStringLiteral("txtDCFile"), m_examples + QStringLiteral("/zel-modbus.xml"));
    press(ws, QStringLiteral("cmdDCLoad"));
    editCombo(ws, QStringLiteral("cmbController"), QStringLiteral("Cell"));
    editCombo(ws, QStringLiteral("cmbProvider"), QStringLiteral("Zel.Modbus"));
    type(ws, QStringLiteral("txtMachine"), QStringLiteral("127.0.0.1:") + port.captured(1));
    type(ws, QStringLiteral("txtOption"), QStringLiteral("@Map=") + m_examples + QStringLiteral("/cell.map"));
    press(ws, QStringLiteral("cmdOpen"));
    PanelBase *ctrl = expect(PanelKind::Controller, "Modbus controller");
    if (ctrl && ctrl != m_ctrl) {
        page(ctrl, QStringLiteral("tabController"), 0);
        type(ctrl, QStringLiteral("txtName_0"), QStringLiteral("Speed"));
        press(ctrl, QStringLiteral("cmdVariable"));
        PanelBase *var = expect(PanelKind::Variable, "Modbus variable");
        press(var, QStringLiteral("cmdGetVarName"));
        press(var, QStringLiteral("cmdGetValue"));
        choose(var, QStringLiteral("cmbValueType"), QStringLiteral("I2"));
        type(var, QStringLiteral("txtPutValue"), QStringLiteral("135"));
        press(var, QStringLiteral("cmdPutValue"));
        press(var, QStringLiteral("cmdGetValue"));
        press(var, QStringLiteral("cmdGetAttr"));
        press(var, QStringLiteral("cmdGetDateTime"));
        shotPanel(var, QStringLiteral("modbus-variable"));
        m_mdi->HideForm(var ? var->m_TreeNode : nullptr);
        m_mdi->HideForm(ctrl->m_TreeNode);
    }
    sim.terminate();
    sim.waitForFinished(5000);
}

int Session::run()
{
    if (!m_dir.isValid() || !QDir().mkpath(m_out)) {
        fail(QStringLiteral("cannot create %1").arg(m_out));
        return 1;
    }
    startProgram();
    if (!m_mdi)
        return 1;
    engineAndWorkspace();
    controller();
    members();
    messages();
    tools();
    watch();
    capabilities();
    overview();
    findInLog();
    exportScript();
    modbusDevice();

    // Ending the run asks nothing: the recorded script is not to be saved.
    m_run->state().scriptModified = false;
    m_run.reset();
    std::fprintf(stdout, "guideshots: %lld screenshots in %s\n", static_cast<long long>(m_written.size()), qPrintable(m_out));
    return m_failures.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Offscreen, the screen is a laptop's (1366 by 768), where the program opens as its users
    // see it on such a screen.
    QTemporaryDir screenDir;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        QFile config(screenDir.filePath(QStringLiteral("screen.json")));
        if (config.open(QIODevice::WriteOnly)
            && config.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768,
                                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") > 0) {
            config.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
        } else {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZelTester"));
    zelproviders::registerProviders();
    QStringList args = QApplication::arguments().mid(1);
    bool lenient = args.removeAll(QStringLiteral("--lenient")) > 0;
    QString examples;
    int e = args.indexOf(QStringLiteral("--examples"));
    if (e >= 0 && e + 1 < args.size()) {
        examples = args.at(e + 1);
        args.remove(e, 2);
    }
    QString script;
    int k = args.indexOf(QStringLiteral("--script"));
    if (k >= 0 && k + 1 < args.size()) {
        script = QFileInfo(args.at(k + 1)).absoluteFilePath();
        args.remove(k, 2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: guideshots [--lenient] [--examples DIR] [--script FILE] OUTPUT_DIRECTORY\n");
        return 2;
    }
    // A session that hangs in a window nobody answers must not hang the build.
    QTimer::singleShot(120000, [] {
        std::fprintf(stderr, "guideshots: gave up after two minutes\n");
        std::exit(1);
    });
    Session session(QDir(args.constFirst()).absolutePath(), examples, script);
    int status = session.run();
    return lenient ? 0 : status;
}
