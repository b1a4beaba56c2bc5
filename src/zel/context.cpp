#include "context.h"

#include "dispatch.h"
#include "options.h"

#include <QDateTime>

namespace zel {

namespace {
constexpr qint64 kMsecsPerDay = 86400000;
constexpr qint64 kUnixEpochOleDays = 25569; // 1970-01-01 counted from 1899-12-30

bool matches(const QString &pattern, const QString &text)
{
    return pattern == QLatin1String("*") || pattern.compare(text, Qt::CaseInsensitive) == 0;
}

// "Value" matches "get_Value" and "put_Value"; "*" matches everything.
bool operationMatches(const QString &pattern, QLatin1StringView op)
{
    if (pattern == QLatin1String("*") || QLatin1StringView(op).compare(pattern, Qt::CaseInsensitive) == 0)
        return true;
    if (op.size() > 4 && (op.startsWith(QLatin1String("get_")) || op.startsWith(QLatin1String("put_"))))
        return op.sliced(4).compare(pattern, Qt::CaseInsensitive) == 0;
    return false;
}
} // namespace

qint64 nowMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

Date dateFromUnixMs(qint64 unixMs)
{
    const int offset = QDateTime::fromMSecsSinceEpoch(unixMs).offsetFromUtc();
    return Date{unixMs + qint64(offset) * 1000 + kUnixEpochOleDays * kMsecsPerDay};
}

EngineContext::EngineContext() : startUnixMs(nowMicros() / 1000) {}

void EngineContext::addFault(const FaultRule &fault)
{
    faults.append(fault);
    armedFaults = int(faults.size());
}

int EngineContext::clearFaults(quint64 scope)
{
    int removed = int(faults.removeIf([scope](const FaultRule &f) { return scope == 0 || f.scope == scope; }));
    armedFaults = int(faults.size());
    return removed;
}

QStringList EngineContext::faultTexts(quint64 scope) const
{
    QStringList out;
    for (const FaultRule &f : faults) {
        if (scope != 0 && f.scope != scope)
            continue;
        out << QStringLiteral("Object=%1,Operation=%2,Count=%3,Number=0x%4")
                   .arg(f.object, f.operation)
                   .arg(f.remaining)
                   .arg(QString::number(f.number, 16).toUpper().rightJustified(8, QLatin1Char('0')));
    }
    return out;
}

FaultRule parseFault(const Value &parameter, quint64 scope, const QString &where)
{
    if (!parameter.isString())
        detail::raise(E_TYPE_MISMATCH, QStringLiteral("%1 takes a text such as \"Object=V1,Operation=put_Value,Count=1\"; got %2")
                                           .arg(where, typeName(parameter.type())));
    detail::Options o(parameter.stringValue(), where);
    FaultRule f;
    f.scope = scope;
    f.object = o.text("Object", QStringLiteral("*"));
    if (f.object.isEmpty())
        f.object = QStringLiteral("*");
    std::optional<QString> op = o.text("Operation");
    if (!op || op->isEmpty())
        detail::raise(E_BAD_OPTION, QStringLiteral("%1: name the operation to fail, e.g. Operation=get_Value (or * for all)").arg(where));
    f.operation = *op;
    f.remaining = o.integer("Count", 1, -1, 1000000);
    if (f.remaining == 0)
        detail::raise(E_BAD_OPTION, QStringLiteral("%1: Count is 1 to 1000000, or -1 for every call until ClearFaults").arg(where));
    f.number = o.errorNumber("Number", E_INJECTED);
    f.description = o.text("Description", QString());
    return f;
}

void EngineContext::checkFault(const EngineObject &object, const char *operation)
{
    const QLatin1StringView op(operation);
    for (qsizetype i = 0; i < faults.size(); ++i) {
        FaultRule &f = faults[i];
        if (f.scope != 0 && f.scope != object.scope())
            continue;
        if (!operationMatches(f.operation, op))
            continue;
        if (!matches(f.object, object.displayName()) && !matches(f.object, object.className()))
            continue;
        const quint32 number = f.number;
        QString description = f.description.isEmpty()
                                  ? QStringLiteral("Injected fault in %1 of %2 %3").arg(op, object.className(), object.displayName())
                                  : f.description;
        if (f.remaining > 0 && --f.remaining == 0) {
            faults.removeAt(i);
            armedFaults = int(faults.size());
        }
        throw ZelError(number, description);
    }
}

} // namespace zel
