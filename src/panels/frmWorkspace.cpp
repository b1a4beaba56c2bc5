#include "frmWorkspace.h"

#include "panelkit/AppState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;
using zel::Value;

namespace {
const OpRow kName = unrecorded(nameOp("cmdGetName", "txtWSName", Ret::None));
const OpRow kExecute = unrecorded(executeOp("txtCommand", "txtParameter", Ret::None));

QComboBox *editableCombo(QWidget *parent, const char *name)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMinimumContentsLength(18);
    return c;
}
} // namespace

frmWorkspace::frmWorkspace(QWidget *parent) : PanelBase(PanelKind::Workspace, parent)
{
    setWindowTitle(QStringLiteral("ZelWorkspace"));
    auto *outer = new QVBoxLayout(this);

    QGroupBox *main = frame("fraWorkspace", QStringLiteral("ZelWorkspace"));
    auto *mainGrid = new QGridLayout(main);
    addRow(mainGrid, 0, label(QStringLiteral("Workspace &Name :")), {textBox(kName.box, true), opButton(kName, QStringLiteral("Get"))});
    auto *dcRow = new QHBoxLayout;
    QLineEdit *dcFile = textBox("txtDCFile");
    dcRow->addWidget(dcFile, 1);
    QPushButton *browse = button("cmdOpenDCFile", QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Choose a device-capability definition"));
    browse->setMaximumWidth(32);
    dcRow->addWidget(browse);
    QLabel *dcLabel = label(QStringLiteral("De&vice Capability :"));
    dcLabel->setBuddy(dcFile);
    mainGrid->addWidget(dcLabel, 1, 0);
    mainGrid->addLayout(dcRow, 1, 1);
    mainGrid->addWidget(button("cmdDCLoad", QStringLiteral("[ &Load ]")), 1, 2);
    outer->addWidget(main);

    QGroupBox *add = frame("fraAddController", QStringLiteral("Add Controller"));
    auto *addGrid = new QGridLayout(add);
    addRow(addGrid, 0, label(QStringLiteral("Con&troller Name :")), {editableCombo(this, "cmbController")});
    addRow(addGrid, 1, label(QStringLiteral("P&rovider Name :")), {editableCombo(this, "cmbProvider")});
    addRow(addGrid, 2, label(QStringLiteral("&Machine Name :")), {textBox("txtMachine")});
    addRow(addGrid, 3, label(QStringLiteral("O&ption :")), {textBox("txtOption")});
    auto *check = new QCheckBox(QStringLiteral("Disable &OnMessage Event"), this);
    check->setObjectName(QStringLiteral("chkOnMessage"));
    addGrid->addWidget(check, 4, 1);
    addGrid->addWidget(button("cmdOpen", QStringLiteral("&Add...")), 4, 2);
    outer->addWidget(add);

    outer->addWidget(executeFrame(kExecute, QStringLiteral("Command :"), QStringLiteral("Parameter :")));

    outer->addLayout(closeRow(button("cmdCtrlClear", QStringLiteral("Controllers.&Clear")), "cmdDelete", "cmdHide"));

    bindTypeSelector("cmbValueType", kExecute.args[1].box, kExecute.button);
    connect(control<QPushButton>("cmdOpen"), &QPushButton::clicked, this, &frmWorkspace::addController);
    connect(browse, &QPushButton::clicked, this, &frmWorkspace::browseDefinition);
    connect(control<QPushButton>("cmdDCLoad"), &QPushButton::clicked, this, &frmWorkspace::loadDefinition);
    connect(control<QPushButton>("cmdCtrlClear"), &QPushButton::clicked, this, &frmWorkspace::clearControllers);
    connect(control<QComboBox>("cmbController"), &QComboBox::activated, this, &frmWorkspace::recentChosen);
}

QString frmWorkspace::controllerOption(bool eventsDisabled, const QString &userOption)
{
    QString option = eventsDisabled ? QStringLiteral("@EventDisable=true") : QStringLiteral("@EventDisable=false");
    if (!userOption.isEmpty())
        option += QLatin1Char(',') + userOption;
    return option;
}

void frmWorkspace::onLoad()
{
    AppState &a = app();
    auto *providers = control<QComboBox>("cmbProvider");
    Value names = m_ZelObj->invoke(QStringLiteral("ProviderNames"), CallKind::PropertyGet, {Value::fromString(QString())});
    if (names.isArray()) {
        for (const Value &n : names.arrayValue().items)
            providers->addItem(n.toPlainText());
    }
    if (providers->count() > 0)
        providers->setCurrentIndex(0);

    // The engine panel opens the document before it makes the panel; the built-in workspace's
    // comes from the file named at start, where a file that cannot be read leaves the workspace
    // with a new, empty mirror.
    if (!m_KSFEng) {
        try {
            m_KSFEng = m_KSFPath.isEmpty() ? ksf::Document::createEmpty() : ksf::Document::open(m_KSFPath);
        } catch (const zel::ZelError &e) {
            a.logError(e);
            m_KSFEng = ksf::Document::createEmpty();
        }
    }
    refillControllers();
    if (QMdiArea *area = subWindow() ? subWindow()->mdiArea() : nullptr) {
        connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *w) {
            if (w && w == subWindow())
                refillControllers();
        });
    }
    displayPreloadController(this);
}

