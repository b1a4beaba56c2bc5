#include "dispatch.h"

#include "options.h"

namespace zel::detail {

void raise(quint32 number, const QString &description)
{
    throw ZelError(number, description);
}

quint32 foldedHash(QStringView name)
{
    quint32 h = 2166136261u;
    for (QChar c : name) {
        char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            u = char16_t(u + 32);
        h = (h ^ u) * 16777619u;
    }
    return h;
}

void unknownMember(const QString &className, const QString &member)
{
    if (member.isEmpty())
        raise(E_UNKNOWN_MEMBER, QStringLiteral("%1 has no default member").arg(className));
    raise(E_UNKNOWN_MEMBER, QStringLiteral("%1 has no property or method '%2'").arg(className, member));
}

void wrongArgCount(const QString &className, const char *member, bool method, qsizetype given, int min, int max)
{
    QString name = QLatin1StringView(member).isEmpty() ? QStringLiteral("Item") : QString::fromLatin1(member);
    QString expected;
    if (min == max)
        expected = min == 0 ? QStringLiteral("no arguments") : min == 1 ? QStringLiteral("1 argument") : QStringLiteral("%1 arguments").arg(min);
    else
        expected = QStringLiteral("%1 to %2 arguments").arg(min).arg(max);
    raise(E_ARG_COUNT, QStringLiteral("%1 %2 of %3 takes %4; %5 given")
                           .arg(method ? QStringLiteral("Method") : QStringLiteral("Property"), name, className, expected)
                           .arg(given));
}

void notWritable(const QString &className, const char *member, bool method)
{
    if (method)
        raise(E_UNKNOWN_MEMBER, QStringLiteral("%1 of %2 is a method and cannot be assigned").arg(QLatin1StringView(member), className));
    raise(E_READ_ONLY, QStringLiteral("Property %1 of %2 is read-only").arg(QLatin1StringView(member), className));
}

void internalError(const QString &className, const QString &member, const char *what)
{
    raise(E_UNEXPECTED, QStringLiteral("%1.%2 failed unexpectedly: %3").arg(className, member, QString::fromLocal8Bit(what)));
}

const Value &arg(const Args &args, int i)
{
    static const Value empty;
    return i < args.size() ? args[i] : empty;
}

namespace {
[[noreturn]] void rethrow(const ZelError &e, int i, const char *what, const char *op)
{
    raise(e.unsignedNumber(), QStringLiteral("Argument %1 (%2) of %3: %4").arg(i + 1).arg(QLatin1StringView(what), QLatin1StringView(op), e.description()));
}
} // namespace

namespace {
// An argument converted by convert; a conversion error names the argument and the operation.
template <class Convert>
auto convertedArg(const Args &args, int i, const char *what, const char *op, Convert convert)
{
    try {
        return convert(arg(args, i));
    } catch (const ZelError &e) {
        rethrow(e, i, what, op);
    }
}
} // namespace

qint32 argInt(const Args &args, int i, const char *what, const char *op)
{
    return convertedArg(args, i, what, op, [](const Value &v) { return v.toInt32(); });
}

double argReal(const Args &args, int i, const char *what, const char *op)
{
    return convertedArg(args, i, what, op, [](const Value &v) { return v.toDouble(); });
}

QString argText(const Args &args, int i, const char *what, const char *op)
{
    return convertedArg(args, i, what, op, [](const Value &v) { return v.toPlainText(); });
}

bool argBool(const Args &args, int i, const char *what, const char *op)
{
    const Value &v = arg(args, i);
    if (v.type() == VT_BOOL)
        return v.boolValue();
    if (v.isString()) {
        const QString t = v.stringValue().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return argReal(args, i, what, op) != 0.0;
}

Value textArray(const QStringList &texts)
{
    Array a;
    a.elementType = VT_BSTR;
    a.items.reserve(texts.size());
    for (const QString &t : texts)
        a.items.append(Value::fromString(t));
    return Value::fromArray(std::move(a));
}

Value nothing()
{
    return Value::fromObject(nullptr);
}

void failOnRequest(const Value &parameter, const QString &where)
{
    quint32 number = E_INJECTED;
    QString description = QStringLiteral("%1 failed on request (Execute \"Fail\")").arg(where);
    if (parameter.isNumeric()) {
        double d = parameter.toDouble();
        if (d < double(INT32_MIN) || d > double(UINT32_MAX))
            raise(E_OUT_OF_RANGE, QStringLiteral("Fail: %1 is not an error number").arg(numberText(d)));
        number = d < 0 ? quint32(qint32(d)) : quint32(d);
    } else if (parameter.isString()) {
        const QString &t = parameter.stringValue();
        if (t.contains(QLatin1Char('='))) {
            Options o(t, QStringLiteral("Fail"));
            number = o.errorNumber("Number", number);
            description = o.text("Description", description);
        } else if (std::optional<quint32> n = parseErrorNumber(t)) {
            number = *n;
        } else if (!t.trimmed().isEmpty()) {
            description = t;
        }
    } else if (!parameter.isEmpty()) {
        raise(E_TYPE_MISMATCH, QStringLiteral("Fail takes an error number or a text; got %1").arg(typeName(parameter.type())));
    }
    raise(number, description);
}

} // namespace zel::detail
