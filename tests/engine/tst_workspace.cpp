// The workspace panel through its widgets: AddController with its option rule, the mirror entry
// and the recent controllers; the capability definition; Get Name, Execute, Controllers.Clear;
// closing; and the panels a workspace that already holds controllers gets when it is opened.
#include "testsupport.h"

#include "engine/frmController.h"
#include "engine/frmMessage.h"
#include "engine/frmWorkspace.h"

#include <QCheckBox>
#include <QAbstractButton>
#include <QComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>

using zel::CallKind;
using zel::Value;

namespace {

const QString kReady = QStringLiteral("Ready");

QComboBox *combo(QWidget *panel, const char *name)
{
    return child<QComboBox>(panel, QLatin1String(name));
}

QString status(TestRun &run)
{
    return child<QLabel>(run.mdi(), "stbrMain_1")->text();
}

// Fills the Add Controller frame and presses "&Add...".
void addController(PanelBase *ws, const QString &name, const QString &option = QString(), bool eventsOff = false,
                   const QString &machine = QString())
{
    combo(ws, "cmbController")->setEditText(name);
    setText(ws, "txtMachine", machine);
    setText(ws, "txtOption", option);
    child<QCheckBox>(ws, "chkOnMessage")->setChecked(eventsOff);
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

zel::ObjectPtr member(const zel::ObjectPtr &obj, const char *name)
{
    return obj->invoke(QLatin1String(name), CallKind::PropertyGet, {}).objectValue();
}

zel::ObjectPtr call(const zel::ObjectPtr &obj, const char *method, const QString &a, const QString &b = QString())
{
    return obj->invoke(QLatin1String(method), CallKind::Method, {Value::fromString(a), Value::fromString(b)}).objectValue();
}

// A definition whose empty-key section describes AddController and offers only Get_Help.
QString writeDefinition(const QString &dir)
{
    ksf::DocumentPtr doc = ksf::Document::createEmpty();
    ksf::CapabilitySetPtr set = doc->addCapabilitySet(QString());
    ksf::OperationPtr add = set->addOperation(QString());
    add->setArgumentDescription(1, QStringLiteral("Controller name"));
    add->setArgumentDescription(2, QStringLiteral("Controller option"));
    set->addOperation(QStringLiteral("Get_Help"));
    QString path = dir + QStringLiteral("defs.xml");
    doc->saveAs(path);
    return path;
}

// The access keys of the controls that take input now; a key that two of them carry.
QStringList duplicateAccessKeys(QWidget *panel)
{
    QHash<QString, QStringList> owners;
    auto note = [&](const QString &text, const QString &owner) {
        QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            owners[key.toString()] << owner;
    };
    for (QWidget *w : panel->findChildren<QWidget *>()) {
        if (!w->isVisible() || !w->isEnabled())
            continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            note(b->text(), b->objectName());
        else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy())
            note(l->text(), l->buddy()->objectName());
        else if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < bar->count(); ++i)
                note(bar->tabText(i), bar->tabText(i));
        }
    }
    QStringList twice;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        if (it->size() > 1)
            twice << it.key() + ": " + it->join(", ");
    }
    return twice;
}

} // namespace