void frmWorkspace::onUnload()
{
    m_KSFEng.reset();
}

void frmWorkspace::refillControllers()
{
    auto *combo = control<QComboBox>("cmbController");
    QString kept = combo->currentText();
    combo->clear();
    for (const clsCtrlParameter &p : app().preloaded.items())
        combo->addItem(p.m_ControllerName);
    combo->setCurrentIndex(-1);
    combo->setEditText(kept);
}

void frmWorkspace::recentChosen(int index)
{
    const auto &items = app().preloaded.items();
    if (index < 0 || index >= items.size())
        return;
    const clsCtrlParameter &p = items[index];
    control<QComboBox>("cmbProvider")->setEditText(p.m_ProviderName);
    control<QLineEdit>("txtMachine")->setText(p.m_MachineName);
    control<QLineEdit>("txtOption")->setText(p.m_OptionVal);
    control<QCheckBox>("chkOnMessage")->setChecked(p.m_EventDisable != 0);
}

void frmWorkspace::browseDefinition()
{
    QFileDialog dialog(this, QStringLiteral("Load KSF"), app().dialogFolder(), QStringLiteral("KSF File (*.xml)"));
    dialog.setObjectName(QStringLiteral("cmnLoadDC"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QString path;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        path = dialog.selectedFiles().constFirst();
        app().rememberFolderOf(path);
    }
    control<QLineEdit>("txtDCFile")->setText(path);
}

void frmWorkspace::loadDefinition()
{
    auto *controller = control<QComboBox>("cmbController");
    auto *option = control<QLineEdit>("txtOption");
    try {
        m_DCEng = ksf::Document::open(control<QLineEdit>("txtDCFile")->text());
        ksf::CapabilitySetPtr set = m_DCEng->capabilitySet(QString());
        ksf::OperationPtr op = set ? set->operation(QString()) : nullptr;
        controller->setToolTip(op ? op->argumentDescription(1) : QString());
        option->setToolTip(op ? op->argumentDescription(2) : QString());
    } catch (const zel::ZelError &) {
        m_DCEng.reset();
        controller->setToolTip(QString());
        option->setToolTip(QString());
    }
}

void frmWorkspace::addController()
{
    AppState &a = app();
    a.status(QStringLiteral("Add Controller..."));
    const QString name = control<QComboBox>("cmbController")->currentText();
    const QString provider = control<QComboBox>("cmbProvider")->currentText();
    const QString machine = control<QLineEdit>("txtMachine")->text();
    const QString userOption = control<QLineEdit>("txtOption")->text();
    const bool eventsDisabled = control<QCheckBox>("chkOnMessage")->isChecked();
    bool failed = false;
    if (m_ZelObj) {
        try {
            const QString Q = QStringLiteral("\"");
            QString option = controllerOption(eventsDisabled, userOption);
            QString args = Q + name + Q + QStringLiteral(", ") + Q + provider + Q + QStringLiteral(", ") + Q + machine + Q
                           + QStringLiteral(", ") + Q + option + Q;
            logRequest(QStringLiteral("AddController(") + args + QLatin1Char(')'));
            a.recordScript(QStringLiteral("zel.AddController"), 9, 2, args);
            Value r = m_ZelObj->invoke(QStringLiteral("AddController"), CallKind::Method,
                                       {Value::fromString(name), Value::fromString(provider), Value::fromString(machine),
                                        Value::fromString(option)});
            zel::ObjectPtr ctrl = r.isObject() ? r.objectValue() : nullptr;
            if (!ctrl)
                throw zel::ZelError();
            // The mirror and the capability look-up use the name the engine reports.
            QString reported = ctrl->invoke(QStringLiteral("Name"), CallKind::PropertyGet, {}).toPlainText();
            ksf::EntryPtr entry = m_KSFEng->addController(reported);
            entry->setProviderName(provider);
            entry->setMachineName(machine);
            entry->setOption(userOption);
            ksf::EntryPtr capability;
            if (m_DCEng)
                capability = m_DCEng->findControllerOrDefault(reported);
            zel::ObjectPtr controllers = m_ZelObj->invoke(QStringLiteral("Controllers"), CallKind::PropertyGet, {}).objectValue();
            PanelBase *panel = createMemberPanel(PanelKind::Controller, ctrl, controllers, entry, capability);
            panel->showPanel();
            m_TreeNode->setExpanded(true);
            a.logLine(QStringLiteral("Succeeded."));
        } catch (const zel::ZelError &e) {
            a.logError(e);
            failed = true;
        }
    }
    // A failed Add leaves the recent controllers alone.
    if (!failed && !name.isEmpty()) {
        a.preloaded.remember({name, provider, machine, userOption, eventsDisabled ? 1 : 0});
        refillControllers();
    }
    a.status(QStringLiteral("Ready"));
}

void frmWorkspace::clearControllers()
{
    // Of the workspace panel's calls only adding a controller is recorded.
    clearCollection(QStringLiteral("Clear Controller..."), QStringLiteral("Ctrls"), QStringLiteral("Controllers"), false);
}
