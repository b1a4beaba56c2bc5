// The watch window's cost: 200 variables of Zel.Virtual watched at 100 ms, first without the
// trend, then with the trend shown (ten rows plotted, values changing), side by side in one run.
// Aim: the chart adds under 5 % of one core (process CPU time, getrusage). Also the memory of
// the trend store filled with 200 rows x 10 minutes at 100 ms (6,000 points each): under 50 MB.
//
// BENCH_WATCH_SECONDS sets the length of each phase (default 10).
#include "aims.h"
#include "benchsession.h"
#include "memory.h"
#include "panelkit/PanelBase.h"
#include "shell/frmMDI.h"
#include "tools/frmWatch.h"
#include "tools/trendchart.h"
#include "tools/trendstore.h"
#include "tools/watchlist.h"
#include "zel/engine.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEventLoop>
#include <QGraphicsView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kRows = 200;
constexpr int kIntervalMs = 100;
constexpr int kPlotted = 10;

// Process CPU time (user and system) in seconds.
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for that long; returns the CPU seconds it took.
double runFor(int seconds)
{
    const double cpu0 = cpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return cpuSeconds() - cpu0;
}

// Counts the paint events of a widget (that the chart is really drawn).
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    BenchSession session;
    ZelTesterRun &run = session.run;
    if (!run.started())
        return Aims::kCouldNotRun;
    const int seconds = std::max(1, qEnvironmentVariableIntValue("BENCH_WATCH_SECONDS") ?: 10);

    // First, before the windows take memory that they free again: the store of 200 rows x 10 minutes at 100 ms.
    const double mem0 = residentMB();
    auto *store = new TrendStore;
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - TrendStore::kDefaultKeepMs;
    QStringList names;
    for (int r = 0; r < kRows; ++r)
        names << QStringLiteral("Wss(\"Default\").Ctrls(\"rc1\").Vars(\"v%1\")").arg(r);
    for (int t = 0; t < 6000; ++t) {
        for (int r = 0; r < kRows; ++r)
            store->append(names[r], start + qint64(t) * kIntervalMs, double(t + r));
    }
    const double mem1 = residentMB();
    std::printf("trend store of %d rows x 6000 points: %lld points, %.1f MB\n", kRows, qint64(store->pointCount()),
                mem1 - mem0);
    delete store;

    // A controller with 200 variables, each with its panel, added as a user does.
    auto *ws = qobject_cast<PanelBase *>(run.window()->findForm(4));
    ws->findChild<QComboBox *>(QStringLiteral("cmbController"))->setEditText(QStringLiteral("rc1"));
    ws->findChild<QPushButton *>(QStringLiteral("cmdOpen"))->click();
    PanelBase *ctrl = nullptr;
    for (PanelBase *p : run.window()->findChildren<PanelBase *>()) {
        if (p->kind() == PanelKind::Controller)
            ctrl = p;
    }
    if (!ctrl)
        return Aims::kCouldNotRun;
    ctrl->findChild<QTabWidget *>(QStringLiteral("tabController"))->setCurrentIndex(0);
    QList<qint32> ids;
    QList<zel::ObjectPtr> objects;
    for (int i = 0; i < kRows; ++i) {
        ctrl->findChild<QLineEdit *>(QStringLiteral("txtName_0"))->setText(QStringLiteral("v%1").arg(i));
        ctrl->findChild<QPushButton *>(QStringLiteral("cmdVariable"))->click();
    }
    for (PanelBase *p : run.window()->findChildren<PanelBase *>()) {
        if (p->kind() == PanelKind::Variable && !p->isUnloaded()) {
            ids.append(p->m_FormID);
            objects.append(p->m_ZelObj);
        }
    }
    if (ids.size() != kRows)
        return Aims::kCouldNotRun;
    // The values change all the time, as a moving cell's do (the same in both phases).
    int tick = 0;
    QTimer mover;
    QObject::connect(&mover, &QTimer::timeout, [&] {
        ++tick;
        for (int i = 0; i < objects.size(); ++i)
            objects[i]->invoke(QStringLiteral("Value"), zel::CallKind::PropertyPut,
                               {zel::Value::fromR8(100.0 * std::sin((tick + i) / 20.0))});
    });
    mover.start(kIntervalMs);

    frmWatch *w = frmWatch::open(run.window());
    w->resize(1200, 700);
    w->addForms(ids);
    for (int r = 0; r < kPlotted; ++r)
        w->list()->setPlotted(r, true);
    w->findChild<QLineEdit *>(QStringLiteral("txtWatchInterval"))->setText(QString::number(kIntervalMs));
    w->findChild<QPushButton *>(QStringLiteral("cmdWatchStart"))->click();

    const double idleCpu = runFor(1); // settle
    Q_UNUSED(idleCpu);
    const double without = runFor(seconds);
    w->findChild<QCheckBox *>(QStringLiteral("chkTrend"))->setChecked(true);
    PaintCounter counter;
    auto *view = w->findChild<QGraphicsView *>(QStringLiteral("chvTrend"));
    view->viewport()->installEventFilter(&counter);
    runFor(1);
    const int paints0 = counter.paints;
    const double with = runFor(seconds);
    const int paints = counter.paints - paints0;
    // For comparison: every row plotted (200 lines and their legend).
    for (int r = kPlotted; r < kRows; ++r)
        w->list()->setPlotted(r, true);
    runFor(1);
    const double withAll = runFor(seconds);
    for (int r = kPlotted; r < kRows; ++r)
        w->list()->setPlotted(r, false);
    w->findChild<QCheckBox *>(QStringLiteral("chkTrend"))->setChecked(false);
    runFor(1);
    const double withoutAgain = runFor(seconds);
    w->findChild<QPushButton *>(QStringLiteral("cmdWatchStop"))->click();
    mover.stop();
    const double baseline = (without + withoutAgain) / 2;
    const double chartShare = (with - baseline) / seconds * 100.0;
    std::printf("%d rows at %d ms, %d s per phase (%lld samples kept):\n", kRows, kIntervalMs, seconds,
                qint64(w->list()->store().pointCount()));
    std::printf("  without the chart:          %6.2f %% of one core (%.2f s CPU, then %.2f s)\n", baseline / seconds * 100.0,
                without, withoutAgain);
    std::printf("  with the chart (%d plotted): %6.2f %% of one core (%.2f s CPU)\n", kPlotted, with / seconds * 100.0, with);
    std::printf("  with all %d rows plotted:  %6.2f %% of one core (%.2f s CPU)\n", kRows, withAll / seconds * 100.0, withAll);
    std::printf("  chart drawn %d times (%.1f per second)\n", paints, double(paints) / seconds);
    std::printf("  the chart's share:          %6.2f %% of one core  (aim: under 5 %%)\n", chartShare);


    Aims aims;
    aims.check(chartShare < 5.0, QStringLiteral("the chart adds %1 % of one core to 200 rows at 100 ms, under 5 %")
                                     .arg(chartShare, 0, 'f', 2));
    aims.note(QStringLiteral("polling 200 rows at 100 ms alone: %1 % of one core").arg(baseline / seconds * 100.0, 0, 'f', 2));
    aims.check(mem1 - mem0 < 50.0, QStringLiteral("200 rows x 10 minutes at 100 ms take %1 MB, under 50 MB").arg(mem1 - mem0, 0, 'f', 1));
    return aims.result();
}
