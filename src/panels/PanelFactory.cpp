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

template <typename Panel>
PanelBase *make()
{
    return new Panel;
}

// The panel class of each kind.
struct Maker {
    PanelKind kind;
    PanelBase *(*make)();
};
constexpr Maker kMakers[] = {
    {PanelKind::Engine, make<frmEngine>},         {PanelKind::Workspace, make<frmWorkspace>},
    {PanelKind::Controller, make<frmController>}, {PanelKind::Message, make<frmMessage>},
    {PanelKind::Variable, make<frmVariable>},     {PanelKind::Robot, make<frmRobot>},
    {PanelKind::File, make<frmFile>},             {PanelKind::Task, make<frmTask>},
    {PanelKind::Extension, make<frmExtension>},   {PanelKind::Command, make<frmCommand>},
};

constexpr const Maker *makerOf(PanelKind kind)
{
    for (const Maker &m : kMakers) {
        if (m.kind == kind)
            return &m;
    }
    return nullptr;
}

constexpr bool everyKindHasItsClass()
{
    for (const KindInfo &row : kinds::kRows) {
        if (!makerOf(row.kind))
            return false;
    }
    return true;
}
static_assert(everyKindHasItsClass(), "every kind of the registry (panelkit/kinds.h) has its panel class here");

} // namespace

PanelBase *makePanel(PanelKind kind)
{
    const Maker *m = makerOf(kind);
    return m ? m->make() : nullptr;
}
