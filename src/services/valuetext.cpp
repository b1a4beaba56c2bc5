#include "valuetext.h"

#include "zel/converter.h"

#include <cmath>

using namespace zel;

namespace valuetext {

namespace {

// The selector's entries in order: the engine's type names, and "(Unkown)" last.
constexpr int kTypes[kTypeCount] = {
    VT_EMPTY,
    VT_NULL,
    VT_BOOL,
    VT_UI1,
    VT_I2,
    VT_I4,
    VT_R4,
    VT_R8,
    VT_CY,
    VT_DATE,
    VT_BSTR,
    VT_ARRAY | VT_BOOL,
    VT_ARRAY | VT_UI1,
    VT_ARRAY | VT_I2,
    VT_ARRAY | VT_I4,
    VT_ARRAY | VT_R4,
    VT_ARRAY | VT_R8,
    VT_ARRAY | VT_CY,
    VT_ARRAY | VT_DATE,
    VT_ARRAY | VT_BSTR,
    VT_ARRAY | VT_VARIANT,
    -1,
};

QString entryText(int type)
{
    return type < 0 ? QStringLiteral("(Unkown)") : typeName(quint16(type));
}

const char *displayTypeName(int type)
{
    switch (type) {
    case VT_EMPTY: return "EMPTY)";
    case VT_NULL: return "NULL)";
    case VT_BOOL: return "BOOL)";
    case VT_I1:
    case VT_UI1: return "UI1)";
    case VT_I2: return "I2)";
    case VT_UI2: return "UI2)";
    case VT_I4: return "I4)";
    case VT_UI4: return "UI4)";
    case VT_R4: return "R4)";
    case VT_R8: return "R8)";
    case VT_CY: return "CY)";
    case VT_DATE: return "DATE)";
    case VT_BSTR: return "BSTR)";
    case VT_VARIANT: return "VARIANT)";
    default: return "?)";
    }
}

} // namespace

QString positionText(int position)
{
    return position >= 0 && position < kTypeCount ? entryText(kTypes[position]) : QString();
}

int positionToType(int position)
{
    return position >= 0 && position < kTypeCount ? kTypes[position] : -1;
}

int typeToPosition(int type)
{
    for (int i = 0; i < kPosUnknown; ++i) {
        if (kTypes[i] == type)
            return i;
    }
    return kPosUnknown;
}

Value textToValue(const QString &text, int position, const std::function<void(const QString &)> &logLine)
{
    int type = positionToType(position);
    if (type < 0) {
        if (logLine)
            logLine(QStringLiteral("Unknown Type"));
        return Value();
    }
    if (type == VT_EMPTY || type == VT_NULL)
        return VariantFromBstr(QString::number(type));
    return VariantFromBstr(QString::number(type) + QLatin1Char(',') + text);
}

QString typeAndText(const Value &value)
{
    if (value.isObject())
        return QStringLiteral("9,...");
    if (value.isEmpty() || value.isNull())
        return QString::number(value.type()) + QLatin1Char(',');
    if (!value.isArray())
        return BstrFromVariant(value, 0);
    const Array &a = value.arrayValue();
    bool small = a.items.size() <= 8;
    for (const Value &item : a.items)
        small = small && !item.isArray();
    return small ? BstrFromVariant(value, 0) : QString::number(value.type()) + QStringLiteral(",...");
}

QString displayText(const Value &value)
{
    if (value.isEmpty())
        return QStringLiteral("(EMPTY)");
    if (value.isNull())
        return QStringLiteral("(NULL)");
    QString basis = typeAndText(value);
    int comma = basis.indexOf(QLatin1Char(','));
    QString text = comma < 0 ? basis : basis.mid(comma + 1);
    int type = value.type();
    if (type & VT_ARRAY)
        return text + QStringLiteral(" (ARRAY | ") + QLatin1String(displayTypeName(type & ~VT_ARRAY));
    return text + QStringLiteral(" (") + QLatin1String(displayTypeName(type));
}

bool isNumericText(const QString &text, double *value)
{
    QString t = text.trimmed();
    bool digit = false;
    for (QChar c : t)
        digit = digit || c.isDigit();
    if (!digit)
        return false;
    // Sign, digits with at most one decimal point, an optional exponent.
    int i = 0, n = t.size();
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    int mantissa = 0;
    bool point = false;
    for (; i < n; ++i) {
        if (t[i].isDigit())
            ++mantissa;
        else if (t[i] == QLatin1Char('.') && !point)
            point = true;
        else
            break;
    }
    if (!mantissa)
        return false;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            ++i;
        int exp = 0;
        for (; i < n && t[i].isDigit(); ++i)
            ++exp;
        if (!exp)
            return false;
    }
    if (i != n)
        return false;
    bool ok = false;
    double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    if (value)
        *value = d;
    return true;
}

bool normaliseIntegerText(QString &text)
{
    double d = 0;
    if (!isNumericText(text, &d))
        return false;
    double r = std::nearbyint(d);
    if (r < INT32_MIN || r > INT32_MAX)
        return false;
    text = QString::number(qint32(r));
    return true;
}

} // namespace valuetext
