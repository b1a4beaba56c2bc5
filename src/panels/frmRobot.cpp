#include "frmRobot.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace panel;
using zel::CallKind;

namespace {

// Every operation of the panel. The governed rows come in the order in which the definition
// is applied, so that of two operations sharing a box (Chuck and Unchuck, Hold, Unhold and
// Halt) the later one leaves its description as the tooltip.
const OpRow kOps[] = {
    {.button = "cmdGetName", .request = "get_Name", .member = "Name", .script = ".Name", .style = 1, .retType = 8,
     .box = "txtName", .fill = Fill::Plain, .line = Line::Quoted},
    {.button = "cmdGetAttribute", .request = "get_Attribte", .member = "Attribute", .script = ".Attribute", .style = 1,
     .retType = 3, .box = "txtAttribute", .fill = Fill::Plain, .line = Line::Bare, .capability = "Get_Attribute"},
    {.button = "cmdGetHelp", .request = "get_Help", .member = "Help", .script = ".Help", .style = 1, .retType = 8,
     .box = "txtHelp", .fill = Fill::Plain, .line = Line::Quoted, .capability = "Get_Help"},
    {.button = "cmdExecute", .request = "Execute",
     .args = {{Arg::Text, "txtExeCommand"}, {Arg::Typed, "txtExeParameter", "cmbValueType"}}, .member = "Execute",
     .kind = CallKind::Method, .script = ".Execute", .style = 2, .retType = 12, .box = "txtResult",
     .fill = Fill::Display, .line = Line::Value, .capability = "Execute"},

    // Motion: numbers are logged as typed and converted after the request and script lines.
    {.button = "cmdAccel", .request = "Accelerate",
     .args = {{Arg::RawInt, "txtAccelAxis"}, {Arg::RawFloat, "txtAccel"}, {Arg::RawFloat, "txtDeccel"}},
     .member = "Accelerate", .kind = CallKind::Method, .script = ".Accelerate", .style = 2, .retType = -1,
     .capability = "Accelerate"},
    {.button = "cmdDrive", .request = "Drive",
     .args = {{Arg::RawInt, "txtNumber"}, {Arg::RawFloat, "txtMove"}, {Arg::Text, "txtDriveOption"}},
     .member = "Drive", .kind = CallKind::Method, .script = ".Drive", .style = 2, .retType = -1,
     .capability = "Drive"},
    {.button = "cmdChange", .request = "Change", .args = {{Arg::Text, "txtHandName"}}, .member = "Change",
     .kind = CallKind::Method, .script = ".Change", .style = 2, .retType = -1, .capability = "Change"},
    {.button = "cmdChuck", .request = "Chuck", .args = {{Arg::Text, "txtChuckOption"}}, .member = "Chuck",
     .kind = CallKind::Method, .script = ".Chuck", .style = 2, .retType = -1, .capability = "Chuck"},
    {.button = "cmdUnchuck", .request = "Unchuck", .args = {{Arg::Text, "txtChuckOption"}}, .member = "Unchuck",
     .kind = CallKind::Method, .script = ".Unchuck", .style = 2, .retType = -1, .capability = "Unchuck"},
    // The request line shows Move's option bare; the script quotes it.
    {.button = "cmdMove", .request = "Move",
     .args = {{Arg::LeadInt, "cmbInterpolation"}, {Arg::TextValue, "txtPose"}, {Arg::TextRawLog, "txtMoveOption"}},
     .member = "Move", .kind = CallKind::Method, .script = ".Move", .style = 2, .retType = -1, .capability = "Move"},
    {.button = "cmdGoHome", .request = "GoHome", .member = "GoHome", .kind = CallKind::Method, .script = ".GoHome",
     .style = 2, .retType = -1, .capability = "GoHome"},
    {.button = "cmdRotate", .request = "Rotate",
     .args = {{Arg::TextValue, "txtRotation"}, {Arg::RawFloat, "txtAngle"}, {Arg::TextValue, "txtCenter"},
              {Arg::Text, "txtRotateOption"}},
     .member = "Rotate", .kind = CallKind::Method, .script = ".Rotate", .style = 2, .retType = -1,
     .capability = "Rotate"},
    {.button = "cmdSpeed", .request = "Speed", .args = {{Arg::RawInt, "txtSpeedAxis"}, {Arg::RawFloat, "txtSpeed"}},
     .member = "Speed", .kind = CallKind::Method, .script = ".Speed", .style = 2, .retType = -1,
     .capability = "Speed"},
    {.button = "cmdHold", .request = "Hold", .args = {{Arg::Text, "txtTermOption"}}, .member = "Hold",
     .kind = CallKind::Method, .script = ".Hold", .style = 2, .retType = -1, .capability = "Hold"},
    {.button = "cmdUnhold", .request = "Unhold", .args = {{Arg::Text, "txtTermOption"}}, .member = "Unhold",
     .kind = CallKind::Method, .script = ".Unhold", .style = 2, .retType = -1, .capability = "Unhold"},
    {.button = "cmdHalt", .request = "Halt", .args = {{Arg::Text, "txtTermOption"}}, .member = "Halt",
     .kind = CallKind::Method, .script = ".Halt", .style = 2, .retType = -1, .capability = "Halt"},

    // The robot's variables. The request names the property without "get_".
    {.button = "cmdGetNames", .request = "VariableNames", .args = {{Arg::Text, "txtVarNamesOption"}},
     .member = "VariableNames", .script = ".VariableNames", .style = 1, .retType = 12, .box = "lstVarNames",
     .fill = Fill::List, .line = Line::Value, .capability = "Get_VariableNames"},
};

} // namespace

