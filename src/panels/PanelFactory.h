// The one place that knows every panel class.
#pragma once

#include "panelkit/PanelBase.h"

// Makes an empty panel of a kind. The start-up hands it to the application state, through which
// the panel kit makes panels (createPanel).
PanelBase *makePanel(PanelKind kind);
