#include "testsupport.h"

#include "panels/frmCommand.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QPointer>
#include <QRegularExpression>

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

// Opens the panel of a command of the controller, as the controller's Add does.
PanelBase *openCommand(PanelBase *ctrl, const QString &name, const QString &option = QString())
{
    zel::ObjectPtr cmd = ctrl->m_ZelObj->invoke(QStringLiteral("AddCommand"), CallKind::Method,
                                                {Value::fromString(name), Value::fromString(option)}).objectValue();
    zel::ObjectPtr cmds = ctrl->m_ZelObj->invoke(QStringLiteral("Commands"), CallKind::PropertyGet, {}).objectValue();
    ksf::EntryPtr entry = ctrl->m_KSFObj ? ctrl->m_KSFObj->addMember(ksf::Command, name) : nullptr;
    ksf::EntryPtr capability = ctrl->m_DCEntry ? ctrl->m_DCEntry->findMemberOrDefault(ksf::Command, name) : nullptr;
    PanelBase *p = ctrl->createMemberPanel(PanelKind::Command, cmd, cmds, entry, capability);
    p->showPanel();
    return p;
}

QString scriptBlock(PanelBase *p, const QString &member, int retType, int style, const QString &arg = QString())
{
    return clsScriptGen::ScriptBlock(p->m_CsrObjPath + member, retType, style, arg);
}

Value engineValue(PanelBase *p, const char *member)
{
    return p->m_ZelObj->invoke(QLatin1String(member), CallKind::PropertyGet, {});
}

// Puts a text into a display field, as an earlier completion would have.
void markTime(PanelBase *p, const QString &text)
{
    child<QLineEdit>(p, QStringLiteral("txtCompleteTime"))->setText(text);
}

