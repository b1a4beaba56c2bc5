// Variables: values of any type with time stamps, and the system variables that make reads and
// failures observable.
#include "zeltest.h"

class TestVariables : public EngineTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { newEngine(); }

    void holdsAnyValueAndStampsWrites()
    {
        auto v = m_c->addVariable("V");
        QCOMPARE(v->value(), Value());
        for (const Value &x : {I(1), Value::null(), Value::fromCurrency({12345}), arr(VT_VARIANT, {I(1), S("a")}, 3), Value::fromObject(m_c)}) {
            put(v, "Value", x);
            QCOMPARE(get(v, "Value"), x);
        }
        const Date before = v->dateTime();
        QTest::qWait(5);
        v->setValue(I(2));
        const Date after = v->dateTime();
        QVERIFY(after.msecs > before.msecs);
        // the microseconds within DateTime's second
        QCOMPARE(v->microsecond() / 1000, qint32(((after.msecs % 1000) + 1000) % 1000));
        v->value(); // a read does not stamp a plain variable
        QCOMPARE(v->dateTime(), after);
    }

    void systemVariables()
    {
        auto clock = m_c->addVariable("@clock");
        QCOMPARE(clock->name(), u"@Clock"_s);
        QCOMPARE(m_c->addVariable("@CLOCK"), clock);
        QVERIFY(qAbs(clock->value().dateValue().msecs - clock->dateTime().msecs) < 1000);
        EXPECT_ERROR_TEXT(clock->setValue(I(1)), E_READ_ONLY, "@Clock");

        auto counter = m_c->addVariable("@Counter");
        QCOMPARE(counter->value(), I(1));
        QCOMPARE(get(counter, "Value"), I(2));
        counter->setValue(S("100"));
        QCOMPARE(counter->value(), I(101));

        auto fail = m_c->addVariable("@Fail");
        EXPECT_ERROR(fail->value(), E_INJECTED);
        EXPECT_ERROR(fail->setValue(I(1)), E_INJECTED);
        EXPECT_ERROR(put(m_c->addVariable("@ReadOnly"), "Value", I(1)), E_READ_ONLY);
        EXPECT_ERROR_TEXT(m_c->addVariable("@Nope"), E_NOT_FOUND, "@Nope", "@Clock", "@PendingMessages");
    }

    void namesListSystemAndAddedVariables()
    {
        m_c->addVariable("Speed");
        m_c->addVariable("@Clock");
        const QStringList names = m_c->variableNames();
        QCOMPARE(names.mid(0, 4), (QStringList{"@Clock", "@Counter", "@ReadOnly", "@Fail"}));
        QCOMPARE(names.count("@Clock"), 1);
        QCOMPARE(names.last(), u"Speed"_s);
        QCOMPARE(m_c->variableNames("Filter=@Message*"), (QStringList{"@MessageInterval", "@MessagesRaised", "@MessagesDropped"}));
        EXPECT_ERROR(m_c->variableNames("Filter=\"x"), E_BAD_OPTION);
    }

    void hostsOfVariables()
    {
        auto robot = m_c->addRobot("R");
        auto pos = robot->addVariable("@CurrentPosition");
        auto ext = m_c->addExtension("IO");
        auto io = ext->addVariable("@IO");
        io->setValue(I(5));
        QCOMPARE(ext->execute("GetBit", I(2)), Value::fromBool(true));
        EXPECT_ERROR(io->setValue(R(1.5)), E_OUT_OF_RANGE);
        QCOMPARE(io->value(), I(5));
        // the host going away leaves its variables readable only as an error
        m_c->robots()->clear();
        robot.reset();
        EXPECT_ERROR_TEXT(pos->value(), E_DETACHED, "ZelRobot R");
        // plain variables of a vanished host keep working
        auto file = m_c->addFile("readme.txt");
        auto note = file->addVariable("Note");
        m_c->files()->clear();
        file.reset();
        note->setValue(S("still here"));
        QCOMPARE(note->value(), S("still here"));
    }
};

QTEST_GUILESS_MAIN(TestVariables)
#include "tst_variables.moc"
