// The engine panel: the root of the object tree; adds workspaces, runs engine commands and
// clears the workspace collection. Nothing here is recorded as a script line.
#pragma once

#include "panelkit/PanelBase.h"

class frmEngine : public PanelBase {
    Q_OBJECT
public:
    explicit frmEngine(QWidget *parent = nullptr);

    // The KSF file path named by the first option piece that begins with "@KSFFile".
    static QString ksfPathFromOption(const QString &option);

protected:
    void onUnload() override;

private:
    void addWorkspace();
    void clearWorkspaces();
};
