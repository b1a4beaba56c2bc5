// The workspace panel: AddController with its option rule, the mirror entry and the recent
// controllers; the capability definition; Get Name, Execute, Controllers.Clear; closing; and the
// panels a workspace that already holds controllers gets when it is opened again.
#include "testsupport.h"

#include "panels/frmWorkspace.h"

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

QStringList childTexts(QTreeWidgetItem *node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
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
        QCOMPARE(run.lastPanel(PanelKind::Controller)->m_TreeNode->parent(), ws->m_TreeNode);

        // With an option the user's text follows a comma; the tick turns events off.
        mark = run.logMark();
        addController(ws, "rc2", "@MessageInterval=0", true);
        QCOMPARE(run.logSince(mark),
                 (QStringList{"Wss(\"Default\").AddController(\"rc2\", \"Zel.Virtual\", \"\", \"@EventDisable=true,@MessageInterval=0\")",
                              "Succeeded."}));

        // The mirror keeps the user's option without the event piece.
        ksf::EntryPtr e1 = ws->workspaceDocument()->findController("rc1");
        QCOMPARE(e1->machineName(), u"cell-1"_s);
        QCOMPARE(e1->option(), QString());
        QCOMPARE(run.lastPanel(PanelKind::Controller)->m_KSFObj->option(), u"@MessageInterval=0"_s);
    }

    void recentControllersLimitOrderAndChoice()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        // A failed add and one without a name are not remembered.
        combo(ws, "cmbProvider")->setEditText("No.Such");
        qsizetype mark = run.logMark();
        addController(ws, "bad");
        QCOMPARE(failuresShort(run.logSince(mark)).value(1), u"Failed."_s);
        QVERIFY(!run.lastPanel(PanelKind::Controller));

        // The engine names a controller added without a name; the mirror names the entry as the
        // engine does.
        combo(ws, "cmbProvider")->setEditText("Zel.Virtual");
        addController(ws, "");
        QCOMPARE(run.lastPanel(PanelKind::Controller)->windowTitle(), u"Controller - Controller1"_s);
        QVERIFY(recentNames(run).isEmpty());
        QVERIFY(run.script().contains(u"dbg.output \"The controller name is not specified.\""));
        QCOMPARE(ws->workspaceDocument()->controllerNames(), QStringList{"Controller1"});

        // Ten at most, the newest first.
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
        QCOMPARE(textOf(ws, "txtOption"), u"k=10"_s);
        QVERIFY(child<QCheckBox>(ws, "chkOnMessage")->isChecked());
        // By keyboard: the arrow key moves to the next record and fills the frame.
        names->setFocus();
        QTest::keyClick(names, Qt::Key_Down);
        QCOMPARE(textOf(ws, "txtMachine"), u"m9"_s);
        QVERIFY(!child<QCheckBox>(ws, "chkOnMessage")->isChecked());

        // Another workspace panel refills its list when it is activated, keeping the typed text.
        PanelBase *ws5 = openWorkspace(run, "Second");
        addController(ws5, "rc7");
        names->setEditText("typed");
        run.mdi()->mdiArea()->setActiveSubWindow(ws->subWindow());
        QCOMPARE(comboItems(names).value(0), u"rc7"_s);
        QCOMPARE(names->currentText(), u"typed"_s);
    }

    void definitionBrowseAndLoad()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        // A definition whose empty-key section describes AddController and offers only Get_Help.
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        ksf::CapabilitySetPtr set = doc->addCapabilitySet(QString());
        set->addOperation(QString())->setArgumentDescription(1, "Controller name");
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

        // Load: the AddController descriptions become tooltips; nothing is logged. Controllers
        // added now get the definition: only Get_Help of the governed buttons.
        fill(ws, {"txtDCFile=" + defs});
        QVERIFY(run.click(ws, "cmdDCLoad").isEmpty());
        QCOMPARE(combo(ws, "cmbController")->toolTip(), u"Controller name"_s);
        const QStringList governed{"cmdGetHelp", "cmdExecute", "cmdGetName"};
        addController(ws, "rc1");
        QCOMPARE(run.lastPanel(PanelKind::Controller)->m_DCEng, ws->m_DCEng);
        QCOMPARE(ownDisabled(run.lastPanel(PanelKind::Controller), governed), QStringList{"cmdExecute"});

        // A file that cannot be read clears the definition silently.
        fill(ws, {"txtDCFile=" + run.appDir() + "missing.xml"});
        QVERIFY(run.click(ws, "cmdDCLoad").isEmpty());
        QVERIFY(!ws->m_DCEng);
        QCOMPARE(combo(ws, "cmbController")->toolTip(), QString());
        addController(ws, "rc2");
        QCOMPARE(ownDisabled(run.lastPanel(PanelKind::Controller), governed), QStringList());
    }

    void getNameExecuteAndClearAreNotRecorded()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        addController(ws, "rc1");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        const QString script = run.script();
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
        QCOMPARE(run.script(), script);

        // Clear keeps the controller's panel. Its Index is -1 now: deleting the panel writes no
        // Remove line and records nothing, and the mirror entry stays (only a removal cleans it up).
        QCOMPARE(ctrl->m_TreeNode->parent(), ws->m_TreeNode);
        QVERIFY(run.click(ctrl, "cmdCtrlDelete").isEmpty());
        QCOMPARE(run.script(), script);
        QVERIFY(!run.panel(ctrl->m_FormID));
        QCOMPARE(ws->workspaceDocument()->controllerNames(), QStringList{"rc1"});
    }

    void deletingAWorkspaceRecordsOnlyItsControllers()
    {
        TestRun run;
        PanelBase *ws = openWorkspace(run, "W2");
        addController(ws, "rc1");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        QString s;
        QCOMPARE(run.click(ws, "cmdDelete", &s), (QStringList{"Wss(\"W2\").Ctrls.Remove(<3,0>)", "Succeeded.", "Wss.Remove(<3,1>)", "Succeeded."}));
        QCOMPARE(s, clsScriptGen::ScriptBlock("zel.Controllers.Remove", -1, 2, "0"));
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

        // A mirror file whose controller entries pair with the preloaded panels by position.
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        doc->addController("first");
        doc->addController("second");
        const QString path = run.appDir() + "mirror.xml";
        doc->saveAs(path);

        // The same workspace name again on the engine panel: a second panel of "Default",
        // with the lines of the engine panel only and nothing recorded.
        const QString script = run.script();
        const qsizetype mark = run.logMark();
        PanelBase *ws2 = openWorkspace(run, "Default", "@KSFFile=" + path);
        QCOMPARE(run.logSince(mark), (QStringList{"AddWorkspace(\"Default\", \"@KSFFile=" + path + "\")", "Succeeded."}));
        QCOMPARE(run.script(), script);
        QVERIFY(ws2 != ws);
        QCOMPARE(ws2->m_ZelObj, ws->m_ZelObj);
        QCOMPARE(childTexts(ws2->m_TreeNode), (QStringList{"rc1", "rc2"}));
        QTreeWidgetItem *rcNode = ws2->m_TreeNode->child(0);
        QCOMPARE(childTexts(rcNode), (QStringList{"cmd1", "IO", "f1.txt", "Robot1", "t1", "v1", "v2"}));
        QVERIFY(rcNode->isExpanded());
        auto *ctrl2 = qobject_cast<PanelBase *>(run.mdi()->findForm(rcNode));
        QCOMPARE(ctrl2->m_ZelObj, c);
        QCOMPARE(ctrl2->m_KSFObj->name(), u"first"_s);
        QCOMPARE(qobject_cast<PanelBase *>(run.mdi()->findForm(ws2->m_TreeNode->child(1)))->m_KSFObj->name(), u"second"_s);
        auto *var2 = qobject_cast<PanelBase *>(run.mdi()->findForm(rcNode->child(5)));
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
};

QTEST_MAIN(TestWorkspace)
#include "tst_workspace.moc"
