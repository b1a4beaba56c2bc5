// Capability definitions on the member panels: which governed buttons each kind keeps, the
// descriptions that become tooltips, page and type changes that must not bring a button back, and
// the definition handed down to the panels a member panel opens.
#include "testsupport.h"

namespace {

const QString kRestricted = u"zel-virtual-restricted.xml"_s;

} // namespace

class TestDefinitions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void governedButtonsAndTooltips_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        // The governed buttons looked at; those the definition disables carry a "-".
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<QString>("tipBox");
        QTest::addColumn<QString>("tip");
        const auto row = [](const char *tag, PanelKind kind, const char *name, const char *buttons,
                             const char *tipBox, const char *tip) {
            QTest::newRow(tag) << int(kind) << QString::fromLatin1(name) << QString::fromLatin1(buttons)
                               << QString::fromLatin1(tipBox) << QString::fromLatin1(tip);
        };
        row("variable read-only", PanelKind::Variable, "v1",
            "cmdGetAttr cmdGetHelp cmdGetID cmdGetDateTime cmdGetMicrosecond cmdGetValue -cmdPutValue -cmdPutID", "txtPutValue", "");
        row("robot goes home but does not move", PanelKind::Robot, "R",
            "-cmdMove cmdGoHome -cmdAccel -cmdDrive -cmdChange -cmdChuck -cmdRotate cmdSpeed cmdHold cmdHalt -cmdExecute "
            "cmdGetAttribute cmdGetID -cmdPutID cmdGetNames cmdGetName cmdPutTag",
            "txtSpeedAxis", "Axis number: 1 to 6, or 0 for all axes.");
        row("file read-only", PanelKind::File, "readme.txt",
            "-cmdPutValue -cmdCopy -cmdMove -cmdDelete -cmdRun -cmdExecute -cmdPutID cmdGetFileName cmdGetTag cmdPutTag "
            "cmdGetValue cmdGetPath cmdGetSize cmdGetLastModified cmdGetID cmdGetNames_0",
            "txtName_1", "File name or path on the controller. Files are read-only here.");
        row("task", PanelKind::Task, "Main",
            "-cmdDelete -cmdExecute -cmdPutID cmdTaskStart cmdTaskStop cmdGetFileName cmdGetTaskName cmdGetTag cmdPutTag cmdGetNames",
            "cmbTaskStart", "Start mode: 1 - 1 cycle start, 2 - Cyclic start, 3 - Step forward, 4 - Step back.");
        row("extension without a set", PanelKind::Extension, "IO1",
            "-cmdGetAttribute -cmdGetHelp -cmdPutID -cmdGetID -cmdExecute -cmdGetNames cmdGetExtName cmdGetTag cmdPutTag "
            "cmdGetVar cmdVarClear",
            "txtVarName", "Variable name. Variables are read-only here, except one named Setpoint.");
        row("command", PanelKind::Command, "Echo",
            "-cmdPutTimeout -cmdPutParameter -cmdCancel -cmdPutID cmdExecute cmdGetTimeout cmdGetState cmdGetParameter "
            "cmdGetCmdName cmdGetTag cmdPutTag cmdGetResult",
            "txtExecuteMode", "Execution mode:");
    }

    void governedButtonsAndTooltips()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, buttons);
        QFETCH(QString, tipBox);
        QFETCH(QString, tip);
        TestRun run;
        loadDefinition(run, examplePath(kRestricted));
        PanelBase *p = addMember(run, addController(run), PanelKind(kind), name);
        QVERIFY(p && p->m_DCEng);
        QStringList governed, disabled;
        for (const QString &b : buttons.split(u' ')) {
            governed << (b.startsWith(u'-') ? b.mid(1) : b);
            if (b.startsWith(u'-'))
                disabled << b.mid(1);
        }
        QCOMPARE(ownDisabled(p, governed), disabled);
        const QString shown = child<QWidget>(p, tipBox)->toolTip();
        QVERIFY2(tip.isEmpty() ? shown.isEmpty() : shown.startsWith(tip), qPrintable(shown));

        // Neither the type list nor the operation pages bring back what the definition took away.
        for (QComboBox *types : p->findChildren<QComboBox *>(u"cmbValueType"_s)) {
            types->setCurrentIndex(21);
            types->setCurrentIndex(5);
        }
        for (QTabWidget *pages : p->findChildren<QTabWidget *>()) {
            for (int i = pages->count() - 1; i >= 0; --i)
                pages->setCurrentIndex(i);
        }
        QCOMPARE(ownDisabled(p, governed), disabled);
    }

    void panelsOpenedBelowInheritTheDefinition()
    {
        TestRun run;
        loadDefinition(run, examplePath(kRestricted));
        PanelBase *ctrl = addController(run);
        // A robot's variable gets the controller's variable definition.
        PanelBase *robot = addMember(run, ctrl, PanelKind::Robot, "R");
        fill(robot, {"txtVarName=Setpoint"});
        clickButton(robot, "cmdGetVar");
        PanelBase *var = run.lastPanel(PanelKind::Variable);
        QVERIFY(var != nullptr && var->m_DCEng);
        QCOMPARE(var->m_DCCtrlKey, u"Restricted"_s);
        // A file opened in a folder takes the folder's file definition.
        PanelBase *folder = addMember(run, ctrl, PanelKind::File, "Programs");
        fill(folder, {"tabAddObj=1", "txtName_1=Cycle.pgm"});
        clickButton(folder, "cmdGetFile");
        PanelBase *inner = run.lastPanel(PanelKind::File);
        QVERIFY(inner != folder && inner->m_DCEng);
        QCOMPARE(ownDisabled(inner, {"cmdRun", "cmdGetValue"}), QStringList{"cmdRun"});
    }
};

QTEST_MAIN(TestDefinitions)
#include "tst_definitions.moc"
