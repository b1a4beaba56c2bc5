// The command panel: Execute with the even and odd mode rule for "Complete Time", the
// collection's ExecuteComplete, Timeout and mode as rounded numbers, Result, State and Cancel.
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
    void evenModesCompleteInsideTheCallAndBadNumbers()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Command, "Echo", "Duration=10");
        const QString P = p->m_LogObjPath;
        QString s;
        // An empty mode fails before the request and calls nothing; the time stays.
        fill(p, {"txtCompleteTime=before", "txtExecuteMode="});
        QCOMPARE(failuresShort(run.click(p, "cmdExecute", &s)), QStringList{"Failed."});
        QCOMPARE(s, QString());
        QCOMPARE(completeTime(p), u"before"_s);
        QCOMPARE(zget(p->m_ZelObj, "State").toInt32(), 0);
        for (int mode : {0, 2}) {
            fill(p, {"txtCompleteTime=old", "txtExecuteMode=" + QString::number(mode)});
            QCOMPARE(run.click(p, "cmdExecute", &s), (QStringList{P + ".Execute(" + QString::number(mode) + u')', "Succeeded."}));
            QCOMPARE(s, scriptBlock(p, ".Execute", -1, 2, QString::number(mode)));
            QVERIFY2(isTimeText(completeTime(p)), qPrintable(completeTime(p)));
        }

        // A mode the command refuses: the request was made, the time field already emptied.
        fill(p, {"txtExecuteMode=7"});
        QCOMPARE(failuresShort(run.click(p, "cmdExecute")), (QStringList{P + ".Execute(7)", "Failed."}));
        QCOMPARE(completeTime(p), QString());

        // A mode is read as any number field is: a fraction is rounded, and the lines and the
        // call carry the whole number; 2.4 is the even mode 2.
        fill(p, {"txtCompleteTime=old", "txtExecuteMode= 2.4"});
        QCOMPARE(run.click(p, "cmdExecute", &s), (QStringList{P + ".Execute(2)", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Execute", -1, 2, "2"));
        QVERIFY2(isTimeText(completeTime(p)), qPrintable(completeTime(p)));

        // Put Timeout with an empty field, a text that is no number or one beyond 32 bits: one
        // failure line, no engine call.
        for (const char *bad : {"txtPutTimeout=", "txtPutTimeout=12a", "txtPutTimeout=1e10"}) {
            fill(p, {bad});
            QCOMPARE(failuresShort(run.click(p, "cmdPutTimeout", &s)), QStringList{"Failed."});
            QCOMPARE(s, QString());
        }
        QCOMPARE(zget(p->m_ZelObj, "Timeout").toInt32(), 10000);
        fill(p, {"txtPutTimeout=12.6"});
        QCOMPARE(run.click(p, "cmdPutTimeout", &s), (QStringList{P + ".put_Timeout(13)", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Timeout", -1, 0, "13"));
        QCOMPARE(zget(p->m_ZelObj, "Timeout").toInt32(), 13);
        fill(p, {"txtPutTimeout= 2500"});
        QCOMPARE(run.click(p, "cmdPutTimeout", &s), (QStringList{P + ".put_Timeout(2500)", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Timeout", -1, 0, "2500"));
        QCOMPARE(run.click(p, "cmdGetTimeout", &s), (QStringList{P + ".get_Timeout()", "Succeeded. (2500)"}));
        QCOMPARE(textOf(p, "txtGetTimeout"), u"2500"_s);
        QCOMPARE(s, scriptBlock(p, ".Timeout", 3, 1));
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

    void resultStateAndCancel()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Command, "Sum", "Duration=5000");
        const QString P = p->m_LogObjPath;
        QString s;
        fill(p, {"cmbValueType=14", "txtPutParameter=1,2,3"}); // ARRAY | I4
        clickButton(p, "cmdPutParameter");
        zput(p->m_ZelObj, "Timeout", Value::fromI4(0));
        fill(p, {"txtExecuteMode=0"});
        clickButton(p, "cmdExecute");
        QCOMPARE(run.click(p, "cmdGetResult", &s), (QStringList{P + ".get_Result()", "Succeeded. (" + logArg(Value::fromR8(6)) + u')'}));
        QCOMPARE(textOf(p, "txtExecuteResult"), u"6 (R8)"_s);
        QCOMPARE(s, scriptBlock(p, ".Result", 12, 1));

        // A background run is cancelled; State reads 5. State and the attribute are bare.
        fill(p, {"txtExecuteMode=1"});
        clickButton(p, "cmdExecute");
        QCOMPARE(run.click(p, "cmdCancel", &s), (QStringList{P + ".Cancel()", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Cancel", -1, 2));
        QCOMPARE(run.click(p, "cmdGetState"), (QStringList{P + ".get_State()", "Succeeded. (5)"}));
        QCOMPARE(run.click(p, "cmdGetAttribute"), (QStringList{P + ".get_Attribute()", "Succeeded. (0)"}));
    }
};

QTEST_MAIN(TestCommandPanel)
#include "tst_command.moc"
