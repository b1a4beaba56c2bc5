// The variable panel: every row's request, script and result line, the value read with its
// type selection, typed writes, failures, the definition rules, hiding, the performance check
// and the keyboard.
#include "testsupport.h"

#include "tools/frmPerfChk.h"

#include <QApplication>

using zel::Value;

namespace {

const QString P = u"Wss(\"Default\").Ctrls(\"rc1\").Vars(\"v1\")"_s;

// A controller "rc1" (made once) with a variable added through the controller panel.
PanelBase *addVariable(TestRun &run, const QString &name = u"v1"_s)
{
    PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
    return addMember(run, ctrl ? ctrl : addController(run), PanelKind::Variable, name);
}

QComboBox *types(PanelBase *v)
{
    return child<QComboBox>(v, "cmbValueType");
}

bool enabled(PanelBase *v, const char *name)
{
    return child<QWidget>(v, name)->isEnabled();
}

} // namespace

class TestVariable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyRowsLines()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        QCOMPARE(v->m_LogObjPath, P);
        QCOMPARE(types(v)->currentText(), u"BSTR"_s);
        const QString attr = zget(v->m_ZelObj, "Attribute").toPlainText();
        const QString help = zget(v->m_ZelObj, "Help").toPlainText();
        QVERIFY(help.startsWith(u"Variable v1 of"));
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
        };
        for (const auto &r : rows) {
            fill(v, r.inputs);
            QString s;
            QCOMPARE(run.click(v, r.button, &s), (QStringList{P + r.request, r.result.isEmpty() ? u"Succeeded."_s : "Succeeded. " + r.result}));
            QCOMPARE(s, scriptBlock(v, r.member, r.retType, r.style, r.arg));
            if (!r.box.isEmpty())
                QCOMPARE(textOf(v, r.box), r.shown);
        }
        QCOMPARE(types(v)->currentText(), u"I4"_s); // the value read selected its type

        // The write stamped the time: DateTime as its text, Microsecond in decimal.
        QString s;
        QStringList lines = run.click(v, "cmdGetDateTime", &s);
        const QString stamp = textOf(v, "txtDateTime");
        QVERIFY2(QRegularExpression(u"^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d(\\.\\d{1,3})?$"_s).match(stamp).hasMatch(), qPrintable(stamp));
        QCOMPARE(lines, (QStringList{P + ".get_DateTime()", "Succeeded. (" + stamp + ")"}));
        QCOMPARE(s, scriptBlock(v, ".DateTime", 12, 1));
        lines = run.click(v, "cmdGetMicrosecond", &s);
        const QString micro = textOf(v, "txtGetMicrosecond");
        bool ok = false;
        QVERIFY(micro.toInt(&ok) >= 0 && micro.toInt() <= 999999 && ok);
        QCOMPARE(lines, (QStringList{P + ".get_Microsecond()", "Succeeded. (" + micro + ")"}));
        QCOMPARE(s, scriptBlock(v, ".Microsecond", 3, 1));

        // While recording is paused the lines stay and the script does not grow.
        run.mdi()->pauseRecording();
        QCOMPARE(run.click(v, "cmdGetValue", &s).size(), 2);
        QVERIFY(s.isEmpty());
    }

    void valueReadSelectsItsType()
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
        QCOMPARE(types(v)->currentText(), u"ARRAY | I2"_s);
        QVERIFY(enabled(v, "txtPutValue") && enabled(v, "cmdPutValue"));

        // A type outside the list: "(Unkown)", and nothing can be written.
        read(Value::fromUI4(7));
        QCOMPARE(textOf(v, "txtGetValue"), u"7"_s);
        QCOMPARE(types(v)->currentText(), u"(Unkown)"_s);
        QVERIFY(!enabled(v, "txtPutValue") && !enabled(v, "cmdPutValue"));
        QVERIFY(child<QLineEdit>(v, "txtPutValue")->isReadOnly());

        // Empty and null: only the input box goes grey; Put sends the value without text.
        read(Value());
        QCOMPARE(types(v)->currentText(), u"EMPTY"_s);
        QCOMPARE(textOf(v, "txtGetValue"), QString());
        QVERIFY(!enabled(v, "txtPutValue") && enabled(v, "cmdPutValue"));
        fill(v, {"cmbValueType=1"});
        QCOMPARE(run.click(v, "cmdPutValue"), (QStringList{P + ".put_Value(<1,>)", "Succeeded."}));
        QCOMPARE(zget(v->m_ZelObj, "Value").type(), quint16(zel::VT_NULL));
        fill(v, {"cmbValueType=10"});
        QVERIFY(enabled(v, "txtPutValue") && !child<QLineEdit>(v, "txtPutValue")->isReadOnly());

        // Typed writes convert by the list.
        fill(v, {"cmbValueType=7", "txtPutValue=12.5"}); // R8
        clickButton(v, "cmdPutValue");
        QCOMPARE(zget(v->m_ZelObj, "Value"), Value::fromR8(12.5));
        fill(v, {"cmbValueType=19", "txtPutValue=x,\"y,z\""}); // ARRAY | BSTR
        QCOMPARE(run.click(v, "cmdPutValue").value(0), P + ".put_Value(<8200,x,\"y,z\">)");
        clickButton(v, "cmdGetValue");
        QCOMPARE(textOf(v, "txtGetValue"), u"x,\"y,z\""_s);
    }

    void failuresLeaveTheBoxes()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        // A text that is not of the type fails before anything is written.
        QString s;
        fill(v, {"cmbValueType=5", "txtPutValue=abc"});
        const QStringList lines = run.click(v, "cmdPutValue", &s);
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].startsWith(u"Failed. (0x8004A100: "));
        QVERIFY(s.isEmpty());

        // Tag and ID that have no text form: request, script, failure; the box keeps its text.
        fill(v, {"txtPutTag=old"});
        clickButton(v, "cmdPutTag");
        clickButton(v, "cmdGetTag");
        zput(v->m_ZelObj, "Tag", Value::null());
        QCOMPARE(run.click(v, "cmdGetTag", &s).value(1).left(21), u"Failed. (0x8004A100: "_s);
        QCOMPARE(s, scriptBlock(v, ".Tag", 12, 1));
        QCOMPARE(textOf(v, "txtGetTag"), u"old"_s);
        zput(v->m_ZelObj, "ID", Value::fromArray(zel::Array{zel::VT_I4, 0, {Value::fromI4(1)}}));
        QCOMPARE(failuresShort(run.click(v, "cmdGetID")), (QStringList{P + ".get_ID()", "Failed."}));

        // An engine failure on a read keeps the value box and the type.
        zput(v->m_ZelObj, "Value", Value::fromI4(1));
        clickButton(v, "cmdGetValue");
        zcall(run.lastPanel(PanelKind::Controller)->m_ZelObj, "Execute",
              {Value::fromString("InjectFault"), Value::fromString("Object=v1,Operation=get_Value")});
        fill(v, {"cmbValueType=10"});
        QCOMPARE(run.click(v, "cmdGetValue").value(1).left(21), u"Failed. (0x8004A006: "_s);
        QCOMPARE(textOf(v, "txtGetValue"), u"1"_s);
        QCOMPARE(types(v)->currentText(), u"BSTR"_s);
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

    void definitionsEnableAndDescribe()
    {
        TestRun run;
        loadDefinition(run, examplePath("zel-virtual-restricted.xml"));
        // The default variable definition: read-only.
        PanelBase *v = addVariable(run);
        QCOMPARE(v->m_DCCtrlKey, u"Restricted"_s);
        QCOMPARE(ownDisabled(v, {"cmdGetAttr", "cmdGetHelp", "cmdGetID", "cmdGetDateTime", "cmdGetMicrosecond", "cmdGetValue",
                                 "cmdPutValue", "cmdPutID"}),
                 (QStringList{"cmdPutValue", "cmdPutID"}));
        QCOMPARE(child<QWidget>(v, "txtPutValue")->toolTip(), QString());
        // "Setpoint" has its own set with Put_Value and its description.
        PanelBase *sp = addVariable(run, "Setpoint");
        QCOMPARE(ownDisabled(sp, {"cmdPutValue", "cmdPutID"}), QStringList{"cmdPutID"});
        QVERIFY(child<QWidget>(sp, "txtPutValue")->toolTip().startsWith(u"New set point"));
    }

    void hideAndTheCloseBoxKeepThePanel()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        v->subWindow()->close();
        QVERIFY(!v->subWindow()->isVisible());
        QCOMPARE(run.panel(v->m_FormID), v);
        run.mdi()->ShowForm(v->m_TreeNode);
        QVERIFY(v->subWindow()->isVisible());
        clickButton(v, "cmdVarHide");
        QVERIFY(!v->subWindow()->isVisible());
        QCOMPARE(v->m_TreeNode->parent(), run.lastPanel(PanelKind::Controller)->m_TreeNode);
    }

    void performanceCheckOpensModallyForTheVariable()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        frmPerfChk *seen = nullptr;
        zel::ObjectPtr handed;
        frmMDI *mdi = nullptr;
        bool modal = false;
        onNextModal([&](QWidget *w) {
            seen = qobject_cast<frmPerfChk *>(w);
            if (seen) {
                handed = seen->m_Variable;
                mdi = seen->m_MDI;
                modal = seen->isModal();
                seen->reject();
            }
        });
        QVERIFY(run.click(v, "cmdPerfchk").isEmpty());
        QVERIFY(seen && modal);
        QCOMPARE(handed, v->m_ZelObj);
        QCOMPARE(mdi, run.mdi());
        QVERIFY(run.mdi()->findChildren<frmPerfChk *>().isEmpty()); // deleted when it closed
    }

    void keyboardPutAndAccessKeys()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        v->showPanel();
        QApplication::setActiveWindow(run.mdi());
        auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(QApplication::focusWidget(), k, m); };
        // Alt+V goes to the value to write, Enter writes it.
        child<QWidget>(v, "cmdGetVarName")->setFocus();
        key(Qt::Key_V, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(v, "txtPutValue"));
        QTest::keyClicks(QApplication::focusWidget(), "hello");
        qsizetype mark = run.logMark();
        key(Qt::Key_Return);
        QCOMPARE(run.logSince(mark), (QStringList{P + ".put_Value(<8,hello>)", "Succeeded."}));
        // Tab goes on to the Get and Put buttons of the row.
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(v, "cmdGetValue"));
        mark = run.logMark();
        key(Qt::Key_Space);
        QCOMPARE(run.logSince(mark).last(), u"Succeeded. (<8,hello>)"_s);
        // Alt+Y opens the type list; Alt+G the tag to write.
        key(Qt::Key_Y, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(v, "cmbValueType"));
        key(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(v, "txtPutTag"));
        QCOMPARE(types(v)->currentText(), u"BSTR"_s); // the letters were not typed into the list
        // The panel's keys win over the main window's menus (&Help, &View).
        key(Qt::Key_H, Qt::AltModifier);
        QVERIFY(!v->subWindow()->isVisible());
        QVERIFY(!run.mdi()->menuBar()->activeAction());
    }
};

QTEST_MAIN(TestVariable)
#include "tst_variable.moc"
