// The engine panel: the KSF path of a workspace option, AddWorkspace, Execute with its type
// selector, Workspaces.Clear and Hide.
#include "testsupport.h"

#include "engine/frmEngine.h"

class TestEnginePanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ksfPathFromTheOption_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("path");
        QTest::newRow("middle piece") << "a=1,@KSFFile=D:/defs/cell.xml,b" << "D:/defs/cell.xml";
        QTest::newRow("key alone") << "@KSFFile" << "";
        QTest::newRow("other letter case") << "@ksffile=/x.xml" << "";
        QTest::newRow("first of two") << "@KSFFile=/a.xml,@KSFFile=/b.xml" << "/a.xml";
        QTest::newRow("path with equals") << "@KSFFile=/p=q.xml" << "/p";
        QTest::newRow("longer key") << "@KSFFileX=/c.xml" << "/c.xml";
        QTest::newRow("none") << "" << "";
    }

    void ksfPathFromTheOption()
    {
        QFETCH(QString, option);
        QFETCH(QString, path);
        QCOMPARE(frmEngine::ksfPathFromOption(option), path);
    }

    void addWorkspace()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        fill(engine, {"txtWSName=Cell A", "txtWsOption=x=1"});
        QCOMPARE(run.click(engine, "cmdAddWS"), (QStringList{"AddWorkspace(\"Cell A\", \"x=1\")", "Succeeded."}));
        PanelBase *ws = run.lastPanel(PanelKind::Workspace);
        QCOMPARE(ws->m_FormID, 5);
        QCOMPARE(ws->windowTitle(), u"Workspace - Cell A"_s);
        QCOMPARE(ws->m_TreeNode->parent(), run.mdi()->node1());
        QVERIFY(ws->subWindow()->isVisible());
        QCOMPARE(run.status(), u"Ready"_s);
        // Nothing of the engine panel is recorded.
        QVERIFY(run.script().isEmpty());
    }

    void executeAndTypeSelector()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        fill(engine, {"txtCommand=Echo", "txtParameter=42", "cmbValueType=5"}); // I4
        QCOMPARE(run.click(engine, "cmdExecute"), (QStringList{"Execute(\"Echo\", <3,42>)", "Succeeded. (<3,42>)"}));
        QCOMPARE(textOf(engine, "txtResult"), u"42 (I4)"_s);

        // EMPTY and NULL grey the parameter; (Unkown) also the button.
        fill(engine, {"cmbValueType=0"});
        QVERIFY(!child<QLineEdit>(engine, "txtParameter")->isEnabled());
        QCOMPARE(run.click(engine, "cmdExecute").first(), u"Execute(\"Echo\", <0,>)"_s);
        fill(engine, {"cmbValueType=21"});
        QVERIFY(!child<QPushButton>(engine, "cmdExecute")->isEnabled());
        fill(engine, {"cmbValueType=10"});
        QVERIFY(child<QLineEdit>(engine, "txtParameter")->isEnabled());

        // A parameter that does not convert: only the failure line.
        fill(engine, {"cmbValueType=5", "txtParameter=abc"});
        QStringList lines = run.click(engine, "cmdExecute");
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].startsWith(u"Failed. (0x8004A100: "));
        // An unknown command is the engine's failure, after the request line.
        fill(engine, {"cmbValueType=10", "txtCommand=NoSuchCommand"});
        lines = run.click(engine, "cmdExecute");
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith(u"Failed. (0x8004A202: "));
        QCOMPARE(textOf(engine, "txtResult"), u"(EMPTY)"_s); // as the last success left it
    }

    void clearWorkspacesKeepsPanelsAndHideKeepsTheEngine()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        fill(engine, {"txtWSName=W1"});
        clickButton(engine, "cmdAddWS");
        PanelBase *w1 = run.lastPanel(PanelKind::Workspace);
        QCOMPARE(run.click(engine, "cmdWssClear"), (QStringList{"Wss.Clear()", "Succeeded."}));
        QVERIFY(run.panel(w1->m_FormID));
        QCOMPARE(zget(w1->m_ZelObj, "Index").toInt32(), -1);
        // Deleting it now removes nothing: its Index is -1.
        const qsizetype mark = run.logMark();
        run.mdi()->DeleteForm(w1->m_TreeNode);
        QVERIFY(run.logSince(mark).isEmpty());
        QVERIFY(!run.panel(w1->m_FormID));

        clickButton(engine, "cmdEngineHide");
        QVERIFY(!engine->subWindow()->isVisible());
        run.mdi()->ShowForm(engine->m_TreeNode);
        QVERIFY(engine->subWindow()->isVisible());
    }
};

QTEST_MAIN(TestEnginePanel)
#include "tst_enginepanel.moc"
