// Record and replay: a session in ZelTester that touches every recordable operation of every
// panel is exported with File > Export Script..., replayed by zelscript against a fresh engine
// (in process and through the real program), and both engines must end in the same state.
#include "script/statedump.h"
#include "script/zelscript.h"
#include "testsupport.h"
#include "zel/engine.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>

using zel::CallKind;
using zel::Value;

namespace {

// Value-type list positions.
enum Type { EMPTY = 0, I4 = 5, R8 = 7, BSTR = 10, ARRAY_I4 = 14, ARRAY_R8 = 16 };

// Makes every tab page that holds the widget the current one, as a user would before using it.
void reveal(QWidget *w)
{
    for (QWidget *p = w; p; p = p->parentWidget()) {
        auto *stack = qobject_cast<QStackedWidget *>(p->parentWidget());
        auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
        if (tabs && tabs->indexOf(p) >= 0)
            tabs->setCurrentIndex(tabs->indexOf(p));
    }
}

QWidget *control(QWidget *panel, const char *name)
{
    QWidget *w = panel->findChild<QWidget *>(QLatin1String(name));
    if (!w)
        qWarning("no control %s in %s", name, qPrintable(panel->windowTitle()));
    else
        reveal(w);
    return w;
}

void press(QWidget *panel, const char *button)
{
    control(panel, button);
    clickButton(panel, QLatin1String(button));
}

void type(QWidget *panel, const char *box, const QString &text)
{
    QWidget *w = control(panel, box);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->setText(text);
    else if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        p->setPlainText(text);
    else if (auto *c = qobject_cast<QComboBox *>(w))
        c->setEditText(text);
}

void choose(QWidget *panel, const char *combo, int index)
{
    if (auto *c = qobject_cast<QComboBox *>(control(panel, combo)))
        c->setCurrentIndex(index);
}

// Execute with a typed parameter, in whichever boxes the panel has.
void execute(QWidget *panel, const char *commandBox, const char *parameterBox, const QString &command, int valueType,
             const QString &parameter = QString())
{
    type(panel, commandBox, command);
    choose(panel, "cmbValueType", valueType);
    if (valueType != EMPTY)
        type(panel, parameterBox, parameter);
    press(panel, "cmdExecute");
}

// Name, Attribute, Help, Tag and ID of a member panel, with its own button names.
void sharedReads(QWidget *panel, std::initializer_list<const char *> gets, const QString &tag, const QString &id)
{
    for (const char *b : gets)
        press(panel, b);
    type(panel, "txtPutTag", tag);
    press(panel, "cmdPutTag");
    press(panel, "cmdGetTag");
    type(panel, "txtPutID", id);
    press(panel, "cmdPutID");
    press(panel, "cmdGetID");
}


// "[EXE]-zel.Controllers('RC1').Robots('Arm').Move(2, ...)" > "[EXE]Controllers.Robots.Move": the kind
// of call, the collections on the way and the member, names and arguments left out.
QString callKey(const QString &echo)
{
    QString s = QLatin1Char('[') + echo.mid(1, 3) + QLatin1Char(']') + echo.mid(6);
    static const QRegularExpression names(QStringLiteral("\\('[^']*'\\)"));
    s.replace(names, QString());
    qsizetype cut = s.indexOf(QLatin1Char('('));
    qsizetype eq = s.indexOf(QLatin1String(" = "));
    if (eq >= 0 && (cut < 0 || eq < cut))
        cut = eq;
    s.truncate(cut < 0 ? s.size() : cut);
    s.replace(QLatin1String("]zel."), QLatin1String("]"));
    return s;
}

// Replay output without the results of reads that depend on the clock.
QStringList withoutClock(QStringList lines)
{
    static const QRegularExpression clock(QStringLiteral("^\\[GET\\]-.*\\.(DateTime|Microsecond|DateCreated|DateLastAccessed|DateLastModified)$"));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (clock.match(lines[i]).hasMatch())
            lines[i + 1] = QStringLiteral("(clock)");
    }
    return lines;
}

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The lines that differ, for the failure message.
QString difference(const QStringList &a, const QStringList &b)
{
    QStringList out;
    for (qsizetype i = 0; i < std::max(a.size(), b.size()) && out.size() < 12; ++i) {
        if (a.value(i) != b.value(i))
            out << QStringLiteral("line %1\n  GUI:    %2\n  replay: %3").arg(i + 1).arg(a.value(i), b.value(i));
    }
    return out.join(QLatin1Char('\n'));
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
    QVERIFY(ws);
    auto addController = [&](const QString &name, const QString &machine, bool eventsOff) {
        qobject_cast<QComboBox *>(control(ws, "cmbController"))->setEditText(name);
        type(ws, "txtMachine", machine);
        type(ws, "txtOption", QString());
        qobject_cast<QCheckBox *>(control(ws, "chkOnMessage"))->setChecked(eventsOff);
        press(ws, "cmdOpen");
        return run.lastPanel(PanelKind::Controller);
    };
    // Adds a member on a page of a controller panel, or of a panel with member pages of its own.
    auto addMember = [&](PanelBase *owner, PanelKind kind, const char *nameBox, const char *optionBox, const char *button,
                         const QString &name, const QString &option = QString()) {
        type(owner, nameBox, name);
        type(owner, optionBox, option);
        press(owner, button);
        PanelBase *p = run.lastPanel(kind);
        return p && p->ownerPanel() == owner ? p : nullptr;
    };
    struct Page {
        const char *name, *option, *add, *names, *namesOption, *clear;
        PanelKind kind;
    };
    const Page pages[] = {
        {"txtName_0", "txtVarOption", "cmdVariable", "cmdGetNames_0", "txtVarNamesOption", "cmdVarClear", PanelKind::Variable},
        {"txtName_1", "txtRobotOption", "cmdGetRobot", "cmdGetNames_1", "txtRobotNamesOption", "cmdRobotClear", PanelKind::Robot},
        {"txtName_2", "txtFileOption", "cmdGetFile", "cmdGetNames_2", "txtFileNamesOption", "cmdFileClear", PanelKind::File},
        {"txtName_3", "txtTaskOption", "cmdGetTask", "cmdGetNames_3", "txtTaskNamesOption", "cmdTaskClear", PanelKind::Task},
        {"txtName_4", "txtExtOption", "cmdGetExtension", "cmdGetNames_4", "txtExtNamesOption", "cmdExtClear", PanelKind::Extension},
        {"txtName_5", "txtCmdOption", "cmdGetCommand", "cmdGetNames_5", "txtCmdNamesOption", "cmdCmdClear", PanelKind::Command},
    };
    auto add = [&](PanelBase *ctrl, int page, const QString &name, const QString &option = QString()) {
        const Page &p = pages[page];
        return addMember(ctrl, p.kind, p.name, p.option, p.add, name, option);
    };

    // ---- the workspace and the controllers --------------------------------------------------------
    PanelBase *c = addController(QStringLiteral("RC1"), QStringLiteral("pc-7"), true);
    PanelBase *c2 = addController(QStringLiteral("RC2"), QString(), false);
    PanelBase *c3 = addController(QStringLiteral("RC3"), QString(), true);
    QVERIFY(c && c2 && c3 && c != c2 && c2 != c3);

    sharedReads(c, {"cmdGetName", "cmdGetAttr", "cmdGetHelp"}, QStringLiteral("cell one"), QStringLiteral("7"));
    execute(c, "txtCommand", "txtParameter", QStringLiteral("Echo"), I4, QStringLiteral("42"));
    execute(c, "txtCommand", "txtParameter", QStringLiteral("RaiseMessage"), BSTR, QStringLiteral("Number=7,Description=Door open"));
    for (int page = 0; page < 6; ++page) {
        type(c, pages[page].namesOption, page == 0 ? QStringLiteral("Filter=@M*") : QString());
        press(c, pages[page].names);
    }

    // ---- variables ----------------------------------------------------------------------------------
    PanelBase *v1 = add(c, 0, QStringLiteral("V1"));
    PanelBase *v2 = add(c, 0, QStringLiteral("V2"));
    PanelBase *counter = add(c, 0, QStringLiteral("@counter"));
    QVERIFY(v1 && v2 && counter);
    sharedReads(v1, {"cmdGetVarName", "cmdGetAttr", "cmdGetHelp"}, QStringLiteral("tag of V1"), QStringLiteral("id-1"));
    choose(v1, "cmbValueType", R8);
    type(v1, "txtPutValue", QStringLiteral("12.5"));
    press(v1, "cmdPutValue");
    press(v1, "cmdGetValue");
    press(v1, "cmdGetDateTime");
    press(v1, "cmdGetMicrosecond");
    choose(v1, "cmbValueType", ARRAY_I4);
    type(v1, "txtPutValue", QStringLiteral("1,2,3"));
    press(v1, "cmdPutValue");
    press(v1, "cmdGetValue");
    choose(v2, "cmbValueType", BSTR);
    type(v2, "txtPutValue", QStringLiteral("text with \"quotes\", commas"));
    press(v2, "cmdPutValue");
    press(counter, "cmdGetValue");
    press(counter, "cmdGetValue");
    choose(counter, "cmbValueType", I4);
    type(counter, "txtPutValue", QStringLiteral("10"));
    press(counter, "cmdPutValue");
    press(counter, "cmdGetValue");

    // ---- the robot ----------------------------------------------------------------------------------
    PanelBase *arm = add(c, 1, QStringLiteral("Arm"));
    QVERIFY(arm);
    sharedReads(arm, {"cmdGetName", "cmdGetAttribute", "cmdGetHelp"}, QStringLiteral("arm tag"), QStringLiteral("A-1"));
    execute(arm, "txtExeCommand", "txtExeParameter", QStringLiteral("GetPosition"), EMPTY);
    type(arm, "txtAccelAxis", QStringLiteral("1"));
    type(arm, "txtAccel", QStringLiteral("50"));
    type(arm, "txtDeccel", QStringLiteral("40"));
    press(arm, "cmdAccel");
    type(arm, "txtNumber", QStringLiteral("1"));
    type(arm, "txtMove", QStringLiteral("-10.5"));
    type(arm, "txtDriveOption", QString());
    press(arm, "cmdDrive");
    type(arm, "txtHandName", QStringLiteral("Hand2"));
    press(arm, "cmdChange");
    type(arm, "txtChuckOption", QString());
    press(arm, "cmdChuck");
    press(arm, "cmdUnchuck");
    choose(arm, "cmbInterpolation", 1);
    type(arm, "txtPose", QStringLiteral("P(500, 100, 300, 0, 0, 0)"));
    type(arm, "txtMoveOption", QStringLiteral("Speed=50"));
    press(arm, "cmdMove");
    press(arm, "cmdGoHome");
    type(arm, "txtRotation", QStringLiteral("XY"));
    type(arm, "txtAngle", QStringLiteral("10"));
    type(arm, "txtCenter", QString());
    type(arm, "txtRotateOption", QString());
    press(arm, "cmdRotate");
    type(arm, "txtSpeedAxis", QStringLiteral("0"));
    type(arm, "txtSpeed", QStringLiteral("80"));
    press(arm, "cmdSpeed");
    type(arm, "txtTermOption", QString());
    press(arm, "cmdHold");
    press(arm, "cmdUnhold");
    press(arm, "cmdHalt");
    execute(arm, "txtExeCommand", "txtExeParameter", QStringLiteral("Reset"), EMPTY);
    QVERIFY(addMember(arm, PanelKind::Variable, "txtVarName", "txtVarOption", "cmdGetVar", QStringLiteral("@Speed")));
    press(arm, "cmdGetNames");
    press(arm, "cmdVarClear");
    QVERIFY(addMember(arm, PanelKind::Variable, "txtVarName", "txtVarOption", "cmdGetVar", QStringLiteral("@LastMotion")));

    // ---- files --------------------------------------------------------------------------------------
    PanelBase *readme = add(c, 2, QStringLiteral("readme.txt"));
    PanelBase *logo = add(c, 2, QStringLiteral("logo.bin"));
    PanelBase *data = add(c, 2, QStringLiteral("Data"));
    PanelBase *created = add(c, 2, QStringLiteral("new.txt"));
    PanelBase *gone = add(c, 2, QStringLiteral("gone.txt"));
    PanelBase *programs = add(c, 2, QStringLiteral("Programs"), QStringLiteral("Create=false"));
    QVERIFY(readme && logo && data && created && gone && programs);
    sharedReads(readme, {"cmdGetFileName", "cmdGetPath", "cmdGetSize", "cmdGetType", "cmdGetAttribute", "cmdGetCreated",
                         "cmdGetLastAccessed", "cmdGetLastModified", "cmdGetHelp"},
                QStringLiteral("readme"), QStringLiteral("F-1"));
    press(readme, "cmdGetValue");
    type(readme, "txtValue", QStringLiteral("Hello from the round trip"));
    qobject_cast<QRadioButton *>(control(readme, "optSendType_0"))->setChecked(true);
    press(readme, "cmdPutValue");
    type(readme, "txtDestinationFile", QStringLiteral("/Data/copy.txt"));
    type(readme, "txtCopyMoveOption", QString());
    press(readme, "cmdCopy");
    execute(readme, "txtExeCommand", "txtExeParameter", QStringLiteral("Append"), BSTR, QStringLiteral(" and more"));
    execute(readme, "txtExeCommand", "txtExeParameter", QStringLiteral("LineCount"), EMPTY);
    QVERIFY(addMember(readme, PanelKind::Variable, "txtName_0", "txtVarOption", "cmdGetVariable", QStringLiteral("@Size")));
    press(readme, "cmdGetNames_0");
    press(readme, "cmdGetNames_1");
    press(logo, "cmdGetValue");
    qobject_cast<QRadioButton *>(control(logo, "optSendType_1"))->setChecked(true);
    press(logo, "cmdPutValue");
    type(created, "txtDestinationFile", QStringLiteral("/Data/moved.txt"));
    type(created, "txtCopyMoveOption", QString());
    press(created, "cmdMove");
    type(gone, "txtDeleteOption", QString());
    press(gone, "cmdDelete");
    press(data, "cmdGetNames_1");
    QVERIFY(addMember(data, PanelKind::File, "txtName_1", "txtFileOption", "cmdGetFile", QStringLiteral("inner.txt")));
    QVERIFY(addMember(data, PanelKind::Variable, "txtName_0", "txtVarOption", "cmdGetVariable", QStringLiteral("@Type")));
    press(data, "cmdFileClear");
    press(data, "cmdVarClear");

    // ---- tasks: Main steps; Extra runs Cycle.pgm, started by the file's Run ---------------------------
    PanelBase *mainTask = add(c, 3, QStringLiteral("Main"));
    PanelBase *extra = add(c, 3, QStringLiteral("Extra"), QStringLiteral("File=/Programs/Cycle.pgm"));
    QVERIFY(mainTask && extra);
    sharedReads(mainTask, {"cmdGetTaskName", "cmdGetFileName", "cmdGetAttribute", "cmdGetHelp"}, QStringLiteral("main"),
                QStringLiteral("T-1"));
    choose(mainTask, "cmbTaskStart", 2); // step forward
    type(mainTask, "txtStartOption", QString());
    press(mainTask, "cmdTaskStart");
    execute(mainTask, "txtExeCommand", "txtExeParameter", QStringLiteral("Status"), EMPTY);
    choose(mainTask, "cmbTaskStop", 4); // stop and initialise
    type(mainTask, "txtStopOption", QString());
    press(mainTask, "cmdTaskStop");
    press(mainTask, "cmdTaskStart");
    press(mainTask, "cmdTaskStart");
    QVERIFY(addMember(mainTask, PanelKind::Variable, "txtVarName", "txtVarOption", "cmdGetVar", QStringLiteral("@Line")));
    press(mainTask, "cmdGetNames");
    press(mainTask, "cmdVarClear");
    QVERIFY(addMember(mainTask, PanelKind::Variable, "txtVarName", "txtVarOption", "cmdGetVar", QStringLiteral("@Status")));

    PanelBase *cycle = addMember(programs, PanelKind::File, "txtName_1", "txtFileOption", "cmdGetFile", QStringLiteral("Cycle.pgm"),
                                 QStringLiteral("Create=false"));
    QVERIFY(cycle);
    type(cycle, "txtRunOption", QString());
    press(cycle, "cmdRun");
    QCOMPARE(textOf(cycle, QStringLiteral("txtTaskName")), QStringLiteral("Extra"));
    choose(extra, "cmbTaskStop", 4);
    type(extra, "txtStopOption", QString());
    press(extra, "cmdTaskStop");
    type(extra, "txtDelOption", QString());
    press(extra, "cmdDelete");

    // ---- the extension -------------------------------------------------------------------------------
    PanelBase *io = add(c, 4, QStringLiteral("IO"));
    QVERIFY(io);
    sharedReads(io, {"cmdGetExtName", "cmdGetAttribute", "cmdGetHelp"}, QStringLiteral("board"), QStringLiteral("X-1"));
    execute(io, "txtCommand", "txtParameter", QStringLiteral("SetBit"), I4, QStringLiteral("3"));
    execute(io, "txtCommand", "txtParameter", QStringLiteral("GetIO"), EMPTY);
    QVERIFY(addMember(io, PanelKind::Variable, "txtVarName", "txtVarOption", "cmdGetVar", QStringLiteral("@IO")));
    press(io, "cmdGetNames");
    press(io, "cmdVarClear");
    QVERIFY(addMember(io, PanelKind::Variable, "txtVarName", "txtVarOption", "cmdGetVar", QStringLiteral("@Executions")));

    // ---- commands: Sum runs at once; Slow is cancelled while it runs --------------------------------------
    PanelBase *sum = add(c, 5, QStringLiteral("Sum"), QStringLiteral("Duration=0"));
    PanelBase *slow = add(c, 5, QStringLiteral("Slow"), QStringLiteral("Duration=600000"));
    QVERIFY(sum && slow);
    sharedReads(sum, {"cmdGetCmdName", "cmdGetAttribute", "cmdGetHelp"}, QStringLiteral("adder"), QStringLiteral("C-1"));
    type(sum, "txtPutTimeout", QStringLiteral("5000"));
    press(sum, "cmdPutTimeout");
    press(sum, "cmdGetTimeout");
    press(sum, "cmdGetState");
    choose(sum, "cmbValueType", ARRAY_R8);
    type(sum, "txtPutParameter", QStringLiteral("1,2,3.5"));
    press(sum, "cmdPutParameter");
    press(sum, "cmdGetParameter");
    type(sum, "txtExecuteMode", QStringLiteral("0"));
    press(sum, "cmdExecute");
    press(sum, "cmdGetResult");
    type(slow, "txtExecuteMode", QStringLiteral("1"));
    press(slow, "cmdExecute");
    press(slow, "cmdCancel");
    press(slow, "cmdGetState");

    // ---- RC2: one member of each kind, then every collection cleared --------------------------------
    QList<PanelBase *> cleared;
    for (int page = 0; page < 6; ++page) {
        cleared << add(c2, page, page == 2 ? QStringLiteral("readme.txt") : QStringLiteral("M%1").arg(page));
        QVERIFY(cleared.last());
    }
    for (const Page &p : pages)
        press(c2, p.clear);

    // ---- removals by Delete -----------------------------------------------------------------------------
    qsizetype mark = run.logMark();
    press(v2, "cmdVarDelete");
    press(gone, "cmdFileDelete");
    press(extra, "cmdTaskDelete");
    press(slow, "cmdCmdDelete");
    PanelBase *spare = add(c, 1, QStringLiteral("Spare"));
    PanelBase *spareExt = add(c, 4, QStringLiteral("Aux"));
    QVERIFY(spare && spareExt);
    press(spare, "cmdRoboDelete");
    press(spareExt, "cmdExtDelete");
    press(cleared[0], "cmdVarDelete"); // left its collection with the Clear: no Remove
    press(c3, "cmdCtrlDelete");
    const QStringList removals = run.logSince(mark);
    QVERIFY2(removals.contains(QStringLiteral("Wss(\"Default\").Ctrls.Remove(<3,2>)")), qPrintable(removals.join(QLatin1Char('\n'))));
    QVERIFY(!removals.join(QLatin1Char('\n')).contains(QLatin1String("Ctrls(\"RC2\").Vars.Remove")));

    // Every call of the session succeeded.
    for (const QString &line : run.logMessages())
        QVERIFY2(!line.startsWith(QLatin1String("Failed.")), qPrintable(line));
    QVERIFY(!QTest::currentTestFailed());

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
    QStringList expected{QStringLiteral("[EXE]AddController"), QStringLiteral("[EXE]Controllers.Remove")};
    auto expect = [&expected](const QString &path, const char *style, std::initializer_list<const char *> members) {
        for (const char *m : members)
            expected << QStringLiteral("[%1]%2.%3").arg(QLatin1String(style), path, QLatin1String(m));
    };
    const QString C = QStringLiteral("Controllers");
    expect(C, "GET", {"Name", "Attribute", "Help", "Tag", "ID", "VariableNames", "RobotNames", "FileNames", "TaskNames",
                      "ExtensionNames", "CommandNames"});
    expect(C, "PUT", {"Tag", "ID"});
    expect(C, "EXE", {"Execute", "AddVariable", "AddRobot", "AddFile", "AddTask", "AddExtension", "AddCommand",
                      "Variables.Clear", "Robots.Clear", "Files.Clear", "Tasks.Clear", "Extensions.Clear", "Commands.Clear",
                      "Variables.Remove", "Robots.Remove", "Files.Remove", "Tasks.Remove", "Extensions.Remove", "Commands.Remove"});
    const QString V = C + QStringLiteral(".Variables");
    expect(V, "GET", {"Name", "Attribute", "Help", "ID", "DateTime", "Microsecond", "Value", "Tag"});
    expect(V, "PUT", {"ID", "Value", "Tag"});
    const QString R = C + QStringLiteral(".Robots");
    expect(R, "GET", {"Name", "Attribute", "Help", "Tag", "ID", "VariableNames"});
    expect(R, "PUT", {"Tag", "ID"});
    expect(R, "EXE", {"Execute", "Accelerate", "Drive", "Change", "Chuck", "Unchuck", "Move", "GoHome", "Rotate", "Speed", "Hold",
                      "Unhold", "Halt", "AddVariable", "Variables.Clear"});
    const QString F = C + QStringLiteral(".Files");
    expect(F, "GET", {"Name", "Path", "Size", "Type", "Attribute", "DateCreated", "DateLastAccessed", "DateLastModified", "Help",
                      "Tag", "ID", "Value", "VariableNames", "FileNames"});
    expect(F, "PUT", {"Tag", "ID", "Value"});
    expect(F, "EXE", {"Copy", "Move", "Delete", "Execute", "AddVariable", "AddFile", "Variables.Clear", "Files.Clear"});
    expect(F + QStringLiteral(".Files"), "EXE", {"Run"}); // a program in a folder
    const QString T = C + QStringLiteral(".Tasks");
    expect(T, "GET", {"Name", "FileName", "Attribute", "Help", "Tag", "ID", "VariableNames"});
    expect(T, "PUT", {"Tag", "ID"});
    expect(T, "EXE", {"Start", "Stop", "Delete", "Execute", "AddVariable", "Variables.Clear"});
    const QString X = C + QStringLiteral(".Extensions");
    expect(X, "GET", {"Name", "Attribute", "Help", "Tag", "ID", "VariableNames"});
    expect(X, "PUT", {"Tag", "ID"});
    expect(X, "EXE", {"Execute", "AddVariable", "Variables.Clear"});
    const QString K = C + QStringLiteral(".Commands");
    expect(K, "GET", {"Name", "Attribute", "Help", "Tag", "ID", "Timeout", "State", "Parameters", "Result"});
    expect(K, "PUT", {"Tag", "ID", "Timeout", "Parameters"});
    expect(K, "EXE", {"Execute", "Cancel"});
    QStringList missing;
    for (const QString &e : expected) {
        if (!calls.contains(e))
            missing << e;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not recorded: ") + missing.join(QStringLiteral(", "))));

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
    QVERIFY(output.contains(QStringLiteral("Succeeded. (<8195,1,2,3>)")));
    QVERIFY(output.contains(QStringLiteral("Succeeded. (<5,6.5>)"))); // the sum of 1, 2 and 3.5
    const QStringList replayState = zelscript::dumpState(engine->workspaces()->at(0));
    QVERIFY2(guiState == replayState, qPrintable(difference(guiState, replayState)));

    // ---- and through the real program ------------------------------------------------------------------
    const QString statePath = run.appDir() + QStringLiteral("state.txt");
    QProcess zelscriptProcess;
    zelscriptProcess.start(QStringLiteral(ZELSCRIPT_EXE), {QStringLiteral("--state"), statePath, path});
    QVERIFY(zelscriptProcess.waitForFinished(60000));
    const QString out = QString::fromUtf8(zelscriptProcess.readAllStandardOutput());
    QVERIFY2(zelscriptProcess.exitCode() == 0, qPrintable(QString::fromUtf8(zelscriptProcess.readAllStandardError())));
    // The same lines as in process (a file's text may hold line breaks), but for the clock readings.
    QCOMPARE(withoutClock(out.split(QLatin1Char('\n'))), withoutClock(output.join(QLatin1Char('\n')).split(QLatin1Char('\n')) << QString()));
    const QStringList programState = readAll(statePath).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(guiState == programState, qPrintable(difference(guiState, programState)));
}

QTEST_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
