// The extension panel: Tag and ID read as plain text, ".get_Attribte()", Execute, variables,
// deletion and the definitions.
#include "testsupport.h"

using zel::Value;

class TestExtensionPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tagAndIdReadAsPlainText()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Extension, "IO1");
        const QString P = p->m_LogObjPath;
        QVERIFY(P.endsWith(u".Exts(\"IO1\")"));
        QVERIFY(p->m_CsrObjPath.endsWith(u".Extensions(\"IO1\")"));

        // A number shows its decimal text and is logged in double quotes.
        QString s;
        zput(p->m_ZelObj, "Tag", Value::fromI4(42));
        QCOMPARE(run.click(p, "cmdGetTag", &s), (QStringList{P + ".get_Tag()", "Succeeded. (\"42\")"}));
        QCOMPARE(s, scriptBlock(p, ".Tag", 8, 1));
        QCOMPARE(textOf(p, "txtGetTag"), u"42"_s);
        // An array has no plain text: the request fails and the box keeps the number.
        zput(p->m_ZelObj, "Tag", Value::fromArray(zel::Array{zel::VT_I4, 0, {Value::fromI4(1), Value::fromI4(2)}}));
        QCOMPARE(failuresShort(run.click(p, "cmdGetTag")), (QStringList{P + ".get_Tag()", "Failed."}));
        QCOMPARE(textOf(p, "txtGetTag"), u"42"_s);

        // ID the same way; null has no plain text either.
        zput(p->m_ZelObj, "ID", Value::fromR8(2.5));
        QCOMPARE(run.click(p, "cmdGetID"), (QStringList{P + ".get_ID()", "Succeeded. (\"2.5\")"}));
        zput(p->m_ZelObj, "ID", Value::null());
        QCOMPARE(failuresShort(run.click(p, "cmdGetID")), (QStringList{P + ".get_ID()", "Failed."}));
        QCOMPARE(textOf(p, "txtGetID"), u"2.5"_s);

        // Puts send the box as a text value, an empty box too.
        fill(p, {"txtPutTag=", "txtPutID=7"});
        QCOMPARE(run.click(p, "cmdPutTag", &s), (QStringList{P + ".put_Tag(" + logArg(Value::fromString({})) + u')', "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Tag", -1, 0, scriptArg(Value::fromString({}))));
        clickButton(p, "cmdPutID");
        QCOMPARE(zget(p->m_ZelObj, "ID"), Value::fromString("7"));
    }

    void attributeNameHelpAndExecute()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Extension, "IO1");
        const QString P = p->m_LogObjPath;
        QString s;
        const QString attr = zget(p->m_ZelObj, "Attribute").toPlainText();
        QCOMPARE(run.click(p, "cmdGetAttribute", &s), (QStringList{P + ".get_Attribte()", "Succeeded. (\"" + attr + "\")"}));
        QCOMPARE(s, scriptBlock(p, ".Attribute", 3, 1));
        QCOMPARE(textOf(p, "txtAttribute"), attr);
        QCOMPARE(run.click(p, "cmdGetExtName"), (QStringList{P + ".get_Name()", "Succeeded. (\"IO1\")"}));
        const QString help = run.click(p, "cmdGetHelp").value(1);
        QCOMPARE(help, "Succeeded. (\"" + textOf(p, "txtHelp") + "\")");

        // Execute with a typed parameter, recorded with a value result.
        fill(p, {"txtCommand=SetBit", "cmbValueType=5", "txtParameter=4"});
        QCOMPARE(run.click(p, "cmdExecute", &s), (QStringList{P + ".Execute(\"SetBit\", " + logArg(Value::fromI4(4)) + u')',
                                                              "Succeeded. (" + logArg(Value::fromI4(16)) + u')'}));
        QCOMPARE(textOf(p, "txtResult"), u"16 (I4)"_s);
        QCOMPARE(s, scriptBlock(p, ".Execute", 12, 2, "\"SetBit\", " + scriptArg(Value::fromI4(4))));
    }

    void variablesAndRemoval()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        PanelBase *p = addMember(run, ctrl, PanelKind::Extension, "IO1");
        const QString P = p->m_LogObjPath;
        fill(p, {"txtVarName=@IO"});
        QCOMPARE(run.click(p, "cmdGetVar"), (QStringList{P + ".AddVariable(\"@IO\", \"\")", "Succeeded."}));
        PanelBase *var = run.lastPanel(PanelKind::Variable);
        QCOMPARE(var->m_TreeNode->parent(), p->m_TreeNode);
        QCOMPARE(var->m_CsrObjPath, p->m_CsrObjPath + ".Variables(\"@IO\")");

        QString s;
        fill(p, {"txtVarNamesOption=Filter=@E*"});
        QCOMPARE(run.click(p, "cmdGetNames", &s).value(0), P + ".VariableNames(\"Filter=@E*\")");
        QCOMPARE(s, scriptBlock(p, ".VariableNames", 12, 1, "\"Filter=@E*\""));
        auto *list = child<QListWidget>(p, "lstVarNames");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), u"@Executions"_s);

        // Deleting the extension closes its variable first, then removes both.
        const qint32 index = zget(p->m_ZelObj, "Index").toInt32();
        QCOMPARE(run.click(p, "cmdExtDelete", &s),
                 (QStringList{P + ".Vars.Remove(" + logArg(Value::fromI4(0)) + u')', "Succeeded.",
                              ctrl->m_LogObjPath + ".Exts.Remove(" + logArg(Value::fromI4(index)) + u')', "Succeeded."}));
        QVERIFY(s.endsWith(clsScriptGen::ScriptBlock(ctrl->m_CsrObjPath + ".Extensions.Remove", -1, 2, QString::number(index))));
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::Extension, "IO1"));
    }

    void restrictedDefinitionHasNoExtensionSet()
    {
        TestRun run;
        loadDefinition(run, examplePath("zel-virtual-restricted.xml"));
        PanelBase *p = addMember(run, addController(run), PanelKind::Extension, "IO1");
        QVERIFY(p->m_DCEng);
        QCOMPARE(ownDisabled(p, {"cmdGetAttribute", "cmdGetHelp", "cmdPutID", "cmdGetID", "cmdExecute", "cmdGetNames",
                                 "cmdGetExtName", "cmdGetTag", "cmdPutTag", "cmdGetVar", "cmdVarClear"}),
                 (QStringList{"cmdGetAttribute", "cmdGetHelp", "cmdPutID", "cmdGetID", "cmdExecute", "cmdGetNames"}));
        QCOMPARE(child<QWidget>(p, "txtVarName")->toolTip(),
                 u"Variable name. Variables are read-only here, except one named Setpoint."_s);
    }

    void fullDefinitionEnablesAndDescribes()
    {
        TestRun run;
        loadDefinition(run, examplePath("zel-virtual.xml"));
        PanelBase *p = addMember(run, addController(run), PanelKind::Extension, "IO1");
        QCOMPARE(ownDisabled(p, {"cmdGetAttribute", "cmdGetHelp", "cmdPutID", "cmdGetID", "cmdExecute", "cmdGetNames"}), QStringList());
        QVERIFY(child<QWidget>(p, "txtCommand")->toolTip().startsWith(u"Extension command:"));
    }
};

QTEST_MAIN(TestExtensionPanel)
#include "tst_extension.moc"
