// Controller messages in the panels: the received list with its overflow rule, Get Message, the
// list's popup and double-click, and the message panel with its fields, Reply, Clear, Delete,
// Hide and its release when it closes.
#include "testsupport.h"

#include "engine/frmController.h"
#include "engine/frmMessage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

using zel::CallKind;
using zel::Value;

namespace {

const QString kCtrl = QStringLiteral("Wss(\"Default\").Ctrls(\"rc1\")");

frmController *addController(TestRun &run, const QString &name = QStringLiteral("rc1"), bool eventsOff = false)
{
    PanelBase *ws = run.panel(4);
    child<QComboBox>(ws, "cmbController")->setEditText(name);
    child<QCheckBox>(ws, "chkOnMessage")->setChecked(eventsOff);
    clickButton(ws, "cmdOpen");
    return qobject_cast<frmController *>(run.lastPanel(PanelKind::Controller));
}

QListWidget *messageList(PanelBase *ctrl)
{
    return child<QListWidget>(ctrl, "lstMessage");
}

// Raises messages in the engine (not through the panel, so that only the event writes lines)
// and lets the queued events arrive.
void raise(PanelBase *ctrl, const char *command, const Value &parameter)
{
    ctrl->m_ZelObj->invoke("Execute", CallKind::Method, {Value::fromString(command), parameter});
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void raise(PanelBase *ctrl, const QString &description)
{
    raise(ctrl, "RaiseMessage", Value::fromString(description));
}

QString status(TestRun &run)
{
    return child<QLabel>(run.mdi(), "stbrMain_1")->text();
}

QList<QAction *> &menuItems(TestRun &run)
{
    return run.state().popup->ctrlItems;
}

// A double-click as the user makes it: a click, then the second press.
void doubleClick(QListWidget *list, int row)
{
    QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Selects a list entry and chooses an item of the list's popup menu.
void choose(TestRun &run, frmController *ctrl, int row, int item)
{
    QListWidget *list = messageList(ctrl);
    if (row >= 0)
        list->setCurrentRow(row);
    ctrl->popupMessageMenu();
    QMenu *menu = run.state().popup->mnuCtrlPopup;
    QVERIFY(menu->isVisible());
    menu->hide();
    QVERIFY(menuItems(run)[item]->isEnabled());
    menuItems(run)[item]->trigger();
}

QString release(int serial)
{
    return kCtrl + QStringLiteral(".Msg(\"%1\").Release()").arg(serial);
}

} // namespace

class TestMessagePanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pushedMessageIsListedWithAHiddenPanel()
    {
        TestRun run;
        frmController *ctrl = addController(run);
        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        raise(ctrl, "Number=7,Description=Door open,Value=left,Destination=cell");
        QCOMPARE(run.logSince(mark), QStringList{kCtrl + ".OnMessage(1)"});
        QCOMPARE(run.state().script.body(), script);

        QListWidget *list = messageList(ctrl);
        QCOMPARE(list->count(), 1);
        QStringList parts = list->item(0)->text().split("; ");
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[0], QStringLiteral("1"));
        QVERIFY(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d").match(parts[1]).hasMatch());
        QCOMPARE(parts[2], QStringLiteral("Door open"));
        QCOMPARE(list->item(0)->data(Qt::UserRole).toInt(), 1);

        frmMessage *m = ctrl->m_ZelMess.item("1");
        QVERIFY(m);
        QCOMPARE(ctrl->m_ZelMess.count(), 1);
        QVERIFY(!m->isShown());
        QVERIFY(!m->isBuilt()); // made when first shown
        QVERIFY(!m->m_TreeNode);
        QCOMPARE(ctrl->m_TreeNode->childCount(), 0);
        QCOMPARE(m->objectName(), QStringLiteral("frmMessage"));
        QCOMPARE(m->m_LogObjPath, kCtrl + ".Msg(\"1\")");
        QCOMPARE(m->fieldText(frmMessage::MsgNum), QStringLiteral("7"));
        QCOMPARE(m->fieldText(frmMessage::DateTime), parts[1]);
        QCOMPARE(m->fieldText(frmMessage::Source), QStringLiteral("rc1"));
        QCOMPARE(m->fieldText(frmMessage::Destination), QStringLiteral("cell"));
        QCOMPARE(m->fieldText(frmMessage::ValueText), QStringLiteral("left (BSTR)"));
        QVERIFY(m->m_FormID > ctrl->m_FormID);

        // Newest first; a double-click shows the entry's panel in front.
        raise(ctrl, "second");
        QCOMPARE(list->item(0)->text().section("; ", 2), QStringLiteral("second"));
        QCOMPARE(list->item(1)->text().section("; ", 2), QStringLiteral("Door open"));
        doubleClick(list, 1);
        QVERIFY(m->isShown());
        QCOMPARE(run.mdi()->mdiArea()->activeSubWindow(), m->subWindow());
        QCOMPARE(m->windowTitle(), QStringLiteral("ZelMessage"));
        QCOMPARE(textOf(m, "txtSerialNum"), QStringLiteral("1"));
        QCOMPARE(textOf(m, "txtMsgNum"), QStringLiteral("7"));
        QCOMPARE(textOf(m, "txtDateTime"), parts[1]);
        QCOMPARE(textOf(m, "txtSource"), QStringLiteral("rc1"));
        QCOMPARE(textOf(m, "txtDestination"), QStringLiteral("cell"));
        QCOMPARE(textOf(m, "txtDescription"), QStringLiteral("Door open"));
        QCOMPARE(textOf(m, "txtValue"), QStringLiteral("left (BSTR)"));
    }

    void overflowRule()
    {
        TestRun run;
        frmController *ctrl = addController(run);
        qsizetype mark = run.logMark();
        raise(ctrl, "RaiseMessages", Value::fromI4(1002));
        QListWidget *list = messageList(ctrl);
        // 1001 entries at most: the 1002nd is dropped, but its request line is written.
        QCOMPARE(list->count(), 1001);
        QCOMPARE(ctrl->m_ZelMess.count(), 1001);
        QVERIFY(!ctrl->m_ZelMess.contains("1002"));
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.size(), 1002);
        QCOMPARE(lines.last(), kCtrl + ".OnMessage(1002)");
        QCOMPARE(status(run), QStringLiteral("Message buffer overflow. : rc1"));
        QCOMPARE(list->item(0)->data(Qt::UserRole).toInt(), 1001);

        // 1000 left: the notice stays; 999 left: "Ready".
        mark = run.logMark();
        choose(run, ctrl, 0, 1);
        QCOMPARE(list->count(), 1000);
        QCOMPARE(status(run), QStringLiteral("Message buffer overflow. : rc1"));
        choose(run, ctrl, 0, 1);
        QCOMPARE(list->count(), 999);
        QCOMPARE(status(run), QStringLiteral("Ready"));
        QCOMPARE(run.logSince(mark), (QStringList{release(1001), release(1000)}));
        QCOMPARE(ctrl->m_ZelMess.count(), 999);
        QVERIFY(!ctrl->m_ZelMess.contains("1001"));

        // There is room again.
        raise(ctrl, "after");
        QCOMPARE(list->count(), 1000);
        QCOMPARE(list->item(0)->data(Qt::UserRole).toInt(), 1003);
    }

