// Script recorder: block text for every style and result type, the controller-name note, the
// recording states and value arguments.
#include "services/clsScriptGen.h"
#include "zel/converter.h"
#include "zel/errors.h"

#include <QTest>

using namespace Qt::StringLiterals;

using zel::Value;

class TestScriptGen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void blocks_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("retType");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("block");

        const QString var = u"Ws1.Controllers(\"RC1\").Variables(\"I1\")"_s;
        const QString varEcho = u"Ws1.Controllers('RC1').Variables('I1')"_s;

        QTest::newRow("put, no result") << var + ".Value" << -1 << 0 << "DAT.VariantFromBstr(\"3,5\")"
            << "\tdbg.output \"[PUT]-" + varEcho + ".Value = DAT.VariantFromBstr('3,5')\"\r\n"
               "\t" + var + ".Value = DAT.VariantFromBstr(\"3,5\")\r\n\tdbg.output \"Succeeded.\"\r\n\r\n";
        QTest::newRow("get, text") << var + ".Name" << 8 << 1 << "" << "\tdbg.output \"[GET]-" + varEcho + ".Name\"\r\n"
               "\tdbg.output \"Succeeded. (\"\"\" & " + var + ".Name & \"\"\")\"\r\n\r\n";
        QTest::newRow("get, value") << var + ".Value" << 12 << 1 << "" << "\tdbg.output \"[GET]-" + varEcho + ".Value\"\r\n"
               "\tdbg.output \"Succeeded. (<\" & DAT.BstrFromVariant(" + var + ".Value) & \">)\"\r\n\r\n";
        QTest::newRow("get with argument, integer") << "Ctrl.Robots.Count" << 3 << 1 << "1"
            << "\tdbg.output \"[GET]-Ctrl.Robots.Count(1)\"\r\n"
               "\tdbg.output \"Succeeded. (\" & Ctrl.Robots.Count(1) & \")\"\r\n\r\n";
        QTest::newRow("get, object") << "Ctrl.Robots.Item" << 9 << 1 << "0" << "\tdbg.output \"[GET]-Ctrl.Robots.Item(0)\"\r\n"
               "\tCtrl.Robots.Item(0)\r\n\tdbg.output \"Succeeded.\"\r\n\r\n";
        QTest::newRow("execute, no result, no argument") << "Task.Start" << -1 << 2 << ""
            << "\tdbg.output \"[EXE]-Task.Start()\"\r\n\tCall Task.Start()\r\n\tdbg.output \"Succeeded.\"\r\n\r\n";
        QTest::newRow("execute, value") << "Cmd.Execute" << 12 << 2 << "DAT.VariantFromBstr(\"8,x\")"
            << "\tdbg.output \"[EXE]-Cmd.Execute(DAT.VariantFromBstr('8,x'))\"\r\n"
               "\tdbg.output \"Succeeded. (<\" & DAT.BstrFromVariant(Cmd.Execute(DAT.VariantFromBstr(\"8,x\"))) & \">)\"\r\n\r\n";
        QTest::newRow("statement cut at CR") << "Obj.Text" << -1 << 0 << "\"a\r\nb\""
            << "\tdbg.output \"[PUT]-Obj.Text = 'a...\"\r\n\tObj.Text = \"a...\r\n\tdbg.output \"Succeeded.\"\r\n\r\n";
    }

    void blocks()
    {
        QFETCH(QString, code);
        QFETCH(int, retType);
        QFETCH(int, style);
        QFETCH(QString, arg);
        QFETCH(QString, block);
        clsScriptGen gen;
        gen.RecStart();
        QVERIFY(gen.WriteZelScript(code, retType, style, arg));
        QCOMPARE(gen.body(), block);
        QCOMPARE(clsScriptGen::ScriptBlock(code, retType, style, arg), block);
    }

    void controllerNameNote_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<bool>("note");
        QTest::newRow("empty first argument") << "Ws1.AddController" << "\"\",\"Zel.Virtual\",\"\",\"\"" << true;
        QTest::newRow("letter case") << "WS1.ADDCONTROLLER" << "\"\",\"\"" << true;
        QTest::newRow("named") << "Ws1.AddController" << "\"RC1\",\"Zel.Virtual\"" << false;
        QTest::newRow("blank after quotes") << "Ws1.AddController" << "\"\" ,\"Zel.Virtual\"" << false;
        QTest::newRow("other member") << "Ws1.AddControllers" << "\"\",\"Zel.Virtual\"" << false;
    }

    void controllerNameNote()
    {
        QFETCH(QString, code);
        QFETCH(QString, arg);
        QFETCH(bool, note);
        clsScriptGen gen;
        gen.RecStart();
        QVERIFY(gen.WriteZelScript(code, 9, 2, arg));
        QString echo = arg;
        echo.replace(QLatin1Char('"'), QLatin1Char('\''));
        QString expected = "\tdbg.output \"[EXE]-" + code + "(" + echo + ")\"\r\n\tCall " + code + "(" + arg +
                           ")\r\n\tdbg.output \"Succeeded.\"";
        if (note)
            expected += "\r\n\tdbg.output \"The controller name is not specified.\"\r\n";
        expected += "\r\n\r\n";
        QCOMPARE(gen.body(), expected);
    }

    void recordingStates()
    {
        clsScriptGen gen;
        auto record = [&gen](const char *name) { return gen.WriteZelScript(QLatin1String(name), -1, 2, QString()); };
        QVERIFY(!record("A.Never")); // only while recording
        gen.RecStart();
        QVERIFY(record("A.One"));
        QVERIFY(!gen.WriteZelScript(u"A.C"_s, -1, 3, QString())); // no such style
        gen.RecPause();
        QCOMPARE(gen.RecMode(), 2);
        QVERIFY(!record("A.Lost"));
        gen.RecStart(); // resumes
        QVERIFY(record("A.Three"));
        QCOMPARE(gen.body(), clsScriptGen::ScriptBlock(u"A.One"_s, -1, 2, QString()) + clsScriptGen::ScriptBlock(u"A.Three"_s, -1, 2, QString()));

        // Stopped: the body stays for export until the next start empties it, also from paused.
        gen.RecStop();
        QCOMPARE(gen.RecMode(), 0);
        QVERIFY(!record("A.Stopped"));
        QVERIFY(gen.body().contains(QLatin1String("A.Three")));
        gen.RecStart();
        QVERIFY(gen.body().isEmpty());
        QVERIFY(record("A.Four"));
        gen.RecPause();
        gen.RecStop();
        gen.RecStart();
        QVERIFY(gen.body().isEmpty());
        QCOMPARE(gen.ZelScriptSrc(), u"Sub Main\r\n\r\nEnd Sub\r\n"_s);
        gen.WriteZelScript(u"Task.Stop"_s, -1, 2, QString());
        QCOMPARE(gen.ZelScriptSrc(), u"Sub Main\r\n\r\n"_s + gen.body() + u"End Sub\r\n"_s);
    }

    void variant2Script()
    {
        QCOMPARE(clsScriptGen::Variant2Script(Value::fromI4(-7)), u"DAT.VariantFromBstr(\"3,-7\")"_s);
        // Quotes inside the converter text are doubled, so the literal reads back to that text.
        QCOMPARE(clsScriptGen::Variant2Script(Value::fromString(u"say \"hi\""_s)), u"DAT.VariantFromBstr(\"8,say \"\"hi\"\"\")"_s);

        zel::Array a{zel::VT_I2, 2, {}};
        for (int i = 0; i < 300; ++i)
            a.items.append(Value::fromI2(static_cast<qint16>(i)));
        const Value big = Value::fromArray(a);
        QString text = clsScriptGen::Variant2Script(big);
        const zel::Array cut{zel::VT_I2, 0, a.items.mid(0, 257)};
        QCOMPARE(text, "DAT.VariantFromBstr(\"" + zel::BstrFromVariant(Value::fromArray(cut), 0) + "\")");
        QCOMPARE(big.arrayValue().items.size(), 300);

        QVERIFY_THROWS_EXCEPTION(zel::ZelError, clsScriptGen::Variant2Script(Value::fromObject(nullptr)));
    }
};

QTEST_MAIN(TestScriptGen)
#include "tst_scriptgen.moc"
