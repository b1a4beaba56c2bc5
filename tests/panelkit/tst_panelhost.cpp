// The panel kit without the main window: a panel held by a host of the test's own, through
// PanelHost and the application state alone. What a panel asks of its host when it loads, runs an
// operation, is hidden or deleted, and how the kit makes panels through the factory it is handed.
// (This program links the panel kit and nothing above it.)
#include "panelkit/AppState.h"
#include "panelkit/PanelBase.h"
#include "panelkit/PanelHost.h"
#include "zel/engine.h"
#include "zel/errors.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

// A host that keeps its forms in a client area and its nodes in a tree, and notes every request.
class TestHost : public PanelHost {
public:
    QTreeWidget tree;
    QMdiArea area;
    QStringList calls;

    QTreeWidgetItem *AddTreeNode(const QString &uniqueName, QTreeWidgetItem *relative, const QString &treeName,
                                 const QString &treeIcon) override
    {
        calls << u"AddTreeNode %1 %2 %3"_s.arg(relative ? relative->text(0) : u"-"_s, treeName, treeIcon);
        lastUniqueName = uniqueName;
        auto *node = relative ? new QTreeWidgetItem(relative) : new QTreeWidgetItem(&tree);
        node->setText(0, treeName);
        return node;
    }
    void removeTreeNode(QTreeWidgetItem *node) override
    {
        calls << u"removeTreeNode "_s + node->text(0);
        delete node;
    }
    QMdiSubWindow *addForm(ZelForm *form) override
    {
        calls << u"addForm "_s + form->objectName();
        return area.addSubWindow(form);
    }
    ZelForm *findForm(const QTreeWidgetItem *node) const override
    {
        for (QMdiSubWindow *frame : area.subWindowList()) {
            auto *form = qobject_cast<ZelForm *>(frame->widget());
            if (form && node && form->m_FormID == node->data(0, Qt::UserRole).toInt())
                return form;
        }
        return nullptr;
    }
    void DeleteForm(QTreeWidgetItem *node, bool childrenOnly) override
    {
        calls << u"DeleteForm %1 %2"_s.arg(node->text(0)).arg(childrenOnly);
    }
    void HideForm(QTreeWidgetItem *node) override { calls << u"HideForm "_s + node->text(0); }
    void WriteStatusBar(const QString &text) override { calls << u"WriteStatusBar "_s + text; }

    QString lastUniqueName;
};

// The log lines as they are written.
struct CapturedLog : LogOutput {
    QStringList messages;
    void appendLogText(const QString &line) override { messages << line.section(u' ', 2).chopped(2); }
};

const panel::OpRow kName = panel::nameOp("cmdGetName", "txtCtrlName");

// A controller panel of the smallest kind: its name row, Delete and Hide.
class NamePanel : public PanelBase {
public:
    NamePanel() : PanelBase(PanelKind::Controller)
    {
        auto *grid = new QGridLayout(this);
        propertyRows(grid, {{"&Name :", &kName}});
        grid->addLayout(closeRow(nullptr, "cmdDelete", "cmdHide"), 1, 0, 1, 4);
    }
};

void click(QWidget *panel, const char *name)
{
    auto *b = panel->findChild<QPushButton *>(QLatin1String(name));
    QVERIFY(b);
    b->click();
}

} // namespace

class TestPanelHost : public QObject {
    Q_OBJECT

    std::unique_ptr<AppState> m_state;
    TestHost m_host;
    CapturedLog m_log;
    std::shared_ptr<zel::ZelEngine> m_engine;

private Q_SLOTS:
    void init()
    {
        m_state = std::make_unique<AppState>();
        m_state->host = &m_host;
        m_state->log.OutputTextBox(&m_log);
        m_state->log.setClock([] { return QTime(12, 0, 0); });
        m_state->panelFactory = [](PanelKind) { return new NamePanel; };
        m_state->script.RecStart();
        m_engine = zel::ZelEngine::create();
        m_host.calls.clear();
        m_log.messages.clear();
    }
    void cleanup()
    {
        m_host.area.closeAllSubWindows();
        qDeleteAll(m_host.area.subWindowList());
        m_host.tree.clear();
        m_state.reset();
    }

