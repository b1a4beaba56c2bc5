// What a panel asks of the window that holds it. The main window implements this; panels and
// tools reach it through the application state (app().host) and never name the main window, so
// that they build below it and a test could hold them in a window of its own.
//
// Tree nodes are the tree's own items: a panel keeps its node (m_TreeNode), tags it with its
// panel number and expands it, and the host finds a panel from a node by that number.
#pragma once

#include <QList>
#include <QString>

class QMdiSubWindow;
class QTreeWidgetItem;
class ZelForm;

class PanelHost {
public:
    virtual ~PanelHost() = default;

    // Adds a node; with a relative node it becomes that node's last child. Counts one use of
    // the object named by strUniqueName (its identity text).
    virtual QTreeWidgetItem *AddTreeNode(const QString &strUniqueName, QTreeWidgetItem *relative = nullptr,
                                         const QString &treeName = QString(), const QString &treeIcon = QString()) = 0;
    // Forgets a node whose panel has closed.
    virtual void removeTreeNode(QTreeWidgetItem *node) = 0;

    // Puts a form into the client area (hidden until shown).
    virtual QMdiSubWindow *addForm(ZelForm *form) = 0;
    // The open form of a node (by its tag, the panel number), or null.
    virtual ZelForm *findForm(const QTreeWidgetItem *node) const = 0;
    // Deletes the node's panel and every panel below it, deepest first (only the ones below
    // with childrenOnly).
    virtual void DeleteForm(QTreeWidgetItem *node, bool childrenOnly = false) = 0;
    // Hides the node's panel; it stays loaded and keeps its node.
    virtual void HideForm(QTreeWidgetItem *node) = 0;
    // Every open form, in the order they were added (the watch window's choice of variables).
    virtual QList<ZelForm *> forms() const { return {}; }

    // The first panel of the status bar.
    virtual void WriteStatusBar(const QString &text) = 0;
};
