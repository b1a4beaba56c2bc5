// The object panel framework: what every panel of an engine object shares.
//
// A panel holds one engine object, the collection that contains it, its KSF entry and its
// capability entry; it has a node in the object tree and one button per operation. Operations
// are rows of a table (OpRow) run by one call routine: request line, script line, engine call,
// result shown, success line; one failure line on any error.
#pragma once

#include "ZelForm.h"
#include "kinds.h"
#include "ksf/ksfmapper.h"
#include "zel/object.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>

#include <list>

class QTabWidget;
class QTreeWidgetItem;


namespace panel {

// How a box feeds an argument.
enum class Arg : quint8 {
    None,
    Text,       // text; logged and scripted in double quotes
    TextValue,  // text value; logged "<" + log text + ">", scripted as its script text
    Typed,      // box text converted by the type list (combo); logged and scripted like TextValue
    RawInt,     // logged and scripted as typed; converted after the lines: a number rounded to I4
    RawFloat,   // as RawInt, converted to R4
    LeadInt,    // the number at the start of a list text (0 when none), in decimal
    RoundedInt, // as RawInt, but converted before the lines, which show the whole number in decimal
    TextRawLog, // text; logged bare, scripted in double quotes
    Panel,      // a value the panel supplies (PanelBase::argValue); logged and scripted like TextValue
};

struct ArgDef {
    Arg kind = Arg::None;
    const char *box = nullptr;
    const char *combo = nullptr; // Typed: the value-type list
};

// Where the result goes, and what the success line shows.
enum class Fill : quint8 {
    None,
    Plain,      // box <- plain text of the result (numbers in decimal, dates as text)
    Display,    // box <- display text of the result ("42 (I4)")
    AfterComma, // box <- type-and-text after its first comma; typeCombo <- the value's type
    List,       // list box emptied before the call, then filled with the array's elements
};
enum class Line : quint8 {
    Done,   // "Succeeded."
    Quoted, // "Succeeded. (" Q box text Q ")"
    Bare,   // "Succeeded. (" box text ")"
    Value,  // "Succeeded. (<" log text of the result ">)"
    None,   // no line: the row's hook writes what follows the call
};

// The result type that a script line declares.
enum class Ret : qint8 { None = -1, Integer = 3, Text = 8, Object = 9, Value = 12 };
// When a row's panel-specific steps (PanelBase::opHook) run: before the request line (they may
// throw), after the call with its result (they may throw), or both.
enum class Hook : quint8 { None, Before, After, Both };
enum class Stage : quint8 { Before, After };

// One operation: its button and boxes, its request, script line and call. The panel's layout
// reads the names of the row's controls from here, so that each is written once.
struct OpRow {
    const char *button;
    const char *request = nullptr;     // request member: P + "." + request + "(" + args + ")"; default
                                       // "get_" / "put_" + member for properties, the member for methods
    ArgDef args[4] = {};
    const char *target = nullptr;      // collection read from the object first (e.g. "Variables")
    const char *member = nullptr;      // engine member called
    zel::CallKind kind = zel::CallKind::PropertyGet;
    const char *script = nullptr;      // script member: S + script; default "." + member
    Ret ret = Ret::None;
    const char *box = nullptr;
    Fill fill = Fill::None;
    Line line = Line::Done;
    const char *typeCombo = nullptr;   // Fill::AfterComma
    const char *capability = nullptr;  // operation name that governs the button
    const char *tips[4] = {};          // boxes taking argument descriptions; default: the arg boxes
    bool noTips = false;
    Hook hook = Hook::None;            // panel-specific steps (PanelBase::opHook)
    bool recorded = true;              // writes a script line
};

// The script line's style of a call: 0 put, 1 get, 2 execute.
constexpr int scriptStyle(zel::CallKind kind)
{
    return kind == zel::CallKind::PropertyPut ? 0 : kind == zel::CallKind::PropertyGet ? 1 : 2;
}

// --- rows that several panels share -----------------------------------------------------------

// A property read into a display box (its plain text).
constexpr OpRow getOp(const char *button, const char *member, const char *box, Ret ret, Line line,
                      const char *capability = nullptr)
{
    OpRow row{.button = button, .member = member, .fill = Fill::Plain, .capability = capability};
    row.ret = ret;
    row.box = box;
    row.line = line;
    return row;
}
// A property written from an input box.
constexpr OpRow putOp(const char *button, const char *member, ArgDef arg, const char *capability = nullptr)
{
    return {.button = button, .args = {arg}, .member = member, .kind = zel::CallKind::PropertyPut,
            .capability = capability};
}
// A method with up to four arguments and no result.
constexpr OpRow methodOp(const char *button, const char *member, std::initializer_list<ArgDef> args = {})
{
    OpRow row{.button = button, .member = member, .kind = zel::CallKind::Method, .capability = member};
    int i = 0;
    for (const ArgDef &arg : args)
        row.args[i++] = arg;
    return row;
}
constexpr OpRow nameOp(const char *button, const char *box, Ret ret = Ret::Text)
{
    return getOp(button, "Name", box, ret, Line::Quoted);
}
// Attribute: the request keeps its historic spelling on some panels ("get_Attribte").
constexpr OpRow attributeOp(const char *button, const char *box, Line line, const char *request = nullptr)
{
    OpRow row = getOp(button, "Attribute", box, Ret::Integer, line, "Get_Attribute");
    row.request = request;
    return row;
}
inline constexpr OpRow kHelpOp = getOp("cmdGetHelp", "Help", "txtHelp", Ret::Text, Line::Quoted, "Get_Help");
// Tag and ID, read as any value (the extension reads them as plain text) and written as text.
constexpr OpRow getTagOp(Ret ret = Ret::Value, Line line = Line::Value)
{
    return getOp("cmdGetTag", "Tag", "txtGetTag", ret, line);
}
constexpr OpRow getIdOp(Ret ret = Ret::Value, Line line = Line::Value)
{
    return getOp("cmdGetID", "ID", "txtGetID", ret, line, "Get_ID");
}
inline constexpr OpRow kPutTagOp = putOp("cmdPutTag", "Tag", {Arg::TextValue, "txtPutTag"});
inline constexpr OpRow kPutIdOp = putOp("cmdPutID", "ID", {Arg::TextValue, "txtPutID"}, "Put_ID");
inline constexpr OpRow kGetTagOp = getTagOp();
inline constexpr OpRow kGetIdOp = getIdOp();
// Execute: a command text and a parameter typed by cmbValueType; the result in txtResult.
constexpr OpRow executeOp(const char *commandBox, const char *parameterBox, Ret ret)
{
    return {.button = "cmdExecute", .args = {{Arg::Text, commandBox}, {Arg::Typed, parameterBox, "cmbValueType"}},
            .member = "Execute", .kind = zel::CallKind::Method, .ret = ret, .box = "txtResult",
            .fill = Fill::Display, .line = Line::Value, .capability = "Execute"};
}
constexpr OpRow unrecorded(OpRow row)
{
    row.recorded = false;
    row.capability = nullptr;
    return row;
}

// A row of a property grid: caption, the read (display box, Get) and for a read-write property
// the write (input box, Put). A row with a type list shows the list in the input column.
struct PropRow {
    const char *caption;
    const OpRow *get = nullptr;
    const OpRow *put = nullptr;
    const char *typeList = nullptr;
};

// The add / names / clear group of a member kind on a panel: the names of its controls. The
// names request and the add and clear calls come from the kind's row (kinds.h).
struct MemberGroup {
    PanelKind kind;
    const char *nameBox, *optionBox, *addButton;
    const char *namesOption, *namesButton, *namesList;
    const char *clearButton;
    bool getPrefix = false; // the names request reads "get_VariableNames" (else "VariableNames")
    bool enterRuns = false; // Enter in the name and option boxes adds, in the names option lists
};

} // namespace panel

