#include "value.h"

#include "converter.h"
#include "errors.h"

#include <cmath>

namespace zel {

namespace {
constexpr double kMsecsPerDay = 86400000.0;
}

Date Date::fromOleDate(double days)
{
    // Automation dates count whole days signed and the time of day as an unsigned fraction,
    // so -1.25 is 1899-12-29 06:00.
    double whole = std::trunc(days);
    double frac = std::fabs(days - whole);
    return Date{static_cast<qint64>(std::llround(whole * kMsecsPerDay + frac * kMsecsPerDay))};
}

double Date::toOleDate() const
{
    qint64 day = msecs >= 0 ? msecs / 86400000 : -((-msecs + 86399999) / 86400000); // floor
    qint64 rest = msecs - day * 86400000;                                             // time of day
    double frac = rest / kMsecsPerDay;
    return day >= 0 ? day + frac : day - frac;
}

Value Value::null()
{
    Value v;
    v.m_data = NullTag{};
    return v;
}

#define ZEL_VALUE_FACTORY(Name, Type)                                                                                  \
    Value Value::Name(Type x)                                                                                          \
    {                                                                                                                  \
        Value v;                                                                                                       \
        v.m_data = x;                                                                                                  \
        return v;                                                                                                      \
    }
ZEL_VALUE_FACTORY(fromBool, bool)
ZEL_VALUE_FACTORY(fromI1, qint8)
ZEL_VALUE_FACTORY(fromUI1, quint8)
ZEL_VALUE_FACTORY(fromI2, qint16)
ZEL_VALUE_FACTORY(fromUI2, quint16)
ZEL_VALUE_FACTORY(fromI4, qint32)
ZEL_VALUE_FACTORY(fromUI4, quint32)
ZEL_VALUE_FACTORY(fromR4, float)
ZEL_VALUE_FACTORY(fromR8, double)
ZEL_VALUE_FACTORY(fromCurrency, Currency)
ZEL_VALUE_FACTORY(fromDate, Date)
#undef ZEL_VALUE_FACTORY

Value Value::fromString(const QString &x)
{
    Value v;
    v.m_data = x;
    return v;
}

Value Value::fromObject(ObjectPtr x)
{
    Value v;
    v.m_data = std::move(x);
    return v;
}

Value Value::fromArray(Array x)
{
    if (x.elementType != VT_VARIANT) {
        for (const Value &item : x.items) {
            if (item.type() != x.elementType)
                throw ZelError(E_TYPE_MISMATCH, QStringLiteral("Type mismatch: an element of type %1 in an array of %2")
                                                    .arg(typeName(item.type()), typeName(x.elementType)));
        }
    }
    Value v;
    v.m_data = std::make_shared<const Array>(std::move(x));
    return v;
}

quint16 Value::type() const
{
    static constexpr quint16 types[] = {VT_EMPTY, VT_NULL, VT_BOOL, VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4,
                                        VT_UI4,   VT_R4,   VT_R8,   VT_CY, VT_DATE, VT_BSTR, VT_DISPATCH};
    if (const auto *a = std::get_if<std::shared_ptr<const Array>>(&m_data))
        return VT_ARRAY | (*a)->elementType;
    return types[m_data.index()];
}

bool Value::isInteger() const
{
    switch (type()) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
        return true;
    default:
        return false;
    }
}

bool Value::isNumeric() const
{
    quint16 t = type();
    return isInteger() || t == VT_R4 || t == VT_R8 || t == VT_CY;
}

bool Value::boolValue() const
{
    Q_ASSERT(std::holds_alternative<bool>(m_data));
    return std::get<bool>(m_data);
}

qint64 Value::integerValue() const
{
    return std::visit(
        [](const auto &x) -> qint64 {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>)
                return static_cast<qint64>(x);
            else {
                Q_ASSERT(false);
                return 0;
            }
        },
        m_data);
}

double Value::realValue() const
{
    if (const auto *f = std::get_if<float>(&m_data))
        return *f;
    Q_ASSERT(std::holds_alternative<double>(m_data));
    return std::get<double>(m_data);
}

