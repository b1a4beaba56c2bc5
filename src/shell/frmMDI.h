// The main window: the panels' client area, the object tree, the log pane, menus, toolbar and
// status bar. It is the panels' host (PanelHost). Its code is split by concern: frmMDI.cpp (the
// window's parts, start-up, input, closing), mdicommands.cpp (the command table, menus, toolbar,
// popups, enabling, recording, view and help), mditree.cpp (tree and panels), mdiexport.cpp
// (save dialog and exports) and mdilayout.cpp (window settings, panes, placing panels).
#pragma once

#include "mdicommands.h"
#include "panelkit/PanelHost.h"
#include "panelkit/frmPopupmenu.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class ZelForm;

class frmMDI : public QMainWindow, public PopupOwner, public PanelHost {
    Q_OBJECT
public:
    enum ExportKind { ExportLog = 0, ExportScript = 1, ExportKSF = 2 };

    explicit frmMDI(QWidget *parent = nullptr);
    ~frmMDI() override;

    // The start-up's load sequence: remembered controllers, log pane, engine, the first panels
    // (the start-up's openFirstPanels, handed in), "Ready", recording on. False when it stopped
    // on an error (already shown).
    bool loadSequence(const std::function<void()> &openFirstPanels);

    // The menu "&Tools" (mnuTools), where the additions beyond the classic menus put their items.
    QMenu *toolsMenu() const { return m_tools; }

    // --- operations panels call ------------------------------------------------------------
    // Adds a node; with a relative node it becomes that node's last child. Counts one use of
    // the object named by strUniqueName.
    QTreeWidgetItem *AddTreeNode(const QString &strUniqueName, QTreeWidgetItem *relative = nullptr,
                                 const QString &treeName = QString(), const QString &treeIcon = QString()) override;
    // Deletes the node's panel and every panel below it, deepest first (only the ones below
    // with childrenOnly).
    void DeleteForm(QTreeWidgetItem *node, bool childrenOnly = false) override;
    void ShowForm(QTreeWidgetItem *node);
    void HideForm(QTreeWidgetItem *node) override;
    void WriteStatusBar(const QString &text) override;
    void SelectPopupMenu(int index) override;
    // Puts a form into the client area (hidden until shown).
    QMdiSubWindow *addForm(ZelForm *form) override;
    // The open form with that panel number, or null.
    ZelForm *findForm(qint32 formId) const;
    ZelForm *findForm(const QTreeWidgetItem *node) const override;
    QList<ZelForm *> forms() const override;
    // Object use counts by unique name.
    int useCount(const QString &uniqueName) const { return m_useCounts.value(uniqueName); }
    // Forgets the tree's node (the panel has closed).
    void removeTreeNode(QTreeWidgetItem *node) override;

    // The command's one action: its menu item, which its toolbar button (for most commands) follows.
    QAction *command(Command id) const { return m_commands[static_cast<int>(id)]; }
    // Runs the command's handler, as its menu item does.
    void runCommand(Command id);

    // The enabling rules, applied to the commands' actions: the menu and the toolbar share them,
    // so either name refreshes both.
    void RefreshTlbar() { refreshCommands(); }
    void RefreshMenuBar() { refreshCommands(); }
    void ExportFile(int kind);

    // Recording commands, as the menu runs them.
    void startRecording();
    void pauseRecording();
    void stopRecording();

    // Window settings of the user (a file of their own beside the registry store): the main
    // window's size, its panes and the folder last used by a file dialog. restoreLayout sizes
    // the window to the screen before it is first shown; saveLayout writes them back.
    static QString windowSettingsFile();
    void restoreLayout();
    void saveLayout();
    // Brings the window's frame back within the screen's available area, smaller if need be
    // (run once the window manager has framed the window, whose frame is unknown before).
    void keepOnScreen();
    // The left pane's first width when the panes share that width: a typical request line of
    // the log is read whole.
    int naturalLeftPaneWidth(int splitWidth) const;

    // View toggles.
    void setObjectWindowVisible(bool visible);
    void setLogWindowVisible(bool visible);

    // Writes a text file, replacing it (zel::saveFile). On failure shows "Save Failed." with
    // the path, the reason below it, and returns false; the old file is left as it was.
    bool writeTextFile(const QString &path, const QString &text);
    // The log pane's whole text with CR LF line ends.
    QString logText() const;

