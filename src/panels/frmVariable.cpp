#include "frmVariable.h"

#include "panelkit/AppState.h"
#include "tools/frmPerfChk.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>


using namespace panel;
using zel::CallKind;

namespace {

// Name is recorded as a value read here (result type Value), unlike the other panels. The rows
// with a capability are the ones a device-capability definition governs.
const OpRow kName = nameOp("cmdGetVarName", "txtVarName", Ret::Value);
const OpRow kGetValue = {.button = "cmdGetValue", .member = "Value", .ret = Ret::Value, .box = "txtGetValue",
                         .fill = Fill::AfterComma, .line = Line::Value, .typeCombo = "cmbValueType",
                         .capability = "Get_Value"};
const OpRow kPutValue = putOp("cmdPutValue", "Value", {Arg::Typed, "txtPutValue", "cmbValueType"}, "Put_Value");
const OpRow kAttribute = attributeOp("cmdGetAttr", "txtAttribute", Line::Bare);
const OpRow kDateTime = getOp("cmdGetDateTime", "DateTime", "txtDateTime", Ret::Value, Line::Bare, "Get_DateTime");
const OpRow kMicrosecond =
    getOp("cmdGetMicrosecond", "Microsecond", "txtGetMicrosecond", Ret::Integer, Line::Bare, "Get_Microsecond");

} // namespace

frmVariable::frmVariable(QWidget *parent) : PanelBase(PanelKind::Variable, parent)
{
    setWindowTitle(QStringLiteral("Variable"));
    auto *outer = new QVBoxLayout(this);

    // Display boxes take the focus only by mouse, so that the keyboard goes from input to input.
    QGroupBox *main = propertyFrame("fraVariable", QStringLiteral("ZelVariable"),
                                    {{"Name : ", &kName},
                                     {"T&ype : ", nullptr, nullptr, "cmbValueType"},
                                     {"&Value : ", &kGetValue, &kPutValue},
                                     {"Attribute : ", &kAttribute},
                                     {"Help : ", &kHelpOp},
                                     {"T&ag : ", &kGetTagOp, &kPutTagOp},
                                     {"&ID : ", &kGetIdOp, &kPutIdOp},
                                     {"Date Time : ", &kDateTime},
                                     {"Microsecond : ", &kMicrosecond}},
                                    Qt::ClickFocus);
    outer->addWidget(main);

    outer->addLayout(closeRow(button("cmdPerfchk", QStringLiteral("[ &Performance... ]")), "cmdVarDelete", "cmdVarHide"));
    outer->addStretch(1);

    // Tab order: the inputs in reading order, each followed by its buttons.
    const char *const order[] = {"cmdGetVarName", "cmbValueType", "txtPutValue", "cmdGetValue", "cmdPutValue",
                                 "cmdGetAttr", "cmdGetHelp", "txtPutTag", "cmdGetTag", "cmdPutTag", "txtPutID",
                                 "cmdGetID", "cmdPutID", "cmdGetDateTime", "cmdGetMicrosecond", "cmdPerfchk",
                                 "cmdVarDelete", "cmdVarHide"};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(control(order[i - 1]), control(order[i]));

    bindTypeSelector("cmbValueType", "txtPutValue", "cmdPutValue");
    // Enter in an input box runs its Put, as its button would.
    static const std::pair<const char *, const char *> puts[] = {
        {"txtPutValue", "cmdPutValue"}, {"txtPutTag", "cmdPutTag"}, {"txtPutID", "cmdPutID"}};
    for (const auto &[box, put] : puts) {
        const char *buttonName = put;
        connect(control<QLineEdit>(box), &QLineEdit::returnPressed, this, [this, buttonName] {
            if (auto *b = control<QPushButton>(buttonName); b && b->isEnabled())
                b->click();
        });
    }

    connect(control<QPushButton>("cmdPerfchk"), &QPushButton::clicked, this, &frmVariable::openPerformanceCheck);
}

void frmVariable::openPerformanceCheck()
{
    // A modal window of the main window (the panel's own top-level window).
    auto *check = new frmPerfChk(window());
    check->m_Variable = m_ZelObj;
    check->m_MDI = app().host;
    check->exec();
    delete check;
}
