// A plain panel for a member kind whose own panel does not exist: the shared operations
// (Name, Attribute, Help, Tag, ID, Execute), Delete and Hide.
#pragma once

#include "PanelBase.h"

class frmGeneric : public PanelBase {
    Q_OBJECT
public:
    explicit frmGeneric(PanelKind kind, QWidget *parent = nullptr);
};
