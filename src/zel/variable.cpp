#include "context.h"
#include "dispatch.h"
#include "members.h"
#include "options.h"
#include "provider.h"

#include <QRegularExpression>

namespace zel {

using namespace detail;

namespace {
const VariableHost::SystemVariable kCommonVariables[] = {
    {"@Clock", ZelVariable::Clock, false, "the current local date and time (DATE)"},
    {"@Counter", ZelVariable::Counter, true, "counts its own reads: each read returns one more (I4); a write sets the count"},
    {"@ReadOnly", ZelVariable::ReadOnly, false, "a fixed text that refuses every write"},
    {"@Fail", ZelVariable::Fail, false, "every read and write fails with 0x8004A006"},
};
} // namespace

VariableHost::~VariableHost() = default;

void VariableHost::writeHostVariable(int, const Value &)
{
    raise(E_READ_ONLY, QStringLiteral("This system variable is read-only"));
}

// ---- ZelVariable --------------------------------------------------------------------------

ZelVariable::ZelVariable(std::shared_ptr<EngineContext> ctx, quint64 scope, QString name, std::weak_ptr<Object> hostObject,
                         VariableHost *host, const VariableHost::SystemVariable *system,
                         std::shared_ptr<VariableBinding> binding)
    : ControllerMember(std::move(ctx), ObjectKind::Variable, scope, std::move(name)), m_binding(std::move(binding)), m_stampUs(nowMicros()),
      m_hostObject(std::move(hostObject)), m_host(host)
{
    if (system) {
        m_system = system->id;
        m_systemWritable = system->writable;
        m_systemHelp = system->help;
    }
    if (auto h = m_hostObject.lock())
        m_hostName = static_cast<EngineObject *>(h.get())->className() + QLatin1Char(' ') + static_cast<EngineObject *>(h.get())->displayName();
}

ZelVariable::~ZelVariable() = default;

Value ZelVariable::value()
{
    guard("get_Value");
    if (m_binding) {
        Value v = m_binding->read();
        m_stampUs = nowMicros();
        return v;
    }
    if (m_system < 0)
        return m_value;
    return readSystem();
}

void ZelVariable::setValue(const Value &value)
{
    guard("put_Value");
    if (m_binding) {
        m_binding->write(value);
        m_stampUs = nowMicros();
        return;
    }
    if (m_system < 0) {
        m_value = value;
        m_stampUs = nowMicros();
        return;
    }
    writeSystem(value);
}

Date ZelVariable::dateTime() const
{
    guard("get_DateTime");
    return dateFromMicros(m_stampUs);
}

qint32 ZelVariable::microsecond() const
{
    guard("get_Microsecond");
    qint64 us = m_stampUs % 1000000;
    return static_cast<qint32>(us < 0 ? us + 1000000 : us);
}

VariableHost *ZelVariable::lockedHost(std::shared_ptr<Object> &keep) const
{
    keep = m_hostObject.lock();
    if (!keep)
        raise(E_DETACHED, QStringLiteral("Variable %1: its owner %2 no longer exists").arg(displayName(), m_hostName));
    return m_host;
}

Value ZelVariable::readSystem()
{
    switch (m_system) {
    case Clock:
        m_stampUs = nowMicros();
        return Value::fromDate(dateFromMicros(m_stampUs));
    case Counter:
        m_stampUs = nowMicros();
        return Value::fromI4(++m_reads);
    case ReadOnly:
        m_stampUs = nowMicros();
        return Value::fromString(QStringLiteral("read-only"));
    case Fail:
        raise(E_INJECTED, QStringLiteral("Variable @Fail of %1 always fails; reading it is refused").arg(m_hostName));
    }
    std::shared_ptr<Object> keep;
    VariableHost *host = lockedHost(keep);
    Value v = host->readHostVariable(m_system);
    m_stampUs = nowMicros();
    return v;
}

void ZelVariable::writeSystem(const Value &value)
{
    if (m_system == Fail)
        raise(E_INJECTED, QStringLiteral("Variable @Fail of %1 always fails; writing it is refused").arg(m_hostName));
    if (!m_systemWritable)
        raise(E_READ_ONLY, QStringLiteral("Variable %1 of %2 is read-only; it refuses writes").arg(displayName(), m_hostName));
    if (m_system == Counter) {
        try {
            m_reads = value.toInt32();
        } catch (const ZelError &e) {
            raise(e.unsignedNumber(), QStringLiteral("Variable @Counter takes a count: %1").arg(e.description()));
        }
    } else {
        std::shared_ptr<Object> keep;
        lockedHost(keep)->writeHostVariable(m_system, value);
    }
    m_stampUs = nowMicros();
}

qint32 ZelVariable::attributeValue() const
{
    if (m_binding)
        return 1 | (m_binding->writable() ? 2 : 0);
    if (m_system < 0)
        return 3;
    return 1 | (m_systemWritable ? 2 : 0) | 4;
}

QString ZelVariable::helpText() const
{
    if (m_binding)
        return QStringLiteral("Variable %1 of %2: %3").arg(displayName(), m_hostName, m_binding->help());
    if (m_system < 0)
        return QStringLiteral("Variable %1 of %2: holds any value; a write stamps DateTime and Microsecond").arg(displayName(), m_hostName);
    return QStringLiteral("System variable %1 of %2: %3").arg(displayName(), m_hostName, QLatin1StringView(m_systemHelp));
}

Value ZelVariable::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    static const DispatchTable<ZelVariable> table{
        sharedMembers<ZelVariable>(),
        {
            prop<ZelVariable>("Value", [](ZelVariable &v, const Args &) { return v.value(); },
                              [](ZelVariable &v, const Args &, const Value &x) { v.setValue(x); }),
            prop<ZelVariable>("DateTime", [](ZelVariable &v, const Args &) { return Value::fromDate(v.dateTime()); }),
            prop<ZelVariable>("Microsecond", [](ZelVariable &v, const Args &) { return Value::fromI4(v.microsecond()); }),
        },
    };
    return table.invoke(*this, member, kind, args);
}

