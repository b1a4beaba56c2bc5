// The task state machine: start modes 1 to 4, stop modes 0 to 4, step timing, deletion.
#include "zeltest.h"

class TestTasks : public EngineTest {
    Q_OBJECT

    // A new task T<n> running a program of `steps` lines, a step every `stepTime` ms.
    std::shared_ptr<ZelTask> task(int steps, int stepTime = 1, const QString &name = u"T"_s)
    {
        QStringList lines;
        for (int i = 1; i <= steps; ++i)
            lines << u"STEP %1"_s.arg(i);
        m_c->addFile(name + ".pgm")->setValue(S(lines.join('\n')));
        Q_ASSERT(!m_c->taskNames().contains(name));
        return m_c->addTask(name, u"File=/%1.pgm,StepTime=%2"_s.arg(name).arg(stepTime));
    }

private Q_SLOTS:
    void init() { newEngine(); }

    void seededTasksAndFileName()
    {
        QCOMPARE(m_c->taskNames(), (QStringList{"Main", "Sub"}));
        QCOMPARE(get(m_c->addTask("main"), "FileName"), S("/Main.pgm"));
        auto fresh = m_c->addTask("");
        // a task whose program does not exist cannot start
        EXPECT_ERROR_TEXT(fresh->start(1), E_FILE_NOT_FOUND, "the program /Task1.pgm of task Task1 does not exist");
        QCOMPARE(fresh->status(), int(ZelTask::Stopped));
        EXPECT_ERROR_TEXT(m_c->addTask("X", "StepTime=0"), E_BAD_OPTION, "StepTime");
    }

    void oneCycleRunsToTheEnd()
    {
        auto t = task(5);
        auto status = t->addVariable("@Status");
        auto cycles = t->addVariable("@Cycles");
        call(t, "Start", {I(1), S("")});
        QCOMPARE(status->value(), I(ZelTask::Running));
        EXPECT_ERROR_TEXT(t->start(2), E_TASK_STATE, "task T is running; stop it first");
        QTRY_COMPARE(status->value(), I(ZelTask::Stopped));
        QCOMPARE(cycles->value(), I(1));
        QCOMPARE(t->line(), 1);
    }

    void cyclicRunAndStopModes()
    {
        auto t = task(4, 2);
        t->start(2);
        QTRY_VERIFY(t->cycles() >= 2); // keeps cycling
        QCOMPARE(t->status(), int(ZelTask::Cycling));

        // 3: cycle stop runs on to the end of the cycle
        t->stop(3);
        QCOMPARE(t->status(), int(ZelTask::CycleStopping));
        const int cycles = t->cycles();
        QTRY_COMPARE(t->status(), int(ZelTask::Stopped));
        QCOMPARE(t->cycles(), cycles + 1);
        QCOMPARE(t->line(), 1);

        // 1: instant stop abandons the current step; 2: step stop completes it
        auto slow = task(10, 60000, "Slow");
        slow->start(2);
        slow->stop(1);
        QCOMPARE(slow->status(), int(ZelTask::Suspended));
        QCOMPARE(slow->line(), 1);
        slow->start(1); // resumes from where it stopped
        slow->stop(2);
        QCOMPARE(slow->status(), int(ZelTask::Suspended));
        QCOMPARE(slow->line(), 2);
        // 0: default stop is a step stop for one cycle, a cycle stop for a cyclic run
        slow->start(1);
        call(slow, "Stop");
        QCOMPARE(slow->line(), 3);
        QCOMPARE(slow->status(), int(ZelTask::Suspended));
        slow->start(2);
        slow->stop(0);
        QCOMPARE(slow->status(), int(ZelTask::CycleStopping));
        // 4: stop and initialize, allowed in any state
        slow->stop(4);
        QCOMPARE(slow->status(), int(ZelTask::Stopped));
        QCOMPARE(slow->line(), 1);
        slow->stop(4);
        EXPECT_ERROR_TEXT(slow->stop(1), E_TASK_STATE, "task Slow is not running (stopped)");
        EXPECT_ERROR_TEXT(slow->start(0), E_BAD_MODE, "start mode 0 does not exist; the modes are 1 (1 cycle start)");
    }

    void stepping()
    {
        auto t = task(3, 60000);
        EXPECT_ERROR_TEXT(t->start(4), E_TASK_STATE, "at its first step and cannot step back");
        t->start(3);
        QCOMPARE(t->line(), 2);
        QCOMPARE(t->status(), int(ZelTask::Suspended));
        t->start(3);
        t->start(4);
        QCOMPARE(t->line(), 2);
        t->start(3);
        t->start(3); // the last step completes the cycle
        QCOMPARE(t->status(), int(ZelTask::Stopped));
        QCOMPARE(t->cycles(), 1);
        QCOMPARE(t->addVariable("@Line")->value(), I(1));
    }

    void deleteTask()
    {
        auto t = task(3, 60000);
        t->start(1);
        EXPECT_ERROR_TEXT(t->deleteTask(), E_TASK_STATE, "stop it before deleting it");
        t->stop(4);
        call(t, "Delete", {S("")});
        QVERIFY(!m_c->taskNames().contains("T"));
        QCOMPARE(t->index(), 0); // the handle stays in the collection
        EXPECT_ERROR_TEXT(t->start(1), E_NOT_FOUND, "task T has been deleted");
        // adding the name again re-creates the task behind the same handle
        QCOMPARE(m_c->addTask("T", "File=/T.pgm"), t);
        QVERIFY(t->exists());
        t->start(3);
        QCOMPARE(t->line(), 2);
    }

    void runningTaskOutlivesItsHandle()
    {
        auto t = task(3, 60000);
        t->start(2);
        m_c->tasks()->clear();
        t.reset();
        auto again = m_c->addTask("T");
        QCOMPARE(again->status(), int(ZelTask::Cycling));
    }
};

QTEST_GUILESS_MAIN(TestTasks)
#include "tst_tasks.moc"
