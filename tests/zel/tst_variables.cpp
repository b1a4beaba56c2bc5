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
        const QList<Value> values{I(1), S("text"), Value::null(), Value::fromBool(true), Value::fromCurrency({12345}),
                                  Value::fromDate(Date{123456789}), Value::fromArray(Array{VT_VARIANT, 3, {I(1), S("a")}}),
                                  Value::fromObject(m_c)};
        for (const Value &x : values) {
            v->invoke("Value", CallKind::PropertyPut, {x});
            QCOMPARE(v->invoke("Value", CallKind::PropertyGet, {}), x);
        }
        const Date before = v->dateTime();
        QTest::qWait(5);
        v->setValue(I(2));
        const Date after = v->dateTime();
        QVERIFY(after.msecs > before.msecs);
        const qint32 us = v->microsecond();
        QVERIFY(us >= 0 && us < 1000000);
        QCOMPARE(us / 1000, qint32(((after.msecs % 1000) + 1000) % 1000)); // the microseconds within DateTime's second
        QCOMPARE(v->invoke("Microsecond", CallKind::PropertyGet, {}).type(), quint16(VT_I4));
        // a read does not stamp a plain variable
        v->value();
        QCOMPARE(v->dateTime(), after);
        QCOMPARE(v->attribute(), 3);
    }

    void systemVariables()
    {
        auto clock = m_c->addVariable("@clock");
        QCOMPARE(clock->name(), u"@Clock"_s);
        QCOMPARE(m_c->addVariable("@CLOCK"), clock);
        QCOMPARE(clock->value().type(), quint16(VT_DATE));
        QVERIFY(qAbs(clock->value().dateValue().msecs - clock->dateTime().msecs) < 1000);
        EXPECT_ERROR_TEXT(clock->setValue(I(1)), E_READ_ONLY, "@Clock");
        QCOMPARE(clock->attribute(), 5);

        auto counter = m_c->addVariable("@Counter");
        QCOMPARE(counter->value(), I(1));
        QCOMPARE(counter->value(), I(2));
        QCOMPARE(counter->invoke("Value", CallKind::PropertyGet, {}), I(3));
        counter->setValue(S("100"));
        QCOMPARE(counter->value(), I(101));
        QCOMPARE(errorOf([&] { counter->setValue(S("many")); }).unsignedNumber(), quint32(E_TYPE_MISMATCH));
        QCOMPARE(counter->value(), I(102));
        QCOMPARE(counter->attribute(), 7);

        auto ro = m_c->addVariable("@ReadOnly");
        QCOMPARE(ro->value(), S("read-only"));
        QCOMPARE(errorOf([&] { ro->invoke("Value", CallKind::PropertyPut, {I(1)}); }).unsignedNumber(), quint32(E_READ_ONLY));
        QCOMPARE(ro->value(), S("read-only"));

        auto fail = m_c->addVariable("@Fail");
        QCOMPARE(errorOf([&] { fail->value(); }).unsignedNumber(), quint32(E_INJECTED));
        QCOMPARE(errorOf([&] { fail->setValue(I(1)); }).unsignedNumber(), quint32(E_INJECTED));

        EXPECT_ERROR_TEXT(m_c->addVariable("@Nope"), E_NOT_FOUND, "@Nope", "@Clock", "@PendingMessages");
        QCOMPARE(m_c->variables()->size(), 4);
        QCOMPARE(m_c->addVariable("@Provider")->value(), S("Zel.Virtual"));
    }

    void namesListSystemAndAddedVariables()
    {
        m_c->addVariable("Speed");
        m_c->addVariable("@Clock");
        QStringList names = m_c->variableNames();
        QCOMPARE(names.mid(0, 4), (QStringList{"@Clock", "@Counter", "@ReadOnly", "@Fail"}));
        QVERIFY(names.contains("@EventDisable"));
        QCOMPARE(names.count("@Clock"), 1);
        QCOMPARE(names.last(), u"Speed"_s);
        QCOMPARE(m_c->variableNames("Filter=@Message*"), (QStringList{"@MessageInterval", "@MessagesRaised", "@MessagesDropped"}));
        Value v = m_c->invoke("VariableNames", CallKind::PropertyGet, {S("Filter=sp?ed")});
        QCOMPARE(v.arrayValue().items, QList<Value>{S("Speed")});
        QCOMPARE(errorOf([&] { m_c->variableNames("Filter=\"x"); }).unsignedNumber(), quint32(E_BAD_OPTION));
    }

    void hostsOfVariables()
    {
        auto robot = m_c->addRobot("R");
        auto pos = robot->addVariable("@CurrentPosition");
        QCOMPARE(pos->value(), S("P(600, 0, 400, 0, 0, 0)"));
        robot->goHome();
        auto ext = m_c->addExtension("IO");
        auto io = ext->addVariable("@IO");
        io->setValue(I(5));
        QCOMPARE(ext->execute("GetBit", I(2)), Value::fromBool(true));
        QCOMPARE(errorOf([&] { io->setValue(Value::fromR8(1.5)); }).unsignedNumber(), quint32(E_OUT_OF_RANGE));
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

    // Not a timing test (the benchmark measures speed): the write and read path must not
    // grow the engine's object counts or allocate per call beyond the value itself.
    void hotPathIsPlain()
    {
        auto v = m_c->addVariable("Perf");
        const Value x = S("payload");
        const QList<Value> putArgs{x};
        const QList<Value> noArgs;
        for (int i = 0; i < 10000; ++i) {
            v->invoke("Value", CallKind::PropertyPut, putArgs);
            QCOMPARE(v->invoke("Value", CallKind::PropertyGet, noArgs).stringValue().constData(), x.stringValue().constData());
        }
        QCOMPARE(m_engine->engineStatus()->objectCount(int(ObjectKind::Variable)), 1);
    }
};

QTEST_GUILESS_MAIN(TestVariables)
#include "tst_variables.moc"
