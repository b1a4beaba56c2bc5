// The robot panel: the request, script and result lines of every operation, the number
// conversions after the lines, the operation pages, the definitions and the robot's variables.
#include "testsupport.h"

#include "shell/valuetext.h"

using zel::Value;

namespace {

const QString P = u"Wss(\"Default\").Ctrls(\"C\").Robots(\"R\")"_s;
const QString S = u"zel.Controllers(\"C\").Robots(\"R\")"_s;

Value text(const QString &s) { return Value::fromString(s); }

QString block(const QString &member, int retType, int style, const QString &arg)
{
    return clsScriptGen::ScriptBlock(S + member, retType, style, arg);
}

} // namespace

class TestRobotPanel : public QObject {
    Q_OBJECT

    std::unique_ptr<TestRun> m_run;
    PanelBase *m_ctrl = nullptr;
    PanelBase *m_robot = nullptr;

    // A controller "C" (with a definition file when given) and a robot "R" with its panel.
    void open(const QString &definition = QString())
    {
        m_run = std::make_unique<TestRun>();
        if (!definition.isEmpty())
            loadDefinition(*m_run, definition);
        m_ctrl = addController(*m_run, "C");
        m_robot = addMember(*m_run, m_ctrl, PanelKind::Robot, "R");
        QVERIFY(m_robot);
    }

    Value variable(const QString &name)
    {
        return zget(zcall(m_robot->m_ZelObj, "AddVariable", {text(name), text("")}).objectValue(), "Value");
    }
    QStringList click(const char *button, QString *script = nullptr) { return m_run->click(m_robot, button, script); }

private Q_SLOTS:
    void cleanup() { m_run.reset(); }

    void opensOnExecuteAndOnlyThePageShownTakesInput()
    {
        open();
        QCOMPARE(m_robot->m_LogObjPath, P);
        QCOMPARE(m_robot->m_CsrObjPath, S);
        auto *tabs = child<QTabWidget>(m_robot, "tabOperation");
        QCOMPARE(tabs->count(), 8);
        QCOMPARE(tabs->currentIndex(), 7);
        QCOMPARE(child<QComboBox>(m_robot, "cmbInterpolation")->currentText(), u"1: PTP"_s);
        for (int selected : {7, 3, 0, 6}) {
            tabs->setCurrentIndex(selected);
            for (int i = 0; i < 8; ++i)
                QCOMPARE(child<QWidget>(m_robot, u"picOpeFrame_%1"_s.arg(i))->isEnabled(), i == selected);
        }
        QVERIFY(!child<QWidget>(m_robot, "cmdExecute")->isEnabled());
        tabs->setCurrentIndex(3);
        QVERIFY(child<QWidget>(m_robot, "cmdMove")->isEnabled());
    }

