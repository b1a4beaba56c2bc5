// Controller messages in the panels: the received list with its overflow rule, Get Message, the
// list's popup and double-click, and the message panel with its fields, Reply, Clear, Delete,
// Hide and its release when it closes.
#include "testsupport.h"

#include "panels/frmController.h"
#include "panels/frmMessage.h"

#include <QAction>
#include <QMenu>

using zel::Value;

namespace {

const QString kCtrl = u"Wss(\"Default\").Ctrls(\"rc1\")"_s;

frmController *addController(TestRun &run, const QString &name, bool eventsOff)
{
    child<QCheckBox>(run.panel(4), "chkOnMessage")->setChecked(eventsOff);
    return qobject_cast<frmController *>(addController(run, name));
}

QListWidget *messageList(PanelBase *ctrl)
{
    return child<QListWidget>(ctrl, "lstMessage");
}

QString entryText(PanelBase *ctrl, int row)
{
    return messageList(ctrl)->item(row)->text().section(u"; "_s, 2);
}

// Raises messages in the engine (not through the panel, so that only the event writes lines)
// and lets the queued events arrive.
void raise(PanelBase *ctrl, const char *command, const Value &parameter)
{
    zcall(ctrl->m_ZelObj, "Execute", {Value::fromString(command), parameter});
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void raise(PanelBase *ctrl, const QString &description)
{
    raise(ctrl, "RaiseMessage", Value::fromString(description));
}

QList<QAction *> &menuItems(TestRun &run)
{
    return run.state().popup->ctrlItems;
}

// A double-click as the user makes it: a click, then the second press.
void doubleClick(QListWidget *list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Selects a list entry and chooses an item of the list's popup menu.
void choose(TestRun &run, frmController *ctrl, int row, int item)
{
    if (row >= 0)
        messageList(ctrl)->setCurrentRow(row);
    ctrl->popupMessageMenu();
    QVERIFY(run.state().popup->mnuCtrlPopup->isVisible());
    run.state().popup->mnuCtrlPopup->hide();
    QVERIFY(menuItems(run)[item]->isEnabled());
    menuItems(run)[item]->trigger();
}

// The popup as a right click at that point of the list opens it: the enabled state and tick of
// Show, Delete, the separator and Crear List.
QString popupAt(TestRun &run, QListWidget *list, QPoint at)
{
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
    QString states;
    for (QAction *a : menuItems(run))
        states += a->isSeparator() ? u'-' : a->isChecked() ? u'v' : a->isEnabled() ? u'+' : u'0';
    run.state().popup->mnuCtrlPopup->hide();
    return states;
}

QString release(int serial, const QString &ctrl = kCtrl)
{
    return ctrl + u".Msg(\"%1\").Release()"_s.arg(serial);
}

} // namespace

class TestMessagePanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pushedMessagesTheListAndItsPopup()
    {
        TestRun run;
        frmController *ctrl = addController(run, "rc1", false);
        QListWidget *list = messageList(ctrl);
        ctrl->showPanel();
        // Over the empty list: Show and Delete off, Crear List on.
        QCOMPARE(popupAt(run, list, QPoint(10, 10)), u"00-+"_s);
        const QString script = run.script();
        const qsizetype mark = run.logMark();
        raise(ctrl, "Number=7,Description=Door open,Value=left,Destination=cell");
        QCOMPARE(run.logSince(mark), QStringList{kCtrl + ".OnMessage(1)"});
        QCOMPARE(run.script(), script);

        // "serial; time; description", the panel hidden and without a node in the tree.
        const QStringList parts = list->item(0)->text().split(u"; "_s);
        QVERIFY(QRegularExpression(u"^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d"_s).match(parts.value(1)).hasMatch());
        QCOMPARE(parts, (QStringList{"1", parts[1], "Door open"}));
        frmMessage *m = ctrl->m_ZelMess.item("1");
        QVERIFY(m && !m->isShown());
        QVERIFY(!m->m_TreeNode);

        // Newest first; a double-click shows the entry's panel in front, with its fields.
        raise(ctrl, "second");
        QCOMPARE(entryText(ctrl, 0), u"second"_s);
        doubleClick(list, 1);
        QCOMPARE(run.mdi()->mdiArea()->activeSubWindow(), m->subWindow());
        const struct {
            const char *box;
            QString text;
        } fields[] = {{"txtSerialNum", "1"}, {"txtMsgNum", "7"}, {"txtDateTime", parts[1]}, {"txtSource", "rc1"},
                      {"txtDestination", "cell"}, {"txtDescription", "Door open"}, {"txtValue", "left (BSTR)"}};
        for (const auto &f : fields)
            QCOMPARE(textOf(m, f.box), f.text);

        // A right click on an entry selects it; Show carries a tick while its panel is shown, and
        // the same choice hides it; the panel stays in the collection.
        ctrl->showPanel();
        list->setCurrentRow(-1);
        const QPoint at = list->visualItemRect(list->item(1)).center();
        QCOMPARE(popupAt(run, list, at), u"v+-+"_s);
        QCOMPARE(list->currentRow(), 1);
        menuItems(run)[0]->trigger();
        QVERIFY(!m->isShown());
        QCOMPARE(popupAt(run, list, at), u"++-+"_s);
        QCOMPARE(ctrl->m_ZelMess.item("1"), m);

        // Delete: the entry, the panel and its release line.
        qsizetype since = run.logMark();
        choose(run, ctrl, 1, 1);
        QCOMPARE(run.logSince(since), QStringList{release(1)});
        QCOMPARE(list->count(), 1);
        QVERIFY(!ctrl->m_ZelMess.contains("1"));
        QVERIFY(m->isUnloaded());

        // Crear List: every panel, in the order they were added, whatever is selected.
        raise(ctrl, "three");
        list->setCurrentRow(0);
        since = run.logMark();
        choose(run, ctrl, -1, 3);
        QCOMPARE(run.logSince(since), (QStringList{release(2), release(3)}));
        QCOMPARE(list->count(), 0);
        QCOMPARE(ctrl->m_ZelMess.count(), 0);
    }

    void overflowRule()
    {
        TestRun run;
        frmController *ctrl = addController(run, "rc1", false);
        qsizetype mark = run.logMark();
        raise(ctrl, "RaiseMessages", Value::fromI4(1002));
        QListWidget *list = messageList(ctrl);
        // 1001 entries at most: the 1002nd is dropped, but its request line is written.
        QCOMPARE(list->count(), 1001);
        QCOMPARE(ctrl->m_ZelMess.count(), 1001);
        QCOMPARE(run.logSince(mark).value(1001), kCtrl + ".OnMessage(1002)");
        QCOMPARE(run.status(), u"Message buffer overflow. : rc1"_s);
        QCOMPARE(list->item(0)->data(Qt::UserRole).toInt(), 1001);

        // 1000 left: the notice stays; 999 left: "Ready".
        mark = run.logMark();
        choose(run, ctrl, 0, 1);
        QCOMPARE(list->count(), 1000);
        QCOMPARE(run.status(), u"Message buffer overflow. : rc1"_s);
        choose(run, ctrl, 0, 1);
        QCOMPARE(list->count(), 999);
        QCOMPARE(run.status(), u"Ready"_s);
        QCOMPARE(run.logSince(mark), (QStringList{release(1001), release(1000)}));

        // There is room again.
        raise(ctrl, "after");
        QCOMPARE(list->count(), 1000);
        QCOMPARE(list->item(0)->data(Qt::UserRole).toInt(), 1003);
    }

    void getMessageWithAndWithoutAMessage()
    {
        TestRun run;
        frmController *ctrl = addController(run, "rc1", true);
        const QString script = run.script();
        QCOMPARE(run.click(ctrl, "cmdGetMsg"), (QStringList{kCtrl + ".GetMessage()", "Succeeded."}));
        QCOMPARE(messageList(ctrl)->count(), 0);

        // Events off: the messages wait for Get Message, oldest first.
        raise(ctrl, "queued one");
        raise(ctrl, "queued two");
        QCOMPARE(messageList(ctrl)->count(), 0);
        QCOMPARE(run.click(ctrl, "cmdGetMsg"), (QStringList{kCtrl + ".GetMessage()", "Succeeded."}));
        QCOMPARE(messageList(ctrl)->count(), 1);
        QCOMPARE(entryText(ctrl, 0), u"queued one"_s);
        QCOMPARE(run.script(), script);

        // Get Message is not held to the limit of pushed messages.
        raise(ctrl, "RaiseMessages", Value::fromI4(1003));
        for (int i = 0; i < 1003; ++i)
            ctrl->runOperation("cmdGetMsg");
        QCOMPARE(messageList(ctrl)->count(), 1004);
        QCOMPARE(ctrl->m_ZelMess.count(), 1004);
    }

    void duplicateSerialNumber()
    {
        TestRun run;
        frmController *ctrl = addController(run, "rc1", false);
        raise(ctrl, "SerialNumber=77,Description=first");
        qsizetype mark = run.logMark();
        raise(ctrl, "SerialNumber=77,Description=second");
        QCOMPARE(run.logSince(mark),
                 (QStringList{kCtrl + ".OnMessage(77)", "Failed. (0x8004A001: A message panel with the key 77 already exists)"}));
        QListWidget *list = messageList(ctrl);
        QCOMPARE(list->count(), 2);
        QCOMPARE(entryText(ctrl, 0), u"second"_s);
        QCOMPARE(ctrl->m_ZelMess.count(), 1);
        frmMessage *first = ctrl->m_ZelMess.item("77");
        QCOMPARE(first->fieldText(frmMessage::Description), u"first"_s);
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
        frmController *ctrl = addController(run, "rc1", false);
        for (const char *d : {"a", "b", "c"})
            raise(ctrl, QLatin1String(d));
        ctrl->m_ZelMess.item("2")->showInFront(); // shown or not, all close
        const QList<frmMessage *> panels = ctrl->m_ZelMess.items();
        QCOMPARE(run.click(ctrl, "cmdCtrlDelete"),
                 (QStringList{"Wss(\"Default\").Ctrls.Remove(<3,0>)", "Succeeded.", release(1), release(2), release(3)}));
        for (frmMessage *p : panels)
            QVERIFY(p->isUnloaded());

        // A second panel of a controller that stays (a second panel of the workspace preloads
        // it): its messages still close with it.
        frmController *a = addController(run, "rc2", false);
        PanelBase *engine = run.panel(2);
        fill(engine, {"txtWSName=Default"});
        clickButton(engine, "cmdAddWS");
        auto *b = qobject_cast<frmController *>(run.lastPanel(PanelKind::Controller));
        QVERIFY(b && b != a);
        QCOMPARE(b->m_ZelObj, a->m_ZelObj);
        raise(a, "x");
        QCOMPARE(messageList(a)->count(), 1);
        QCOMPARE(messageList(b)->count(), 1);
        const qsizetype mark = run.logMark();
        run.mdi()->DeleteForm(b->m_TreeNode);
        QCOMPARE(run.logSince(mark), QStringList{release(1, "Wss(\"Default\").Ctrls(\"rc2\")")});
        QCOMPARE(messageList(a)->count(), 1);
        // A message after the panel has closed reaches only the open one.
        raise(a, "y");
        QCOMPARE(messageList(a)->count(), 2);
    }

    void messagePanelReplyClearDeleteHide()
    {
        TestRun run;
        frmController *ctrl = addController(run, "rc1", false);
        // (Number, Description, Value) with an array as the value.
        const Value arr = Value::fromArray(zel::Array{zel::VT_I4, 0, {Value::fromI4(1), Value::fromI4(2), Value::fromI4(3)}});
        raise(ctrl, "RaiseMessage", Value::fromArray(zel::Array{zel::VT_VARIANT, 0, {Value::fromI4(9), Value::fromString("arr"), arr}}));
        frmMessage *m = ctrl->m_ZelMess.item("1");
        m->showInFront();
        QCOMPARE(textOf(m, "txtValue"), u"1,2,3 (ARRAY | I4)"_s);
        const QString P = kCtrl + ".Msg(\"1\")";

        // Reply with typed data; nothing is recorded.
        const QString script = run.script();
        fill(m, {"cmbValueType=5", "txtSendData=5"}); // I4
        QCOMPARE(run.click(m, "cmdReply"), (QStringList{P + ".Reply(<3,5>)", "Succeeded."}));
        QCOMPARE(run.click(m, "cmdClearMsg"), (QStringList{P + ".Clear()", "Succeeded."}));
        QCOMPARE(run.script(), script);

        // Hide keeps the panel in the collection; Delete on the panel itself releases it.
        clickButton(m, "cmdHide");
        QVERIFY(!m->isShown());
        QCOMPARE(ctrl->m_ZelMess.item("1"), m);
        m->showInFront();
        QCOMPARE(run.click(m, "cmdDelete"), QStringList{release(1)});
        QCOMPARE(messageList(ctrl)->count(), 0);
        QCOMPARE(ctrl->m_ZelMess.count(), 0);
        QVERIFY(m->isUnloaded());

        // A panel whose entry is gone already still closes with its release line.
        raise(ctrl, "a");
        raise(ctrl, "b");
        frmMessage *a = ctrl->m_ZelMess.item("2");
        delete messageList(ctrl)->takeItem(1);
        a->showInFront();
        QCOMPARE(run.click(a, "cmdDelete"), QStringList{release(2)});
        QVERIFY(a->isUnloaded());
        QCOMPARE(messageList(ctrl)->count(), 1);
        // A panel without a message: Clear writes the failure line of error 0 only.
        frmMessage *b = ctrl->m_ZelMess.item("3");
        b->showInFront();
        b->m_Message.reset();
        QCOMPARE(run.click(b, "cmdClearMsg"), QStringList{"Failed. (0x00000000: )"});
    }

    // A read that fails while the panel fills its boxes leaves that box empty; a message without
    // a value shows the empty value's text.
    void failedReadsLeaveTheirBoxesEmpty()
    {
        TestRun run;
        frmController *ctrl = addController(run, "rc1", false);
        for (const char *op : {"get_Value", "get_Source"}) {
            const QString fault = u"Object=Message 1,Operation=%1"_s.arg(QLatin1String(op));
            zcall(ctrl->m_ZelObj, "Execute", {Value::fromString("InjectFault"), Value::fromString(fault)});
        }
        raise(ctrl, "Number=3,Description=faulty,Value=5");
        raise(ctrl, "Number=4,Description=no value");
        frmMessage *faulty = ctrl->m_ZelMess.item("1");
        frmMessage *plain = ctrl->m_ZelMess.item("2");
        QVERIFY(faulty && plain);
        faulty->showInFront();
        QCOMPARE(textOf(faulty, "txtValue"), QString());
        QCOMPARE(textOf(faulty, "txtSource"), QString());
        QCOMPARE(textOf(faulty, "txtDescription"), u"faulty"_s);
        plain->showInFront();
        QCOMPARE(textOf(plain, "txtValue"), u"(EMPTY)"_s);
    }

    void capabilityBindingOfMessages()
    {
        TestRun run;
        loadDefinition(run, examplePath("zel-virtual-restricted.xml"));
        frmController *ctrl = addController(run, "rc1", false);
        raise(ctrl, "Number=100,Description=may reply");
        raise(ctrl, "Number=5,Description=may not");
        frmMessage *m100 = ctrl->m_ZelMess.item("1");
        frmMessage *m5 = ctrl->m_ZelMess.item("2");
        m100->showInFront();
        m5->showInFront();
        QCOMPARE(ownDisabled(m100, {"cmdReply", "cmdClearMsg"}), QStringList());
        QVERIFY(child<QWidget>(m100, "txtSendData")->toolTip().startsWith(u"Reply data, converted by the Type list"));
        QCOMPARE(ownDisabled(m5, {"cmdReply", "cmdClearMsg"}), QStringList{"cmdReply"});
    }
};

QTEST_MAIN(TestMessagePanel)
#include "tst_messagepanel.moc"
