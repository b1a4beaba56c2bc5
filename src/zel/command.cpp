#include "context.h"
#include "dispatch.h"
#include "members.h"
#include "options.h"
#include "provider.h"

namespace zel {

using namespace detail;

namespace {
constexpr qint32 kMaxMillis = 3600000;

bool named(const QString &name, const char *behaviour)
{
    return name.compare(QLatin1StringView(behaviour), Qt::CaseInsensitive) == 0;
}

QString stateWord(qint32 s)
{
    switch (s) {
    case ZelCommand::Idle: return QStringLiteral("idle");
    case ZelCommand::Executing: return QStringLiteral("executing");
    case ZelCommand::Completed: return QStringLiteral("completed");
    case ZelCommand::Failed: return QStringLiteral("failed");
    case ZelCommand::TimedOut: return QStringLiteral("timed out");
    case ZelCommand::Cancelled: return QStringLiteral("cancelled");
    }
    return QString();
}
} // namespace

ZelCommand::ZelCommand(std::shared_ptr<EngineContext> ctx, quint64 scope, QString name, const QString &option,
                       std::shared_ptr<CommandBinding> binding)
    : ControllerMember(std::move(ctx), ObjectKind::Command, scope, std::move(name)), m_binding(std::move(binding))
{
    Options o(option, QStringLiteral("AddCommand"));
    // A device command takes as long as the device does: an asynchronous one runs on the next
    // turn of the event loop.
    m_duration = o.integer("Duration", m_binding ? 0 : 100, 0, kMaxMillis);
    m_timeout = o.integer("Timeout", 10000, 0, kMaxMillis);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ZelCommand::complete);
}

ZelCommand::~ZelCommand() = default;

void ZelCommand::setTimeout(qint32 milliseconds)
{
    guard("put_Timeout");
    if (milliseconds < 0 || milliseconds > kMaxMillis)
        raise(E_OUT_OF_RANGE, QStringLiteral("put_Timeout: %1 ms is out of range; the timeout is 0 (no limit) to %2 ms").arg(milliseconds).arg(kMaxMillis));
    m_timeout = milliseconds;
}

void ZelCommand::setParameters(const Value &value)
{
    guard("put_Parameters");
    m_parameters = value;
}

qint32 ZelCommand::durationFor(const Value &parameters) const
{
    if (m_binding || !named(displayName(), "Delay"))
        return m_duration;
    qint32 ms = 0;
    try {
        ms = parameters.toInt32();
    } catch (const ZelError &e) {
        raise(e.unsignedNumber(), QStringLiteral("Execute: command %1 takes its delay in ms as Parameters: %2").arg(displayName(), e.description()));
    }
    if (ms < 0 || ms > kMaxMillis)
        raise(E_OUT_OF_RANGE, QStringLiteral("Execute: a delay of %1 ms is out of range (0 to %2 ms)").arg(ms).arg(kMaxMillis));
    return ms;
}

Value ZelCommand::compute(const Value &p, qint32 mode) const
{
    const QString name = displayName();
    Value r;
    if (m_binding) {
        r = m_binding->run(p, m_timeout);
        if (mode & 2) {
            try {
                r = Value::fromString(m_binding->resultText(r));
            } catch (const ZelError &e) {
                raise(e.unsignedNumber(), QStringLiteral("Execute: the result has no text form for mode %1: %2").arg(mode).arg(e.description()));
            }
        }
        return r;
    }
    if (named(name, "Sum")) {
        double sum = 0;
        if (p.isArray()) {
            const Array &a = p.arrayValue();
            for (int i = 0; i < a.items.size(); ++i) {
                if (!a.items[i].isNumeric())
                    raise(E_TYPE_MISMATCH, QStringLiteral("Sum: element %1 of the parameters is %2, not a number").arg(i + a.lowerBound).arg(typeName(a.items[i].type())));
                sum += a.items[i].toDouble();
            }
        } else {
            try {
                sum = p.toDouble();
            } catch (const ZelError &e) {
                raise(e.unsignedNumber(), QStringLiteral("Sum: the parameters are a number or an array of numbers: %1").arg(e.description()));
            }
        }
        r = Value::fromR8(sum);
    } else if (named(name, "Upper")) {
        try {
            r = Value::fromString(p.toPlainText().toUpper());
        } catch (const ZelError &e) {
            raise(e.unsignedNumber(), QStringLiteral("Upper: the parameters are a text: %1").arg(e.description()));
        }
    } else if (named(name, "Delay")) {
        r = Value::fromI4(m_runDuration);
    } else if (named(name, "Fail")) {
        failOnRequest(p, QStringLiteral("Command ") + name);
    } else if (named(name, "Now")) {
        r = Value::fromDate(currentDate());
    } else {
        r = p; // Echo and every other name
    }
    if (mode & 2) {
        try {
            r = Value::fromString(r.toPlainText());
        } catch (const ZelError &e) {
            raise(e.unsignedNumber(), QStringLiteral("Execute: the result has no text form for mode %1: %2").arg(mode).arg(e.description()));
        }
    }
    return r;
}

