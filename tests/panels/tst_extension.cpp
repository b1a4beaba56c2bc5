#include "testsupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QListWidget>
#include <QTreeWidgetItem>

using zel::CallKind;
using zel::Value;

namespace {

PanelBase *addController(TestRun &run, const QString &definition = QString())
{
    PanelBase *ws = run.panel(4);
    if (!definition.isEmpty()) {
        setText(ws, QStringLiteral("txtDCFile"), definition);
        clickButton(ws, QStringLiteral("cmdDCLoad"));
    }
    ws->findChild<QComboBox *>(QStringLiteral("cmbController"))->setEditText(QStringLiteral("RC1"));
    clickButton(ws, QStringLiteral("cmdOpen"));
    return run.lastPanel(PanelKind::Controller);
}

// Opens the panel of an extension of the controller, as the controller's Add does.
PanelBase *openExtension(PanelBase *ctrl, const QString &name)
{
    zel::ObjectPtr ext = ctrl->m_ZelObj->invoke(QStringLiteral("AddExtension"), CallKind::Method,
                                                {Value::fromString(name), Value::fromString(QString())}).objectValue();
    zel::ObjectPtr exts = ctrl->m_ZelObj->invoke(QStringLiteral("Extensions"), CallKind::PropertyGet, {}).objectValue();
    ksf::EntryPtr entry = ctrl->m_KSFObj ? ctrl->m_KSFObj->addMember(ksf::Extension, name) : nullptr;
    ksf::EntryPtr capability = ctrl->m_DCEntry ? ctrl->m_DCEntry->findMemberOrDefault(ksf::Extension, name) : nullptr;
    PanelBase *p = ctrl->createMemberPanel(PanelKind::Extension, ext, exts, entry, capability);
    p->showPanel();
    return p;
}

QString scriptBlock(PanelBase *p, const QString &member, int retType, int style, const QString &arg = QString())
{
    return clsScriptGen::ScriptBlock(p->m_CsrObjPath + member, retType, style, arg);
}

void putDirectly(PanelBase *p, const char *member, const Value &value)
{
    p->m_ZelObj->invoke(QLatin1String(member), CallKind::PropertyPut, {value});
}

Value intArray(std::initializer_list<qint32> items)
{
    zel::Array a;
    a.elementType = zel::VT_I4;
    for (qint32 i : items)
        a.items << Value::fromI4(i);
    return Value::fromArray(a);
}

// The access keys of the controls that take input now; a key that two of them carry.
QStringList duplicateAccessKeys(QWidget *panel)
{
    QHash<QString, int> seen;
    QStringList twice;
    auto note = [&](const QString &text) {
        const QString key = QKeySequence::mnemonic(text).toString();
        if (!key.isEmpty() && ++seen[key] == 2)
            twice << key;
    };
    for (QWidget *w : panel->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(panel) || !w->isEnabled())
            continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            note(b->text());
        else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy())
            note(l->text());
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            note(g->title());
        else if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < bar->count(); ++i)
                note(bar->tabText(i));
        }
    }
    return twice;
}

bool ownEnabled(QWidget *w)
{
    return w && !w->testAttribute(Qt::WA_ForceDisabled);
}

} // namespace

class TestExtensionPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tagAndIdReadAsPlainText()
    {
        TestRun run;
        PanelBase *p = openExtension(addController(run), QStringLiteral("IO1"));
        const QString P = p->m_LogObjPath;
        QVERIFY(P.endsWith(QStringLiteral(".Exts(\"IO1\")")));
        QVERIFY(p->m_CsrObjPath.endsWith(QStringLiteral(".Extensions(\"IO1\")")));
        QCOMPARE(p->windowTitle(), QStringLiteral("Extension - IO1"));

        // A number shows its decimal text and is logged in double quotes.
        putDirectly(p, "Tag", Value::fromI4(42));
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetTag"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Tag()"), QStringLiteral("Succeeded. (\"42\")")}));
        QCOMPARE(textOf(p, QStringLiteral("txtGetTag")), QStringLiteral("42"));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Tag"), 8, 1)));

        // An array has no plain text: the request fails and the box keeps the number.
        putDirectly(p, "Tag", intArray({1, 2, 3}));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetTag"));
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], P + QStringLiteral(".get_Tag()"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("Failed. (0x")), qPrintable(lines[1]));
        QCOMPARE(textOf(p, QStringLiteral("txtGetTag")), QStringLiteral("42"));

        // ID the same way; null has no plain text either.
        putDirectly(p, "ID", Value::fromR8(2.5));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetID"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_ID()"), QStringLiteral("Succeeded. (\"2.5\")")}));
        QCOMPARE(textOf(p, QStringLiteral("txtGetID")), QStringLiteral("2.5"));
        putDirectly(p, "ID", Value::null());
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetID"));
        QVERIFY(run.logSince(mark).value(1).startsWith(QStringLiteral("Failed. (0x")));
        QCOMPARE(textOf(p, QStringLiteral("txtGetID")), QStringLiteral("2.5"));

        // Puts send the box as a text value, an empty box too.
        setText(p, QStringLiteral("txtPutTag"), QString());
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdPutTag"));
        const Value empty = Value::fromString(QString());
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".put_Tag(<") + clsLogMsg::LogText(empty) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Tag"), -1, 0, clsScriptGen::Variant2Script(empty))));
        setText(p, QStringLiteral("txtPutID"), QStringLiteral("7"));
        clickButton(p, QStringLiteral("cmdPutID"));
        QCOMPARE(p->m_ZelObj->invoke(QStringLiteral("ID"), CallKind::PropertyGet, {}), Value::fromString(QStringLiteral("7")));
    }

    void attributeNameHelpAndExecute()
    {
        TestRun run;
        PanelBase *p = openExtension(addController(run), QStringLiteral("IO1"));
        const QString P = p->m_LogObjPath;

        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetAttribute"));
        const QString attr = textOf(p, QStringLiteral("txtAttribute"));
        bool numeric = false;
        attr.toInt(&numeric);
        QVERIFY(numeric);
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Attribte()"), QStringLiteral("Succeeded. (\"") + attr + QStringLiteral("\")")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Attribute"), 3, 1)));

        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetExtName"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Name()"), QStringLiteral("Succeeded. (\"IO1\")")}));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetHelp"));
        QCOMPARE(run.logSince(mark).value(1), QStringLiteral("Succeeded. (\"") + textOf(p, QStringLiteral("txtHelp")) + QStringLiteral("\")"));

        // Execute with a typed parameter, recorded with a value result.
        setText(p, QStringLiteral("txtCommand"), QStringLiteral("SetBit"));
        auto *types = child<QComboBox>(p, QStringLiteral("cmbValueType"));
        types->setCurrentIndex(5); // I4
        setText(p, QStringLiteral("txtParameter"), QStringLiteral("4"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdExecute"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Execute(\"SetBit\", <") + clsLogMsg::LogText(Value::fromI4(4)) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(Value::fromI4(16)) + QStringLiteral(">)")}));
        QCOMPARE(textOf(p, QStringLiteral("txtResult")), QStringLiteral("16 (I4)"));
        QVERIFY(run.state().script.body().endsWith(
            scriptBlock(p, QStringLiteral(".Execute"), 12, 2, QStringLiteral("\"SetBit\", ") + clsScriptGen::Variant2Script(Value::fromI4(4)))));

        // "(Unkown)" makes Execute impossible; EMPTY and NULL only grey the parameter.
        types->setCurrentIndex(21);
        QVERIFY(!child<QWidget>(p, QStringLiteral("cmdExecute"))->isEnabled());
        QVERIFY(!child<QWidget>(p, QStringLiteral("txtParameter"))->isEnabled());
        types->setCurrentIndex(1);
        QVERIFY(child<QWidget>(p, QStringLiteral("cmdExecute"))->isEnabled());
        QVERIFY(!child<QWidget>(p, QStringLiteral("txtParameter"))->isEnabled());
    }

    void accessKeysAreUnique()
    {
        TestRun run;
        PanelBase *p = openExtension(addController(run), QStringLiteral("IO1"));
        QVERIFY2(duplicateAccessKeys(p).isEmpty(), qPrintable(duplicateAccessKeys(p).join(QLatin1Char(' '))));
    }

    void variablesAndRemoval()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        PanelBase *p = openExtension(ctrl, QStringLiteral("IO1"));
        const QString P = p->m_LogObjPath;
        setText(p, QStringLiteral("txtVarName"), QStringLiteral("@IO"));
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetVar"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".AddVariable(\"@IO\", \"\")"), QStringLiteral("Succeeded.")}));
        PanelBase *var = run.lastPanel(PanelKind::Variable);
        QCOMPARE(var->m_TreeNode->parent(), p->m_TreeNode);
        QCOMPARE(var->m_CsrObjPath, p->m_CsrObjPath + QStringLiteral(".Variables(\"@IO\")"));

        setText(p, QStringLiteral("txtVarNamesOption"), QStringLiteral("Filter=@E*"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetNames"));
        QCOMPARE(run.logSince(mark).value(0), P + QStringLiteral(".VariableNames(\"Filter=@E*\")"));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".VariableNames"), 12, 1, QStringLiteral("\"Filter=@E*\""))));
        auto *list = child<QListWidget>(p, QStringLiteral("lstVarNames"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("@Executions"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(textOf(p, QStringLiteral("txtVarName")), QStringLiteral("@Executions"));

        // Deleting the extension closes its variable first, then removes both.
        const qint32 index = p->m_ZelObj->invoke(QStringLiteral("Index"), CallKind::PropertyGet, {}).toInt32();
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdExtDelete"));
        QCOMPARE(run.logSince(mark),
                 (QStringList{P + QStringLiteral(".Vars.Remove(<") + clsLogMsg::LogText(Value::fromI4(0)) + QStringLiteral(">)"),
                              QStringLiteral("Succeeded."),
                              ctrl->m_LogObjPath + QStringLiteral(".Exts.Remove(<") + clsLogMsg::LogText(Value::fromI4(index)) + QStringLiteral(">)"),
                              QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(
            clsScriptGen::ScriptBlock(ctrl->m_CsrObjPath + QStringLiteral(".Extensions.Remove"), -1, 2, QString::number(index))));
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::Extension, QStringLiteral("IO1")));
    }

    void noDefinitionDisablesEveryGovernedButton()
    {
        TestRun run;
        const QString definition = qEnvironmentVariable("ZEL_TEST_SOURCE_DIR") + QStringLiteral("/examples/zel-virtual-restricted.xml");
        PanelBase *p = openExtension(addController(run, definition), QStringLiteral("IO1"));
        QVERIFY(p->m_DCEng);
        for (const char *name : {"cmdGetAttribute", "cmdGetHelp", "cmdPutID", "cmdGetID", "cmdExecute", "cmdGetNames"})
            QVERIFY2(!ownEnabled(child<QWidget>(p, QLatin1String(name))), name);
        for (const char *name : {"cmdGetExtName", "cmdGetTag", "cmdPutTag", "cmdGetVar", "cmdVarClear"})
            QVERIFY2(ownEnabled(child<QWidget>(p, QLatin1String(name))), name);
        child<QComboBox>(p, QStringLiteral("cmbValueType"))->setCurrentIndex(3);
        QVERIFY(!child<QWidget>(p, QStringLiteral("cmdExecute"))->isEnabled());
        QCOMPARE(child<QWidget>(p, QStringLiteral("txtVarName"))->toolTip(),
                 QStringLiteral("Variable name. Variables are read-only here, except one named Setpoint."));

    }

    void fullDefinitionEnablesEverything()
    {
        TestRun run;
        PanelBase *q = openExtension(addController(run, qEnvironmentVariable("ZEL_TEST_SOURCE_DIR") + QStringLiteral("/examples/zel-virtual.xml")),
                                     QStringLiteral("IO1"));
        QVERIFY(q->m_DCEng);
        for (const char *name : {"cmdGetAttribute", "cmdGetHelp", "cmdPutID", "cmdGetID", "cmdExecute", "cmdGetNames"})
            QVERIFY2(ownEnabled(child<QWidget>(q, QLatin1String(name))), name);
        QVERIFY(child<QWidget>(q, QStringLiteral("txtCommand"))->toolTip().startsWith(QStringLiteral("Extension command:")));
    }
};

QTEST_MAIN(TestExtensionPanel)
#include "tst_extension.moc"
