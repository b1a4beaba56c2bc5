#include "testsupport.h"

#include "shell/clsRegKey.h"
#include "shell/textops.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using zel::CallKind;
using zel::Value;

namespace {

QAction *action(frmMDI *mdi, const QString &name)
{
    auto *a = mdi->findChild<QAction *>(name);
    if (!a)
        qWarning("no action %s", qPrintable(name));
    return a;
}

QToolButton *tool(frmMDI *mdi, const QString &name)
{
    return mdi->findChild<QToolButton *>(name);
}

QString readFile(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

// Adds a controller through the workspace panel (4) and returns its panel.
PanelBase *addController(TestRun &run, const QString &name)
{
    PanelBase *ws = run.panel(4);
    ws->findChild<QComboBox *>(QStringLiteral("cmbController"))->setEditText(name);
    clickButton(ws, QStringLiteral("cmdOpen"));
    return run.lastPanel(PanelKind::Controller);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startupSequence()
    {
        TestRun run;
        QVERIFY(run.mdi());
        QCOMPARE(run.mdi()->windowTitle(), QStringLiteral("ZelTester"));
        QCOMPARE(run.logMessages(), (QStringList{"Creating ZelEngine...", "Succeeded."}));
        QVERIFY(run.logLines().first().contains(QRegularExpression(QStringLiteral("^\\[1\\] \\d\\d:\\d\\d:\\d\\d Creating"))));
        QCOMPARE(run.panel(2)->kind(), PanelKind::Engine);
        QCOMPARE(run.mdi()->findForm(3)->objectName(), QStringLiteral("frmStatus"));
        QCOMPARE(run.panel(4)->kind(), PanelKind::Workspace);
        QCOMPARE(run.panel(4)->windowTitle(), QStringLiteral("Workspace - Default"));
        QCOMPARE(run.panel(4)->m_LogObjPath, QStringLiteral("Wss(\"Default\")"));

        QTreeWidget *tree = run.mdi()->tree();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem *root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("ZelEngine"));
        QCOMPARE(root->data(0, Qt::UserRole).toInt(), 2);
        QCOMPARE(root->child(0)->text(0), QStringLiteral("Engine Status"));
        QCOMPARE(root->child(0)->data(0, Qt::UserRole).toInt(), 3);
        QCOMPARE(root->child(1)->text(0), QStringLiteral("Default"));
        QCOMPARE(root->child(1)->data(0, Qt::UserRole).toInt(), 4);
        QVERIFY(root->isExpanded());
        QCOMPARE(tree->currentItem(), root);

        QCOMPARE(child<QLabel>(run.mdi(), "stbrMain_1")->text(), QStringLiteral("Ready"));
        QCOMPARE(child<QLabel>(run.mdi(), "stbrMain_2")->text(), QStringLiteral("ZelEngine"));
        QCOMPARE(child<QLabel>(run.mdi(), "stbrMain_3")->text(), QStringLiteral("2"));

        // Recording is on from the start.
        QCOMPARE(run.state().script.RecMode(), int(clsScriptGen::Recording));
        QVERIFY(tool(run.mdi(), "btnRecStart")->isChecked());
        QVERIFY(!tool(run.mdi(), "btnRecPause")->isChecked());
        QVERIFY(!action(run.mdi(), "mnuEditItem_8")->isEnabled());
        QVERIFY(action(run.mdi(), "mnuEditItem_9")->isEnabled());
        QVERIFY(action(run.mdi(), "mnuEditItem_10")->isEnabled());
        QVERIFY(!run.state().scriptModified);
    }

    void registrySwitch_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("on");
        QTest::newRow("none") << QStringList{} << false;
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
        bool written = key.OpenReg(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software\\ZelTester"), reg::KEY_READ) == 0
                       && key.QueryValue(appPath, QStringLiteral("AppPath")) == 0;
        QCOMPARE(written, on);
        if (on)
            QCOMPARE(appPath.stringValue() + QLatin1Char('/'), run.appDir());
    }

    void engineThatCannotBeCreated()
    {
        QString shown;
        onNextModal([&](QWidget *modal) {
            shown = qobject_cast<QMessageBox *>(modal)->text();
            answerMessageBox(modal, QStringLiteral("OK"));
        });
        TestRun run({}, [] () -> zel::ObjectPtr { throw zel::ZelError(0x80004005u, QStringLiteral("No engine here")); });
        QVERIFY(!run.run().started());
        QCOMPARE(shown, QStringLiteral("No engine here"));
    }

    void defaultKsfFromTheEngineRegistration()
    {
        // The engine's class registration names the built-in workspace's KSF document.
        QTemporaryDir dir;
        QString ksf = dir.path() + QStringLiteral("/cell.xml");
        ksf::DocumentPtr doc = ksf::Document::createEmpty();
        doc->addController(QStringLiteral("rc1"));
        doc->saveAs(ksf);
        TestRun run({}, {}, [&] {
            clsRegKey key;
            key.CreateKey(reg::HKEY_CLASSES_ROOT, QStringLiteral("CLSID\\{3f1c9a2e-5b7d-4e08-9c61-7a2d4e8b0c15}\\Option"), 0,
                          reg::KEY_ALL_ACCESS);
            key.SetValue(Value::fromString(ksf), QStringLiteral("KSFFile"));
        });
        QCOMPARE(run.panel(4)->workspaceDocument()->controllerNames(), QStringList{"rc1"});
    }

    void panelNumbersCountFromFive()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        setText(engine, QStringLiteral("txtWSName"), QStringLiteral("W1"));
        clickButton(engine, QStringLiteral("cmdAddWS"));
        PanelBase *w1 = run.lastPanel(PanelKind::Workspace);
        QCOMPARE(w1->m_FormID, 5);
        clickButton(engine, QStringLiteral("cmdAddWS"));
        QCOMPARE(run.lastPanel(PanelKind::Workspace)->m_FormID, 6);
        // Numbers are never reused, even after a panel has closed.
        run.mdi()->DeleteForm(w1->m_TreeNode);
        clickButton(engine, QStringLiteral("cmdAddWS"));
        QCOMPARE(run.lastPanel(PanelKind::Workspace)->m_FormID, 7);
    }