    void motionRequestsScriptsAndCalls()
    {
        open();
        const QString pose = u"P(500, 0, 100, 0, 0, 0)"_s;
        const QString home = u"P(600, 0, 400, 0, 0, 0)"_s;
        const struct {
            QStringList inputs;
            const char *button;
            QString request, scriptArgs, variable, value;
        } cases[] = {
            {{"tabOperation=1", "txtNumber=2", "txtMove=100", "txtDriveOption="}, "cmdDrive", ".Drive(2, 100, \"\")",
             "2, 100, \"\"", "@CurrentAngle", "J(0, 700, 400, 0, 0, 0)"},
            {{"tabOperation=2", "txtHandName=Vacuum"}, "cmdChange", ".Change(\"Vacuum\")", "\"Vacuum\"", "@Hand", "Vacuum"},
            {{"txtChuckOption="}, "cmdChuck", ".Chuck(\"\")", "\"\"", "@Chucked", "True"},
            {{}, "cmdUnchuck", ".Unchuck(\"\")", "\"\"", "@Chucked", "False"},
            // Move: the interpolation from the start of the list text, the pose as a text value,
            // the option bare in the request and quoted in the script.
            {{"tabOperation=3", "cmbInterpolation=2: Linear", "txtPose=" + pose, "txtMoveOption=Speed=50"}, "cmdMove",
             ".Move(2, " + logArg(text(pose)) + ", Speed=50)", "2, " + scriptArg(text(pose)) + ", \"Speed=50\"", "@CurrentPosition", pose},
            {{}, "cmdGoHome", ".GoHome()", "", "@CurrentPosition", home},
            {{"tabOperation=4", "txtRotation=XY", "txtAngle=90", "txtCenter=", "txtRotateOption="}, "cmdRotate",
             ".Rotate(" + logArg(text("XY")) + ", 90, " + logArg(text("")) + ", \"\")",
             scriptArg(text("XY")) + ", 90, " + scriptArg(text("")) + ", \"\"", "@CurrentPosition", "P(0, 600, 400, 0, 0, 90)"},
            {{"tabOperation=6", "txtTermOption="}, "cmdHold", ".Hold(\"\")", "\"\"", "@State", "Held"},
            {{}, "cmdUnhold", ".Unhold(\"\")", "\"\"", "@State", "Ready"},
            {{}, "cmdHalt", ".Halt(\"\")", "\"\"", "@State", "Halted"},
        };
        for (const auto &c : cases) {
            fill(m_robot, c.inputs);
            QString script;
            QCOMPARE(click(c.button, &script), (QStringList{P + c.request, "Succeeded."}));
            QCOMPARE(script, block(c.request.section(u'(', 0, 0), -1, 2, c.scriptArgs));
            QCOMPARE(variable(c.variable).toPlainText(), c.value);
        }

        // A refused motion: request and script lines, then the engine's failure line.
        QString script;
        fill(m_robot, {"tabOperation=3"});
        const QStringList refused = click("cmdGoHome", &script);
        QCOMPARE(failuresShort(refused), (QStringList{P + ".GoHome()", "Failed."}));
        QVERIFY2(refused[1].contains(u"halted"), qPrintable(refused[1]));
        QCOMPARE(script, block(".GoHome", -1, 2, ""));

        // Execute: the typed parameter, the display text of the result.
        fill(m_robot, {"tabOperation=7", "txtExeCommand=Reset", "cmbValueType=" + QString::number(valuetext::kPosEmpty)});
        QVERIFY(!child<QWidget>(m_robot, "txtExeParameter")->isEnabled());
        QCOMPARE(click("cmdExecute", &script), (QStringList{P + ".Execute(\"Reset\", " + logArg(Value()) + ")", "Succeeded. (" + logArg(Value()) + ")"}));
        QCOMPARE(script, block(".Execute", 12, 2, "\"Reset\", " + scriptArg(Value())));
        fill(m_robot, {"txtExeCommand=GetPosition"});
        QCOMPARE(click("cmdExecute").last(), "Succeeded. (" + logArg(text("P(0, 600, 400, 0, 0, 90)")) + ")");
        QCOMPARE(textOf(m_robot, "txtResult"), valuetext::displayText(text("P(0, 600, 400, 0, 0, 90)")));
    }

