// The command panel: Execute with the even and odd mode rule for "Complete Time", the
// collection's ExecuteComplete, Timeout, Parameters, Result, State, Cancel and definitions.
#include "testsupport.h"

#include <QPointer>

using zel::Value;

namespace {

QString completeTime(PanelBase *p)
{
    return textOf(p, "txtCompleteTime");
}

bool isTimeText(const QString &text)
{
    static const QRegularExpression form(u"^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"_s);
    return form.match(text).hasMatch();
}

} // namespace

class TestCommandPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void evenModesCompleteInsideTheCall()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Command, "Echo", "Duration=10");
        const QString P = p->m_LogObjPath;
        QVERIFY(P.endsWith(u".Cmds(\"Echo\")"));
        QVERIFY(p->m_CsrObjPath.endsWith(u".Commands(\"Echo\")"));
        for (int mode : {0, 2}) {
            QString s;
            fill(p, {"txtCompleteTime=old", "txtExecuteMode=" + QString::number(mode)});
            QCOMPARE(run.click(p, "cmdExecute", &s), (QStringList{P + ".Execute(" + QString::number(mode) + u')', "Succeeded."}));
            QCOMPARE(s, scriptBlock(p, ".Execute", -1, 2, QString::number(mode)));
            QVERIFY2(isTimeText(completeTime(p)), qPrintable(completeTime(p)));
        }
    }

    void oddModeWaitsForItsOwnCompletion()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        PanelBase *a = addMember(run, ctrl, PanelKind::Command, "Echo", "Duration=30");
        PanelBase *b = addMember(run, ctrl, PanelKind::Command, "Upper", "Duration=30");
        fill(a, {"txtCompleteTime=earlier"});
        fill(b, {"txtExecuteMode=1"});
        QCOMPARE(run.click(b, "cmdExecute"), (QStringList{b->m_LogObjPath + ".Execute(1)", "Succeeded."}));
        QCOMPARE(completeTime(b), QString());
        QCOMPARE(zget(b->m_ZelObj, "State").toInt32(), 1);
        // The collection's event reaches both panels; only the one of the command writes.
        QTRY_VERIFY_WITH_TIMEOUT(isTimeText(completeTime(b)), 3000);
        QCOMPARE(completeTime(a), u"earlier"_s);
        QCOMPARE(zget(b->m_ZelObj, "State").toInt32(), 2);

        fill(b, {"txtCompleteTime=kept"});
        fill(a, {"txtExecuteMode=3"});
        clickButton(a, "cmdExecute");
        QCOMPARE(completeTime(a), QString());
        QTRY_VERIFY_WITH_TIMEOUT(isTimeText(completeTime(a)), 3000);
        QCOMPARE(completeTime(b), u"kept"_s);

        // After the first command is deleted the second moves to index 0 and still matches;
        // the closed panel hears nothing more.
        QPointer<PanelBase> closed(a);
        fill(a, {"txtCompleteTime=gone"});
        clickButton(a, "cmdCmdDelete");
        QVERIFY(a->isUnloaded());
        QCOMPARE(zget(b->m_ZelObj, "Index").toInt32(), 0);
        fill(b, {"txtExecuteMode=1"});
        clickButton(b, "cmdExecute");
        QCOMPARE(completeTime(b), QString());
        QTRY_VERIFY_WITH_TIMEOUT(isTimeText(completeTime(b)), 3000);
        QVERIFY(closed.isNull() || completeTime(closed) == u"gone");
    }

    void badModesAndTimeouts()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Command, "Echo");
        const QString P = p->m_LogObjPath;

        // An empty mode fails before the request and calls nothing; the time stays.
        QString s;
        fill(p, {"txtCompleteTime=before", "txtExecuteMode="});
        QCOMPARE(failuresShort(run.click(p, "cmdExecute", &s)), QStringList{"Failed."});
        QCOMPARE(s, QString());
        QCOMPARE(completeTime(p), u"before"_s);
        QCOMPARE(zget(p->m_ZelObj, "State").toInt32(), 0);
        // A mode the command refuses: the request was made, the time field already emptied.
        fill(p, {"txtExecuteMode=7"});
        QCOMPARE(failuresShort(run.click(p, "cmdExecute")), (QStringList{P + ".Execute(7)", "Failed."}));
        QCOMPARE(completeTime(p), QString());

        // Put Timeout with an empty field or a fraction: one failure line, no engine call.
        for (const char *bad : {"txtPutTimeout=", "txtPutTimeout=2.5"}) {
            fill(p, {bad});
            QCOMPARE(failuresShort(run.click(p, "cmdPutTimeout", &s)), QStringList{"Failed."});
            QCOMPARE(s, QString());
        }
        QCOMPARE(zget(p->m_ZelObj, "Timeout").toInt32(), 10000);
        fill(p, {"txtPutTimeout= 2500"});
        QCOMPARE(run.click(p, "cmdPutTimeout", &s), (QStringList{P + ".put_Timeout(2500)", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Timeout", -1, 0, "2500"));
        QCOMPARE(run.click(p, "cmdGetTimeout", &s), (QStringList{P + ".get_Timeout()", "Succeeded. (2500)"}));
        QCOMPARE(textOf(p, "txtGetTimeout"), u"2500"_s);
        QCOMPARE(s, scriptBlock(p, ".Timeout", 3, 1));
    }

    void parametersResultStateAndCancel()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Command, "Sum", "Duration=5000");
        const QString P = p->m_LogObjPath;
        auto *types = child<QComboBox>(p, "cmbValueType");
        QString s;
        fill(p, {"cmbValueType=14", "txtPutParameter=1,2,3"}); // ARRAY | I4
        QStringList lines = run.click(p, "cmdPutParameter", &s);
        const Value sent = zget(p->m_ZelObj, "Parameters");
        QCOMPARE(sent.type(), quint16(zel::VT_ARRAY | zel::VT_I4));
        QCOMPARE(lines, (QStringList{P + ".put_Parameters(" + logArg(sent) + u')', "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Parameters", -1, 0, scriptArg(sent)));

        // Reading back selects the type and shows everything after the first comma.
        types->setCurrentIndex(10);
        QCOMPARE(run.click(p, "cmdGetParameter"), (QStringList{P + ".get_Parameters()", "Succeeded. (" + logArg(sent) + u')'}));
        QCOMPARE(textOf(p, "txtGetParameter"), u"1,2,3"_s);
        QCOMPARE(types->currentIndex(), 14);

        zput(p->m_ZelObj, "Timeout", Value::fromI4(0));
        fill(p, {"txtExecuteMode=0"});
        clickButton(p, "cmdExecute");
        QCOMPARE(run.click(p, "cmdGetResult", &s), (QStringList{P + ".get_Result()", "Succeeded. (" + logArg(Value::fromR8(6)) + u')'}));
        QCOMPARE(textOf(p, "txtExecuteResult"), u"6 (R8)"_s);
        QCOMPARE(s, scriptBlock(p, ".Result", 12, 1));

        // A background run is cancelled; State reads 5. The attribute is bare.
        fill(p, {"txtExecuteMode=1"});
        clickButton(p, "cmdExecute");
        QCOMPARE(run.click(p, "cmdCancel", &s), (QStringList{P + ".Cancel()", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Cancel", -1, 2));
        QCOMPARE(run.click(p, "cmdGetState"), (QStringList{P + ".get_State()", "Succeeded. (5)"}));
        QCOMPARE(textOf(p, "txtState"), u"5"_s);
        QCOMPARE(run.click(p, "cmdGetAttribute"), (QStringList{P + ".get_Attribute()", "Succeeded. (0)"}));
        QCOMPARE(run.click(p, "cmdGetCmdName"), (QStringList{P + ".get_Name()", "Succeeded. (\"Sum\")"}));

        // Parameters holding an object select "(Unkown)": no Put until another type is chosen.
        zput(p->m_ZelObj, "Parameters", Value::fromObject(p->m_ZelObj));
        clickButton(p, "cmdGetParameter");
        QCOMPARE(types->currentIndex(), 21);
        QVERIFY(!child<QWidget>(p, "cmdPutParameter")->isEnabled());
        types->setCurrentIndex(0);
        QVERIFY(!child<QWidget>(p, "txtPutParameter")->isEnabled());
        QCOMPARE(run.click(p, "cmdPutParameter"), (QStringList{P + ".put_Parameters(" + logArg(Value()) + u')', "Succeeded."}));
        QVERIFY(zget(p->m_ZelObj, "Parameters").isEmpty());
    }

    void definitionsGovernTheButtons()
    {
        TestRun run;
        loadDefinition(run, examplePath("zel-virtual-restricted.xml"));
        PanelBase *p = addMember(run, addController(run), PanelKind::Command, "Echo");
        QVERIFY(p->m_DCEng);
        QCOMPARE(ownDisabled(p, {"cmdPutTimeout", "cmdPutParameter", "cmdCancel", "cmdPutID", "cmdExecute", "cmdGetTimeout",
                                 "cmdGetState", "cmdGetParameter", "cmdGetCmdName", "cmdGetTag", "cmdPutTag", "cmdGetResult"}),
                 (QStringList{"cmdPutTimeout", "cmdPutParameter", "cmdCancel", "cmdPutID"}));
        QVERIFY(child<QWidget>(p, "txtExecuteMode")->toolTip().startsWith(u"Execution mode:"));
        // The type list brings back the box, not the button.
        fill(p, {"cmbValueType=21", "cmbValueType=5"});
        QVERIFY(!ownEnabled(child<QWidget>(p, "cmdPutParameter")));
        QVERIFY(child<QWidget>(p, "txtPutParameter")->isEnabled());
    }
};

QTEST_MAIN(TestCommandPanel)
#include "tst_command.moc"