    void closeQuestionCancelKeepsEverything()
    {
        TestRun run;
        addController(run, QStringLiteral("rc1"));
        QVERIFY(run.state().scriptModified);
        QString question;
        onNextModal([&](QWidget *modal) {
            question = qobject_cast<QMessageBox *>(modal)->text();
            answerMessageBox(modal, QStringLiteral("Cancel"));
        });
        QVERIFY(!run.mdi()->close());
        QCOMPARE(question, QStringLiteral("Do you want to save recording scripts?"));
        QVERIFY(run.state().engine);
        QVERIFY(run.lastPanel(PanelKind::Controller));
        QVERIFY(run.panel(2));
    }

    void closeQuestionNoClosesAndRemoves()
    {
        TestRun run;
        addController(run, QStringLiteral("rc1"));
        qsizetype mark = run.logMark();
        onNextModal([](QWidget *modal) { answerMessageBox(modal, QStringLiteral("No")); });
        QVERIFY(run.mdi()->close());
        QVERIFY(!run.panel(2));
        // Closing removes the objects from their collections, deepest first, through the panels.
        QStringList after = run.logSince(mark);
        QVERIFY(after.contains(QStringLiteral("Wss(\"Default\").Ctrls.Remove(<3,0>)")));
        QVERIFY(after.indexOf(QStringLiteral("Wss(\"Default\").Ctrls.Remove(<3,0>)")) < after.indexOf(QStringLiteral("Wss.Remove(<3,0>)")));
    }

