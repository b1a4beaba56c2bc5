// Values and their converter texts: equality, dates, rounding, the round trip of generated
// values, the exact texts, what user-typed text may look like, and the failures.
#include "zel/converter.h"
#include "zeltest.h"

#include <QRandomGenerator>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Arbitrary values of every kind the converter handles, nested arrays and edge numbers included.
class ValueGen {
public:
    explicit ValueGen(quint32 seed) : m_rng(seed) {}

    Value any(int depth = 0)
    {
        switch (m_rng.bounded(depth < 3 ? 16 : 14)) {
        case 0: return m_rng.bounded(2) ? Value() : Value::null();
        case 14: return array(VT_VARIANT, depth);
        case 15: return array(scalarType(), depth);
        default: return scalar(scalarType());
        }
    }

private:
    quint16 scalarType()
    {
        static const quint16 types[] = {VT_BOOL, VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR};
        return types[m_rng.bounded(int(std::size(types)))];
    }

    Value scalar(quint16 type)
    {
        const quint64 r = m_rng.generate64();
        const bool edge = m_rng.bounded(6) == 0;
        switch (type) {
        case VT_BOOL: return Value::fromBool(r & 1);
        case VT_I1: return Value::fromI1(qint8(r));
        case VT_UI1: return Value::fromUI1(quint8(r));
        case VT_I2: return Value::fromI2(qint16(r));
        case VT_UI2: return Value::fromUI2(quint16(r));
        case VT_I4: return Value::fromI4(edge ? (r & 1 ? INT32_MIN : INT32_MAX) : qint32(r));
        case VT_UI4: return Value::fromUI4(quint32(r));
        case VT_R4: return Value::fromR4(real<float, quint32>(r));
        case VT_R8: return Value::fromR8(real<double, quint64>(r));
        case VT_CY: return Value::fromCurrency(Currency{edge ? (r & 1 ? INT64_MIN : INT64_MAX) : qint64(r)});
        case VT_DATE: {
            // 0001/01/01 to 9999/12/31 23:59:59.999, sometimes whole seconds.
            const qint64 lo = -693593LL * 86400000, hi = 2958466LL * 86400000 - 1;
            const qint64 ms = lo + qint64(r % quint64(hi - lo));
            return Value::fromDate(Date{edge ? ms - ((ms % 1000) + 1000) % 1000 : ms});
        }
        default: {
            static const QString alphabet = u"ab Z,\"()[]:;'\t\u00e9\u4e2d9-.\\"_s;
            QString s;
            for (int i = int(m_rng.bounded(9)); i > 0; --i)
                s += alphabet[int(m_rng.bounded(alphabet.size()))];
            return Value::fromString(s);
        }
        }
    }

    Value array(quint16 elementType, int depth)
    {
        Array a{VarType(elementType), m_rng.bounded(3) == 0 ? qint32(m_rng.bounded(-50, 50)) : 0, {}};
        for (int i = int(m_rng.bounded(7)); i > 0; --i)
            a.items.append(elementType == VT_VARIANT ? any(depth + 1) : scalar(elementType));
        return Value::fromArray(a);
    }

    // Special numbers now and then, else any finite bit pattern.
    template <typename Real, typename Bits>
    Real real(quint64 r)
    {
        switch (m_rng.bounded(8)) {
        case 0: return std::numeric_limits<Real>::quiet_NaN();
        case 1: return (r & 1 ? 1 : -1) * std::numeric_limits<Real>::infinity();
        case 2: return r & 1 ? Real(0) : -Real(0);
        case 3: return std::numeric_limits<Real>::denorm_min();
        default: {
            const Bits b = Bits(r);
            Real x;
            std::memcpy(&x, &b, sizeof x);
            return std::isfinite(x) ? x : Real(1.5);
        }
        }
    }

    QRandomGenerator m_rng;
};

} // namespace

