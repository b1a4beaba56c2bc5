#include "PanelFactory.h"

#include "frmCommand.h"
#include "frmController.h"
#include "frmEngine.h"
#include "frmExtension.h"
#include "frmFile.h"
#include "frmMessage.h"
#include "frmRobot.h"
#include "frmTask.h"
#include "frmVariable.h"
#include "frmWorkspace.h"

PanelBase *makePanel(PanelKind kind)
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
