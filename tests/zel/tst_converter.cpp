#include "zel/converter.h"
#include "zel/errors.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

using namespace zel;

namespace {

// Generates arbitrary values of every kind the converter handles, nested arrays included.
class ValueGen {
public:
    explicit ValueGen(quint32 seed) : m_rng(seed) {}

    Value any(int depth = 0)
    {
        int pick = int(m_rng.bounded(depth < 3 ? 16 : 14));
        switch (pick) {
        case 0: return m_rng.bounded(2) ? Value() : Value::null();
        case 1: return Value::fromBool(m_rng.bounded(2));
        case 14: return array(VT_VARIANT, depth);
        case 15: return array(scalarType(), depth);
        default: return scalar(scalarType());
        }
    }

    quint16 scalarType()
    {
        static const quint16 types[] = {VT_BOOL, VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4,
                                        VT_R4,   VT_R8, VT_CY,  VT_DATE, VT_BSTR};
        return types[m_rng.bounded(int(std::size(types)))];
    }

    Value scalar(quint16 type)
    {
        switch (type) {
        case VT_BOOL: return Value::fromBool(m_rng.bounded(2));
        case VT_I1: return Value::fromI1(qint8(m_rng.generate()));
        case VT_UI1: return Value::fromUI1(quint8(m_rng.generate()));
        case VT_I2: return Value::fromI2(qint16(m_rng.generate()));
        case VT_UI2: return Value::fromUI2(quint16(m_rng.generate()));
        case VT_I4: return Value::fromI4(qint32(edgeOr(m_rng.generate())));
        case VT_UI4: return Value::fromUI4(quint32(m_rng.generate()));
        case VT_R4: return Value::fromR4(realBits<float, quint32>());
        case VT_R8: return Value::fromR8(realBits<double, quint64>());
        case VT_CY: return Value::fromCurrency(Currency{currency()});
        case VT_DATE: return Value::fromDate(Date{date()});
        default: return Value::fromString(text());
        }
    }

    Value array(quint16 elementType, int depth)
    {
        Array a;
        a.elementType = VarType(elementType);
        a.lowerBound = m_rng.bounded(3) == 0 ? qint32(m_rng.bounded(-50, 50)) : 0;
        int n = int(m_rng.bounded(7));
        for (int i = 0; i < n; ++i)
            a.items.append(elementType == VT_VARIANT ? any(depth + 1) : scalar(elementType));
        return Value::fromArray(a);
    }

private:
    qint64 edgeOr(quint32 r)
    {
        switch (m_rng.bounded(8)) {
        case 0: return INT32_MIN;
        case 1: return INT32_MAX;
        case 2: return 0;
        default: return qint32(r);
        }
    }

    template <typename Real, typename Bits>
    Real realBits()
    {
        switch (m_rng.bounded(10)) {
        case 0: return std::numeric_limits<Real>::quiet_NaN();
        case 1: return m_rng.bounded(2) ? std::numeric_limits<Real>::infinity() : -std::numeric_limits<Real>::infinity();
        case 2: return m_rng.bounded(2) ? Real(0) : -Real(0);
        case 3: return std::numeric_limits<Real>::denorm_min();
        case 4: return Real(m_rng.bounded(-1000, 1000)) / Real(8);
        default: {
            // Any bit pattern that is a finite number.
            for (;;) {
                Bits b = Bits(m_rng.generate64());
                Real r;
                std::memcpy(&r, &b, sizeof r);
                if (std::isfinite(r))
                    return r;
            }
        }
        }
    }

    qint64 currency()
    {
        switch (m_rng.bounded(6)) {
        case 0: return std::numeric_limits<qint64>::min();
        case 1: return std::numeric_limits<qint64>::max();
        case 2: return qint64(m_rng.bounded(-100000, 100000));
        default: return qint64(m_rng.generate64());
        }
    }

    qint64 date()
    {
        // 0001/01/01 to 9999/12/31 23:59:59.999, sometimes whole seconds.
        const qint64 lo = -(693593LL + 1) * 86400000 + 86400000;
        const qint64 hi = 2958466LL * 86400000 - 1;
        qint64 ms = lo + qint64(m_rng.generate64() % quint64(hi - lo));
        return m_rng.bounded(2) ? ms - ((ms % 1000) + 1000) % 1000 : ms;
    }

    QString text()
    {
        static const QString alphabet = u"ab Z,\"()[]:;'\t\u00e9\u4e2d9-.\\"_s;
        QString s;
        int n = int(m_rng.bounded(9));
        for (int i = 0; i < n; ++i)
            s += alphabet[int(m_rng.bounded(alphabet.size()))];
        return s;
    }