    void numbersAreConvertedAfterTheLinesRoundingHalvesToEven()
    {
        open();
        auto axis = [this](const char *var, int n) { return variable(var).arrayValue().items[n - 1]; };
        QString script;
        fill(m_robot, {"tabOperation=0", "txtAccelAxis=2.5", "txtAccel=30", "txtDeccel=60.5"});
        QCOMPARE(click("cmdAccel", &script), (QStringList{P + ".Accelerate(2.5, 30, 60.5)", "Succeeded."}));
        QCOMPARE(script, block(".Accelerate", -1, 2, "2.5, 30, 60.5"));
        QCOMPARE(axis("@Accel", 2), Value::fromR4(30)); // 2.5 goes to axis 2
        QCOMPARE(axis("@Decel", 2), Value::fromR4(60.5f));
        QCOMPARE(axis("@Accel", 3), Value::fromR4(100));
        fill(m_robot, {"txtAccelAxis=3.5", "txtAccel=40", "txtDeccel=40"});
        QCOMPARE(click("cmdAccel"), (QStringList{P + ".Accelerate(3.5, 40, 40)", "Succeeded."}));
        QCOMPARE(axis("@Accel", 4), Value::fromR4(40)); // 3.5 goes to axis 4
        QCOMPARE(axis("@Accel", 3), Value::fromR4(100));
        fill(m_robot, {"tabOperation=5", "txtSpeedAxis= 6 ", "txtSpeed=12.5"});
        QCOMPARE(click("cmdSpeed", &script), (QStringList{P + ".Speed( 6 , 12.5)", "Succeeded."}));
        QCOMPARE(script, block(".Speed", -1, 2, " 6 , 12.5"));
        QCOMPARE(axis("@Speed", 6), Value::fromR4(12.5f));

        // The interpolation is the number at the start of the list text; none gives 0.
        const QString pose = u"P(500, 0, 100, 0, 0, 0)"_s;
        const QString move = P + ".Move(%1, " + logArg(text(pose)) + ", )";
        fill(m_robot, {"tabOperation=3", "txtPose=" + pose, "txtMoveOption=", "cmbInterpolation=12abc"});
        QStringList lines = click("cmdMove", &script);
        QCOMPARE(failuresShort(lines), (QStringList{move.arg(12), "Failed."}));
        QVERIFY2(lines[1].contains(u"interpolation 12"), qPrintable(lines[1]));
        QCOMPARE(script, block(".Move", -1, 2, "12, " + scriptArg(text(pose)) + ", \"\""));
        const struct {
            const char *typed;
            int mode;
        } modes[] = {{"", 0}, {"Linear", 0}, {"2.5: halfway", 2}, {"3.5", 4}};
        for (const auto &m : modes) {
            fill(m_robot, {u"cmbInterpolation="_s + QLatin1String(m.typed)});
            QCOMPARE(click("cmdMove").value(0), move.arg(m.mode));
        }
    }

    void aBadNumberWritesItsLinesAndNeverCallsTheEngine()
    {
        open();
        const Value before = variable("@Accel");
        // One armed fault: any Accelerate call reaching the engine would use it up.
        zcall(m_ctrl->m_ZelObj, "Execute", {text("InjectFault"), text("Object=R,Operation=Accelerate,Count=1")});
        QString script;
        fill(m_robot, {"tabOperation=0", "txtAccelAxis=1", "txtAccel=fast", "txtDeccel=10"});
        QStringList lines = click("cmdAccel", &script);
        QCOMPARE(failuresShort(lines), (QStringList{P + ".Accelerate(1, fast, 10)", "Failed."}));
        QVERIFY2(lines[1].contains(u"fast"), qPrintable(lines[1]));
        QCOMPARE(script, block(".Accelerate", -1, 2, "1, fast, 10"));
        QCOMPARE(variable("@Accel"), before);
        // An empty axis is not a number either.
        fill(m_robot, {"txtAccel=10", "txtAccelAxis="});
        QCOMPARE(failuresShort(click("cmdAccel")), (QStringList{P + ".Accelerate(, 10, 10)", "Failed."}));
        // The fault is still armed: the first call that reaches the engine takes it.
        fill(m_robot, {"txtAccelAxis=1"});
        lines = click("cmdAccel");
        QVERIFY2(lines.value(1).contains(u"Injected fault in Accelerate"), qPrintable(lines.value(1)));
        QCOMPARE(click("cmdAccel").last(), u"Succeeded."_s);

        // Drive and Rotate convert their numbers the same way.
        fill(m_robot, {"tabOperation=1", "txtNumber=1", "txtMove=1e400"});
        QCOMPARE(failuresShort(click("cmdDrive")), (QStringList{P + ".Drive(1, 1e400, \"\")", "Failed."}));
        fill(m_robot, {"tabOperation=4", "txtRotation=XY", "txtAngle=ninety"});
        QCOMPARE(failuresShort(click("cmdRotate")).value(1), u"Failed."_s);
    }

