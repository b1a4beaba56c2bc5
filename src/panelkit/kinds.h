// The kinds of engine object that have a panel: one row per kind, written once. The factory, the
// controller's member pages, the preload order, the image list, the status monitor's count rows
// and the test helpers are all derived from these rows; adding a member kind is one row here,
// one panel file and its image.
#pragma once

#include "ksf/ksfmapper.h"

// The kinds of panels. Controller and member kinds are the KSF kind codes.
enum class PanelKind {
    Engine = -2,
    Workspace = -1,
    Controller = ksf::Controller,
    Extension = ksf::Extension,
    File = ksf::File,
    Robot = ksf::Robot,
    Task = ksf::Task,
    Variable = ksf::Variable,
    Command = ksf::Command,
    Message = ksf::Message, // message panels: made by their controller panel, no tree node
};

// A count display of the status monitor: caption, box, place in its grid.
struct StatusCount {
    int index = -1;            // the engine's ObjectCount kind; -1: none
    const char *label = nullptr;
    const char *box = nullptr;
    int row = 0;
    int column = 0;
};

struct KindInfo {
    PanelKind kind;
    const char *formName;    // "frmVariable"
    const char *kindWord;    // "Variable": window caption and messages
    const char *image;       // tree image key (image-list key), empty when none
    const char *logColl;     // collection in log paths: "Vars"
    const char *scriptColl;  // collection in script paths and the engine: "Variables"
    const char *addOp;       // "AddVariable"
    const char *namesOp;     // "VariableNames"
    const char *statusAdd;   // "Add Variable..."
    const char *statusClear; // "Clear Variable..."
    int ksfCode = -1;        // the KSF kind of its entries and capability sets; -1 when none

    // The controller panel's page of the kind (-1: none). Its add, names and clear controls;
    // the name box, the names list and button are numbered by the page ("txtName_0").
    int page = -1;
    const char *pageCaption = nullptr; // " Var&iable"
    const char *addButton = nullptr;   // "cmdVariable"
    const char *optionBox = nullptr;   // "txtVarOption"
    const char *namesOption = nullptr; // "txtVarNamesOption"
    const char *clearButton = nullptr; // "cmdVarClear"
    const char *namesFrame = nullptr;  // caption of the names frame; default namesOp

    // The place of the kind's members when a workspace's controllers are opened (-1: none).
    int preload = -1;

    // The status monitor's counts of the kind's collections and of its objects.
    StatusCount statusCollection = {};
    StatusCount statusObject = {};
};

