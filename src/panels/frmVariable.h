// The variable panel: the window of one ZelVariable. Reads and writes the value with a chosen
// value type, reads its time stamp (DateTime, Microsecond), Name, Attribute and Help, reads and
// writes Tag and ID, deletes the variable, hides, and opens the performance check for it.
#pragma once

#include "panelkit/PanelBase.h"

class frmVariable : public PanelBase {
    Q_OBJECT
public:
    explicit frmVariable(QWidget *parent = nullptr);

    // Opens the performance check for this variable, modally.
    void openPerformanceCheck();
};
