#include "frmEngine.h"

#include "frmWorkspace.h"
#include "panelkit/AppState.h"
#include "panelkit/PanelHost.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;
using zel::Value;

namespace {
const OpRow kExecute = unrecorded(executeOp("txtCommand", "txtParameter", Ret::None));
}

frmEngine::frmEngine(QWidget *parent) : PanelBase(PanelKind::Engine, parent)
{
    setWindowTitle(QStringLiteral("ZelEngine"));
    auto *outer = new QVBoxLayout(this);
    QGroupBox *main = frame("fraEngine", QStringLiteral("ZelEngine"));
    outer->addWidget(main);
    auto *mainLayout = new QVBoxLayout(main);

    QGroupBox *add = frame("fraAddWS", QStringLiteral("Add Workspace"));
    auto *addGrid = new QGridLayout(add);
    addRow(addGrid, 0, label(QStringLiteral("&Name :")), {textBox("txtWSName")});
    addRow(addGrid, 1, label(QStringLiteral("&Option :")), {textBox("txtWsOption"), button("cmdAddWS", QStringLiteral("&Add..."))});
    mainLayout->addWidget(add);

    mainLayout->addWidget(executeFrame(kExecute, QStringLiteral("Co&mmand :"), QStringLiteral("&Parameter :")));

    outer->addLayout(closeRow(button("cmdWssClear", QStringLiteral("Workspaces.&Clear")), nullptr, "cmdEngineHide"));

    bindTypeSelector("cmbValueType", kExecute.args[1].box, kExecute.button);
    connect(control<QPushButton>("cmdAddWS"), &QPushButton::clicked, this, &frmEngine::addWorkspace);
    connect(control<QPushButton>("cmdWssClear"), &QPushButton::clicked, this, &frmEngine::clearWorkspaces);
}

QString frmEngine::ksfPathFromOption(const QString &option)
{
    const QStringList pieces = option.split(QLatin1Char(','));
    for (const QString &piece : pieces) {
        if (piece.left(8) == QLatin1String("@KSFFile")) {
            const QStringList parts = piece.split(QLatin1Char('='));
            return parts.size() > 1 ? parts[1] : QString();
        }
    }
    return QString();
}

void frmEngine::addWorkspace()
{
    AppState &a = app();
    a.status(QStringLiteral("Add Workspace..."));
    if (m_ZelObj) {
        try {
            QString name = control<QLineEdit>("txtWSName")->text();
            QString option = control<QLineEdit>("txtWsOption")->text();
            a.logLine(QStringLiteral("AddWorkspace(\"%1\", \"%2\")").arg(name, option));
            Value r = m_ZelObj->invoke(QStringLiteral("AddWorkspace"), CallKind::Method,
                                       {Value::fromString(name), Value::fromString(option)});
            zel::ObjectPtr ws = r.isObject() ? r.objectValue() : nullptr;
            if (!ws)
                throw zel::ZelError();
            // The workspace's KSF document comes from the option's file; a file that cannot be
            // read refuses the add before a panel exists (the failure line is the action's only
            // result). The engine keeps the workspace, as it keeps a controller whose KSF entry
            // failed; adding the name again opens its panel.
            const QString ksfPath = ksfPathFromOption(option);
            ksf::DocumentPtr mirror = ksfPath.isEmpty() ? ksf::Document::createEmpty() : ksf::Document::open(ksfPath);
            auto *panel = new frmWorkspace;
            panel->m_ZelObj = ws;
            panel->m_ZelObjs = a.workspaces;
            panel->m_KSFPath = ksfPath;
            panel->m_KSFEng = mirror;
            panel->m_FormID = a.nextFormId();
            panel->m_ParentNode = m_TreeNode;
            try {
                panel->load();
            } catch (...) {
                panel->closeByProgram();
                throw;
            }
            panel->showPanel();
            m_TreeNode->setExpanded(true);
            a.logLine(QStringLiteral("Succeeded."));
        } catch (const zel::ZelError &e) {
            a.logError(e);
        }
    }
    a.status(QStringLiteral("Ready"));
}

void frmEngine::clearWorkspaces()
{
    // The engine panel's calls are logged, never recorded.
    clearCollection(QStringLiteral("Clear Workspace..."), QStringLiteral("Wss"), QStringLiteral("Workspaces"), false);
}

void frmEngine::onUnload()
{
    // The whole tree below the engine goes with the engine panel; its own node goes last.
    try {
        if (hasApp() && app().host && m_TreeNode) {
            app().host->DeleteForm(m_TreeNode, true);
            app().host->removeTreeNode(m_TreeNode);
            m_TreeNode = nullptr;
        }
    } catch (const zel::ZelError &) {
    }
}
