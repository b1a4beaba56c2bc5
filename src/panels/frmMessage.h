// The message panel: one ZelMessage received by a controller. Shows its seven fields, replies
// with typed data, clears the message, deletes it from the controller's list, hides. Message
// panels have no tree node; their calls are not recorded as script lines.
//
// A controller may push messages by the thousand, and most panels are never looked at, so a
// message panel reads its fields when it is loaded but makes its window (controls, capability
// binding, place in the main window) only when it is first shown.
#pragma once

#include "panelkit/PanelBase.h"

#include <QPointer>

class frmController;

class frmMessage : public PanelBase {
    Q_OBJECT
public:
    enum Field { SerialNum, MsgNum, DateTime, Source, Destination, Description, ValueText, FieldCount };

    explicit frmMessage(QWidget *parent = nullptr);

    zel::ObjectPtr &m_Message = m_ZelObj;
    QPointer<frmController> m_frmParentCtrl;

    // The box of a field ("txtSerialNum", ...).
    static const char *fieldBox(int field);

    // Reads the message's fields (a failed read leaves a field empty) and builds the log path
    // from the controller panel's. The panel stays hidden.
    void loadMessage();
    QString fieldText(int field) const { return m_fields[field]; }
    // The serial number the panel was loaded with (its key in the controller's collection).
    QString key() const { return m_fields[SerialNum]; }

    // Makes the window if it has not been made yet.
    void ensureBuilt();
    bool isBuilt() const { return m_built; }
    // Shows the panel in front; hides it.
    void showInFront();
    void hidePanel();
    bool isShown() const;

protected:
    void onUnload() override;
    // A message is never removed from a collection by its panel.
    void removeFromCollection() override {}
    void opHook(const panel::OpRow &row, panel::Stage stage, zel::Value &result) override;

private:
    void deleteMessage();

    QString m_fields[FieldCount];
    bool m_built = false;
};
