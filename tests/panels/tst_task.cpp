// The task panel: Start and Stop with the mode at the start of the list text, the quoted
// Attribute, Execute recorded without a result, Delete, variables and the definitions.
#include "testsupport.h"

using zel::Value;

namespace {

qint32 status(PanelBase *p)
{
    return zcall(p->m_ZelObj, "Execute", {Value::fromString("Status")}).toInt32();
}

} // namespace

class TestTaskPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startAndStopPassTheModeNumber()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Task, "Main");
        const QString P = p->m_LogObjPath;
        QVERIFY(P.endsWith(u".Tasks(\"Main\")"));
        auto *start = child<QComboBox>(p, "cmbTaskStart");
        auto *stop = child<QComboBox>(p, "cmbTaskStop");
        QCOMPARE(child<QTabWidget>(p, "tabOperation")->currentIndex(), 3);
        QCOMPARE(start->count(), 4);
        QCOMPARE(start->currentText(), u"1 - 1 cycle start"_s);
        QCOMPARE(stop->count(), 5);
        QCOMPARE(stop->currentText(), u"0 - Default stop"_s);
        QCOMPARE(stop->itemText(4), u"4 - Stop and initialize"_s);

        // First entry and no option: mode 1 and two quotes.
        QString s;
        fill(p, {"tabOperation=0"});
        QCOMPARE(run.click(p, "cmdTaskStart", &s), (QStringList{P + ".Start(1, \"\")", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Start", -1, 2, "1, \"\""));
        QCOMPARE(status(p), 1);
        fill(p, {"tabOperation=1", "cmbTaskStop=2 - Step stop", "txtStopOption=abc"});
        QCOMPARE(run.click(p, "cmdTaskStop", &s).value(0), P + ".Stop(2, \"abc\")");
        QCOMPARE(s, scriptBlock(p, ".Stop", -1, 2, "2, \"abc\""));

        // A typed mode counts by its leading number; no number passes 0.
        fill(p, {"cmbTaskStop=4 and more", "txtStopOption="});
        QCOMPARE(run.click(p, "cmdTaskStop"), (QStringList{P + ".Stop(4, \"\")", "Succeeded."}));
        QCOMPARE(status(p), 0);
        fill(p, {"tabOperation=0", "cmbTaskStart="});
        QCOMPARE(failuresShort(run.click(p, "cmdTaskStart")), (QStringList{P + ".Start(0, \"\")", "Failed."}));
        QCOMPARE(start->currentText(), QString()); // the failure leaves the list as it was
        fill(p, {"cmbTaskStart=cyclic"});
        QCOMPARE(run.click(p, "cmdTaskStart").value(0), P + ".Start(0, \"\")");
        start->setCurrentIndex(1);
        QCOMPARE(run.click(p, "cmdTaskStart"), (QStringList{P + ".Start(2, \"\")", "Succeeded."}));
        QCOMPARE(status(p), 2);
    }

    void propertiesExecuteAndDelete()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Task, "Sub");
        const QString P = p->m_LogObjPath;
        QString s;
        QCOMPARE(run.click(p, "cmdGetFileName", &s), (QStringList{P + ".get_FileName()", "Succeeded. (\"/Programs/Sub.pgm\")"}));
        QCOMPARE(s, scriptBlock(p, ".FileName", 8, 1));
        QCOMPARE(textOf(p, "txtFileName"), u"/Programs/Sub.pgm"_s);
        // The attribute is quoted like a text.
        QCOMPARE(run.click(p, "cmdGetAttribute", &s), (QStringList{P + ".get_Attribute()", "Succeeded. (\"0\")"}));
        QCOMPARE(s, scriptBlock(p, ".Attribute", 3, 1));
        QCOMPARE(run.click(p, "cmdGetTaskName"), (QStringList{P + ".get_Name()", "Succeeded. (\"Sub\")"}));

        // Execute shows the display text and records no result.
        fill(p, {"txtExeCommand=StatusText", "cmbValueType=0"});
        QVERIFY(!child<QWidget>(p, "txtExeParameter")->isEnabled());
        QCOMPARE(run.click(p, "cmdExecute", &s), (QStringList{P + ".Execute(\"StatusText\", " + logArg(Value()) + u')',
                                                                 "Succeeded. (" + logArg(Value::fromString("Stopped")) + u')'}));
        QCOMPARE(textOf(p, "txtResult"), u"Stopped (BSTR)"_s);
        QCOMPARE(s, scriptBlock(p, ".Execute", -1, 2, "\"StatusText\", " + scriptArg(Value())));

        // Delete is the engine's: the panel stays and its next calls fail.
        fill(p, {"tabOperation=2", "txtDelOption=x=1"});
        QCOMPARE(run.click(p, "cmdDelete", &s), (QStringList{P + ".Delete(\"x=1\")", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Delete", -1, 2, "\"x=1\""));
        QCOMPARE(run.panel(p->m_FormID), p);
        QCOMPARE(failuresShort(run.click(p, "cmdGetFileName")), (QStringList{P + ".get_FileName()", "Failed."}));
        QCOMPARE(textOf(p, "txtFileName"), u"/Programs/Sub.pgm"_s);
    }

    void variablesOfTheTask()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        PanelBase *p = addMember(run, ctrl, PanelKind::Task, "Main");
        const QString P = p->m_LogObjPath;
        fill(p, {"txtVarName=Speed", "txtVarOption="});
        QCOMPARE(run.click(p, "cmdGetVar"), (QStringList{P + ".AddVariable(\"Speed\", \"\")", "Succeeded."}));
        PanelBase *var = run.lastPanel(PanelKind::Variable);
        QCOMPARE(var->m_TreeNode->parent(), p->m_TreeNode);
        QCOMPARE(var->m_LogObjPath, P + ".Vars(\"Speed\")");
        QVERIFY(p->m_KSFObj->findMember(ksf::Variable, "Speed"));

        // The names request has no "get_" in the log.
        QString s;
        QStringList lines = run.click(p, "cmdGetNames", &s);
        QCOMPARE(lines.value(0), P + ".VariableNames(\"\")");
        QVERIFY(lines.value(1).startsWith(u"Succeeded. (<"));
        QCOMPARE(s, scriptBlock(p, ".VariableNames", 12, 1, "\"\""));
        QCOMPARE(child<QListWidget>(p, "lstVarNames")->findItems("Speed", Qt::MatchExactly).size(), 1);
        QCOMPARE(run.click(p, "cmdVarClear", &s), (QStringList{P + ".Vars.Clear()", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Variables.Clear", -1, 2));

        // Deleting the task: the cleared variable has left its collection; the task is removed.
        const qint32 index = zget(p->m_ZelObj, "Index").toInt32();
        QCOMPARE(run.click(p, "cmdTaskDelete"),
                 (QStringList{ctrl->m_LogObjPath + ".Tasks.Remove(" + logArg(Value::fromI4(index)) + u')', "Succeeded."}));
        QVERIFY(var->isUnloaded() && p->isUnloaded());
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::Task, "Main"));
    }

    void definitionsGovernTheButtons()
    {
        TestRun run;
        loadDefinition(run, examplePath("zel-virtual-restricted.xml"));
        PanelBase *p = addMember(run, addController(run), PanelKind::Task, "Main");
        QVERIFY(p->m_DCEng);
        QCOMPARE(ownDisabled(p, {"cmdDelete", "cmdExecute", "cmdPutID", "cmdTaskStart", "cmdTaskStop",
                                 "cmdGetFileName", "cmdGetTaskName", "cmdGetTag", "cmdPutTag", "cmdGetNames"}),
                 (QStringList{"cmdDelete", "cmdExecute", "cmdPutID"}));
        QCOMPARE(child<QWidget>(p, "cmbTaskStart")->toolTip(),
                 "Start mode: 1 - 1 cycle start, 2 - Cyclic start, 3 - Step forward, 4 - Step back.");
        QCOMPARE(child<QWidget>(p, "txtStopOption")->toolTip(), u"Option of the stop, usually empty."_s);
        QCOMPARE(child<QWidget>(p, "txtVarName")->toolTip(),
                 "Variable name. Variables are read-only here, except one named Setpoint.");
        // The type list cannot bring back what the definition took away.
        fill(p, {"cmbValueType=3"});
        QVERIFY(!ownEnabled(child<QWidget>(p, "cmdExecute")));
    }
};

QTEST_MAIN(TestTaskPanel)
#include "tst_task.moc"