frmRobot::frmRobot(QWidget *parent) : PanelBase(PanelKind::Robot, parent)
{
    setWindowTitle(QStringLiteral("Robot"));
    auto *outer = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    outer->addLayout(top);

    // The robot's properties.
    QGroupBox *main = frame("fraRobot", QStringLiteral("ZelRobot"));
    auto *grid = new QGridLayout(main);
    getRow(grid, 0, QStringLiteral("Name : "), "txtName", "cmdGetName");
    getRow(grid, 1, QStringLiteral("Attribute : "), "txtAttribute", "cmdGetAttribute");
    getRow(grid, 2, QStringLiteral("Help : "), "txtHelp", "cmdGetHelp");
    getPutRow(grid, 3, QStringLiteral("Tag : "), "txtGetTag", "txtPutTag", "cmdGetTag", "cmdPutTag");
    getPutRow(grid, 4, QStringLiteral("ID : "), "txtGetID", "txtPutID", "cmdGetID", "cmdPutID");
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(5, 1);
    top->addWidget(main, 3);

    // The robot's variables: names, add, clear.
    QGroupBox *vars = frame("fraVariable", QStringLiteral("Variable"));
    auto *varsLayout = new QVBoxLayout(vars);
    QGroupBox *names = frame("fraVarNames", QStringLiteral("VariableNames"));
    auto *namesGrid = new QGridLayout(names);
    addRow(namesGrid, 0, label(QStringLiteral("Option : ")), {textBox("txtVarNamesOption"), button("cmdGetNames", QStringLiteral("Get"))});
    QListWidget *list = listBox("lstVarNames");
    list->setMinimumHeight(48);
    list->setMaximumHeight(96);
    QLabel *namesLabel = label(QStringLiteral("Names :  "));
    namesLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    namesGrid->addWidget(namesLabel, 1, 0);
    namesGrid->addWidget(list, 1, 1, 1, 2);
    varsLayout->addWidget(names, 1);
    QGroupBox *add = frame("fraAddVar", QStringLiteral("AddVariable"));
    auto *addGrid = new QGridLayout(add);
    addRow(addGrid, 0, label(QStringLiteral("Name : ")), {textBox("txtVarName")});
    addRow(addGrid, 1, label(QStringLiteral("Option : ")), {textBox("txtVarOption"), button("cmdGetVar", QStringLiteral("&Add..."))});
    varsLayout->addWidget(add);
    auto *clearRow = new QHBoxLayout;
    clearRow->addStretch(1);
    clearRow->addWidget(button("cmdVarClear", QStringLiteral("Variables.&Clear")));
    varsLayout->addLayout(clearRow);
    top->addWidget(vars, 2);

    // The operation pages.
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabOperation"));
    auto *interpolation = new QComboBox(this);
    interpolation->setObjectName(QStringLiteral("cmbInterpolation"));
    interpolation->setEditable(true);
    interpolation->setInsertPolicy(QComboBox::NoInsert);
    interpolation->addItems({QStringLiteral("1: PTP"), QStringLiteral("2: 3D Linear"), QStringLiteral("3: 3D Circular")});
    auto btn = [this](const char *name, const char *caption) { return button(name, QLatin1String(caption)); };
    m_tabs->addTab(operationPage(0, {{"Axis Number : ", textBox("txtAccelAxis")}, {"Accel : ", textBox("txtAccel")},
                                     {"Decel : ", textBox("txtDeccel")}},
                                 {btn("cmdAccel", "Accel")}),
                   QStringLiteral("Acce&lerate"));
    m_tabs->addTab(operationPage(1, {{"Shaft Number : ", textBox("txtNumber")}, {"Movement : ", textBox("txtMove")},
                                     {"Option : ", textBox("txtDriveOption")}},
                                 {btn("cmdDrive", "Drive")}),
                   QStringLiteral("D&rive"));
    m_tabs->addTab(operationPage(2, {{"Name : ", textBox("txtHandName")}, {"Option : ", textBox("txtChuckOption")}},
                                 {btn("cmdChange", "Change"), btn("cmdChuck", "Chuck"), btn("cmdUnchuck", "Unchuck")}),
                   QStringLiteral("&Hand"));
    m_tabs->addTab(operationPage(3, {{"Interpolation : ", interpolation}, {"Pose : ", textBox("txtPose")},
                                     {"Option : ", textBox("txtMoveOption")}},
                                 {btn("cmdMove", "Move"), btn("cmdGoHome", "GoHome")}),
                   QStringLiteral("&Move"));
    m_tabs->addTab(operationPage(4, {{"Plane of rotation : ", textBox("txtRotation")}, {"Angle : ", textBox("txtAngle")},
                                     {"Center : ", textBox("txtCenter")}, {"Option : ", textBox("txtRotateOption")}},
                                 {btn("cmdRotate", "Rotate")}),
                   QStringLiteral("R&otate"));
    m_tabs->addTab(operationPage(5, {{"Axis Number : ", textBox("txtSpeedAxis")}, {"Speed : ", textBox("txtSpeed")}},
                                 {btn("cmdSpeed", "Speed")}),
                   QStringLiteral("&Speed"));
    m_tabs->addTab(operationPage(6, {{"Option : ", textBox("txtTermOption")}},
                                 {btn("cmdHalt", "Halt"), btn("cmdHold", "Hold"), btn("cmdUnhold", "Unhold")}),
                   QStringLiteral("&Terminate"));
    m_tabs->addTab(operationPage(7, {{"Command : ", textBox("txtExeCommand")}, {"Type : ", typeList("cmbValueType")},
                                     {"Parameter : ", textBox("txtExeParameter")},
                                     {"Result : ", resultBox("txtResult")}},
                                 {btn("cmdExecute", "Execute")}),
                   QStringLiteral("&Execute"));
    m_tabs->setCurrentIndex(ExecutePage);
    outer->addWidget(m_tabs, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(button("cmdRoboDelete", QStringLiteral("&Delete")));
    bottom->addWidget(button("cmdRobotHide", QStringLiteral("[ &Hide ]")));
    outer->addLayout(bottom);

    addOperations(kOps);
    addOperations(kTagIdOps);
    bindTypeSelector("cmbValueType", "txtExeParameter", "cmdExecute");
    bindExclusiveTabs(m_tabs);
    bindDeleteHide("cmdRoboDelete", "cmdRobotHide");
    bindVariableButtons();

    // Tab order: properties, variables, then the pages.
    setTabOrder(control("cmdGetID"), control("txtVarNamesOption"));
    setTabOrder(control("cmdVarClear"), m_tabs);
}

// One page: the picture frame picOpeFrame(n) with label rows on the left and the page's buttons
// on the right.
QWidget *frmRobot::operationPage(int index, std::initializer_list<std::pair<const char *, QWidget *>> rows,
                                 std::initializer_list<QWidget *> buttons)
{
    auto *page = new QFrame(this);
    page->setObjectName(QStringLiteral("picOpeFrame_%1").arg(index));
    auto *grid = new QGridLayout(page);
    int r = 0;
    for (const auto &[caption, box] : rows)
        addRow(grid, r++, label(QLatin1String(caption)), {box});
    auto *buttonColumn = new QVBoxLayout;
    for (QWidget *b : buttons)
        buttonColumn->addWidget(b);
    buttonColumn->addStretch(1);
    grid->addLayout(buttonColumn, 0, 2, qMax(r, 1), 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(r, 1);
    return page;
}

void frmRobot::onLoad()
{
    control<QComboBox>("cmbInterpolation")->setCurrentIndex(0);
    m_tabs->setCurrentIndex(ExecutePage);
}

void frmRobot::applyCapabilities()
{
    PanelBase::applyCapabilities();
    // The default variable definition describes the name and option of an added variable.
    bindAddTooltips(int(PanelKind::Variable), "txtVarName", "txtVarOption");
}
