#include "frmCommand.h"

#include "zel/members.h"

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;
using zel::Value;

namespace {

enum Hook { HookExecute = 1 };

const OpRow kOps[] = {
    {.button = "cmdGetCmdName", .request = "get_Name", .member = "Name", .script = ".Name", .style = 1, .retType = 8,
     .box = "txtCmdName", .fill = Fill::Plain, .line = Line::Quoted},
    {.button = "cmdGetAttribute", .request = "get_Attribute", .member = "Attribute", .script = ".Attribute", .style = 1,
     .retType = 3, .box = "txtAttribute", .fill = Fill::Plain, .line = Line::Bare, .capability = "Get_Attribute"},
    {.button = "cmdGetHelp", .request = "get_Help", .member = "Help", .script = ".Help", .style = 1, .retType = 8,
     .box = "txtHelp", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Help"},

    // Timeout and mode are read as every number field is and logged as the whole number sent;
    // text that is no number fails before the request.
    {.button = "cmdGetTimeout", .request = "get_Timeout", .member = "Timeout", .script = ".Timeout", .style = 1,
     .retType = 3, .box = "txtGetTimeout", .fill = Fill::Plain, .line = Line::Bare, .capability = "Get_Timeout"},
    {.button = "cmdPutTimeout", .request = "put_Timeout", .args = {{Arg::RoundedInt, "txtPutTimeout"}},
     .member = "Timeout", .kind = CallKind::PropertyPut, .script = ".Timeout", .style = 0, .retType = -1,
     .capability = "Put_Timeout"},
    {.button = "cmdGetState", .request = "get_State", .member = "State", .script = ".State", .style = 1, .retType = 3,
     .box = "txtState", .fill = Fill::Plain, .line = Line::Bare, .capability = "Get_State"},
    {.button = "cmdGetParameter", .request = "get_Parameters", .member = "Parameters", .script = ".Parameters",
     .style = 1, .retType = 12, .box = "txtGetParameter", .fill = Fill::AfterComma, .line = Line::Value,
     .typeCombo = "cmbValueType", .capability = "Get_Parameters"},
    {.button = "cmdPutParameter", .request = "put_Parameters", .args = {{Arg::Typed, "txtPutParameter", "cmbValueType"}},
     .member = "Parameters", .kind = CallKind::PropertyPut, .script = ".Parameters", .style = 0, .retType = -1,
     .capability = "Put_Parameters"},
    {.button = "cmdGetResult", .request = "get_Result", .member = "Result", .script = ".Result", .style = 1,
     .retType = 12, .box = "txtExecuteResult", .fill = Fill::Display, .line = Line::Value},
    {.button = "cmdExecute", .request = "Execute", .args = {{Arg::RoundedInt, "txtExecuteMode"}}, .member = "Execute",
     .kind = CallKind::Method, .script = ".Execute", .style = 2, .retType = -1, .capability = "Execute",
     .hook = HookExecute},
    {.button = "cmdCancel", .request = "Cancel", .member = "Cancel", .kind = CallKind::Method, .script = ".Cancel",
     .style = 2, .retType = -1, .capability = "Cancel"},
};

} // namespace

frmCommand::frmCommand(QWidget *parent) : PanelBase(PanelKind::Command, parent)
{
    auto *outer = new QVBoxLayout(this);

    QGroupBox *main = frame("fraCommand", QStringLiteral("ZelCommand"));
    auto *grid = new QGridLayout(main);
    getRow(grid, 0, QStringLiteral("Name :"), "txtCmdName", "cmdGetCmdName");
    getRow(grid, 1, QStringLiteral("Attribute :"), "txtAttribute", "cmdGetAttribute");
    getRow(grid, 2, QStringLiteral("Help :"), "txtHelp", "cmdGetHelp");
    getPutRow(grid, 3, QStringLiteral("Ta&g :"), "txtGetTag", "txtPutTag", "cmdGetTag", "cmdPutTag");
    getPutRow(grid, 4, QStringLiteral("&ID :"), "txtGetID", "txtPutID", "cmdGetID", "cmdPutID");
    getPutRow(grid, 5, QStringLiteral("Ti&meout :"), "txtGetTimeout", "txtPutTimeout", "cmdGetTimeout", "cmdPutTimeout");
    getRow(grid, 6, QStringLiteral("State :"), "txtState", "cmdGetState");
    getPutRow(grid, 7, QStringLiteral("&Parameters :"), "txtGetParameter", "txtPutParameter", "cmdGetParameter", "cmdPutParameter");
    QLabel *typeLabel = label(QStringLiteral("T&ype :"));
    QComboBox *types = typeList("cmbValueType");
    typeLabel->setBuddy(types);
    grid->addWidget(typeLabel, 8, 0);
    grid->addWidget(types, 8, 2);
    getRow(grid, 9, QStringLiteral("Result :"), "txtExecuteResult", "cmdGetResult");
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    outer->addWidget(main);

    QGroupBox *exec = frame("fraExecute", QStringLiteral("Execute"));
    auto *execGrid = new QGridLayout(exec);
    addRow(execGrid, 0, label(QStringLiteral("M&ode :")), {textBox("txtExecuteMode"), button("cmdExecute", QStringLiteral("&Execute"))});
    addRow(execGrid, 1, label(QStringLiteral("Complete Time :")), {textBox("txtCompleteTime", true), button("cmdCancel", QStringLiteral("&Cancel"))});
    execGrid->setColumnStretch(1, 1);
    outer->addWidget(exec);
    outer->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button("cmdCmdDelete", QStringLiteral("&Delete")));
    buttons->addWidget(button("cmdCmdHide", QStringLiteral("[ &Hide ]")));
    outer->addLayout(buttons);

    addOperations(kOps);
    addOperations(kTagIdOps);
    bindTypeSelector("cmbValueType", "txtPutParameter", "cmdPutParameter");
    bindDeleteHide("cmdCmdDelete", "cmdCmdHide");
}

QString frmCommand::nowText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
}

void frmCommand::onLoad()
{
    // Every command panel of the controller hears the collection's completions.
    if (auto *commands = qobject_cast<zel::ZelCommands *>(m_ZelObjs.get()))
        m_completion = connect(commands, &zel::ZelCommands::ExecuteComplete, this, &frmCommand::m_ZelObjs_ExecuteComplete);
}

void frmCommand::onUnload()
{
    disconnect(m_completion);
}

void frmCommand::m_ZelObjs_ExecuteComplete(int index)
{
    if (!m_ZelObj)
        return;
    try {
        if (m_ZelObj->invoke(QStringLiteral("Index"), CallKind::PropertyGet, {}).toInt32() == index)
            control<QLineEdit>("txtCompleteTime")->setText(nowText());
    } catch (const zel::ZelError &) {
        // A command that cannot tell its place is not the one that completed.
    }
}

void frmCommand::opHook(const OpRow &row, int stage, Value &)
{
    if (row.hook != HookExecute)
        return;
    auto *completeTime = control<QLineEdit>("txtCompleteTime");
    qint32 mode = 0;
    try {
        mode = wholeNumber(control<QLineEdit>("txtExecuteMode")->text());
    } catch (const zel::ZelError &) {
        return; // the request fails on the mode; the field keeps its time
    }
    if (stage == 0)
        completeTime->clear();
    else if (mode % 2 == 0)
        completeTime->setText(nowText()); // even modes have finished when the call returns
}
