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

// Name is recorded as a value read here (result type 12), unlike the other panels. The eight
// rows with a capability are the ones a device-capability definition governs.
const OpRow kOps[] = {
    {.button = "cmdGetVarName", .request = "get_Name", .member = "Name", .script = ".Name", .style = 1, .retType = 12,
     .box = "txtVarName", .fill = Fill::Plain, .line = Line::Quoted},
    {.button = "cmdGetAttr", .request = "get_Attribute", .member = "Attribute", .script = ".Attribute", .style = 1,
     .retType = 3, .box = "txtAttribute", .fill = Fill::Plain, .line = Line::Bare, .capability = "Get_Attribute"},
    {.button = "cmdGetHelp", .request = "get_Help", .member = "Help", .script = ".Help", .style = 1, .retType = 8,
     .box = "txtHelp", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Help"},
    {.button = "cmdGetDateTime", .request = "get_DateTime", .member = "DateTime", .script = ".DateTime", .style = 1,
     .retType = 12, .box = "txtDateTime", .fill = Fill::Plain, .line = Line::Bare, .capability = "Get_DateTime"},
    {.button = "cmdGetMicrosecond", .request = "get_Microsecond", .member = "Microsecond", .script = ".Microsecond",
     .style = 1, .retType = 3, .box = "txtGetMicrosecond", .fill = Fill::Plain, .line = Line::Bare,
     .capability = "Get_Microsecond"},
    {.button = "cmdPutValue", .request = "put_Value", .args = {{Arg::Typed, "txtPutValue", "cmbValueType"}},
     .member = "Value", .kind = CallKind::PropertyPut, .script = ".Value", .style = 0, .retType = -1,
     .capability = "Put_Value"},
    {.button = "cmdGetValue", .request = "get_Value", .member = "Value", .script = ".Value", .style = 1, .retType = 12,
     .box = "txtGetValue", .fill = Fill::AfterComma, .line = Line::Value, .typeCombo = "cmbValueType",
     .capability = "Get_Value"},
};

} // namespace

frmVariable::frmVariable(QWidget *parent) : PanelBase(PanelKind::Variable, parent)
{
    setWindowTitle(QStringLiteral("Variable"));
    auto *outer = new QVBoxLayout(this);

    QGroupBox *main = frame("fraVariable", QStringLiteral("ZelVariable"));
    auto *grid = new QGridLayout(main);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    getRow(grid, 0, QStringLiteral("Name : "), "txtVarName", "cmdGetVarName");
    QLabel *typeLabel = label(QStringLiteral("T&ype : "));
    QComboBox *types = typeList("cmbValueType");
    typeLabel->setBuddy(types);
    grid->addWidget(typeLabel, 1, 0);
    grid->addWidget(types, 1, 2);
    getPutRow(grid, 2, QStringLiteral("&Value : "), "txtGetValue", "txtPutValue", "cmdGetValue", "cmdPutValue");
    getRow(grid, 3, QStringLiteral("Attribute : "), "txtAttribute", "cmdGetAttr");
    getRow(grid, 4, QStringLiteral("Help : "), "txtHelp", "cmdGetHelp");
    getPutRow(grid, 5, QStringLiteral("T&ag : "), "txtGetTag", "txtPutTag", "cmdGetTag", "cmdPutTag");
    getPutRow(grid, 6, QStringLiteral("&ID : "), "txtGetID", "txtPutID", "cmdGetID", "cmdPutID");
    getRow(grid, 7, QStringLiteral("Date Time : "), "txtDateTime", "cmdGetDateTime");
    getRow(grid, 8, QStringLiteral("Microsecond : "), "txtGetMicrosecond", "cmdGetMicrosecond");
    outer->addWidget(main);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button("cmdPerfchk", QStringLiteral("[ &Performance... ]")));
    buttons->addStretch(1);
    buttons->addWidget(button("cmdVarDelete", QStringLiteral("&Delete")));
    buttons->addWidget(button("cmdVarHide", QStringLiteral("[ &Hide ]")));
    outer->addLayout(buttons);
    outer->addStretch(1);

    // Tab order: the inputs in reading order, each followed by its buttons. Result boxes take
    // the focus only by mouse, so that the keyboard goes from input to input.
    const char *const order[] = {"cmdGetVarName", "cmbValueType", "txtPutValue", "cmdGetValue", "cmdPutValue",
                                 "cmdGetAttr", "cmdGetHelp", "txtPutTag", "cmdGetTag", "cmdPutTag", "txtPutID",
                                 "cmdGetID", "cmdPutID", "cmdGetDateTime", "cmdGetMicrosecond", "cmdPerfchk",
                                 "cmdVarDelete", "cmdVarHide"};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(control(order[i - 1]), control(order[i]));
    for (const char *box : {"txtVarName", "txtGetValue", "txtAttribute", "txtHelp", "txtGetTag", "txtGetID",
                            "txtDateTime", "txtGetMicrosecond"})
        control(box)->setFocusPolicy(Qt::ClickFocus);

    addOperations(kOps);
    addOperations(kTagIdOps);
    bindTypeSelector("cmbValueType", "txtPutValue", "cmdPutValue");
    bindDeleteHide("cmdVarDelete", "cmdVarHide");
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
