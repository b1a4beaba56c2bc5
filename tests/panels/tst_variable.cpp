// The variable panel: every row's request, script and result line (the one place that checks
// the whole line format of a member panel), the value read with its type selection, typed writes,
// failures, a definition without variable entries and the performance check.
#include "testsupport.h"

#include "tools/frmPerfChk.h"


using zel::Value;

namespace {

const QString P = u"Wss(\"Default\").Ctrls(\"rc1\").Vars(\"v1\")"_s;

PanelBase *addVariable(TestRun &run, const QString &name = u"v1"_s)
{
    PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
    return addMember(run, ctrl ? ctrl : addController(run), PanelKind::Variable, name);
}

QString typeText(PanelBase *v)
{
    return child<QComboBox>(v, "cmbValueType")->currentText();
}

bool enabled(PanelBase *v, const char *name)
{
    return child<QWidget>(v, name)->isEnabled();
}

} // namespace

class TestVariable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyRowsLinesAndThePerformanceCheck()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        const QString attr = zget(v->m_ZelObj, "Attribute").toPlainText();
        const QString help = zget(v->m_ZelObj, "Help").toPlainText();
        const struct {
            QStringList inputs;
            const char *button;
            QString request, result, member;
            int retType, style;
            QString arg, box, shown;
        } rows[] = {
            {{}, "cmdGetVarName", ".get_Name()", "(\"v1\")", ".Name", 12, 1, "", "txtVarName", "v1"},
            {{"cmbValueType=5", "txtPutValue=42"}, "cmdPutValue", ".put_Value(<3,42>)", "", ".Value", -1, 0,
             "DAT.VariantFromBstr(\"3,42\")", "", ""},
            {{"cmbValueType=10"}, "cmdGetValue", ".get_Value()", "(<3,42>)", ".Value", 12, 1, "", "txtGetValue", "42"},
            {{}, "cmdGetAttr", ".get_Attribute()", "(" + attr + ")", ".Attribute", 3, 1, "", "txtAttribute", attr},
            {{}, "cmdGetHelp", ".get_Help()", "(\"" + help + "\")", ".Help", 8, 1, "", "txtHelp", help},
            // Tag and ID are text values, never numbers.
            {{"txtPutTag=12"}, "cmdPutTag", ".put_Tag(<8,12>)", "", ".Tag", -1, 0, "DAT.VariantFromBstr(\"8,12\")", "", ""},
            {{}, "cmdGetTag", ".get_Tag()", "(<8,12>)", ".Tag", 12, 1, "", "txtGetTag", "12"},
            {{"txtPutID=say \"hi\""}, "cmdPutID", ".put_ID(<8,say \"hi\">)", "", ".ID", -1, 0,
             "DAT.VariantFromBstr(\"8,say \"\"hi\"\"\")", "", ""},
            {{}, "cmdGetID", ".get_ID()", "(<8,say \"hi\">)", ".ID", 12, 1, "", "txtGetID", "say \"hi\""},
            // The write stamped the time: DateTime as its text, Microsecond in decimal, both bare.
            {{}, "cmdGetDateTime", ".get_DateTime()", "*", ".DateTime", 12, 1, "", "txtDateTime", "*"},
            {{}, "cmdGetMicrosecond", ".get_Microsecond()", "*", ".Microsecond", 3, 1, "", "txtGetMicrosecond", "*"},
        };
        QString s;
        for (const auto &r : rows) {
            fill(v, r.inputs);
            const QStringList lines = run.click(v, r.button, &s);
            const QString result = r.result == u"*" ? "(" + textOf(v, r.box) + ")" : r.result;
            QCOMPARE(lines, (QStringList{P + r.request, result.isEmpty() ? u"Succeeded."_s : "Succeeded. " + result}));
            QCOMPARE(s, scriptBlock(v, r.member, r.retType, r.style, r.arg));
            if (!r.box.isEmpty() && r.shown != u"*")
                QCOMPARE(textOf(v, r.box), r.shown);
        }
        QCOMPARE(typeText(v), u"I4"_s); // the value read selected its type
        QVERIFY(QRegularExpression(u"^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d(\\.\\d{1,3})?$"_s).match(textOf(v, "txtDateTime")).hasMatch());

        // While recording is paused the lines stay and the script does not grow.
        run.mdi()->pauseRecording();
        QCOMPARE(run.click(v, "cmdGetValue", &s).size(), 2);
        QVERIFY(s.isEmpty());

        // The performance check opens modally for this variable and is gone once closed.
        zel::ObjectPtr handed;
        bool modal = false;
        onNextModal([&](QWidget *w) {
            if (auto *dlg = qobject_cast<frmPerfChk *>(w)) {
                handed = dlg->m_Variable;
                modal = dlg->isModal() && dlg->m_MDI == run.mdi();
                dlg->reject();
            }
        });
        QVERIFY(run.click(v, "cmdPerfchk").isEmpty());
        QVERIFY(modal);
        QCOMPARE(handed, v->m_ZelObj);
        QVERIFY(run.mdi()->findChildren<frmPerfChk *>().isEmpty());
    }

    void valueReadsWritesAndTheirFailures()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        auto read = [&](const Value &value) {
            zput(v->m_ZelObj, "Value", value);
            return run.click(v, "cmdGetValue").value(1);
        };
        // Everything after the first comma, commas included.
        QCOMPARE(read(Value::fromString("a, b, c")), u"Succeeded. (<8,a, b, c>)"_s);
        QCOMPARE(textOf(v, "txtGetValue"), u"a, b, c"_s);
        read(Value::fromArray(zel::Array{zel::VT_I2, 0, {Value::fromI2(1), Value::fromI2(-2)}}));
        QCOMPARE(textOf(v, "txtGetValue"), u"1,-2"_s);
        QCOMPARE(typeText(v), u"ARRAY | I2"_s);

        // A type outside the list: "(Unkown)", and nothing can be written.
        read(Value::fromUI4(7));
        QCOMPARE(typeText(v), u"(Unkown)"_s);
        QVERIFY(!enabled(v, "txtPutValue") && !enabled(v, "cmdPutValue"));
        QVERIFY(child<QLineEdit>(v, "txtPutValue")->isReadOnly());

        // Empty and null: only the input box goes grey; Put sends the value without text.
        read(Value());
        QCOMPARE(typeText(v), u"EMPTY"_s);
        QVERIFY(!enabled(v, "txtPutValue") && enabled(v, "cmdPutValue"));
        fill(v, {"cmbValueType=1"});
        QCOMPARE(run.click(v, "cmdPutValue"), (QStringList{P + ".put_Value(<1,>)", "Succeeded."}));

        // Typed writes convert by the list.
        fill(v, {"cmbValueType=19", "txtPutValue=x,\"y,z\""}); // ARRAY | BSTR
        QCOMPARE(run.click(v, "cmdPutValue").value(0), P + ".put_Value(<8200,x,\"y,z\">)");
        clickButton(v, "cmdGetValue");
        QCOMPARE(textOf(v, "txtGetValue"), u"x,\"y,z\""_s);

        // Tag and ID that have no text form: request, script, failure; the box keeps its text.
        fill(v, {"txtPutTag=old"});
        clickButton(v, "cmdPutTag");
        clickButton(v, "cmdGetTag");
        zput(v->m_ZelObj, "Tag", Value::null());
        QString s;
        QCOMPARE(failuresShort(run.click(v, "cmdGetTag", &s)), (QStringList{P + ".get_Tag()", "Failed."}));
        QCOMPARE(s, scriptBlock(v, ".Tag", 12, 1));
        QCOMPARE(textOf(v, "txtGetTag"), u"old"_s);

        // An engine failure on a read keeps the value box and the type.
        zput(v->m_ZelObj, "Value", Value::fromI4(1));
        clickButton(v, "cmdGetValue");
        zcall(run.lastPanel(PanelKind::Controller)->m_ZelObj, "Execute",
              {Value::fromString("InjectFault"), Value::fromString("Object=v1,Operation=get_Value")});
        fill(v, {"cmbValueType=10"});
        QCOMPARE(failuresShort(run.click(v, "cmdGetValue")).value(1), u"Failed."_s);
        QCOMPARE(textOf(v, "txtGetValue"), u"1"_s);
        QCOMPARE(typeText(v), u"BSTR"_s);
    }

    void definitionWithoutVariableEntriesDisablesTheEight()
    {
        TestRun run;
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        doc->addController("")->setKey("K");
        doc->addCapabilitySet("K")->addOperation("Get_Help");
        doc->addCapabilitySet(ksf::Robot, "K", QString())->addOperation("Get_Value"); // not for variables
        loadDefinition(run, doc);
        PanelBase *v = addVariable(run);
        QVERIFY(v->m_DCEng && !v->m_DCEntry);
        const QStringList governed{"cmdGetAttr", "cmdGetHelp", "cmdPutID", "cmdGetID", "cmdGetDateTime", "cmdGetMicrosecond",
                                   "cmdPutValue", "cmdGetValue"};
        QCOMPARE(ownDisabled(v, governed + QStringList{"cmdGetVarName", "cmdGetTag", "cmdPutTag", "cmdVarDelete", "cmdVarHide"}), governed);
        // The type selector does not bring Put back.
        fill(v, {"cmbValueType=5"});
        QVERIFY(!enabled(v, "cmdPutValue") && enabled(v, "txtPutValue"));
    }
};

QTEST_MAIN(TestVariable)
#include "tst_variable.moc"
