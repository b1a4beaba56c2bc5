#include "provider.h"

#include "dispatch.h"
#include "engine.h"
#include "virtualcontroller.h"

namespace zel {

using namespace detail;

QString memberKindWord(MemberKind kind)
{
    switch (kind) {
    case MemberKind::Variable: return QStringLiteral("variables");
    case MemberKind::Robot: return QStringLiteral("robots");
    case MemberKind::File: return QStringLiteral("files");
    case MemberKind::Task: return QStringLiteral("tasks");
    case MemberKind::Extension: return QStringLiteral("extensions");
    case MemberKind::Command: return QStringLiteral("commands");
    }
    return QString();
}

VariableBinding::~VariableBinding() = default;
IoBinding::~IoBinding() = default;
CommandBinding::~CommandBinding() = default;
ControllerDevice::~ControllerDevice() = default;
Provider::~Provider() = default;

QStringList ControllerDevice::offeredNames(MemberKind) const { return {}; }
std::shared_ptr<VariableBinding> ControllerDevice::variable(const QString &, const QString &) { return nullptr; }
std::shared_ptr<IoBinding> ControllerDevice::extension(const QString &, const QString &) { return nullptr; }
std::shared_ptr<CommandBinding> ControllerDevice::command(const QString &, const QString &) { return nullptr; }
std::shared_ptr<ControllerModel> ControllerDevice::fileSystem() const { return nullptr; }
std::vector<VariableHost::SystemVariable> ControllerDevice::hostVariables() const { return {}; }
Value ControllerDevice::readHostVariable(int) { return Value(); }
void ControllerDevice::start(MessageSink) {}

void ControllerDevice::writeHostVariable(int, const Value &)
{
    raise(E_READ_ONLY, QStringLiteral("This system variable is read-only"));
}

void Provider::check(const QString &, const QString &) const {}

namespace {
// Zel.Virtual first, then the others in the order they registered. The list is filled at
// start-up, before any engine runs; engines only read it.
QList<std::shared_ptr<Provider>> &registry()
{
    static QList<std::shared_ptr<Provider>> providers{std::make_shared<VirtualProvider>()};
    return providers;
}
} // namespace

void registerProvider(std::shared_ptr<Provider> provider)
{
    QList<std::shared_ptr<Provider>> &list = registry();
    for (qsizetype i = 1; i < list.size(); ++i) {
        if (list[i]->name().compare(provider->name(), Qt::CaseInsensitive) == 0) {
            list[i] = std::move(provider);
            return;
        }
    }
    if (provider->name().compare(list.first()->name(), Qt::CaseInsensitive) != 0)
        list.append(std::move(provider));
}

QStringList providerNames()
{
    QStringList names;
    for (const auto &p : registry())
        names << p->name();
    return names;
}

std::shared_ptr<Provider> findProvider(const QString &name)
{
    for (const auto &p : registry()) {
        if (p->name().compare(name, Qt::CaseInsensitive) == 0)
            return p;
    }
    return nullptr;
}

} // namespace zel
