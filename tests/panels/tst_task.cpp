#include "testsupport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QListWidget>
#include <QTabWidget>
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

// Opens the panel of a task of the controller, as the controller's Add does.
PanelBase *openTask(PanelBase *ctrl, const QString &name)
{
    zel::ObjectPtr task = ctrl->m_ZelObj->invoke(QStringLiteral("AddTask"), CallKind::Method,
                                                 {Value::fromString(name), Value::fromString(QString())}).objectValue();
    zel::ObjectPtr tasks = ctrl->m_ZelObj->invoke(QStringLiteral("Tasks"), CallKind::PropertyGet, {}).objectValue();
    ksf::EntryPtr entry = ctrl->m_KSFObj ? ctrl->m_KSFObj->addMember(ksf::Task, name) : nullptr;
    ksf::EntryPtr capability = ctrl->m_DCEntry ? ctrl->m_DCEntry->findMemberOrDefault(ksf::Task, name) : nullptr;
    PanelBase *p = ctrl->createMemberPanel(PanelKind::Task, task, tasks, entry, capability);
    p->showPanel();
    return p;
}

QString scriptBlock(PanelBase *p, const QString &member, int retType, int style, const QString &arg = QString())
{
    return clsScriptGen::ScriptBlock(p->m_CsrObjPath + member, retType, style, arg);
}