    void getMessageWithAndWithoutAMessage()
    {
        TestRun run;
        frmController *ctrl = addController(run, "rc1", true);
        QString script = run.state().script.body();
        qsizetype mark = run.logMark();
        clickButton(ctrl, "cmdGetMsg");
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".GetMessage()", "Succeeded."}));
        QCOMPARE(messageList(ctrl)->count(), 0);

        // Events off: the messages wait for Get Message, oldest first.
        raise(ctrl, "queued one");
        raise(ctrl, "queued two");
        QCOMPARE(messageList(ctrl)->count(), 0);
        mark = run.logMark();
        clickButton(ctrl, "cmdGetMsg");
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".GetMessage()", "Succeeded."}));
        QCOMPARE(messageList(ctrl)->count(), 1);
        QCOMPARE(messageList(ctrl)->item(0)->text().section("; ", 2), QStringLiteral("queued one"));
        QVERIFY(ctrl->m_ZelMess.item("1"));
        QCOMPARE(run.state().script.body(), script);

        // A failing request writes no "Succeeded.".
        ctrl->m_ZelObj->invoke("Execute", CallKind::Method,
                               {Value::fromString("InjectFault"), Value::fromString("Operation=GetMessage")});
        mark = run.logMark();
        clickButton(ctrl, "cmdGetMsg");
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith("Failed. (0x8004A006:"));
        QCOMPARE(messageList(ctrl)->count(), 1);
    }

    void getMessageIsNotLimited()
    {
        TestRun run;
        frmController *ctrl = addController(run, "rc1", true);
        raise(ctrl, "RaiseMessages", Value::fromI4(1003));
        for (int i = 0; i < 1003; ++i)
            ctrl->runOperation("cmdGetMsg");
        QCOMPARE(messageList(ctrl)->count(), 1003);
        QCOMPARE(ctrl->m_ZelMess.count(), 1003);
    }

    void popupMenuEnablingShowAndDelete()
    {
        TestRun run;
        frmController *ctrl = addController(run);
        QListWidget *list = messageList(ctrl);
        ctrl->showPanel();

        // Right click over the empty list: Show and Delete off, Crear List on.
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        QMenu *menu = run.state().popup->mnuCtrlPopup;
        QVERIFY(menu->isVisible());
        QVERIFY(!menuItems(run)[0]->isEnabled());
        QVERIFY(!menuItems(run)[1]->isEnabled());
        QVERIFY(menuItems(run)[3]->isEnabled());
        QVERIFY(menuItems(run)[2]->isSeparator());
        menu->hide();

        raise(ctrl, "one");
        raise(ctrl, "two");
        // Nothing selected yet.
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, QPoint(2, list->viewport()->height() - 2));
        QVERIFY(!menuItems(run)[0]->isEnabled());
        menu->hide();
        // A right click on an entry selects it; Show carries no tick while its panel is hidden.
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(list->currentRow(), 1);
        QVERIFY(menuItems(run)[0]->isEnabled());
        QVERIFY(menuItems(run)[1]->isEnabled());
        QVERIFY(!menuItems(run)[0]->isChecked());
        menu->hide();
        menuItems(run)[0]->trigger();
        frmMessage *one = ctrl->m_ZelMess.item("1");
        QVERIFY(one->isShown());
        // Now ticked: the same choice hides it.
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->item(1)).center());
        QVERIFY(menuItems(run)[0]->isChecked());
        menu->hide();
        menuItems(run)[0]->trigger();
        QVERIFY(!one->isShown());
        QCOMPARE(ctrl->m_ZelMess.item("1"), one);

        // Delete: the entry, the panel and its release line.
        qsizetype mark = run.logMark();
        choose(run, ctrl, 1, 1);
        QCOMPARE(run.logSince(mark), QStringList{release(1)});
        QCOMPARE(list->count(), 1);
        QVERIFY(!ctrl->m_ZelMess.contains("1"));
        QVERIFY(one->isUnloaded());
        QCOMPARE(status(run), QStringLiteral("Ready"));
    }

    void crearListDeletesEverything()
    {
        TestRun run;
        frmController *ctrl = addController(run);
        for (const char *d : {"a", "b", "c"})
            raise(ctrl, QLatin1String(d));
        messageList(ctrl)->setCurrentRow(1);
        qsizetype mark = run.logMark();
        choose(run, ctrl, -1, 3);
        // In the order the panels were added.
        QCOMPARE(run.logSince(mark), (QStringList{release(1), release(2), release(3)}));
        QCOMPARE(messageList(ctrl)->count(), 0);
        QCOMPARE(ctrl->m_ZelMess.count(), 0);
        QCOMPARE(messageList(ctrl)->selectedItems().size(), 0);
        QCOMPARE(status(run), QStringLiteral("Ready"));
    }

    void duplicateSerialNumber()
    {
        TestRun run;
        frmController *ctrl = addController(run);
        raise(ctrl, "SerialNumber=77,Description=first");
        qsizetype mark = run.logMark();
        raise(ctrl, "SerialNumber=77,Description=second");
        QCOMPARE(run.logSince(mark), (QStringList{kCtrl + ".OnMessage(77)",
                                                  "Failed. (0x8004A001: A message panel with the key 77 already exists)"}));
        QListWidget *list = messageList(ctrl);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text().section("; ", 2), QStringLiteral("second"));
        QCOMPARE(ctrl->m_ZelMess.count(), 1);
        frmMessage *first = ctrl->m_ZelMess.item("77");
        QCOMPARE(first->fieldText(frmMessage::Description), QStringLiteral("first"));
        // Either entry leads to the first panel.
        doubleClick(list, 0);
        QVERIFY(first->isShown());

        // Deleting the panel takes the first entry of its number off the list; the other entry,
        // which has no panel, goes by itself.
        choose(run, ctrl, 1, 1);
        QCOMPARE(list->count(), 1);
        QVERIFY(first->isUnloaded());
        mark = run.logMark();
        choose(run, ctrl, 0, 1);
        QCOMPARE(list->count(), 0);
        QVERIFY(run.logSince(mark).isEmpty());
    }

    void messagePanelsCloseWithTheirController()
    {
        TestRun run;
        frmController *ctrl = addController(run);
        for (const char *d : {"a", "b", "c"})
            raise(ctrl, QLatin1String(d));
        ctrl->m_ZelMess.item("2")->showInFront(); // shown or not, all close
        QList<frmMessage *> panels = ctrl->m_ZelMess.items();
        qsizetype mark = run.logMark();
        clickButton(ctrl, "cmdCtrlDelete");
        QCOMPARE(run.logSince(mark), (QStringList{"Wss(\"Default\").Ctrls.Remove(<3,0>)", "Succeeded.", release(1),
                                                  release(2), release(3)}));
        for (frmMessage *p : panels)
            QVERIFY(p->isUnloaded());

        // A second panel of a controller that stays (a second panel of the workspace preloads
        // it): its messages still close with it.
        frmController *a = addController(run, "rc2");
        PanelBase *engine = run.panel(2);
        setText(engine, "txtWSName", "Default");
        clickButton(engine, "cmdAddWS");
        frmController *b = qobject_cast<frmController *>(run.lastPanel(PanelKind::Controller));
        QVERIFY(b && b != a);
        QCOMPARE(b->m_ZelObj, a->m_ZelObj);
        raise(a, "x");
        QCOMPARE(messageList(a)->count(), 1);
        QCOMPARE(messageList(b)->count(), 1);
        mark = run.logMark();
        run.mdi()->DeleteForm(b->m_TreeNode);
        QCOMPARE(run.logSince(mark), QStringList{"Wss(\"Default\").Ctrls(\"rc2\").Msg(\"1\").Release()"});
        QCOMPARE(messageList(a)->count(), 1);
        // A message after the panel has closed reaches only the open one.
        raise(a, "y");
        QCOMPARE(messageList(a)->count(), 2);
    }

    void messagePanelReplyClearDeleteHide()
    {
        TestRun run;
        frmController *ctrl = addController(run);
        zel::ObjectPtr c = ctrl->m_ZelObj;
        // (Number, Description, Value) with an array as the value.
        Value arr = Value::fromArray(zel::Array{zel::VT_I4, 0, {Value::fromI4(1), Value::fromI4(2), Value::fromI4(3)}});
        raise(ctrl, "RaiseMessage",
              Value::fromArray(zel::Array{zel::VT_VARIANT, 0, {Value::fromI4(9), Value::fromString("arr"), arr}}));
        frmMessage *m = ctrl->m_ZelMess.item("1");
        m->showInFront();
        QCOMPARE(textOf(m, "txtValue"), QStringLiteral("1,2,3 (ARRAY | I4)"));
        const QString P = kCtrl + ".Msg(\"1\")";

        // Reply with typed data; nothing is recorded.
        QString script = run.state().script.body();
        auto *type = child<QComboBox>(m, "cmbValueType");
        type->setCurrentIndex(5); // I4
        setText(m, "txtSendData", "5");
        qsizetype mark = run.logMark();
        clickButton(m, "cmdReply");
        QCOMPARE(run.logSince(mark), (QStringList{P + ".Reply(<3,5>)", "Succeeded."}));
        zel::ObjectPtr vars = c->invoke("Variables", CallKind::PropertyGet, {}).objectValue();
        zel::ObjectPtr last = c->invoke("AddVariable", CallKind::Method, {Value::fromString("@LastReply"), Value::fromString("")}).objectValue();
        QCOMPARE(last->invoke("Value", CallKind::PropertyGet, {}), Value::fromI4(5));
        // A conversion failure writes only the failure line.
        setText(m, "txtSendData", "five");
        mark = run.logMark();
        clickButton(m, "cmdReply");
        QCOMPARE(run.logSince(mark).size(), 1);
        QVERIFY(run.logSince(mark)[0].startsWith("Failed. (0x8004A100:"));
        // The type selector.
        type->setCurrentIndex(1);
        QVERIFY(!child<QLineEdit>(m, "txtSendData")->isEnabled());
        QVERIFY(child<QPushButton>(m, "cmdReply")->isEnabled());
        mark = run.logMark();
        clickButton(m, "cmdReply");
        QCOMPARE(run.logSince(mark), (QStringList{P + ".Reply(<1,>)", "Succeeded."}));
        type->setCurrentIndex(21);
        QVERIFY(!child<QPushButton>(m, "cmdReply")->isEnabled());
        type->setCurrentIndex(10);

        // Clear, and again on a cleared message.
        mark = run.logMark();
        clickButton(m, "cmdClearMsg");
        clickButton(m, "cmdClearMsg");
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.mid(0, 3), (QStringList{P + ".Clear()", "Succeeded.", P + ".Clear()"}));
        QVERIFY(lines[3].startsWith("Failed. (0x8004A210:"));
        QCOMPARE(run.state().script.body(), script);

        // Hide and the close box keep the panel in the collection.
        clickButton(m, "cmdHide");
        QVERIFY(!m->isShown());
        m->showInFront();
        m->subWindow()->close();
        QVERIFY(!m->isShown());
        QCOMPARE(ctrl->m_ZelMess.item("1"), m);

        // Delete from the panel itself.
        m->showInFront();
        mark = run.logMark();
        clickButton(m, "cmdDelete");
        QCOMPARE(run.logSince(mark), QStringList{release(1)});
        QCOMPARE(messageList(ctrl)->count(), 0);
        QCOMPARE(ctrl->m_ZelMess.count(), 0);
        QVERIFY(m->isUnloaded());
    }

    void deleteWithoutListEntryAndClearWithoutMessage()
    {
        TestRun run;
        frmController *ctrl = addController(run);
        raise(ctrl, "a");
        raise(ctrl, "b");
        // The entry is gone already: the panel still closes with its release line.
        frmMessage *a = ctrl->m_ZelMess.item("1");
        delete messageList(ctrl)->takeItem(1);
        a->showInFront();
        qsizetype mark = run.logMark();
        clickButton(a, "cmdDelete");
        QCOMPARE(run.logSince(mark), QStringList{release(1)});
        QVERIFY(a->isUnloaded());
        QCOMPARE(messageList(ctrl)->count(), 1);

        // A panel without a message: Clear writes the failure line of error 0 only.
        frmMessage *b = ctrl->m_ZelMess.item("2");
        b->showInFront();
        b->m_Message.reset();
        mark = run.logMark();
        clickButton(b, "cmdClearMsg");
        QCOMPARE(run.logSince(mark), QStringList{"Failed. (0x00000000: )"});
    }

    void capabilityBindingOfMessages()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        setText(ws, "txtDCFile", qEnvironmentVariable("ZEL_TEST_SOURCE_DIR") + "/examples/zel-virtual-restricted.xml");
        clickButton(ws, "cmdDCLoad");
        QVERIFY(ws->m_DCEng);
        frmController *ctrl = addController(run);
        raise(ctrl, "Number=100,Description=may reply");
        raise(ctrl, "Number=5,Description=may not");
        frmMessage *m100 = ctrl->m_ZelMess.item("1");
        frmMessage *m5 = ctrl->m_ZelMess.item("2");
        QCOMPARE(m100->m_DCMsg->name(), QStringLiteral("100"));
        QCOMPARE(m5->m_DCMsg->name(), QString());
        QCOMPARE(m100->m_DCCtrlKey, QStringLiteral("Restricted"));
        m100->showInFront();
        m5->showInFront();
        QVERIFY(child<QPushButton>(m100, "cmdReply")->isEnabled());
        QVERIFY(child<QPushButton>(m100, "cmdClearMsg")->isEnabled());
        QCOMPARE(child<QWidget>(m100, "cmbValueType")->toolTip(), QStringLiteral("Value type of the reply data (the Type list)."));
        QVERIFY(child<QWidget>(m100, "txtSendData")->toolTip().startsWith("Reply data, converted by the Type list"));
        QVERIFY(!child<QPushButton>(m5, "cmdReply")->isEnabled());
        QVERIFY(child<QPushButton>(m5, "cmdClearMsg")->isEnabled());
        // The type selector does not bring Reply back.
        child<QComboBox>(m5, "cmbValueType")->setCurrentIndex(5);
        QVERIFY(!child<QPushButton>(m5, "cmdReply")->isEnabled());
    }
};

QTEST_MAIN(TestMessagePanel)
#include "tst_messagepanel.moc"
