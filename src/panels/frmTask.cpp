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

// The attribute is quoted like a text in the result line; Execute records no result. Start and
// Stop pass the number that begins the mode list's text (0 when none).
const OpRow kName = nameOp("cmdGetTaskName", "txtTaskName");
const OpRow kFileName = getOp("cmdGetFileName", "FileName", "txtFileName", Ret::Text, Line::Quoted, "Get_FileName");
const OpRow kAttribute = attributeOp("cmdGetAttribute", "txtAttribute", Line::Quoted);
const OpRow kStart = methodOp("cmdTaskStart", "Start", {{Arg::LeadInt, "cmbTaskStart"}, {Arg::Text, "txtStartOption"}});
const OpRow kStop = methodOp("cmdTaskStop", "Stop", {{Arg::LeadInt, "cmbTaskStop"}, {Arg::Text, "txtStopOption"}});
const OpRow kDelete = methodOp("cmdDelete", "Delete", {{Arg::Text, "txtDelOption"}});
const OpRow kExecute = executeOp("txtExeCommand", "txtExeParameter", Ret::None);

const char *const kStartModes[] = {"1 - 1 cycle start", "2 - Cyclic start", "3 - Step forward", "4 - Step back"};
const char *const kStopModes[] = {"0 - Default stop", "1 - Instant stop", "2 - Step stop", "3 - Cycle stop",
                                  "4 - Stop and initialize"};

} // namespace

frmTask::frmTask(QWidget *parent) : PanelBase(PanelKind::Task, parent)
{
    const auto [outer, columns, left] = columnLayout(3);

    QGroupBox *main = propertyFrame("fraVariable", QStringLiteral("ZelTask"),
                                    {{"Name :", &kName},
                                     {"FileName :", &kFileName},
                                     {"Attribute :", &kAttribute},
                                     {"Help :", &kHelpOp},
                                     {"Ta&g :", &kGetTagOp, &kPutTagOp},
                                     {"&ID :", &kGetIdOp, &kPutIdOp}});
    left->addWidget(main);

    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabOperation"));
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
    // A page of one operation: its mode list (when it has one) and its option with the button.
    auto modePage = [&](int index, const QString &caption, const OpRow &op, const char *const *modes, int count) {
        QGridLayout *g = gridPage(tabs, QStringLiteral("picOpeFrame_%1").arg(index), caption);
        int r = 0;
        if (modes)
            addRow(g, r++, label(QStringLiteral("&Mode :")), {modeList(op.args[0].box, modes, count)});
        const ArgDef &option = op.args[modes ? 1 : 0];
        addRow(g, r++, label(QStringLiteral("O&ption :")), {textBox(option.box), opButton(op, QLatin1String(op.member))});
        g->setRowStretch(r, 1);
    };
    modePage(0, QStringLiteral("S&tart"), kStart, kStartModes, 4);
    modePage(1, QStringLiteral("St&op"), kStop, kStopModes, 5);
    modePage(2, QStringLiteral("De&lete"), kDelete, nullptr, 0);
    executeRows(gridPage(tabs, QStringLiteral("picOpeFrame_3"), QStringLiteral("&Execute")), kExecute, QStringLiteral("Co&mmand :"),
                QStringLiteral("T&ype :"), QStringLiteral("&Parameter :"), QStringLiteral("Execute"),
                QStringLiteral("Result :"));
    left->addWidget(tabs);
    left->addStretch(1);

    columns->addWidget(variablesFrame(), 2); // the task's variables

    outer->addLayout(closeRow(nullptr, "cmdTaskDelete", "cmdTaskHide"));

    bindTypeSelector("cmbValueType", "txtExeParameter", "cmdExecute");

    // The panel opens on Execute; only the shown page takes input.
    tabs->setCurrentIndex(3);
    bindExclusiveTabs(tabs);
}
