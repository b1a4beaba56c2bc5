#include "testsupport.h"

#include "engine/frmEngine.h"

#include <QComboBox>

using zel::CallKind;
using zel::Value;

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
        setText(engine, "txtWSName", "Cell A");
        setText(engine, "txtWsOption", "x=1");
        qsizetype mark = run.logMark();
        clickButton(engine, "cmdAddWS");
        QCOMPARE(run.logSince(mark), (QStringList{"AddWorkspace(\"Cell A\", \"x=1\")", "Succeeded."}));
        PanelBase *ws = run.lastPanel(PanelKind::Workspace);
        QCOMPARE(ws->m_FormID, 5);
        QCOMPARE(ws->windowTitle(), QStringLiteral("Workspace - Cell A"));
        QCOMPARE(ws->m_TreeNode->parent(), run.mdi()->node1());
        QCOMPARE(ws->m_TreeNode->text(0), QStringLiteral("Cell A"));
        QVERIFY(ws->subWindow()->isVisible());
        QCOMPARE(child<QLabel>(run.mdi(), "stbrMain_1")->text(), QStringLiteral("Ready"));
        // Nothing of the engine panel is recorded.
        QVERIFY(run.state().script.body().isEmpty());
        // The same name again gives a second panel of the same workspace.
        clickButton(engine, "cmdAddWS");
        QCOMPARE(run.lastPanel(PanelKind::Workspace)->m_ZelObj, ws->m_ZelObj);
        QCOMPARE(run.mdi()->useCount(ws->m_ZelObj->identity()), 2);
    }

    void executeAndTypeSelector()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        auto *type = child<QComboBox>(engine, "cmbValueType");
        setText(engine, "txtCommand", "Echo");
        setText(engine, "txtParameter", "42");
        type->setCurrentIndex(5); // I4
        qsizetype mark = run.logMark();
        clickButton(engine, "cmdExecute");
        QCOMPARE(run.logSince(mark), (QStringList{"Execute(\"Echo\", <3,42>)", "Succeeded. (<3,42>)"}));
        QCOMPARE(textOf(engine, "txtResult"), QStringLiteral("42 (I4)"));

        // EMPTY and NULL grey the parameter; (Unkown) also the button.
        type->setCurrentIndex(0);
        QVERIFY(!child<QLineEdit>(engine, "txtParameter")->isEnabled());
        QVERIFY(child<QPushButton>(engine, "cmdExecute")->isEnabled());
        mark = run.logMark();
        clickButton(engine, "cmdExecute");
        QCOMPARE(run.logSince(mark).first(), QStringLiteral("Execute(\"Echo\", <0,>)"));
        type->setCurrentIndex(21);
        QVERIFY(!child<QPushButton>(engine, "cmdExecute")->isEnabled());
        type->setCurrentIndex(10);
        QVERIFY(child<QLineEdit>(engine, "txtParameter")->isEnabled());

        // A parameter that does not convert: only the failure line.
        type->setCurrentIndex(5);
        setText(engine, "txtParameter", "abc");
        mark = run.logMark();
        clickButton(engine, "cmdExecute");
        QStringList lines = run.logSince(mark);
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].startsWith(QStringLiteral("Failed. (0x8004A100: ")));

        // An unknown command is the engine's failure, after the request line.
        type->setCurrentIndex(10);
        setText(engine, "txtCommand", "NoSuchCommand");
        mark = run.logMark();
        clickButton(engine, "cmdExecute");
        lines = run.logSince(mark);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith(QStringLiteral("Failed. (0x8004A202: ")));
        QCOMPARE(textOf(engine, "txtResult"), QStringLiteral("(EMPTY)")); // as the last success left it
    }

    void clearWorkspacesKeepsPanels()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        setText(engine, "txtWSName", "W1");
        clickButton(engine, "cmdAddWS");
        PanelBase *w1 = run.lastPanel(PanelKind::Workspace);
        qsizetype mark = run.logMark();
        clickButton(engine, "cmdWssClear");
        QCOMPARE(run.logSince(mark), (QStringList{"Wss.Clear()", "Succeeded."}));
        QVERIFY(run.panel(w1->m_FormID));
        QCOMPARE(w1->m_ZelObj->invoke("Index", CallKind::PropertyGet, {}).toInt32(), -1);
        // Deleting it now removes nothing: its Index is -1.
        mark = run.logMark();
        run.mdi()->DeleteForm(w1->m_TreeNode);
        QVERIFY(run.logSince(mark).isEmpty());
        QVERIFY(!run.panel(w1->m_FormID));
    }

    void hideKeepsThePanel()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        clickButton(engine, "cmdEngineHide");
        QVERIFY(!engine->subWindow()->isVisible());
        run.mdi()->ShowForm(engine->m_TreeNode);
        QVERIFY(engine->subWindow()->isVisible());
    }
};

QTEST_MAIN(TestEnginePanel)
#include "tst_enginepanel.moc"
