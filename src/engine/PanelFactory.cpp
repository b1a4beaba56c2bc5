// The one place that knows every panel class.
#include "PanelBase.h"
#include "frmController.h"
#include "frmEngine.h"
#include "frmGeneric.h"
#include "frmMessage.h"
#include "frmWorkspace.h"
#include "panels/frmVariable.h"
#include "panels/frmRobot.h"

PanelBase *createPanel(PanelKind kind)
{
    switch (kind) {
    case PanelKind::Engine:
        return new frmEngine;
    case PanelKind::Workspace:
        return new frmWorkspace;
    case PanelKind::Controller:
        return new frmController;
    case PanelKind::Message:
        return new frmMessage;
    case PanelKind::Variable:
        return new frmVariable;
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