    // Widgets, for the panels and tests.
    QMdiArea *mdiArea() const { return m_mdi; }
    QTreeWidget *tree() const { return m_tree; }
    QPlainTextEdit *logPane() const { return m_log; }
    QTreeWidgetItem *node1() const { return m_node1; }
    QTreeWidgetItem *node2() const { return m_node2; }
    // The engine's node (node 1) and the status monitor's (node 2), which are never deleted;
    // set by the start-up as their panels load.
    void setFixedNodes(QTreeWidgetItem *engineNode, QTreeWidgetItem *statusNode)
    {
        m_node1 = engineNode;
        m_node2 = statusNode;
    }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What the activity check enables: Show, Delete and the three clipboard commands.
    struct Enabling {
        bool show = false, del = false, cut = false, copy = false, paste = false;
        friend bool operator==(const Enabling &, const Enabling &) = default;
    };
    Enabling computeEnabling() const;

    // A row of the command table and of the toolbar (mdicommands.cpp).
    struct CommandRow;
    struct ButtonRow;
    static const CommandRow kCommandTable[];
    static const ButtonRow kToolbar[];
    static const CommandRow *commandRow(Command id);

    void buildMenus();
    void buildToolsMenu();
    void buildToolbar();
    void connectPopups();
    void buildLeftPane();
    void buildStatusBar();
    void refreshCommands();
    // Shows the recorder's mode on the Edit menu's recording items and the recording buttons.
    void showRecordMode(int mode);
    // Handlers of the command table.
    void exportLog() { ExportFile(ExportLog); }
    void exportScript() { ExportFile(ExportScript); }
    void exportKSF() { ExportFile(ExportKSF); }
    void exitProgram() { close(); }
    void deleteSelected();
    void clearLog();
    void cutText();
    void copyText();
    void pasteText();
    void showSelected();
    void toggleObjectWindow();
    void toggleLogWindow();
    void cascadeWindows();
    // Clicks of the toolbar's recording buttons, which keep their own two-state actions.
    void recStartClicked(bool pressed);
    void recPauseClicked(bool pressed);
    void recStopClicked(bool pressed);
    void activityCheck();
    void wakeActivityCheck();
    void refreshNodeStatus(QTreeWidgetItem *node);
    void deleteNodePanel(QTreeWidgetItem *node);
    void nodeClicked(QTreeWidgetItem *node);
    void textPopup(QWidget *textBox, Qt::MouseButton button);
    void showUsersGuide();
    void showVersion();
    void closeAllWindows();
    // Opens a panel's frame the first time it is shown: at its natural size as far as the client
    // area allows, at the next step of a cascade that starts again at the top left when the
    // frame would not fit.
    void placePanel(QMdiSubWindow *frame);

    QMdiArea *m_mdi = nullptr;
    QWidget *m_picFrame = nullptr;
    QSplitter *m_vSplit = nullptr; // left pane | client area (its handle is picVBar)
    QSplitter *m_hSplit = nullptr; // tree | log (its handle is picHBar)
    QWidget *m_objectPart = nullptr;
    QWidget *m_logPart = nullptr;
    QTreeWidget *m_tree = nullptr;
    QPlainTextEdit *m_log = nullptr;
    // The status bar's panels: texts such as "Ready", the selected node, its number of children.
    enum StatusPanel { StatusText = 0, StatusNode = 1, StatusChildren = 2, StatusPanelCount = 3 };
    QLabel *m_status[StatusPanelCount] = {};
    // Marks a panel's frame that has been given its place in the client area.
    static constexpr char kPlacedProperty[] = "zelPlaced";
    QTimer *m_activeCheck = nullptr;
    QTreeWidgetItem *m_node1 = nullptr;
    QTreeWidgetItem *m_node2 = nullptr;
    Qt::MouseButton m_treeButton = Qt::NoButton;
    QHash<QString, int> m_useCounts;
    QHash<const QTreeWidgetItem *, QString> m_nodeNames; // node -> unique name of its object

    QAction *m_commands[kCommandCount] = {};
    QToolButton *m_buttons[kCommandCount] = {}; // by command; null for a command without a button
    QMenu *m_tools = nullptr;
    class LogFindBar *m_logFind = nullptr;    // under the log (Ctrl+F)
    class LogFileSwitch *m_logFile = nullptr; // Tools > Log to File...
    bool m_closing = false;
    bool m_laidOut = false;      // the first show has set the panes; panels are placed from then on
    bool m_framePending = false; // the window manager's frame has not been seen yet
    int m_cascade = 0;           // step of the next panel in the cascade
    QList<int> m_paneSizes;      // the left pane's width and the tree's height to apply when shown
    Enabling m_lastEnabling;
    bool m_enablingKnown = false;
    static constexpr int kQuietChecksBeforeRest = 20;
    int m_quietChecks = 0;
};
