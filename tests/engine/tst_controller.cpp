// The controller panel's member side and properties through its widgets: the six pages, Add
// with typed and reported names, names lists, Clear, the capability binding and closing.
#include "testsupport.h"

#include "engine/frmController.h"
#include "shell/clsScriptGen.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

using zel::CallKind;
using zel::Value;

namespace {

const QString kCtrl = QStringLiteral("Wss(\"Default\").Ctrls(\"rc1\")");
const QString kCtrlScript = QStringLiteral("zel.Controllers(\"rc1\")");

PanelBase *addController(TestRun &run, const QString &name = QStringLiteral("rc1"))
{
    PanelBase *ws = run.panel(4);
    child<QComboBox>(ws, "cmbController")->setEditText(name);
    clickButton(ws, "cmdOpen");
    return run.lastPanel(PanelKind::Controller);
}

QTabWidget *tabs(PanelBase *ctrl)
{
    return child<QTabWidget>(ctrl, "tabController");
}

// Selects a page the way the user does: a click on its tab.
void selectPage(PanelBase *ctrl, int page)
{
    QTabBar *bar = tabs(ctrl)->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    QCOMPARE(tabs(ctrl)->currentIndex(), page);
}

const char *const kAddButtons[] = {"cmdVariable", "cmdGetRobot", "cmdGetFile", "cmdGetTask", "cmdGetExtension", "cmdGetCommand"};
const char *const kOptionBoxes[] = {"txtVarOption", "txtRobotOption", "txtFileOption", "txtTaskOption", "txtExtOption", "txtCmdOption"};
const char *const kNamesOptions[] = {"txtVarNamesOption", "txtRobotNamesOption", "txtFileNamesOption",
                                     "txtTaskNamesOption", "txtExtNamesOption", "txtCmdNamesOption"};
const char *const kClearButtons[] = {"cmdVarClear", "cmdRobotClear", "cmdFileClear", "cmdTaskClear", "cmdExtClear", "cmdCmdClear"};

// Adds a member on a page through its frame.
void addOnPage(PanelBase *ctrl, int page, const QString &name, const QString &option = QString())
{
    selectPage(ctrl, page);
    setText(ctrl, QStringLiteral("txtName_%1").arg(page), name);
    setText(ctrl, QLatin1String(kOptionBoxes[page]), option);
    clickButton(ctrl, QLatin1String(kAddButtons[page]));
}

QString status(TestRun &run)
{
    return child<QLabel>(run.mdi(), "stbrMain_1")->text();
}

zel::ObjectPtr collection(const zel::ObjectPtr &obj, const QString &name)
{
    return obj->invoke(name, CallKind::PropertyGet, {}).objectValue();
}

qint32 countOf(const zel::ObjectPtr &coll)
{
    return coll->invoke("Count", CallKind::PropertyGet, {}).toInt32();
}

QString block(const QString &code, int retType, int style, const QString &arg)
{
    return clsScriptGen::ScriptBlock(code, retType, style, arg);
}

} // namespace

