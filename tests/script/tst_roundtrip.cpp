// Record and replay: a session in ZelTester that touches every recordable operation of every
// panel is exported with File > Export Script..., replayed by the script runner against a fresh
// engine, and both engines must end in the same state. (The runner's command line is tested on
// its own.)
#include "script/statedump.h"
#include "script/zelscript.h"
#include "session.h"
#include "testsupport.h"
#include "zel/engine.h"

#include <QAction>
#include <QSet>

namespace {

// "[EXE]-zel.Controllers('RC1').Robots('Arm').Move(2, ...)" > "[EXE]Controllers.Robots.Move": the kind
// of call, the collections on the way and the member, names and arguments left out.
QString callKey(QString echo)
{
    static const QRegularExpression head(u"^(\\[\\w+\\])-(zel\\.)?"_s), names(u"\\('[^']*'\\)"_s), tail(u"(\\(| = ).*$"_s);
    return echo.replace(head, u"\\1"_s).remove(names).remove(tail);
}

} // namespace

class TestRoundTrip : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void guiSessionReplaysToTheSameState();
};

void TestRoundTrip::guiSessionReplaysToTheSameState()
{
    TestRun run;
    PanelBase *ws = run.panel(4);
    recordSession(run);
    if (QTest::currentTestFailed())
        return;

    // ---- export --------------------------------------------------------------------------------------
    const QString path = run.appDir() + QStringLiteral("session.vbs");
    onNextModal([&](QWidget *modal) { acceptFileDialog(modal, path); });
    QAction *exportScript = run.mdi()->findChild<QAction *>(QStringLiteral("mnuFileItem_1"));
    QVERIFY(exportScript);
    exportScript->trigger();
    const QString script = zelscript::readScriptFile(path);
    QCOMPARE(script, run.state().script.ZelScriptSrc());

    // The session touched every recordable operation of every panel.
    QSet<QString> calls;
    for (const QString &line : script.split(QStringLiteral("\r\n"))) {
        static const QRegularExpression echo(QStringLiteral("^\\tdbg\\.output \"(\\[(PUT|GET|EXE)\\]-.*)\"$"));
        QRegularExpressionMatch m = echo.match(line);
        if (m.hasMatch())
            calls.insert(callKey(m.captured(1)));
    }
    // Each line: the kind of call, the path of collections, and the members recorded there.
    const char *const recordable[] = {
        "EXE: AddController Controllers.Remove",
        "GET Controllers: Name Attribute Help Tag ID VariableNames RobotNames FileNames TaskNames ExtensionNames CommandNames",
        "PUT Controllers: Tag ID",
        "EXE Controllers: Execute AddVariable AddRobot AddFile AddTask AddExtension AddCommand Variables.Clear Robots.Clear "
        "Files.Clear Tasks.Clear Extensions.Clear Commands.Clear Variables.Remove Robots.Remove Files.Remove Tasks.Remove "
        "Extensions.Remove Commands.Remove",
        "GET Controllers.Variables: Name Attribute Help ID DateTime Microsecond Value Tag",
        "PUT Controllers.Variables: ID Value Tag",
        "GET Controllers.Robots: Name Attribute Help Tag ID VariableNames",
        "PUT Controllers.Robots: Tag ID",
        "EXE Controllers.Robots: Execute Accelerate Drive Change Chuck Unchuck Move GoHome Rotate Speed Hold Unhold Halt "
        "AddVariable Variables.Clear",
        "GET Controllers.Files: Name Path Size Type Attribute DateCreated DateLastAccessed DateLastModified Help Tag ID Value "
        "VariableNames FileNames",
        "PUT Controllers.Files: Tag ID Value",
        "EXE Controllers.Files: Copy Move Delete Execute AddVariable AddFile Variables.Clear Files.Clear",
        "EXE Controllers.Files.Files: Run", // a program in a folder
        "GET Controllers.Tasks: Name FileName Attribute Help Tag ID VariableNames",
        "PUT Controllers.Tasks: Tag ID",
        "EXE Controllers.Tasks: Start Stop Delete Execute AddVariable Variables.Clear",
        "GET Controllers.Extensions: Name Attribute Help Tag ID VariableNames",
        "PUT Controllers.Extensions: Tag ID",
        "EXE Controllers.Extensions: Execute AddVariable Variables.Clear",
        "GET Controllers.Commands: Name Attribute Help Tag ID Timeout State Parameters Result",
        "PUT Controllers.Commands: Tag ID Timeout Parameters",
        "EXE Controllers.Commands: Execute Cancel",
    };
    QStringList missing;
    for (const char *entry : recordable) {
        const QString e = QLatin1String(entry), path = e.section(u':', 0, 0).mid(4);
        for (const QString &member : e.section(u':', 1).split(u' ', Qt::SkipEmptyParts)) {
            const QString key = u'[' + e.left(3) + u']' + (path.isEmpty() ? member : path + u'.' + member);
            if (!calls.contains(key))
                missing << key;
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(u"not recorded: "_s + missing.join(u", "_s)));

    // ---- replay in process: every statement runs, and the engine ends in the same state -----------------
    const QStringList guiState = zelscript::dumpState(ws->m_ZelObj);
    QVERIFY2(guiState.size() > 150, qPrintable(QString::number(guiState.size())));
    auto program = zelscript::parse(script, path);
    auto engine = zel::ZelEngine::create();
    QStringList output;
    zelscript::RunOptions options;
    options.output = [&output](const QString &line) { output << line; };
    zelscript::RunResult result = zelscript::run(*program, engine->workspaces()->at(0), options);
    QVERIFY2(result.ok, qPrintable(result.error.message()));
    QCOMPARE(result.statements, zelscript::statementCount(*program));
    QCOMPARE(result.resumedErrors, qint64(0));
    // One result line per recorded call.
    QCOMPARE(output.filter(QRegularExpression(QStringLiteral("^Succeeded\\."))).size(), script.count(QStringLiteral("\tdbg.output \"[")));
    const QStringList replayState = zelscript::dumpState(engine->workspaces()->at(0));
    QCOMPARE(replayState, guiState);
}

QTEST_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
