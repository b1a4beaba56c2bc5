// The task panel: Start and Stop with the mode at the start of the list text, the quoted
// Attribute, and Delete, after which the panel stays.
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
        auto *start = child<QComboBox>(p, "cmbTaskStart");

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
        start->setCurrentIndex(1);
        QCOMPARE(run.click(p, "cmdTaskStart"), (QStringList{P + ".Start(2, \"\")", "Succeeded."}));
        QCOMPARE(status(p), 2);
    }

    void attributeAndDelete()
    {
        TestRun run;
        PanelBase *p = addMember(run, addController(run), PanelKind::Task, "Sub");
        const QString P = p->m_LogObjPath;
        // The attribute is quoted like a text.
        QString s;
        QCOMPARE(run.click(p, "cmdGetAttribute", &s), (QStringList{P + ".get_Attribute()", "Succeeded. (\"0\")"}));
        QCOMPARE(s, scriptBlock(p, ".Attribute", 3, 1));

        // Delete is the engine's: the panel stays, its next calls fail and leave the boxes.
        clickButton(p, "cmdGetFileName");
        fill(p, {"tabOperation=2", "txtDelOption=x=1"});
        QCOMPARE(run.click(p, "cmdDelete", &s), (QStringList{P + ".Delete(\"x=1\")", "Succeeded."}));
        QCOMPARE(s, scriptBlock(p, ".Delete", -1, 2, "\"x=1\""));
        QCOMPARE(run.panel(p->m_FormID), p);
        QCOMPARE(failuresShort(run.click(p, "cmdGetFileName")), (QStringList{P + ".get_FileName()", "Failed."}));
        QCOMPARE(textOf(p, "txtFileName"), u"/Programs/Sub.pgm"_s);
    }
};

QTEST_MAIN(TestTaskPanel)
#include "tst_task.moc"
