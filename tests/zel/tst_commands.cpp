// Commands: Timeout, Parameters, State and Result; synchronous and asynchronous modes, the
// ExecuteComplete event of the Commands collection, Cancel and time-outs.
#include "zeltest.h"

class TestCommands : public EngineTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { newEngine(); }

    void propertiesAndBehaviours()
    {
        QCOMPARE(m_c->commandNames(), (QStringList{"Echo", "Sum", "Upper", "Delay", "Fail", "Now"}));
        auto echo = m_c->addCommand("Echo");
        QCOMPARE(get(echo, "Timeout"), I(10000));
        put(echo, "Timeout", S("250"));
        EXPECT_ERROR_TEXT(echo->setTimeout(-1), E_OUT_OF_RANGE, "-1 ms is out of range");
        EXPECT_ERROR_TEXT(put(echo, "Timeout", S("soon")), E_TYPE_MISMATCH, "put_Timeout");
        QCOMPARE(echo->timeout(), 250);

        const Value p = arr(VT_VARIANT, {I(1), S("a,b")});
        put(echo, "Parameters", p);
        call(echo, "Execute", {I(0)});
        QCOMPARE(echo->state(), int(ZelCommand::Completed));
        QCOMPARE(get(echo, "Result"), p);

        auto sum = m_c->addCommand("sum");
        sum->setParameters(arr(VT_VARIANT, {I(1), R(2.5), S("3")}));
        EXPECT_ERROR_TEXT(sum->execute(0), E_TYPE_MISMATCH, "element 2 of the parameters is BSTR");
        QCOMPARE(sum->state(), int(ZelCommand::Failed));
        QVERIFY(sum->result().stringValue().contains("element 2"));
        sum->setParameters(arr(VT_I2, {Value::fromI2(4), Value::fromI2(5)}));
        sum->execute(2); // mode 2: the result as text
        QCOMPARE(sum->result(), S("9"));

        auto fail = m_c->addCommand("Fail");
        fail->setParameters(S("Number=0x80040777,Description=Valve stuck"));
        EXPECT_ERROR_TEXT(fail->execute(0), 0x80040777u, "Valve stuck");
        EXPECT_ERROR_TEXT(echo->execute(4), E_BAD_MODE, "mode 4 does not exist");
        EXPECT_ERROR_TEXT(echo->cancel(), E_COMMAND_IDLE, "not executing (it is completed)");
    }

    void asynchronousCompletion()
    {
        auto a = m_c->addCommand("A", "Duration=300");
        auto b = m_c->addCommand("B", "Duration=1");
        QSignalSpy spy(m_c->commands().get(), &ZelCommands::ExecuteComplete);
        a->setParameters(I(7));
        call(a, "Execute", {I(1)});
        QCOMPARE(a->state(), int(ZelCommand::Executing));
        QCOMPARE(a->result(), Value());
        EXPECT_ERROR_TEXT(a->execute(1), E_COMMAND_BUSY, "already executing");
        a->setParameters(I(8)); // the running execution keeps the parameters it started with
        b->execute(3);
        QCOMPARE(spy.count(), 0);
        QVERIFY(spy.wait(1000));
        QCOMPARE(spy.at(0).at(0).toInt(), b->index());
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toInt(), a->index());
        QCOMPARE(a->result(), I(7));
        // synchronous modes raise no event
        a->execute(0);
        QTest::qWait(30);
        QCOMPARE(spy.count(), 2);
    }

    void cancelAndTimeouts()
    {
        auto c = m_c->addCommand("Slow", "Duration=50");
        QSignalSpy spy(m_c->commands().get(), &ZelCommands::ExecuteComplete);
        c->execute(1);
        call(c, "Cancel");
        QTest::qWait(80);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(c->state(), int(ZelCommand::Cancelled));

        // asynchronous: completes as timed out after Timeout; synchronous: fails at once
        c->setTimeout(5);
        c->execute(1);
        QVERIFY(spy.wait(1000));
        QCOMPARE(c->state(), int(ZelCommand::TimedOut));
        QVERIFY(c->result().stringValue().contains("timed out after 5 ms"));
        EXPECT_ERROR_TEXT(c->execute(0), E_TIMEOUT, "takes 50 ms, longer than its Timeout of 5 ms");
        c->setTimeout(0); // no limit
        c->execute(0);
        QCOMPARE(c->state(), int(ZelCommand::Completed));

        auto delay = m_c->addCommand("Delay");
        delay->setParameters(S("x"));
        EXPECT_ERROR_TEXT(delay->execute(1), E_TYPE_MISMATCH, "delay in ms");
        QCOMPARE(delay->state(), int(ZelCommand::Idle)); // a refused call changes nothing
    }

    void completionOfARemovedOrDroppedCommand()
    {
        auto a = m_c->addCommand("A", "Duration=5");
        auto b = m_c->addCommand("B", "Duration=5");
        QSignalSpy spy(m_c->commands().get(), &ZelCommands::ExecuteComplete);
        a->execute(1);
        b->execute(1);
        m_c->commands()->remove(I(0)); // a leaves: completes without an event; b is now index 0
        QTRY_COMPARE(b->state(), int(ZelCommand::Completed));
        QTRY_COMPARE(a->state(), int(ZelCommand::Completed));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 0);

        // a command dropped while pending never completes and never crashes
        b->execute(1);
        m_c->commands()->clear();
        b.reset();
        QTest::qWait(20);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(count(ObjectKind::Command), 1);
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