bool isTimeText(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    return form.match(text).hasMatch();
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

class TestCommandPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void evenModesCompleteInsideTheCall()
    {
        TestRun run;
        PanelBase *p = openCommand(addController(run), QStringLiteral("Echo"), QStringLiteral("Duration=10"));
        const QString P = p->m_LogObjPath;
        QVERIFY(P.endsWith(QStringLiteral(".Cmds(\"Echo\")")));
        QVERIFY(p->m_CsrObjPath.endsWith(QStringLiteral(".Commands(\"Echo\")")));
        QCOMPARE(p->windowTitle(), QStringLiteral("Command - Echo"));

        for (int mode : {0, 2}) {
            markTime(p, QStringLiteral("old"));
            setText(p, QStringLiteral("txtExecuteMode"), QString::number(mode));
            qsizetype mark = run.logMark();
            clickButton(p, QStringLiteral("cmdExecute"));
            QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Execute(%1)").arg(mode), QStringLiteral("Succeeded.")}));
            QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Execute"), -1, 2, QString::number(mode))));
            QVERIFY2(isTimeText(textOf(p, QStringLiteral("txtCompleteTime"))), qPrintable(textOf(p, QStringLiteral("txtCompleteTime"))));
        }
    }

    void oddModeWaitsForItsOwnCompletion()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        PanelBase *a = openCommand(ctrl, QStringLiteral("Echo"), QStringLiteral("Duration=30"));
        PanelBase *b = openCommand(ctrl, QStringLiteral("Upper"), QStringLiteral("Duration=30"));
        markTime(a, QStringLiteral("earlier"));

        setText(b, QStringLiteral("txtExecuteMode"), QStringLiteral("1"));
        qsizetype mark = run.logMark();
        clickButton(b, QStringLiteral("cmdExecute"));
        QCOMPARE(run.logSince(mark), (QStringList{b->m_LogObjPath + QStringLiteral(".Execute(1)"), QStringLiteral("Succeeded.")}));
        QCOMPARE(textOf(b, QStringLiteral("txtCompleteTime")), QString());
        QCOMPARE(engineValue(b, "State").toInt32(), 1);
        // The collection's event reaches both panels; only the one of the command writes.
        QTRY_VERIFY_WITH_TIMEOUT(isTimeText(textOf(b, QStringLiteral("txtCompleteTime"))), 3000);
        QCOMPARE(textOf(a, QStringLiteral("txtCompleteTime")), QStringLiteral("earlier"));
        QCOMPARE(engineValue(b, "State").toInt32(), 2);

        markTime(b, QStringLiteral("kept"));
        setText(a, QStringLiteral("txtExecuteMode"), QStringLiteral("3"));
        clickButton(a, QStringLiteral("cmdExecute"));
        QCOMPARE(textOf(a, QStringLiteral("txtCompleteTime")), QString());
        QTRY_VERIFY_WITH_TIMEOUT(isTimeText(textOf(a, QStringLiteral("txtCompleteTime"))), 3000);
        QCOMPARE(textOf(b, QStringLiteral("txtCompleteTime")), QStringLiteral("kept"));

        // After the first command is deleted the second moves to index 0 and still matches;
        // the closed panel hears nothing more.
        QPointer<PanelBase> closed(a);
        markTime(a, QStringLiteral("gone"));
        clickButton(a, QStringLiteral("cmdCmdDelete"));
        QVERIFY(a->isUnloaded());
        QCOMPARE(engineValue(b, "Index").toInt32(), 0);
        setText(b, QStringLiteral("txtExecuteMode"), QStringLiteral("1"));
        clickButton(b, QStringLiteral("cmdExecute"));
        QCOMPARE(textOf(b, QStringLiteral("txtCompleteTime")), QString());
        QTRY_VERIFY_WITH_TIMEOUT(isTimeText(textOf(b, QStringLiteral("txtCompleteTime"))), 3000);
        QVERIFY(closed.isNull() || textOf(closed, QStringLiteral("txtCompleteTime")) == QStringLiteral("gone"));
    }

    void badModesAndTimeouts()
    {
        TestRun run;
        PanelBase *p = openCommand(addController(run), QStringLiteral("Echo"));
        const QString P = p->m_LogObjPath;

        // An empty mode fails before the request and calls nothing; the time stays.
        markTime(p, QStringLiteral("before"));
        setText(p, QStringLiteral("txtExecuteMode"), QString());
        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdExecute"));
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Failed. (0x")), qPrintable(lines[0]));
        QCOMPARE(run.state().script.body(), script);
        QCOMPARE(textOf(p, QStringLiteral("txtCompleteTime")), QStringLiteral("before"));
        QCOMPARE(engineValue(p, "State").toInt32(), 0);

        // A mode the command refuses: the request was made, the time field already emptied.
        setText(p, QStringLiteral("txtExecuteMode"), QStringLiteral("7"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdExecute"));
        lines = run.logSince(mark);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], P + QStringLiteral(".Execute(7)"));
        QVERIFY(lines[1].startsWith(QStringLiteral("Failed. (0x")));
        QCOMPARE(textOf(p, QStringLiteral("txtCompleteTime")), QString());

        // Put Timeout with an empty field: one failure line, no engine call.
        setText(p, QStringLiteral("txtPutTimeout"), QString());
        script = run.state().script.body();
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdPutTimeout"));
        lines = run.logSince(mark);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("Failed. (0x")), qPrintable(lines[0]));
        QCOMPARE(run.state().script.body(), script);
        QCOMPARE(engineValue(p, "Timeout").toInt32(), 10000);
        setText(p, QStringLiteral("txtPutTimeout"), QStringLiteral("2.5"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdPutTimeout"));
        QCOMPARE(run.logSince(mark).size(), 1);

        setText(p, QStringLiteral("txtPutTimeout"), QStringLiteral(" 2500"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdPutTimeout"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".put_Timeout(2500)"), QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Timeout"), -1, 0, QStringLiteral("2500"))));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetTimeout"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Timeout()"), QStringLiteral("Succeeded. (2500)")}));
        QCOMPARE(textOf(p, QStringLiteral("txtGetTimeout")), QStringLiteral("2500"));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Timeout"), 3, 1)));
    }

    void parametersResultStateAndCancel()
    {
        TestRun run;
        PanelBase *p = openCommand(addController(run), QStringLiteral("Sum"), QStringLiteral("Duration=5000"));
        const QString P = p->m_LogObjPath;
        auto *types = child<QComboBox>(p, QStringLiteral("cmbValueType"));

        types->setCurrentIndex(14); // ARRAY | I4
        setText(p, QStringLiteral("txtPutParameter"), QStringLiteral("1,2,3"));
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdPutParameter"));
        const Value sent = engineValue(p, "Parameters");
        QCOMPARE(sent.type(), quint16(zel::VT_ARRAY | zel::VT_I4));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".put_Parameters(<") + clsLogMsg::LogText(sent) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Parameters"), -1, 0, clsScriptGen::Variant2Script(sent))));

        // Reading back selects the type and shows everything after the first comma.
        types->setCurrentIndex(10);
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetParameter"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Parameters()"),
                                                  QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(sent) + QStringLiteral(">)")}));
        QCOMPARE(textOf(p, QStringLiteral("txtGetParameter")), QStringLiteral("1,2,3"));
        QCOMPARE(types->currentIndex(), 14);

        setText(p, QStringLiteral("txtExecuteMode"), QStringLiteral("0"));
        p->m_ZelObj->invoke(QStringLiteral("Timeout"), CallKind::PropertyPut, {Value::fromI4(0)});
        clickButton(p, QStringLiteral("cmdExecute"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetResult"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Result()"),
                                                  QStringLiteral("Succeeded. (<") + clsLogMsg::LogText(Value::fromR8(6)) + QStringLiteral(">)")}));
        QCOMPARE(textOf(p, QStringLiteral("txtExecuteResult")), QStringLiteral("6 (R8)"));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Result"), 12, 1)));

        // A background run is cancelled; State reads 5.
        setText(p, QStringLiteral("txtExecuteMode"), QStringLiteral("1"));
        clickButton(p, QStringLiteral("cmdExecute"));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdCancel"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".Cancel()"), QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(scriptBlock(p, QStringLiteral(".Cancel"), -1, 2)));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetState"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_State()"), QStringLiteral("Succeeded. (5)")}));
        QCOMPARE(textOf(p, QStringLiteral("txtState")), QStringLiteral("5"));

        // Parameters holding an object select "(Unkown)": no Put until another type is chosen.
        p->m_ZelObj->invoke(QStringLiteral("Parameters"), CallKind::PropertyPut, {Value::fromObject(p->m_ZelObj)});
        clickButton(p, QStringLiteral("cmdGetParameter"));
        QCOMPARE(types->currentIndex(), 21);
        QVERIFY(!child<QWidget>(p, QStringLiteral("cmdPutParameter"))->isEnabled());
        QVERIFY(!child<QWidget>(p, QStringLiteral("txtPutParameter"))->isEnabled());
        types->setCurrentIndex(0);
        QVERIFY(!child<QWidget>(p, QStringLiteral("txtPutParameter"))->isEnabled());
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdPutParameter"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".put_Parameters(<") + clsLogMsg::LogText(Value()) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded.")}));
        QVERIFY(engineValue(p, "Parameters").isEmpty());
    }

    void accessKeysAreUnique()
    {
        TestRun run;
        PanelBase *p = openCommand(addController(run), QStringLiteral("Echo"));
        QVERIFY2(duplicateAccessKeys(p).isEmpty(), qPrintable(duplicateAccessKeys(p).join(QLatin1Char(' '))));
    }

    void sharedOperationsAndRemoval()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        PanelBase *p = openCommand(ctrl, QStringLiteral("Now"));
        const QString P = p->m_LogObjPath;
        qsizetype mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetAttribute"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Attribute()"), QStringLiteral("Succeeded. (0)")}));
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdGetCmdName"));
        QCOMPARE(run.logSince(mark), (QStringList{P + QStringLiteral(".get_Name()"), QStringLiteral("Succeeded. (\"Now\")")}));
        QCOMPARE(textOf(p, QStringLiteral("txtCmdName")), QStringLiteral("Now"));

        const qint32 index = engineValue(p, "Index").toInt32();
        mark = run.logMark();
        clickButton(p, QStringLiteral("cmdCmdDelete"));
        QCOMPARE(run.logSince(mark), (QStringList{ctrl->m_LogObjPath + QStringLiteral(".Cmds.Remove(<") + clsLogMsg::LogText(Value::fromI4(index)) + QStringLiteral(">)"),
                                                  QStringLiteral("Succeeded.")}));
        QVERIFY(run.state().script.body().endsWith(
            clsScriptGen::ScriptBlock(ctrl->m_CsrObjPath + QStringLiteral(".Commands.Remove"), -1, 2, QString::number(index))));
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::Command, QStringLiteral("Now")));
    }

    void definitionsGovernTheButtons()
    {
        TestRun run;
        const QString definition = qEnvironmentVariable("ZEL_TEST_SOURCE_DIR") + QStringLiteral("/examples/zel-virtual-restricted.xml");
        PanelBase *p = openCommand(addController(run, definition), QStringLiteral("Echo"));
        QVERIFY(p->m_DCEng);
        for (const char *name : {"cmdPutTimeout", "cmdPutParameter", "cmdCancel", "cmdPutID"})
            QVERIFY2(!ownEnabled(child<QWidget>(p, QLatin1String(name))), name);
        for (const char *name : {"cmdExecute", "cmdGetTimeout", "cmdGetState", "cmdGetParameter", "cmdGetCmdName", "cmdGetTag",
                                 "cmdPutTag", "cmdGetResult"})
            QVERIFY2(ownEnabled(child<QWidget>(p, QLatin1String(name))), name);
        QVERIFY(child<QWidget>(p, QStringLiteral("txtExecuteMode"))->toolTip().startsWith(QStringLiteral("Execution mode:")));
        auto *types = child<QComboBox>(p, QStringLiteral("cmbValueType"));
        types->setCurrentIndex(21);
        types->setCurrentIndex(5);
        QVERIFY(!ownEnabled(child<QWidget>(p, QStringLiteral("cmdPutParameter"))));
        QVERIFY(child<QWidget>(p, QStringLiteral("txtPutParameter"))->isEnabled());
    }
};

QTEST_MAIN(TestCommandPanel)
#include "tst_command.moc"
