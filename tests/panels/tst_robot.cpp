// The robot panel: the request, script and engine effect of the motions, the number
// conversions after the lines, the operation pages, its own property texts and the robot's
// variables (the one place for a member panel's variables).
#include "testsupport.h"

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

    // A controller "C" and a robot "R" with its panel.
    void open()
    {
        m_run = std::make_unique<TestRun>();
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

    void pagesAndMotions()
    {
        open();
        // It opens on the Execute page; only the page shown takes input.
        auto *tabs = child<QTabWidget>(m_robot, "tabOperation");
        QCOMPARE(tabs->currentIndex(), 7);
        for (int selected : {7, 3, 0, 6}) {
            tabs->setCurrentIndex(selected);
            for (int i = 0; i < 8; ++i)
                QCOMPARE(child<QWidget>(m_robot, u"picOpeFrame_%1"_s.arg(i))->isEnabled(), i == selected);
        }
        QVERIFY(!child<QWidget>(m_robot, "cmdExecute")->isEnabled());

        const QString pose = u"P(500, 0, 100, 0, 0, 0)"_s;
        const struct {
            QStringList inputs;
            const char *button;
            QString request, scriptArgs, variable, value;
        } cases[] = {
            {{"tabOperation=1", "txtNumber=2", "txtMove=100", "txtDriveOption="}, "cmdDrive", ".Drive(2, 100, \"\")",
             "2, 100, \"\"", "@CurrentAngle", "J(0, 700, 400, 0, 0, 0)"},
            {{"tabOperation=2", "txtHandName=Vacuum"}, "cmdChange", ".Change(\"Vacuum\")", "\"Vacuum\"", "@Hand", "Vacuum"},
            // Move: the interpolation from the start of the list text, the pose as a text value,
            // the option bare in the request and quoted in the script.
            {{"tabOperation=3", "cmbInterpolation=2: Linear", "txtPose=" + pose, "txtMoveOption=Speed=50"}, "cmdMove",
             ".Move(2, " + logArg(text(pose)) + ", Speed=50)", "2, " + scriptArg(text(pose)) + ", \"Speed=50\"", "@CurrentPosition", pose},
            {{}, "cmdGoHome", ".GoHome()", "", "@CurrentPosition", "P(600, 0, 400, 0, 0, 0)"},
            {{"tabOperation=4", "txtRotation=XY", "txtAngle=90", "txtCenter=", "txtRotateOption="}, "cmdRotate",
             ".Rotate(" + logArg(text("XY")) + ", 90, " + logArg(text("")) + ", \"\")",
             scriptArg(text("XY")) + ", 90, " + scriptArg(text("")) + ", \"\"", "@CurrentPosition", "P(0, 600, 400, 0, 0, 90)"},
            {{"tabOperation=6", "txtTermOption="}, "cmdHalt", ".Halt(\"\")", "\"\"", "@State", "Halted"},
        };
        for (const auto &c : cases) {
            fill(m_robot, c.inputs);
            QString script;
            QCOMPARE(click(c.button, &script), (QStringList{P + c.request, "Succeeded."}));
            QCOMPARE(script, block(c.request.section(u'(', 0, 0), -1, 2, c.scriptArgs));
            QCOMPARE(variable(c.variable).toPlainText(), c.value);
        }

        // A refused motion: the request and script were written before the engine's failure.
        QString script;
        fill(m_robot, {"tabOperation=3"});
        const QStringList refused = click("cmdGoHome", &script);
        QCOMPARE(failuresShort(refused), (QStringList{P + ".GoHome()", "Failed."}));
        QVERIFY2(refused[1].contains(u"halted"), qPrintable(refused[1]));
        QCOMPARE(script, block(".GoHome", -1, 2, ""));
    }

    void numbersConvertAfterTheLinesAndBadOnesNeverReachTheEngine()
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

        // The interpolation is the number at the start of the list text; none gives 0.
        const QString pose = u"P(500, 0, 100, 0, 0, 0)"_s;
        const QString move = P + ".Move(%1, " + logArg(text(pose)) + ", )";
        fill(m_robot, {"tabOperation=3", "txtPose=" + pose, "txtMoveOption=", "cmbInterpolation=12abc"});
        QStringList lines = click("cmdMove", &script);
        QCOMPARE(failuresShort(lines), (QStringList{move.arg(12), "Failed."}));
        QVERIFY2(lines[1].contains(u"interpolation 12"), qPrintable(lines[1]));
        QCOMPARE(script, block(".Move", -1, 2, "12, " + scriptArg(text(pose)) + ", \"\""));
        fill(m_robot, {"cmbInterpolation="});
        QCOMPARE(click("cmdMove").value(0), move.arg(0));
        fill(m_robot, {"cmbInterpolation=2.5: halfway"});
        QCOMPARE(click("cmdMove").value(0), move.arg(2));

        // A bad number writes its lines and never calls the engine. One armed fault: any
        // Accelerate call reaching the engine would use it up.
        const Value before = variable("@Accel");
        zcall(m_ctrl->m_ZelObj, "Execute", {text("InjectFault"), text("Object=R,Operation=Accelerate,Count=1")});
        fill(m_robot, {"tabOperation=0", "txtAccelAxis=1", "txtAccel=fast", "txtDeccel=10"});
        lines = click("cmdAccel", &script);
        QCOMPARE(failuresShort(lines), (QStringList{P + ".Accelerate(1, fast, 10)", "Failed."}));
        QVERIFY2(lines[1].contains(u"fast"), qPrintable(lines[1]));
        QCOMPARE(script, block(".Accelerate", -1, 2, "1, fast, 10"));
        QCOMPARE(variable("@Accel"), before);
        // A number too large for R4 is no number either.
        fill(m_robot, {"tabOperation=1", "txtNumber=1", "txtMove=1e400"});
        QCOMPARE(failuresShort(click("cmdDrive")), (QStringList{P + ".Drive(1, 1e400, \"\")", "Failed."}));
        // The fault is still armed: the first call that reaches the engine takes it.
        fill(m_robot, {"tabOperation=0", "txtAccel=10"});
        QVERIFY(click("cmdAccel").value(1).contains(u"Injected fault in Accelerate"));
    }

    void propertiesAndVariables()
    {
        open();
        // The attribute request keeps its old spelling; Tag and ID are values.
        QString script;
        const QString attribute = zget(m_robot->m_ZelObj, "Attribute").toPlainText();
        QCOMPARE(click("cmdGetAttribute", &script), (QStringList{P + ".get_Attribte()", "Succeeded. (" + attribute + ")"}));
        QCOMPARE(script, block(".Attribute", 3, 1, ""));
        fill(m_robot, {"txtPutTag=42"});
        QCOMPARE(click("cmdPutTag", &script), (QStringList{P + ".put_Tag(" + logArg(text("42")) + ")", "Succeeded."}));
        QCOMPARE(script, block(".Tag", -1, 0, scriptArg(text("42"))));
        QCOMPARE(click("cmdGetTag"), (QStringList{P + ".get_Tag()", "Succeeded. (" + logArg(text("42")) + ")"}));

        // The robot's variables: the member's mirror entry keeps its option; the panel sits below the robot's.
        fill(m_robot, {"txtVarName=Target", "txtVarOption=Opt=1"});
        QCOMPARE(click("cmdGetVar", &script), (QStringList{P + ".AddVariable(\"Target\", \"Opt=1\")", "Succeeded."}));
        QCOMPARE(script, block(".AddVariable", 9, 2, "\"Target\", \"Opt=1\""));
        QCOMPARE(m_robot->m_KSFObj->findMember(ksf::Variable, "Target")->option(), u"Opt=1"_s);
        PanelBase *var = m_run->lastPanel(PanelKind::Variable);
        QCOMPARE(var->m_ParentNode, m_robot->m_TreeNode);
        QCOMPARE(var->m_CsrObjPath, S + ".Variables(\"Target\")");
        // The names request has no "get_"; the list takes the names.
        fill(m_robot, {"txtVarNamesOption=Filter=T*"});
        QCOMPARE(click("cmdGetNames").value(0), P + ".VariableNames(\"Filter=T*\")");
        QCOMPARE(child<QListWidget>(m_robot, "lstVarNames")->item(0)->text(), u"Target"_s);
    }
};

QTEST_MAIN(TestRobotPanel)
#include "tst_robot.moc"