    // Loading asks for a node (with the object's identity, its name and the kind's image) and a
    // place in the client area; the operations, Hide and Delete go through the same host.
    void panelAsksItsHost()
    {
        auto ctrl = m_engine->workspaces()->at(0)->addController(u"RC1"_s, u"Zel.Virtual"_s);
        PanelBase *p = createPanel(PanelKind::Controller);
        p->m_ZelObj = ctrl;
        p->m_FormID = m_state->nextFormId();
        p->load();
        QCOMPARE(p->m_FormID, 5);
        QCOMPARE(m_host.calls, (QStringList{u"AddTreeNode - RC1 CONTROLLER"_s, u"addForm frmController"_s}));
        QCOMPARE(m_host.lastUniqueName, ctrl->identity());
        QCOMPARE(p->m_TreeNode->data(0, Qt::UserRole).toInt(), 5);
        QCOMPARE(p->windowTitle(), u"Controller - RC1"_s);
        QCOMPARE(m_host.findForm(p->m_TreeNode), p);

        click(p, "cmdGetName");
        QCOMPARE(m_log.messages, (QStringList{u"get_Name()"_s, u"Succeeded. (\"RC1\")"_s}));
        QVERIFY(m_state->scriptModified);
        QVERIFY(m_state->script.body().contains(u"dbg.output \"Succeeded. (\"\"\" & .Name & \"\"\")\""_s));

        m_host.calls.clear();
        click(p, "cmdHide");
        click(p, "cmdDelete");
        m_state->status(u"Ready"_s);
        QCOMPARE(m_host.calls, (QStringList{u"HideForm RC1"_s, u"DeleteForm RC1 0"_s, u"WriteStatusBar Ready"_s}));
    }

    // A member panel finds its owner through the host and builds its paths from the owner's.
    void memberPanelFindsItsOwner()
    {
        auto ws = m_engine->workspaces()->at(0);
        auto ctrl = ws->addController(u"RC1"_s, u"Zel.Virtual"_s);
        PanelBase *owner = createPanel(PanelKind::Controller);
        owner->m_ZelObj = ctrl;
        owner->m_FormID = m_state->nextFormId();
        owner->load();
        owner->m_LogObjPath = u"Wss(\"Default\").Ctrls(\"RC1\")"_s;
        owner->m_CsrObjPath = u"zel.Controllers(\"RC1\")"_s;
        auto second = ws->addController(u"RC2"_s, u"Zel.Virtual"_s);
        PanelBase *member = owner->createMemberPanel(PanelKind::Controller, second, nullptr, nullptr, nullptr);
        QCOMPARE(member->ownerPanel(), owner);
        QCOMPARE(member->m_TreeNode->parent(), owner->m_TreeNode);
        QCOMPARE(member->m_LogObjPath, u"Wss(\"Default\").Ctrls(\"RC1\").Ctrls(\"RC2\")"_s);
        QCOMPARE(member->m_CsrObjPath, u"zel.Controllers(\"RC1\").Controllers(\"RC2\")"_s);
        QCOMPARE(m_host.calls.last(), u"addForm frmController"_s);
    }

    // Without a factory the kit makes no panel and says why.
    void noFactoryNoPanel()
    {
        m_state->panelFactory = nullptr;
        try {
            createPanel(PanelKind::Variable);
            QFAIL("a panel was made without a factory");
        } catch (const zel::ZelError &e) {
            QCOMPARE(e.unsignedNumber(), quint32(zel::E_UNEXPECTED));
        }
    }
};

QTEST_MAIN(TestPanelHost)
#include "tst_panelhost.moc"
