// The robot panel driven through its widgets: the request, script and result lines of every
// operation, the number conversions after the lines, the operation pages, the definitions, the
// robot's variables and the closing rules.
#include "testsupport.h"

#include "shell/clsLogMsg.h"
#include "shell/clsScriptGen.h"
#include "shell/valuetext.h"
#include "zel/errors.h"

#include <QComboBox>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTreeWidgetItem>

using zel::CallKind;
using zel::Value;

namespace {

const QString P = QStringLiteral("Wss(\"Default\").Ctrls(\"C\").Robots(\"R\")");
const QString S = QStringLiteral("zel.Controllers(\"C\").Robots(\"R\")");

Value text(const QString &s) { return Value::fromString(s); }

QString log(const Value &v) { return QLatin1Char('<') + clsLogMsg::LogText(v) + QLatin1Char('>'); }

QString examplesDir()
{
    return qEnvironmentVariable("ZEL_TEST_SOURCE_DIR", QStringLiteral(".")) + QStringLiteral("/examples/");
}

zel::Value call(const zel::ObjectPtr &obj, const QString &member, const QList<Value> &args = {},
                CallKind kind = CallKind::PropertyGet)
{
    return obj->invoke(member, kind, args);
}

} // namespace

class TestRobotPanel : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRun> m_run;
    PanelBase *m_ctrl = nullptr;
    PanelBase *m_robot = nullptr;

    // A controller "C" made by the workspace panel (with a definition file when given), and a
    // robot "R" under it with its panel.
    void open(const QString &definition = QString())
    {
        m_run = std::make_unique<TestRun>();
        PanelBase *ws = m_run->lastPanel(PanelKind::Workspace);
        QVERIFY(ws);
        if (!definition.isEmpty()) {
            setText(ws, "txtDCFile", definition);
            clickButton(ws, "cmdDCLoad");
            QVERIFY(ws->m_DCEng);
        }
        child<QComboBox>(ws, "cmbController")->setEditText("C");
        child<QComboBox>(ws, "cmbProvider")->setEditText("Zel.Virtual");
        clickButton(ws, "cmdOpen");
        m_ctrl = m_run->lastPanel(PanelKind::Controller);
        QVERIFY(m_ctrl);
        zel::ObjectPtr robots = call(m_ctrl->m_ZelObj, "Robots").objectValue();
        zel::ObjectPtr robot = call(m_ctrl->m_ZelObj, "AddRobot", {text("R"), text("")}, CallKind::Method).objectValue();
        ksf::EntryPtr capability = m_ctrl->m_DCEntry ? m_ctrl->m_DCEntry->findMemberOrDefault(3, "R") : nullptr;
        // the controller's KSF record mirrors the robot, as the controller panel's Add does
        ksf::EntryPtr entry = m_ctrl->m_KSFObj ? m_ctrl->m_KSFObj->addMember(3, "R") : nullptr;
        m_robot = m_ctrl->createMemberPanel(PanelKind::Robot, robot, robots, entry, capability);
        QVERIFY(m_robot);
        m_robot->showPanel();
    }

    zel::ObjectPtr robotVariable(const QString &name)
    {
        return call(m_robot->m_ZelObj, "AddVariable", {text(name), text("")}, CallKind::Method).objectValue();
    }

    void page(int index) { child<QTabWidget>(m_robot, "tabOperation")->setCurrentIndex(index); }

    // Clicks a button and returns the log lines and the script text it added.
    QStringList click(const char *button, QString *script = nullptr)
    {
        const qsizetype mark = m_run->logMark();
        const QString before = m_run->state().script.body();
        clickButton(m_robot, button);
        if (script)
            *script = m_run->state().script.body().mid(before.size());
        return m_run->logSince(mark);
    }

    static QString block(const QString &member, int retType, int style, const QString &arg)
    {
        return clsScriptGen::ScriptBlock(S + member, retType, style, arg);
    }