    void closeQuestionYesSavesScript()
    {
        TestRun run;
        addController(run, QStringLiteral("rc1"));
        QString path = run.appDir() + QStringLiteral("closing.vbs");
        onNextModal([path](QWidget *modal) {
            answerMessageBox(modal, QStringLiteral("Yes"));
            onNextModal([path](QWidget *dialog) { acceptFileDialog(dialog, path); });
        });
        QVERIFY(run.mdi()->close());
        QVERIFY(readFile(path).startsWith(QStringLiteral("Sub Main\r\n\r\n\tdbg.output \"[EXE]-zel.AddController('rc1'")));
    }

    void noQuestionWhenStoppedOrUnmodified()
    {
        {
            TestRun run;
            QVERIFY(run.mdi()->close()); // nothing recorded
        }
        {
            TestRun run;
            addController(run, QStringLiteral("rc1"));
            clickButton(run.mdi(), QStringLiteral("btnRecStop"));
            QVERIFY(run.mdi()->close()); // stopped: no question even though never saved
        }
        {
            TestRun run;
            addController(run, QStringLiteral("rc1"));
            clickButton(run.mdi(), QStringLiteral("btnRecPause"));
            bool asked = false;
            onNextModal([&](QWidget *modal) {
                asked = true;
                answerMessageBox(modal, QStringLiteral("No"));
            });
            QVERIFY(run.mdi()->close());
            QVERIFY(asked); // paused with a recorded line asks
        }
    }

    void deletionIsDepthFirstAndCountsUses()
    {
        TestRun run;
        PanelBase *ctrl = addController(run, QStringLiteral("rc1"));
        QVERIFY(ctrl);
        zel::ObjectPtr c = ctrl->m_ZelObj;
        zel::ObjectPtr vars = c->invoke(QStringLiteral("Variables"), CallKind::PropertyGet, {}).objectValue();
        zel::ObjectPtr v1 = c->invoke(QStringLiteral("AddVariable"), CallKind::Method, {Value::fromString("v1"), Value::fromString("")}).objectValue();
        PanelBase *p1 = ctrl->createMemberPanel(PanelKind::Variable, v1, vars, nullptr, nullptr);
        PanelBase *p2 = ctrl->createMemberPanel(PanelKind::Variable, v1, vars, nullptr, nullptr);
        QCOMPARE(run.mdi()->useCount(v1->identity()), 2);

        // Two panels of one object: deleting the first leaves the object in its collection.
        qsizetype mark = run.logMark();
        run.mdi()->DeleteForm(p1->m_TreeNode);
        QVERIFY(run.logSince(mark).isEmpty());
        QCOMPARE(vars->invoke(QStringLiteral("Count"), CallKind::PropertyGet, {}).toInt32(), 1);
        QCOMPARE(run.mdi()->useCount(v1->identity()), 1);

        // Deleting the controller closes the member first, then the controller.
        mark = run.logMark();
        Q_UNUSED(p2);
        run.mdi()->DeleteForm(ctrl->m_TreeNode);
        QCOMPARE(run.logSince(mark), (QStringList{"Wss(\"Default\").Ctrls(\"rc1\").Vars.Remove(<3,0>)", "Succeeded.",
                                                  "Wss(\"Default\").Ctrls.Remove(<3,0>)", "Succeeded."}));
        QVERIFY(run.state().script.body().contains(QStringLiteral("\tCall zel.Controllers(\"rc1\").Variables.Remove(0)\r\n")));
        QVERIFY(run.state().script.body().contains(QStringLiteral("\tCall zel.Controllers.Remove(0)\r\n")));
        QCOMPARE(run.mdi()->tree()->topLevelItem(0)->child(1)->childCount(), 0);
    }

