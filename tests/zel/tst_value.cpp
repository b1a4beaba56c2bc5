#include "zel/errors.h"
#include "zel/value.h"

#include <QTest>

using namespace zel;

class TestValue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typesAndEquality()
    {
        QCOMPARE(Value().type(), quint16(VT_EMPTY));
        QCOMPARE(Value::null().type(), quint16(VT_NULL));
        QCOMPARE(Value::fromI4(5).type(), quint16(VT_I4));
        QVERIFY(Value::fromI4(5) == Value::fromI4(5));
        QVERIFY(Value::fromI4(5) != Value::fromI2(5));
        QVERIFY(Value::fromR8(qQNaN()) == Value::fromR8(qQNaN()));
        QVERIFY(Value::fromR8(0.0) != Value::fromR8(-0.0));
        Array a{VT_I2, 1, {Value::fromI2(1), Value::fromI2(2)}};
        Value av = Value::fromArray(a);
        QCOMPARE(av.type(), quint16(VT_ARRAY | VT_I2));
        QCOMPARE(av.arrayValue().upperBound(), 2);
        Array b = a;
        b.lowerBound = 0;
        QVERIFY(av != Value::fromArray(b));
    }

    void typedArrayRejectsOtherElements()
    {
        Array a{VT_I2, 0, {Value::fromI4(1)}};
        QVERIFY_THROWS_EXCEPTION(ZelError, Value::fromArray(a));
    }

    void oleDates()
    {
        QCOMPARE(Date::fromOleDate(-1.25).msecs, qint64(-64800000));
        QCOMPARE(Date{-64800000}.toOleDate(), -1.25);
        QCOMPARE(Date::fromOleDate(2.5).toOleDate(), 2.5);
        QCOMPARE(Date::fromOleDate(-0.5).msecs, qint64(43200000));
    }

    void roundingHalfToEven()
    {
        QCOMPARE(Value::fromR8(2.5).toInt32(), 2);
        QCOMPARE(Value::fromR8(3.5).toInt32(), 4);
        QCOMPARE(Value::fromR8(-2.5).toInt32(), -2);
        QVERIFY_THROWS_EXCEPTION(ZelError, Value::fromR8(3e9).toInt32());
    }
};

QTEST_GUILESS_MAIN(TestValue)
#include "tst_value.moc"
