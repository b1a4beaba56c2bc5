// The task panel: one program that the controller runs. Reads the task's file name, starts,
// stops and deletes it in a numbered mode with an option text, runs commands on it, and
// manages the task's own variables.
#pragma once

#include "panelkit/PanelBase.h"

class frmTask : public PanelBase {
    Q_OBJECT
public:
    explicit frmTask(QWidget *parent = nullptr);
};
