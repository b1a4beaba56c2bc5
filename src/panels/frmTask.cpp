#include "frmTask.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;

namespace {

// The attribute is quoted like a text in the result line; Execute records no result.
const OpRow kOps[] = {
    {.button = "cmdGetTaskName", .request = "get_Name", .member = "Name", .script = ".Name", .style = 1, .retType = 8,
     .box = "txtTaskName", .fill = Fill::Plain, .line = Line::Quoted},
    {.button = "cmdGetFileName", .request = "get_FileName", .member = "FileName", .script = ".FileName", .style = 1,
     .retType = 8, .box = "txtFileName", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_FileName"},
    {.button = "cmdGetAttribute", .request = "get_Attribute", .member = "Attribute", .script = ".Attribute", .style = 1,
     .retType = 3, .box = "txtAttribute", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Attribute"},
    {.button = "cmdGetHelp", .request = "get_Help", .member = "Help", .script = ".Help", .style = 1, .retType = 8,
     .box = "txtHelp", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Help"},

    // Start and Stop pass the number that begins the mode list's text (0 when none).
    {.button = "cmdTaskStart", .request = "Start", .args = {{Arg::LeadInt, "cmbTaskStart"}, {Arg::Text, "txtStartOption"}},
     .member = "Start", .kind = CallKind::Method, .script = ".Start", .style = 2, .retType = -1, .capability = "Start"},
    {.button = "cmdTaskStop", .request = "Stop", .args = {{Arg::LeadInt, "cmbTaskStop"}, {Arg::Text, "txtStopOption"}},
     .member = "Stop", .kind = CallKind::Method, .script = ".Stop", .style = 2, .retType = -1, .capability = "Stop"},
    {.button = "cmdDelete", .request = "Delete", .args = {{Arg::Text, "txtDelOption"}}, .member = "Delete",
     .kind = CallKind::Method, .script = ".Delete", .style = 2, .retType = -1, .capability = "Delete"},
    {.button = "cmdExecute", .request = "Execute",
     .args = {{Arg::Text, "txtExeCommand"}, {Arg::Typed, "txtExeParameter", "cmbValueType"}}, .member = "Execute",
     .kind = CallKind::Method, .script = ".Execute", .style = 2, .retType = -1, .box = "txtResult",
     .fill = Fill::Display, .line = Line::Value, .capability = "Execute"},

    {.button = "cmdGetNames", .request = "VariableNames", .args = {{Arg::Text, "txtVarNamesOption"}},
     .member = "VariableNames", .script = ".VariableNames", .style = 1, .retType = 12, .box = "lstVarNames",
     .fill = Fill::List, .line = Line::Value, .capability = "Get_VariableNames"},
};

const char *const kStartModes[] = {"1 - 1 cycle start", "2 - Cyclic start", "3 - Step forward", "4 - Step back"};
const char *const kStopModes[] = {"0 - Default stop", "1 - Instant stop", "2 - Step stop", "3 - Cycle stop",
                                  "4 - Stop and initialize"};

} // namespace

frmTask::frmTask(QWidget *parent) : PanelBase(PanelKind::Task, parent)
{
    auto *outer = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto *left = new QVBoxLayout;
    columns->addLayout(left, 3);

    QGroupBox *main = frame("fraVariable", QStringLiteral("ZelTask"));
    auto *grid = new QGridLayout(main);
    getRow(grid, 0, QStringLiteral("Name :"), "txtTaskName", "cmdGetTaskName");
    getRow(grid, 1, QStringLiteral("FileName :"), "txtFileName", "cmdGetFileName");
    getRow(grid, 2, QStringLiteral("Attribute :"), "txtAttribute", "cmdGetAttribute");
    getRow(grid, 3, QStringLiteral("Help :"), "txtHelp", "cmdGetHelp");
    getPutRow(grid, 4, QStringLiteral("Ta&g :"), "txtGetTag", "txtPutTag", "cmdGetTag", "cmdPutTag");
    getPutRow(grid, 5, QStringLiteral("&ID :"), "txtGetID", "txtPutID", "cmdGetID", "cmdPutID");
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    left->addWidget(main);

    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabOperation"));
    auto page = [this, tabs](const char *name, const QString &caption) {
        auto *w = new QWidget(tabs);
        w->setObjectName(QLatin1String(name));
        tabs->addTab(w, caption);
        auto *g = new QGridLayout(w);
        g->setColumnStretch(1, 1);
        return g;
    };
    auto modeList = [this](const char *name, const char *const *entries, int count) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        for (int i = 0; i < count; ++i)
            c->addItem(QLatin1String(entries[i]));
        c->setCurrentIndex(0);
        return c;
    };
    QGridLayout *g = page("picOpeFrame_0", QStringLiteral("S&tart"));
    addRow(g, 0, label(QStringLiteral("&Mode :")), {modeList("cmbTaskStart", kStartModes, 4)});
    addRow(g, 1, label(QStringLiteral("O&ption :")), {textBox("txtStartOption"), button("cmdTaskStart", QStringLiteral("Start"))});
    g->setRowStretch(2, 1);
    g = page("picOpeFrame_1", QStringLiteral("St&op"));
    addRow(g, 0, label(QStringLiteral("&Mode :")), {modeList("cmbTaskStop", kStopModes, 5)});
    addRow(g, 1, label(QStringLiteral("O&ption :")), {textBox("txtStopOption"), button("cmdTaskStop", QStringLiteral("Stop"))});
    g->setRowStretch(2, 1);
    g = page("picOpeFrame_2", QStringLiteral("De&lete"));
    addRow(g, 0, label(QStringLiteral("O&ption :")), {textBox("txtDelOption"), button("cmdDelete", QStringLiteral("Delete"))});
    g->setRowStretch(1, 1);
    g = page("picOpeFrame_3", QStringLiteral("&Execute"));
    addRow(g, 0, label(QStringLiteral("Co&mmand :")), {textBox("txtExeCommand")});
    addRow(g, 1, label(QStringLiteral("T&ype :")), {typeList("cmbValueType")});
    addRow(g, 2, label(QStringLiteral("&Parameter :")), {textBox("txtExeParameter"), button("cmdExecute", QStringLiteral("Execute"))});
    addRow(g, 3, label(QStringLiteral("Result :")), {resultBox("txtResult")});
    left->addWidget(tabs);
    left->addStretch(1);

    // The task's variables.
    QGroupBox *vars = variablesFrame();
    columns->addWidget(vars, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button("cmdTaskDelete", QStringLiteral("&Delete")));
    buttons->addWidget(button("cmdTaskHide", QStringLiteral("[ &Hide ]")));
    outer->addLayout(buttons);

    addOperations(kOps);
    addOperations(kTagIdOps);
    bindTypeSelector("cmbValueType", "txtExeParameter", "cmdExecute");
    bindDeleteHide("cmdTaskDelete", "cmdTaskHide");
    bindVariableButtons();

    // The panel opens on Execute; only the shown page takes input.
    tabs->setCurrentIndex(3);
    bindExclusiveTabs(tabs);
}

void frmTask::applyCapabilities()
{
    PanelBase::applyCapabilities();
    bindAddTooltips(ksf::Variable, "txtVarName", "txtVarOption");
}
