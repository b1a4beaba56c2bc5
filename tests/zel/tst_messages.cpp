// Controller messages: OnMessage through the event loop, the GetMessage queue, chosen serial
// numbers, Reply and Clear, and the periodic message flood.
#include "zeltest.h"

namespace {
std::shared_ptr<ZelMessage> messageOf(const QList<QVariant> &signalArgs)
{
    return std::static_pointer_cast<ZelMessage>(signalArgs.at(0).value<ObjectPtr>());
}
} // namespace

class TestMessages : public EngineTest {
    Q_OBJECT
    std::shared_ptr<ZelWorkspace> m_ws;

private Q_SLOTS:
    void init()
    {
        m_engine = ZelEngine::create();
        m_ws = m_engine->workspaces()->at(0);
    }

    void onMessageIsQueuedNotSynchronous()
    {
        auto c = m_ws->addController("C", "Zel.Virtual", "", "@EventDisable=false");
        QSignalSpy spy(c.get(), &ZelController::OnMessage);
        const Value serial = call(c, "Execute", {S("RaiseMessage"), S("Number=7,Description=Door open,Value=left")});
        QCOMPARE(spy.count(), 0); // never inside the call that caused it
        QCOMPARE(c->pendingMessages(), 0);
        QVERIFY(spy.wait(1000));
        auto m = messageOf(spy.at(0));
        QCOMPARE(m->serialNumber(), serial.toInt32());
        QCOMPARE(m->number(), 7);
        QCOMPARE(m->description(), u"Door open"_s);
        QCOMPARE(m->value(), S("left"));
        QCOMPARE(m->source(), u"C"_s);
        // with events on, nothing is queued for GetMessage
        QCOMPARE(call(c, "GetMessage"), Value::fromObject(nullptr));
    }

    void queuedWhenEventsAreOff()
    {
        auto c = m_ws->addController("C", "Zel.Virtual", "", "@EventDisable=true");
        QSignalSpy spy(c.get(), &ZelController::OnMessage);
        // "Nothing" when empty: an object value holding no object
        const Value none = call(c, "GetMessage");
        QVERIFY(none.type() == VT_DISPATCH && !none.objectValue());

        // numbers, texts and arrays describe the message; the serial number can be chosen twice
        c->execute("RaiseMessage", I(12));
        c->execute("RaiseMessage", S("Just text"));
        c->execute("RaiseMessage", arr(VT_VARIANT, {I(5), S("dup"), R(1.5), I(77)}));
        c->execute("RaiseMessage", S("Description=\"dup, again\",SerialNumber=77"));
        QCOMPARE(c->pendingMessages(), 4);
        QCoreApplication::processEvents();
        QCOMPARE(spy.count(), 0);

        QCOMPARE(c->getMessage()->number(), 12);
        QCOMPARE(c->getMessage()->description(), u"Just text"_s);
        auto m3 = c->getMessage();
        auto m4 = c->getMessage();
        QCOMPARE(m3->serialNumber(), 77);
        QCOMPARE(m4->serialNumber(), 77);
        QCOMPARE(m3->value(), R(1.5));
        QCOMPARE(m4->description(), u"dup, again"_s);
        QVERIFY(!c->getMessage());

        // bad message parameters raise nothing
        EXPECT_ERROR(c->execute("RaiseMessage", S("Number=abc")), E_BAD_OPTION);
        EXPECT_ERROR(c->execute("RaiseMessage", arr(VT_VARIANT, {S("x")})), E_TYPE_MISMATCH);
        QCOMPARE(c->pendingMessages(), 0);
        QCOMPARE(c->messagesRaised(), 4);

        // switching events on at run time
        c->execute("EventDisable", Value::fromBool(false));
        c->execute("RaiseMessage", S("now pushed"));
        QVERIFY(spy.wait(1000));
        QCOMPARE(c->pendingMessages(), 0);
    }