class TestConverter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void valueRules()
    {
        QVERIFY(I(5) != Value::fromI2(5)); // the type is part of the value
        QVERIFY(R(qQNaN()) == R(qQNaN()));
        QVERIFY(R(0.0) != R(-0.0));
        QVERIFY(arr(VT_I2, {Value::fromI2(1)}, 1) != arr(VT_I2, {Value::fromI2(1)}, 0));
        QVERIFY_THROWS_EXCEPTION(ZelError, arr(VT_I2, {I(1)}));
        // dates before the epoch count their fraction forwards
        QCOMPARE(Date::fromOleDate(-1.25).msecs, qint64(-64800000));
        QCOMPARE(Date{-64800000}.toOleDate(), -1.25);
        QCOMPARE(Date::fromOleDate(-0.5).msecs, qint64(43200000));
        // halves round to even
        QCOMPARE(R(2.5).toInt32(), 2);
        QCOMPARE(R(3.5).toInt32(), 4);
        QCOMPARE(S(" 12.5 ").toDouble(), 12.5);
        QVERIFY_THROWS_EXCEPTION(ZelError, R(3e9).toInt32());
        QVERIFY_THROWS_EXCEPTION(ZelError, S("x").toDouble());
        // objects and null have no plain text
        QVERIFY_THROWS_EXCEPTION(ZelError, BstrFromVariant(Value::fromObject(nullptr), 0));
        QVERIFY_THROWS_EXCEPTION(ZelError, Value::null().toPlainText());
        QCOMPARE(Value().toPlainText(), QString());
    }

    void roundTripOfGeneratedValues()
    {
        for (quint32 seed : {1u, 2u, 3u, 20261205u}) {
            ValueGen gen(seed);
            for (int i = 0; i < 5000; ++i) {
                const Value v = gen.any();
                const QString text = BstrFromVariant(v, 0);
                const ZelError e = errorOf([&] {
                    if (!(VariantFromBstr(text) == v))
                        throw ZelError(1u, u"read back as "_s + BstrFromVariant(VariantFromBstr(text), 0));
                });
                QVERIFY2(e.unsignedNumber() == 0, qPrintable(u"seed %1 #%2: %3: %4"_s.arg(seed).arg(i).arg(text, e.description())));
            }
        }
    }

    // The exact texts written, and what user-typed text may look like besides (read only).
    void texts_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("written");
        QTest::newRow("empty") << Value() << "0," << true;
        QTest::newRow("null") << Value::null() << "1," << true;
        QTest::newRow("true") << Value::fromBool(true) << "11,True" << true;
        QTest::newRow("r8 shortest") << R(0.1) << "5,0.1" << true;
        QTest::newRow("r4 shortest") << Value::fromR4(0.1f) << "4,0.1" << true;
        QTest::newRow("cy neg") << Value::fromCurrency(Currency{-5}) << "6,-0.0005" << true;
        QTest::newRow("date ms") << Value::fromDate(Date{1}) << "7,1899/12/30 00:00:00.001" << true;
        QTest::newRow("date before epoch") << Value::fromDate(Date::fromOleDate(-1.25)) << "7,1899/12/29 06:00:00" << true;
        QTest::newRow("bstr") << S(" a,b \"c\" ") << "8, a,b \"c\" " << true;
        QTest::newRow("lower bound") << arr(VT_I4, {I(7)}, 1) << "8195,[1]7" << true;
        QTest::newRow("quoted elements") << arr(VT_BSTR, {S("a"), S("b,c"), S(" x"), S("say \"hi\""), S("")})
                                         << "8200,a,\"b,c\",\" x\",\"say \"\"hi\"\"\",\"\"" << true;
        QTest::newRow("nested") << arr(VT_VARIANT, {I(1), S("t"), arr(VT_VARIANT, {Value::null(), arr(VT_I2, {Value::fromI2(5)}, 2)})})
                                << "8204,3:1,8:t,8204:(1:,8194:([2]5))" << true;
        QTest::newRow("blanks") << I(42) << "3, 42 " << false;
        QTest::newRow("blank elements") << arr(VT_I4, {I(1), I(2), I(3)}) << "8195,1, 2 ,3" << false;
        QTest::newRow("date with dashes") << VariantFromBstr(u"7,2024/02/29 00:00:00"_s) << "7,2024-02-29" << false;
        QTest::newRow("time only") << Value::fromDate(Date{(10 * 60 + 30) * 60000}) << "7,10:30" << false;
        QTest::newRow("no comma") << Value::null() << "1" << false;
        QTest::newRow("bool number") << Value::fromBool(true) << "11,-1" << false;
        QTest::newRow("cy half to even") << Value::fromCurrency(Currency{10000}) << "6,1.00005" << false;
        QTest::newRow("r4 underflow") << Value::fromR4(0.0f) << "4,1e-60" << false;
    }

    void texts()
    {
        QFETCH(Value, value);
        QFETCH(QString, text);
        QFETCH(bool, written);
        if (written)
            QCOMPARE(BstrFromVariant(value, 0), text);
        QVERIFY(VariantFromBstr(text) == value);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QString>("mention");
        QTest::newRow("letters as I4") << "3,abc" << quint32(E_TYPE_MISMATCH) << "'abc' is not a valid I4";
        QTest::newRow("fraction as I4") << "3,1.5" << quint32(E_TYPE_MISMATCH) << "I4";
        QTest::newRow("I2 overflow") << "2,40000" << quint32(E_OVERFLOW) << "-32768 to 32767";
        QTest::newRow("bad date") << "7,2023/02/30" << quint32(E_OVERFLOW) << "2023/02/30";
        QTest::newRow("bool") << "11,maybe" << quint32(E_TYPE_MISMATCH) << "'maybe' is not a valid BOOL";
        QTest::newRow("no type") << "abc" << quint32(E_VALUE_SYNTAX) << "variant type number";
        QTest::newRow("unknown type") << "99,1" << quint32(E_UNKNOWN_TYPE) << "99";
        QTest::newRow("text after empty") << "0,x" << quint32(E_VALUE_SYNTAX) << "EMPTY";
        QTest::newRow("array element") << "8195,1,x,3" << quint32(E_TYPE_MISMATCH) << "Element 2";
        QTest::newRow("open quote") << "8200,\"abc" << quint32(E_VALUE_SYNTAX) << "closing quote";
        QTest::newRow("variant element without type") << "8204,42" << quint32(E_VALUE_SYNTAX) << "type:value";
        QTest::newRow("unclosed nesting") << "8204,8195:(1,2" << quint32(E_VALUE_SYNTAX) << "')'";
        QTest::newRow("bad lower bound") << "8195,[x]1" << quint32(E_VALUE_SYNTAX) << "lower bound";
    }

    // Texts of any depth and size: arrays nest at most MaxArrayDepth levels, deeper ones are
    // refused as malformed (no crash, at any depth); long flat arrays are read whole.
    void deepAndLargeTexts()
    {
        auto nested = [](int depth) {
            return u"8204,"_s + u"8204:("_s.repeated(depth - 1) + u"3:1"_s + u")"_s.repeated(depth - 1);
        };
        const Value deepest = VariantFromBstr(nested(MaxArrayDepth));
        QCOMPARE(BstrFromVariant(deepest), nested(MaxArrayDepth));
        for (int depth : {MaxArrayDepth + 1, 20000, 200000}) {
            const ZelError e = errorOf([&] { VariantFromBstr(nested(depth)); });
            QCOMPARE(e.unsignedNumber(), quint32(E_VALUE_SYNTAX));
            QVERIFY2(e.description().startsWith(u"arrays nested more than 64 levels deep in ARRAY | VARIANT at position %1 of '"_s
                                                    .arg(6 * MaxArrayDepth + 1)),
                     qPrintable(e.description().left(120)));
        }
        // Unclosed, and closed too often.
        EXPECT_ERROR(VariantFromBstr(u"8204,"_s + u"8204:("_s.repeated(100000)), E_VALUE_SYNTAX);
        EXPECT_ERROR(VariantFromBstr(u"8204,8204:(3:1"_s + u")"_s.repeated(100000)), E_VALUE_SYNTAX);

        QString flat = u"8195,"_s;
        for (int i = 0; i < 200000; ++i)
            flat += QString::number(i) + u',';
        flat.chop(1);
        const Value big = VariantFromBstr(flat);
        QCOMPARE(big.arrayValue().items.size(), 200000);
        QCOMPARE(BstrFromVariant(big), flat);
    }

    void failures()
    {
        QFETCH(QString, text);
        QFETCH(quint32, number);
        QFETCH(QString, mention);
        const ZelError e = errorOf([&] { VariantFromBstr(text); });
        QCOMPARE(e.unsignedNumber(), number);
        QVERIFY2(e.description().contains(mention), qPrintable(e.description()));
    }
};

QTEST_GUILESS_MAIN(TestConverter)
#include "tst_converter.moc"
