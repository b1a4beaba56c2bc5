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

// Motion: numbers are logged as typed and converted after the request and script lines. The
// request line shows Move's option bare; the script quotes it.
const OpRow kName = nameOp("cmdGetName", "txtName");
const OpRow kAttribute = attributeOp("cmdGetAttribute", "txtAttribute", Line::Bare, "get_Attribte");
const OpRow kExecute = executeOp("txtExeCommand", "txtExeParameter", Ret::Value);
const OpRow kAccel = methodOp("cmdAccel", "Accelerate",
                              {{Arg::RawInt, "txtAccelAxis"}, {Arg::RawFloat, "txtAccel"}, {Arg::RawFloat, "txtDeccel"}});
const OpRow kDrive = methodOp("cmdDrive", "Drive",
                              {{Arg::RawInt, "txtNumber"}, {Arg::RawFloat, "txtMove"}, {Arg::Text, "txtDriveOption"}});
const OpRow kChange = methodOp("cmdChange", "Change", {{Arg::Text, "txtHandName"}});
const OpRow kChuck = methodOp("cmdChuck", "Chuck", {{Arg::Text, "txtChuckOption"}});
const OpRow kUnchuck = methodOp("cmdUnchuck", "Unchuck", {{Arg::Text, "txtChuckOption"}});
const OpRow kMove = methodOp(
    "cmdMove", "Move", {{Arg::LeadInt, "cmbInterpolation"}, {Arg::TextValue, "txtPose"}, {Arg::TextRawLog, "txtMoveOption"}});
const OpRow kGoHome = methodOp("cmdGoHome", "GoHome");
const OpRow kRotate = methodOp("cmdRotate", "Rotate",
                               {{Arg::TextValue, "txtRotation"}, {Arg::RawFloat, "txtAngle"}, {Arg::TextValue, "txtCenter"},
                                {Arg::Text, "txtRotateOption"}});
const OpRow kSpeed = methodOp("cmdSpeed", "Speed", {{Arg::RawInt, "txtSpeedAxis"}, {Arg::RawFloat, "txtSpeed"}});
const OpRow kHalt = methodOp("cmdHalt", "Halt", {{Arg::Text, "txtTermOption"}});
const OpRow kHold = methodOp("cmdHold", "Hold", {{Arg::Text, "txtTermOption"}});
const OpRow kUnhold = methodOp("cmdUnhold", "Unhold", {{Arg::Text, "txtTermOption"}});

} // namespace

