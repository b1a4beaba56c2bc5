#include "engine.h"

#include "context.h"
#include "dispatch.h"
#include "options.h"
#include "provider.h"

#include <QSysInfo>

namespace zel {

using namespace detail;

// ---- status -------------------------------------------------------------------------------

ZelEngineStatus::ZelEngineStatus(std::shared_ptr<EngineContext> ctx) : EngineObject(std::move(ctx), ObjectKind::EngineStatus, 0) {}

ZelEngineStatus::~ZelEngineStatus() = default;

QString ZelEngineStatus::version() const
{
    guard("get_Version");
    return QStringLiteral("%1.%2.%3").arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH);
}

QString ZelEngineStatus::computerName() const
{
    guard("get_ComputerName");
    return QSysInfo::machineHostName();
}

Date ZelEngineStatus::startDateTime() const
{
    guard("get_StartDateTime");
    return dateFromUnixMs(context()->startUnixMs);
}

Date ZelEngineStatus::currentDateTime() const
{
    guard("get_CurrentDateTime");
    return currentDate();
}

qint32 ZelEngineStatus::objectCount(qint32 kind) const
{
    guard("get_ObjectCount");
    if (kind < 0 || kind >= kObjectKindCount)
        raise(E_OUT_OF_RANGE, QStringLiteral("ObjectCount: kind %1 does not exist; the kinds are 0 (ZelEngine) to 18 (ZelEngineStatus)").arg(kind));
    return context()->counts[kind];
}

Value ZelEngineStatus::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using S = ZelEngineStatus;
    static const DispatchTable<S> table{{
        prop<S>("Version", [](S &s, const Args &) { return Value::fromString(s.version()); }),
        prop<S>("ComputerName", [](S &s, const Args &) { return Value::fromString(s.computerName()); }),
        prop<S>("StartDateTime", [](S &s, const Args &) { return Value::fromDate(s.startDateTime()); }),
        prop<S>("CurrentDateTime", [](S &s, const Args &) { return Value::fromDate(s.currentDateTime()); }),
        prop<S>("ObjectCount", [](S &s, const Args &a) { return Value::fromI4(s.objectCount(argInt(a, 0, "kind", "ObjectCount"))); }, nullptr, 1, 1),
    }};
    return table.invoke(*this, member, kind, args);
}

// ---- workspaces ---------------------------------------------------------------------------

ZelWorkspace::ZelWorkspace(std::shared_ptr<EngineContext> ctx, QString name)
    : MemberObject(ctx, ObjectKind::Workspace, 0, std::move(name)), m_controllers(std::make_shared<ZelControllers>(ctx))
{
}

ZelWorkspace::~ZelWorkspace() = default;

QStringList ZelWorkspace::providerNames(const QString &option) const
{
    guard("get_ProviderNames");
    return filterNames(zel::providerNames(), option, "ProviderNames");
}

Value ZelWorkspace::execute(const QString &command, const Value &parameter)
{
    guard("Execute");
    static const CommandTable<ZelWorkspace> commands{};
    return commands.run(*this, command, parameter);
}

QString ZelWorkspace::describe() const
{
    return QStringLiteral("Workspace %1: %2 controller(s)%3")
        .arg(displayName())
        .arg(m_controllers->size())
        .arg(m_controllers->size() ? QStringLiteral(" (") + m_controllers->memberNames().join(QLatin1String(", ")) + QLatin1Char(')') : QString());
}

