// The variable panel through its widgets: every row's request, script and result line, the
// value read with its type selection, typed writes, the definition rules, delete and close.
#include "testsupport.h"

#include "panels/frmVariable.h"
#include "shell/clsScriptGen.h"
#include "shell/valuetext.h"
#include "tools/frmPerfChk.h"

#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

using zel::CallKind;
using zel::Value;

namespace {

const QString P = QStringLiteral("Wss(\"Default\").Ctrls(\"rc1\").Vars(\"v1\")");
const QString S = QStringLiteral("zel.Controllers(\"rc1\").Variables(\"v1\")");

// A controller "rc1" with a variable added through the controller panel.
PanelBase *addVariable(TestRun &run, const QString &name = QStringLiteral("v1"), PanelBase **ctrlOut = nullptr)
{
    PanelBase *ws = run.panel(4);
    PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
    if (!ctrl) {
        child<QComboBox>(ws, "cmbController")->setEditText("rc1");
        clickButton(ws, "cmdOpen");
        ctrl = run.lastPanel(PanelKind::Controller);
    }
    setText(ctrl, "txtName_0", name);
    clickButton(ctrl, "cmdVariable");
    if (ctrlOut)
        *ctrlOut = ctrl;
    return run.lastPanel(PanelKind::Variable);
}

QString block(const QString &member, int retType, int style, const QString &arg = QString())
{
    return clsScriptGen::ScriptBlock(S + member, retType, style, arg);
}

QComboBox *types(PanelBase *v)
{
    return child<QComboBox>(v, "cmbValueType");
}

bool enabled(PanelBase *v, const char *name)
{
    return child<QWidget>(v, QLatin1String(name))->isEnabled();
}

// Runs one button and returns the lines and the script it wrote.
struct Written {
    QStringList lines;
    QString script;
};
Written press(TestRun &run, PanelBase *v, const char *button)
{
    qsizetype mark = run.logMark();
    qsizetype scriptMark = run.state().script.body().size();
    clickButton(v, QLatin1String(button));
    return {run.logSince(mark), run.state().script.body().mid(scriptMark)};
}

const char *const kGoverned[] = {"cmdGetAttr", "cmdGetHelp", "cmdPutID", "cmdGetID",
                                 "cmdGetDateTime", "cmdGetMicrosecond", "cmdPutValue", "cmdGetValue"};

} // namespace

