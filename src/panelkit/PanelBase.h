// The object panel framework: what every panel of an engine object shares.
//
// A panel holds one engine object, the collection that contains it, its KSF entry and its
// capability entry; it has a node in the object tree and one button per operation. Operations
// are rows of a table (OpRow) run by one call routine: request line, script line, engine call,
// result shown, success line; one failure line on any error.
#pragma once

#include "ksf/ksfmapper.h"
#include "ZelForm.h"
#include "zel/object.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>

class QTabWidget;
class QTreeWidgetItem;

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

// What differs between the kinds of object: words, images, collection names, operations.
struct KindInfo {
    const char *formName;    // "frmVariable"
    const char *kindWord;    // "Variable": window caption and messages
    const char *image;       // tree image key
    const char *logColl;     // collection in log paths: "Vars"
    const char *scriptColl;  // collection in script paths and the engine: "Variables"
    const char *addOp;       // "AddVariable"
    const char *namesOp;     // "VariableNames"
    const char *statusAdd;   // "Add Variable..."
    const char *statusClear; // "Clear Variable..."
};
const KindInfo &kindInfo(PanelKind kind);

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

struct OpRow {
    const char *button;
    const char *request;               // request member: P + "." + request + "(" + args + ")"
    ArgDef args[4] = {};
    const char *target = nullptr;      // collection read from the object first (e.g. "Variables")
    const char *member = nullptr;      // engine member called
    zel::CallKind kind = zel::CallKind::PropertyGet;
    const char *script = nullptr;      // script member: S + script; null when not recorded
    int style = 1;                     // 0 put, 1 get, 2 execute
    int retType = -1;                  // -1 none, 3 integer, 8 text, 9 object, 12 value
    const char *box = nullptr;
    Fill fill = Fill::None;
    Line line = Line::Done;
    const char *typeCombo = nullptr;   // Fill::AfterComma
    const char *capability = nullptr;  // operation name that governs the button
    const char *tips[4] = {};          // boxes taking argument descriptions; default: the arg boxes
    bool noTips = false;
    int hook = 0;                      // panel-specific steps (PanelBase::opHook)
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
    ksf::EntryPtr m_DCEntry;             // the capability entry of this object (m_DCCtrl, m_DCVar, ...)
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
    // Panel-specific steps of table operations with a hook number: stage 0 before the request
    // line (may throw), stage 1 after the call with the result (may throw).
    virtual void opHook(const panel::OpRow &row, int stage, zel::Value &result);
    // The value of an Arg::Panel argument; the default is the box's text as a text value.
    virtual zel::Value argValue(const panel::ArgDef &arg);
    void unloadForm() override;
    // While the focus is in the panel, its own access keys (buttons, labels, tabs) win over
    // the main window's menu bar.
    bool event(QEvent *event) override;

    // --- the call routine and its tables -------------------------------------------------
    // Adds a table of operations: each row's button runs the row.
    void addOperations(const panel::OpRow *rows, int count);
    template <int N>
    void addOperations(const panel::OpRow (&rows)[N]) { addOperations(rows, N); }
    void runOp(const panel::OpRow &row);
    const panel::OpRow *findOp(const QString &button) const;
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
    // Delete and Hide buttons.
    void bindDeleteHide(const char *deleteButton, const char *hideButton);
    // The frame fraExecute: txtCommand, cmbValueType, txtParameter with cmdExecute, and the
    // display box txtResult (the shared Execute operation's controls).
    QGroupBox *executeFrame(const QString &commandCaption, const QString &parameterCaption);
    // The object's own variables: the frame fraVar with AddVariable (txtVarName, txtVarOption,
    // cmdGetVar), VariableNames (txtVarNamesOption, cmdGetNames, lstVarNames) and
    // "Variables.&Clear" (cmdVarClear), wired by bindVariableButtons.
    QGroupBox *variablesFrame();
    // Add and clear of the variables, and the names list filling the name box.
    void bindVariableButtons();

    // --- widgets -------------------------------------------------------------------------
    template <typename T = QWidget>
    T *control(const char *name) const { return name ? findChild<T *>(QLatin1String(name)) : nullptr; }
    // A text box; a display box (read-only, button-face colour) has room for a six-number pose
    // with its type at the panel's natural size.
    QLineEdit *textBox(const char *name, bool display = false);
    // A display box that fills its row (results, the property rows of getRow): room for a pose
    // and for that many characters at the natural size.
    QLineEdit *resultBox(const char *name, int characters = 64);
    QPushButton *button(const char *name, const QString &caption);
    QComboBox *typeList(const char *name);
    QListWidget *listBox(const char *name);
    QGroupBox *frame(const char *name, const QString &caption);
    QLabel *label(const QString &caption);
    // Sets a button's enabled state, respecting a capability that disabled it.
    void setButtonEnabled(QWidget *button, bool enabled);
    // A read-only property row of a grid: caption, a display box over both box columns (1 and
    // 2) and a Get button. Returns the display box.
    QLineEdit *getRow(QGridLayout *grid, int row, const QString &caption, const char *box, const char *getButton);
    // A read-write property row: caption (its access key leads to the input box), display box,
    // input box, Get and Put buttons. Returns the display box.
    QLineEdit *getPutRow(QGridLayout *grid, int row, const QString &caption, const char *getBox, const char *putBox,
                         const char *getButton, const char *putButton);
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
    QSet<QWidget *> m_capabilityDisabled;
};

namespace panel {
// The number in a number field (blanks around it, a fraction, an exponent allowed), rounded to a
// 32-bit integer. Text that is no number fails with a type mismatch, a number beyond 32 bits with
// an overflow.
qint32 wholeNumber(const QString &text);
// The shared operations of a controller-like panel (Name, Attribute, Help, Execute) on the
// controls txtCtrlName, txtAttr, txtHelp, txtCommand, cmbValueType, txtParameter and txtResult.
extern const OpRow kSharedOps[4];
// Tag and ID, read as any value and written as text, on txtGetTag, txtPutTag, txtGetID and
// txtPutID: the rows of every panel but the extension's, which reads them as plain text.
extern const OpRow kTagIdOps[4];
} // namespace panel

// Creates an empty panel of a kind through the application state's panel factory (the panels
// library's makePanel, which knows every panel class). Throws when no factory has been set.
PanelBase *createPanel(PanelKind kind);
// Opens panels for the controllers that a workspace already holds, and their members, without
// log or script lines.
void displayPreloadController(PanelBase *workspacePanel);