Value ZelWorkspace::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using W = ZelWorkspace;
    static const DispatchTable<W> table{
        executeMember<W>(),
        {
            prop<W>("Name", [](W &w, const Args &) { return Value::fromString(w.name()); }),
            prop<W>("Index", [](W &w, const Args &) { return Value::fromI4(w.index()); }),
            prop<W>("Controllers", [](W &w, const Args &) { return Value::fromObject(w.controllers()); }),
            prop<W>("ProviderNames", [](W &w, const Args &a) { return textArray(w.providerNames(argText(a, 0, "option", "ProviderNames"))); }, nullptr, 0, 1),
            method<W>("AddController", [](W &w, const Args &a) {
                return Value::fromObject(w.addController(argText(a, 0, "name", "AddController"), argText(a, 1, "provider", "AddController"),
                                                         argText(a, 2, "machine", "AddController"), argText(a, 3, "option", "AddController"))); }, 2, 4),
        },
    };
    return table.invoke(*this, member, kind, args);
}

ZelWorkspaces::ZelWorkspaces(std::shared_ptr<EngineContext> ctx) : Collection<ZelWorkspace>(std::move(ctx), ObjectKind::Workspaces, 0) {}

// ---- the engine ---------------------------------------------------------------------------

std::shared_ptr<ZelEngine> ZelEngine::create()
{
    auto ctx = std::make_shared<EngineContext>();
    auto engine = std::make_shared<ZelEngine>(ctx);
    engine->m_workspaces->append(std::make_shared<ZelWorkspace>(ctx, QLatin1StringView(kBuiltInWorkspace)));
    return engine;
}

ZelEngine::ZelEngine(std::shared_ptr<EngineContext> ctx)
    : EngineObject(ctx, ObjectKind::Engine, 0), m_workspaces(std::make_shared<ZelWorkspaces>(ctx)),
      m_status(std::make_shared<ZelEngineStatus>(ctx))
{
}

ZelEngine::~ZelEngine() = default;

std::shared_ptr<ZelWorkspace> ZelEngine::addWorkspace(const QString &requested, const QString &option)
{
    guard("AddWorkspace");
    Options(option, QStringLiteral("AddWorkspace"));
    const QString name = requested.isEmpty() ? m_workspaces->generatedName(QStringLiteral("Workspace")) : requested;
    if (auto existing = m_workspaces->find(name))
        return existing;
    auto w = std::make_shared<ZelWorkspace>(context(), name);
    m_workspaces->append(w);
    return w;
}

Value ZelEngine::execute(const QString &command, const Value &parameter)
{
    guard("Execute");
    static const CommandTable<ZelEngine> commands{
        {"InjectFault", [](ZelEngine &e, const Value &p) {
             e.context()->addFault(parseFault(p, 0, QStringLiteral("InjectFault")));
             return Value::fromI4(e.context()->armedFaults);
         }},
        {"ClearFaults", [](ZelEngine &e, const Value &) { return Value::fromI4(e.context()->clearFaults(0)); }},
        {"Faults", [](ZelEngine &e, const Value &) { return textArray(e.context()->faultTexts(0)); }},
    };
    return commands.run(*this, command, parameter);
}

QString ZelEngine::describe() const
{
    const QStringList providers = zel::providerNames();
    return QStringLiteral("ZelEngine %1.%2.%3: %4 workspace(s), %5 %6")
        .arg(ZEL_VERSION_MAJOR)
        .arg(ZEL_VERSION_MINOR)
        .arg(ZEL_VERSION_PATCH)
        .arg(m_workspaces->size())
        .arg(providers.size() == 1 ? QStringLiteral("provider") : QStringLiteral("providers"), providers.join(QLatin1String(", ")));
}

Value ZelEngine::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using E = ZelEngine;
    static const DispatchTable<E> table{
        executeMember<E>(),
        {
            prop<E>("Workspaces", [](E &e, const Args &) { return Value::fromObject(e.workspaces()); }),
            prop<E>("EngineStatus", [](E &e, const Args &) { return Value::fromObject(e.engineStatus()); }),
            method<E>("AddWorkspace", [](E &e, const Args &a) {
                return Value::fromObject(e.addWorkspace(argText(a, 0, "name", "AddWorkspace"), argText(a, 1, "option", "AddWorkspace"))); }, 0, 2),
        },
    };
    return table.invoke(*this, member, kind, args);
}

} // namespace zel