ZelVariables::ZelVariables(std::shared_ptr<EngineContext> ctx, quint64 scope)
    : Collection<ZelVariable>(std::move(ctx), ObjectKind::Variables, scope)
{
}

// ---- hosts --------------------------------------------------------------------------------

namespace detail {

std::shared_ptr<ZelVariable> addVariable(EngineObject &hostObject, VariableHost &host, ZelVariables &variables,
                                         const QString &requested, const QString &option, ControllerDevice *device)
{
    Options(option, QStringLiteral("AddVariable")); // no keys of its own, but the text must be well formed
    QString name = requested.isEmpty() ? variables.generatedName(QStringLiteral("Variable")) : requested;
    std::shared_ptr<VariableBinding> binding;
    if (device && !name.startsWith(QLatin1Char('@')))
        binding = device->variable(name, option);
    if (auto existing = variables.find(name))
        return existing;

    const VariableHost::SystemVariable *sysVar = nullptr;
    std::vector<VariableHost::SystemVariable> own;
    if (name.startsWith(QLatin1Char('@'))) {
        own = host.hostVariables();
        for (const auto &s : kCommonVariables) {
            if (name.compare(QLatin1StringView(s.name), Qt::CaseInsensitive) == 0)
                sysVar = &s;
        }
        for (const auto &s : own) {
            if (name.compare(QLatin1StringView(s.name), Qt::CaseInsensitive) == 0)
                sysVar = &s;
        }
        if (!sysVar) {
            QStringList names;
            for (const auto &s : kCommonVariables)
                names << QLatin1StringView(s.name);
            for (const auto &s : own)
                names << QLatin1StringView(s.name);
            raise(E_NOT_FOUND, QStringLiteral("AddVariable: %1 %2 has no system variable '%3'; its system variables are %4")
                                   .arg(hostObject.className(), hostObject.displayName(), name, names.join(QLatin1String(", "))));
        }
        name = QLatin1StringView(sysVar->name);
        if (auto existing = variables.find(name))
            return existing;
    }
    auto v = std::make_shared<ZelVariable>(hostObject.context(), hostObject.scope(), name, hostObject.weak_from_this(), &host, sysVar,
                                           std::move(binding));
    variables.append(v);
    return v;
}

QStringList variableNames(const VariableHost &host, const ZelVariables &variables, const QString &option, const QStringList &offered)
{
    QStringList names;
    for (const auto &s : kCommonVariables)
        names << QLatin1StringView(s.name);
    for (const auto &s : host.hostVariables())
        names << QLatin1StringView(s.name);
    names << offered;
    for (const QString &n : variables.memberNames()) {
        if (!n.startsWith(QLatin1Char('@')) && !offered.contains(n, Qt::CaseInsensitive))
            names << n;
    }
    return filterNames(names, option, "VariableNames");
}

QStringList filterNames(const QStringList &names, const QString &option, const char *where)
{
    Options o(option, QLatin1StringView(where));
    std::optional<QString> filter = o.text("Filter");
    if (!filter || filter->isEmpty())
        return names;
    QRegularExpression re(QRegularExpression::wildcardToRegularExpression(*filter, QRegularExpression::UnanchoredWildcardConversion),
                          QRegularExpression::CaseInsensitiveOption);
    re.setPattern(QLatin1Char('^') + re.pattern() + QLatin1Char('$'));
    QStringList out;
    for (const QString &n : names) {
        if (re.match(n).hasMatch())
            out << n;
    }
    return out;
}

} // namespace detail

// ---- variable holders ------------------------------------------------------------------------

VariableHolder::VariableHolder(const std::shared_ptr<EngineContext> &ctx, ObjectKind kind, quint64 scope, QString name)
    : ControllerMember(ctx, kind, scope, std::move(name)), m_variables(std::make_shared<ZelVariables>(ctx, scope))
{
}

VariableHolder::~VariableHolder() = default;

std::shared_ptr<ZelVariable> VariableHolder::addVariable(const QString &name, const QString &option)
{
    guard("AddVariable");
    return detail::addVariable(*this, *this, *m_variables, name, option);
}

QStringList VariableHolder::variableNames(const QString &option) const
{
    guard("get_VariableNames");
    return detail::variableNames(*this, *m_variables, option);
}

} // namespace zel
