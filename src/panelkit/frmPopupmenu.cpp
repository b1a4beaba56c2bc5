#include "frmPopupmenu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QWidget>

frmPopupmenu::frmPopupmenu(QWidget *mainWindow) : QObject(mainWindow)
{
    setObjectName(QStringLiteral("frmPopupmenu"));
    mnuMDIPopup =
        makeMenu(QStringLiteral("mnuMDIPopup"), {QStringLiteral("&Show"), QStringLiteral("&Delete")}, mdiItems);
    mnuCtrlPopup = makeMenu(
        QStringLiteral("mnuCtrlPopup"),
        {QStringLiteral("&Show"), QStringLiteral("&Delete"), QStringLiteral("-"), QStringLiteral("&Crear List")},
        ctrlItems);
    mnuTxtPopup =
        makeMenu(QStringLiteral("mnuTxtPopup"),
                 {QStringLiteral("Cu&t"), QStringLiteral("&Copy"), QStringLiteral("&Paste"), QStringLiteral("-"),
                  QStringLiteral("&Export Log..."), QStringLiteral("-"), QStringLiteral("Clear &Log")},
                 txtItems);
    txtItems[TextPopupCut]->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    txtItems[TextPopupCopy]->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    txtItems[TextPopupPaste]->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    for (QAction *a : txtItems)
        a->setShortcutVisibleInContextMenu(true);
    ctrlItems[CtrlPopupShow]->setCheckable(true);

    for (int i = 0; i < mdiItems.size(); ++i)
        connect(mdiItems[i], &QAction::triggered, this, [this, i] {
            if (m_mdiOwner)
                m_mdiOwner->SelectPopupMenu(i);
        });
    for (int i = 0; i < ctrlItems.size(); ++i)
        connect(ctrlItems[i], &QAction::triggered, this, [this, i] {
            if (m_ctrlOwner && m_ctrlOwnerWidget)
                m_ctrlOwner->SelectPopupMenu(i);
        });
}

frmPopupmenu::~frmPopupmenu()
{
    delete mnuMDIPopup;
    delete mnuCtrlPopup;
    delete mnuTxtPopup;
}

QMenu *frmPopupmenu::makeMenu(const QString &name, const QStringList &captions, QList<QAction *> &items)
{
    auto *menu = new QMenu;
    menu->setObjectName(name);
    for (int i = 0; i < captions.size(); ++i) {
        QAction *a = captions[i] == QLatin1String("-") ? menu->addSeparator() : menu->addAction(captions[i]);
        a->setObjectName(QStringLiteral("%1_%2").arg(name).arg(i));
        items.append(a);
    }
    return menu;
}

void frmPopupmenu::popupTree(PopupOwner *owner)
{
    m_mdiOwner = owner;
    mnuMDIPopup->popup(QCursor::pos());
}

void frmPopupmenu::popupController(PopupOwner *owner, QWidget *ownerWidget)
{
    m_ctrlOwner = owner;
    m_ctrlOwnerWidget = ownerWidget;
    mnuCtrlPopup->popup(QCursor::pos());
}

void frmPopupmenu::popupText()
{
    mnuTxtPopup->popup(QCursor::pos());
}
