// The workspace panel: connects controllers, loads a device-capability definition, runs
// workspace commands and owns the workspace's KSF document.
#pragma once

#include "panelkit/PanelBase.h"

class frmWorkspace : public PanelBase {
    Q_OBJECT
public:
    explicit frmWorkspace(QWidget *parent = nullptr);

    ksf::DocumentPtr m_KSFEng; // mirror of the controllers and members created below
    QString m_KSFPath;         // file the mirror was opened from (empty: a new document)

    ksf::DocumentPtr workspaceDocument() const override { return m_KSFEng; }

    // The option sent with AddController: the message-event piece, then the user's text.
    static QString controllerOption(bool eventsDisabled, const QString &userOption);
    // Refills the recent-controller choices, keeping the typed text.
    void refillControllers();

protected:
    void onLoad() override;
    void onUnload() override;
    void applyCapabilities() override {}

private:
    void addController();
    void browseDefinition();
    void loadDefinition();
    void recentChosen(int index);
    void clearControllers();
};