    void propertiesUseTheirOwnTexts()
    {
        open();
        QString script;
        QCOMPARE(click("cmdGetName", &script), (QStringList{P + ".get_Name()", "Succeeded. (\"R\")"}));
        QCOMPARE(script, block(".Name", 8, 1, ""));
        const QString attribute = zget(m_robot->m_ZelObj, "Attribute").toPlainText();
        QCOMPARE(click("cmdGetAttribute", &script), (QStringList{P + ".get_Attribte()", "Succeeded. (" + attribute + ")"}));
        QCOMPARE(script, block(".Attribute", 3, 1, ""));
        QCOMPARE(textOf(m_robot, "txtAttribute"), attribute);
        const QString help = zget(m_robot->m_ZelObj, "Help").toPlainText();
        QCOMPARE(click("cmdGetHelp"), (QStringList{P + ".get_Help()", "Succeeded. (\"" + help + "\")"}));

        fill(m_robot, {"txtPutTag=42", "txtPutID="});
        QCOMPARE(click("cmdPutTag", &script), (QStringList{P + ".put_Tag(" + logArg(text("42")) + ")", "Succeeded."}));
        QCOMPARE(script, block(".Tag", -1, 0, scriptArg(text("42"))));
        QCOMPARE(click("cmdGetTag"), (QStringList{P + ".get_Tag()", "Succeeded. (" + logArg(text("42")) + ")"}));
        QCOMPARE(textOf(m_robot, "txtGetTag"), u"42"_s);
        QCOMPARE(click("cmdPutID", &script), (QStringList{P + ".put_ID(" + logArg(text("")) + ")", "Succeeded."}));
        QCOMPARE(script, block(".ID", -1, 0, scriptArg(text(""))));
        QCOMPARE(click("cmdGetID", &script), (QStringList{P + ".get_ID()", "Succeeded. (" + logArg(text("")) + ")"}));
        QCOMPARE(script, block(".ID", 12, 1, ""));
    }

