// The script runner on its own: the language it accepts, errors and their places, the host
// objects, script files, and the command-line program.
#include "script/zelscript.h"
#include "zel/engine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
        QTest::newRow("missing argument") << "Sub Main\n  Call zel.AddController(\"a\", , \"b\")\nEnd Sub\n" << 2 << 31
                                          << "an argument is missing";
        QTest::newRow("If") << "Sub Main\n  If x Then\nEnd Sub\n" << 2 << 3 << "'If' statements are not supported by zelscript";
        QTest::newRow("no End Sub") << "' a comment\nSub Main\n  dbg.output \"x\"\n" << 2 << 1 << "Sub Main has no End Sub";
        QTest::newRow("Sub in Sub") << "Sub Main\nSub Inner\nEnd Sub\nEnd Sub\n" << 2 << 1 << "a Sub cannot be defined inside Sub Main";
        QTest::newRow("stray End Sub") << "\n\nEnd Sub\n" << 3 << 1 << "'End' without a Sub";
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

    // ---- errors at run time: the place is the statement's line --------------------------------
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
    }

    void runtimeErrors_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        const QString add = kAdd;
        QTest::newRow("missing item") << QStringList{add, "  x = zel.Controllers(\"RC2\").Name"} << "t.vbs:3: error 0x8004A002: ";
        QTest::newRow("missing item written") << QStringList{"  zel.Controllers(\"RC1\").Name = \"x\""} << "t.vbs:2: error 0x8004A002: ";
        QTest::newRow("missing member") << QStringList{add, "  x = zel.Controllers(\"RC1\").Colour"}
                                        << "t.vbs:3: error 0x8004A003: ZelController has no property or method 'Colour'";
        QTest::newRow("not an object") << QStringList{"  x = 5", "  x.Value = 1"} << "t.vbs:3: error 0x8004A100: Object required: 'x' is I2";
        QTest::newRow("object as text") << QStringList{"  dbg.output zel.Controllers"}
                                        << "t.vbs:2: error 0x8004A100: Type mismatch: an object has no text (dbg.output)";
        QTest::newRow("array as text") << QStringList{"  dbg.output \"x\" & DAT.VariantFromBstr(\"8195,1,2\")"}
                                       << "Type mismatch: an array (ARRAY | I4) has no text (&); use DAT.BstrFromVariant";
        QTest::newRow("bad value text") << QStringList{"  dbg.output DAT.VariantFromBstr(\"3,x\")"} << "'x' is not a valid I4 value";
        QTest::newRow("argument count") << QStringList{"  dbg.output \"a\", \"b\""}
                                        << "t.vbs:2: error 0x8004A005: dbg.output takes 1 argument; 2 given";
        QTest::newRow("host member") << QStringList{"  Set conv = DAT", "  conv.Colour"}
                                     << "t.vbs:3: error 0x8004A003: DAT has no property or method 'Colour'";
        QTest::newRow("host method written") << QStringList{"  Set d = dbg", "  d.output = \"x\""}
                                             << "t.vbs:3: error 0x8004A004: dbg.output cannot be written";
        QTest::newRow("undefined name") << QStringList{"  dbg.output zell.Controllers.Count"}
                                        << "t.vbs:2: error 0x8004A401: Variable is undefined: 'zell'";
        QTest::newRow("Set of a number") << QStringList{"  Set x = 5"}
                                         << "t.vbs:2: error 0x8004A100: Type mismatch: Set needs an object (or Nothing)";
        QTest::newRow("subscript") << QStringList{"  n = zel.ProviderNames(\"\")", "  dbg.output n(1)"}
                                   << "Subscript out of range: 1 is outside 0 to 0";
        QTest::newRow("division by zero") << QStringList{"  dbg.output 1 / 0"} << "Division by zero";
    }

    void runtimeErrors()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        const Outcome o = runMain(lines);
        QVERIFY(!o.result.ok);
        QVERIFY2(o.result.error.message().contains(message), qPrintable(o.result.error.message()));
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
        QCOMPARE(o.out, (QStringList{"no error: 0//", QString::number(axis) + " Drive: axis 7 does not exist; the robot has axes 1 to 6 zelscript",
                                     "cleared: 0", QString::number(qint32(zel::E_SCRIPT_UNDEFINED)) + " Variable is undefined: 'undefinedName'",
                                     "off: 0"}));
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
        // Without Sub Main nothing runs, the top level included.
        Outcome o = runSource(QStringLiteral("dbg.output \"top\"\r\nSub Mian\r\n  dbg.output \"x\"\r\nEnd Sub\r\n"));
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
        QCOMPARE(o.out, (QStringList{"say \"hi\"", "2,42 3,70000 5,3e+09", "5,1.5 2,-3 2,255 3,-2147180027", "7 9 3.5 5 -5",
                                     "ab1.25True|", "Null", "1, 0, 11,False", "8204,3:1,8:t,1:", "100.5", "8,a\r\nb\n\r\t"}));
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

        // Echo: every statement with its line before it runs, continued lines joined.
        auto program = zelscript::parse(mainOf({QStringLiteral("  x = 1 + _"), QStringLiteral("    2 : dbg.output x")}));
        QStringList echoed;
        zelscript::RunOptions options;
        options.echo = [&echoed](int line, const QString &text) { echoed << QString::number(line) + QLatin1Char(' ') + text; };
        QVERIFY(zelscript::run(*program, zel::ZelEngine::create()->workspaces()->at(0), options).ok);
        QCOMPARE(echoed, (QStringList{QStringLiteral("2 x = 1 + 2"), QStringLiteral("3 dbg.output x")}));
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