    void nodesOneAndTwoCannotBeDeleted()
    {
        TestRun run;
        QTreeWidget *tree = run.mdi()->tree();
        for (QTreeWidgetItem *node : {run.mdi()->node1(), run.mdi()->node2()}) {
            tree->setCurrentItem(node);
            QTest::qWait(70);
            QVERIFY(tool(run.mdi(), "btnShow")->isEnabled());
            QVERIFY(!tool(run.mdi(), "btnDelete")->isEnabled());
            QVERIFY(!action(run.mdi(), "mnuEditItem_0")->isEnabled());
            run.mdi()->SelectPopupMenu(1); // the popup's Delete does nothing on them
            QVERIFY(run.mdi()->findForm(node->data(0, Qt::UserRole).toInt()));
        }
        tree->setCurrentItem(run.panel(4)->m_TreeNode);
        QTest::qWait(70);
        QVERIFY(tool(run.mdi(), "btnDelete")->isEnabled());
        // A right click on node 1 opens the popup with Delete disabled.
        QRect r = tree->visualItemRect(run.mdi()->node1());
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, r.center());
        QVERIFY(!run.state().popup->mdiItems[1]->isEnabled());
        run.state().popup->mnuMDIPopup->hide();
    }

    void showFormRestoresAndHideFormHides()
    {
        TestRun run;
        PanelBase *ws = run.panel(4);
        ws->subWindow()->showMinimized();
        run.mdi()->ShowForm(ws->m_TreeNode);
        QVERIFY(!ws->subWindow()->isMinimized());
        QVERIFY(ws->subWindow()->isVisible());
        QCOMPARE(run.mdi()->mdiArea()->activeSubWindow(), ws->subWindow());
        run.mdi()->HideForm(ws->m_TreeNode);
        QVERIFY(!ws->subWindow()->isVisible());
        QVERIFY(run.panel(4)); // still loaded
        // The close box hides too.
        run.mdi()->ShowForm(ws->m_TreeNode);
        ws->subWindow()->close();
        QVERIFY(!ws->subWindow()->isVisible());
        QVERIFY(run.panel(4));
    }

    void clipboardEnablingFollowsTheFocus()
    {
        TestRun run;
        run.mdi()->activateWindow();
        QApplication::setActiveWindow(run.mdi());
        PanelBase *engine = run.panel(2);
        run.mdi()->ShowForm(engine->m_TreeNode);
        auto *name = child<QLineEdit>(engine, "txtWSName");
        name->setText(QStringLiteral("abc"));
        name->setFocus();
        name->selectAll();
        QTest::qWait(70);
        QCOMPARE(run.state().textTarget.data(), name);
        QVERIFY(tool(run.mdi(), "btnCut")->isEnabled());
        QVERIFY(tool(run.mdi(), "btnCopy")->isEnabled());
        QVERIFY(tool(run.mdi(), "btnPaste")->isEnabled());
        QVERIFY(action(run.mdi(), "mnuEditItem_5")->isEnabled());

        // Copy and paste through the menu act on the text target.
        action(run.mdi(), "mnuEditItem_5")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("abc"));
        name->setCursorPosition(3);
        action(run.mdi(), "mnuEditItem_6")->trigger();
        QCOMPARE(name->text(), QStringLiteral("abcabc"));

        // A read-only box with a selection: Copy only.
        auto *result = child<QLineEdit>(engine, "txtResult");
        result->setText(QStringLiteral("xyz"));
        result->setFocus();
        result->selectAll();
        QTest::qWait(70);
        QVERIFY(tool(run.mdi(), "btnCopy")->isEnabled());
        QVERIFY(!tool(run.mdi(), "btnCut")->isEnabled());
        QVERIFY(!tool(run.mdi(), "btnPaste")->isEnabled());

        // A focused button is no text box: all three off within one period.
        child<QPushButton>(engine, "cmdAddWS")->setFocus();
        QTest::qWait(70);
        QVERIFY(!run.state().textTarget);
        QVERIFY(!tool(run.mdi(), "btnCut")->isEnabled());
        QVERIFY(!tool(run.mdi(), "btnCopy")->isEnabled());
        QVERIFY(!tool(run.mdi(), "btnPaste")->isEnabled());
        QVERIFY(!action(run.mdi(), "mnuEditItem_4")->isEnabled());

        // The workspace panel's controller list counts as a text box.
        PanelBase *ws = run.panel(4);
        run.mdi()->ShowForm(ws->m_TreeNode);
        ws->findChild<QComboBox *>(QStringLiteral("cmbController"))->setFocus();
        QTest::qWait(70);
        QVERIFY(run.state().textTarget);
        QVERIFY(tool(run.mdi(), "btnPaste")->isEnabled());
    }

    void activityCheckRestsWhenIdleAndWakesOnInput()
    {
        TestRun run;
        auto *timer = run.mdi()->findChild<QTimer *>(QStringLiteral("timActiveCheck"));
        QCOMPARE(timer->interval(), 50);
        QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 3000);
        // A key press anywhere wakes it; the enabling follows within one period.
        PanelBase *engine = run.panel(2);
        run.mdi()->ShowForm(engine->m_TreeNode);
        QApplication::setActiveWindow(run.mdi());
        auto *name = child<QLineEdit>(engine, "txtWSName");
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("ab"));
        QVERIFY(timer->isActive());
        name->selectAll();
        QTest::qWait(70);
        QVERIFY(tool(run.mdi(), "btnCopy")->isEnabled());
    }

    void recordingButtons()
    {
        TestRun run;
        frmMDI *mdi = run.mdi();
        addController(run, QStringLiteral("rc1"));
        QString body = run.state().script.body();
        QVERIFY(!body.isEmpty());
        // Clicking the pressed Start leaves it pressed and keeps the script.
        tool(mdi, "btnRecStart")->click();
        QVERIFY(tool(mdi, "btnRecStart")->isChecked());
        QCOMPARE(run.state().script.body(), body);

        tool(mdi, "btnRecPause")->click();
        QCOMPARE(run.state().script.RecMode(), int(clsScriptGen::Paused));
        QVERIFY(tool(mdi, "btnRecPause")->isChecked());
        QVERIFY(!tool(mdi, "btnRecStart")->isChecked());
        QVERIFY(action(mdi, "mnuEditItem_8")->isEnabled());
        QVERIFY(!action(mdi, "mnuEditItem_9")->isEnabled());

        tool(mdi, "btnRecStart")->click(); // resumes, body kept
        QCOMPARE(run.state().script.RecMode(), int(clsScriptGen::Recording));
        QCOMPARE(run.state().script.body(), body);

        tool(mdi, "btnRecStop")->click();
        QCOMPARE(run.state().script.RecMode(), int(clsScriptGen::Stopped));
        QVERIFY(!action(mdi, "mnuEditItem_9")->isEnabled());
        QVERIFY(!action(mdi, "mnuEditItem_10")->isEnabled());
        // Pause while stopped stays released.
        tool(mdi, "btnRecPause")->click();
        QVERIFY(!tool(mdi, "btnRecPause")->isChecked());
        QCOMPARE(run.state().script.RecMode(), int(clsScriptGen::Stopped));
        // Start from stopped empties the script.
        action(mdi, "mnuEditItem_8")->trigger();
        QVERIFY(run.state().script.body().isEmpty());
    }

    void exportLog()
    {
        TestRun run;
        QString path = run.appDir() + QStringLiteral("session");
        QString title, filter, directory;
        onNextModal([&](QWidget *modal) {
            // Read what is asked for, answer, and only then compare: a failed check inside
            // the callback would leave the dialog open.
            if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
                title = dialog->windowTitle();
                filter = dialog->nameFilters().join(QLatin1Char(';'));
                directory = dialog->directory().absolutePath();
            }
            acceptFileDialog(modal, path);
        });
        action(run.mdi(), "mnuFileItem_0")->trigger();
        QCOMPARE(title, QStringLiteral("Save Log"));
        QCOMPARE(filter, QStringLiteral("Log File (*.log)"));
        QCOMPARE(directory + QLatin1Char('/'), run.appDir());
        QString text = readFile(path + QStringLiteral(".log")); // default extension
        QStringList lines = text.split(QStringLiteral("\r\n"));
        QVERIFY(lines[0].endsWith(QStringLiteral(" Creating ZelEngine...")));
        QVERIFY(lines[1].endsWith(QStringLiteral(" Succeeded.")));
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral("[^\\r]\\n"))));

        // Clear Log empties the pane, numbering continues.
        action(run.mdi(), "mnuEditItem_2")->trigger();
        QCOMPARE(run.logLines().size(), 0);
        run.state().logLine(QStringLiteral("next"));
        QVERIFY(run.logLines().first().startsWith(QStringLiteral("[3] ")));
    }

    void exportScriptAndItsFailure()
    {
        TestRun run;
        addController(run, QStringLiteral("rc1"));
        QString path = run.appDir() + QStringLiteral("rec.vbs");
        QString title;
        onNextModal([&](QWidget *modal) {
            title = modal->windowTitle();
            acceptFileDialog(modal, path);
        });
        action(run.mdi(), "mnuFileItem_1")->trigger();
        QCOMPARE(title, QStringLiteral("Save ZelScript File"));
        QCOMPARE(readFile(path), run.state().script.ZelScriptSrc());
        QVERIFY(readFile(path).endsWith(QStringLiteral("End Sub\r\n")));
        QVERIFY(!run.state().scriptModified);

        // A path that cannot be written: the warning, and the flag stays set.
        addController(run, QStringLiteral("rc2"));
        QString bad = run.appDir() + QStringLiteral("missing/dir/rec.vbs");
        QString warning;
        onNextModal([&](QWidget *box) {
            warning = qobject_cast<QMessageBox *>(box)->text();
            answerMessageBox(box, QStringLiteral("OK"));
        });
        QVERIFY(!run.mdi()->writeTextFile(bad, run.state().script.ZelScriptSrc()));
        QCOMPARE(warning, QStringLiteral("Save Failed.\r\n") + bad);
        QVERIFY(run.state().scriptModified);
    }

    void scriptPathProposedOnlyWithRegistrySwitch()
    {
        for (bool useReg : {false, true}) {
            TestRun run(useReg ? QStringList{"-UseReg"} : QStringList{});
            QString existing = run.appDir() + QStringLiteral("old.vbs");
            QFile f(existing);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
            clsRegKey key;
            key.CreateKey(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software\\ZelTester"), 0, reg::KEY_ALL_ACCESS);
            key.SetValue(Value::fromString(existing), QStringLiteral("ScriptPath"));
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
        PanelBase *ctrl = addController(run, QStringLiteral("rc1"));
        tree->scrollToItem(ctrl->m_TreeNode);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(ctrl->m_TreeNode).center());
        QVERIFY(action(run.mdi(), "mnuFileItem_2")->isEnabled());
        QString path = run.appDir() + QStringLiteral("cell");
        QString title;
        onNextModal([&](QWidget *modal) {
            title = modal->windowTitle();
            acceptFileDialog(modal, path);
        });
        action(run.mdi(), "mnuFileItem_2")->trigger();
        QCOMPARE(title, QStringLiteral("Save KSF(Workspace - Default)"));
        ksf::DocumentPtr saved = ksf::Document::open(path + QStringLiteral(".ksf"));
        QCOMPARE(saved->controllerNames(), QStringList{"rc1"});
        QCOMPARE(saved->findController(QStringLiteral("rc1"))->providerName(), QStringLiteral("Zel.Virtual"));
    }

    void viewToggles()
    {
        TestRun run;
        frmMDI *mdi = run.mdi();
        QAction *objectWindow = action(mdi, "mnuViewItem_2");
        QAction *logWindow = action(mdi, "mnuViewItem_3");
        QVERIFY(objectWindow->isChecked() && logWindow->isChecked());
        objectWindow->trigger();
        QVERIFY(!objectWindow->isChecked());
        QVERIFY(!mdi->tree()->isVisible());
        QVERIFY(mdi->logPane()->isVisible());
        logWindow->trigger();
        QVERIFY(!child<QWidget>(mdi, "PicFrame")->isVisible());
        objectWindow->trigger();
        QVERIFY(mdi->tree()->isVisible());
        QVERIFY(!mdi->logPane()->isVisible());
        QVERIFY(child<QWidget>(mdi, "PicFrame")->isVisible());
        // With the tree hidden, Show and Delete are off.
        objectWindow->trigger();
        logWindow->trigger();
        QTest::qWait(70);
        QVERIFY(!tool(mdi, "btnShow")->isEnabled());
    }

    void textPopupOnTheLogPane()
    {
        TestRun run;
        QPlainTextEdit *log = run.mdi()->logPane();
        QTest::mouseClick(log->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        frmPopupmenu *popup = run.state().popup;
        QVERIFY(popup->mnuTxtPopup->isVisible());
        QVERIFY(popup->txtItems[4]->isVisible()); // Export Log... only on the log pane
        QVERIFY(popup->txtItems[6]->isVisible());
        QVERIFY(!popup->txtItems[0]->isEnabled()); // read-only pane: no Cut, no Paste
        QVERIFY(!popup->txtItems[2]->isEnabled());
        QCOMPARE(popup->txtItems[0]->text(), QStringLiteral("Cu&t"));
        QCOMPARE(popup->txtItems[6]->text(), QStringLiteral("Clear &Log"));
        popup->txtItems[6]->trigger();
        QCOMPARE(log->toPlainText(), QString());
        popup->mnuTxtPopup->hide();
    }

    void versionAndGuide()
    {
        TestRun run;
        QString text;
        onNextModal([&](QWidget *modal) {
            text = qobject_cast<QMessageBox *>(modal)->text();
            answerMessageBox(modal, QStringLiteral("OK"));
        });
        action(run.mdi(), "mnuHelpItem_1")->trigger();
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("^tst_mainwindow version \\d+\\.\\d+\\.\\d+$"))), qPrintable(text));

        // No guide beside a temporary program directory: the warning.
        onNextModal([&](QWidget *modal) {
            text = qobject_cast<QMessageBox *>(modal)->text();
            answerMessageBox(modal, QStringLiteral("OK"));
        });
        action(run.mdi(), "mnuHelpItem_0")->trigger();
        QCOMPARE(text, QStringLiteral("Failed to display the User's Guide."));
    }

    void menuCaptions()
    {
        TestRun run;
        const QStringList expected = {"Export &Log...", "Export &Script...", "Export &KSF...", "", "E&xit",
                                      "&Delete Object", "", "Clear &Log", "", "Cu&t", "&Copy", "&Paste", "",
                                      "&Start Recording", "P&ause Recording", "St&op Recording",
                                      "&Show Object", "", "&Object Window", "&Log Window", "&Cascade", "C&lose All",
                                      "&User's Guide...", "&Version..."};
        QStringList actual;
        for (QAction *top : run.mdi()->menuBar()->actions())
            for (QAction *a : top->menu()->actions())
                actual << a->text();
        QCOMPARE(actual, expected);
        const QStringList tips = {"Show", "Delete", "Cut", "Copy", "Paste", "Start Recording", "Pause Recording", "Stop Recording"};
        const QStringList keys = {"btnShow", "btnDelete", "btnCut", "btnCopy", "btnPaste", "btnRecStart", "btnRecPause", "btnRecStop"};
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(tool(run.mdi(), keys[i])->toolTip(), tips[i]);
    }

    void closeAllHidesEveryPanel()
    {
        TestRun run;
        action(run.mdi(), "mnuWindowItem_1")->trigger();
        for (QMdiSubWindow *w : run.mdi()->mdiArea()->subWindowList())
            QVERIFY(!w->isVisible());
        QVERIFY(run.panel(2) && run.panel(4));
    }

    void settingsWrittenAtTheEnd()
    {
        QString ini;
        {
            TestRun run;
            addController(run, QStringLiteral("rc1"));
            ini = run.state().settingsFile();
            run.state().scriptModified = false;
            QVERIFY(run.mdi()->close());
            run.run().finish();
            QVERIFY(readFile(ini).contains(QStringLiteral("[rc1]")));
            QVERIFY(readFile(ini).contains(QStringLiteral("Option=")));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
