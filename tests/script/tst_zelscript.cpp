// The script runner on its own: the language it accepts, errors and their places, the host
// objects, script files, and the command-line program.
#include "script/zelscript.h"
#include "zel/engine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

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
    auto program = zelscript::parse(source, u"t.vbs"_s);
    zelscript::RunOptions options;
    options.output = [&o](const QString &line) { o.out << line; };
    o.result = zelscript::run(*program, o.workspace(), options);
    return o;
}

// A script whose Sub Main holds the lines given (CR LF line ends, as exported files have).
QString mainOf(const QStringList &lines)
{
    return u"Sub Main\r\n"_s + lines.join(u"\r\n"_s) + u"\r\nEnd Sub\r\n"_s;
}

Outcome runMain(const QStringList &lines)
{
    return runSource(mainOf(lines));
}

const QString kAdd = u"Call zel.AddController(\"RC1\", \"Zel.Virtual\", \"\", \"@EventDisable=true\")"_s;

QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &data)
{
    QFile f(dir.filePath(QLatin1String(name)));
    f.open(QIODevice::WriteOnly);
    f.write(data);
    return f.fileName();
}

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
        QTest::newRow("no End Sub") << "' a comment\nSub Main\n  dbg.output \"x\"\n" << 2 << 1 << "Sub Main has no End Sub";
        QTest::newRow("GoTo label") << "Sub Main\n  On Error GoTo Handler\nEnd Sub\n" << 2 << 17 << "only 'On Error GoTo 0' is supported";
        QTest::newRow("Main twice") << "Sub Main\nEnd Sub\nSub main\nEnd Sub\n" << 3 << 5 << "Sub main is defined twice (first on line 1)";
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
            zelscript::parse(source, u"t.vbs"_s);
            QFAIL("no syntax error");
        } catch (const zelscript::ScriptError &e) {
            QCOMPARE(e.line(), line);
            QCOMPARE(e.column(), column);
            QCOMPARE(e.message(), u"t.vbs:%1:%2: error 0x8004A400: Syntax error: %3"_s.arg(line).arg(column).arg(what));
        }
    }

    // ---- errors at run time: the place is the statement's line --------------------------------
    void engineErrorStopsTheScript()
    {
        Outcome o = runMain({kAdd, "  Call zel.Controllers(\"RC1\").AddRobot(\"Robot1\", \"\")", "  dbg.output \"before\"",
                             "  Call zel.Controllers(\"RC1\").Robots(\"Robot1\").Drive(7, 10, \"\")", "  dbg.output \"after\""});
        QCOMPARE(o.out, QStringList{u"before"_s});
        QCOMPARE(o.result.error.line(), 5);
        QCOMPARE(o.result.error.message(), u"t.vbs:5: error 0x8004A205: Drive: axis 7 does not exist; the robot has axes 1 to 6"_s);
        QCOMPARE(o.result.statements, qint64(4));
    }

    void runtimeErrors_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing member") << QStringList{kAdd, "  x = zel.Controllers(\"RC1\").Colour"}
                                        << "t.vbs:3: error 0x8004A003: ZelController has no property or method 'Colour'";
        QTest::newRow("not an object") << QStringList{"  x = 5", "  x.Value = 1"} << "t.vbs:3: error 0x8004A100: Object required: 'x' is I2";
        QTest::newRow("object as text") << QStringList{"  dbg.output zel.Controllers"}
                                        << "t.vbs:2: error 0x8004A100: Type mismatch: an object has no text (dbg.output)";
        QTest::newRow("bad value text") << QStringList{"  dbg.output DAT.VariantFromBstr(\"3,x\")"} << "'x' is not a valid I4 value";
        QTest::newRow("argument count") << QStringList{"  dbg.output \"a\", \"b\""}
                                        << "t.vbs:2: error 0x8004A005: dbg.output takes 1 argument; 2 given";
        QTest::newRow("host method written") << QStringList{"  Set d = dbg", "  d.output = \"x\""}
                                             << "t.vbs:3: error 0x8004A004: dbg.output cannot be written";
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
            u"  On Error Resume Next"_s,
            kAdd,
            u"  dbg.output \"no error: \" & Err.Number & \"/\" & Err.Description & \"/\""_s,
            u"  Call zel.Controllers(\"RC1\").Robots(\"Robot1\").Drive(7, 10, \"\")"_s,
            u"  Call zel.Controllers(\"RC1\").AddRobot(\"Robot1\", \"\")"_s,
            u"  Call zel.Controllers(\"RC1\").Robots(\"Robot1\").Drive(7, 10, \"\")"_s,
            u"  dbg.output Err.Number & \" \" & Err.Description & \" \" & Err.Source"_s,
            u"  Err.Clear"_s,
            u"  dbg.output \"cleared: \" & Err.Number"_s,
            u"  x = undefinedName"_s,
            u"  dbg.output Err.Number & \" \" & Err.Description"_s,
            u"  On Error GoTo 0"_s,
            u"  dbg.output \"off: \" & Err.Number"_s,
            u"  Call zel.Controllers(\"RC1\").Robots(\"Robot1\").Drive(8, 10, \"\")"_s,
            u"  dbg.output \"not reached\""_s,
        });
        QVERIFY(!o.result.ok);
        QCOMPARE(o.result.error.line(), 15);
        QCOMPARE(o.result.error.description(), u"Drive: axis 8 does not exist; the robot has axes 1 to 6"_s);
        QCOMPARE(o.out, (QStringList{"no error: 0//", QString::number(axis) + " Drive: axis 7 does not exist; the robot has axes 1 to 6 zelscript",
                                     "cleared: 0", QString::number(qint32(zel::E_SCRIPT_UNDEFINED)) + " Variable is undefined: 'undefinedName'",
                                     "off: 0"}));
        QCOMPARE(o.result.resumedErrors, qint64(3));

        // An error in a Sub without a handler goes to the caller's handler, which goes on after the
        // call; without any handler the place is the statement in the Sub.
        const QString sub = QString::fromUtf8("Sub Helper\r\n  dbg.output \"in\"\r\n  Err.Raise &H80040123, \"Pump\", \"Pump on fire\"\r\n"
                                           "  dbg.output \"not here\"\r\nEnd Sub\r\n");
        o = runSource(mainOf({"  On Error Resume Next", "  Helper", "  dbg.output Err.Description & \" \" & Err.Source"}) + sub);
        QVERIFY2(o.result.ok, qPrintable(o.result.error.message()));
        QCOMPARE(o.out, (QStringList{"in", "Pump on fire Pump"}));
        o = runSource(mainOf({"  Call Helper()", "  dbg.output \"not here\""}) + sub);
        QCOMPARE(o.result.error.message(), u"t.vbs:7: error 0x80040123: Pump on fire"_s);
        QCOMPARE(o.out, QStringList{u"in"_s});

        // Err.Raise in the Sub that handles it keeps its source.
        o = runMain({"  On Error Resume Next", "  Err.Raise 5, \"Me\"", "  dbg.output Err.Number & \" [\" & Err.Source & \"] \" & Err.Description"});
        QCOMPARE(o.out, QStringList{u"5 [Me] Error 0x00000005"_s});
    }

    void undefinedNamesAndSubs()
    {
        // Without Sub Main nothing runs, the top level included.
        Outcome o = runSource(u"dbg.output \"top\"\r\nSub Mian\r\n  dbg.output \"x\"\r\nEnd Sub\r\n"_s);
        QVERIFY(!o.result.ok);
        QCOMPARE(o.result.error.message(), u"t.vbs: error 0x8004A401: The script has no Sub Main"_s);
        QVERIFY(o.out.isEmpty());
        QCOMPARE(o.result.statements, qint64(0));

        // Top-level statements run first; Subs are called with and without Call; Exit Sub.
        o = runSource(u"Dim g\r\ng = \"global\"\r\ndbg.output \"top\"\r\n"_s
                      + mainOf({"  Helper", "  Call Helper", "  Call Helper()", "  dbg.output g", "  dbg.output local"})
                      + u"Sub Helper\r\n  local = \"L\"\r\n  g = g & \"+\"\r\n  Exit Sub\r\n  dbg.output \"never\"\r\nEnd Sub\r\n"_s);
        // The Sub's own variable is not Main's: reading a name nothing assigned is an error.
        QCOMPARE(o.out, (QStringList{u"top"_s, u"global+++"_s}));
        QCOMPARE(o.result.error.message(), u"t.vbs:9: error 0x8004A401: Variable is undefined: 'local'"_s);

        // Option Explicit: assignments need Dim.
        o = runSource(u"Option Explicit\r\n"_s + mainOf({u"  Dim a"_s, u"  a = 1"_s, u"  b = 2"_s}));
        QCOMPARE(o.result.error.message(),
                 u"t.vbs:5: error 0x8004A401: Variable is undefined: 'b' (Option Explicit asks for Dim)"_s);

        // A Sub that calls itself without end stops with an error instead of the process.
        o = runSource(mainOf({u"  Again"_s}) + u"Sub Again\r\n  Again\r\nEnd Sub\r\n"_s);
        QCOMPARE(o.result.error.unsignedNumber(), quint32(zel::E_OVERFLOW));
        QVERIFY(o.result.error.description().startsWith(u"Out of stack space"_s));
    }

    // ---- the language beyond the recorder --------------------------------------------------------
    void valuesAndOperators()
    {
        Outcome o = runMain({
            u"  dbg.output \"say \"\"hi\"\"\""_s,
            u"  dbg.output DAT.BstrFromVariant(42) & \" \" & DAT.BstrFromVariant(70000) & \" \" & DAT.BstrFromVariant(3000000000)"_s,
            u"  dbg.output DAT.BstrFromVariant(1.5) & \" \" & DAT.BstrFromVariant(-3) & \" \" & DAT.BstrFromVariant(&HFF) & \" \" & DAT.BstrFromVariant(&H8004A205)"_s,
            u"  dbg.output 1 + 2 * 3 & \" \" & (1 + 2) * 3 & \" \" & 7 / 2 & \" \" & 10 - 2 - 3 & \" \" & -(2 + 3)"_s,
            u"  dbg.output \"a\" + \"b\" & 1.25 & True & Empty & Null & \"|\""_s,
            u"  dbg.output Null"_s,
            u"  dbg.output DAT.BstrFromVariant(Null & Null) & \" \" & DAT.BstrFromVariant(Empty) & \" \" & DAT.BstrFromVariant(False)"_s,
            u"  dbg.output DAT.BstrFromVariant(DAT.VariantFromBstr(\"8204,3:1,8:t,1:\"))"_s,
            u"  dbg.output .5 + 1e2"_s,
            u"  dbg.output DAT.BstrFromVariant(\"a\" & vbCrLf & \"b\" & vbLf & vbCr & vbTab)"_s,
        });
        QVERIFY2(o.result.ok, qPrintable(o.result.error.message()));
        QCOMPARE(o.out, (QStringList{"say \"hi\"", "2,42 3,70000 5,3e+09", "5,1.5 2,-3 2,255 3,-2147180027", "7 9 3.5 5 -5",
                                     "ab1.25True|", "Null", "1, 0, 11,False", "8204,3:1,8:t,1:", "100.5", "8,a\r\nb\n\r\t"}));
    }

    void statementsVariablesAndCollections()
    {
        Outcome o = runSource(QString::fromUtf8(
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
        QCOMPARE(o.out, (QStringList{"5,12.5 2,3", "Speed of 2", "in parentheses", "one argument"}));
        QCOMPARE(o.result.error.message(), u"t.vbs:18: error 0x8004A100: Object variable not set: 'c' is Nothing"_s);

        // Echo: every statement with its line before it runs, continued lines joined.
        auto program = zelscript::parse(mainOf({u"  x = 1 + _"_s, u"    2 : dbg.output x"_s}));
        QStringList echoed;
        zelscript::RunOptions options;
        options.echo = [&echoed](int line, const QString &text) { echoed << QString::number(line) + QLatin1Char(' ') + text; };
        QVERIFY(zelscript::run(*program, zel::ZelEngine::create()->workspaces()->at(0), options).ok);
        QCOMPARE(echoed, (QStringList{u"2 x = 1 + 2"_s, u"3 dbg.output x"_s}));
    }

    // ---- the program ------------------------------------------------------------------------------
    void commandLine()
    {
        QTemporaryDir dir;
        auto write = [&dir](const char *name, const QString &text) { return writeFile(dir, name, text.toUtf8()); };
        Cli c = zelscriptRun({u"--help"_s});
        QCOMPARE(c.status, 0);
        QVERIFY(c.out.startsWith(u"Usage: zelscript [OPTIONS] FILE\n"_s));
        for (const char *option : {"--echo", "--quiet", "--state FILE", "--help", "--version"})
            QVERIFY2(c.out.contains(QLatin1String(option)), option);
        c = zelscriptRun({u"--version"_s});
        QCOMPARE(c.status, 0);
        QCOMPARE(c.out, u"zelscript %1.%2.%3\n"_s.arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH));

        c = zelscriptRun({});
        QCOMPARE(c.status, 2);
        QCOMPARE(c.err, u"zelscript: no script file given\nTry 'zelscript --help' for more information.\n"_s);
        c = zelscriptRun({u"--fast"_s, u"x.vbs"_s});
        QCOMPARE(c.status, 2);
        QVERIFY(c.err.startsWith(u"zelscript: unknown option '--fast'\n"_s));

        // Files that cannot be read: missing, not text, not UTF-8.
        const struct {
            QString path, reason;
        } unreadable[] = {{dir.filePath(u"nothere.vbs"_s), u"it does not exist"_s},
                          {writeFile(dir, "logo.vbs", QByteArray("Sub Main\r\n\x00\x01\x02", 13)), u"it is not a text file (byte 10 is 0)"_s},
                          {writeFile(dir, "latin1.vbs", "Sub Main\r\n  dbg.output \"K\xf6ln\"\r\nEnd Sub\r\n"), u"it is not UTF-8 text"_s}};
        for (const auto &u : unreadable) {
            c = zelscriptRun({u.path});
            QCOMPARE(c.status, 2);
            QCOMPARE(c.err, u.path + ": error 0x8004A402: Script file cannot be read: " + u.reason + "\n");
        }

        // A syntax error at the end stops the script before its first statement runs.
        const QString bad = write("bad.vbs", mainOf({u"  dbg.output \"first\""_s, kAdd, u"  dbg.output (\"x\""_s}));
        c = zelscriptRun({bad});
        QCOMPARE(c.status, 2);
        QCOMPARE(c.out, QString());
        QCOMPARE(c.err, bad + u":4:18: error 0x8004A400: Syntax error: expected ')' or ',' but found the end of the line\n"_s);

        const QString script = write("run.vbs", mainOf({kAdd, u"  dbg.output \"added \" & zel.Controllers.Count"_s,
                                                        u"  Call zel.Controllers(\"RC1\").Robots(\"Arm\").GoHome()"_s,
                                                        u"  dbg.output \"not here\""_s}));
        c = zelscriptRun({script});
        QCOMPARE(c.status, 1);
        QCOMPARE(c.out, u"added 1\n"_s);
        QCOMPARE(c.err, script + u":4: error 0x8004A002: Item: ZelRobots holds no item named 'Arm'\n"_s);

        const QString statePath = dir.filePath(u"state.txt"_s);
        c = zelscriptRun({u"--quiet"_s, u"--echo"_s, u"--state"_s, statePath, script});
        QCOMPARE(c.status, 1);
        QCOMPARE(c.out, "line 2: " + kAdd.trimmed() + "\nline 3: dbg.output \"added \" & zel.Controllers.Count\n"
                                                       "line 4: Call zel.Controllers(\"RC1\").Robots(\"Arm\").GoHome()\n");
        QFile state(statePath);
        QVERIFY(state.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(state.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), u"Controllers.Count = 3,1"_s);
        QVERIFY(lines.contains(u"Controllers(\"RC1\").Name = 8,RC1"_s));

        // A byte order mark is not part of the text.
        const QString fine = writeFile(dir, "fine.vbs", "\xef\xbb\xbf" + mainOf({"  dbg.output \"K\u00f6ln\""}).toUtf8());
        c = zelscriptRun({u"--"_s, fine});
        QCOMPARE(c.status, 0);
        QCOMPARE(c.out, u"K\u00f6ln\n"_s);
        QCOMPARE(c.err, QString());
    }
};

QTEST_GUILESS_MAIN(TestZelScript)
#include "tst_zelscript.moc"
