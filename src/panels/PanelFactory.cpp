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

namespace {

// The panel classes; each names its kind (Kind), so the factory needs no case per kind.
template <typename... Panels>
struct PanelClasses {
    static PanelBase *make(PanelKind kind)
    {
        PanelBase *panel = nullptr;
        ((panel = !panel && Panels::Kind == kind ? new Panels : panel), ...);
        return panel;
    }
    static constexpr bool covers(PanelKind kind) { return ((Panels::Kind == kind) || ...); }
    static constexpr bool coversEveryKind()
    {
        for (const KindInfo &row : kinds::kRows) {
            if (!covers(row.kind))
                return false;
        }
        return true;
    }
};

using Panels = PanelClasses<frmEngine, frmWorkspace, frmController, frmMessage, frmVariable, frmRobot, frmFile, frmTask,
                            frmExtension, frmCommand>;
static_assert(Panels::coversEveryKind(), "every kind of the registry (panelkit/kinds.h) has its panel class here");

} // namespace

PanelBase *makePanel(PanelKind kind)
{
    return Panels::make(kind);
}
