#include "frmGeneric.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

frmGeneric::frmGeneric(PanelKind kind, QWidget *parent) : PanelBase(kind, parent)
{
    auto *outer = new QVBoxLayout(this);
    QGroupBox *main = frame(nullptr, QStringLiteral("Zel") + QLatin1String(kindInfo(kind).kindWord));
    auto *grid = new QGridLayout(main);
    addRow(grid, 0, label(QStringLiteral("Name :")), {textBox("txtCtrlName", true), nullptr, button("cmdGetName", QStringLiteral("Get"))});
    addRow(grid, 1, label(QStringLiteral("Attribute :")), {textBox("txtAttr", true), nullptr, button("cmdGetAttr", QStringLiteral("Get"))});
    addRow(grid, 2, label(QStringLiteral("Help :")), {textBox("txtHelp", true), nullptr, button("cmdGetHelp", QStringLiteral("Get"))});
    addRow(grid, 3, label(QStringLiteral("Tag :")), {textBox("txtGetTag", true), textBox("txtPutTag"), button("cmdGetTag", QStringLiteral("Get")), button("cmdPutTag", QStringLiteral("Put"))});
    addRow(grid, 4, label(QStringLiteral("ID :")), {textBox("txtGetID", true), textBox("txtPutID"), button("cmdGetID", QStringLiteral("Get")), button("cmdPutID", QStringLiteral("Put"))});
    outer->addWidget(main);

    QGroupBox *exec = frame("fraExecute", QStringLiteral("Execute"));
    auto *execGrid = new QGridLayout(exec);
    addRow(execGrid, 0, label(QStringLiteral("Command :")), {textBox("txtCommand")});
    addRow(execGrid, 1, label(QStringLiteral("Type :")), {typeList("cmbValueType")});
    addRow(execGrid, 2, label(QStringLiteral("Parameter :")), {textBox("txtParameter"), button("cmdExecute", QStringLiteral("&Execute"))});
    addRow(execGrid, 3, label(QStringLiteral("Result :")), {textBox("txtResult", true)});
    outer->addWidget(exec);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button("cmdDelete", QStringLiteral("&Delete")));
    buttons->addWidget(button("cmdHide", QStringLiteral("[ &Hide ]")));
    outer->addLayout(buttons);

    addOperations(panel::kSharedOps);
    bindTypeSelector("cmbValueType", "txtParameter", "cmdExecute");
    bindDeleteHide("cmdDelete", "cmdHide");
}