class TestVariable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelLooks()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        QVERIFY(qobject_cast<frmVariable *>(v));
        QCOMPARE(v->objectName(), QStringLiteral("frmVariable"));
        QCOMPARE(v->windowTitle(), QStringLiteral("Variable - v1"));
        QCOMPARE(v->m_LogObjPath, P);
        QCOMPARE(v->m_CsrObjPath, S);
        QCOMPARE(child<QGroupBox>(v, "fraVariable")->title(), QStringLiteral("ZelVariable"));
        QCOMPARE(child<QPushButton>(v, "cmdVarDelete")->text(), QStringLiteral("&Delete"));
        QCOMPARE(child<QPushButton>(v, "cmdVarHide")->text(), QStringLiteral("[ &Hide ]"));
        QCOMPARE(child<QPushButton>(v, "cmdPerfchk")->text(), QStringLiteral("[ &Performance... ]"));
        QCOMPARE(types(v)->count(), valuetext::kTypeCount);
        QCOMPARE(types(v)->currentText(), QStringLiteral("BSTR"));
        QCOMPARE(v->m_TreeNode->text(0), QStringLiteral("v1"));
        QCOMPARE(v->m_TreeNode->icon(0).isNull(), false);
        QCOMPARE(v->m_TreeNode->data(0, Qt::UserRole).toInt(), v->m_FormID);
    }

    void everyRowsLines()
    {
        TestRun run;
        PanelBase *v = addVariable(run);

        Written w = press(run, v, "cmdGetVarName");
        QCOMPARE(w.lines, (QStringList{P + ".get_Name()", "Succeeded. (\"v1\")"}));
        QCOMPARE(w.script, block(".Name", 12, 1));
        QCOMPARE(textOf(v, "txtVarName"), QStringLiteral("v1"));

        types(v)->setCurrentIndex(5); // I4
        setText(v, "txtPutValue", "42");
        w = press(run, v, "cmdPutValue");
        QCOMPARE(w.lines, (QStringList{P + ".put_Value(<3,42>)", "Succeeded."}));
        QCOMPARE(w.script, block(".Value", -1, 0, "DAT.VariantFromBstr(\"3,42\")"));

        types(v)->setCurrentIndex(10);
        w = press(run, v, "cmdGetValue");
        QCOMPARE(w.lines, (QStringList{P + ".get_Value()", "Succeeded. (<3,42>)"}));
        QCOMPARE(w.script, block(".Value", 12, 1));
        QCOMPARE(textOf(v, "txtGetValue"), QStringLiteral("42"));
        QCOMPARE(types(v)->currentText(), QStringLiteral("I4"));

        w = press(run, v, "cmdGetAttr");
        QString attr = textOf(v, "txtAttribute");
        QVERIFY(!attr.isEmpty());
        QCOMPARE(w.lines, (QStringList{P + ".get_Attribute()", "Succeeded. (" + attr + ")"}));
        QCOMPARE(w.script, block(".Attribute", 3, 1));
        QCOMPARE(attr, v->m_ZelObj->invoke("Attribute", CallKind::PropertyGet, {}).toPlainText());

        w = press(run, v, "cmdGetHelp");
        QString help = textOf(v, "txtHelp");
        QVERIFY(help.startsWith("Variable v1 of"));
        QCOMPARE(w.lines, (QStringList{P + ".get_Help()", "Succeeded. (\"" + help + "\")"}));
        QCOMPARE(w.script, block(".Help", 8, 1));

        setText(v, "txtPutTag", "12"); // a text value, never a number
        w = press(run, v, "cmdPutTag");
        QCOMPARE(w.lines, (QStringList{P + ".put_Tag(<8,12>)", "Succeeded."}));
        QCOMPARE(w.script, block(".Tag", -1, 0, "DAT.VariantFromBstr(\"8,12\")"));
        w = press(run, v, "cmdGetTag");
        QCOMPARE(w.lines, (QStringList{P + ".get_Tag()", "Succeeded. (<8,12>)"}));
        QCOMPARE(w.script, block(".Tag", 12, 1));
        QCOMPARE(textOf(v, "txtGetTag"), QStringLiteral("12"));

        setText(v, "txtPutID", "say \"hi\"");
        w = press(run, v, "cmdPutID");
        QCOMPARE(w.lines, (QStringList{P + ".put_ID(<8,say \"hi\">)", "Succeeded."}));
        QCOMPARE(w.script, block(".ID", -1, 0, "DAT.VariantFromBstr(\"8,say \"\"hi\"\"\")"));
        w = press(run, v, "cmdGetID");
        QCOMPARE(w.lines, (QStringList{P + ".get_ID()", "Succeeded. (<8,say \"hi\">)"}));
        QCOMPARE(w.script, block(".ID", 12, 1));
        QCOMPARE(textOf(v, "txtGetID"), QStringLiteral("say \"hi\""));

        // The write stamped the time: DateTime as its text, Microsecond in decimal.
        w = press(run, v, "cmdGetDateTime");
        QString stamp = textOf(v, "txtDateTime");
        QVERIFY2(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d(\\.\\d{1,3})?$").match(stamp).hasMatch(), qPrintable(stamp));
        QCOMPARE(w.lines, (QStringList{P + ".get_DateTime()", "Succeeded. (" + stamp + ")"}));
        QCOMPARE(w.script, block(".DateTime", 12, 1));
        w = press(run, v, "cmdGetMicrosecond");
        QString micro = textOf(v, "txtGetMicrosecond");
        bool ok = false;
        int us = micro.toInt(&ok);
        QVERIFY(ok && us >= 0 && us <= 999999);
        QCOMPARE(w.lines, (QStringList{P + ".get_Microsecond()", "Succeeded. (" + micro + ")"}));
        QCOMPARE(w.script, block(".Microsecond", 3, 1));

        // While recording is paused the lines stay and the script does not grow.
        run.mdi()->pauseRecording();
        w = press(run, v, "cmdGetValue");
        QCOMPARE(w.lines.size(), 2);
        QVERIFY(w.script.isEmpty());
    }

    void valueReadSelectsItsType()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        auto put = [&](const Value &value) { v->m_ZelObj->invoke("Value", CallKind::PropertyPut, {value}); };

        // Everything after the first comma, commas included.
        put(Value::fromString("a, b, c"));
        Written w = press(run, v, "cmdGetValue");
        QCOMPARE(textOf(v, "txtGetValue"), QStringLiteral("a, b, c"));
        QCOMPARE(w.lines.last(), QStringLiteral("Succeeded. (<8,a, b, c>)"));
        put(Value::fromArray(zel::Array{zel::VT_I2, 0, {Value::fromI2(1), Value::fromI2(-2)}}));
        press(run, v, "cmdGetValue");
        QCOMPARE(textOf(v, "txtGetValue"), QStringLiteral("1,-2"));
        QCOMPARE(types(v)->currentText(), QStringLiteral("ARRAY | I2"));
        QVERIFY(enabled(v, "txtPutValue") && enabled(v, "cmdPutValue"));

        // A type outside the list: "(Unkown)", and nothing can be written.
        put(Value::fromUI4(7));
        press(run, v, "cmdGetValue");
        QCOMPARE(textOf(v, "txtGetValue"), QStringLiteral("7"));
        QCOMPARE(types(v)->currentText(), QStringLiteral("(Unkown)"));
        QVERIFY(!enabled(v, "txtPutValue"));
        QVERIFY(!enabled(v, "cmdPutValue"));
        QVERIFY(child<QLineEdit>(v, "txtPutValue")->isReadOnly());

        // Empty and null: only the input box goes grey; Put sends the value without text.
        put(Value());
        press(run, v, "cmdGetValue");
        QCOMPARE(types(v)->currentText(), QStringLiteral("EMPTY"));
        QCOMPARE(textOf(v, "txtGetValue"), QString());
        QVERIFY(!enabled(v, "txtPutValue"));
        QVERIFY(enabled(v, "cmdPutValue"));
        types(v)->setCurrentIndex(1);
        w = press(run, v, "cmdPutValue");
        QCOMPARE(w.lines, (QStringList{P + ".put_Value(<1,>)", "Succeeded."}));
        QCOMPARE(v->m_ZelObj->invoke("Value", CallKind::PropertyGet, {}).type(), quint16(zel::VT_NULL));
        types(v)->setCurrentIndex(10);
        QVERIFY(enabled(v, "txtPutValue"));
        QVERIFY(!child<QLineEdit>(v, "txtPutValue")->isReadOnly());

        // Typed writes convert by the list.
        types(v)->setCurrentIndex(7); // R8
        setText(v, "txtPutValue", "12.5");
        press(run, v, "cmdPutValue");
        QCOMPARE(v->m_ZelObj->invoke("Value", CallKind::PropertyGet, {}), Value::fromR8(12.5));
        types(v)->setCurrentIndex(19); // ARRAY | BSTR
        setText(v, "txtPutValue", "x,\"y,z\"");
        w = press(run, v, "cmdPutValue");
        QCOMPARE(w.lines.first(), P + ".put_Value(<8200,x,\"y,z\">)");
        press(run, v, "cmdGetValue");
        QCOMPARE(textOf(v, "txtGetValue"), QStringLiteral("x,\"y,z\""));
    }

    void failuresLeaveTheBoxes()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        // A text that is not of the type fails before anything is written.
        types(v)->setCurrentIndex(5);
        setText(v, "txtPutValue", "abc");
        Written w = press(run, v, "cmdPutValue");
        QCOMPARE(w.lines.size(), 1);
        QVERIFY(w.lines[0].startsWith("Failed. (0x8004A100: "));
        QVERIFY(w.script.isEmpty());

        // Tag and ID that have no text form: request, script, failure; the box keeps its text.
        setText(v, "txtPutTag", "old");
        press(run, v, "cmdPutTag");
        press(run, v, "cmdGetTag");
        QCOMPARE(textOf(v, "txtGetTag"), QStringLiteral("old"));
        v->m_ZelObj->invoke("Tag", CallKind::PropertyPut, {Value::null()});
        w = press(run, v, "cmdGetTag");
        QCOMPARE(w.lines.size(), 2);
        QCOMPARE(w.lines[0], P + ".get_Tag()");
        QVERIFY(w.lines[1].startsWith("Failed. (0x8004A100: "));
        QCOMPARE(w.script, block(".Tag", 12, 1));
        QCOMPARE(textOf(v, "txtGetTag"), QStringLiteral("old"));
        v->m_ZelObj->invoke("ID", CallKind::PropertyPut, {Value::fromArray(zel::Array{zel::VT_I4, 0, {Value::fromI4(1)}})});
        w = press(run, v, "cmdGetID");
        QCOMPARE(w.lines[0], P + ".get_ID()");
        QVERIFY(w.lines[1].startsWith("Failed. (0x8004A100: "));

        // An engine failure on a read keeps the value box and the type.
        v->m_ZelObj->invoke("Value", CallKind::PropertyPut, {Value::fromI4(1)});
        press(run, v, "cmdGetValue");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        ctrl->m_ZelObj->invoke("Execute", CallKind::Method,
                               {Value::fromString("InjectFault"), Value::fromString("Object=v1,Operation=get_Value")});
        types(v)->setCurrentIndex(10);
        w = press(run, v, "cmdGetValue");
        QCOMPARE(w.lines[0], P + ".get_Value()");
        QVERIFY(w.lines[1].startsWith("Failed. (0x8004A006: "));
        QCOMPARE(textOf(v, "txtGetValue"), QStringLiteral("1"));
        QCOMPARE(types(v)->currentText(), QStringLiteral("BSTR"));
    }

    void definitionWithoutVariableEntriesDisablesTheEight()
    {
        TestRun run;
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        doc->addController("")->setKey("K");
        doc->addCapabilitySet("K")->addOperation("Get_Help");
        doc->addCapabilitySet(ksf::Robot, "K", QString())->addOperation("Get_Value"); // not for variables
        QString path = run.appDir() + "defs.xml";
        doc->saveAs(path);
        PanelBase *ws = run.panel(4);
        setText(ws, "txtDCFile", path);
        clickButton(ws, "cmdDCLoad");
        PanelBase *v = addVariable(run);
        QVERIFY(v->m_DCEng);
        QVERIFY(!v->m_DCEntry);
        for (const char *b : kGoverned)
            QVERIFY2(!enabled(v, b), b);
        for (const char *b : {"cmdGetVarName", "cmdGetTag", "cmdPutTag", "cmdVarDelete", "cmdVarHide"})
            QVERIFY2(enabled(v, b), b);
        // The type selector does not bring Put back.
        types(v)->setCurrentIndex(5);
        QVERIFY(!enabled(v, "cmdPutValue"));
        QVERIFY(enabled(v, "txtPutValue"));
    }

    void definitionsEnableAndDescribe()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        setText(ws, "txtDCFile", qEnvironmentVariable("ZEL_TEST_SOURCE_DIR") + "/examples/zel-virtual-restricted.xml");
        clickButton(ws, "cmdDCLoad");
        QVERIFY(ws->m_DCEng);
        // The default variable definition: read-only.
        PanelBase *v = addVariable(run);
        QCOMPARE(v->m_DCCtrlKey, QStringLiteral("Restricted"));
        for (const char *b : {"cmdGetAttr", "cmdGetHelp", "cmdGetID", "cmdGetDateTime", "cmdGetMicrosecond", "cmdGetValue"})
            QVERIFY2(enabled(v, b), b);
        QVERIFY(!enabled(v, "cmdPutValue"));
        QVERIFY(!enabled(v, "cmdPutID"));
        QCOMPARE(child<QWidget>(v, "txtPutValue")->toolTip(), QString());
        // "Setpoint" has its own set with Put_Value and its description.
        PanelBase *sp = addVariable(run, "Setpoint");
        QVERIFY(enabled(sp, "cmdPutValue"));
        QVERIFY(child<QWidget>(sp, "txtPutValue")->toolTip().startsWith("New set point"));
        QVERIFY(!enabled(sp, "cmdPutID"));
    }

    void deleteHideAndClose()
    {
        TestRun run;
        PanelBase *ctrl = nullptr;
        PanelBase *v0 = addVariable(run, "v0", &ctrl);
        PanelBase *v = addVariable(run, "v1");
        Q_UNUSED(v0);
        QVERIFY(ctrl->m_KSFObj->findMember(ksf::Variable, "v1"));

        // The close box and Hide only hide; the node stays.
        v->subWindow()->close();
        QVERIFY(!v->subWindow()->isVisible());
        QVERIFY(run.panel(v->m_FormID));
        run.mdi()->ShowForm(v->m_TreeNode);
        clickButton(v, "cmdVarHide");
        QVERIFY(!v->subWindow()->isVisible());
        QCOMPARE(v->m_TreeNode->parent(), ctrl->m_TreeNode);

        Written w = press(run, v, "cmdVarDelete");
        QCOMPARE(w.lines, (QStringList{"Wss(\"Default\").Ctrls(\"rc1\").Vars.Remove(<3,1>)", "Succeeded."}));
        QCOMPARE(w.script, clsScriptGen::ScriptBlock("zel.Controllers(\"rc1\").Variables.Remove", -1, 2, "1"));
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::Variable, "v1"));
        QVERIFY(ctrl->m_KSFObj->findMember(ksf::Variable, "v0"));
        QCOMPARE(ctrl->m_TreeNode->childCount(), 1);
        zel::ObjectPtr vars = ctrl->m_ZelObj->invoke("Variables", CallKind::PropertyGet, {}).objectValue();
        QCOMPARE(vars->invoke("Count", CallKind::PropertyGet, {}).toInt32(), 1);

        // A variable that has left its collection (Index -1) writes nothing when deleted.
        PanelBase *v2 = addVariable(run, "v2");
        vars->invoke("Remove", CallKind::Method, {Value::fromI4(1)});
        w = press(run, v2, "cmdVarDelete");
        QVERIFY(w.lines.isEmpty());
        QVERIFY(w.script.isEmpty());
        QVERIFY(!run.panel(v2->m_FormID));
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
        qsizetype mark = run.logMark();
        clickButton(v, "cmdPerfchk");
        QVERIFY(seen);
        QCOMPARE(handed, v->m_ZelObj);
        QCOMPARE(mdi, run.mdi());
        QVERIFY(modal);
        QVERIFY(run.mdi()->findChildren<frmPerfChk *>().isEmpty()); // deleted when it closed
        QVERIFY(run.logSince(mark).isEmpty());
    }

    void keyboardPutAndAccessKeys()
    {
        TestRun run;
        PanelBase *v = addVariable(run);
        v->showPanel();
        QApplication::setActiveWindow(run.mdi());
        // Alt+V goes to the value to write, Enter writes it.
        child<QWidget>(v, "cmdGetVarName")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(v, "txtPutValue"));
        QTest::keyClicks(QApplication::focusWidget(), "hello");
        qsizetype mark = run.logMark();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(run.logSince(mark), (QStringList{P + ".put_Value(<8,hello>)", "Succeeded."}));
        // Tab goes on to the Get and Put buttons of the row.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(v, "cmdGetValue"));
        mark = run.logMark();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(run.logSince(mark).last(), QStringLiteral("Succeeded. (<8,hello>)"));
        // Alt+Y opens the type list; Alt+G the tag to write.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(v, "cmbValueType"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(v, "txtPutTag"));
        QCOMPARE(types(v)->currentText(), QStringLiteral("BSTR")); // the letters were not typed into the list
        // The panel's keys win over the main window's menus (&Help, &View).
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::AltModifier);
        QVERIFY(!v->subWindow()->isVisible());
        QVERIFY(!run.mdi()->menuBar()->activeAction());
    }
};

QTEST_MAIN(TestVariable)
#include "tst_variable.moc"
