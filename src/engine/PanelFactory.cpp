// The one place that knows every panel class.
#include "PanelBase.h"
#include "frmEngine.h"
#include "frmGeneric.h"
#include "frmWorkspace.h"
#include "panels/frmRobot.h"

PanelBase *createPanel(PanelKind kind)
{
    switch (kind) {
    case PanelKind::Engine:
        return new frmEngine;
    case PanelKind::Workspace:
        return new frmWorkspace;
    case PanelKind::Controller:
        return new frmGeneric(kind);
    case PanelKind::Variable:
        return new frmGeneric(kind);
    case PanelKind::Robot:
        return new frmRobot;
    case PanelKind::File:
        return new frmGeneric(kind);
    case PanelKind::Task:
        return new frmGeneric(kind);
    case PanelKind::Extension:
        return new frmGeneric(kind);
    case PanelKind::Command:
        return new frmGeneric(kind);
    }
    return new frmGeneric(kind);
}