    QRandomGenerator m_rng;
};

Value arr(VarType t, QList<Value> items, qint32 lb = 0)
{
    return Value::fromArray(Array{t, lb, std::move(items)});
}

} // namespace

class TestConverter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTripOfGeneratedValues()
    {
        for (quint32 seed : {1u, 2u, 3u, 20261205u}) {
            ValueGen gen(seed);
            for (int i = 0; i < 5000; ++i) {
                Value v = gen.any();
                QString text = BstrFromVariant(v, 0);
                Value back;
                try {
                    back = VariantFromBstr(text);
                } catch (const ZelError &e) {
                    QFAIL(qPrintable(u"seed %1 #%2: %3 failed: %4"_s.arg(seed).arg(i).arg(text, e.description())));
                }
                if (!(back == v))
                    QFAIL(qPrintable(u"seed %1 #%2: %3 read back as %4"_s.arg(seed).arg(i).arg(text, BstrFromVariant(back, 0))));
            }
        }
    }

    void scalarTexts_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << Value() << "0,";
        QTest::newRow("null") << Value::null() << "1,";
        QTest::newRow("true") << Value::fromBool(true) << "11,True";
        QTest::newRow("i4") << Value::fromI4(-42) << "3,-42";
        QTest::newRow("ui1") << Value::fromUI1(255) << "17,255";
        QTest::newRow("i1") << Value::fromI1(-128) << "16,-128";
        QTest::newRow("r8 shortest") << Value::fromR8(0.1) << "5,0.1";
        QTest::newRow("r4 shortest") << Value::fromR4(0.1f) << "4,0.1";
        QTest::newRow("r8 exp") << Value::fromR8(1e300) << "5,1e+300";
        QTest::newRow("cy") << Value::fromCurrency(Currency{123400}) << "6,12.3400";
        QTest::newRow("cy neg") << Value::fromCurrency(Currency{-5}) << "6,-0.0005";
        QTest::newRow("date") << Value::fromDate(Date::fromOleDate(45000.5)) << "7,2023/03/15 12:00:00";
        QTest::newRow("date ms") << Value::fromDate(Date{1}) << "7,1899/12/30 00:00:00.001";
        QTest::newRow("date before epoch") << Value::fromDate(Date::fromOleDate(-1.25)) << "7,1899/12/29 06:00:00";
        QTest::newRow("bstr") << Value::fromString(" a,b \"c\" ") << "8, a,b \"c\" ";
    }

    void scalarTexts()
    {
        QFETCH(Value, value);
        QFETCH(QString, text);
        QCOMPARE(BstrFromVariant(value, 0), text);
        QVERIFY(VariantFromBstr(text) == value);
    }

    void arrayTexts()
    {
        QCOMPARE(BstrFromVariant(arr(VT_I2, {Value::fromI2(1), Value::fromI2(2), Value::fromI2(3)}), 0), u"8194,1,2,3"_s);
        QCOMPARE(BstrFromVariant(arr(VT_I4, {Value::fromI4(7)}, 1), 0), u"8195,[1]7"_s);
        QCOMPARE(BstrFromVariant(arr(VT_BSTR, {Value::fromString("a"), Value::fromString("b,c"), Value::fromString(" x"),
                                              Value::fromString("say \"hi\""), Value::fromString("")}),
                                 0),
                 u"8200,a,\"b,c\",\" x\",\"say \"\"hi\"\"\",\"\""_s);
        Value nested = arr(VT_VARIANT, {Value::fromI4(1), Value::fromString("t"), arr(VT_VARIANT, {Value::null(), arr(VT_I2, {Value::fromI2(5)}, 2)})});
        QCOMPARE(BstrFromVariant(nested, 0), u"8204,3:1,8:t,8204:(1:,8194:([2]5))"_s);
        QVERIFY(VariantFromBstr(u"8204,3:1,8:t,8204:(1:,8194:([2]5))"_s) == nested);
        QCOMPARE(BstrFromVariant(arr(VT_R8, {}), 0), u"8197,"_s);
        QVERIFY(VariantFromBstr(u"8197,"_s) == arr(VT_R8, {}));
    }

    void userTextIsForgiving()
    {
        // Blanks around numbers and elements, either date separator, an optional trailing comma for empty.
        QVERIFY(VariantFromBstr(u"3, 42 "_s) == Value::fromI4(42));
        QVERIFY(VariantFromBstr(u"8195,1, 2 ,3"_s) == arr(VT_I4, {Value::fromI4(1), Value::fromI4(2), Value::fromI4(3)}));
        QVERIFY(VariantFromBstr(u"8200,a, b"_s) == arr(VT_BSTR, {Value::fromString("a"), Value::fromString("b")}));
        QVERIFY(VariantFromBstr(u"7,2024-02-29"_s) == VariantFromBstr(u"7,2024/02/29 00:00:00"_s));
        QVERIFY(VariantFromBstr(u"7,10:30"_s) == Value::fromDate(Date{(10 * 60 + 30) * 60000}));
        QVERIFY(VariantFromBstr(u"0"_s) == Value());
        QVERIFY(VariantFromBstr(u"1"_s) == Value::null());
        QVERIFY(VariantFromBstr(u"11,false"_s) == Value::fromBool(false));
        QVERIFY(VariantFromBstr(u"11,-1"_s) == Value::fromBool(true));
        QVERIFY(VariantFromBstr(u"6,1.00005"_s) == Value::fromCurrency(Currency{10000}));  // half to even
        QVERIFY(VariantFromBstr(u"6,1.00015"_s) == Value::fromCurrency(Currency{10002}));
        QVERIFY(VariantFromBstr(u"5,+2.5"_s) == Value::fromR8(2.5));
        QVERIFY(VariantFromBstr(u"4,1e-60"_s) == Value::fromR4(0.0f)); // underflow reads as zero
    }

    void failures_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QString>("mention");
        QTest::newRow("letters as I4") << "3,abc" << quint32(E_TYPE_MISMATCH) << "'abc' is not a valid I4";
        QTest::newRow("fraction as I4") << "3,1.5" << quint32(E_TYPE_MISMATCH) << "I4";
        QTest::newRow("I2 overflow") << "2,40000" << quint32(E_OVERFLOW) << "-32768 to 32767";
        QTest::newRow("I4 overflow") << "3,99999999999999999999" << quint32(E_OVERFLOW) << "I4";
        QTest::newRow("UI1 negative") << "17,-1" << quint32(E_OVERFLOW) << "UI1";
        QTest::newRow("R4 overflow") << "4,1e39" << quint32(E_OVERFLOW) << "R4";
        QTest::newRow("CY overflow") << "6,922337203685478" << quint32(E_OVERFLOW) << "CY";
        QTest::newRow("bad date") << "7,2023/02/30" << quint32(E_OVERFLOW) << "2023/02/30";
        QTest::newRow("bad time") << "7,2023/02/03 25:00" << quint32(E_TYPE_MISMATCH) << "DATE";
        QTest::newRow("bool") << "11,maybe" << quint32(E_TYPE_MISMATCH) << "'maybe' is not a valid BOOL";
        QTest::newRow("no type") << "abc" << quint32(E_VALUE_SYNTAX) << "variant type number";
        QTest::newRow("unknown type") << "99,1" << quint32(E_UNKNOWN_TYPE) << "99";
        QTest::newRow("object") << "9,x" << quint32(E_UNKNOWN_TYPE) << "9";
        QTest::newRow("text after empty") << "0,x" << quint32(E_VALUE_SYNTAX) << "EMPTY";
        QTest::newRow("array element") << "8195,1,x,3" << quint32(E_TYPE_MISMATCH) << "Element 2";
        QTest::newRow("open quote") << "8200,\"abc" << quint32(E_VALUE_SYNTAX) << "closing quote";
        QTest::newRow("variant element without type") << "8204,42" << quint32(E_VALUE_SYNTAX) << "type:value";
        QTest::newRow("nested array without parentheses") << "8204,8195:1" << quint32(E_VALUE_SYNTAX) << "parentheses";
        QTest::newRow("unclosed nesting") << "8204,8195:(1,2" << quint32(E_VALUE_SYNTAX) << "')'";
        QTest::newRow("bad lower bound") << "8195,[x]1" << quint32(E_VALUE_SYNTAX) << "lower bound";
    }

    void failures()
    {
        QFETCH(QString, text);
        QFETCH(quint32, number);
        QFETCH(QString, mention);
        try {
            VariantFromBstr(text);
            QFAIL("no error");
        } catch (const ZelError &e) {
            QCOMPARE(e.unsignedNumber(), number);
            QVERIFY2(e.description().contains(mention), qPrintable(e.description()));
        }
    }

    void objectsHaveNoText()
    {
        QVERIFY_THROWS_EXCEPTION(ZelError, BstrFromVariant(Value::fromObject(nullptr), 0));
        QVERIFY_THROWS_EXCEPTION(ZelError, Value::null().toPlainText());
        QCOMPARE(Value::fromI4(5).toPlainText(), u"5"_s);
        QCOMPARE(Value().toPlainText(), QString());
    }

    void stringsAsNumbers()
    {
        QCOMPARE(Value::fromString(" 12.5 ").toDouble(), 12.5);
        QCOMPARE(Value::fromString("2.5").toInt32(), 2);
        QVERIFY_THROWS_EXCEPTION(ZelError, Value::fromString("x").toDouble());
    }
};

QTEST_GUILESS_MAIN(TestConverter)
#include "tst_converter.moc"