class PanelBase : public ZelForm {
    Q_OBJECT
public:
    explicit PanelBase(PanelKind kind, QWidget *parent = nullptr);
    ~PanelBase() override;

    PanelKind kind() const { return m_kind; }

    // The panel record.
    zel::ObjectPtr m_ZelObjs;            // the collection that holds the object
    zel::ObjectPtr m_ZelObj;             // the object this panel shows
    QTreeWidgetItem *m_ParentNode = nullptr;
    QString m_LogObjPath;                // names the object in log lines
    QString m_CsrObjPath;                // names the object in script lines
    ksf::EntryPtr m_KSFObj;              // the object's entry in the workspace's KSF document
    ksf::DocumentPtr m_DCEng;            // the device-capability definition, or none
    // The capability entry of this object in that definition, or none: the record's m_DCCtrl,
    // m_DCVar, m_DCRobot, m_DCFile, m_DCTask, m_DCExt, m_DCCmd or m_DCMsg, after the panel's kind.
    ksf::EntryPtr m_DCEntry;
    QString m_DCCtrlKey;                 // key of the controller's capability entry
    bool m_bUnloadCol = false;           // remove the object from its collection when closing

    // Loads the panel: type lists, Name, tree node, caption, paths, capabilities, then the
    // panel's own steps (onLoad). Panels made by the program call this once.
    void load();
    // Shows the panel in front.
    void showPanel();
    // The workspace panel's KSF document (null for other panels).
    virtual ksf::DocumentPtr workspaceDocument() const { return nullptr; }
    // The panel of this panel's owner (found by the tag of m_ParentNode), or null.
    PanelBase *ownerPanel() const;

