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

// Timeout and mode are read as every number field is and logged as the whole number sent; text
// that is no number fails before the request.
const OpRow kName = nameOp("cmdGetCmdName", "txtCmdName");
const OpRow kAttribute = attributeOp("cmdGetAttribute", "txtAttribute", Line::Bare);
const OpRow kGetTimeout = getOp("cmdGetTimeout", "Timeout", "txtGetTimeout", Ret::Integer, Line::Bare, "Get_Timeout");
const OpRow kPutTimeout = putOp("cmdPutTimeout", "Timeout", {Arg::RoundedInt, "txtPutTimeout"}, "Put_Timeout");
const OpRow kState = getOp("cmdGetState", "State", "txtState", Ret::Integer, Line::Bare, "Get_State");
const OpRow kGetParameters = {.button = "cmdGetParameter", .member = "Parameters", .ret = Ret::Value,
                              .box = "txtGetParameter", .fill = Fill::AfterComma, .line = Line::Value,
                              .typeCombo = "cmbValueType", .capability = "Get_Parameters"};
const OpRow kPutParameters =
    putOp("cmdPutParameter", "Parameters", {Arg::Typed, "txtPutParameter", "cmbValueType"}, "Put_Parameters");
const OpRow kResult = {.button = "cmdGetResult", .member = "Result", .ret = Ret::Value, .box = "txtExecuteResult",
                       .fill = Fill::Display, .line = Line::Value};
const OpRow kExecute = [] {
    OpRow row = methodOp("cmdExecute", "Execute", {{Arg::RoundedInt, "txtExecuteMode"}});
    row.hook = Hook::Both;
    return row;
}();
const OpRow kCancel = methodOp("cmdCancel", "Cancel");

} // namespace

frmCommand::frmCommand(QWidget *parent) : PanelBase(PanelKind::Command, parent)
{
    auto *outer = new QVBoxLayout(this);

    QGroupBox *main = propertyFrame("fraCommand", QStringLiteral("ZelCommand"),
                                    {{"Name :", &kName},
                                     {"Attribute :", &kAttribute},
                                     {"Help :", &kHelpOp},
                                     {"Ta&g :", &kGetTagOp, &kPutTagOp},
                                     {"&ID :", &kGetIdOp, &kPutIdOp},
                                     {"Ti&meout :", &kGetTimeout, &kPutTimeout},
                                     {"State :", &kState},
                                     {"&Parameters :", &kGetParameters, &kPutParameters},
                                     {"T&ype :", nullptr, nullptr, "cmbValueType"},
                                     {"Result :", &kResult}});
    outer->addWidget(main);

    QGroupBox *exec = frame("fraExecute", QStringLiteral("Execute"));
    auto *execGrid = new QGridLayout(exec);
    addRow(execGrid, 0, label(QStringLiteral("M&ode :")),
           {textBox(kExecute.args[0].box), opButton(kExecute, QStringLiteral("&Execute"))});
    addRow(execGrid, 1, label(QStringLiteral("Complete Time :")),
           {textBox("txtCompleteTime", true), opButton(kCancel, QStringLiteral("&Cancel"))});
    execGrid->setColumnStretch(1, 1);
    outer->addWidget(exec);
    outer->addStretch(1);

    outer->addLayout(closeRow(nullptr, "cmdCmdDelete", "cmdCmdHide"));

    bindTypeSelector("cmbValueType", "txtPutParameter", "cmdPutParameter");
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

void frmCommand::opHook(const OpRow &, Stage stage, Value &)
{
    // Execute: the field empties before the call and shows the time when an even mode returns.
    auto *completeTime = control<QLineEdit>("txtCompleteTime");
    qint32 mode = 0;
    try {
        mode = wholeNumber(control<QLineEdit>(kExecute.args[0].box)->text());
    } catch (const zel::ZelError &) {
        return; // the request fails on the mode; the field keeps its time
    }
    if (stage == Stage::Before)
        completeTime->clear();
    else if (mode % 2 == 0)
        completeTime->setText(nowText()); // even modes have finished when the call returns
}
