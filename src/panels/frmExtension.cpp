#include "frmExtension.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;

namespace {

// Tag and ID are read as plain text and quoted like texts: a value without a plain text form
// (an array, an object) fails the request. The attribute request keeps its historic spelling.
const OpRow kOps[] = {
    {.button = "cmdGetExtName", .request = "get_Name", .member = "Name", .script = ".Name", .style = 1, .retType = 8,
     .box = "txtExtName", .fill = Fill::Plain, .line = Line::Quoted},
    {.button = "cmdGetAttribute", .request = "get_Attribte", .member = "Attribute", .script = ".Attribute", .style = 1,
     .retType = 3, .box = "txtAttribute", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Attribute"},
    {.button = "cmdGetHelp", .request = "get_Help", .member = "Help", .script = ".Help", .style = 1, .retType = 8,
     .box = "txtHelp", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Help"},
    {.button = "cmdGetTag", .request = "get_Tag", .member = "Tag", .script = ".Tag", .style = 1, .retType = 8,
     .box = "txtGetTag", .fill = Fill::Plain, .line = Line::Quoted},
    {.button = "cmdPutTag", .request = "put_Tag", .args = {{Arg::TextValue, "txtPutTag"}}, .member = "Tag",
     .kind = CallKind::PropertyPut, .script = ".Tag", .style = 0, .retType = -1},
    {.button = "cmdGetID", .request = "get_ID", .member = "ID", .script = ".ID", .style = 1, .retType = 8,
     .box = "txtGetID", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_ID"},
    {.button = "cmdPutID", .request = "put_ID", .args = {{Arg::TextValue, "txtPutID"}}, .member = "ID",
     .kind = CallKind::PropertyPut, .script = ".ID", .style = 0, .retType = -1, .capability = "Put_ID"},
    {.button = "cmdExecute", .request = "Execute",
     .args = {{Arg::Text, "txtCommand"}, {Arg::Typed, "txtParameter", "cmbValueType"}}, .member = "Execute",
     .kind = CallKind::Method, .script = ".Execute", .style = 2, .retType = 12, .box = "txtResult",
     .fill = Fill::Display, .line = Line::Value, .capability = "Execute"},
    {.button = "cmdGetNames", .request = "VariableNames", .args = {{Arg::Text, "txtVarNamesOption"}},
     .member = "VariableNames", .script = ".VariableNames", .style = 1, .retType = 12, .box = "lstVarNames",
     .fill = Fill::List, .line = Line::Value, .capability = "Get_VariableNames"},
};

} // namespace

frmExtension::frmExtension(QWidget *parent) : PanelBase(PanelKind::Extension, parent)
{
    auto *outer = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto *left = new QVBoxLayout;
    columns->addLayout(left, 3);

    QGroupBox *main = frame("fraExtension", QStringLiteral("ZelExtension"));
    auto *grid = new QGridLayout(main);
    getRow(grid, 0, QStringLiteral("Name :"), "txtExtName", "cmdGetExtName");
    getRow(grid, 1, QStringLiteral("Attribute :"), "txtAttribute", "cmdGetAttribute");
    getRow(grid, 2, QStringLiteral("Help :"), "txtHelp", "cmdGetHelp");
    getPutRow(grid, 3, QStringLiteral("Ta&g :"), "txtGetTag", "txtPutTag", "cmdGetTag", "cmdPutTag");
    getPutRow(grid, 4, QStringLiteral("&ID :"), "txtGetID", "txtPutID", "cmdGetID", "cmdPutID");
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    left->addWidget(main);

    left->addWidget(executeFrame(QStringLiteral("Co&mmand :"), QStringLiteral("&Parameter :")));
    left->addStretch(1);

    // The extension's variables.
    QGroupBox *vars = variablesFrame();
    columns->addWidget(vars, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button("cmdExtDelete", QStringLiteral("&Delete")));
    buttons->addWidget(button("cmdExtHide", QStringLiteral("[ &Hide ]")));
    outer->addLayout(buttons);

    addOperations(kOps);
    bindTypeSelector("cmbValueType", "txtParameter", "cmdExecute");
    bindDeleteHide("cmdExtDelete", "cmdExtHide");
    bindVariableButtons();
}

void frmExtension::applyCapabilities()
{
    PanelBase::applyCapabilities();
    bindAddTooltips(ksf::Variable, "txtVarName", "txtVarOption");
}