void ZelCommand::execute(qint32 mode)
{
    guard("Execute");
    if (mode < 0 || mode > 3)
        raise(E_BAD_MODE, QStringLiteral("Execute: mode %1 does not exist; the modes are 0 (synchronous), 1 (asynchronous), "
                                         "2 (synchronous, text result) and 3 (asynchronous, text result)")
                              .arg(mode));
    if (m_state == Executing)
        raise(E_COMMAND_BUSY, QStringLiteral("Execute: command %1 is already executing; Cancel it or wait for ExecuteComplete").arg(displayName()));
    const qint32 duration = durationFor(m_parameters);
    m_runParameters = m_parameters;
    m_runDuration = duration;
    m_mode = mode;
    m_result = Value();
    if (mode & 1) {
        m_state = Executing;
        m_timer.start(m_timeout > 0 ? std::min(duration, m_timeout) : duration);
        return;
    }
    if (m_timeout > 0 && duration > m_timeout) {
        m_state = TimedOut;
        raise(E_TIMEOUT, QStringLiteral("Execute: command %1 takes %2 ms, longer than its Timeout of %3 ms").arg(displayName()).arg(duration).arg(m_timeout));
    }
    if (std::exception_ptr failed = computeResult(mode))
        std::rethrow_exception(failed);
}

std::exception_ptr ZelCommand::computeResult(qint32 mode)
{
    try {
        m_result = compute(m_runParameters, mode);
        m_state = Completed;
    } catch (const ZelError &e) {
        m_state = e.unsignedNumber() == E_DEVICE_TIMEOUT ? TimedOut : Failed;
        m_result = Value::fromString(e.description());
        return std::current_exception();
    }
    return nullptr;
}

void ZelCommand::complete()
{
    auto keep = shared_from_this(); // a handler of ExecuteComplete may drop the last reference
    if (m_timeout > 0 && m_runDuration > m_timeout) {
        m_state = TimedOut;
        m_result = Value::fromString(QStringLiteral("Command %1 timed out after %2 ms").arg(displayName()).arg(m_timeout));
    } else {
        computeResult(m_mode); // a failure is the command's state and result
    }
    if (CollectionBase *c = collection()) {
        auto keepCollection = c->shared_from_this();
        static_cast<ZelCommands *>(c)->notifyComplete(indexInCollection());
    }
}

void ZelCommand::cancel()
{
    guard("Cancel");
    if (m_state != Executing)
        raise(E_COMMAND_IDLE, QStringLiteral("Cancel: command %1 is not executing (it is %2)").arg(displayName(), stateWord(m_state)));
    m_timer.stop();
    m_state = Cancelled;
    m_result = Value();
}

qint32 ZelCommand::attributeValue() const
{
    return m_state == Executing ? 1 : 0;
}

QString ZelCommand::helpText() const
{
    if (m_binding)
        return QStringLiteral("Command %1: %2; State 0 idle, 1 executing, 2 completed, 3 failed, 4 timed out, 5 cancelled")
            .arg(displayName(), m_binding->help());
    return QStringLiteral("Command %1: Execute(mode) runs it on its Parameters (modes 0 and 2 at once, 1 and 3 in the "
                          "background); State 0 idle, 1 executing, 2 completed, 3 failed, 4 timed out, 5 cancelled")
        .arg(displayName());
}

Value ZelCommand::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using C = ZelCommand;
    static const DispatchTable<C> table{
        sharedMembers<C>(),
        {
            prop<C>("Timeout", [](C &c, const Args &) { return Value::fromI4(c.timeout()); },
                    [](C &c, const Args &a, const Value &) { c.setTimeout(argInt(a, int(a.size()) - 1, "value", "put_Timeout")); }),
            prop<C>("State", [](C &c, const Args &) { return Value::fromI4(c.state()); }),
            prop<C>("Parameters", [](C &c, const Args &) { return c.parameters(); },
                    [](C &c, const Args &, const Value &v) { c.setParameters(v); }),
            prop<C>("Result", [](C &c, const Args &) { return c.result(); }),
            method<C>("Execute", [](C &c, const Args &a) { c.execute(argInt(a, 0, "mode", "Execute")); return Value(); }, 0, 1),
            method<C>("Cancel", [](C &c, const Args &) { c.cancel(); return Value(); }, 0, 0),
        },
    };
    return table.invoke(*this, member, kind, args);
}

ZelCommands::ZelCommands(std::shared_ptr<EngineContext> ctx, quint64 scope)
    : Collection<ZelCommand>(std::move(ctx), ObjectKind::Commands, scope)
{
}

} // namespace zel
