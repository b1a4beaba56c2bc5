// The script runner on its own: the language it accepts, errors and their places, the host
// objects, script files, and the command-line program.
#include "script/statedump.h"
#include "script/zelscript.h"
#include "shell/clsScriptGen.h"
#include "zel/engine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using zel::CallKind;
using zel::Value;

namespace {

struct Outcome {
    zelscript::RunResult result;
    QStringList out;
    std::shared_ptr<zel::ZelEngine> engine;

    zel::ObjectPtr workspace() const { return engine->workspaces()->at(0); }
};

Outcome runSource(const QString &source)
{
    Outcome o;
    o.engine = zel::ZelEngine::create();
    auto program = zelscript::parse(source, QStringLiteral("t.vbs"));
    zelscript::RunOptions options;
    options.output = [&o](const QString &line) { o.out << line; };
    o.result = zelscript::run(*program, o.workspace(), options);
    return o;
}

// A script whose Sub Main holds the lines given (CR LF line ends, as exported files have).
QString mainOf(const QStringList &lines)
{
    return QStringLiteral("Sub Main\r\n") + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\nEnd Sub\r\n");
}

Outcome runMain(const QStringList &lines)
{
    return runSource(mainOf(lines));
}

const QString kAdd = QStringLiteral("Call zel.AddController(\"RC1\", \"Zel.Virtual\", \"\", \"@EventDisable=true\")");

struct Cli {
    int status = -1;
    QString out;
    QString err;
};

Cli zelscriptRun(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(ZELSCRIPT_EXE), args);
    Cli c;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return c;
    }
    c.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    c.out = QString::fromUtf8(p.readAllStandardOutput());
    c.err = QString::fromUtf8(p.readAllStandardError());
    return c;
}

} // namespace

