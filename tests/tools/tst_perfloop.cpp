// The performance check's measured loop on its own, without its window: how each pattern ends,
// what each failing step reports, Ignore Error, Check Data and a stop request seen through the
// event pump. The window's own behaviour is tst_perfchk's.
#include "tools/perfloop.h"
#include "zel/engine.h"

#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using zel::Value;

namespace {

// A clock that advances one millisecond with every reading, from 0.
quint32 g_ticks = 0;
quint32 steppingTick()
{
    return ++g_ticks;
}

PerfLoop::Plan plan(PerfLoop::Pattern pattern, bool write, bool read, bool compare = false, bool ignore = false)
{
    PerfLoop::Plan p;
    p.pattern = pattern;
    p.write = write;
    p.read = read;
    p.compare = compare;
    p.ignoreErrors = ignore;
    return p;
}

} // namespace

class TestPerfLoop : public QObject {
    Q_OBJECT

    std::shared_ptr<zel::ZelEngine> m_engine;
    std::shared_ptr<zel::ZelController> m_c;

    zel::Object *variable(const QString &name) { return m_c->addVariable(name).get(); }

private Q_SLOTS:
    void init()
    {
        m_engine = zel::ZelEngine::create();
        m_c = m_engine->workspaces()->at(0)->addController(u"C"_s, u"Zel.Virtual"_s);
        g_ticks = 0;
    }

    // A number of times: exactly that many iterations, and the value written is the one read.
    void countPatternRunsItsCount()
    {
        PerfLoop loop;
        PerfLoop::Plan p = plan(PerfLoop::PatternCount, true, true, true);
        p.count = 250;
        zel::Object *v = variable(u"V1"_s);
        QCOMPARE(loop.run(p, v, Value::fromI4(42), &steppingTick, 0), int(PerfLoop::StepNone));
        QCOMPARE(loop.iterations(), quint64(250));
        QCOMPARE(v->invoke(u"Value"_s, zel::CallKind::PropertyGet, {}).toInt32(), 42);
        // A count of nothing runs nothing.
        p.count = 0;
        QCOMPARE(loop.run(p, v, Value::fromI4(1), &steppingTick, 0), int(PerfLoop::StepNone));
        QCOMPARE(loop.iterations(), quint64(0));
    }

    // For a time: the clock is read once at the top of each iteration, and the run ends on the
    // first reading that reaches the limit.
    void timePatternEndsAtItsLimit()
    {
        PerfLoop loop;
        PerfLoop::Plan p = plan(PerfLoop::PatternTime, false, true);
        p.limitMs = 5;
        QCOMPARE(loop.run(p, variable(u"V1"_s), Value(), &steppingTick, 0), int(PerfLoop::StepNone));
        QCOMPARE(loop.iterations(), quint64(4)); // readings 1 to 4 run, 5 ends it
        QCOMPARE(g_ticks, 5u);
        // Across a wrap of the 32-bit counter.
        g_ticks = 0xFFFFFFFEu;
        QCOMPARE(loop.run(p, variable(u"V2"_s), Value(), &steppingTick, 0xFFFFFFFEu), int(PerfLoop::StepNone));
        QCOMPARE(loop.iterations(), quint64(4));
    }

    // The step that failed is the result; without Ignore Error it ends the run at once, with it
    // the run goes on to its end and still reports the failure.
    void failuresReportTheirStep_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("read");
        QTest::addColumn<bool>("compare");
        QTest::addColumn<bool>("ignore");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("iterations");
        QTest::newRow("write refused") << u"@ReadOnly"_s << true << false << false << false << int(PerfLoop::StepWrite)
                                       << 1;
        QTest::newRow("write refused, ignored")
            << u"@ReadOnly"_s << true << true << false << true << int(PerfLoop::StepWrite) << 10;
        QTest::newRow("read fails") << u"@Fail"_s << false << true << false << false << int(PerfLoop::StepRead) << 1;
        QTest::newRow("read fails, ignored")
            << u"@Fail"_s << false << true << false << true << int(PerfLoop::StepRead) << 10;
        // @Counter reads one more than was written: Check Data ends the run, ignored or not.
        QTest::newRow("data differs") << u"@Counter"_s << true << true << true << true << int(PerfLoop::StepCompare)
                                      << 1;
        QTest::newRow("data not checked")
            << u"@Counter"_s << true << true << false << false << int(PerfLoop::StepNone) << 10;
    }

    void failuresReportTheirStep()
    {
        QFETCH(QString, name);
        QFETCH(bool, write);
        QFETCH(bool, read);
        QFETCH(bool, compare);
        QFETCH(bool, ignore);
        QFETCH(int, result);
        QFETCH(int, iterations);
        PerfLoop loop;
        PerfLoop::Plan p = plan(PerfLoop::PatternCount, write, read, compare, ignore);
        p.count = 10;
        QCOMPARE(loop.run(p, variable(name), Value::fromI4(5), &steppingTick, 0), result);
        QCOMPARE(loop.iterations(), quint64(iterations));
    }

    // Without a variable every write and read fails.
    void noVariableFails()
    {
        PerfLoop loop;
        PerfLoop::Plan p = plan(PerfLoop::PatternCount, false, true);
        p.count = 3;
        QCOMPARE(loop.run(p, nullptr, Value(), &steppingTick, 0), int(PerfLoop::StepRead));
        p.write = true;
        QCOMPARE(loop.run(p, nullptr, Value::fromI4(1), &steppingTick, 0), int(PerfLoop::StepWrite));
        QCOMPARE(loop.iterations(), quint64(1));
    }

    // Until stopped: a stop request made while the run pumps events ends it at the next
    // iteration; one made before a run ends that run before its first iteration until cleared.
    void stopRequestEndsTheRun()
    {
        PerfLoop loop;
        const PerfLoop::Plan p = plan(PerfLoop::PatternInfinite, true, true, true);
        int pumped = 0;
        QTimer timer;
        timer.setInterval(0);
        connect(&timer, &QTimer::timeout, &timer, [&] {
            if (++pumped == 3)
                loop.requestStop();
        });
        timer.start();
        QCOMPARE(loop.run(p, variable(u"V1"_s), Value::fromString(u"x"_s), &steppingTick, 0), int(PerfLoop::StepNone));
        QVERIFY(loop.stopRequested());
        QVERIFY(loop.iterations() >= 3);
        timer.stop();

        QCOMPARE(loop.run(p, variable(u"V2"_s), Value::fromString(u"x"_s), &steppingTick, 0), int(PerfLoop::StepNone));
        QCOMPARE(loop.iterations(), quint64(0));
        loop.clearStop();
        PerfLoop::Plan counted = p;
        counted.pattern = PerfLoop::PatternCount;
        counted.count = 2;
        QCOMPARE(loop.run(counted, variable(u"V3"_s), Value::fromString(u"x"_s), &steppingTick, 0),
                 int(PerfLoop::StepNone));
        QCOMPARE(loop.iterations(), quint64(2));
    }
};

QTEST_GUILESS_MAIN(TestPerfLoop)
#include "tst_perfloop.moc"