    // Creates a member panel for a new or existing member object below this panel, hands
    // down capabilities and KSF entry, loads it (not yet shown). Throws on load errors.
    PanelBase *createMemberPanel(PanelKind kind, const zel::ObjectPtr &member, const zel::ObjectPtr &collection,
                                 const ksf::EntryPtr &ksfEntry, const ksf::EntryPtr &capability);

    // Runs the operation whose button has that name (as a click does).
    void runOperation(const QString &buttonName);

protected:
    // Panel-specific load steps, after the shared ones (the tree node and paths exist).
    virtual void onLoad() {}
    // Panel-specific closing steps, before the object is released (message panels...).
    virtual void onUnload() {}
    // Removal from the collection when closed by the program (m_bUnloadCol set). The default
    // writes the Remove line of the owner's collection and cleans up the KSF entry.
    virtual void removeFromCollection();
    // Capability binding; the default applies the operation table to the set of this kind.
    virtual void applyCapabilities();
    // Panel-specific steps of table operations with a hook (see panel::Hook).
    virtual void opHook(const panel::OpRow &row, panel::Stage stage, zel::Value &result);
    // The value of an Arg::Panel argument; the default is the box's text as a text value.
    virtual zel::Value argValue(const panel::ArgDef &arg);
    void unloadForm() override;
    // While the focus is in the panel, its own access keys (buttons, labels, tabs) win over
    // the main window's menu bar.
    bool event(QEvent *event) override;

    // --- the call routine and its tables -------------------------------------------------
    // Adds operations: each row's button runs the row (rows added twice count once; a row whose
    // button is made later is connected when its layout makes it).
    void addOperations(const panel::OpRow *rows, int count);
    template <int N>
    void addOperations(const panel::OpRow (&rows)[N]) { addOperations(rows, N); }
    void addOperations(std::initializer_list<const panel::OpRow *> rows);
    void runOp(const panel::OpRow &row);
    const panel::OpRow *findOp(const QString &button) const;
public:
    // The controls that the operation rows name and the panel does not have ("row: name"); a
    // panel whose rows all resolve gives none. Debug builds stop at start-up on any.
    QStringList unresolvedControls() const;
protected:
    // Debug builds stop when a row names a control the panel does not have.
    void assertRowsResolve() const;
    // Enables the table's governed buttons from a capability set (none: all disabled) and
    // sets their tooltips.
    void bindCapabilities(const ksf::CapabilitySetPtr &set);
    // Tooltips of the Add name and option boxes from a kind's default definition.
    void bindAddTooltips(int ksfKind, const char *nameBox, const char *optionBox);
    // Looks up the capability set of a member kind for this panel's controller key and entry.
    ksf::CapabilitySetPtr memberCapabilitySet(int ksfKind) const;

    // --- shared patterns -----------------------------------------------------------------
    // Adds a member of that kind: status texts, request and script lines, the engine's Add,
    // the KSF entry, the capability entry, the member's panel.
    void addMember(PanelKind memberKind, const QString &name, const QString &option);
    // Clears the member collection of that kind (recorded).
    void clearMembers(PanelKind memberKind);
    // Clears a collection of this object: status text, request line "<logColl>.Clear()", the
    // script line when recorded, the engine's Clear, the result line, then "Ready".
    void clearCollection(const QString &statusText, const QString &logColl, const QString &collectionName, bool recorded);
    // Value-type selector: the combo enables the box (not for EMPTY, NULL, (Unkown)) and the
    // button (not for (Unkown)).
    void bindTypeSelector(const char *combo, const char *box, const char *button);
    // Tab control whose pages take input only while selected.
    void bindExclusiveTabs(QTabWidget *tabs);
    // Clicking an entry of the list copies its text into the box.
    void bindListToBox(const char *list, const char *box);
    // The panel's last row: a button of its own on the left (or none), then Delete (or none) and
    // "[ &Hide ]" on the right, bound to the main window's Delete and Hide unless the panel binds
    // them itself.
    QHBoxLayout *closeRow(QWidget *left, const char *deleteButton, const char *hideButton, bool bind = true);
    // The frame fraExecute: txtCommand, cmbValueType, txtParameter with cmdExecute, and the
    // display box txtResult (the shared Execute operation's controls).
    QGroupBox *executeFrame(const panel::OpRow &execute, const QString &commandCaption, const QString &parameterCaption);
    // The rows of an Execute operation in a grid from its first row: command, type list, parameter
    // with the button, result.
    void executeRows(QGridLayout *grid, const panel::OpRow &execute, const QString &commandCaption,
                     const QString &typeCaption, const QString &parameterCaption, const QString &buttonCaption,
                     const QString &resultCaption);
    // The usual page of a panel: a row of columns at the top of the panel's own layout, its first
    // column with that stretch. The panel adds further columns to the row and its last rows below.
    struct Columns {
        QVBoxLayout *outer;
        QHBoxLayout *row;
        QVBoxLayout *left;
    };
    Columns columnLayout(int leftStretch);
    // A page of a tab control with that name and caption; its layout a grid whose column 1
    // stretches.
    static QGridLayout *gridPage(QTabWidget *tabs, const QString &name, const QString &caption);
    // A frame of property rows (its layout a grid).
    QGroupBox *propertyFrame(const char *name, const QString &caption, std::initializer_list<panel::PropRow> rows,
                             Qt::FocusPolicy displayFocus = Qt::StrongFocus);
    // Property rows of a grid from its row 0; display boxes get that focus policy.
    void propertyRows(QGridLayout *grid, std::initializer_list<panel::PropRow> rows,
                      Qt::FocusPolicy displayFocus = Qt::StrongFocus);
    // A button that runs a row: named and registered by the row.
    QPushButton *opButton(const panel::OpRow &row, const QString &caption);
    // The object's own variables on the extension and task panels: the frame fraVar with
    // AddVariable, VariableNames and "Variables.&Clear" (kVariablesGroup).
    QGroupBox *variablesFrame();
    // Registers a member group: its names request, add, clear, the names list filling the name
    // box, and the tooltips of name and option from the kind's default definition.
    void addMemberGroup(const panel::MemberGroup &group);
    // The names list of a member group with its caption label in a grid row (over columns 1, 2).
    QListWidget *namesList(QGridLayout *grid, int row, const panel::MemberGroup &group, const QString &caption);

