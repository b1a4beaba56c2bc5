// The workspace panel: AddController with its option rule, the mirror entry and the recent
// controllers; the capability definition; Get Name, Execute, Controllers.Clear; closing; and the
// panels a workspace that already holds controllers gets when it is opened again.
#include "testsupport.h"

#include "engine/frmWorkspace.h"

#include <QFileDialog>

using zel::Value;

namespace {

QComboBox *combo(QWidget *panel, const char *name)
{
    return child<QComboBox>(panel, name);
}

// Fills the Add Controller frame and presses "&Add...".
void addController(PanelBase *ws, const QString &name, const QString &option = {}, bool eventsOff = false,
                   const QString &machine = {})
{
    fill(ws, {"cmbController=" + name, "txtMachine=" + machine, "txtOption=" + option, eventsOff ? "chkOnMessage=1" : "chkOnMessage=0"});
    clickButton(ws, "cmdOpen");
}

QStringList recentNames(TestRun &run)
{
    QStringList names;
    for (const clsCtrlParameter &p : run.state().preloaded.items())
        names << p.m_ControllerName;
    return names;
}

QStringList comboItems(QComboBox *c)
{
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

zel::ObjectPtr controllers(PanelBase *ws)
{
    return zget(ws->m_ZelObj, "Controllers").objectValue();
}

// A second panel of a workspace: its name again on the engine panel.
PanelBase *openWorkspace(TestRun &run, const QString &name, const QString &option = {})
{
    fill(run.panel(2), {"txtWSName=" + name, "txtWsOption=" + option});
    clickButton(run.panel(2), "cmdAddWS");
    return run.lastPanel(PanelKind::Workspace);
}

} // namespace

class TestWorkspace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addControllerOptionAndLines()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        // Check box clear, no option: exactly the event piece.
        qsizetype mark = run.logMark();
        addController(ws, "rc1", {}, false, "cell-1");
        QCOMPARE(run.logSince(mark), (QStringList{"Wss(\"Default\").AddController(\"rc1\", \"Zel.Virtual\", \"cell-1\", \"@EventDisable=false\")",
                                                  "Succeeded."}));
        QCOMPARE(run.script(), u"\tdbg.output \"[EXE]-zel.AddController('rc1', 'Zel.Virtual', 'cell-1', '@EventDisable=false')\"\r\n"
                               "\tCall zel.AddController(\"rc1\", \"Zel.Virtual\", \"cell-1\", \"@EventDisable=false\")\r\n"
                               "\tdbg.output \"Succeeded.\"\r\n\r\n"_s);
        QCOMPARE(run.status(), u"Ready"_s);
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        QCOMPARE(ctrl->windowTitle(), u"Controller - rc1"_s);
        QCOMPARE(ctrl->m_TreeNode->parent(), ws->m_TreeNode);
        QCOMPARE(ctrl->m_ZelObjs, controllers(ws));

        // With an option the user's text follows a comma; the tick turns events off.
        mark = run.logMark();
        addController(ws, "rc2", "@MessageInterval=0", true);
        QCOMPARE(run.logSince(mark),
                 (QStringList{"Wss(\"Default\").AddController(\"rc2\", \"Zel.Virtual\", \"\", \"@EventDisable=true,@MessageInterval=0\")",
                              "Succeeded."}));