qint32 status(PanelBase *p)
{
    return p->m_ZelObj->invoke(QStringLiteral("Execute"), CallKind::Method, {Value::fromString(QStringLiteral("Status"))}).toInt32();
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

class TestTaskPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startAndStopPassTheModeNumber()
    {
        TestRun run;
        PanelBase *p = openTask(addController(run), QStringLiteral("Main"));
        const QString P = p->m_LogObjPath;
        QVERIFY(P.endsWith(QStringLiteral(".Tasks(\"Main\")")));
        QCOMPARE(p->windowTitle(), QStringLiteral("Task - Main"));
        auto *tabs = child<QTabWidget>(p, QStringLiteral("tabOperation"));
        QCOMPARE(tabs->currentIndex(), 3);
        auto *start = child<QComboBox>(p, QStringLiteral("cmbTaskStart"));
        auto *stop = child<QComboBox>(p, QStringLiteral("cmbTaskStop"));
        QCOMPARE(start->count(), 4);
        QCOMPARE(start->currentText(), QStringLiteral("1 - 1 cycle start"));
        QCOMPARE(stop->count(), 5);
        QCOMPARE(stop->currentText(), QStringLiteral("0 - Default stop"));
        QCOMPARE(stop->itemText(4), QStringLiteral("4 - Stop and initialize"));

        // First entry and no option: mode 1 and two quotes.
        tabs->setCurrentIndex(0);
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdTaskStart"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Start(1, \"\")"), QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Start"), -1, 2, QStringLiteral("1, \"\""))));
        QCOMPARE(status(p), 1);

        tabs->setCurrentIndex(1);
        stop->setCurrentIndex(2);
        setText(p, QStringLiteral("txtStopOption"), QStringLiteral("abc"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdTaskStop"));
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.value(0), P + QStringLiteral(".Stop(2, \"abc\")"));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Stop"), -1, 2, QStringLiteral("2, \"abc\""))));

        // A typed mode counts by its leading number; an empty text passes 0.
        stop->setEditText(QStringLiteral("4 and more"));
        setText(p, QStringLiteral("txtStopOption"), QString());
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdTaskStop"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Stop(4, \"\")"), QStringLiteral("Succeeded.")}));
        QCOMPARE(status(p), 0);

        tabs->setCurrentIndex(0);
        start->setEditText(QString());
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdTaskStart"));
        lines = run.logSince(mark);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], P + QStringLiteral(".Start(0, \"\")"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("Failed. (0x")), qPrintable(lines[1]));
        // The failed request leaves the list and option as they were.
        QCOMPARE(start->currentText(), QString());
        start->setEditText(QStringLiteral("cyclic"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdTaskStart"));
        QCOMPARE(run.logSince(mark).value(0), P + QStringLiteral(".Start(0, \"\")"));
        start->setCurrentIndex(1);
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdTaskStart"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Start(2, \"\")"), QStringLiteral("Succeeded.")}));
        QCOMPARE(status(p), 2);
    }

    void tabsTakeInputOnlyWhenShown()
    {
        TestRun run;
        PanelBase *p = openTask(addController(run), QStringLiteral("Sub"));
        auto *tabs = child<QTabWidget>(p, QStringLiteral("tabOperation"));
        QStringList captions;
        for (int i = 0; i < tabs->count(); ++i)
            captions << tabs->tabText(i);
        QCOMPARE(captions, (QStringList{QStringLiteral("S&tart"), QStringLiteral("St&op"), QStringLiteral("De&lete"), QStringLiteral("&Execute")}));
        setText(p, QStringLiteral("txtStartOption"), QStringLiteral("kept"));
        for (int shown = 0; shown < 4; ++shown) {
            tabs->setCurrentIndex(shown);
            for (int i = 0; i < 4; ++i)
                QCOMPARE(child<QWidget>(p, QStringLiteral("picOpeFrame_%1").arg(i))->isEnabled(), i == shown);
        }
        QCOMPARE(textOf(p, QStringLiteral("txtStartOption")), QStringLiteral("kept"));
    }

    void accessKeysAreUniqueOnEveryPage()
    {
        TestRun run;
        PanelBase *p = openTask(addController(run), QStringLiteral("Main"));
        auto *tabs = child<QTabWidget>(p, QStringLiteral("tabOperation"));
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QVERIFY2(duplicateAccessKeys(p).isEmpty(), qPrintable(duplicateAccessKeys(p).join(QLatin1Char(' '))));
        }
    }

    void propertiesExecuteAndDelete()
    {
        TestRun run;
        PanelBase *p = openTask(addController(run), QStringLiteral("Sub"));
        const QString P = p->m_LogObjPath;

        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetFileName"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_FileName()"), QStringLiteral("Succeeded. (\"/Programs/Sub.pgm\")")}));
        QCOMPARE(textOf(p, QStringLiteral("txtFileName")), QStringLiteral("/Programs/Sub.pgm"));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".FileName"), 8, 1)));

        // The attribute is quoted like a text.
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetAttribute"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Attribute()"), QStringLiteral("Succeeded. (\"0\")")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Attribute"), 3, 1)));

        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetTaskName"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Name()"), QStringLiteral("Succeeded. (\"Sub\")")}));

        // Execute shows the display text and records no result.
        setText(p, QStringLiteral("txtExeCommand"), QStringLiteral("StatusText"));
        auto *types = child<QComboBox>(p, QStringLiteral("cmbValueType"));
        types->setCurrentIndex(0);
        QVERIFY(!child<QWidget>(p, QStringLiteral("txtExeParameter"))->isEnabled());
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdExecute"));
        const Value stopped = Value::fromString(QStringLiteral("Stopped"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Execute(\"StatusText\", <") + clsLogMsg::LogText(Value()) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(stopped) + QStringLiteral(">)")}));
        QCOMPARE(textOf(p, QStringLiteral("txtResult")), QStringLiteral("Stopped (BSTR)"));
        QVERIFY(run.state().script.body().endsWith(
            scriptBlock(p, QStringLiteral(".Execute"), -1, 2, QStringLiteral("\"StatusText\", ") + clsScriptGen::Variant2Script(Value()))));
        types->setCurrentIndex(21);
        QVERIFY(!child<QWidget>(p, QStringLiteral("cmdExecute"))->isEnabled());
        types->setCurrentIndex(10);
        QVERIFY(child<QWidget>(p, QStringLiteral("cmdExecute"))->isEnabled());
        QVERIFY(child<QWidget>(p, QStringLiteral("txtExeParameter"))->isEnabled());

        // Delete is the engine's: the panel stays and its next calls fail.
        child<QTabWidget>(p, QStringLiteral("tabOperation"))->setCurrentIndex(2);
        setText(p, QStringLiteral("txtDelOption"), QStringLiteral("x=1"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdDelete"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Delete(\"x=1\")"), QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Delete"), -1, 2, QStringLiteral("\"x=1\""))));
        QVERIFY(!p->isUnloaded());
        QCOMPARE(run.panel(p->m_FormID), p);
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetFileName"));
        QVERIFY(run.logSince(mark).value(1).startsWith(QStringLiteral("Failed. (0x")));
        QCOMPARE(textOf(p, QStringLiteral("txtFileName")), QStringLiteral("/Programs/Sub.pgm"));
    }

    void variablesOfTheTask()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        PanelBase *p = openTask(ctrl, QStringLiteral("Main"));
        const QString P = p->m_LogObjPath;

        setText(p, QStringLiteral("txtVarName"), QStringLiteral("Speed"));
        setText(p, QStringLiteral("txtVarOption"), QString());
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetVar"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".AddVariable(\"Speed\", \"\")"), QStringLiteral("Succeeded.")}));
        PanelBase *var = run.lastPanel(PanelKind::Variable);
        QVERIFY(var);
        QCOMPARE(var->m_TreeNode->parent(), p->m_TreeNode);
        QCOMPARE(var->m_LogObjPath, P + QStringLiteral(".Vars(\"Speed\")"));
        QVERIFY(p->m_KSFObj->findMember(ksf::Variable, QStringLiteral("Speed")));

        // The names request has no "get_" in the log.
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetNames"));
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.value(0), P + QStringLiteral(".VariableNames(\"\")"));
        QVERIFY(lines.value(1).startsWith(QStringLiteral("Succeeded. (<")));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".VariableNames"), 12, 1, QStringLiteral("\"\""))));
        auto *list = child<QListWidget>(p, QStringLiteral("lstVarNames"));
        QList<QListWidgetItem *> found = list->findItems(QStringLiteral("Speed"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        setText(p, QStringLiteral("txtVarName"), QString());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        QCOMPARE(textOf(p, QStringLiteral("txtVarName")), QStringLiteral("Speed"));

        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdVarClear"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Vars.Clear()"), QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Variables.Clear"), -1, 2)));

        // Deleting the task: the cleared variable has left its collection; the task is removed.
        const qint32 index = p->m_ZelObj->invoke(QStringLiteral("Index"), CallKind::PropertyGet, {}).toInt32();
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdTaskDelete"));
        QCOMPARE(run.logSince(mark), (QStringList{ctrl->m_LogObjPath + QStringLiteral(".Tasks.Remove(<") + clsLogMsg::LogText(Value::fromI4(index)) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded.")}));
        QVERIFY(var->isUnloaded() && p->isUnloaded());
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::Task, QStringLiteral("Main")));
    }

    void definitionsGovernTheButtons()
    {
        TestRun run;
        const QString definition = qEnvironmentVariable("ZEL_TEST_SOURCE_DIR") + QStringLiteral("/examples/zel-virtual-restricted.xml");
        PanelBase *p = openTask(addController(run, definition), QStringLiteral("Main"));
        QVERIFY(p->m_DCEng);
        for (const char *name : {"cmdDelete", "cmdExecute", "cmdPutID"})
            QVERIFY2(!ownEnabled(child<QWidget>(p, QLatin1String(name))), name);
        for (const char *name : {"cmdTaskStart", "cmdTaskStop", "cmdGetFileName", "cmdGetTaskName", "cmdGetTag", "cmdPutTag", "cmdGetNames"})
            QVERIFY2(ownEnabled(child<QWidget>(p, QLatin1String(name))), name);
        QCOMPARE(child<QWidget>(p, QStringLiteral("cmbTaskStart"))->toolTip(),
                 QStringLiteral("Start mode: 1 - 1 cycle start, 2 - Cyclic start, 3 - Step forward, 4 - Step back."));
        QCOMPARE(child<QWidget>(p, QStringLiteral("txtStopOption"))->toolTip(), QStringLiteral("Option of the stop, usually empty."));
        QCOMPARE(child<QWidget>(p, QStringLiteral("txtVarName"))->toolTip(),
                 QStringLiteral("Variable name. Variables are read-only here, except one named Setpoint."));
        // The type list cannot bring back what the definition took away.
        child<QComboBox>(p, QStringLiteral("cmbValueType"))->setCurrentIndex(3);
        QVERIFY(!ownEnabled(child<QWidget>(p, QStringLiteral("cmdExecute"))));
    }
};

QTEST_MAIN(TestTaskPanel)
#include "tst_task.moc"