Currency Value::currencyValue() const { return std::get<Currency>(m_data); }
Date Value::dateValue() const { return std::get<Date>(m_data); }
const QString &Value::stringValue() const { return std::get<QString>(m_data); }
ObjectPtr Value::objectValue() const { return std::get<ObjectPtr>(m_data); }
const Array &Value::arrayValue() const { return *std::get<std::shared_ptr<const Array>>(m_data); }

double Value::toDouble() const
{
    if (isInteger())
        return static_cast<double>(integerValue());
    switch (type()) {
    case VT_BOOL:
        return boolValue() ? -1.0 : 0.0;
    case VT_R4:
    case VT_R8:
        return realValue();
    case VT_CY:
        return currencyValue().scaled / 10000.0;
    case VT_EMPTY:
        return 0.0;
    case VT_BSTR:
        return valueFromText(VT_R8, stringValue()).realValue();
    default:
        throw ZelError(E_TYPE_MISMATCH, QStringLiteral("Type mismatch: a value of type %1 is not a number").arg(typeName(type())));
    }
}

qint32 Value::toInt32() const
{
    if (isInteger()) {
        qint64 i = integerValue();
        if (i < INT32_MIN || i > INT32_MAX)
            throw ZelError(E_OVERFLOW, QStringLiteral("Overflow: %1 does not fit a 32-bit integer").arg(i));
        return static_cast<qint32>(i);
    }
    double d = toDouble();
    double r = std::nearbyint(d); // the default rounding mode rounds halves to even
    if (!(r >= INT32_MIN && r <= INT32_MAX))
        throw ZelError(E_OVERFLOW, QStringLiteral("Overflow: %1 does not fit a 32-bit integer").arg(d));
    return static_cast<qint32>(r);
}

QString Value::toPlainText() const
{
    if (isEmpty())
        return QString();
    if (isString())
        return stringValue();
    if (isNull() || isArray() || isObject())
        throw ZelError(E_TYPE_MISMATCH,
                       QStringLiteral("Type mismatch: a value of type %1 has no plain text form").arg(typeName(type())));
    return valueText(*this);
}

bool operator==(const Value &a, const Value &b)
{
    if (a.m_data.index() != b.m_data.index())
        return false;
    if (a.isArray()) {
        const Array &x = a.arrayValue();
        const Array &y = b.arrayValue();
        return x.elementType == y.elementType && x.lowerBound == y.lowerBound && x.items == y.items;
    }
    // Reals compare by bit pattern class: NaN equals NaN so that values survive round trips.
    if (const auto *f = std::get_if<float>(&a.m_data)) {
        float g = std::get<float>(b.m_data);
        return (*f == g && std::signbit(*f) == std::signbit(g)) || (std::isnan(*f) && std::isnan(g));
    }
    if (const auto *d = std::get_if<double>(&a.m_data)) {
        double e = std::get<double>(b.m_data);
        return (*d == e && std::signbit(*d) == std::signbit(e)) || (std::isnan(*d) && std::isnan(e));
    }
    return a.m_data == b.m_data;
}

QString typeName(quint16 vt)
{
    QString prefix;
    if (vt & VT_ARRAY) {
        prefix = QStringLiteral("ARRAY | ");
        vt &= ~VT_ARRAY;
    }
    const char *name = "?";
    switch (vt) {
    case VT_EMPTY: name = "EMPTY"; break;
    case VT_NULL: name = "NULL"; break;
    case VT_I2: name = "I2"; break;
    case VT_I4: name = "I4"; break;
    case VT_R4: name = "R4"; break;
    case VT_R8: name = "R8"; break;
    case VT_CY: name = "CY"; break;
    case VT_DATE: name = "DATE"; break;
    case VT_BSTR: name = "BSTR"; break;
    case VT_DISPATCH: name = "DISPATCH"; break;
    case VT_BOOL: name = "BOOL"; break;
    case VT_VARIANT: name = "VARIANT"; break;
    case VT_I1: name = "I1"; break;
    case VT_UI1: name = "UI1"; break;
    case VT_UI2: name = "UI2"; break;
    case VT_UI4: name = "UI4"; break;
    }
    return prefix + QLatin1String(name);
}

} // namespace zel