    // A text the panel keeps as long as it lives (names made at run time for its rows).
    const char *keepText(const QString &text);

    // --- widgets -------------------------------------------------------------------------
    template <typename T = QWidget>
    T *control(const char *name) const { return name ? findChild<T *>(QLatin1String(name)) : nullptr; }
    // A text box; a display box (read-only, button-face colour) has room for a six-number pose
    // with its type at the panel's natural size.
    QLineEdit *textBox(const char *name, bool display = false);
    // A display box that fills its row (results, the read-only property rows): room for a pose
    // and for that many characters at the natural size.
    QLineEdit *resultBox(const char *name, int characters = 64);
    QPushButton *button(const char *name, const QString &caption);
    QComboBox *typeList(const char *name);
    QListWidget *listBox(const char *name);
    QGroupBox *frame(const char *name, const QString &caption);
    QLabel *label(const QString &caption);
    // Sets a button's enabled state, respecting a capability that disabled it.
    void setButtonEnabled(QWidget *button, bool enabled);
    // One row of a grid: a label and widgets in the following columns.
    static void addRow(QGridLayout *grid, int row, QLabel *label, std::initializer_list<QWidget *> widgets);

    // Log and script shortcuts with this panel's paths.
    void logRequest(const QString &member);
    void record(const QString &member, int retType, int style, const QString &arg);

private:
    void buildArgs(const panel::OpRow &row, QStringList &logArgs, QStringList &scriptArgs, QList<zel::Value> &values,
                      QList<int> &deferred);
    void convertDeferred(const panel::OpRow &row, const QList<int> &deferred, QList<zel::Value> &values);
    void showResult(const panel::OpRow &row, const zel::Value &result);

    PanelKind m_kind;
    QList<const panel::OpRow *> m_ops;
    QSet<const panel::OpRow *> m_connected;
    QList<panel::MemberGroup> m_groups;
    std::list<panel::OpRow> m_ownRows;   // rows the panel makes (member groups' names requests)
    std::list<QByteArray> m_ownTexts;    // their texts
    QSet<QWidget *> m_capabilityDisabled;
};

namespace panel {
// The variables of a member object (extension, task, robot): AddVariable (txtVarName,
// txtVarOption, cmdGetVar), VariableNames (txtVarNamesOption, cmdGetNames, lstVarNames) and
// "Variables.&Clear" (cmdVarClear).
inline constexpr MemberGroup kVariablesGroup = {PanelKind::Variable, "txtVarName", "txtVarOption", "cmdGetVar",
                                                "txtVarNamesOption", "cmdGetNames", "lstVarNames", "cmdVarClear"};
// The number in a number field (blanks around it, a fraction, an exponent allowed), rounded to a
// 32-bit integer. Text that is no number fails with a type mismatch, a number beyond 32 bits with
// an overflow.
qint32 wholeNumber(const QString &text);
} // namespace panel

// Creates an empty panel of a kind through the application state's panel factory (the panels
// library's makePanel, which knows every panel class). Throws when no factory has been set.
PanelBase *createPanel(PanelKind kind);
// Opens panels for the controllers that a workspace already holds, and their members, without
// log or script lines.
void displayPreloadController(PanelBase *workspacePanel);
