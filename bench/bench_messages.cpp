// The message flood: a controller pushes 1,001 messages at once and the controller panel lists
// them all, each with its (hidden) message panel. Aim: under one second in all and no more than
// 50 MB of memory growth. Also: the same flood raised by the controller's periodic-message
// option, the cost of the overflow rule for further messages, and what building every message
// panel's window would cost.
#include "aims.h"
#include "benchsession.h"
#include "memory.h"
#include "panels/frmController.h"
#include "panels/frmMessage.h"
#include "shell/frmMDI.h"
#include "zel/engine.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cstdio>
#include <unistd.h>

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

frmController *addController(ZelTesterRun &run, const QString &name, const QString &option)
{
    auto *ws = qobject_cast<PanelBase *>(run.window()->findForm(4));
    ws->findChild<QComboBox *>(QStringLiteral("cmbController"))->setEditText(name);
    ws->findChild<QLineEdit *>(QStringLiteral("txtOption"))->setText(option);
    ws->findChild<QPushButton *>(QStringLiteral("cmdOpen"))->click();
    frmController *found = nullptr;
    for (frmController *c : run.window()->findChildren<frmController *>()) {
        if (!found || c->m_FormID > found->m_FormID)
            found = c;
    }
    return found;
}

// Waits until the list holds `count` entries (or the time is up); returns the milliseconds.
double waitForEntries(frmController *ctrl, int count, QElapsedTimer &clock)
{
    auto *list = ctrl->findChild<QListWidget *>(QStringLiteral("lstMessage"));
    while (list->count() < count && clock.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    BenchSession session;
    ZelTesterRun &run = session.run;
    if (!run.started())
        return Aims::kCouldNotRun;
    constexpr int kFlood = 1001;

    // 1. RaiseMessages: 1,001 messages raised in one call, delivered through the event loop.
    frmController *ctrl = addController(run, QStringLiteral("rc1"), QString());
    settle();
    double mem0 = residentMB();
    QElapsedTimer clock;
    clock.start();
    ctrl->m_ZelObj->invoke(QStringLiteral("Execute"), zel::CallKind::Method,
                           {zel::Value::fromString(QStringLiteral("RaiseMessages")), zel::Value::fromI4(kFlood)});
    double raised = clock.nsecsElapsed() / 1e6;
    double listed = waitForEntries(ctrl, kFlood, clock);
    settle();
    double mem1 = residentMB();
    std::printf("flood of %d pushed messages (RaiseMessages):\n", kFlood);
    std::printf("  raised in the engine:           %8.1f ms\n", raised);
    std::printf("  all listed with their panels:   %8.1f ms  (aim: under 1000 ms)\n", listed);
    std::printf("  per message:                    %8.1f us\n", listed * 1000.0 / kFlood);
    std::printf("  memory growth:                  %8.1f MB  (aim: at most 50 MB)\n", mem1 - mem0);
    std::printf("  entries %d, message panels %lld, log lines %d\n",
                ctrl->findChild<QListWidget *>(QStringLiteral("lstMessage"))->count(), qint64(ctrl->m_ZelMess.count()),
                run.state().log.lineCount());

    // 2. Further messages while the list is full: dropped by the overflow rule.
    clock.restart();
    ctrl->m_ZelObj->invoke(QStringLiteral("Execute"), zel::CallKind::Method,
                           {zel::Value::fromString(QStringLiteral("RaiseMessages")), zel::Value::fromI4(kFlood)});
    settle();
    std::printf("  %d more, dropped (overflow):  %8.1f ms\n", kFlood, clock.nsecsElapsed() / 1e6);

    // 3. The periodic-message option: one tick raises the whole burst.
    double mem2 = residentMB();
    clock.restart();
    frmController *periodic = addController(
        run, QStringLiteral("rc2"), QStringLiteral("@MessageInterval=1,@MessageBurst=%1,@MessageLimit=%1").arg(kFlood));
    double periodicListed = waitForEntries(periodic, kFlood, clock);
    settle();
    std::printf("flood of %d messages by @MessageInterval=1,@MessageBurst=%d (Add included):\n", kFlood, kFlood);
    std::printf("  all listed with their panels:   %8.1f ms  (aim: under 1000 ms)\n", periodicListed);
    std::printf("  memory growth:                  %8.1f MB\n", residentMB() - mem2);

    // 4. For comparison: what the windows of all message panels cost when they are made.
    double mem3 = residentMB();
    clock.restart();
    for (frmMessage *m : ctrl->m_ZelMess.items())
        m->ensureBuilt();
    settle();
    std::printf("building the windows of all %lld message panels of rc1: %.1f ms, %.1f MB\n",
                qint64(ctrl->m_ZelMess.count()), clock.nsecsElapsed() / 1e6, residentMB() - mem3);

    // 5. Closing the controller panel closes every message panel ("Release()" lines).
    clock.restart();
    run.window()->DeleteForm(periodic->m_TreeNode);
    settle();
    std::printf("deleting rc2 with its %d message panels:  %8.1f ms\n", kFlood, clock.nsecsElapsed() / 1e6);
    Aims aims;
    aims.check(listed < 1000.0, QStringLiteral("%1 pushed messages listed in %2 ms, under 1000 ms").arg(kFlood).arg(listed, 0, 'f', 1));
    aims.check(mem1 - mem0 <= 50.0, QStringLiteral("memory grows by %1 MB, at most 50 MB").arg(mem1 - mem0, 0, 'f', 1));
    aims.check(periodicListed < 1000.0,
               QStringLiteral("%1 periodic messages listed in %2 ms, under 1000 ms").arg(kFlood).arg(periodicListed, 0, 'f', 1));
    return aims.result();
}