    void replyAndClear()
    {
        auto c = m_ws->addController("C", "Zel.Virtual", "", "@EventDisable=true");
        c->execute("RaiseMessage", S("Number=3,Description=Ask,Value=q"));
        auto m = c->getMessage();
        auto lastReply = c->addVariable("@LastReply");
        call(m, "Reply", {I(99)});
        QCOMPARE(lastReply->value(), I(99));
        QCOMPARE(c->addVariable("@LastReplySerial")->value(), I(m->serialNumber()));
        call(m, "Clear");
        QVERIFY(m->description().isEmpty() && m->value() == Value() && m->number() == 3);
        EXPECT_ERROR(m->reply(I(1)), E_NO_MESSAGE);
        EXPECT_ERROR(m->clear(), E_NO_MESSAGE);

        // a message outliving its controller cannot be replied to
        c->execute("RaiseMessage", S("orphan"));
        auto orphan = c->getMessage();
        m_ws->controllers()->clear();
        c.reset();
        lastReply.reset();
        EXPECT_ERROR(orphan->reply(I(1)), E_DETACHED);
        QCOMPARE(orphan->description(), u"orphan"_s);
    }

    void noDeliveryAfterTheControllerIsGone()
    {
        auto c = m_ws->addController("C", "Zel.Virtual");
        int received = 0;
        connect(c.get(), &ZelController::OnMessage, this, [&] { ++received; });
        c->execute("RaiseMessage", S("late"));
        m_ws->controllers()->clear();
        c.reset(); // destroyed with the event still posted
        QCoreApplication::processEvents();
        QCOMPARE(received, 0);
        QCOMPARE(m_engine->engineStatus()->objectCount(int(ObjectKind::Message)), 0);
    }

    void handlerMayDropTheController()
    {
        auto c = m_ws->addController("C", "Zel.Virtual");
        std::weak_ptr<ZelController> weak = c;
        int received = 0;
        connect(c.get(), &ZelController::OnMessage, this, [&] {
            ++received;
            m_ws->controllers()->clear(); // the panel closes and drops the last reference
            c.reset();
        });
        c->execute("RaiseMessages", I(2));
        QTRY_COMPARE(received, 1);
        QCoreApplication::processEvents();
        QVERIFY(weak.expired());
        QCOMPARE(received, 1);
    }

    void raiseManyAndTheQueueLimit()
    {
        auto c = m_ws->addController("C", "Zel.Virtual", "", "@EventDisable=true");
        QCOMPARE(c->execute("RaiseMessages", S("1500")), I(1500));
        QCOMPARE(c->getMessage()->description(), u"Message 1 of 1500"_s);
        QCOMPARE(c->execute("ClearMessages", {}), I(1499));

        c->execute("RaiseMessages", I(ZelController::kQueueLimit + 5));
        QCOMPARE(c->pendingMessages(), ZelController::kQueueLimit);
        QCOMPARE(c->addVariable("@MessagesDropped")->value(), I(5));
        QCOMPARE(c->getMessage()->description(), u"Message 6 of %1"_s.arg(ZelController::kQueueLimit + 5));
    }

    void periodicFloodByOption()
    {
        // a flood of over 1000 messages by hand: 1 ms ticks of 50 messages, stopping at 1200
        auto c = m_ws->addController("C", "Zel.Virtual", "", "@MessageInterval=1,@MessageBurst=50,@MessageLimit=1200");
        QCOMPARE(c->attribute(), 3);
        QSignalSpy spy(c.get(), &ZelController::OnMessage);
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1200, 10000);
        QVERIFY(!c->periodicMessagesRunning());
        QCOMPARE(messageOf(spy.at(1199))->serialNumber(), 1200);
        QTest::qWait(20);
        QCOMPARE(spy.count(), 1200);
    }

    void periodicByCommandAndVariable()
    {
        auto c = m_ws->addController("C", "Zel.Virtual", "", "@EventDisable=true");
        c->execute("StartMessages", S("Interval=2,Burst=3,Limit=9"));
        QTRY_COMPARE(c->pendingMessages(), 9);
        QVERIFY(!c->periodicMessagesRunning());

        auto interval = c->addVariable("@MessageInterval");
        interval->setValue(S("5"));
        QVERIFY(c->periodicMessagesRunning());
        c->execute("StopMessages", {});
        QCOMPARE(interval->value(), I(0));
        c->execute("StartMessages", I(1));
        QTRY_VERIFY(c->pendingMessages() > 20);
        interval->setValue(I(0));
        QVERIFY(!c->periodicMessagesRunning());
        EXPECT_ERROR(c->execute("StartMessages", S("Interval=1,Burst=0")), E_BAD_OPTION);
        QVERIFY(!c->periodicMessagesRunning());
    }
};

QTEST_GUILESS_MAIN(TestMessages)
#include "tst_messages.moc"