class TestZelScript : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ---- syntax --------------------------------------------------------------------------
    void syntaxErrorsNameLineAndColumn_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("what");
        QTest::newRow("open string") << "Sub Main\r\n\tdbg.output \"abc\r\nEnd Sub\r\n" << 2 << 13
                                     << "the string has no closing double quote";
        QTest::newRow("missing parenthesis")
            << "Sub Main\n  Call zel.AddController(\"a\", \"b\"\nEnd Sub\n" << 2 << 34 << "expected ')' or ',' but found the end of the line";
        QTest::newRow("missing argument") << "Sub Main\n  Call zel.AddController(\"a\", , \"b\")\nEnd Sub\n" << 2 << 31
                                          << "an argument is missing";
        QTest::newRow("If") << "Sub Main\n  If x Then\nEnd Sub\n" << 2 << 3 << "'If' statements are not supported by zelscript";
        QTest::newRow("no End Sub") << "' a comment\nSub Main\n  dbg.output \"x\"\n" << 2 << 1 << "Sub Main has no End Sub";
        QTest::newRow("Sub in Sub") << "Sub Main\nSub Inner\nEnd Sub\nEnd Sub\n" << 2 << 1 << "a Sub cannot be defined inside Sub Main";
        QTest::newRow("stray End Sub") << "\n\nEnd Sub\n" << 3 << 1 << "'End' without a Sub";
        QTest::newRow("value missing") << "Sub Main\n  x = 1 +\nEnd Sub\n" << 2 << 10 << "expected a value but found the end of the line";
        QTest::newRow("keyword as variable") << "Sub Main\n  Dim Set\nEnd Sub\n" << 2 << 7 << "'Set' is a keyword and cannot name a variable";
        QTest::newRow("GoTo label") << "Sub Main\n  On Error GoTo Handler\nEnd Sub\n" << 2 << 17 << "only 'On Error GoTo 0' is supported";
        QTest::newRow("odd character") << "Sub Main\n  x = 3 $\nEnd Sub\n" << 2 << 9 << "unexpected character '$'";
        QTest::newRow("two strings") << "Sub Main\n  dbg.output \"a\" \"b\"\nEnd Sub\n" << 2 << 18
                                     << "expected the end of the statement but found a string";
        QTest::newRow("Main twice") << "Sub Main\nEnd Sub\nSub main\nEnd Sub\n" << 3 << 5 << "Sub main is defined twice (first on line 1)";
        QTest::newRow("comparison") << "Sub Main\n  x = 1 = 2\nEnd Sub\n" << 2 << 9 << "comparisons are not supported by zelscript";
        QTest::newRow("Sub arguments") << "Sub Main\n  Helper 1\nEnd Sub\nSub Helper\nEnd Sub\n" << 2 << 3 << "Sub Helper takes no arguments";
        QTest::newRow("number glued to a name") << "Sub Main\n  x = 12abc\nEnd Sub\n" << 2 << 9
                                                << "unexpected character 'a' after a number";
        QTest::newRow("continued line") << "Sub Main\n  x = 1 + _\n      2 +\nEnd Sub\n" << 3 << 10
                                        << "expected a value but found the end of the line";
    }

    void syntaxErrorsNameLineAndColumn()
    {
        QFETCH(QString, source);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, what);
        try {
            zelscript::parse(source, QStringLiteral("t.vbs"));
            QFAIL("no syntax error");
        } catch (const zelscript::ScriptError &e) {
            QCOMPARE(e.description(), QStringLiteral("Syntax error: ") + what);
            QCOMPARE(e.unsignedNumber(), quint32(zel::E_SCRIPT_SYNTAX));
            QCOMPARE(e.line(), line);
            QCOMPARE(e.column(), column);
            QCOMPARE(e.message(), QStringLiteral("t.vbs:%1:%2: error 0x8004A400: Syntax error: %3").arg(line).arg(column).arg(what));
        }
    }

    // ---- what the recorder writes --------------------------------------------------------------
    void recordedBlocksRun()
    {
        // Every block form the recorder writes, built by the recorder itself.
        const QString C = QStringLiteral("zel.Controllers(\"RC1\")");
        const QString V = C + QStringLiteral(".Variables(\"V1\")");
        QString body;
        auto block = [&body](const QString &code, int ret, int style, const QString &arg) {
            body += clsScriptGen::ScriptBlock(code, ret, style, arg);
        };
        block(QStringLiteral("zel.AddController"), 9, 2, QStringLiteral("\"RC1\", \"Zel.Virtual\", \"pc-7\", \"@EventDisable=true\""));
        block(QStringLiteral("zel.AddController"), 9, 2, QStringLiteral("\"\", \"Zel.Virtual\", \"\", \"\""));
        block(C + QStringLiteral(".AddVariable"), 9, 2, QStringLiteral("\"V1\", \"\""));
        block(V + QStringLiteral(".Value"), -1, 0, clsScriptGen::Variant2Script(Value::fromString(QStringLiteral("say \"hi\", all"))));
        block(V + QStringLiteral(".Value"), 12, 1, QString());
        block(V + QStringLiteral(".Name"), 12, 1, QString());
        block(C + QStringLiteral(".Name"), 8, 1, QString());
        block(C + QStringLiteral(".Attribute"), 3, 1, QString());
        block(C + QStringLiteral(".Tag"), -1, 0, clsScriptGen::Variant2Script(Value::fromString(QStringLiteral("T"))));
        block(C + QStringLiteral(".Tag"), 8, 1, QString()); // text result on a value property
        block(C + QStringLiteral(".VariableNames"), 12, 1, QStringLiteral("\"Filter=V*\""));
        block(C + QStringLiteral(".Execute"), 12, 2, QStringLiteral("\"Echo\", ") + clsScriptGen::Variant2Script(Value::fromI4(7)));
        block(C + QStringLiteral(".Execute"), -1, 2, QStringLiteral("\"Echo\", ") + clsScriptGen::Variant2Script(Value()));
        block(C + QStringLiteral(".AddRobot"), 9, 2, QStringLiteral("\"Arm\", \"\""));
        block(C + QStringLiteral(".Robots(\"Arm\").Drive"), -1, 2, QStringLiteral("1, -10.5, \"\""));
        block(C + QStringLiteral(".Robots(\"Arm\").GoHome"), -1, 2, QString());
        block(C + QStringLiteral(".Variables.Remove"), -1, 2, QStringLiteral("0"));
        block(C + QStringLiteral(".Variables.Clear"), -1, 2, QString());
        const QString script = QStringLiteral("Sub Main\r\n\r\n") + body + QStringLiteral("End Sub\r\n");

        Outcome o = runSource(script);
        QVERIFY2(o.result.ok, qPrintable(o.result.error.message() + QLatin1Char('\n') + o.out.join(QLatin1Char('\n'))));
        const QStringList expected{
            QStringLiteral("[EXE]-zel.AddController('RC1', 'Zel.Virtual', 'pc-7', '@EventDisable=true')"),
            QStringLiteral("Succeeded."),
            QStringLiteral("[EXE]-zel.AddController('', 'Zel.Virtual', '', '')"),
            QStringLiteral("Succeeded."),
            QStringLiteral("The controller name is not specified."),
            QStringLiteral("[EXE]-zel.Controllers('RC1').AddVariable('V1', '')"),
            QStringLiteral("Succeeded."),
            QStringLiteral("[PUT]-zel.Controllers('RC1').Variables('V1').Value = DAT.VariantFromBstr('8,say ''hi'', all')"),
            QStringLiteral("Succeeded."),
            QStringLiteral("[GET]-zel.Controllers('RC1').Variables('V1').Value"),
            QStringLiteral("Succeeded. (<8,say \"hi\", all>)"),
            QStringLiteral("[GET]-zel.Controllers('RC1').Variables('V1').Name"),
            QStringLiteral("Succeeded. (<8,V1>)"),
            QStringLiteral("[GET]-zel.Controllers('RC1').Name"),
            QStringLiteral("Succeeded. (\"RC1\")"),
            QStringLiteral("[GET]-zel.Controllers('RC1').Attribute"),
            QStringLiteral("Succeeded. (0)"),
            QStringLiteral("[PUT]-zel.Controllers('RC1').Tag = DAT.VariantFromBstr('8,T')"),
            QStringLiteral("Succeeded."),
            QStringLiteral("[GET]-zel.Controllers('RC1').Tag"),
            QStringLiteral("Succeeded. (\"T\")"),
            QStringLiteral("[GET]-zel.Controllers('RC1').VariableNames('Filter=V*')"),
            QStringLiteral("Succeeded. (<8200,V1>)"),
            QStringLiteral("[EXE]-zel.Controllers('RC1').Execute('Echo', DAT.VariantFromBstr('3,7'))"),
            QStringLiteral("Succeeded. (<3,7>)"),
            QStringLiteral("[EXE]-zel.Controllers('RC1').Execute('Echo', DAT.VariantFromBstr('0,'))"),
            QStringLiteral("Succeeded."),
            QStringLiteral("[EXE]-zel.Controllers('RC1').AddRobot('Arm', '')"),
            QStringLiteral("Succeeded."),
            QStringLiteral("[EXE]-zel.Controllers('RC1').Robots('Arm').Drive(1, -10.5, '')"),
            QStringLiteral("Succeeded."),
            QStringLiteral("[EXE]-zel.Controllers('RC1').Robots('Arm').GoHome()"),
            QStringLiteral("Succeeded."),
            QStringLiteral("[EXE]-zel.Controllers('RC1').Variables.Remove(0)"),
            QStringLiteral("Succeeded."),
            QStringLiteral("[EXE]-zel.Controllers('RC1').Variables.Clear()"),
            QStringLiteral("Succeeded."),
        };
        QVERIFY2(o.out == expected, qPrintable(o.out.join(QLatin1Char('\n'))));
        QCOMPARE(o.result.statements, zelscript::statementCount(*zelscript::parse(script)));
        // Eleven blocks without a result print "Succeeded." in a statement of their own; one note.
        QCOMPARE(o.result.statements, qint64(11 * 3 + 7 * 2 + 1));

        // The engine did what the script says.
        zel::ObjectPtr controllers = o.workspace()->invoke(QStringLiteral("Controllers"), CallKind::PropertyGet, {}).objectValue();
        QCOMPARE(controllers->invoke(QStringLiteral("Count"), CallKind::PropertyGet, {}).toInt32(), 2);
        zel::ObjectPtr unnamed = controllers->invoke(QStringLiteral("Item"), CallKind::PropertyGet, {Value::fromI4(1)}).objectValue();
        QCOMPARE(unnamed->invoke(QStringLiteral("Name"), CallKind::PropertyGet, {}).toPlainText(), QStringLiteral("Controller1"));
        zel::ObjectPtr rc1 = controllers->invoke(QString(), CallKind::PropertyGet, {Value::fromString(QStringLiteral("rc1"))}).objectValue();
        QCOMPARE(rc1->invoke(QStringLiteral("Help"), CallKind::PropertyGet, {}).toPlainText().contains(QLatin1String("'pc-7'")), true);
        QCOMPARE(rc1->invoke(QStringLiteral("Tag"), CallKind::PropertyGet, {}), Value::fromString(QStringLiteral("T")));
        QVERIFY(zelscript::dumpState(o.workspace()).contains(
            QStringLiteral("Controllers(\"RC1\").Robots(\"Arm\").Describe = 8,") + rc1->invoke(QStringLiteral("Robots"), CallKind::PropertyGet, {})
                .objectValue()->invoke(QString(), CallKind::PropertyGet, {Value::fromI4(0)}).objectValue()
                ->invoke(QStringLiteral("Execute"), CallKind::Method, {Value::fromString(QStringLiteral("Describe"))}).toPlainText()));
    }

    // ---- errors at run time --------------------------------------------------------------------
    void engineErrorStopsTheScript()
    {
        Outcome o = runMain({kAdd, QStringLiteral("  Call zel.Controllers(\"RC1\").AddRobot(\"Robot1\", \"\")"),
                             QStringLiteral("  dbg.output \"before\""),
                             QStringLiteral("  Call zel.Controllers(\"RC1\").Robots(\"Robot1\").Drive(7, 10, \"\")"),
                             QStringLiteral("  dbg.output \"after\"")});
        QVERIFY(!o.result.ok);
        QCOMPARE(o.out, QStringList{QStringLiteral("before")});
        QCOMPARE(o.result.error.line(), 5);
        QCOMPARE(o.result.error.unsignedNumber(), quint32(zel::E_UNKNOWN_AXIS));
        QCOMPARE(o.result.error.message(),
                 QStringLiteral("t.vbs:5: error 0x8004A205: Drive: axis 7 does not exist; the robot has axes 1 to 6"));
        QCOMPARE(o.result.statements, qint64(4));

        // A name the collection lacks, a member the class lacks, a value of the wrong kind.
        o = runMain({kAdd, QStringLiteral("  x = zel.Controllers(\"RC2\").Name")});
        QCOMPARE(o.result.error.unsignedNumber(), quint32(zel::E_NOT_FOUND));
        QCOMPARE(o.result.error.line(), 3);
        o = runMain({kAdd, QStringLiteral("  x = zel.Controllers(\"RC1\").Colour")});
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:3: error 0x8004A003: ZelController has no property or method 'Colour'"));
        o = runMain({kAdd, QStringLiteral("  zel.Controllers(\"RC1\").Variables(\"V\").Value = 1")});
        QCOMPARE(o.result.error.unsignedNumber(), quint32(zel::E_NOT_FOUND));
        o = runMain({QStringLiteral("  x = 5"), QStringLiteral("  x.Value = 1")});
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:3: error 0x8004A100: Object required: 'x' is I2"));
        o = runMain({QStringLiteral("  zel.Controllers(\"RC1\").Name = \"x\"")});
        QCOMPARE(o.result.error.unsignedNumber(), quint32(zel::E_NOT_FOUND));
        o = runMain({QStringLiteral("  dbg.output zel.Controllers")});
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:2: error 0x8004A100: Type mismatch: an object has no text (dbg.output)"));
        o = runMain({QStringLiteral("  dbg.output DAT.VariantFromBstr(\"3,x\")")});
        QCOMPARE(o.result.error.unsignedNumber(), quint32(zel::E_TYPE_MISMATCH));
        QVERIFY2(o.result.error.description().contains(QLatin1String("'x' is not a valid I4 value")), qPrintable(o.result.error.description()));
        o = runMain({QStringLiteral("  dbg.output \"a\", \"b\"")});
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:2: error 0x8004A005: dbg.output takes 1 argument; 2 given"));
    }

    void onErrorResumeNext()
    {
        const qint32 axis = qint32(zel::E_UNKNOWN_AXIS);
        Outcome o = runMain({
            QStringLiteral("  On Error Resume Next"),
            kAdd,
            QStringLiteral("  dbg.output \"no error: \" & Err.Number & \"/\" & Err.Description & \"/\""),
            QStringLiteral("  Call zel.Controllers(\"RC1\").Robots(\"Robot1\").Drive(7, 10, \"\")"),
            QStringLiteral("  Call zel.Controllers(\"RC1\").AddRobot(\"Robot1\", \"\")"),
            QStringLiteral("  Call zel.Controllers(\"RC1\").Robots(\"Robot1\").Drive(7, 10, \"\")"),
            QStringLiteral("  dbg.output Err.Number & \" \" & Err.Description & \" \" & Err.Source"),
            QStringLiteral("  Err.Clear"),
            QStringLiteral("  dbg.output \"cleared: \" & Err.Number"),
            QStringLiteral("  x = undefinedName"),
            QStringLiteral("  dbg.output Err.Number & \" \" & Err.Description"),
            QStringLiteral("  On Error GoTo 0"),
            QStringLiteral("  dbg.output \"off: \" & Err.Number"),
            QStringLiteral("  Call zel.Controllers(\"RC1\").Robots(\"Robot1\").Drive(8, 10, \"\")"),
            QStringLiteral("  dbg.output \"not reached\""),
        });
        QVERIFY(!o.result.ok);
        QCOMPARE(o.result.error.line(), 15);
        QCOMPARE(o.result.error.description(), QStringLiteral("Drive: axis 8 does not exist; the robot has axes 1 to 6"));
        QCOMPARE(o.out, (QStringList{
                            QStringLiteral("no error: 0//"),
                            QString::number(axis) + QStringLiteral(" Drive: axis 7 does not exist; the robot has axes 1 to 6 zelscript"),
                            QStringLiteral("cleared: 0"),
                            QString::number(qint32(zel::E_SCRIPT_UNDEFINED)) + QStringLiteral(" Variable is undefined: 'undefinedName'"),
                            QStringLiteral("off: 0"),
                        }));
        QCOMPARE(o.result.resumedErrors, qint64(3));

        // An error in a Sub without a handler goes to the caller's handler, which goes on after the
        // call; without any handler the place is the statement in the Sub.
        const QString sub = QStringLiteral("Sub Helper\r\n  dbg.output \"in\"\r\n  Err.Raise &H80040123, \"Pump\", \"Pump on fire\"\r\n"
                                           "  dbg.output \"not here\"\r\nEnd Sub\r\n");
        o = runSource(mainOf({QStringLiteral("  On Error Resume Next"), QStringLiteral("  Helper"),
                              QStringLiteral("  dbg.output Err.Description & \" \" & Err.Source")})
                      + sub);
        QVERIFY2(o.result.ok, qPrintable(o.result.error.message()));
        QCOMPARE(o.out, (QStringList{QStringLiteral("in"), QStringLiteral("Pump on fire Pump")}));
        o = runSource(mainOf({QStringLiteral("  Call Helper()"), QStringLiteral("  dbg.output \"not here\"")}) + sub);
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:7: error 0x80040123: Pump on fire"));
        QCOMPARE(o.out, QStringList{QStringLiteral("in")});

        // Err.Raise in the Sub that handles it keeps its source.
        o = runMain({QStringLiteral("  On Error Resume Next"), QStringLiteral("  Err.Raise 5, \"Me\""),
                     QStringLiteral("  dbg.output Err.Number & \" [\" & Err.Source & \"] \" & Err.Description")});
        QCOMPARE(o.out, QStringList{QStringLiteral("5 [Me] Error 0x00000005")});
    }

    void undefinedNamesAndSubs()
    {
        Outcome o = runMain({QStringLiteral("  dbg.output zell.Controllers.Count")});
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:2: error 0x8004A401: Variable is undefined: 'zell'"));

        // Without Sub Main nothing runs, the top level included.
        o = runSource(QStringLiteral("dbg.output \"top\"\r\nSub Mian\r\n  dbg.output \"x\"\r\nEnd Sub\r\n"));
        QVERIFY(!o.result.ok);
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs: error 0x8004A401: The script has no Sub Main"));
        QVERIFY(o.out.isEmpty());
        QCOMPARE(o.result.statements, qint64(0));

        // Top-level statements run first; Subs are called with and without Call; Exit Sub.
        o = runSource(QStringLiteral("Dim g\r\ng = \"global\"\r\ndbg.output \"top\"\r\n")
                      + mainOf({QStringLiteral("  Helper"), QStringLiteral("  Call Helper"), QStringLiteral("  Call Helper()"),
                                QStringLiteral("  dbg.output g"), QStringLiteral("  dbg.output local")})
                      + QStringLiteral("Sub Helper\r\n  local = \"L\"\r\n  g = g & \"+\"\r\n  Exit Sub\r\n  dbg.output \"never\"\r\nEnd Sub\r\n"));
        // The Sub's own variable is not Main's: reading a name nothing assigned is an error.
        QCOMPARE(o.out, (QStringList{QStringLiteral("top"), QStringLiteral("global+++")}));
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:9: error 0x8004A401: Variable is undefined: 'local'"));

        // Option Explicit: assignments need Dim.
        o = runSource(QStringLiteral("Option Explicit\r\n") + mainOf({QStringLiteral("  Dim a"), QStringLiteral("  a = 1"), QStringLiteral("  b = 2")}));
        QCOMPARE(o.result.error.message(),
                 QStringLiteral("t.vbs:5: error 0x8004A401: Variable is undefined: 'b' (Option Explicit asks for Dim)"));

        // A Sub that calls itself without end stops with an error instead of the process.
        o = runSource(mainOf({QStringLiteral("  Again")}) + QStringLiteral("Sub Again\r\n  Again\r\nEnd Sub\r\n"));
        QCOMPARE(o.result.error.unsignedNumber(), quint32(zel::E_OVERFLOW));
        QVERIFY(o.result.error.description().startsWith(QLatin1String("Out of stack space")));
    }

    // ---- the language beyond the recorder --------------------------------------------------------
    void valuesAndOperators()
    {
        Outcome o = runMain({
            QStringLiteral("  dbg.output \"say \"\"hi\"\"\""),
            QStringLiteral("  dbg.output DAT.BstrFromVariant(42) & \" \" & DAT.BstrFromVariant(70000) & \" \" & DAT.BstrFromVariant(3000000000)"),
            QStringLiteral("  dbg.output DAT.BstrFromVariant(1.5) & \" \" & DAT.BstrFromVariant(-3) & \" \" & DAT.BstrFromVariant(&HFF) & \" \" & DAT.BstrFromVariant(&H8004A205)"),
            QStringLiteral("  dbg.output 1 + 2 * 3 & \" \" & (1 + 2) * 3 & \" \" & 7 / 2 & \" \" & 10 - 2 - 3 & \" \" & -(2 + 3)"),
            QStringLiteral("  dbg.output \"a\" + \"b\" & 1.25 & True & Empty & Null & \"|\""),
            QStringLiteral("  dbg.output Null"),
            QStringLiteral("  dbg.output DAT.BstrFromVariant(Null & Null) & \" \" & DAT.BstrFromVariant(Empty) & \" \" & DAT.BstrFromVariant(False)"),
            QStringLiteral("  dbg.output DAT.BstrFromVariant(DAT.VariantFromBstr(\"8204,3:1,8:t,1:\"))"),
            QStringLiteral("  dbg.output .5 + 1e2"),
            QStringLiteral("  dbg.output DAT.BstrFromVariant(\"a\" & vbCrLf & \"b\" & vbLf & vbCr & vbTab)"),
        });
        QVERIFY2(o.result.ok, qPrintable(o.result.error.message()));
        QCOMPARE(o.out, (QStringList{
                            QStringLiteral("say \"hi\""),
                            QStringLiteral("2,42 3,70000 5,3e+09"),
                            QStringLiteral("5,1.5 2,-3 2,255 3,-2147180027"),
                            QStringLiteral("7 9 3.5 5 -5"),
                            QStringLiteral("ab1.25True|"),
                            QStringLiteral("Null"),
                            QStringLiteral("1, 0, 11,False"),
                            QStringLiteral("8204,3:1,8:t,1:"),
                            QStringLiteral("100.5"),
                            QStringLiteral("8,a\r\nb\n\r\t"),
                        }));
        o = runMain({QStringLiteral("  dbg.output 1 / 0")});
        QCOMPARE(o.result.error.description(), QStringLiteral("Division by zero"));
        o = runMain({QStringLiteral("  dbg.output \"x\" & DAT.VariantFromBstr(\"8195,1,2\")")});
        QCOMPARE(o.result.error.description(),
                 QStringLiteral("Type mismatch: an array (ARRAY | I4) has no text (&); use DAT.BstrFromVariant"));
    }

    void statementsVariablesAndCollections()
    {
        Outcome o = runSource(QStringLiteral(
            "' A hand-edited script.\r\n"
            "Rem comments of both kinds\r\n"
            "Sub Main ' the entry\r\n"
            "  Dim c, names, vs\r\n"
            "  Call zel.AddController(\"RC1\", \"Zel.Virtual\", \"\", \"\")\r\n"
            "  Set c = zel.Controllers(\"rc1\")\r\n"
            "  c.AddVariable \"Speed\", \"\" : c.AddVariable(\"Count\")\r\n"
            "  c.Variables(\"SPEED\").Value = DAT.VariantFromBstr(\"5,12.5\")\r\n"
            "  Set vs = c.Variables\r\n"
            "  vs(\"Count\").Value = 3\r\n"
            "  dbg.output DAT.BstrFromVariant(vs(\"speed\").Value) & \" \" & DAT.BstrFromVariant(vs(1).Value) : Rem after a colon\r\n"
            "  names = c.VariableNames(\"Filter=S*\")\r\n"
            "  dbg.output names(0) & \" of \" & vs.Count\r\n"
            "  dbg.output (\"in \") & _\r\n"
            "     \"parentheses\"\r\n"
            "  dbg.output(\"one argument\")\r\n"
            "  Set c = Nothing\r\n"
            "  c.Name\r\n"
            "End Sub\r\n"));
        QVERIFY(!o.result.ok);
        QCOMPARE(o.out, (QStringList{QStringLiteral("5,12.5 2,3"), QStringLiteral("Speed of 2"), QStringLiteral("in parentheses"),
                                     QStringLiteral("one argument")}));
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:18: error 0x8004A100: Object variable not set: 'c' is Nothing"));

        o = runMain({QStringLiteral("  Set x = 5")});
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:2: error 0x8004A100: Type mismatch: Set needs an object (or Nothing)"));
        o = runMain({QStringLiteral("  n = zel.ProviderNames(\"\")"), QStringLiteral("  dbg.output n(1)")});
        QCOMPARE(o.result.error.description(), QStringLiteral("Subscript out of range: 1 is outside 0 to 0"));

        // Echo: every statement with its line before it runs, continued lines joined.
        auto program = zelscript::parse(mainOf({QStringLiteral("  x = 1 + _"), QStringLiteral("    2 : dbg.output x")}));
        QStringList echoed;
        zelscript::RunOptions options;
        options.echo = [&echoed](int line, const QString &text) { echoed << QString::number(line) + QLatin1Char(' ') + text; };
        QVERIFY(zelscript::run(*program, zel::ZelEngine::create()->workspaces()->at(0), options).ok);
        QCOMPARE(echoed, (QStringList{QStringLiteral("2 x = 1 + 2"), QStringLiteral("3 dbg.output x")}));
    }

    void hostObjectsHeldInVariables()
    {
        Outcome o = runMain({QStringLiteral("  Set d = dbg"), QStringLiteral("  Set conv = DAT"), QStringLiteral("  Set e = Err"),
                             QStringLiteral("  d.output conv.BstrFromVariant(conv.VariantFromBstr(\"3,1\"), 0) & \" \" & e.Number"),
                             QStringLiteral("  conv.Colour")});
        QCOMPARE(o.out, QStringList{QStringLiteral("3,1 0")});
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:6: error 0x8004A003: DAT has no property or method 'Colour'"));
        o = runMain({QStringLiteral("  dbg.output = \"x\"")});
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:2: error 0x8004A004: output cannot be written"));
        o = runMain({QStringLiteral("  Set d = dbg"), QStringLiteral("  d.output = \"x\"")});
        QCOMPARE(o.result.error.message(), QStringLiteral("t.vbs:3: error 0x8004A004: dbg.output cannot be written"));
    }

    // ---- files ----------------------------------------------------------------------------------
    void scriptFiles()
    {
        QTemporaryDir dir;
        auto write = [&dir](const char *name, const QByteArray &data) {
            QFile f(dir.filePath(QLatin1String(name)));
            f.open(QIODevice::WriteOnly);
            f.write(data);
            return f.fileName();
        };
        auto fileError = [](const QString &path) -> QString {
            try {
                zelscript::readScriptFile(path);
            } catch (const zelscript::ScriptError &e) {
                if (e.unsignedNumber() != zel::E_SCRIPT_FILE)
                    return QStringLiteral("wrong number");
                return e.description();
            }
            return QString();
        };
        const QString missing = dir.filePath(QStringLiteral("missing.vbs"));
        QCOMPARE(fileError(missing), QStringLiteral("Script file cannot be read: it does not exist"));
        QCOMPARE(fileError(dir.path()), QStringLiteral("Script file cannot be read: it is a folder"));
        const QString binary = write("logo.vbs", QByteArray("Sub Main\r\n\x00\x01\x02", 13));
        QCOMPARE(fileError(binary), QStringLiteral("Script file cannot be read: it is not a text file (byte 10 is 0)"));
        const QString latin1 = write("latin1.vbs", QByteArray("Sub Main\r\n  dbg.output \"K\xf6ln\"\r\nEnd Sub\r\n"));
        QCOMPARE(fileError(latin1), QStringLiteral("Script file cannot be read: it is not UTF-8 text"));

        const QString good = write("good.vbs", QByteArray("\xef\xbb\xbfSub Main\r\n  dbg.output \"K\xc3\xb6ln\"\r\nEnd Sub\r\n"));
        QString text = zelscript::readScriptFile(good);
        QVERIFY(text.startsWith(QLatin1String("Sub Main")));
        Outcome o = runSource(text);
        QCOMPARE(o.out, QStringList{QStringLiteral("K\u00f6ln")});
    }

    // ---- the program ------------------------------------------------------------------------------
    void commandLine()
    {
        QTemporaryDir dir;
        auto write = [&dir](const char *name, const QString &text) {
            QFile f(dir.filePath(QLatin1String(name)));
            f.open(QIODevice::WriteOnly);
            f.write(text.toUtf8());
            return f.fileName();
        };
        Cli c = zelscriptRun({QStringLiteral("--help")});
        QCOMPARE(c.status, 0);
        QVERIFY(c.out.startsWith(QLatin1String("Usage: zelscript [OPTIONS] FILE\n")));
        for (const char *option : {"--echo", "--quiet", "--state FILE", "--help", "--version"})
            QVERIFY2(c.out.contains(QLatin1String(option)), option);
        c = zelscriptRun({QStringLiteral("--version")});
        QCOMPARE(c.status, 0);
        QCOMPARE(c.out, QStringLiteral("zelscript %1.%2.%3\n").arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH));

        c = zelscriptRun({});
        QCOMPARE(c.status, 2);
        QCOMPARE(c.err, QStringLiteral("zelscript: no script file given\nTry 'zelscript --help' for more information.\n"));
        c = zelscriptRun({QStringLiteral("--fast"), QStringLiteral("x.vbs")});
        QCOMPARE(c.status, 2);
        QVERIFY(c.err.startsWith(QLatin1String("zelscript: unknown option '--fast'\n")));

        const QString missing = dir.filePath(QStringLiteral("nothere.vbs"));
        c = zelscriptRun({missing});
        QCOMPARE(c.status, 2);
        QCOMPARE(c.err, missing + QStringLiteral(": error 0x8004A402: Script file cannot be read: it does not exist\n"));
        const QString binary = dir.filePath(QStringLiteral("logo.bin"));
        QFile bytes(binary);
        QVERIFY(bytes.open(QIODevice::WriteOnly) && bytes.write(QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)) == 10);
        bytes.close();
        c = zelscriptRun({binary});
        QCOMPARE(c.status, 2);
        QCOMPARE(c.err, binary + QStringLiteral(": error 0x8004A402: Script file cannot be read: it is not a text file (byte 8 is 0)\n"));

        // A syntax error at the end stops the script before its first statement runs.
        const QString bad = write("bad.vbs", mainOf({QStringLiteral("  dbg.output \"first\""), kAdd, QStringLiteral("  dbg.output (\"x\"")}));
        c = zelscriptRun({bad});
        QCOMPARE(c.status, 2);
        QCOMPARE(c.out, QString());
        QCOMPARE(c.err, bad + QStringLiteral(":4:18: error 0x8004A400: Syntax error: expected ')' or ',' but found the end of the line\n"));

        const QString script = write("run.vbs", mainOf({kAdd, QStringLiteral("  dbg.output \"added \" & zel.Controllers.Count"),
                                                        QStringLiteral("  Call zel.Controllers(\"RC1\").Robots(\"Arm\").GoHome()"),
                                                        QStringLiteral("  dbg.output \"not here\"")}));
        c = zelscriptRun({script});
        QCOMPARE(c.status, 1);
        QCOMPARE(c.out, QStringLiteral("added 1\n"));
        QCOMPARE(c.err, script + QStringLiteral(":4: error 0x8004A002: Item: ZelRobots holds no item named 'Arm'\n"));

        const QString statePath = dir.filePath(QStringLiteral("state.txt"));
        c = zelscriptRun({QStringLiteral("--quiet"), QStringLiteral("--echo"), QStringLiteral("--state"), statePath, script});
        QCOMPARE(c.status, 1);
        QCOMPARE(c.out, QStringLiteral("line 2: ") + kAdd.trimmed() + QStringLiteral("\nline 3: dbg.output \"added \" & zel.Controllers.Count\n"
                                                                                        "line 4: Call zel.Controllers(\"RC1\").Robots(\"Arm\").GoHome()\n"));
        QFile state(statePath);
        QVERIFY(state.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(state.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QStringLiteral("Controllers.Count = 3,1"));
        QVERIFY(lines.contains(QStringLiteral("Controllers(\"RC1\").Name = 8,RC1")));

        const QString fine = write("fine.vbs", mainOf({QStringLiteral("  dbg.output \"K\u00f6ln\"")}));
        c = zelscriptRun({QStringLiteral("--"), fine});
        QCOMPARE(c.status, 0);
        QCOMPARE(c.out, QStringLiteral("K\u00f6ln\n"));
        QCOMPARE(c.err, QString());
    }
};

QTEST_GUILESS_MAIN(TestZelScript)
#include "tst_zelscript.moc"