        // The mirror keeps the user's option without the event piece.
        ksf::EntryPtr e1 = ws->workspaceDocument()->findController("rc1");
        ksf::EntryPtr e2 = ws->workspaceDocument()->findController("rc2");
        QCOMPARE(e1->machineName(), u"cell-1"_s);
        QCOMPARE(e1->option(), QString());
        QCOMPARE(e2->option(), u"@MessageInterval=0"_s);
        QCOMPARE(run.lastPanel(PanelKind::Controller)->m_KSFObj, e2);
    }

    void failedAddLeavesRecentListAlone()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        combo(ws, "cmbProvider")->setEditText("No.Such");
        qsizetype mark = run.logMark();
        addController(ws, "bad");
        const QStringList lines = run.logSince(mark);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith(u"Failed. (0x8004A200: AddController: provider 'No.Such' is unknown"));
        QVERIFY(!run.lastPanel(PanelKind::Controller));
        QCOMPARE(run.status(), u"Ready"_s);
        // A malformed option fails in the engine as well.
        combo(ws, "cmbProvider")->setEditText("Zel.Virtual");
        addController(ws, "bad", "@MessageInterval=abc");
        QVERIFY(run.logMessages().last().startsWith(u"Failed. (0x8004A201:"));
        QVERIFY(recentNames(run).isEmpty());

        // An empty name adds a controller the engine names, but remembers nothing; the mirror
        // names the entry as the engine does.
        mark = run.logMark();
        addController(ws, "");
        QCOMPARE(run.logSince(mark).last(), u"Succeeded."_s);
        QCOMPARE(run.lastPanel(PanelKind::Controller)->windowTitle(), u"Controller - Controller1"_s);
        QVERIFY(recentNames(run).isEmpty());
        QVERIFY(run.script().contains(u"dbg.output \"The controller name is not specified.\""));
        QCOMPARE(ws->workspaceDocument()->controllerNames(), QStringList{"Controller1"});
    }

    void recentControllersLimitOrderAndChoice()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        for (int i = 1; i <= 11; ++i)
            addController(ws, u"c%1"_s.arg(i), u"k=%1"_s.arg(i), i % 2 == 0, u"m%1"_s.arg(i));
        QCOMPARE(recentNames(run), (QStringList{"c11", "c10", "c9", "c8", "c7", "c6", "c5", "c4", "c3", "c2"}));
        QCOMPARE(comboItems(combo(ws, "cmbController")), recentNames(run));
        QCOMPARE(combo(ws, "cmbController")->currentText(), u"c11"_s); // the typed text stays after the refill

        // Adding an existing name again (the engine hands back the same controller) moves it
        // to the front without a duplicate.
        addController(ws, "c5", "k=55");
        QCOMPARE(recentNames(run), (QStringList{"c5", "c11", "c10", "c9", "c8", "c7", "c6", "c4", "c3", "c2"}));
        QCOMPARE(run.state().preloaded.items().first().m_OptionVal, u"k=55"_s);

        // Choosing a recent controller fills provider, machine, option and the check box.
        QComboBox *names = combo(ws, "cmbController");
        fill(ws, {"cmbProvider=", "txtMachine=", "txtOption=", "chkOnMessage=0"});
        names->setCurrentIndex(2); // c10: machine m10, events off
        Q_EMIT names->activated(2);
        QCOMPARE(combo(ws, "cmbProvider")->currentText(), u"Zel.Virtual"_s);
        QCOMPARE(textOf(ws, "txtMachine"), u"m10"_s);
        QCOMPARE(textOf(ws, "txtOption"), u"k=10"_s);
        QVERIFY(child<QCheckBox>(ws, "chkOnMessage")->isChecked());
        // By keyboard: the arrow key moves to the next record and fills the frame.
        names->setFocus();
        QTest::keyClick(names, Qt::Key_Down);
        QCOMPARE(names->currentText(), u"c9"_s);
        QCOMPARE(textOf(ws, "txtMachine"), u"m9"_s);
        QVERIFY(!child<QCheckBox>(ws, "chkOnMessage")->isChecked());
    }

    void recentListRefilledOnActivation()
    {
        TestRun run;
        PanelBase *ws4 = run.panel(4);
        PanelBase *ws5 = openWorkspace(run, "Second");
        QVERIFY(ws5 != ws4);
        addController(ws5, "rc7");
        QCOMPARE(comboItems(combo(ws5, "cmbController")), QStringList{"rc7"});
        QVERIFY(comboItems(combo(ws4, "cmbController")).isEmpty());
        combo(ws4, "cmbController")->setEditText("typed");
        run.mdi()->mdiArea()->setActiveSubWindow(ws4->subWindow());
        QCOMPARE(comboItems(combo(ws4, "cmbController")), QStringList{"rc7"});
        QCOMPARE(combo(ws4, "cmbController")->currentText(), u"typed"_s);
    }

    void definitionBrowseAndLoad()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        // A definition whose empty-key section describes AddController and offers only Get_Help.
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        ksf::CapabilitySetPtr set = doc->addCapabilitySet(QString());
        ksf::OperationPtr add = set->addOperation(QString());
        add->setArgumentDescription(1, "Controller name");
        add->setArgumentDescription(2, "Controller option");
        set->addOperation("Get_Help");
        const QString defs = run.appDir() + "defs.xml";
        doc->saveAs(defs);

        // Browse: the open dialog starts in the program's folder; cancelling empties the box.
        QString dir;
        onNextModal([&](QWidget *modal) {
            dir = qobject_cast<QFileDialog *>(modal)->directory().absolutePath() + u'/';
            acceptFileDialog(modal, defs);
        });
        clickButton(ws, "cmdOpenDCFile");
        QCOMPARE(QFileInfo(dir).canonicalFilePath(), QFileInfo(run.appDir()).canonicalFilePath());
        QCOMPARE(textOf(ws, "txtDCFile"), defs);
        onNextModal([](QWidget *modal) { acceptFileDialog(modal, QString()); });
        clickButton(ws, "cmdOpenDCFile");
        QCOMPARE(textOf(ws, "txtDCFile"), QString());

        // Load: the AddController descriptions become tooltips; nothing is logged.
        fill(ws, {"txtDCFile=" + defs});
        QVERIFY(run.click(ws, "cmdDCLoad").isEmpty());
        QVERIFY(ws->m_DCEng);
        QCOMPARE(combo(ws, "cmbController")->toolTip(), u"Controller name"_s);
        QCOMPARE(child<QLineEdit>(ws, "txtOption")->toolTip(), u"Controller option"_s);

        // Controllers added now get the definition: only Get_Help of the governed buttons.
        const QStringList governed{"cmdGetHelp", "cmdExecute", "cmdGetNames_5"};
        addController(ws, "rc1");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        QCOMPARE(ctrl->m_DCEng, ws->m_DCEng);
        QCOMPARE(ownDisabled(ctrl, governed + QStringList{"cmdGetName"}), (QStringList{"cmdExecute", "cmdGetNames_5"}));

        // A file that cannot be read clears the definition silently; controllers added
        // afterwards have every operation.
        fill(ws, {"txtDCFile=" + run.appDir() + "missing.xml"});
        QVERIFY(run.click(ws, "cmdDCLoad").isEmpty());
        QVERIFY(!ws->m_DCEng);
        QCOMPARE(combo(ws, "cmbController")->toolTip(), QString());
        addController(ws, "rc2");
        ctrl = run.lastPanel(PanelKind::Controller);
        QVERIFY(!ctrl->m_DCEng);
        QCOMPARE(ownDisabled(ctrl, governed), QStringList());
    }

    void getNameExecuteClearAreNotRecorded()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        const qsizetype mark = run.logMark();
        clickButton(ws, "cmdGetName");
        QCOMPARE(textOf(ws, "txtWSName"), u"Default"_s);
        fill(ws, {"txtCommand=Echo", "txtParameter=hi"});
        clickButton(ws, "cmdExecute");
        QCOMPARE(textOf(ws, "txtResult"), u"hi (BSTR)"_s);
        clickButton(ws, "cmdCtrlClear");
        QCOMPARE(run.logSince(mark), (QStringList{"Wss(\"Default\").get_Name()", "Succeeded. (\"Default\")",
                                                  "Wss(\"Default\").Execute(\"Echo\", <8,hi>)", "Succeeded. (<8,hi>)",
                                                  "Wss(\"Default\").Ctrls.Clear()", "Succeeded."}));
        QVERIFY(run.script().isEmpty());
        QCOMPARE(run.status(), u"Ready"_s);
    }

    void clearKeepsPanelsAndLaterDeleteRemovesNothing()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        addController(ws, "rc1");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        clickButton(ws, "cmdCtrlClear");
        QCOMPARE(zget(controllers(ws), "Count").toInt32(), 0);
        QCOMPARE(ctrl->m_TreeNode->parent(), ws->m_TreeNode);
        // Its Index is -1 now: deleting the panel writes no Remove line and records nothing,
        // but the mirror entry stays (only a removal cleans it up).
        QString s;
        QVERIFY(run.click(ctrl, "cmdCtrlDelete", &s).isEmpty());
        QVERIFY(s.isEmpty());
        QVERIFY(!run.panel(ctrl->m_FormID));
        QCOMPARE(ws->m_TreeNode->childCount(), 0);
        QCOMPARE(ws->workspaceDocument()->controllerNames(), QStringList{"rc1"});
    }

    void deleteAndHideTheWorkspace()
    {
        TestRun run;
        PanelBase *ws = openWorkspace(run, "W2");
        addController(ws, "rc1");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        QCOMPARE(ctrl->m_LogObjPath, u"Wss(\"W2\").Ctrls(\"rc1\")"_s);
        clickButton(ws, "cmdHide");
        QVERIFY(!ws->subWindow()->isVisible());
        QVERIFY(run.panel(ws->m_FormID));

        // Only the controller's removal is recorded.
        QString s;
        QCOMPARE(run.click(ws, "cmdDelete", &s), (QStringList{"Wss(\"W2\").Ctrls.Remove(<3,0>)", "Succeeded.", "Wss.Remove(<3,1>)", "Succeeded."}));
        QCOMPARE(s, clsScriptGen::ScriptBlock("zel.Controllers.Remove", -1, 2, "0"));
        QCOMPARE(zget(run.state().workspaces, "Count").toInt32(), 1);
        QVERIFY(!run.panel(ws->m_FormID) && !run.panel(ctrl->m_FormID));
    }

    void preloadedPanelsForASecondPanel()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        addController(ws, "rc1");
        PanelBase *rc1 = run.lastPanel(PanelKind::Controller);
        addController(ws, "rc2");
        zel::ObjectPtr c = rc1->m_ZelObj;
        // Members in an order that differs from the kind order of the preload.
        for (const char *member : {"AddVariable:v1", "AddVariable:v2", "AddRobot:Robot1", "AddCommand:cmd1", "AddTask:t1",
                                   "AddFile:f1.txt", "AddExtension:IO"}) {
            const QString m = QLatin1String(member);
            zcall(c, m.section(u':', 0, 0), {Value::fromString(m.section(u':', 1)), Value::fromString("")});
        }

        // The same workspace name again on the engine panel: a second panel of "Default",
        // with the lines of the engine panel only and nothing recorded.
        const QString script = run.script();
        const qsizetype mark = run.logMark();
        PanelBase *ws2 = openWorkspace(run, "Default");
        QCOMPARE(run.logSince(mark), (QStringList{"AddWorkspace(\"Default\", \"\")", "Succeeded."}));
        QCOMPARE(run.script(), script);
        QVERIFY(ws2 != ws);
        QCOMPARE(ws2->m_ZelObj, ws->m_ZelObj);
        QTreeWidgetItem *node = ws2->m_TreeNode;
        QCOMPARE(node->childCount(), 2);
        QCOMPARE(node->child(0)->text(0), u"rc1"_s);
        QCOMPARE(node->child(1)->text(0), u"rc2"_s);
        QTreeWidgetItem *rcNode = node->child(0);
        QStringList children;
        for (int i = 0; i < rcNode->childCount(); ++i)
            children << rcNode->child(i)->text(0);
        QCOMPARE(children, (QStringList{"cmd1", "IO", "f1.txt", "Robot1", "t1", "v1", "v2"}));
        QVERIFY(rcNode->isExpanded());

        auto *ctrl2 = qobject_cast<PanelBase *>(run.mdi()->findForm(rcNode));
        QCOMPARE(ctrl2->m_ZelObj, c);
        QCOMPARE(ctrl2->m_ZelObjs, controllers(ws));
        QVERIFY(!ctrl2->m_KSFObj); // the new panel's mirror is empty
        auto *var2 = qobject_cast<PanelBase *>(run.mdi()->findForm(rcNode->child(5)));
        QCOMPARE(var2->m_ZelObjs, zget(c, "Variables").objectValue());
        QCOMPARE(var2->m_CsrObjPath, u"zel.Controllers(\"rc1\").Variables(\"v1\")"_s);

        // Two panels of one controller: the first deletion leaves it in its collection (its
        // members had only the preloaded panels, so they leave theirs, in tree order), the second
        // removes it.
        QCOMPARE(run.mdi()->useCount(c->identity()), 2);
        QStringList removals;
        for (const char *coll : {"Cmds", "Exts", "Files", "Robots", "Tasks", "Vars", "Vars"})
            removals << u"Wss(\"Default\").Ctrls(\"rc1\").%1.Remove(<3,0>)"_s.arg(QLatin1String(coll)) << "Succeeded.";
        QCOMPARE(run.click(ctrl2, "cmdCtrlDelete"), removals);
        QCOMPARE(run.mdi()->useCount(c->identity()), 1);
        QCOMPARE(zget(controllers(ws), "Count").toInt32(), 2);
        QCOMPARE(run.click(rc1, "cmdCtrlDelete"), (QStringList{"Wss(\"Default\").Ctrls.Remove(<3,0>)", "Succeeded."}));
        QCOMPARE(ws->workspaceDocument()->controllerNames(), QStringList{"rc2"});
    }

    void preloadPairsMirrorEntriesByPosition()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        addController(ws, "a");
        addController(ws, "b");
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        doc->addController("first");
        doc->addController("second");
        const QString path = run.appDir() + "mirror.xml";
        doc->saveAs(path);

        PanelBase *ws2 = openWorkspace(run, "Default", "@KSFFile=" + path);
        QCOMPARE(ws2->workspaceDocument()->controllerNames(), (QStringList{"first", "second"}));
        auto *a2 = qobject_cast<PanelBase *>(run.mdi()->findForm(ws2->m_TreeNode->child(0)));
        auto *b2 = qobject_cast<PanelBase *>(run.mdi()->findForm(ws2->m_TreeNode->child(1)));
        QCOMPARE(a2->windowTitle(), u"Controller - a"_s);
        QCOMPARE(a2->m_KSFObj->name(), u"first"_s);
        QCOMPARE(b2->m_KSFObj->name(), u"second"_s);
    }
};

QTEST_MAIN(TestWorkspace)
#include "tst_workspace.moc"
