// The controller panel: the window of one ZelController. Its member side is a tab control with
// one page per member kind (add, names, clear); its property side reads Name, Attribute and
// Help, reads and writes Tag and ID and runs Execute; its message side lists the messages the
// controller pushes (OnMessage) or hands out (GetMessage), each with a message panel.
#pragma once

#include "panelkit/PanelBase.h"
#include "panelkit/frmPopupmenu.h"

#include <QHash>
#include <QPointer>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QTabWidget;
class frmMessage;

// The message panels of a controller panel, keyed by the decimal text of the message's serial
// number, in the order they were added.
class MessagePanels {
public:
    bool contains(const QString &key) const { return m_panels.contains(key); }
    // The error of adding under a key that is taken.
    static zel::ZelError keyTaken(const QString &key);
    // Adds a panel; throws keyTaken when the key is taken.
    void add(const QString &key, frmMessage *panel);
    frmMessage *item(const QString &key) const;
    // Takes the panel of that key out of the collection; null when there is none.
    frmMessage *take(const QString &key);
    frmMessage *takeFirst();
    // The panels, first added first.
    QList<frmMessage *> items() const;
    qsizetype count() const { return m_keys.size(); }

private:
    QStringList m_keys;
    QHash<QString, QPointer<frmMessage>> m_panels;
};

class frmController : public PanelBase, public PopupOwner {
    Q_OBJECT
public:
    static constexpr int PageCount = kinds::pageCount();
    // Pushed messages are listed while the list holds at most this many entries.
    static constexpr int MessageLimit = 1000;

    explicit frmController(QWidget *parent = nullptr);
    ~frmController() override;

    MessagePanels m_ZelMess;

    // The member kind of a tab page.
    static PanelKind pageKind(int page);

    // A message pushed by the controller (its OnMessage event).
    void OnMessage(const zel::ObjectPtr &message);
    // Takes a message off the list and closes its panel (the list's Delete, the message panel's
    // own Delete, Crear List).
    void deleteMessage(frmMessage *panel);
    // Shows a message panel in front of the other windows.
    void showMessagePanel(frmMessage *panel);
    // The list's popup menu, as a right click over the list opens it.
    void popupMessageMenu();
    void SelectPopupMenu(int index) override;

protected:
    void onLoad() override;
    void onUnload() override;
    void opHook(const panel::OpRow &row, panel::Stage stage, zel::Value &result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *memberPage(int page);
    // Lists a message at the top and makes its panel. Throws when the panel cannot be kept (its
    // entry stays listed).
    void listMessage(const zel::ObjectPtr &message, qint32 serial);
    // The list entry that is selected, or null.
    QListWidgetItem *selectedEntry() const;
    // The panel of an entry by the entry's serial number.
    frmMessage *panelOfEntry(const QListWidgetItem *entry) const;
    void entryDoubleClicked(QListWidgetItem *entry);
    void readyBelowLimit();

    QTabWidget *m_tabs = nullptr;
    QListWidget *m_lstMessage = nullptr;
    QMetaObject::Connection m_onMessage;
    bool m_showTicked = false; // the Show item's tick when the popup opened
};
