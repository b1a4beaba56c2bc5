// The object tree and the panels it holds: nodes, use counts, showing, hiding and deleting
// panels, and the status bar's node texts.
#include "frmMDI.h"

#include "panelkit/AppState.h"
#include "panelkit/frmPopupmenu.h"
#include "panelkit/PanelBase.h"
#include "panelkit/ZelForm.h"
#include "panelkit/iconset.h"
#include "panelkit/textops.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>

QTreeWidgetItem *frmMDI::AddTreeNode(const QString &strUniqueName, QTreeWidgetItem *relative, const QString &treeName,
                                     const QString &treeIcon)
{
    auto *node = relative ? new QTreeWidgetItem(relative) : new QTreeWidgetItem(m_tree);
    if (!treeName.isEmpty())
        node->setText(0, treeName);
    if (!treeIcon.isEmpty())
        node->setIcon(0, zelIcon(treeIcon));
    m_useCounts[strUniqueName] += 1;
    m_nodeNames.insert(node, strUniqueName);
    refreshNodeStatus(m_tree->currentItem());
    return node;
}

ZelForm *frmMDI::findForm(qint32 formId) const
{
    for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
        auto *form = qobject_cast<ZelForm *>(frame->widget());
        if (form && !form->isUnloaded() && form->m_FormID == formId)
            return form;
    }
    return nullptr;
}

QList<ZelForm *> frmMDI::forms() const
{
    QList<ZelForm *> list;
    for (QMdiSubWindow *frame : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (auto *form = qobject_cast<ZelForm *>(frame->widget()); form && !form->isUnloaded())
            list.append(form);
    }
    return list;
}

ZelForm *frmMDI::findForm(const QTreeWidgetItem *node) const
{
    if (!node)
        return nullptr;
    bool ok = false;
    qint32 tag = node->data(0, Qt::UserRole).toInt(&ok);
    return ok ? findForm(tag) : nullptr;
}

QMdiSubWindow *frmMDI::addForm(ZelForm *form)
{
    QMdiSubWindow *frame = m_mdi->addSubWindow(form);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    frame->setWindowIcon(form->windowIcon());
    frame->adjustSize();
    frame->hide();
    return frame;
}

void frmMDI::removeTreeNode(QTreeWidgetItem *node)
{
    if (!node)
        return;
    m_nodeNames.remove(node);
    if (node == m_node1)
        m_node1 = nullptr;
    if (node == m_node2)
        m_node2 = nullptr;
    delete node;
}

void frmMDI::deleteNodePanel(QTreeWidgetItem *node)
{
    // Children first, so that the deepest panels close before their owners.
    while (node->childCount() > 0) {
        QTreeWidgetItem *child = node->child(0);
        deleteNodePanel(child);
        if (node->childCount() > 0 && node->child(0) == child)
            removeTreeNode(child); // a child without a panel still leaves the tree
    }
    ZelForm *form = findForm(node);
    QString unique = m_nodeNames.value(node);
    if (m_useCounts.contains(unique) && --m_useCounts[unique] <= 0) {
        m_useCounts.remove(unique);
        if (auto *panel = qobject_cast<PanelBase *>(form))
            panel->m_bUnloadCol = true;
    }
    if (form)
        form->closeByProgram();
    removeTreeNode(node);
}

void frmMDI::DeleteForm(QTreeWidgetItem *node, bool childrenOnly)
{
    if (!node)
        return;
    OverrideCursor busy;
    if (childrenOnly) {
        while (node->childCount() > 0)
            deleteNodePanel(node->child(0));
    } else {
        deleteNodePanel(node);
    }
    refreshNodeStatus(m_tree->currentItem());
}

void frmMDI::ShowForm(QTreeWidgetItem *node)
{
    ZelForm *form = findForm(node);
    if (!form)
        return;
    QMdiSubWindow *frame = form->showFrame();
    if (!frame)
        return;
    form->show();
    raise();
    activateWindow();
    m_mdi->setActiveSubWindow(frame);
    textops::bringToFront(form);
}

void frmMDI::HideForm(QTreeWidgetItem *node)
{
    if (ZelForm *form = findForm(node)) {
        if (QMdiSubWindow *frame = form->subWindow())
            frame->hide();
    }
}

void frmMDI::WriteStatusBar(const QString &text)
{
    m_status[StatusText]->setText(text);
}

void frmMDI::refreshNodeStatus(QTreeWidgetItem *node)
{
    m_status[StatusNode]->setText(node ? node->text(0) : QString());
    m_status[StatusChildren]->setText(node ? QString::number(node->childCount()) : QString());
}

void frmMDI::nodeClicked(QTreeWidgetItem *node)
{
    refreshNodeStatus(node);
    ZelForm *form = findForm(node);
    command(Command::ExportKSF)->setEnabled(form && form->m_FormID >= FirstWorkspaceFormId);
    if (m_treeButton == Qt::RightButton && hasApp() && app().popup) {
        app().popup->mdiItems[TreePopupDelete]->setEnabled(node != m_node1 && node != m_node2);
        app().popup->popupTree(this);
    }
}