    void variablesOfTheRobot()
    {
        open();
        QString script;
        fill(m_robot, {"txtVarName=Target", "txtVarOption=Opt=1"});
        QCOMPARE(click("cmdGetVar", &script), (QStringList{P + ".AddVariable(\"Target\", \"Opt=1\")", "Succeeded."}));
        QCOMPARE(script, block(".AddVariable", 9, 2, "\"Target\", \"Opt=1\""));
        QCOMPARE(m_robot->m_KSFObj->findMember(ksf::Variable, "Target")->option(), u"Opt=1"_s);
        PanelBase *var = m_run->lastPanel(PanelKind::Variable);
        QCOMPARE(var->m_ParentNode, m_robot->m_TreeNode);
        QCOMPARE(var->m_LogObjPath, P + ".Vars(\"Target\")");
        QCOMPARE(var->m_CsrObjPath, S + ".Variables(\"Target\")");
        QVERIFY(m_robot->m_TreeNode->isExpanded());
        QCOMPARE(m_run->status(), u"Ready"_s);

        fill(m_robot, {"txtVarNamesOption=Filter=T*"});
        const Value names = zget(m_robot->m_ZelObj, "VariableNames", {text("Filter=T*")});
        QCOMPARE(click("cmdGetNames", &script), (QStringList{P + ".VariableNames(\"Filter=T*\")", "Succeeded. (" + logArg(names) + ")"}));
        QCOMPARE(script, block(".VariableNames", 12, 1, "\"Filter=T*\""));
        auto *list = child<QListWidget>(m_robot, "lstVarNames");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), u"Target"_s);
        // A second request empties the list first.
        fill(m_robot, {"txtVarNamesOption=Filter=nothing"});
        click("cmdGetNames");
        QCOMPARE(list->count(), 0);
        QCOMPARE(click("cmdVarClear", &script), (QStringList{P + ".Vars.Clear()", "Succeeded."}));
        QCOMPARE(script, block(".Variables.Clear", -1, 2, ""));
        QVERIFY(!var->isUnloaded()); // the variable's panel and node stay
        QCOMPARE(m_robot->m_TreeNode->childCount(), 1);
    }

    void definitionsGovernButtonsAndTooltips()
    {
        open(examplePath("zel-virtual-restricted.xml"));
        QCOMPARE(m_ctrl->m_DCCtrlKey, u"Restricted"_s);
        // The restricted robot may go home, change speed and hold, but not move.
        QCOMPARE(ownDisabled(m_robot, {"cmdMove", "cmdGoHome", "cmdAccel", "cmdDrive", "cmdChange", "cmdChuck", "cmdRotate",
                                       "cmdSpeed", "cmdHold", "cmdHalt", "cmdExecute", "cmdGetAttribute", "cmdGetID", "cmdPutID",
                                       "cmdGetNames", "cmdGetName", "cmdPutTag"}),
                 (QStringList{"cmdMove", "cmdAccel", "cmdDrive", "cmdChange", "cmdChuck", "cmdRotate", "cmdExecute", "cmdPutID"}));
        fill(m_robot, {"tabOperation=3"});
        QVERIFY(child<QWidget>(m_robot, "cmdGoHome")->isEnabled());
        QVERIFY(!child<QWidget>(m_robot, "cmdMove")->isEnabled());
        // A type choice does not bring back a button the definition disabled.
        fill(m_robot, {"tabOperation=7", "cmbValueType=3"});
        QVERIFY(!child<QWidget>(m_robot, "cmdExecute")->isEnabled());

        QCOMPARE(child<QWidget>(m_robot, "txtSpeedAxis")->toolTip(), u"Axis number: 1 to 6, or 0 for all axes."_s);
        QCOMPARE(child<QWidget>(m_robot, "txtSpeed")->toolTip(), u"Speed in percent of the maximum, above 0 up to 100."_s);
        QVERIFY(child<QWidget>(m_robot, "txtTermOption")->toolTip().startsWith(u"Option of the halt"));
        QCOMPARE(child<QWidget>(m_robot, "txtVarNamesOption")->toolTip(),
                 u"Option of the names request; empty lists every variable of the robot."_s);
        // The default variable definition describes the add boxes.
        QCOMPARE(child<QWidget>(m_robot, "txtVarName")->toolTip(),
                 u"Variable name. Variables are read-only here, except one named Setpoint."_s);
        QCOMPARE(child<QWidget>(m_robot, "txtVarOption")->toolTip(), u"Option of the new variable, usually empty."_s);

        // GoHome works; a variable added here gets the restricted variable definition.
        fill(m_robot, {"tabOperation=3", "txtVarName=Setpoint"});
        QCOMPARE(click("cmdGoHome").last(), u"Succeeded."_s);
        click("cmdGetVar");
        PanelBase *var = m_run->lastPanel(PanelKind::Variable);
        QVERIFY(var && var->m_DCEng);
        QCOMPARE(var->m_DCCtrlKey, u"Restricted"_s);
    }

    void hideAndTheCloseBoxKeepThePanel()
    {
        open();
        QMdiSubWindow *frame = m_robot->subWindow();
        frame->close();
        QVERIFY(!frame->isVisible());
        QVERIFY(!m_robot->isUnloaded());
        m_robot->showPanel();
        clickButton(m_robot, "cmdRobotHide");
        QVERIFY(!frame->isVisible());
        QCOMPARE(m_run->panel(m_robot->m_FormID), m_robot);
    }
};

QTEST_MAIN(TestRobotPanel)
#include "tst_robot.moc"