frmRobot::frmRobot(QWidget *parent) : PanelBase(PanelKind::Robot, parent)
{
    setWindowTitle(QStringLiteral("Robot"));
    auto *outer = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    outer->addLayout(top);

    // The robot's properties.
    QGroupBox *main = propertyFrame("fraRobot", QStringLiteral("ZelRobot"),
                                    {{"Name : ", &kName},
                                     {"Attribute : ", &kAttribute},
                                     {"Help : ", &kHelpOp},
                                     {"Tag : ", &kGetTagOp, &kPutTagOp},
                                     {"ID : ", &kGetIdOp, &kPutIdOp}});
    static_cast<QGridLayout *>(main->layout())->setRowStretch(5, 1);
    top->addWidget(main, 3);

    // The robot's variables: names, add, clear.
    const MemberGroup &g = kVariablesGroup;
    QGroupBox *vars = frame("fraVariable", QStringLiteral("Variable"));
    auto *varsLayout = new QVBoxLayout(vars);
    QGroupBox *names = frame("fraVarNames", QStringLiteral("VariableNames"));
    auto *namesGrid = new QGridLayout(names);
    addRow(namesGrid, 0, label(QStringLiteral("Option : ")), {textBox(g.namesOption), button(g.namesButton, QStringLiteral("Get"))});
    QListWidget *list = namesList(namesGrid, 1, g, QStringLiteral("Names :  "));
    list->setMinimumHeight(48);
    list->setMaximumHeight(96);
    varsLayout->addWidget(names, 1);
    QGroupBox *add = frame("fraAddVar", QStringLiteral("AddVariable"));
    auto *addGrid = new QGridLayout(add);
    addRow(addGrid, 0, label(QStringLiteral("Name : ")), {textBox(g.nameBox)});
    addRow(addGrid, 1, label(QStringLiteral("Option : ")), {textBox(g.optionBox), button(g.addButton, QStringLiteral("&Add..."))});
    varsLayout->addWidget(add);
    auto *clearRow = new QHBoxLayout;
    clearRow->addStretch(1);
    clearRow->addWidget(button(g.clearButton, QStringLiteral("Variables.&Clear")));
    varsLayout->addLayout(clearRow);
    top->addWidget(vars, 2);

    // The operation pages.
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabOperation"));
    // The rows in the order in which a definition is applied, so that of two operations sharing a
    // box (Chuck and Unchuck, Hold, Unhold and Halt) the later one leaves its description as the
    // tooltip; the pages connect their buttons.
    addOperations({&kName, &kAttribute, &kHelpOp, &kExecute, &kAccel, &kDrive, &kChange, &kChuck, &kUnchuck, &kMove,
                   &kGoHome, &kRotate, &kSpeed, &kHold, &kUnhold, &kHalt});
    auto *interpolation = new QComboBox(this);
    interpolation->setObjectName(QLatin1String(kMove.args[0].box));
    interpolation->setEditable(true);
    interpolation->setInsertPolicy(QComboBox::NoInsert);
    interpolation->addItems({QStringLiteral("1: PTP"), QStringLiteral("2: 3D Linear"), QStringLiteral("3: 3D Circular")});
    // A text box for an argument of a row.
    auto box = [this](const OpRow &row, int arg) { return textBox(row.args[arg].box); };
    auto btn = [this](const OpRow &row, const char *caption = nullptr) {
        return opButton(row, QLatin1String(caption ? caption : row.member));
    };
    m_tabs->addTab(operationPage(0, {{"Axis Number : ", box(kAccel, 0)}, {"Accel : ", box(kAccel, 1)},
                                     {"Decel : ", box(kAccel, 2)}},
                                 {btn(kAccel, "Accel")}),
                   QStringLiteral("Acce&lerate"));
    m_tabs->addTab(operationPage(1, {{"Shaft Number : ", box(kDrive, 0)}, {"Movement : ", box(kDrive, 1)},
                                     {"Option : ", box(kDrive, 2)}},
                                 {btn(kDrive)}),
                   QStringLiteral("D&rive"));
    m_tabs->addTab(operationPage(2, {{"Name : ", box(kChange, 0)}, {"Option : ", box(kChuck, 0)}},
                                 {btn(kChange), btn(kChuck), btn(kUnchuck)}),
                   QStringLiteral("&Hand"));
    m_tabs->addTab(operationPage(3, {{"Interpolation : ", interpolation}, {"Pose : ", box(kMove, 1)},
                                     {"Option : ", box(kMove, 2)}},
                                 {btn(kMove), btn(kGoHome)}),
                   QStringLiteral("&Move"));
    m_tabs->addTab(operationPage(4, {{"Plane of rotation : ", box(kRotate, 0)}, {"Angle : ", box(kRotate, 1)},
                                     {"Center : ", box(kRotate, 2)}, {"Option : ", box(kRotate, 3)}},
                                 {btn(kRotate)}),
                   QStringLiteral("R&otate"));
    m_tabs->addTab(operationPage(5, {{"Axis Number : ", box(kSpeed, 0)}, {"Speed : ", box(kSpeed, 1)}}, {btn(kSpeed)}),
                   QStringLiteral("&Speed"));
    m_tabs->addTab(operationPage(6, {{"Option : ", box(kHalt, 0)}}, {btn(kHalt), btn(kHold), btn(kUnhold)}),
                   QStringLiteral("&Terminate"));
    m_tabs->addTab(operationPage(7, {{"Command : ", box(kExecute, 0)}, {"Type : ", typeList(kExecute.args[1].combo)},
                                     {"Parameter : ", box(kExecute, 1)}, {"Result : ", resultBox(kExecute.box)}},
                                 {btn(kExecute)}),
                   QStringLiteral("&Execute"));
    m_tabs->setCurrentIndex(ExecutePage);
    outer->addWidget(m_tabs, 1);

    outer->addLayout(closeRow(nullptr, "cmdRoboDelete", "cmdRobotHide"));

    bindTypeSelector("cmbValueType", "txtExeParameter", "cmdExecute");
    bindExclusiveTabs(m_tabs);
    addMemberGroup(g);

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
