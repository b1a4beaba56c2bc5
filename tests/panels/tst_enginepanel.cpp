// The engine panel: the KSF path of a workspace option, AddWorkspace, Execute with its type
// selector and Workspaces.Clear.
#include "testsupport.h"

#include "panels/frmEngine.h"

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
    }

    void ksfPathFromTheOption()
    {
        QFETCH(QString, option);
        QFETCH(QString, path);
        QCOMPARE(frmEngine::ksfPathFromOption(option), path);
    }

    void addAndClear()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        fill(engine, {"txtWSName=Cell A", "txtWsOption=x=1"});
        QCOMPARE(run.click(engine, "cmdAddWS"), (QStringList{"AddWorkspace(\"Cell A\", \"x=1\")", "Succeeded."}));
        PanelBase *ws = run.lastPanel(PanelKind::Workspace);
        QCOMPARE(ws->m_FormID, 5);
        QCOMPARE(ws->windowTitle(), u"Workspace - Cell A"_s);
        QCOMPARE(ws->m_TreeNode->parent(), run.mdi()->node1());

        // Clear empties the collection but keeps the panel; nothing of the engine panel is recorded.
        QCOMPARE(run.click(engine, "cmdWssClear"), (QStringList{"Wss.Clear()", "Succeeded."}));
        QCOMPARE(run.panel(ws->m_FormID), ws);
        QCOMPARE(zget(ws->m_ZelObj, "Index").toInt32(), -1);
        QVERIFY(run.script().isEmpty());
    }

    // A KSF file that cannot be opened refuses the add: the failure line is its one result line,
    // no panel and no node appear. The workspace the engine made stays there; adding it again
    // with a readable file (or none) opens its panel.
    void unreadableKSFFileRefusesTheAdd()
    {
        TestRun run;
        PanelBase *engine = run.panel(2);
        QFile notKsf(run.appDir() + "notes.xml");
        QVERIFY(notKsf.open(QIODevice::WriteOnly));
        notKsf.write("<notes><note/></notes>\n");
        notKsf.close();
        QTreeWidgetItem *root = run.mdi()->node1();
        const int nodes = root->childCount();
        const struct {
            QString option;
            QString error;
        } cases[] = {{"@KSFFile=" + run.appDir() + "missing.xml", "0x8004A300"},
                     {"a=1,@KSFFile=" + notKsf.fileName(), "0x8004A303"}};
        for (const auto &c : cases) {
            fill(engine, {"txtWSName=Cell A", "txtWsOption=" + c.option});
            const QStringList lines = run.click(engine, "cmdAddWS");
            QCOMPARE(lines.size(), 2);
            QCOMPARE(lines[0], "AddWorkspace(\"Cell A\", \"" + c.option + "\")");
            QVERIFY2(lines[1].startsWith("Failed. (" + c.error + ": "), qPrintable(lines[1]));
            QCOMPARE(run.status(), u"Ready"_s);
            QCOMPARE(run.lastPanel(PanelKind::Workspace)->m_FormID, 4);
            QCOMPARE(root->childCount(), nodes);
        }
        fill(engine, {"txtWsOption="});
        QCOMPARE(run.click(engine, "cmdAddWS"), (QStringList{"AddWorkspace(\"Cell A\", \"\")", "Succeeded."}));
        PanelBase *ws = run.lastPanel(PanelKind::Workspace);
        QCOMPARE(ws->m_FormID, 5);
        QCOMPARE(zget(ws->m_ZelObj, "Index").toInt32(), 1);
        QCOMPARE(zget(run.state().workspaces, "Count").toInt32(), 2);
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

        // A parameter that does not convert: only the failure line; the result stays.
        fill(engine, {"cmbValueType=5", "txtParameter=abc"});
        QCOMPARE(failuresShort(run.click(engine, "cmdExecute")), QStringList{"Failed."});
        QCOMPARE(textOf(engine, "txtResult"), u"(EMPTY)"_s);
    }
};

QTEST_MAIN(TestEnginePanel)
#include "tst_enginepanel.moc"
