// The extension panel: one provider-specific extension of the controller. Name, Attribute,
// Help, Tag and ID (read as plain text), Execute with a typed parameter, and the extension's
// own variables.
#pragma once

#include "panelkit/PanelBase.h"

class frmExtension : public PanelBase {
    Q_OBJECT
public:
    explicit frmExtension(QWidget *parent = nullptr);
};