namespace kinds {

// Every kind, in the engine's order of kinds.
inline constexpr KindInfo kRows[] = {
    {.kind = PanelKind::Engine, .formName = "frmEngine", .kindWord = "ZelEngine", .image = "ENGINE", .logColl = "",
     .scriptColl = "", .addOp = "AddWorkspace", .namesOp = "", .statusAdd = "Add Workspace...",
     .statusClear = "Clear Workspace...", .statusObject = {0, "ZelEngine :", "txtEngineCount", 0, 0}},
    {.kind = PanelKind::Workspace, .formName = "frmWorkspace", .kindWord = "Workspace", .image = "WSPACE",
     .logColl = "Wss", .scriptColl = "", .addOp = "AddController", .namesOp = "", .statusAdd = "Add Controller...",
     .statusClear = "Clear Controller...", .statusCollection = {1, "ZelWorkspaces :", "txtWSsCount", 1, 0},
     .statusObject = {2, "ZelWorkspace :", "txtWSCount", 1, 2}},
    {.kind = PanelKind::Controller, .formName = "frmController", .kindWord = "Controller", .image = "CONTROLLER",
     .logColl = "Ctrls", .scriptColl = "Controllers", .addOp = "AddController", .namesOp = "",
     .statusAdd = "Add Controller...", .statusClear = "Clear Controller...", .ksfCode = ksf::Controller,
     .statusCollection = {3, "ZelControllers :", "txtCtrlsCount", 2, 0},
     .statusObject = {4, "ZelController :", "txtCtrlCount", 2, 2}},
    {.kind = PanelKind::Extension, .formName = "frmExtension", .kindWord = "Extension", .image = "EXTENSION",
     .logColl = "Exts", .scriptColl = "Extensions", .addOp = "AddExtension", .namesOp = "ExtensionNames",
     .statusAdd = "Add Extension...", .statusClear = "Clear Extension...", .ksfCode = ksf::Extension, .page = 4,
     .pageCaption = " Exte&nsion", .addButton = "cmdGetExtension", .optionBox = "txtExtOption",
     .namesOption = "txtExtNamesOption", .clearButton = "cmdExtClear", .preload = 1,
     .statusCollection = {5, "ZelExtensions :", "txtExtsCount", 3, 0},
     .statusObject = {6, "ZelExtension :", "txtExtCount", 3, 2}},
    {.kind = PanelKind::File, .formName = "frmFile", .kindWord = "File", .image = "FILE", .logColl = "Files",
     .scriptColl = "Files", .addOp = "AddFile", .namesOp = "FileNames", .statusAdd = "Add File...",
     .statusClear = "Clear File...", .ksfCode = ksf::File, .page = 2, .pageCaption = " Fi&le",
     .addButton = "cmdGetFile", .optionBox = "txtFileOption", .namesOption = "txtFileNamesOption",
     .clearButton = "cmdFileClear", .preload = 2, .statusCollection = {7, "ZelFiles :", "txtFilesCount", 4, 0},
     .statusObject = {8, "ZelFile :", "txtFileCount", 4, 2}},
    {.kind = PanelKind::Robot, .formName = "frmRobot", .kindWord = "Robot", .image = "ROBOT", .logColl = "Robots",
     .scriptColl = "Robots", .addOp = "AddRobot", .namesOp = "RobotNames", .statusAdd = "Add Robot...",
     .statusClear = "Clear Robot...", .ksfCode = ksf::Robot, .page = 1, .pageCaption = " &Robot",
     .addButton = "cmdGetRobot", .optionBox = "txtRobotOption", .namesOption = "txtRobotNamesOption",
     .clearButton = "cmdRobotClear", .preload = 3, .statusCollection = {9, "ZelRobots :", "txtRobotsCount", 5, 0},
     .statusObject = {10, "ZelRobot :", "txtRobotCount", 5, 2}},
    {.kind = PanelKind::Task, .formName = "frmTask", .kindWord = "Task", .image = "TASK", .logColl = "Tasks",
     .scriptColl = "Tasks", .addOp = "AddTask", .namesOp = "TaskNames", .statusAdd = "Add Task...",
     .statusClear = "Clear Task...", .ksfCode = ksf::Task, .page = 3, .pageCaption = " &Task",
     .addButton = "cmdGetTask", .optionBox = "txtTaskOption", .namesOption = "txtTaskNamesOption",
     .clearButton = "cmdTaskClear", .preload = 4, .statusCollection = {11, "ZelTasks :", "txtTasksCount", 6, 0},
     .statusObject = {12, "ZelTask :", "txtTaskCount", 6, 2}},
    {.kind = PanelKind::Variable, .formName = "frmVariable", .kindWord = "Variable", .image = "VARIABLE",
     .logColl = "Vars", .scriptColl = "Variables", .addOp = "AddVariable", .namesOp = "VariableNames",
     .statusAdd = "Add Variable...", .statusClear = "Clear Variable...", .ksfCode = ksf::Variable, .page = 0,
     .pageCaption = " Var&iable", .addButton = "cmdVariable", .optionBox = "txtVarOption",
     .namesOption = "txtVarNamesOption", .clearButton = "cmdVarClear", .namesFrame = "Variable Names", .preload = 5,
     .statusCollection = {13, "ZelVariables :", "txtVarsCount", 7, 0},
     .statusObject = {14, "ZelVariable :", "txtVarCount", 7, 2}},
    {.kind = PanelKind::Command, .formName = "frmCommand", .kindWord = "Command", .image = "COMMAND",
     .logColl = "Cmds", .scriptColl = "Commands", .addOp = "AddCommand", .namesOp = "CommandNames",
     .statusAdd = "Add Command...", .statusClear = "Clear Command...", .ksfCode = ksf::Command, .page = 5,
     .pageCaption = " C&ommand", .addButton = "cmdGetCommand", .optionBox = "txtCmdOption",
     .namesOption = "txtCmdNamesOption", .clearButton = "cmdCmdClear", .preload = 0,
     .statusCollection = {15, "ZelCommands :", "txtComsCount", 8, 0},
     .statusObject = {16, "ZelCommand :", "txtComCount", 8, 2}},
    {.kind = PanelKind::Message, .formName = "frmMessage", .kindWord = "ZelMessage", .image = "", .logColl = "Msg",
     .scriptColl = "", .addOp = "", .namesOp = "", .statusAdd = "", .statusClear = "", .ksfCode = ksf::Message,
     .statusObject = {17, "ZelMessage :", "txtMessCount", 9, 2}},
};

// The number of the controller panel's member pages.
constexpr int pageCount()
{
    int n = 0;
    for (const KindInfo &row : kRows)
        n += row.page >= 0 ? 1 : 0;
    return n;
}

// The row of a kind (found by its field, not its place).
constexpr const KindInfo &row(PanelKind kind)
{
    for (const KindInfo &r : kRows) {
        if (r.kind == kind)
            return r;
    }
    return kRows[0]; // every kind has its row above
}

// The row of the controller's member page, or null.
constexpr const KindInfo *pageRow(int page)
{
    for (const KindInfo &r : kRows) {
        if (r.page >= 0 && r.page == page)
            return &r;
    }
    return nullptr;
}

// The member kinds that a workspace's controllers preload, in their order.
constexpr int preloadCount()
{
    int n = 0;
    for (const KindInfo &row : kRows)
        n += row.preload >= 0 ? 1 : 0;
    return n;
}
constexpr const KindInfo *preloadRow(int place)
{
    for (const KindInfo &r : kRows) {
        if (r.preload >= 0 && r.preload == place)
            return &r;
    }
    return nullptr;
}

// Every page and every preload place has its row.
constexpr bool complete()
{
    for (int p = 0; p < pageCount(); ++p) {
        if (!pageRow(p))
            return false;
    }
    for (int p = 0; p < preloadCount(); ++p) {
        if (!preloadRow(p))
            return false;
    }
    return true;
}
static_assert(complete(), "the controller's pages and the preload places are numbered from 0 without gaps");

} // namespace kinds

inline const KindInfo &kindInfo(PanelKind kind)
{
    return kinds::row(kind);
}