private Q_SLOTS:
    void cleanup()
    {
        m_robot = nullptr;
        m_ctrl = nullptr;
        m_run.reset();
    }

    void loadsWithTheExecutePageAndItsFrameOnly()
    {
        open();
        QCOMPARE(m_robot->objectName(), QStringLiteral("frmRobot"));
        QCOMPARE(m_robot->windowTitle(), QStringLiteral("Robot - R"));
        QCOMPARE(m_robot->m_TreeNode->text(0), QStringLiteral("R"));
        QCOMPARE(m_robot->m_TreeNode->parent(), m_ctrl->m_TreeNode);
        QCOMPARE(m_robot->m_LogObjPath, P);
        QCOMPARE(m_robot->m_CsrObjPath, S);
        auto *tabs = child<QTabWidget>(m_robot, "tabOperation");
        QCOMPARE(tabs->count(), 8);
        const QStringList captions{"Acce&lerate", "D&rive", "&Hand", "&Move", "R&otate", "&Speed", "&Terminate", "&Execute"};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(tabs->tabText(i), captions[i]);
        QCOMPARE(tabs->currentIndex(), 7);
        auto *interpolation = child<QComboBox>(m_robot, "cmbInterpolation");
        QCOMPARE(interpolation->currentText(), QStringLiteral("1: PTP"));
        QCOMPARE(interpolation->count(), 3);
        QVERIFY(interpolation->isEditable());

        auto frameEnabled = [this](int i) { return child<QWidget>(m_robot, QStringLiteral("picOpeFrame_%1").arg(i))->isEnabled(); };
        for (int i = 0; i < 8; ++i)
            QCOMPARE(frameEnabled(i), i == 7);
        QVERIFY(child<QWidget>(m_robot, "cmdExecute")->isEnabled());
        QVERIFY(!child<QWidget>(m_robot, "cmdMove")->isEnabled());
        // the enabled frame moves with the selected page
        for (int selected : {3, 0, 6, 7}) {
            tabs->setCurrentIndex(selected);
            for (int i = 0; i < 8; ++i)
                QCOMPARE(frameEnabled(i), i == selected);
        }
        page(3);
        QVERIFY(child<QWidget>(m_robot, "cmdMove")->isEnabled());
        QVERIFY(child<QWidget>(m_robot, "txtPose")->isEnabled());
        QVERIFY(!child<QWidget>(m_robot, "cmdExecute")->isEnabled());
    }

    void motionRequestsScriptsAndCalls()
    {
        open();
        zel::ObjectPtr joints = robotVariable("@CurrentAngle");
        zel::ObjectPtr position = robotVariable("@CurrentPosition");
        zel::ObjectPtr hand = robotVariable("@Hand");
        zel::ObjectPtr state = robotVariable("@State");
        QString script;

        page(1);
        setText(m_robot, "txtNumber", "2");
        setText(m_robot, "txtMove", "100");
        setText(m_robot, "txtDriveOption", "");
        QCOMPARE(click("cmdDrive", &script), (QStringList{P + ".Drive(2, 100, \"\")", "Succeeded."}));
        QCOMPARE(script, block(".Drive", -1, 2, "2, 100, \"\""));
        QCOMPARE(call(joints, "Value"), text("J(0, 700, 400, 0, 0, 0)"));

        page(2);
        setText(m_robot, "txtHandName", "Vacuum");
        QCOMPARE(click("cmdChange", &script), (QStringList{P + ".Change(\"Vacuum\")", "Succeeded."}));
        QCOMPARE(script, block(".Change", -1, 2, "\"Vacuum\""));
        QCOMPARE(call(hand, "Value"), text("Vacuum"));
        setText(m_robot, "txtChuckOption", "");
        QCOMPARE(click("cmdChuck", &script), (QStringList{P + ".Chuck(\"\")", "Succeeded."}));
        QCOMPARE(script, block(".Chuck", -1, 2, "\"\""));
        QCOMPARE(click("cmdUnchuck", &script), (QStringList{P + ".Unchuck(\"\")", "Succeeded."}));
        QCOMPARE(script, block(".Unchuck", -1, 2, "\"\""));

        // Move: the interpolation from the start of the list text, the pose as a text value,
        // the option bare in the request and quoted in the script.
        page(3);
        const QString pose = QStringLiteral("P(500, 0, 100, 0, 0, 0)");
        child<QComboBox>(m_robot, "cmbInterpolation")->setCurrentIndex(1);
        setText(m_robot, "txtPose", pose);
        setText(m_robot, "txtMoveOption", "Speed=50");
        QCOMPARE(click("cmdMove", &script), (QStringList{P + ".Move(2, " + log(text(pose)) + ", Speed=50)", "Succeeded."}));
        QCOMPARE(script, block(".Move", -1, 2, "2, " + clsScriptGen::Variant2Script(text(pose)) + ", \"Speed=50\""));
        QCOMPARE(call(position, "Value"), text(pose));
        QCOMPARE(click("cmdGoHome", &script), (QStringList{P + ".GoHome()", "Succeeded."}));
        QCOMPARE(script, block(".GoHome", -1, 2, ""));
        QCOMPARE(call(position, "Value"), text("P(600, 0, 400, 0, 0, 0)"));

        page(4);
        setText(m_robot, "txtRotation", "XY");
        setText(m_robot, "txtAngle", "90");
        setText(m_robot, "txtCenter", "");
        setText(m_robot, "txtRotateOption", "");
        QCOMPARE(click("cmdRotate", &script),
                 (QStringList{P + ".Rotate(" + log(text("XY")) + ", 90, " + log(text("")) + ", \"\")", "Succeeded."}));
        QCOMPARE(script, block(".Rotate", -1, 2,
                               clsScriptGen::Variant2Script(text("XY")) + ", 90, " + clsScriptGen::Variant2Script(text("")) + ", \"\""));
        QCOMPARE(call(position, "Value"), text("P(0, 600, 400, 0, 0, 90)"));

        page(6);
        setText(m_robot, "txtTermOption", "");
        QCOMPARE(click("cmdHold", &script), (QStringList{P + ".Hold(\"\")", "Succeeded."}));
        QCOMPARE(script, block(".Hold", -1, 2, "\"\""));
        QCOMPARE(call(state, "Value"), text("Held"));
        QCOMPARE(click("cmdUnhold", &script), (QStringList{P + ".Unhold(\"\")", "Succeeded."}));
        QCOMPARE(click("cmdHalt", &script), (QStringList{P + ".Halt(\"\")", "Succeeded."}));
        QCOMPARE(script, block(".Halt", -1, 2, "\"\""));
        QCOMPARE(call(state, "Value"), text("Halted"));

        // A refused motion: request and script lines, then the engine's failure line.
        page(3);
        const QStringList refused = click("cmdGoHome", &script);
        QCOMPARE(refused.size(), 2);
        QCOMPARE(refused[0], P + ".GoHome()");
        QVERIFY2(refused[1].startsWith("Failed. (0x") && refused[1].contains("halted"), qPrintable(refused[1]));
        QCOMPARE(script, block(".GoHome", -1, 2, ""));

        // Execute: the typed parameter, the display text of the result.
        page(7);
        setText(m_robot, "txtExeCommand", "Reset");
        child<QComboBox>(m_robot, "cmbValueType")->setCurrentIndex(valuetext::kPosEmpty);
        QVERIFY(!child<QWidget>(m_robot, "txtExeParameter")->isEnabled());
        QCOMPARE(click("cmdExecute", &script),
                 (QStringList{P + ".Execute(\"Reset\", " + log(Value()) + ")", "Succeeded. (" + log(Value()) + ")"}));
        QCOMPARE(script, block(".Execute", 12, 2, "\"Reset\", " + clsScriptGen::Variant2Script(Value())));
        setText(m_robot, "txtExeCommand", "GetPosition");
        QCOMPARE(click("cmdExecute").last(), "Succeeded. (" + log(text("P(0, 600, 400, 0, 0, 90)")) + ")");
        QCOMPARE(textOf(m_robot, "txtResult"), valuetext::displayText(text("P(0, 600, 400, 0, 0, 90)")));
        child<QComboBox>(m_robot, "cmbValueType")->setCurrentIndex(valuetext::kPosUnknown);
        QVERIFY(!child<QWidget>(m_robot, "cmdExecute")->isEnabled());
    }

    void numbersAreConvertedAfterTheLinesRoundingHalvesToEven()
    {
        open();
        zel::ObjectPtr accel = robotVariable("@Accel");
        zel::ObjectPtr decel = robotVariable("@Decel");
        zel::ObjectPtr speed = robotVariable("@Speed");
        auto axisValue = [](const zel::ObjectPtr &v, int axis) { return call(v, "Value").arrayValue().items[axis - 1]; };
        QString script;

        page(0);
        setText(m_robot, "txtAccelAxis", "2.5");
        setText(m_robot, "txtAccel", "30");
        setText(m_robot, "txtDeccel", "60.5");
        QCOMPARE(click("cmdAccel", &script), (QStringList{P + ".Accelerate(2.5, 30, 60.5)", "Succeeded."}));
        QCOMPARE(script, block(".Accelerate", -1, 2, "2.5, 30, 60.5"));
        QCOMPARE(axisValue(accel, 2), Value::fromR4(30)); // 2.5 goes to axis 2
        QCOMPARE(axisValue(decel, 2), Value::fromR4(60.5f));
        QCOMPARE(axisValue(accel, 3), Value::fromR4(100));
        setText(m_robot, "txtAccelAxis", "3.5");
        setText(m_robot, "txtAccel", "40");
        setText(m_robot, "txtDeccel", "40");
        QCOMPARE(click("cmdAccel"), (QStringList{P + ".Accelerate(3.5, 40, 40)", "Succeeded."}));
        QCOMPARE(axisValue(accel, 4), Value::fromR4(40)); // 3.5 goes to axis 4
        QCOMPARE(axisValue(accel, 3), Value::fromR4(100));

        page(5);
        setText(m_robot, "txtSpeedAxis", " 6 ");
        setText(m_robot, "txtSpeed", "12.5");
        QCOMPARE(click("cmdSpeed", &script), (QStringList{P + ".Speed( 6 , 12.5)", "Succeeded."}));
        QCOMPARE(script, block(".Speed", -1, 2, " 6 , 12.5"));
        QCOMPARE(axisValue(speed, 6), Value::fromR4(12.5f));

        // The interpolation is the number at the start of the list text; none gives 0.
        page(3);
        auto *interpolation = child<QComboBox>(m_robot, "cmbInterpolation");
        setText(m_robot, "txtPose", "P(500, 0, 100, 0, 0, 0)");
        setText(m_robot, "txtMoveOption", "");
        const QString poseLog = log(text("P(500, 0, 100, 0, 0, 0)"));
        interpolation->setEditText("12abc");
        QStringList lines = click("cmdMove", &script);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], P + ".Move(12, " + poseLog + ", )");
        QVERIFY2(lines[1].startsWith("Failed. (0x") && lines[1].contains("interpolation 12"), qPrintable(lines[1]));
        QCOMPARE(script, block(".Move", -1, 2, "12, " + clsScriptGen::Variant2Script(text("P(500, 0, 100, 0, 0, 0)")) + ", \"\""));
        interpolation->setEditText("");
        lines = click("cmdMove");
        QCOMPARE(lines[0], P + ".Move(0, " + poseLog + ", )");
        QVERIFY2(lines[1].contains("interpolation 0"), qPrintable(lines[1]));
        interpolation->setEditText("Linear");
        QCOMPARE(click("cmdMove")[0], P + ".Move(0, " + poseLog + ", )");
        interpolation->setEditText("2.5: halfway");
        QCOMPARE(click("cmdMove"), (QStringList{P + ".Move(2, " + poseLog + ", )", "Succeeded."}));
        interpolation->setEditText("3.5");
        QCOMPARE(click("cmdMove")[0], P + ".Move(4, " + poseLog + ", )");
    }

    void aBadNumberWritesItsLinesAndNeverCallsTheEngine()
    {
        open();
        zel::ObjectPtr accel = robotVariable("@Accel");
        const Value before = call(accel, "Value");
        // One armed fault: any Accelerate call reaching the engine would use it up.
        call(m_ctrl->m_ZelObj, "Execute", {text("InjectFault"), text("Object=R,Operation=Accelerate,Count=1")},
             CallKind::Method);

        page(0);
        setText(m_robot, "txtAccelAxis", "1");
        setText(m_robot, "txtAccel", "fast");
        setText(m_robot, "txtDeccel", "10");
        QString script;
        QStringList lines = click("cmdAccel", &script);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], P + ".Accelerate(1, fast, 10)");
        QVERIFY2(lines[1].startsWith("Failed. (0x") && lines[1].contains("fast"), qPrintable(lines[1]));
        QCOMPARE(script, block(".Accelerate", -1, 2, "1, fast, 10"));
        QCOMPARE(call(accel, "Value"), before);

        // An empty axis is not a number either.
        setText(m_robot, "txtAccel", "10");
        setText(m_robot, "txtAccelAxis", "");
        lines = click("cmdAccel");
        QCOMPARE(lines[0], P + ".Accelerate(, 10, 10)");
        QVERIFY(lines[1].startsWith("Failed. (0x"));

        // The fault is still armed: the first call that reaches the engine takes it.
        setText(m_robot, "txtAccelAxis", "1");
        lines = click("cmdAccel");
        QVERIFY2(lines[1].startsWith("Failed. (0x") && lines[1].contains("Injected fault in Accelerate"), qPrintable(lines[1]));
        QCOMPARE(click("cmdAccel").last(), QStringLiteral("Succeeded."));

        // Drive and Rotate convert their numbers the same way.
        page(1);
        setText(m_robot, "txtNumber", "1");
        setText(m_robot, "txtMove", "1e400");
        lines = click("cmdDrive");
        QCOMPARE(lines[0], P + ".Drive(1, 1e400, \"\")");
        QVERIFY(lines[1].startsWith("Failed. (0x"));
        page(4);
        setText(m_robot, "txtRotation", "XY");
        setText(m_robot, "txtAngle", "ninety");
        lines = click("cmdRotate");
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith("Failed. (0x"));
    }

    void propertiesUseTheirOwnTexts()
    {
        open();
        QString script;
        QCOMPARE(click("cmdGetName", &script), (QStringList{P + ".get_Name()", "Succeeded. (\"R\")"}));
        QCOMPARE(script, block(".Name", 8, 1, ""));
        QCOMPARE(textOf(m_robot, "txtName"), QStringLiteral("R"));
        const QString attribute = call(m_robot->m_ZelObj, "Attribute").toPlainText();
        QCOMPARE(click("cmdGetAttribute", &script), (QStringList{P + ".get_Attribte()", "Succeeded. (" + attribute + ")"}));
        QCOMPARE(script, block(".Attribute", 3, 1, ""));
        QCOMPARE(textOf(m_robot, "txtAttribute"), attribute);
        const QString help = call(m_robot->m_ZelObj, "Help").toPlainText();
        QCOMPARE(click("cmdGetHelp"), (QStringList{P + ".get_Help()", "Succeeded. (\"" + help + "\")"}));

        setText(m_robot, "txtPutTag", "42");
        QCOMPARE(click("cmdPutTag", &script), (QStringList{P + ".put_Tag(" + log(text("42")) + ")", "Succeeded."}));
        QCOMPARE(script, block(".Tag", -1, 0, clsScriptGen::Variant2Script(text("42"))));
        QCOMPARE(click("cmdGetTag"), (QStringList{P + ".get_Tag()", "Succeeded. (" + log(text("42")) + ")"}));
        QCOMPARE(textOf(m_robot, "txtGetTag"), QStringLiteral("42"));
        setText(m_robot, "txtPutID", "");
        QCOMPARE(click("cmdPutID", &script), (QStringList{P + ".put_ID(" + log(text("")) + ")", "Succeeded."}));
        QCOMPARE(script, block(".ID", -1, 0, clsScriptGen::Variant2Script(text(""))));
        QCOMPARE(click("cmdGetID", &script), (QStringList{P + ".get_ID()", "Succeeded. (" + log(text("")) + ")"}));
        QCOMPARE(script, block(".ID", 12, 1, ""));
    }

    void variablesOfTheRobot()
    {
        open();
        QString script;
        setText(m_robot, "txtVarName", "Target");
        setText(m_robot, "txtVarOption", "Opt=1");
        QCOMPARE(click("cmdGetVar", &script), (QStringList{P + ".AddVariable(\"Target\", \"Opt=1\")", "Succeeded."}));
        QCOMPARE(script, block(".AddVariable", 9, 2, "\"Target\", \"Opt=1\""));
        QVERIFY(m_robot->m_KSFObj);
        ksf::EntryPtr entry = m_robot->m_KSFObj->findMember(5, "Target");
        QVERIFY(entry);
        QCOMPARE(entry->option(), QStringLiteral("Opt=1"));
        PanelBase *var = m_run->lastPanel(PanelKind::Variable);
        QVERIFY(var);
        QCOMPARE(var->m_ParentNode, m_robot->m_TreeNode);
        QCOMPARE(var->m_LogObjPath, P + ".Vars(\"Target\")");
        QCOMPARE(var->m_CsrObjPath, S + ".Variables(\"Target\")");
        QVERIFY(m_robot->m_TreeNode->isExpanded());
        QCOMPARE(m_run->mdi()->findChild<QLabel *>("stbrMain_1")->text(), QStringLiteral("Ready"));

        setText(m_robot, "txtVarNamesOption", "Filter=T*");
        QCOMPARE(click("cmdGetNames", &script),
                 (QStringList{P + ".VariableNames(\"Filter=T*\")",
                              "Succeeded. (" + log(call(m_robot->m_ZelObj, "VariableNames", {text("Filter=T*")})) + ")"}));
        QCOMPARE(script, block(".VariableNames", 12, 1, "\"Filter=T*\""));
        auto *list = child<QListWidget>(m_robot, "lstVarNames");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Target"));
        setText(m_robot, "txtVarName", "");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(textOf(m_robot, "txtVarName"), QStringLiteral("Target"));
        // a second request empties the list first
        setText(m_robot, "txtVarNamesOption", "Filter=nothing");
        click("cmdGetNames");
        QCOMPARE(list->count(), 0);

        QCOMPARE(click("cmdVarClear", &script), (QStringList{P + ".Vars.Clear()", "Succeeded."}));
        QCOMPARE(script, block(".Variables.Clear", -1, 2, ""));
        QCOMPARE(call(call(m_robot->m_ZelObj, "Variables").objectValue(), "Count"), Value::fromI4(0));
        // the variable's panel and node stay
        QVERIFY(!var->isUnloaded());
        QCOMPARE(m_robot->m_TreeNode->childCount(), 1);
    }

    void definitionsGovernButtonsAndTooltips()
    {
        open(examplesDir() + "zel-virtual-restricted.xml");
        QCOMPARE(m_ctrl->m_DCCtrlKey, QStringLiteral("Restricted"));
        auto enabledOnPage = [this](const char *button, int pageIndex) {
            page(pageIndex);
            return child<QWidget>(m_robot, button)->isEnabled();
        };
        // the restricted robot may go home, change speed and hold, but not move
        QVERIFY(!enabledOnPage("cmdMove", 3));
        QVERIFY(enabledOnPage("cmdGoHome", 3));
        QVERIFY(!enabledOnPage("cmdAccel", 0));
        QVERIFY(!enabledOnPage("cmdDrive", 1));
        QVERIFY(!enabledOnPage("cmdChange", 2));
        QVERIFY(!enabledOnPage("cmdChuck", 2));
        QVERIFY(!enabledOnPage("cmdRotate", 4));
        QVERIFY(enabledOnPage("cmdSpeed", 5));
        QVERIFY(enabledOnPage("cmdHold", 6));
        QVERIFY(enabledOnPage("cmdHalt", 6));
        QVERIFY(!enabledOnPage("cmdExecute", 7));
        QVERIFY(child<QWidget>(m_robot, "cmdGetAttribute")->isEnabled());
        QVERIFY(child<QWidget>(m_robot, "cmdGetID")->isEnabled());
        QVERIFY(!child<QWidget>(m_robot, "cmdPutID")->isEnabled());
        QVERIFY(child<QWidget>(m_robot, "cmdGetNames")->isEnabled());
        // ungoverned buttons stay
        QVERIFY(child<QWidget>(m_robot, "cmdGetName")->isEnabled());
        QVERIFY(child<QWidget>(m_robot, "cmdPutTag")->isEnabled());
        // a type choice does not bring back a button the definition disabled
        child<QComboBox>(m_robot, "cmbValueType")->setCurrentIndex(3);
        QVERIFY(!child<QWidget>(m_robot, "cmdExecute")->isEnabled());

        QCOMPARE(child<QWidget>(m_robot, "txtSpeedAxis")->toolTip(), QStringLiteral("Axis number: 1 to 6, or 0 for all axes."));
        QCOMPARE(child<QWidget>(m_robot, "txtSpeed")->toolTip(), QStringLiteral("Speed in percent of the maximum, above 0 up to 100."));
        QVERIFY(child<QWidget>(m_robot, "txtTermOption")->toolTip().startsWith("Option of the halt"));
        QCOMPARE(child<QWidget>(m_robot, "txtVarNamesOption")->toolTip(),
                 QStringLiteral("Option of the names request; empty lists every variable of the robot."));
        // the default variable definition describes the add boxes
        QCOMPARE(child<QWidget>(m_robot, "txtVarName")->toolTip(),
                 QStringLiteral("Variable name. Variables are read-only here, except one named Setpoint."));
        QCOMPARE(child<QWidget>(m_robot, "txtVarOption")->toolTip(), QStringLiteral("Option of the new variable, usually empty."));

        // GoHome works; a variable added here gets the restricted variable definition
        page(3);
        QCOMPARE(click("cmdGoHome").last(), QStringLiteral("Succeeded."));
        setText(m_robot, "txtVarName", "Setpoint");
        click("cmdGetVar");
        PanelBase *var = m_run->lastPanel(PanelKind::Variable);
        QVERIFY(var && var->m_DCEng);
        QCOMPARE(var->m_DCCtrlKey, QStringLiteral("Restricted"));
    }

    void deleteHideAndClose()
    {
        open();
        // The close box only hides.
        QMdiSubWindow *frame = m_robot->subWindow();
        QVERIFY(frame && frame->isVisible());
        frame->close();
        QVERIFY(!frame->isVisible());
        QVERIFY(!m_robot->isUnloaded());
        m_robot->showPanel();
        clickButton(m_robot, "cmdRobotHide");
        QVERIFY(!frame->isVisible());
        m_robot->showPanel();

        zel::ObjectPtr robots = m_robot->m_ZelObjs;
        const qint32 index = call(m_robot->m_ZelObj, "Index").toInt32();
        const qsizetype mark = m_run->logMark();
        const QString before = m_run->state().script.body();
        QPointer<PanelBase> robot = m_robot;
        clickButton(m_robot, "cmdRoboDelete");
        m_robot = nullptr;
        QCOMPARE(m_run->logSince(mark),
                 (QStringList{"Wss(\"Default\").Ctrls(\"C\").Robots.Remove(" + log(Value::fromI4(index)) + ")", "Succeeded."}));
        QCOMPARE(m_run->state().script.body().mid(before.size()),
                 clsScriptGen::ScriptBlock("zel.Controllers(\"C\").Robots.Remove", -1, 2, QString::number(index)));
        QCOMPARE(call(robots, "Count"), Value::fromI4(0));
        QVERIFY(!robot || robot->isUnloaded());
        QCOMPARE(m_ctrl->m_TreeNode->childCount(), 0);
        QVERIFY(m_ctrl->m_KSFObj && !m_ctrl->m_KSFObj->findMember(3, "R"));
    }
};

QTEST_MAIN(TestRobotPanel)
#include "tst_robot.moc"