class TestWorkspace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addControllerOptionAndLines()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        QCOMPARE(comboItems(combo(ws, "cmbProvider")), QStringList{"Zel.Virtual"});
        QCOMPARE(combo(ws, "cmbProvider")->currentText(), QStringLiteral("Zel.Virtual"));

        // Check box clear, no option: exactly the event piece.
        qsizetype mark = run.logMark();
        addController(ws, "rc1", QString(), false, "cell-1");
        QCOMPARE(run.logSince(mark),
                 (QStringList{"Wss(\"Default\").AddController(\"rc1\", \"Zel.Virtual\", \"cell-1\", \"@EventDisable=false\")",
                              "Succeeded."}));
        QCOMPARE(run.state().script.body(),
                 QStringLiteral("\tdbg.output \"[EXE]-zel.AddController('rc1', 'Zel.Virtual', 'cell-1', '@EventDisable=false')\"\r\n"
                                "\tCall zel.AddController(\"rc1\", \"Zel.Virtual\", \"cell-1\", \"@EventDisable=false\")\r\n"
                                "\tdbg.output \"Succeeded.\"\r\n\r\n"));
        QCOMPARE(status(run), kReady);
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        QVERIFY(ctrl);
        QCOMPARE(ctrl->windowTitle(), QStringLiteral("Controller - rc1"));
        QCOMPARE(ctrl->m_LogObjPath, QStringLiteral("Wss(\"Default\").Ctrls(\"rc1\")"));
        QCOMPARE(ctrl->m_CsrObjPath, QStringLiteral("zel.Controllers(\"rc1\")"));
        QCOMPARE(ctrl->m_TreeNode->parent(), ws->m_TreeNode);
        QVERIFY(ws->m_TreeNode->isExpanded());
        QVERIFY(ctrl->subWindow()->isVisible());
        QCOMPARE(ctrl->m_ZelObjs, member(ws->m_ZelObj, "Controllers"));

        // With an option the user's text follows a comma; the tick turns events off.
        mark = run.logMark();
        addController(ws, "rc2", "@MessageInterval=0", true);
        QCOMPARE(run.logSince(mark).first(),
                 QStringLiteral("Wss(\"Default\").AddController(\"rc2\", \"Zel.Virtual\", \"\", \"@EventDisable=true,@MessageInterval=0\")"));
        QCOMPARE(run.logSince(mark).last(), QStringLiteral("Succeeded."));
        QCOMPARE(frmWorkspace::controllerOption(false, "x"), QStringLiteral("@EventDisable=false,x"));

        // The mirror keeps the user's option without the event piece.
        ksf::EntryPtr e1 = ws->workspaceDocument()->findController("rc1");
        ksf::EntryPtr e2 = ws->workspaceDocument()->findController("rc2");
        QVERIFY(e1 && e2);
        QCOMPARE(e1->providerName(), QStringLiteral("Zel.Virtual"));
        QCOMPARE(e1->machineName(), QStringLiteral("cell-1"));
        QCOMPARE(e1->option(), QString());
        QCOMPARE(e2->option(), QStringLiteral("@MessageInterval=0"));
        QCOMPARE(run.lastPanel(PanelKind::Controller)->m_KSFObj, e2);
        QCOMPARE(ws->workspaceDocument()->controllerNames(), (QStringList{"rc1", "rc2"}));
    }

    void failedAddLeavesRecentListAlone()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        combo(ws, "cmbProvider")->setEditText("No.Such");
        qsizetype mark = run.logMark();
        addController(ws, "bad");
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith("Failed. (0x8004A200: AddController: provider 'No.Such' is unknown"));
        QVERIFY(!run.lastPanel(PanelKind::Controller));
        QVERIFY(recentNames(run).isEmpty());
        QCOMPARE(status(run), kReady);

        // A malformed option fails in the engine as well.
        combo(ws, "cmbProvider")->setEditText("Zel.Virtual");
        addController(ws, "bad", "@MessageInterval=abc");
        QVERIFY(run.logMessages().last().startsWith("Failed. (0x8004A201:"));
        QVERIFY(recentNames(run).isEmpty());

        // An empty name adds a controller the engine names, but remembers nothing.
        mark = run.logMark();
        addController(ws, "");
        QCOMPARE(run.logSince(mark).last(), QStringLiteral("Succeeded."));
        QCOMPARE(run.lastPanel(PanelKind::Controller)->windowTitle(), QStringLiteral("Controller - Controller1"));
        QVERIFY(recentNames(run).isEmpty());
        QVERIFY(run.state().script.body().contains("dbg.output \"The controller name is not specified.\""));
        // The mirror names the entry as the engine does.
        QCOMPARE(ws->workspaceDocument()->controllerNames(), QStringList{"Controller1"});
    }

    void recentControllersLimitOrderAndChoice()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        for (int i = 1; i <= 11; ++i)
            addController(ws, QStringLiteral("c%1").arg(i), QStringLiteral("k=%1").arg(i), i % 2 == 0,
                          QStringLiteral("m%1").arg(i));
        QCOMPARE(recentNames(run), (QStringList{"c11", "c10", "c9", "c8", "c7", "c6", "c5", "c4", "c3", "c2"}));
        QCOMPARE(comboItems(combo(ws, "cmbController")), recentNames(run));
        // The typed text stays after the refill.
        QCOMPARE(combo(ws, "cmbController")->currentText(), QStringLiteral("c11"));

        // Adding an existing name again (the engine hands back the same controller) moves it
        // to the front without a duplicate.
        addController(ws, "c5", "k=55");
        QCOMPARE(recentNames(run), (QStringList{"c5", "c11", "c10", "c9", "c8", "c7", "c6", "c4", "c3", "c2"}));
        QCOMPARE(run.state().preloaded.items().first().m_OptionVal, QStringLiteral("k=55"));

        // Choosing a recent controller fills provider, machine, option and the check box.
        QComboBox *names = combo(ws, "cmbController");
        combo(ws, "cmbProvider")->setEditText(QString());
        setText(ws, "txtMachine", "");
        setText(ws, "txtOption", "");
        child<QCheckBox>(ws, "chkOnMessage")->setChecked(false);
        names->setCurrentIndex(2); // c10: machine m10, events off
        Q_EMIT names->activated(2);
        QCOMPARE(combo(ws, "cmbProvider")->currentText(), QStringLiteral("Zel.Virtual"));
        QCOMPARE(textOf(ws, "txtMachine"), QStringLiteral("m10"));
        QCOMPARE(textOf(ws, "txtOption"), QStringLiteral("k=10"));
        QVERIFY(child<QCheckBox>(ws, "chkOnMessage")->isChecked());
        // By keyboard: the arrow key moves to the next record and fills the frame.
        names->setFocus();
        QTest::keyClick(names, Qt::Key_Down);
        QCOMPARE(names->currentText(), QStringLiteral("c9"));
        QCOMPARE(textOf(ws, "txtMachine"), QStringLiteral("m9"));
        QVERIFY(!child<QCheckBox>(ws, "chkOnMessage")->isChecked());
    }

    void recentListRefilledOnActivation()
    {
        TestRun run;
        PanelBase *ws4 = run.panel(4);
        PanelBase *engine = run.panel(2);
        setText(engine, "txtWSName", "Second");
        clickButton(engine, "cmdAddWS");
        PanelBase *ws5 = run.lastPanel(PanelKind::Workspace);
        QVERIFY(ws5 != ws4);
        addController(ws5, "rc7");
        QCOMPARE(comboItems(combo(ws5, "cmbController")), QStringList{"rc7"});
        QVERIFY(comboItems(combo(ws4, "cmbController")).isEmpty());
        combo(ws4, "cmbController")->setEditText("typed");
        run.mdi()->mdiArea()->setActiveSubWindow(ws4->subWindow());
        QCOMPARE(comboItems(combo(ws4, "cmbController")), QStringList{"rc7"});
        QCOMPARE(combo(ws4, "cmbController")->currentText(), QStringLiteral("typed"));
    }

    void definitionBrowseAndLoad()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        QString defs = writeDefinition(run.appDir());

        // Browse: the open dialog starts in the program's folder; cancelling empties the box.
        QString title, filter, dir;
        onNextModal([&](QWidget *modal) {
            auto *d = qobject_cast<QFileDialog *>(modal);
            title = d->windowTitle();
            filter = d->nameFilters().join(";");
            dir = d->directory().absolutePath() + "/";
            acceptFileDialog(modal, defs);
        });
        clickButton(ws, "cmdOpenDCFile");
        QCOMPARE(title, QStringLiteral("Load KSF"));
        QCOMPARE(filter, QStringLiteral("KSF File (*.xml)"));
        QCOMPARE(QFileInfo(dir).canonicalFilePath(), QFileInfo(run.appDir()).canonicalFilePath());
        QCOMPARE(textOf(ws, "txtDCFile"), defs);
        onNextModal([](QWidget *modal) { acceptFileDialog(modal, QString()); });
        clickButton(ws, "cmdOpenDCFile");
        QCOMPARE(textOf(ws, "txtDCFile"), QString());

        // Load: the AddController descriptions become tooltips; nothing is logged.
        setText(ws, "txtDCFile", defs);
        qsizetype mark = run.logMark();
        clickButton(ws, "cmdDCLoad");
        QVERIFY(ws->m_DCEng);
        QCOMPARE(combo(ws, "cmbController")->toolTip(), QStringLiteral("Controller name"));
        QCOMPARE(child<QLineEdit>(ws, "txtOption")->toolTip(), QStringLiteral("Controller option"));

        // Controllers added now get the definition: only Get_Help of the governed buttons.
        addController(ws, "rc1");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        QCOMPARE(ctrl->m_DCEng, ws->m_DCEng);
        QVERIFY(child<QPushButton>(ctrl, "cmdGetHelp")->isEnabled());
        QVERIFY(!child<QPushButton>(ctrl, "cmdGetAttr")->isEnabled());
        QVERIFY(!child<QPushButton>(ctrl, "cmdExecute")->isEnabled());
        QVERIFY(child<QPushButton>(ctrl, "cmdGetName")->isEnabled());

        // A file that cannot be read clears the definition silently.
        setText(ws, "txtDCFile", run.appDir() + "missing.xml");
        mark = run.logMark();
        clickButton(ws, "cmdDCLoad");
        QVERIFY(run.logSince(mark).isEmpty());
        QVERIFY(!ws->m_DCEng);
        QCOMPARE(combo(ws, "cmbController")->toolTip(), QString());
        QCOMPARE(child<QLineEdit>(ws, "txtOption")->toolTip(), QString());
        // ...and controllers added afterwards have every operation.
        addController(ws, "rc2");
        ctrl = run.lastPanel(PanelKind::Controller);
        QVERIFY(!ctrl->m_DCEng);
        // (a button of a page that is not selected is only off with its page)
        for (const char *b : {"cmdGetAttr", "cmdGetHelp", "cmdGetID", "cmdPutID", "cmdExecute", "cmdGetNames_0", "cmdGetNames_5"})
            QVERIFY2(!child<QPushButton>(ctrl, b)->testAttribute(Qt::WA_ForceDisabled), b);
    }

    void getNameExecuteClearAreNotRecorded()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        qsizetype mark = run.logMark();
        clickButton(ws, "cmdGetName");
        QCOMPARE(textOf(ws, "txtWSName"), QStringLiteral("Default"));
        setText(ws, "txtCommand", "Echo");
        setText(ws, "txtParameter", "hi");
        clickButton(ws, "cmdExecute");
        QCOMPARE(textOf(ws, "txtResult"), QStringLiteral("hi (BSTR)"));
        clickButton(ws, "cmdCtrlClear");
        QCOMPARE(run.logSince(mark), (QStringList{"Wss(\"Default\").get_Name()", "Succeeded. (\"Default\")",
                                                  "Wss(\"Default\").Execute(\"Echo\", <8,hi>)", "Succeeded. (<8,hi>)",
                                                  "Wss(\"Default\").Ctrls.Clear()", "Succeeded."}));
        QVERIFY(run.state().script.body().isEmpty());
        QCOMPARE(status(run), kReady);

        // A failing Execute writes the failure line and keeps the result box.
        setText(ws, "txtCommand", "NoSuchCommand");
        mark = run.logMark();
        clickButton(ws, "cmdExecute");
        QCOMPARE(run.logSince(mark).size(), 2);
        QVERIFY(run.logSince(mark)[1].startsWith("Failed. (0x"));
        QCOMPARE(textOf(ws, "txtResult"), QStringLiteral("hi (BSTR)"));
    }

    void clearKeepsPanelsAndLaterDeleteRemovesNothing()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        addController(ws, "rc1");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        zel::ObjectPtr controllers = member(ws->m_ZelObj, "Controllers");
        clickButton(ws, "cmdCtrlClear");
        QCOMPARE(controllers->invoke("Count", CallKind::PropertyGet, {}).toInt32(), 0);
        QVERIFY(run.panel(ctrl->m_FormID));
        QCOMPARE(ctrl->m_TreeNode->parent(), ws->m_TreeNode);
        // Its Index is -1 now: deleting the panel writes no Remove line and records nothing,
        // but the mirror entry stays (only a removal cleans it up).
        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        clickButton(ctrl, "cmdCtrlDelete");
        QVERIFY(run.logSince(mark).isEmpty());
        QCOMPARE(run.state().script.body(), script);
        QVERIFY(!run.panel(ctrl->m_FormID));
        QCOMPARE(ws->m_TreeNode->childCount(), 0);
        QCOMPARE(ws->workspaceDocument()->controllerNames(), QStringList{"rc1"});
    }

    void deleteAndHideTheWorkspace()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        setText(engine, "txtWSName", "W2");
        clickButton(engine, "cmdAddWS");
        PanelBase *ws = run.lastPanel(PanelKind::Workspace);
        addController(ws, "rc1");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        QCOMPARE(ctrl->m_LogObjPath, QStringLiteral("Wss(\"W2\").Ctrls(\"rc1\")"));

        clickButton(ws, "cmdHide");
        QVERIFY(!ws->subWindow()->isVisible());
        QVERIFY(run.panel(ws->m_FormID));

        QString scriptBefore = run.state().script.body();
        qsizetype mark = run.logMark();
        clickButton(ws, "cmdDelete");
        QCOMPARE(run.logSince(mark), (QStringList{"Wss(\"W2\").Ctrls.Remove(<3,0>)", "Succeeded.", "Wss.Remove(<3,1>)",
                                                  "Succeeded."}));
        // Only the controller's removal is recorded.
        QCOMPARE(run.state().script.body().mid(scriptBefore.size()),
                 QStringLiteral("\tdbg.output \"[EXE]-zel.Controllers.Remove(0)\"\r\n\tCall zel.Controllers.Remove(0)\r\n"
                                "\tdbg.output \"Succeeded.\"\r\n\r\n"));
        QCOMPARE(run.state().workspaces->invoke("Count", CallKind::PropertyGet, {}).toInt32(), 1);
        QVERIFY(!run.panel(ws->m_FormID));
        QVERIFY(!run.panel(ctrl->m_FormID));
    }

    void preloadedPanelsForASecondPanel()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        addController(ws, "rc1");
        addController(ws, "rc2");
        PanelBase *rc1 = nullptr;
        for (PanelBase *p : run.mdi()->findChildren<PanelBase *>()) {
            if (p->kind() == PanelKind::Controller && p->windowTitle() == "Controller - rc1")
                rc1 = p;
        }
        QVERIFY(rc1);
        zel::ObjectPtr c = rc1->m_ZelObj;
        // Members in an order that differs from the kind order of the preload.
        call(c, "AddVariable", "v1");
        call(c, "AddVariable", "v2");
        call(c, "AddRobot", "Robot1");
        call(c, "AddCommand", "cmd1");
        call(c, "AddTask", "t1");
        call(c, "AddFile", "f1.txt");
        call(c, "AddExtension", "IO");

        // The same workspace name again on the engine panel: a second panel of "Default".
        PanelBase *engine = run.panel(2);
        setText(engine, "txtWSName", "Default");
        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        clickButton(engine, "cmdAddWS");
        QCOMPARE(run.logSince(mark), (QStringList{"AddWorkspace(\"Default\", \"\")", "Succeeded."}));
        QCOMPARE(run.state().script.body(), script);

        PanelBase *ws2 = run.lastPanel(PanelKind::Workspace);
        QVERIFY(ws2 != ws);
        QCOMPARE(ws2->m_ZelObj, ws->m_ZelObj);
        QTreeWidgetItem *node = ws2->m_TreeNode;
        QCOMPARE(node->childCount(), 2);
        QCOMPARE(node->child(0)->text(0), QStringLiteral("rc1"));
        QCOMPARE(node->child(1)->text(0), QStringLiteral("rc2"));
        QTreeWidgetItem *rcNode = node->child(0);
        QStringList children;
        for (int i = 0; i < rcNode->childCount(); ++i)
            children << rcNode->child(i)->text(0);
        QCOMPARE(children, (QStringList{"cmd1", "IO", "f1.txt", "Robot1", "t1", "v1", "v2"}));
        QVERIFY(rcNode->isExpanded());

        auto *ctrl2 = qobject_cast<PanelBase *>(run.mdi()->findForm(rcNode));
        QVERIFY(ctrl2);
        QCOMPARE(ctrl2->m_ZelObj, c);
        QCOMPARE(ctrl2->m_ZelObjs, member(ws->m_ZelObj, "Controllers"));
        QCOMPARE(ctrl2->m_LogObjPath, QStringLiteral("Wss(\"Default\").Ctrls(\"rc1\")"));
        QVERIFY(!ctrl2->m_KSFObj); // the new panel's mirror is empty
        auto *var2 = qobject_cast<PanelBase *>(run.mdi()->findForm(rcNode->child(5)));
        QCOMPARE(var2->kind(), PanelKind::Variable);
        QCOMPARE(var2->m_ZelObjs, member(c, "Variables"));
        QCOMPARE(var2->m_LogObjPath, QStringLiteral("Wss(\"Default\").Ctrls(\"rc1\").Vars(\"v1\")"));
        QCOMPARE(var2->m_CsrObjPath, QStringLiteral("zel.Controllers(\"rc1\").Variables(\"v1\")"));

        // Two panels of one controller: the first deletion leaves it in its collection (its
        // members had only the preloaded panels, so they leave theirs, in tree order), the second
        // removes it.
        QCOMPARE(run.mdi()->useCount(c->identity()), 2);
        mark = run.logMark();
        clickButton(ctrl2, "cmdCtrlDelete");
        QStringList removals;
        for (const char *coll : {"Cmds", "Exts", "Files", "Robots", "Tasks", "Vars", "Vars"})
            removals << QStringLiteral("Wss(\"Default\").Ctrls(\"rc1\").%1.Remove(<3,0>)").arg(QLatin1String(coll)) << "Succeeded.";
        QCOMPARE(run.logSince(mark), removals);
        QCOMPARE(run.mdi()->useCount(c->identity()), 1);
        QCOMPARE(member(ws->m_ZelObj, "Controllers")->invoke("Count", CallKind::PropertyGet, {}).toInt32(), 2);
        mark = run.logMark();
        clickButton(rc1, "cmdCtrlDelete");
        QCOMPARE(run.logSince(mark), (QStringList{"Wss(\"Default\").Ctrls.Remove(<3,0>)", "Succeeded."}));
        QCOMPARE(ws->workspaceDocument()->controllerNames(), QStringList{"rc2"});
    }

    void accessKeysAreUniqueInEveryPanel()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        ws->showPanel();
        QCOMPARE(duplicateAccessKeys(ws), QStringList());
        addController(ws, "rc1");
        PanelBase *ctrl = run.lastPanel(PanelKind::Controller);
        auto *tabs = child<QTabWidget>(ctrl, "tabController");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            QCOMPARE(duplicateAccessKeys(ctrl), QStringList());
        }
        setText(ctrl, "txtName_0", "v1");
        tabs->setCurrentIndex(0);
        clickButton(ctrl, "cmdVariable");
        QCOMPARE(duplicateAccessKeys(run.lastPanel(PanelKind::Variable)), QStringList());
        ctrl->m_ZelObj->invoke("Execute", CallKind::Method, {Value::fromString("RaiseMessage"), Value::fromString("m")});
        QCoreApplication::processEvents();
        frmMessage *message = qobject_cast<frmController *>(ctrl)->m_ZelMess.item("1");
        QVERIFY(message);
        message->showInFront();
        QCOMPARE(duplicateAccessKeys(message), QStringList());
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
        QString path = run.appDir() + "mirror.xml";
        doc->saveAs(path);

        PanelBase *engine = run.panel(2);
        setText(engine, "txtWSName", "Default");
        setText(engine, "txtWsOption", "@KSFFile=" + path);
        clickButton(engine, "cmdAddWS");
        PanelBase *ws2 = run.lastPanel(PanelKind::Workspace);
        QCOMPARE(ws2->workspaceDocument()->controllerNames(), (QStringList{"first", "second"}));
        auto *a2 = qobject_cast<PanelBase *>(run.mdi()->findForm(ws2->m_TreeNode->child(0)));
        auto *b2 = qobject_cast<PanelBase *>(run.mdi()->findForm(ws2->m_TreeNode->child(1)));
        QCOMPARE(a2->windowTitle(), QStringLiteral("Controller - a"));
        QCOMPARE(a2->m_KSFObj->name(), QStringLiteral("first"));
        QCOMPARE(b2->m_KSFObj->name(), QStringLiteral("second"));
    }
};

QTEST_MAIN(TestWorkspace)
#include "tst_workspace.moc"
