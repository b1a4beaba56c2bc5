// The main window: start-up, the registry switch, a failing engine, panel numbers, the closing
// question and order with the settings written at the end, the tree's deletion rules, the
// clipboard and recording commands, the exports and the folder their dialogs open in, the
// remembered window layout, an installed copy's settings, the view toggles, the popups and the
// menus.
#include "testsupport.h"

#include "services/clsRegKey.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using zel::Value;

namespace {

QAction *action(frmMDI *mdi, const char *name) { return child<QAction>(mdi, name); }
QToolButton *tool(frmMDI *mdi, const char *name) { return child<QToolButton>(mdi, name); }

QString readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The enabled state of the toolbar's clipboard buttons, as "Cut Copy Paste" with 1 or 0; the
// activity check sets them within its period, so compare with QTRY_COMPARE.
QString clipboardButtons(frmMDI *mdi)
{
    QString states;
    for (const char *name : {"btnCut", "btnCopy", "btnPaste"})
        states += tool(mdi, name)->isEnabled() ? u'1' : u'0';
    return states;
}

// Answers the next message box with that button and keeps its text.
void answerNext(QString *text, const QString &button)
{
    onNextModal([text, button](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal); box && text)
            *text = box->text();
        answerMessageBox(modal, button);
    });
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QString &value)
        : m_name(name), m_old(qgetenv(name)), m_was(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value.toLocal8Bit());
    }
    ~ScopedEnv()
    {
        if (m_was)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_was;
};

std::unique_ptr<ZelTesterRun> startIn(const QString &programDir)
{
    return std::make_unique<ZelTesterRun>(StartOptions{{}, TestRun::defaultEngine(), programDir});
}

