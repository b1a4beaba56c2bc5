// The one place that knows every panel class.
#include "PanelBase.h"
#include "frmController.h"
#include "frmEngine.h"
#include "frmMessage.h"
#include "frmWorkspace.h"
#include "panels/frmRobot.h"
#include "panels/frmCommand.h"
#include "panels/frmExtension.h"
#include "panels/frmFile.h"
#include "panels/frmTask.h"
#include "panels/frmVariable.h"

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
        return new frmFile;
    case PanelKind::Task:
        return new frmTask;
    case PanelKind::Extension:
        return new frmExtension;
    case PanelKind::Command:
        return new frmCommand;
    }
    return nullptr; // every kind has its case above
}