class TestController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void onlyTheSelectedPageTakesInput()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        QTabWidget *t = tabs(ctrl);
        QCOMPARE(t->count(), frmController::PageCount);
        QStringList captions;
        for (int i = 0; i < t->count(); ++i)
            captions << t->tabText(i);
        QCOMPARE(captions, (QStringList{" Var&iable", " &Robot", " Fi&le", " &Task", " Exte&nsion", " C&ommand"}));
        for (int page : {0, 3, 5, 1, 0}) {
            if (page != t->currentIndex())
                selectPage(ctrl, page);
            for (int i = 0; i < frmController::PageCount; ++i) {
                QWidget *pic = child<QWidget>(ctrl, QStringLiteral("PicFrame_%1").arg(i));
                QCOMPARE(pic->isEnabled(), i == page);
                QCOMPARE(child<QPushButton>(ctrl, kAddButtons[i])->isEnabled(), i == page);
            }
        }
        // The tab's access key selects its page.
        ctrl->showPanel();
        QApplication::setActiveWindow(run.mdi());
        child<QWidget>(ctrl, "txtPutTag")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
        QCOMPARE(t->currentIndex(), 2);
        QVERIFY(child<QWidget>(ctrl, "PicFrame_2")->isEnabled());
        QVERIFY(!child<QWidget>(ctrl, "PicFrame_0")->isEnabled());
    }

    void addOnEveryPage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("logColl");
        QTest::addColumn<QString>("scriptColl");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("kindWord");
        QTest::newRow("variable") << 0 << "v1" << "AddVariable" << "Vars" << "Variables" << int(PanelKind::Variable) << "Variable";
        QTest::newRow("robot") << 1 << "Robot1" << "AddRobot" << "Robots" << "Robots" << int(PanelKind::Robot) << "Robot";
        QTest::newRow("file") << 2 << "a.txt" << "AddFile" << "Files" << "Files" << int(PanelKind::File) << "File";
        QTest::newRow("task") << 3 << "t1" << "AddTask" << "Tasks" << "Tasks" << int(PanelKind::Task) << "Task";
        QTest::newRow("extension") << 4 << "IO" << "AddExtension" << "Exts" << "Extensions" << int(PanelKind::Extension) << "Extension";
        QTest::newRow("command") << 5 << "c1" << "AddCommand" << "Cmds" << "Commands" << int(PanelKind::Command) << "Command";
    }

    void addOnEveryPage()
    {
        QFETCH(int, page);
        QFETCH(QString, name);
        QFETCH(QString, op);
        QFETCH(QString, logColl);
        QFETCH(QString, scriptColl);
        QFETCH(int, kind);
        QFETCH(QString, kindWord);
        QStringList seen; // outlives the run, whose closing still writes lines
        TestRun run;
        PanelBase *ctrl = addController(run);
        // The status bar while the action writes its lines, and after.
        auto *label = child<QLabel>(run.mdi(), "stbrMain_1");
        QObject::connect(run.mdi()->logPane(), &QPlainTextEdit::textChanged, label, [&] { seen << label->text(); });

        selectPage(ctrl, page);
        setText(ctrl, QStringLiteral("txtName_%1").arg(page), name);
        setText(ctrl, QLatin1String(kOptionBoxes[page]), "");
        auto *button = child<QPushButton>(ctrl, QLatin1String(kAddButtons[page]));

        // A failing Add: the failure line, no panel, "Ready".
        ctrl->m_ZelObj->invoke("Execute", CallKind::Method,
                               {Value::fromString("InjectFault"), Value::fromString("Operation=" + op)});
        qsizetype mark = run.logMark();
        seen.clear();
        button->click();
        QStringList failed = run.logSince(mark);
        QCOMPARE(failed.size(), 2);
        QVERIFY(failed[1].startsWith("Failed. (0x8004A006:"));
        QVERIFY(!run.lastPanel(PanelKind(kind)));
        QCOMPARE(seen.first(), QStringLiteral("Add %1...").arg(kindWord));
        QCOMPARE(label->text(), QStringLiteral("Ready"));

        mark = run.logMark();
        QString script = run.state().script.body();
        seen.clear();
        button->click();
        QString args = QStringLiteral("\"%1\", \"\"").arg(name);
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + "." + op + "(" + args + ")", "Succeeded."}));
        QCOMPARE(run.state().script.body().mid(script.size()), block(kCtrlScript + "." + op, 9, 2, args));
        QCOMPARE(seen, (QStringList{QStringLiteral("Add %1...").arg(kindWord), QStringLiteral("Add %1...").arg(kindWord)}));
        QCOMPARE(label->text(), QStringLiteral("Ready"));

        PanelBase *m = run.lastPanel(PanelKind(kind));
        QVERIFY(m);
        QCOMPARE(m->m_TreeNode->parent(), ctrl->m_TreeNode);
        QCOMPARE(m->m_TreeNode->text(0), name);
        QVERIFY(ctrl->m_TreeNode->isExpanded());
        QVERIFY(m->subWindow()->isVisible());
        QCOMPARE(m->m_ZelObjs, collection(ctrl->m_ZelObj, scriptColl));
        QCOMPARE(m->m_LogObjPath, kCtrl + "." + logColl + "(\"" + name + "\")");
        QCOMPARE(m->m_CsrObjPath, kCtrlScript + "." + scriptColl + "(\"" + name + "\")");
        // The mirror holds the entry below the controller's.
        QVERIFY(m->m_KSFObj);
        QCOMPARE(m->m_KSFObj->kind(), kind);
        QCOMPARE(ctrl->m_KSFObj->findMember(kind, name), m->m_KSFObj);

        // Clear on the same page, with its own status text.
        seen.clear();
        mark = run.logMark();
        script = run.state().script.body();
        clickButton(ctrl, QLatin1String(kClearButtons[page]));
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + "." + logColl + ".Clear()", "Succeeded."}));
        QCOMPARE(run.state().script.body().mid(script.size()), block(kCtrlScript + "." + scriptColl + ".Clear", -1, 2, ""));
        QCOMPARE(seen.first(), QStringLiteral("Clear %1...").arg(kindWord));
        QCOMPARE(label->text(), QStringLiteral("Ready"));
        QCOMPARE(countOf(m->m_ZelObjs), 0);
        QVERIFY(run.panel(m->m_FormID));
    }

    void typedAndReportedNames()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        // The engine spells its system variable its own way.
        addOnPage(ctrl, 0, "@eventdisable", "");
        PanelBase *v = run.lastPanel(PanelKind::Variable);
        QCOMPARE(run.logMessages().at(run.logMark() - 2), kCtrl + ".AddVariable(\"@eventdisable\", \"\")");
        QCOMPARE(v->windowTitle(), QStringLiteral("Variable - @EventDisable"));
        QCOMPARE(v->m_TreeNode->text(0), QStringLiteral("@EventDisable"));
        QCOMPARE(v->m_LogObjPath, kCtrl + ".Vars(\"@EventDisable\")");
        QCOMPARE(v->m_CsrObjPath, kCtrlScript + ".Variables(\"@EventDisable\")");
        // The mirror keeps the typed name, with the typed option.
        QCOMPARE(v->m_KSFObj->name(), QStringLiteral("@eventdisable"));
        addOnPage(ctrl, 0, "", "");
        PanelBase *generated = run.lastPanel(PanelKind::Variable);
        QCOMPARE(generated->windowTitle(), QStringLiteral("Variable - Variable1"));
        QCOMPARE(generated->m_KSFObj->name(), QString());
        addOnPage(ctrl, 1, "arm", "");
        QCOMPARE(run.lastPanel(PanelKind::Robot)->m_KSFObj->name(), QStringLiteral("arm"));

        // Deleting the variable removes the entry of the typed name from the mirror.
        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        run.mdi()->DeleteForm(v->m_TreeNode);
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".Vars.Remove(<3,0>)", "Succeeded."}));
        QCOMPARE(run.state().script.body().mid(script.size()), block(kCtrlScript + ".Variables.Remove", -1, 2, "0"));
        QVERIFY(!ctrl->m_KSFObj->findMember(ksf::Variable, "@eventdisable"));
        QVERIFY(ctrl->m_KSFObj->findMember(ksf::Variable, ""));

        // The same member typed again in other letters: a second panel of one object.
        addOnPage(ctrl, 0, "VARIABLE1", "");
        PanelBase *again = run.lastPanel(PanelKind::Variable);
        QVERIFY(again != generated);
        QCOMPARE(again->m_ZelObj, generated->m_ZelObj);
        QCOMPARE(run.mdi()->useCount(generated->m_ZelObj->identity()), 2);
        QCOMPARE(again->m_LogObjPath, kCtrl + ".Vars(\"Variable1\")");
    }

    void capabilityLookUpUsesTheTypedName()
    {
        TestRun run;
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        ksf::EntryPtr entry = doc->addController("");
        entry->addMember(ksf::Variable, "");
        entry->addMember(ksf::Variable, "Variable1");
        doc->addCapabilitySet(QString())->addOperation("Get_Help");
        doc->addCapabilitySet(ksf::Variable, QString(), QString())->addOperation("Get_Value");
        ksf::CapabilitySetPtr full = doc->addCapabilitySet(ksf::Variable, QString(), "Variable1");
        for (const char *op : {"Get_Attribute", "Get_Help", "Put_ID", "Get_ID", "Get_DateTime", "Get_Microsecond", "Put_Value", "Get_Value"})
            full->addOperation(op);
        QString path = run.appDir() + "defs.xml";
        doc->saveAs(path);
        PanelBase *ws = run.panel(4);
        setText(ws, "txtDCFile", path);
        clickButton(ws, "cmdDCLoad");
        PanelBase *ctrl = addController(run);
        QCOMPARE(ctrl->m_DCEntry, doc->controllers().isEmpty() ? nullptr : ws->m_DCEng->findController(""));

        // Typed "" (the engine names it Variable1): the default entry, so only Get_Value.
        addOnPage(ctrl, 0, "", "");
        PanelBase *v = run.lastPanel(PanelKind::Variable);
        QCOMPARE(v->windowTitle(), QStringLiteral("Variable - Variable1"));
        QCOMPARE(v->m_DCEntry->name(), QString());
        QVERIFY(child<QPushButton>(v, "cmdGetValue")->isEnabled());
        QVERIFY(!child<QPushButton>(v, "cmdPutValue")->isEnabled());
        // Typed "Variable1": its own entry and set.
        addOnPage(ctrl, 0, "Variable1", "");
        v = run.lastPanel(PanelKind::Variable);
        QCOMPARE(v->m_DCEntry->name(), QStringLiteral("Variable1"));
        QVERIFY(child<QPushButton>(v, "cmdPutValue")->isEnabled());
    }

    void namesListsAndTheirClicks()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        addOnPage(ctrl, 0, "speed", "");
        Value expected = ctrl->m_ZelObj->invoke("VariableNames", CallKind::PropertyGet, {Value::fromString("")});
        QVERIFY(expected.isArray());

        selectPage(ctrl, 0);
        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        clickButton(ctrl, "cmdGetNames_0");
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".get_VariableNames(\"\")",
                                                  "Succeeded. (<" + clsLogMsg::LogText(expected) + ">)"}));
        QCOMPARE(run.state().script.body().mid(script.size()), block(kCtrlScript + ".VariableNames", 12, 1, "\"\""));
        auto *list = child<QListWidget>(ctrl, "lstNames_0");
        QCOMPARE(list->count(), expected.arrayValue().items.size());
        QList<QListWidgetItem *> found = list->findItems("speed", Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        QCOMPARE(textOf(ctrl, "txtName_0"), QStringLiteral("speed"));

        // The option goes to the engine; a second request replaces the list.
        setText(ctrl, "txtVarNamesOption", "Filter=@*");
        clickButton(ctrl, "cmdGetNames_0");
        QVERIFY(list->findItems("speed", Qt::MatchExactly).isEmpty());
        QVERIFY(list->count() > 0);
        QCOMPARE(run.logMessages().at(run.logMark() - 2), kCtrl + ".get_VariableNames(\"Filter=@*\")");

        // A failing request leaves the list empty.
        ctrl->m_ZelObj->invoke("Execute", CallKind::Method,
                               {Value::fromString("InjectFault"), Value::fromString("Operation=VariableNames")});
        mark = run.logMark();
        clickButton(ctrl, "cmdGetNames_0");
        QCOMPARE(run.logSince(mark).size(), 2);
        QVERIFY(run.logSince(mark)[1].startsWith("Failed. (0x8004A006:"));
        QCOMPARE(list->count(), 0);

        // Every page asks its own names operation with its own option box.
        const char *const ops[] = {"VariableNames", "RobotNames", "FileNames", "TaskNames", "ExtensionNames", "CommandNames"};
        for (int page = 1; page < frmController::PageCount; ++page) {
            selectPage(ctrl, page);
            setText(ctrl, QLatin1String(kNamesOptions[page]), "");
            mark = run.logMark();
            clickButton(ctrl, QStringLiteral("cmdGetNames_%1").arg(page));
            QCOMPARE(run.logSince(mark).first(), kCtrl + ".get_" + ops[page] + "(\"\")");
            QVERIFY(run.logSince(mark).last().startsWith("Succeeded. (<"));
            auto *l = child<QListWidget>(ctrl, QStringLiteral("lstNames_%1").arg(page));
            QVERIFY(l->count() > 0);
            l->setCurrentRow(0);
            Q_EMIT l->itemClicked(l->item(0));
            QCOMPARE(textOf(ctrl, QStringLiteral("txtName_%1").arg(page)), l->item(0)->text());
        }
    }

    void clearKeepsMemberPanels()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        addOnPage(ctrl, 0, "v1", "");
        addOnPage(ctrl, 0, "v2", "");
        PanelBase *v2 = run.lastPanel(PanelKind::Variable);
        zel::ObjectPtr vars = collection(ctrl->m_ZelObj, "Variables");
        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        clickButton(ctrl, "cmdVarClear");
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".Vars.Clear()", "Succeeded."}));
        QCOMPARE(run.state().script.body().mid(script.size()), block(kCtrlScript + ".Variables.Clear", -1, 2, ""));
        QCOMPARE(status(run), QStringLiteral("Ready"));
        QCOMPARE(countOf(vars), 0);
        QCOMPARE(ctrl->m_TreeNode->childCount(), 2);
        QVERIFY(run.panel(v2->m_FormID));
        // Their Index is -1: a later delete writes nothing.
        mark = run.logMark();
        clickButton(v2, "cmdVarDelete");
        QVERIFY(run.logSince(mark).isEmpty());
        QCOMPARE(ctrl->m_TreeNode->childCount(), 1);

    }

    void aPanelWithoutControllerOnlyWritesStatus()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        ctrl->m_ZelObj.reset();
        qsizetype mark = run.logMark();
        QString script = run.state().script.body();
        for (int page = 0; page < frmController::PageCount; ++page) {
            selectPage(ctrl, page);
            clickButton(ctrl, QLatin1String(kAddButtons[page]));
            clickButton(ctrl, QLatin1String(kClearButtons[page]));
        }
        QVERIFY(run.logSince(mark).isEmpty());
        QCOMPARE(run.state().script.body(), script);
        QCOMPARE(status(run), QStringLiteral("Ready"));
    }

    void propertiesAndExecute()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        clickButton(ctrl, "cmdGetName");
        clickButton(ctrl, "cmdGetAttr");
        clickButton(ctrl, "cmdPutTag"); // empty box: an empty text value
        setText(ctrl, "txtPutID", "id-7");
        clickButton(ctrl, "cmdPutID");
        clickButton(ctrl, "cmdGetID");
        setText(ctrl, "txtCommand", "PendingMessages");
        child<QComboBox>(ctrl, "cmbValueType")->setCurrentIndex(0);
        QVERIFY(!child<QLineEdit>(ctrl, "txtParameter")->isEnabled());
        clickButton(ctrl, "cmdExecute");
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".get_Name()", "Succeeded. (\"rc1\")",
                                                  kCtrl + ".get_Attribute()", "Succeeded. (1)",
                                                  kCtrl + ".put_Tag(<8,>)", "Succeeded.",
                                                  kCtrl + ".put_ID(<8,id-7>)", "Succeeded.",
                                                  kCtrl + ".get_ID()", "Succeeded. (<8,id-7>)",
                                                  kCtrl + ".Execute(\"PendingMessages\", <0,>)", "Succeeded. (<3,0>)"}));
        QCOMPARE(textOf(ctrl, "txtCtrlName"), QStringLiteral("rc1"));
        QCOMPARE(textOf(ctrl, "txtAttr"), QStringLiteral("1"));
        QCOMPARE(textOf(ctrl, "txtGetID"), QStringLiteral("id-7"));
        QCOMPARE(textOf(ctrl, "txtResult"), QStringLiteral("0 (I4)"));
        QCOMPARE(run.state().script.body().mid(script.size()),
                 block(kCtrlScript + ".Name", 8, 1, "") + block(kCtrlScript + ".Attribute", 3, 1, "")
                     + block(kCtrlScript + ".Tag", -1, 0, "DAT.VariantFromBstr(\"8,\")")
                     + block(kCtrlScript + ".ID", -1, 0, "DAT.VariantFromBstr(\"8,id-7\")") + block(kCtrlScript + ".ID", 12, 1, "")
                     + block(kCtrlScript + ".Execute", 12, 2, "\"PendingMessages\", DAT.VariantFromBstr(\"0,\")"));
    }

    void capabilityBindingOfTheController()
    {
        TestRun run;
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        doc->addController("rc1")->setKey("K1");
        ksf::CapabilitySetPtr set = doc->addCapabilitySet("K1");
        set->addOperation("Get_Help");
        ksf::OperationPtr exec = set->addOperation("Execute");
        exec->setArgumentDescription(1, "the command");
        exec->setArgumentDescription(2, "its parameter");
        set->addOperation("Put_ID")->setArgumentDescription(1, "new ID");
        set->addOperation("Get_VariableNames")->setArgumentDescription(1, "name filter");
        set->addOperation("Get_CommandNames");
        ksf::OperationPtr addVar = doc->addCapabilitySet(ksf::Variable, "K1", QString())->addOperation(QString());
        addVar->setArgumentDescription(1, "variable name");
        addVar->setArgumentDescription(2, "variable option");
        QString path = run.appDir() + "defs.xml";
        doc->saveAs(path);
        PanelBase *ws = run.panel(4);
        setText(ws, "txtDCFile", path);
        clickButton(ws, "cmdDCLoad");

        PanelBase *ctrl = addController(run, "rc1");
        QCOMPARE(ctrl->m_DCCtrlKey, QStringLiteral("K1"));
        auto enabled = [ctrl](const char *name) { return !child<QWidget>(ctrl, name)->testAttribute(Qt::WA_ForceDisabled); };
        QVERIFY(enabled("cmdGetHelp"));
        QVERIFY(enabled("cmdExecute"));
        QVERIFY(enabled("cmdPutID"));
        QVERIFY(enabled("cmdGetNames_0"));
        QVERIFY(enabled("cmdGetNames_5"));
        QVERIFY(!enabled("cmdGetAttr"));
        QVERIFY(!enabled("cmdGetID"));
        for (int page : {1, 2, 3, 4})
            QVERIFY(!enabled(qPrintable(QStringLiteral("cmdGetNames_%1").arg(page))));
        // Not governed.
        for (const char *b : {"cmdGetName", "cmdGetTag", "cmdPutTag", "cmdGetMsg", "cmdVariable", "cmdVarClear"})
            QVERIFY2(enabled(b), b);
        QCOMPARE(child<QWidget>(ctrl, "txtCommand")->toolTip(), QStringLiteral("the command"));
        QCOMPARE(child<QWidget>(ctrl, "txtParameter")->toolTip(), QStringLiteral("its parameter"));
        QCOMPARE(child<QWidget>(ctrl, "txtPutID")->toolTip(), QStringLiteral("new ID"));
        QCOMPARE(child<QWidget>(ctrl, "txtVarNamesOption")->toolTip(), QStringLiteral("name filter"));
        QCOMPARE(child<QWidget>(ctrl, "txtName_0")->toolTip(), QStringLiteral("variable name"));
        QCOMPARE(child<QWidget>(ctrl, "txtVarOption")->toolTip(), QStringLiteral("variable option"));
        QCOMPARE(child<QWidget>(ctrl, "txtName_1")->toolTip(), QString());

        // The type selector does not bring back a button the definition took away.
        auto *type = child<QComboBox>(ctrl, "cmbValueType");
        type->setCurrentIndex(21);
        type->setCurrentIndex(10);
        QVERIFY(child<QPushButton>(ctrl, "cmdExecute")->isEnabled());

        // A controller of another name falls back to the empty-name entry; there is none here,
        // so the empty key's set (none either) leaves every governed button off.
        PanelBase *other = addController(run, "rc9");
        QVERIFY(!other->m_DCEntry);
        QVERIFY(!child<QPushButton>(other, "cmdGetHelp")->isEnabled());
        QVERIFY(child<QPushButton>(other, "cmdGetName")->isEnabled());
    }

    void keyboardAddsAndSwitchesPages()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        ctrl->showPanel();
        QApplication::setActiveWindow(run.mdi());
        child<QWidget>(ctrl, "txtName_0")->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), "v9");
        qsizetype mark = run.logMark();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".AddVariable(\"v9\", \"\")", "Succeeded."}));

        // The new variable panel is in front now; back to the controller by its node.
        run.mdi()->ShowForm(ctrl->m_TreeNode);
        child<QWidget>(ctrl, "txtName_0")->setFocus();
        // Alt+R selects the Robot page, Alt+A adds on it: the page's own Add button.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
        QCOMPARE(tabs(ctrl)->currentIndex(), 1);
        setText(ctrl, "txtName_1", "arm");
        mark = run.logMark();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QCOMPARE(run.logSince(mark).first(), kCtrl + ".AddRobot(\"arm\", \"\")");

        // Alt+E is the panel's Execute, not the main window's Edit menu.
        run.mdi()->ShowForm(ctrl->m_TreeNode);
        child<QWidget>(ctrl, "txtCommand")->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), "PendingMessages");
        mark = run.logMark();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".Execute(\"PendingMessages\", <8,>)", "Succeeded. (<3,0>)"}));
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(ctrl, "cmdExecute"));

        // Tab walks on through the messages, the selected page and the bottom buttons.
        QStringList walk;
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walk << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walk, (QStringList{"lstMessage", "cmdGetMsg", "qt_tabwidget_tabbar", "txtName_1", "txtRobotOption",
                                    "cmdGetRobot", "txtRobotNamesOption", "cmdGetNames_1", "lstNames_1", "cmdRobotClear",
                                    "cmdCtrlDelete", "cmdCtrlHide"}));
    }

    void closingRemovesMembersThenTheController()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        addOnPage(ctrl, 0, "v1", "");
        addOnPage(ctrl, 5, "c1", "");
        PanelBase *ws = run.panel(4);

        // The close box only hides.
        ctrl->subWindow()->close();
        QVERIFY(!ctrl->subWindow()->isVisible());
        QVERIFY(run.panel(ctrl->m_FormID));
        QCOMPARE(countOf(collection(ws->m_ZelObj, "Controllers")), 1);

        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        clickButton(ctrl, "cmdCtrlDelete");
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".Vars.Remove(<3,0>)", "Succeeded.", kCtrl + ".Cmds.Remove(<3,0>)",
                                                  "Succeeded.", "Wss(\"Default\").Ctrls.Remove(<3,0>)", "Succeeded."}));
        QCOMPARE(run.state().script.body().mid(script.size()),
                 block(kCtrlScript + ".Variables.Remove", -1, 2, "0") + block(kCtrlScript + ".Commands.Remove", -1, 2, "0")
                     + block("zel.Controllers.Remove", -1, 2, "0"));
        QVERIFY(ws->workspaceDocument()->controllerNames().isEmpty());
        QCOMPARE(ws->m_TreeNode->childCount(), 0);
        QCOMPARE(countOf(collection(ws->m_ZelObj, "Controllers")), 0);
    }
};

QTEST_MAIN(TestController)
#include "tst_controller.moc"
