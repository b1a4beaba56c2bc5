// A first session on a small screen (1366 by 768, the offscreen platform given that screen): the
// main window within the screen, a log pane that shows a request line whole, and every panel of
// a session of ten Adds opened wholly inside the client area, in a cascade that starts again at
// the top left; Enter on a tree node shows its panel.
#include "testsupport.h"

#include <QApplication>
#include <QMdiArea>
#include <QScreen>
#include <QScrollBar>
#include <QtMath>

namespace {

const QSize kScreen(1366, 768);

QString rectText(const QRect &r)
{
    return u"%1,%2 %3x%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The client area's visible rectangle, in the coordinates of its frames.
QRect clientArea(TestRun &run)
{
    return QRect(QPoint(0, 0), run.mdi()->mdiArea()->viewport()->size());
}

// The shown panels that are not wholly inside the visible client area: the client area's own
// rectangle, on the screen's available area.
QStringList outside(TestRun &run)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QStringList out;
    for (QMdiSubWindow *frame : run.mdi()->mdiArea()->subWindowList()) {
        const QRect onScreen(frame->mapToGlobal(QPoint(0, 0)), frame->size());
        if (frame->isVisible() && !(clientArea(run).contains(frame->geometry()) && available.contains(onScreen)))
            out << frame->windowTitle();
    }
    return out;
}

} // namespace

class TestSmallScreen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theMainWindowFitsTheScreen()
    {
        TestRun run;
        QScreen *screen = QGuiApplication::primaryScreen();
        QCOMPARE(screen->geometry().size(), kScreen);
        const QRect available = screen->availableGeometry();
        frmMDI *mdi = run.mdi();
        QVERIFY2(available.contains(mdi->frameGeometry()), qPrintable(rectText(mdi->frameGeometry())));
        // It takes most of the screen, centred.
        QVERIFY(mdi->width() * 10 >= available.width() * 9 && mdi->height() * 10 >= available.height() * 8);
        QVERIFY(qAbs(mdi->frameGeometry().center().x() - available.center().x()) <= 2);
        // The status bar is on the screen.
        auto *status = child<QWidget>(mdi, "stbrMain");
        QVERIFY(available.contains(QRect(status->mapToGlobal(QPoint(0, 0)), status->size())));
        QCOMPARE(outside(run), QStringList());
    }

    // A window that ended up beyond the screen's edges, or larger than the screen (a window
    // manager's frame larger than expected), is brought back inside.
    void theWindowIsKeptOnTheScreen()
    {
        TestRun run;
        frmMDI *mdi = run.mdi();
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        for (QRect bad : {QRect(-100, 400, 1000, 600), QRect(600, -50, 1000, 600), QRect(0, 0, 2000, 1000)}) {
            mdi->setGeometry(bad);
            mdi->keepOnScreen();
            QVERIFY2(available.contains(mdi->frameGeometry()), qPrintable(rectText(mdi->frameGeometry())));
        }
        QCOMPARE(mdi->size(), available.size() - (mdi->frameGeometry().size() - mdi->size()));
    }

    // A typical request line fits the log pane without scrolling; longer lines scroll.
    void theLogShowsARequestLineWhole()
    {
        TestRun run;
        PanelBase *var = addMember(run, addController(run, "RC1"), PanelKind::Variable, "V1");
        run.click(var, "cmdGetValue");
        QPlainTextEdit *log = run.mdi()->logPane();
        const QString line = run.logLines().value(run.logLines().size() - 2);
        QVERIFY2(line.endsWith(u"Wss(\"Default\").Ctrls(\"RC1\").Vars(\"V1\").get_Value()"_s), qPrintable(line));
        QApplication::processEvents();
        const int margins = 2 * qCeil(log->document()->documentMargin());
        QVERIFY(log->fontMetrics().horizontalAdvance(line) + margins <= log->viewport()->width());
        QVERIFY(!log->horizontalScrollBar()->isVisible() || log->horizontalScrollBar()->maximum() == 0);
        QCOMPARE(log->lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    // Ten Adds, each opening a panel: every panel shown lies wholly inside the client area, the
    // client area needs no scrolling, and the cascade has started again at the top left.
    void tenAddsOpenTheirPanelsInsideTheClientArea()
    {
        TestRun run;
        QMdiArea *area = run.mdi()->mdiArea();
        QList<PanelBase *> opened;
        auto check = [&](PanelBase *p, const char *what) {
            QVERIFY2(p && p->subWindow() && p->subWindow()->isVisible(), what);
            opened << p;
            QCOMPARE(outside(run), QStringList());
            QVERIFY(!area->horizontalScrollBar()->isVisible() && !area->verticalScrollBar()->isVisible());
        };
        PanelBase *engine = run.panel(2);
        fill(engine, {"txtWSName=Cell A"});
        clickButton(engine, "cmdAddWS");
        check(run.lastPanel(PanelKind::Workspace), "workspace");
        PanelBase *ctrl = addController(run, "RC1");
        check(ctrl, "controller");
        const PanelKind kinds[] = {PanelKind::Variable, PanelKind::Robot,   PanelKind::File,     PanelKind::Task,
                                   PanelKind::Extension, PanelKind::Command, PanelKind::Variable};
        int n = 0;
        for (PanelKind kind : kinds)
            check(addMember(run, ctrl, kind, kind == PanelKind::File ? u"f.txt"_s : u"M%1"_s.arg(++n)), "member");
        // The robot's own variable: an Add on a member panel.
        PanelBase *robot = run.lastPanel(PanelKind::Robot);
        fill(robot, {"txtVarName=Speed"});
        clickButton(robot, "cmdGetVar");
        check(run.lastPanel(PanelKind::Variable), "robot's variable");
        QCOMPARE(opened.size(), 10);
        // Not all in one place: the cascade moved on, and came back to the top left.
        QSet<QPoint> corners;
        for (PanelBase *p : opened)
            corners.insert(p->subWindow()->pos());
        QVERIFY(corners.size() > 2);
        QVERIFY(corners.contains(QPoint(0, 0)));
        run.state().scriptModified = false;
    }

    void enterOnANodeShowsItsPanel()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        run.mdi()->HideForm(ws->m_TreeNode);
        QTreeWidget *tree = run.mdi()->tree();
        tree->setFocus();
        tree->setCurrentItem(ws->m_TreeNode);
        QVERIFY(!ws->subWindow()->isVisible());
        QTest::keyClick(tree, Qt::Key_Return);
        QVERIFY(ws->subWindow()->isVisible());
        QCOMPARE(run.mdi()->mdiArea()->activeSubWindow(), ws->subWindow());
        run.mdi()->HideForm(ws->m_TreeNode);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(ws->subWindow()->isVisible());
    }
};

// The offscreen platform with one screen of the size above; the test makes its own
// configuration, whatever platform the environment names.
int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    const QString config = dir.filePath(u"screen.json"_s);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(QStringLiteral(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": %1, "height": %2,
                                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(kScreen.width())
                   .arg(kScreen.height())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication application(argc, argv);
    TestSmallScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_smallscreen.moc"
