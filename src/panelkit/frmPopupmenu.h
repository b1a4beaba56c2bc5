// Holder of the three popup menus: the tree's, the controller panel's message list's and the
// text boxes'. Item clicks reach the owner that opened the menu last.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QWidget;

// The items of the menus by position (separators count), as SelectPopupMenu receives them.
// The tree's popup (mnuMDIPopup).
enum TreePopupItem { TreePopupShow = 0, TreePopupDelete = 1 };
// The popup of the controller panel's message list (mnuCtrlPopup).
enum CtrlPopupItem { CtrlPopupShow = 0, CtrlPopupDelete = 1, CtrlPopupClearList = 3 };
// Items of the text popup (mnuTxtPopup); the ones from the first separator on show on the log only.
enum TextPopupItem {
    TextPopupCut = 0,
    TextPopupCopy = 1,
    TextPopupPaste = 2,
    TextPopupLogFirst = 3,
    TextPopupExportLog = 4,
    TextPopupClear = 6,
    TextPopupLogLast = 6
};

// Anything that opens one of the item popups and takes the chosen item index back.
class PopupOwner {
public:
    virtual ~PopupOwner() = default;
    virtual void SelectPopupMenu(int index) = 0;
};

class frmPopupmenu : public QObject {
    Q_OBJECT
public:
    explicit frmPopupmenu(QWidget *mainWindow);
    ~frmPopupmenu() override;

    QMenu *mnuMDIPopup = nullptr;  // "&Show", "&Delete"
    QMenu *mnuCtrlPopup = nullptr; // "&Show", "&Delete", "-", "&Crear List"
    QMenu *mnuTxtPopup = nullptr;  // "Cu&t", "&Copy", "&Paste", "-", "&Export Log...", "-", "Clear &Log"
    QList<QAction *> mdiItems, ctrlItems, txtItems;

    // Opens a popup at the cursor for the owner that should receive the choice.
    void popupTree(PopupOwner *owner);
    void popupController(PopupOwner *owner, QWidget *ownerWidget);
    void popupText();

private:
    QMenu *makeMenu(const QString &name, const QStringList &captions, QList<QAction *> &items);
    PopupOwner *m_mdiOwner = nullptr;
    PopupOwner *m_ctrlOwner = nullptr;
    QPointer<QWidget> m_ctrlOwnerWidget; // guards m_ctrlOwner against a closed panel
};
