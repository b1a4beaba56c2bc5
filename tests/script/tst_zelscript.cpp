// The script runner on its own: the language it accepts, errors and their places, the host
// objects, script files, and the command-line program.
#include "script/zelscript.h"
#include "zel/engine.h"

#include "../common/faultyfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <signal.h>

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

Cli zelscriptRun(const QStringList &args, const std::function<void()> &childSetup = {})
{
    QProcess p;
    if (childSetup)
        p.setChildProcessModifier(childSetup);
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

// The first line of a script written as text: Sub Main, then the statement on line 2.
QString statementOnLine2(const QString &statement)
{
    return mainOf({u"  "_s + statement});
}

// True once the process has its own handler for the signal (so that it can no longer be
// killed by it before it is ready).
bool catches(qint64 pid, int signal)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
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

    // ---- input of any size: an error, never a crash ---------------------------------------------
    void deepNestingIsASyntaxError_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("column");
        const QString parens = u"x = "_s + QString(20000, u'(') + u"1"_s + QString(20000, u')');
        QTest::newRow("20,000 parentheses") << parens << 207;
        QString calls = u"x = "_s;
        for (int i = 0; i < 20000; ++i)
            calls += u"DAT.BstrFromVariant("_s;
        QTest::newRow("20,000 calls") << calls + u"1"_s + QString(20000, u')') << 2007;
        QTest::newRow("50,000 signs") << u"x = "_s + QString(50000, u'-') + u"1"_s << 206;
        QString chain = u"x = zel"_s;
        for (int i = 0; i < 5000; ++i)
            chain += u".Controllers(0).Parent"_s;
        QTest::newRow("5,000 links of a chain") << chain << 2201;
        QTest::newRow("one level too many") << u"dbg.output "_s + QString(200, u'(') + u"1"_s + QString(200, u')') << 214;
    }

    void deepNestingIsASyntaxError()
    {
        QFETCH(QString, statement);
        QFETCH(int, column);
        try {
            zelscript::parse(statementOnLine2(statement), u"t.vbs"_s);
            QFAIL("no syntax error");
        } catch (const zelscript::ScriptError &e) {
            QCOMPARE(e.message(), u"t.vbs:2:%1: error 0x8004A400: Syntax error: expression nested too deeply (more than 200 levels)"_s.arg(column));
        }
    }

    void longChainsAndDeepCallsRun()
    {
        // The deepest expression allowed runs.
        Outcome o = runMain({u"  dbg.output "_s + QString(199, u'(') + u"\"deep\""_s + QString(199, u')')});
        QVERIFY2(o.result.ok, qPrintable(o.result.error.message()));
        QCOMPARE(o.out, QStringList{u"deep"_s});

        // A long flat chain is no nesting: 50,000 terms of &, of + and a mixed one.
        QString amp = u"  x = \"a\""_s;
        QString plus = u"  n = 0"_s;
        for (int i = 0; i < 50000; ++i) {
            amp += u" & \"b\""_s;
            plus += u" + 1"_s;
        }
        o = runMain({amp, plus, u"  dbg.output DAT.BstrFromVariant(x)"_s, u"  dbg.output DAT.BstrFromVariant(n)"_s,
                     u"  dbg.output DAT.BstrFromVariant(Null & Null & Null) & \"|\" & Null & \"a\" & Null & \"|\" & 1 & 2 + 3 & 4 & \"|\" & (1 & 2) + 3 * 2 - 1"_s});
        QVERIFY2(o.result.ok, qPrintable(o.result.error.message()));
        QCOMPARE(o.out.value(0), u"8,a"_s + QString(50000, u'b'));
        QCOMPARE(o.out.value(1), u"3,50000"_s);
        QCOMPARE(o.out.value(2), u"1,|a|154|17"_s);

        // Subs that call each other while deep in expressions stop with an error of the line.
        o = runSource(mainOf({u"  Again"_s}) + u"Sub Again\r\n  x = "_s + QString(150, u'-') + u"Again\r\nEnd Sub\r\n"_s);
        QCOMPARE(o.result.error.message(), u"t.vbs:5: error 0x8004A101: Out of stack space: Subs and expressions nest more than 3000 levels deep"_s);

        // A value text nested deeper than the converter reads.
        const QString deepValue = u"8204,"_s + u"8204:("_s.repeated(20000) + u"3:1"_s + u")"_s.repeated(20000);
        o = runMain({u"  v = DAT.VariantFromBstr(\""_s + deepValue + u"\")"_s});
        QCOMPARE(o.result.error.unsignedNumber(), quint32(zel::E_VALUE_SYNTAX));
        QVERIFY2(o.result.error.message().startsWith(u"t.vbs:2: error 0x8004A102: arrays nested more than 64 levels deep"_s),
                 qPrintable(o.result.error.message().left(200)));
    }

    // The real program with the same input: exit 2 for the syntax errors, 1 for the run-time
    // error, 0 for the long chain.
    void deepInputThroughTheProgram()
    {
        QTemporaryDir dir;
        const QString parens = writeFile(dir, "parens.vbs", statementOnLine2(u"x = "_s + QString(20000, u'(') + u"1"_s + QString(20000, u')')).toUtf8());
        Cli c = zelscriptRun({parens});
        QCOMPARE(c.status, 2);
        QCOMPARE(c.err, parens + u":2:207: error 0x8004A400: Syntax error: expression nested too deeply (more than 200 levels)\n"_s);
        QString amp = u"x = \"a\""_s;
        for (int i = 0; i < 50000; ++i)
            amp += u" & \"b\""_s;
        const QString chain = writeFile(dir, "chain.vbs", mainOf({u"  "_s + amp, u"  dbg.output DAT.BstrFromVariant(x)"_s}).toUtf8());
        c = zelscriptRun({chain});
        QCOMPARE(c.status, 0);
        QCOMPARE(c.out, u"8,a"_s + QString(50000, u'b') + u"\n"_s);
        const QString recursion = writeFile(dir, "recursion.vbs", (mainOf({u"  Again"_s}) + u"Sub Again\r\n  x = 1 & "_s + QString(150, u'-') + u"Again\r\nEnd Sub\r\n"_s).toUtf8());
        c = zelscriptRun({recursion});
        QCOMPARE(c.status, 1);
        QCOMPARE(c.err, recursion + u":5: error 0x8004A101: Out of stack space: Subs and expressions nest more than 3000 levels deep\n"_s);
    }

    // Script files of any size and kind: too large and endless ones are refused, a pipe is read.
    void scriptFilesOfAnySize()
    {
        QTemporaryDir dir;
        const QString huge = dir.filePath(u"huge.vbs"_s);
        QVERIFY(writeBytes(huge, "Sub Main\r\n") && QFile::resize(huge, zelscript::MaxScriptFileSize + 1));
        Cli c = zelscriptRun({huge});
        QCOMPARE(c.status, 2);
        QCOMPARE(c.err, huge + u": error 0x8004A402: Script file cannot be read: it holds 67108865 bytes, more than the 67108864 a "
                              "script may hold\n"_s);
        c = zelscriptRun({u"/dev/zero"_s});
        QCOMPARE(c.status, 2);
        QCOMPARE(c.err, u"/dev/zero: error 0x8004A402: Script file cannot be read: it is not a text file (byte 0 is 0)\n"_s);
        QProcess bash;
        bash.start(u"bash"_s, {u"-c"_s, u"exec \"$0\" <(printf 'Sub Main\\r\\n  dbg.output \"piped\"\\r\\nEnd Sub\\r\\n')"_s,
                                QStringLiteral(ZELSCRIPT_EXE)});
        QVERIFY(bash.waitForFinished(60000));
        QCOMPARE(bash.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(bash.readAllStandardOutput()), u"piped\n"_s);
    }

    // ---- stopping a script that does not end -------------------------------------------------------
    void timeLimitAndStopRequest()
    {
        // Subs that call each other twice, under On Error Resume Next: the depth limit only
        // sends them back, and the calls never end.
        const QString runaway = mainOf({u"  On Error Resume Next"_s, u"  Grow"_s})
                                + u"Sub Grow\r\n  On Error Resume Next\r\n  Grow\r\n  Grow\r\nEnd Sub\r\n"_s;
        auto program = zelscript::parse(runaway, u"t.vbs"_s);
        auto engine = zel::ZelEngine::create();
        zelscript::RunOptions options;
        options.timeLimitMs = 200;
        zelscript::RunResult r = zelscript::run(*program, engine->workspaces()->at(0), options);
        QVERIFY(!r.ok);
        QCOMPARE(r.error.unsignedNumber(), quint32(zel::E_SCRIPT_STOPPED));
        QVERIFY2(r.error.message().contains(QRegularExpression(u"^t\\.vbs:[2-9]: error 0x8004A403: Script was stopped: its time limit of 0\\.2 s ran out$"_s)),
                 qPrintable(r.error.message()));
        QVERIFY(r.resumedErrors > 0);

        // A request to stop (Ctrl+C) ends the script before its next statement.
        std::atomic<bool> stop{true};
        options.timeLimitMs = 0;
        options.stopRequest = &stop;
        r = zelscript::run(*program, engine->workspaces()->at(0), options);
        QCOMPARE(r.error.message(), u"t.vbs:2: error 0x8004A403: Script was stopped: interrupted"_s);
        QCOMPARE(r.statements, qint64(1));
    }

    void timeoutAndCtrlCOfTheProgram()
    {
        QTemporaryDir dir;
        const QString runaway = writeFile(dir, "runaway.vbs", (mainOf({u"  On Error Resume Next"_s, u"  Grow"_s})
                                                               + u"Sub Grow\r\n  On Error Resume Next\r\n  Grow\r\n  Grow\r\nEnd Sub\r\n"_s).toUtf8());
        const QString state = dir.filePath(u"state.txt"_s);
        Cli c = zelscriptRun({u"--timeout"_s, u"0.5"_s, u"--state"_s, state, runaway});
        QCOMPARE(c.status, 1);
        QVERIFY2(c.err.contains(QRegularExpression(u": error 0x8004A403: Script was stopped: its time limit of 0\\.5 s ran out\n$"_s)), qPrintable(c.err));
        QVERIFY(c.err.startsWith(runaway + u":"_s));
        QVERIFY(QFileInfo(state).isFile()); // stopped cleanly: the end state is written
        for (const QStringList &bad : {QStringList{u"--timeout"_s, u"x"_s}, QStringList{u"--timeout=0"_s}, QStringList{u"--timeout"_s}}) {
            c = zelscriptRun(bad + QStringList{runaway});
            QCOMPARE(c.status, 2);
            QVERIFY2(c.err.startsWith(u"zelscript: --timeout needs a number of seconds greater than 0"_s), qPrintable(c.err));
        }
        const QString help = zelscriptRun({u"--help"_s}).out;
        QVERIFY(help.contains(u"--timeout SECONDS"_s));
        QVERIFY(help.contains(u"Zel.Modbus"_s)); // the providers a script can use

        // Ctrl+C: the terminal sends SIGINT to the running program.
        QFile::remove(state);
        QProcess p;
        p.start(QStringLiteral(ZELSCRIPT_EXE), {u"--state"_s, state, runaway});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(catches(p.processId(), SIGINT), 30000);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(QRegularExpression(u"^.*runaway\\.vbs:[2-9]: error 0x8004A403: Script was stopped: interrupted\n$"_s)), qPrintable(err));
        QVERIFY(QFileInfo(state).isFile());
    }

    // The state file is saved like every other file: a failing disk keeps the old one, and a
    // pipe or a device is not replaced.
    void stateFileFailures()
    {
        QTemporaryDir dir;
        QStringList lines{kAdd};
        for (int i = 0; i < 40; ++i)
            lines << u"  Call zel.Controllers(\"RC1\").AddVariable(\"Variable%1\", \"\")"_s.arg(i);
        const QString script = writeFile(dir, "many.vbs", mainOf(lines).toUtf8());
        const QString state = writeFile(dir, "state.txt", "old state\n");
        Cli c = zelscriptRun({u"--state"_s, state, script}, childFileSizeLimit(2048));
        QCOMPARE(c.status, 1);
        QVERIFY2(c.err.startsWith(u"zelscript: the state was not written: %1: writing failed after 2048 of "_s.arg(state)), qPrintable(c.err));
        QCOMPARE(fileBytes(state), QByteArray("old state\n"));

        for (const SpecialFile &special : makeSpecialFiles(dir.path())) {
            c = zelscriptRun({u"--state"_s, special.path, script});
            QCOMPARE(c.status, 1);
            QCOMPARE(c.err, u"zelscript: the state was not written: %1: this is not a regular file (a device, a named pipe or a "
                            "socket); nothing was saved\n"_s.arg(special.path));
            QVERIFY2(isStillSpecial(special), qPrintable(special.what));
        }
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