// Exports the log through File > Export Log... to the path; returns the folder the dialog
// proposed.
QString exportLogTo(frmMDI *mdi, const QString &path)
{
    QString proposed;
    onNextModal([&](QWidget *modal) {
        if (auto *dialog = qobject_cast<QFileDialog *>(modal))
            proposed = dialog->directory().absolutePath();
        acceptFileDialog(modal, path);
    });
    action(mdi, "mnuFileItem_0")->trigger();
    return proposed;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The menu bar and the toolbar that the command table builds: every menu, item name,
    // caption and separator in order, the toolbar's keys, tool tips and two-state buttons, and
    // the menu items and buttons that show one command's action.
    void commandTable()
    {
        TestRun run;
        frmMDI *mdi = run.mdi();
        QStringList menus;
        for (QAction *top : mdi->menuBar()->actions()) {
            QStringList items;
            for (QAction *item : top->menu()->actions())
                items << item->objectName() + u'=' + (item->isSeparator() ? u"-"_s : item->text());
            menus << top->menu()->objectName() + u' ' + top->text() + u": "_s + items.join(u", "_s);
        }
        QCOMPARE(menus, QStringList({
            u"mnuFile &File: mnuFileItem_0=Export &Log..., mnuFileItem_1=Export &Script..., mnuFileItem_2=Export &KSF..., "
            u"mnuFileItem_3=-, mnuFileItem_4=E&xit"_s,
            u"mnuEdit &Edit: mnuEditItem_0=&Delete Object, mnuEditItem_1=-, mnuEditItem_2=Clear &Log, mnuEditItem_3=-, "
            u"mnuEditItem_4=Cu&t, mnuEditItem_5=&Copy, mnuEditItem_6=&Paste, mnuEditItem_7=-, "
            u"mnuEditItem_8=&Start Recording, mnuEditItem_9=P&ause Recording, mnuEditItem_10=St&op Recording"_s,
            u"mnuView &View: mnuViewItem_0=&Show Object, mnuViewItem_1=-, mnuViewItem_2=&Object Window, "
            u"mnuViewItem_3=&Log Window"_s,
            u"mnuWindow &Window: mnuWindowItem_0=&Cascade, mnuWindowItem_1=C&lose All"_s,
            u"mnuTools &Tools: mnuToolsWatch=&Watch..., mnuToolsFindLog=Find in the &Log, "
            u"mnuToolsLogFile=Log to &File..."_s,
            u"mnuHelp &Help: mnuHelpItem_0=&User's Guide..., mnuHelpItem_1=&Version..."_s,
        }));
        QCOMPARE(mdi->command(Command::PauseRecording), action(mdi, "mnuEditItem_9"));
        QCOMPARE(mdi->command(Command::ExportKSF), action(mdi, "mnuFileItem_2"));
        QVERIFY(mdi->toolsMenu() == child<QMenu>(mdi, "mnuTools"));
        for (const char *name : {"mnuViewItem_2", "mnuViewItem_3"})
            QVERIFY(action(mdi, name)->isCheckable() && action(mdi, name)->isChecked());

        QStringList buttons;
        for (QAction *a : child<QToolBar>(mdi, "tlbar")->actions()) {
            if (a->isSeparator()) {
                buttons << u"-"_s;
                continue;
            }
            auto *b = qobject_cast<QToolButton *>(child<QToolBar>(mdi, "tlbar")->widgetForAction(a));
            buttons << b->objectName() + u'=' + b->toolTip() + (b->isCheckable() ? u" (two-state)"_s : QString())
                           + (b->icon().isNull() ? u" (no image)"_s : QString());
        }
        QCOMPARE(buttons, QStringList({u"btnShow=Show"_s, u"btnDelete=Delete"_s, u"btnCut=Cut"_s, u"btnCopy=Copy"_s,
                                       u"btnPaste=Paste"_s, u"-"_s, u"btnRecStart=Start Recording (two-state)"_s,
                                       u"btnRecPause=Pause Recording (two-state)"_s, u"btnRecStop=Stop Recording"_s}));
        // Show, Delete and the clipboard buttons follow their menu item's action: one enabled state.
        const std::pair<const char *, const char *> shared[] = {{"btnShow", "mnuViewItem_0"},
                                                                {"btnDelete", "mnuEditItem_0"},
                                                                {"btnCut", "mnuEditItem_4"},
                                                                {"btnCopy", "mnuEditItem_5"},
                                                                {"btnPaste", "mnuEditItem_6"}};
        for (const auto &[button, item] : shared) {
            QAction *menuItem = action(mdi, item);
            const bool was = menuItem->isEnabled();
            QCOMPARE(tool(mdi, button)->isEnabled(), was);
            menuItem->setEnabled(!was);
            QCOMPARE(tool(mdi, button)->isEnabled(), !was);
            menuItem->setEnabled(was);
            QVERIFY(menuItem->icon().isNull()); // the menus keep their width
        }
        // The recording buttons keep their own actions: the menu's Start is off while recording,
        // its button stays on and pressed.
        QVERIFY(!action(mdi, "mnuEditItem_8")->isEnabled());
        QVERIFY(tool(mdi, "btnRecStart")->isEnabled() && tool(mdi, "btnRecStart")->isChecked());
        QVERIFY(tool(mdi, "btnRecStop")->isEnabled() && action(mdi, "mnuEditItem_10")->isEnabled());
    }

    // The load sequence; the engine's class registration names the built-in workspace's KSF.
    void startupSequence()
    {
        QTemporaryDir dir;
        const QString ksf = dir.path() + "/cell.xml";
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        doc->addController("rc1");
        doc->saveAs(ksf);
        TestRun run({}, {}, [&] {
            clsRegKey key;
            key.CreateKey(reg::HKEY_CLASSES_ROOT, "CLSID\\{3f1c9a2e-5b7d-4e08-9c61-7a2d4e8b0c15}\\Option", 0, reg::KEY_ALL_ACCESS);
            key.SetValue(Value::fromString(ksf), "KSFFile");
        });
        QCOMPARE(run.panel(4)->workspaceDocument()->controllerNames(), QStringList{"rc1"});
        QCOMPARE(run.mdi()->windowTitle(), u"ZelTester"_s);
        QCOMPARE(run.logMessages(), (QStringList{"Creating ZelEngine...", "Succeeded."}));
        QVERIFY(run.logLines().first().contains(QRegularExpression(u"^\\[1\\] \\d\\d:\\d\\d:\\d\\d Creating"_s)));
        QCOMPARE(run.panel(4)->m_LogObjPath, u"Wss(\"Default\")"_s);

        QTreeWidget *tree = run.mdi()->tree();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem *root = tree->topLevelItem(0);
        QStringList nodes;
        for (QTreeWidgetItem *n : {root, root->child(0), root->child(1)})
            nodes << n->text(0) + u'=' + n->data(0, Qt::UserRole).toString();
        QCOMPARE(nodes, (QStringList{"ZelEngine=2", "Engine Status=3", "Default=4"}));
        QCOMPARE(tree->currentItem(), root);
        QCOMPARE(run.status(), u"Ready"_s);
        QCOMPARE(child<QLabel>(run.mdi(), "stbrMain_3")->text(), u"2"_s);
        // Recording is on from the start.
        QVERIFY(tool(run.mdi(), "btnRecStart")->isChecked() && !action(run.mdi(), "mnuEditItem_8")->isEnabled());
        QVERIFY(!run.state().scriptModified);
    }

    void registrySwitch_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("on");
        QTest::newRow("minus") << QStringList{"-UseReg"} << true;
        QTest::newRow("slash lower") << QStringList{"/usereg"} << true;
        QTest::newRow("upper with more words") << QStringList{"-USEREG", "x"} << true;
        QTest::newRow("second word") << QStringList{"x", "-UseReg"} << false;
        QTest::newRow("other") << QStringList{"-UseRegistry"} << false;
    }

    void registrySwitch()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, on);
        TestRun run(args);
        QCOMPARE(bool(run.state().regKey), on);
        clsRegKey key;
        zel::Value appPath;
        const bool written = key.OpenReg(reg::HKEY_CLASSES_ROOT, "Software\\ZelTester", reg::KEY_READ) == 0
                             && key.QueryValue(appPath, "AppPath") == 0;
        QCOMPARE(written, on);
        if (on)
            QCOMPARE(appPath.stringValue() + u'/', run.appDir());
    }

    void engineThatCannotBeCreated()
    {
        QString shown;
        answerNext(&shown, "OK");
        TestRun run({}, []()-> zel::ObjectPtr { throw zel::ZelError(0x80004005u, u"No engine here"_s); });
        QVERIFY(!run.run().started());
        QCOMPARE(shown, u"No engine here"_s);
    }

    void panelNumbersCountFromFiveAndAreNeverReused()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        fill(engine, {"txtWSName=W1"});
        clickButton(engine, "cmdAddWS");
        PanelBase *w1 = run.lastPanel(PanelKind::Workspace);
        QCOMPARE(w1->m_FormID, 5);
        clickButton(engine, "cmdAddWS");
        QCOMPARE(run.lastPanel(PanelKind::Workspace)->m_FormID, 6);
        run.mdi()->DeleteForm(w1->m_TreeNode);
        clickButton(engine, "cmdAddWS");
        QCOMPARE(run.lastPanel(PanelKind::Workspace)->m_FormID, 7);
    }

    // Cancel keeps everything; No closes, removes the deepest objects first and writes the
    // settings; Yes saves the script through the dialog first; stopped asks nothing, paused does.
    void closeQuestion()
    {
        {
            TestRun run;
            addController(run);
            QString question;
            answerNext(&question, "Cancel");
            QVERIFY(!run.mdi()->close());
            QCOMPARE(question, u"Do you want to save recording scripts?"_s);
            QVERIFY(run.state().engine && run.lastPanel(PanelKind::Controller));
        }
        {
            TestRun run;
            addController(run);
            const QString ini = run.state().settingsFile();
            const qsizetype mark = run.logMark();
            answerNext(nullptr, "No");
            QVERIFY(run.mdi()->close());
            QVERIFY(!run.panel(2));
            const QStringList after = run.logSince(mark);
            const qsizetype controller = after.indexOf(u"Wss(\"Default\").Ctrls.Remove(<3,0>)"_s);
            QVERIFY(controller >= 0 && controller < after.indexOf(u"Wss.Remove(<3,0>)"_s));
            run.run().finish();
            QVERIFY(readFile(ini).contains(u"[rc1]\r\nProviderName=Zel.Virtual"));
        }
        {
            TestRun run;
            addController(run);
            const QString path = run.appDir() + "closing.vbs";
            onNextModal([path](QWidget *modal) {
                answerMessageBox(modal, "Yes");
                onNextModal([path](QWidget *dialog) { acceptFileDialog(dialog, path); });
            });
            QVERIFY(run.mdi()->close());
            QVERIFY(readFile(path).startsWith(u"Sub Main\r\n\r\n\tdbg.output \"[EXE]-zel.AddController('rc1'"));
        }
        {
            TestRun run;
            addController(run);
            clickButton(run.mdi(), "btnRecStop");
            QVERIFY(run.mdi()->close()); // stopped: no question even though never saved
        }
        TestRun run;
        addController(run);
        clickButton(run.mdi(), "btnRecPause");
        QString asked;
        answerNext(&asked, "No");
        QVERIFY(run.mdi()->close());
        QVERIFY(!asked.isEmpty());
    }

    void deletionIsDepthFirstAndCountsUses()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        zel::ObjectPtr vars = zget(ctrl->m_ZelObj, "Variables").objectValue();
        zel::ObjectPtr v1 = zcall(ctrl->m_ZelObj, "AddVariable", {Value::fromString("v1"), Value::fromString("")}).objectValue();
        PanelBase *p1 = ctrl->createMemberPanel(PanelKind::Variable, v1, vars, nullptr, nullptr);
        ctrl->createMemberPanel(PanelKind::Variable, v1, vars, nullptr, nullptr);
        QCOMPARE(run.mdi()->useCount(v1->identity()), 2);

        // Two panels of one object: deleting the first leaves the object in its collection.
        qsizetype mark = run.logMark();
        run.mdi()->DeleteForm(p1->m_TreeNode);
        QVERIFY(run.logSince(mark).isEmpty());
        QCOMPARE(zget(vars, "Count").toInt32(), 1);
        QCOMPARE(run.mdi()->useCount(v1->identity()), 1);

        // Deleting the controller closes the member first, then the controller.
        mark = run.logMark();
        run.mdi()->DeleteForm(ctrl->m_TreeNode);
        QCOMPARE(run.logSince(mark), (QStringList{"Wss(\"Default\").Ctrls(\"rc1\").Vars.Remove(<3,0>)", "Succeeded.",
                                                  "Wss(\"Default\").Ctrls.Remove(<3,0>)", "Succeeded."}));
        QCOMPARE(run.mdi()->tree()->topLevelItem(0)->child(1)->childCount(), 0);
    }

    void nodesOneAndTwoCannotBeDeleted()
    {
        TestRun run;
        QTreeWidget *tree = run.mdi()->tree();
        for (QTreeWidgetItem *node : {run.mdi()->node1(), run.mdi()->node2()}) {
            tree->setCurrentItem(node);
            QTRY_VERIFY(tool(run.mdi(), "btnShow")->isEnabled());
            QTRY_VERIFY(!tool(run.mdi(), "btnDelete")->isEnabled());
            QTRY_VERIFY(!action(run.mdi(), "mnuEditItem_0")->isEnabled());
            run.mdi()->SelectPopupMenu(1); // the popup's Delete does nothing on them
            QVERIFY(run.mdi()->findForm(node->data(0, Qt::UserRole).toInt()));
        }
        tree->setCurrentItem(run.panel(4)->m_TreeNode);
        QTRY_VERIFY(tool(run.mdi(), "btnDelete")->isEnabled());
        // A right click on node 1 opens the popup with Delete disabled.
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(run.mdi()->node1()).center());
        QVERIFY(!run.state().popup->mdiItems[1]->isEnabled());
        run.state().popup->mnuMDIPopup->hide();
    }

    void showFormRestoresAndHideFormHides()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        ws->subWindow()->showMinimized();
        run.mdi()->ShowForm(ws->m_TreeNode);
        QVERIFY(!ws->subWindow()->isMinimized() && ws->subWindow()->isVisible());
        QCOMPARE(run.mdi()->mdiArea()->activeSubWindow(), ws->subWindow());
        run.mdi()->HideForm(ws->m_TreeNode);
        QVERIFY(!ws->subWindow()->isVisible());
        // The close box hides too: the panel stays loaded.
        run.mdi()->ShowForm(ws->m_TreeNode);
        ws->subWindow()->close();
        QVERIFY(!ws->subWindow()->isVisible() && run.panel(4));

        // View toggles of the object and log windows.
        frmMDI *mdi = run.mdi();
        QAction *objectWindow = action(mdi, "mnuViewItem_2");
        QAction *logWindow = action(mdi, "mnuViewItem_3");
        objectWindow->trigger();
        QVERIFY(!objectWindow->isChecked() && !mdi->tree()->isVisible() && mdi->logPane()->isVisible());
        logWindow->trigger();
        QVERIFY(!child<QWidget>(mdi, "PicFrame")->isVisible());
        objectWindow->trigger();
        QVERIFY(mdi->tree()->isVisible() && !mdi->logPane()->isVisible() && child<QWidget>(mdi, "PicFrame")->isVisible());
        // With the tree hidden, Show is off.
        objectWindow->trigger();
        QTRY_VERIFY(!tool(mdi, "btnShow")->isEnabled());
    }

    // The 50 ms activity check rests when idle, wakes on a key press, and sets the clipboard
    // commands by the focused control within one period.
    void clipboardEnablingFollowsTheFocus()
    {
        TestRun run;
        frmMDI *mdi = run.mdi();
        auto *timer = mdi->findChild<QTimer *>("timActiveCheck");
        QCOMPARE(timer->interval(), 50);
        QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 3000);
        QApplication::setActiveWindow(mdi);
        PanelBase *engine = run.panel(2);
        mdi->ShowForm(engine->m_TreeNode);
        auto *name = child<QLineEdit>(engine, "txtWSName");
        name->setFocus();
        QTest::keyClicks(name, "abc");
        QVERIFY(timer->isActive());
        name->selectAll();
        QTRY_COMPARE(clipboardButtons(mdi), u"111"_s);
        QCOMPARE(run.state().textTarget.data(), name);
        QVERIFY(action(mdi, "mnuEditItem_5")->isEnabled());
        // Copy and paste through the menu act on the text target.
        action(mdi, "mnuEditItem_5")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), u"abc"_s);
        name->setCursorPosition(3);
        action(mdi, "mnuEditItem_6")->trigger();
        QCOMPARE(name->text(), u"abcabc"_s);

        // A read-only box with a selection: Copy only.
        auto *result = child<QLineEdit>(engine, "txtResult");
        result->setText("xyz");
        result->setFocus();
        result->selectAll();
        QTRY_COMPARE(clipboardButtons(mdi), u"010"_s);
        // A focused button is no text box: all three off within one period.
        child<QPushButton>(engine, "cmdAddWS")->setFocus();
        QTRY_COMPARE(clipboardButtons(mdi), u"000"_s);
        QVERIFY(!run.state().textTarget);
        // The workspace panel's controller list counts as a text box.
        mdi->ShowForm(run.panel(4)->m_TreeNode);
        run.panel(4)->findChild<QComboBox *>("cmbController")->setFocus();
        QTRY_COMPARE(clipboardButtons(mdi).right(1), u"1"_s);
        QVERIFY(run.state().textTarget);
    }

    void recordingButtons()
    {
        TestRun run;
        frmMDI *mdi = run.mdi();
        addController(run);
        const QString body = run.script();
        QVERIFY(!body.isEmpty());
        tool(mdi, "btnRecPause")->click();
        QCOMPARE(run.state().script.RecMode(), int(clsScriptGen::Paused));
        QVERIFY(tool(mdi, "btnRecPause")->isChecked() && !tool(mdi, "btnRecStart")->isChecked());
        QVERIFY(action(mdi, "mnuEditItem_8")->isEnabled() && !action(mdi, "mnuEditItem_9")->isEnabled());
        tool(mdi, "btnRecStart")->click(); // resumes, body kept
        QCOMPARE(run.state().script.RecMode(), int(clsScriptGen::Recording));
        QCOMPARE(run.script(), body);

        tool(mdi, "btnRecStop")->click();
        QCOMPARE(run.state().script.RecMode(), int(clsScriptGen::Stopped));
        QVERIFY(!action(mdi, "mnuEditItem_9")->isEnabled() && !action(mdi, "mnuEditItem_10")->isEnabled());
        // Pause while stopped stays released.
        tool(mdi, "btnRecPause")->click();
        QVERIFY(!tool(mdi, "btnRecPause")->isChecked());
        QCOMPARE(run.state().script.RecMode(), int(clsScriptGen::Stopped));
        // Start from stopped empties the script.
        action(mdi, "mnuEditItem_8")->trigger();
        QVERIFY(run.script().isEmpty());
    }

    void exportLog()
    {
        TestRun run;
        const QString path = run.appDir() + "session";
        QString title, filter, directory;
        onNextModal([&](QWidget *modal) {
            // Read what is asked for, answer, and only then compare: a failed check inside
            // the callback would leave the dialog open.
            if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                title = dialog->windowTitle();
                filter = dialog->nameFilters().join(u';');
                directory = dialog->directory().absolutePath();
            }
            acceptFileDialog(modal, path);
        });
        action(run.mdi(), "mnuFileItem_0")->trigger();
        QCOMPARE(title, u"Save Log"_s);
        QCOMPARE(filter, u"Log File (*.log)"_s);
        QCOMPARE(directory + u'/', run.appDir());
        const QString text = readFile(path + ".log"); // default extension
        QVERIFY(text.contains(u" Creating ZelEngine...\r\n"));
        QVERIFY(!text.contains(QRegularExpression(u"[^\\r]\\n"_s)));
    }

    void exportScriptAndItsFailure()
    {
        TestRun run;
        addController(run);
        const QString path = run.appDir() + "rec.vbs";
        QString title;
        onNextModal([&](QWidget *modal) {
            title = modal->windowTitle();
            acceptFileDialog(modal, path);
        });
        action(run.mdi(), "mnuFileItem_1")->trigger();
        QCOMPARE(title, u"Save ZelScript File"_s);
        QCOMPARE(readFile(path), run.state().script.ZelScriptSrc());
        QVERIFY(!run.state().scriptModified);

        // A path that cannot be written: the warning, and the flag stays set.
        addController(run, "rc2");
        const QString bad = run.appDir() + "missing/dir/rec.vbs";
        QString warning;
        answerNext(&warning, "OK");
        QVERIFY(!run.mdi()->writeTextFile(bad, run.state().script.ZelScriptSrc()));
        QCOMPARE(warning, "Save Failed.\r\n" + bad);
        QVERIFY(run.state().scriptModified);
    }

    void scriptPathProposedOnlyWithRegistrySwitch()
    {
        for (bool useReg : {false, true}) {
            TestRun run(useReg ? QStringList{"-UseReg"} : QStringList{});
            const QString existing = run.appDir() + "old.vbs";
            QFile f(existing);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
            clsRegKey key;
            key.CreateKey(reg::HKEY_CLASSES_ROOT, "Software\\ZelTester", 0, reg::KEY_ALL_ACCESS);
            key.SetValue(Value::fromString(existing), "ScriptPath");
            QString proposed;
            onNextModal([&](QWidget *modal) {
                proposed = qobject_cast<QFileDialog *>(modal)->selectedFiles().value(0);
                acceptFileDialog(modal, QString());
            });
            action(run.mdi(), "mnuFileItem_1")->trigger();
            QCOMPARE(proposed == existing, useReg);
        }
    }

    void exportKsfThroughTheWorkspace()
    {
        TestRun run;
        QTreeWidget *tree = run.mdi()->tree();
        // Engine and status monitor nodes: no KSF export.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(run.mdi()->node1()).center());
        QVERIFY(!action(run.mdi(), "mnuFileItem_2")->isEnabled());
        PanelBase *ctrl = addController(run);
        tree->scrollToItem(ctrl->m_TreeNode);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(ctrl->m_TreeNode).center());
        QVERIFY(action(run.mdi(), "mnuFileItem_2")->isEnabled());
        const QString path = run.appDir() + "cell";
        QString title;
        onNextModal([&](QWidget *modal) {
            title = modal->windowTitle();
            acceptFileDialog(modal, path);
        });
        action(run.mdi(), "mnuFileItem_2")->trigger();
        QCOMPARE(title, u"Save KSF(Workspace - Default)"_s);
        ksf::DocumentPtr saved = ksf::Document::open(path + ".ksf");
        QCOMPARE(saved->controllerNames(), QStringList{"rc1"});
        QCOMPARE(saved->findController("rc1")->providerName(), u"Zel.Virtual"_s);
    }

    // The window's size, its panes and the folder last used are remembered in a settings file
    // of their own beside the registry store; ZelTester.ini and the registry store get none of it.
    void layoutIsRememberedInItsOwnFile()
    {
        QTemporaryDir dir;
        ScopedEnv registry("ZELTESTER_REGISTRY", dir.filePath("registry.ini"));
        QVERIFY(QDir(dir.path()).mkdir("logs"));
        {
            auto run = startIn(dir.path());
            frmMDI *mdi = run->window();
            mdi->resize(700, 500);
            for (auto [name, first] : {std::pair{"splitMain", 333}, std::pair{"splitLeft", 111}}) {
                auto *split = child<QSplitter>(mdi, name);
                const int total = split->orientation() == Qt::Horizontal ? split->width() : split->height();
                split->setSizes({first, total - first - split->handleWidth()});
                QCOMPARE(split->sizes().value(0), first);
            }
            // The program's folder can be written: the dialog proposes it, whatever was used last.
            QCOMPARE(exportLogTo(mdi, dir.filePath("logs/a.log")) + u'/', dir.path() + u'/');
            QCOMPARE(exportLogTo(mdi, dir.filePath("logs/b.log")) + u'/', dir.path() + u'/');
        }
        const QString settings = readFile(dir.filePath("window.ini"));
        for (const char *key : {"Width=700", "Height=500", "Maximized=false", "LeftPane=333", "TreeHeight=111"})
            QVERIFY2(settings.contains(QLatin1String(key)), key);
        QVERIFY(settings.contains("LastFolder=" + dir.filePath("logs")));
        QVERIFY(!readFile(dir.filePath("ZelTester.ini")).contains(u"Width"_s));
        QVERIFY(!QFile::exists(dir.filePath("registry.ini")));
        {
            auto run = startIn(dir.path());
            frmMDI *mdi = run->window();
            QCOMPARE(mdi->size(), QSize(700, 500));
            QCOMPARE(child<QSplitter>(mdi, "splitMain")->sizes().value(0), 333);
            QCOMPARE(child<QSplitter>(mdi, "splitLeft")->sizes().value(0), 111);
            QCOMPARE(run->state().lastFolder, dir.filePath("logs"));
        }
        // A remembered size larger than the screen is cut to the screen.
        QFile file(dir.filePath("window.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[MainWindow]\nWidth=5000\nHeight=4000\n");
        file.close();
        auto run = startIn(dir.path());
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(run->window()->frameGeometry()));
    }

    // An installed copy (below /usr) keeps ZelTester.ini in the user's config directory even
    // when it could write beside itself (as root); its file dialogs open in a folder the user
    // can write: the one last used, else the home folder.
    void installedCopyWritesNothingBesideItself()
    {
        const QString beside = u"/usr/bin/ZelTester.ini"_s;
        if (QFile::exists(beside))
            QSKIP("a ZelTester.ini is already in /usr/bin");
        QTemporaryDir home;
        ScopedEnv registry("ZELTESTER_REGISTRY", home.filePath("registry.ini"));
        ScopedEnv config("XDG_CONFIG_HOME", home.filePath("config"));
        ScopedEnv homeDir("HOME", home.path());
        QVERIFY(QDir(home.path()).mkdir("logs"));
        QVERIFY(isInstalledLocation(u"/usr/bin"_s) && isInstalledLocation(u"/opt/zeltester/bin/"_s));
        QVERIFY(!isInstalledLocation(home.path()) && !isInstalledLocation(u"/usrlocal"_s));
        {
            auto run = startIn(u"/usr/bin"_s);
            QCOMPARE(run->state().appDir, home.filePath("config/ZelTester/"));
            // A remembered controller, so that ZelTester.ini is written at the end.
            auto *ws = qobject_cast<PanelBase *>(run->window()->findForm(4));
            fill(ws, {"cmbController=rc1"});
            clickButton(ws, "cmdOpen");
            QCOMPARE(exportLogTo(run->window(), home.filePath("logs/a.log")), home.path());
            QCOMPARE(exportLogTo(run->window(), home.filePath("logs/b.log")), home.filePath("logs"));
        }
        const bool written = QFile::exists(beside);
        if (written)
            QFile::remove(beside);
        QVERIFY(!written);
        QVERIFY(QFile::exists(home.filePath("config/ZelTester/ZelTester.ini")));
        // The next run of the installed copy starts its dialogs in the folder last used.
        auto run = startIn(u"/usr/bin"_s);
        QCOMPARE(run->state().dialogFolder(), home.filePath("logs"));
    }

    // The log pane's text popup; the version box; the guide's warning.
    void popupVersionAndGuide()
    {
        TestRun run;
        QPlainTextEdit *log = run.mdi()->logPane();
        QTest::mouseClick(log->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        frmPopupmenu *popup = run.state().popup;
        QVERIFY(popup->mnuTxtPopup->isVisible());
        QVERIFY(popup->txtItems[4]->isVisible() && popup->txtItems[6]->isVisible()); // Export Log... only on the log pane
        QVERIFY(!popup->txtItems[0]->isEnabled() && !popup->txtItems[2]->isEnabled()); // read-only pane: no Cut, no Paste
        popup->txtItems[6]->trigger();
        QCOMPARE(log->toPlainText(), QString());
        popup->mnuTxtPopup->hide();

        QString text;
        answerNext(&text, "OK");
        action(run.mdi(), "mnuHelpItem_1")->trigger();
        QVERIFY2(text.contains(QRegularExpression(u"^tst_mainwindow version \\d+\\.\\d+\\.\\d+$"_s)), qPrintable(text));
        // No guide beside a temporary program directory: the warning.
        answerNext(&text, "OK");
        action(run.mdi(), "mnuHelpItem_0")->trigger();
        QCOMPARE(text, u"Failed to display the User's Guide."_s);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
