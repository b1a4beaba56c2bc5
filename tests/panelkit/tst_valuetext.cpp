#include "panelkit/valuetypelist.h"
#include "services/valuetext.h"
#include "zel/converter.h"
#include "zel/errors.h"

#include <QComboBox>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace zel;
using namespace valuetext;

namespace {
Value arrayOf(VarType t, int n)
{
    Array a{t, 0, {}};
    for (int i = 0; i < n; ++i)
        a.items.append(Value::fromI2(qint16(i)));
    return Value::fromArray(a);
}
} // namespace

class TestValueText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listAndMapping()
    {
        QComboBox combo;
        combo.addItem(u"stale"_s);
        fillValueTypeList(&combo);
        QCOMPARE(combo.count(), 22); // the stale item is gone
        QCOMPARE(combo.currentText(), u"BSTR"_s);
        QCOMPARE(combo.itemText(21), u"(Unkown)"_s);
        QCOMPARE(positionToType(21), -1);
        QCOMPARE(positionToType(22), -1);
        QCOMPARE(typeToPosition(VT_I1), 21); // signed byte is not in the list
        for (int p = 0; p < 21; ++p) {
            QCOMPARE(typeToPosition(positionToType(p)), p);
            QVERIFY(combo.itemText(p).startsWith(QLatin1String("ARRAY")) == bool(positionToType(p) & VT_ARRAY));
        }
    }

    void textToValueByPosition()
    {
        QStringList logged;
        auto log = [&](const QString &s) { logged << s; };
        QVERIFY(textToValue(u"ignored"_s, 0, log) == Value());
        QVERIFY(textToValue(u"ignored"_s, 1, log) == Value::null());
        QVERIFY(textToValue(u"42"_s, 5, log) == Value::fromI4(42));
        QVERIFY(logged.isEmpty());
        QVERIFY(textToValue(u"42"_s, 21, log) == Value());
        QCOMPARE(logged, QStringList{u"Unknown Type"_s});
        QVERIFY_THROWS_EXCEPTION(ZelError, textToValue(u"abc"_s, 5, log));
    }

    void displayTexts_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("basis");
        QTest::addColumn<QString>("display");
        QTest::newRow("empty") << Value() << "0," << "(EMPTY)";
        QTest::newRow("null") << Value::null() << "1," << "(NULL)";
        QTest::newRow("i4") << Value::fromI4(42) << "3,42" << "42 (I4)";
        QTest::newRow("signed byte") << Value::fromI1(-3) << "16,-3" << "-3 (UI1)";
        QTest::newRow("eight converted") << arrayOf(VT_I2, 8) << "8194,0,1,2,3,4,5,6,7" << "0,1,2,3,4,5,6,7 (ARRAY | I2)";
        QTest::newRow("nine not") << arrayOf(VT_I2, 9) << "8194,..." << "... (ARRAY | I2)";
        QTest::newRow("nested") << Value::fromArray(Array{VT_VARIANT, 0, {arrayOf(VT_VARIANT, 0)}}) << "8204,..." << "... (ARRAY | VARIANT)";
        QTest::newRow("object") << Value::fromObject(nullptr) << "9,..." << "... (?)";
    }

    void displayTexts()
    {
        QFETCH(Value, value);
        QFETCH(QString, basis);
        QFETCH(QString, display);
        QCOMPARE(typeAndText(value), basis);
        QCOMPARE(displayText(value), display);
    }

    void normalising_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("after");
        QTest::newRow("blanks") << " 42 " << true << "42";
        QTest::newRow("letters") << "abc" << false << "abc";
        QTest::newRow("half to even") << "12.5" << true << "12";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("digits then letters") << "12abc" << false << "12abc";
        QTest::newRow("too big") << "1e12" << false << "1e12";
    }

    void normalising()
    {
        QFETCH(QString, text);
        QFETCH(bool, result);
        QFETCH(QString, after);
        QCOMPARE(normaliseIntegerText(text), result);
        QCOMPARE(text, after);
    }
};

QTEST_MAIN(TestValueText)
#include "tst_valuetext.moc"
