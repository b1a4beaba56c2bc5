#include "converter.h"

#include "errors.h"

#include <QDate>
#include <charconv>
#include <cmath>
#include <limits>

namespace zel {

namespace {

constexpr qint64 kMsecsPerDay = 86400000;

// Julian day of the automation date epoch, 1899-12-30.
qint64 epochJulianDay()
{
    static const qint64 jd = QDate(1899, 12, 30).toJulianDay();
    return jd;
}

[[noreturn]] void fail(Error number, const QString &text)
{
    throw ZelError(number, text);
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

[[noreturn]] void notA(const QString &text, quint16 type)
{
    fail(E_TYPE_MISMATCH, QStringLiteral("%1 is not a valid %2 value").arg(quoted(text), typeName(type)));
}

bool isScalarType(quint16 t)
{
    switch (t) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE:
    case VT_BSTR: case VT_BOOL: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4:
        return true;
    default:
        return false;
    }
}

bool isArrayElementType(quint16 t)
{
    return t == VT_VARIANT || (isScalarType(t) && t != VT_EMPTY && t != VT_NULL);
}

bool isKnownType(quint16 t)
{
    if (t & VT_ARRAY)
        return isArrayElementType(t & ~VT_ARRAY);
    return isScalarType(t);
}

// ---- scalars: value to text ---------------------------------------------------------------

template <typename Real>
QString realText(Real r)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, r); // shortest text that reads back exactly
    return QString::fromLatin1(buf, static_cast<int>(res.ptr - buf));
}

QString currencyText(Currency c)
{
    // Unsigned arithmetic so that the most negative value prints correctly.
    bool negative = c.scaled < 0;
    quint64 magnitude = negative ? quint64(0) - quint64(c.scaled) : quint64(c.scaled);
    QString frac = QString::number(magnitude % 10000).rightJustified(4, QLatin1Char('0'));
    return (negative ? QStringLiteral("-") : QString()) + QString::number(magnitude / 10000) + QLatin1Char('.') + frac;
}

QString dateText(Date d)
{
    qint64 day = d.msecs >= 0 ? d.msecs / kMsecsPerDay : -((-d.msecs + kMsecsPerDay - 1) / kMsecsPerDay);
    qint64 rest = d.msecs - day * kMsecsPerDay;
    QDate date = QDate::fromJulianDay(epochJulianDay() + day);
    int ms = int(rest % 1000);
    int secs = int(rest / 1000);
    QString text = QStringLiteral("%1/%2/%3 %4:%5:%6")
                       .arg(date.year(), 4, 10, QLatin1Char('0'))
                       .arg(date.month(), 2, 10, QLatin1Char('0'))
                       .arg(date.day(), 2, 10, QLatin1Char('0'))
                       .arg(secs / 3600, 2, 10, QLatin1Char('0'))
                       .arg(secs / 60 % 60, 2, 10, QLatin1Char('0'))
                       .arg(secs % 60, 2, 10, QLatin1Char('0'));
    if (ms)
        text += QStringLiteral(".%1").arg(ms, 3, 10, QLatin1Char('0'));
    return text;
}

// An element text needs quotes when it would not read back unquoted.
bool needsQuotes(const QString &s)
{
    if (s.isEmpty())
        return true;
    if (s.front().isSpace() || s.back().isSpace() || s.front() == QLatin1Char('['))
        return true;
    for (QChar c : s) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('(') || c == QLatin1Char(')'))
            return true;
    }
    return false;
}

QString quoteElement(const QString &s)
{
    QString out = s;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString arrayText(const Array &a);

QString elementText(const Value &v, bool typed)
{
    QString text;
    if (v.isArray())
        text = QLatin1Char('(') + arrayText(v.arrayValue()) + QLatin1Char(')');
    else
        text = valueText(v);
    if (v.isString() && needsQuotes(text))
        text = quoteElement(text);
    if (typed)
        return text;
    return QString::number(v.type()) + QLatin1Char(':') + text;
}

QString arrayText(const Array &a)
{
    QString out;
    if (a.lowerBound != 0)
        out = QStringLiteral("[%1]").arg(a.lowerBound);
    bool typed = a.elementType != VT_VARIANT;
    for (qsizetype i = 0; i < a.items.size(); ++i) {
        if (i)
            out += QLatin1Char(',');
        out += elementText(a.items[i], typed);
    }
    return out;
}

// ---- scalars: text to value ---------------------------------------------------------------

// Reads a whole decimal integer with an optional sign; blanks around it are allowed.
bool readInteger(const QString &text, qint64 &out, bool &overflow)
{
    QByteArray s = text.trimmed().toLatin1();
    overflow = false;
    if (s.isEmpty() || text.trimmed().size() != s.size())
        return false;
    const char *b = s.constData();
    const char *e = b + s.size();
    if (*b == '+')
        ++b;
    if (b == e || (*b == '+' || *b == '-' ? b + 1 == e : false))
        return false;
    auto res = std::from_chars(b, e, out);
    if (res.ec == std::errc::result_out_of_range) {
        overflow = true;
        return res.ptr == e;
    }
    return res.ec == std::errc() && res.ptr == e;
}

Value integerFromText(quint16 type, const QString &text)
{
    qint64 n = 0;
    bool overflow = false;
    if (!readInteger(text, n, overflow))
        notA(text, type);
    qint64 lo = 0, hi = 0;
    switch (type) {
    case VT_I1: lo = INT8_MIN; hi = INT8_MAX; break;
    case VT_UI1: lo = 0; hi = UINT8_MAX; break;
    case VT_I2: lo = INT16_MIN; hi = INT16_MAX; break;
    case VT_UI2: lo = 0; hi = UINT16_MAX; break;
    case VT_I4: lo = INT32_MIN; hi = INT32_MAX; break;
    case VT_UI4: lo = 0; hi = UINT32_MAX; break;
    }
    if (overflow || n < lo || n > hi)
        fail(E_OVERFLOW, QStringLiteral("%1 is out of range for %2 (%3 to %4)").arg(quoted(text.trimmed()), typeName(type)).arg(lo).arg(hi));
    switch (type) {
    case VT_I1: return Value::fromI1(qint8(n));
    case VT_UI1: return Value::fromUI1(quint8(n));
    case VT_I2: return Value::fromI2(qint16(n));
    case VT_UI2: return Value::fromUI2(quint16(n));
    case VT_I4: return Value::fromI4(qint32(n));
    default: return Value::fromUI4(quint32(n));
    }
}

template <typename Real>
Real realFromText(quint16 type, const QString &text)
{
    QString t = text.trimmed();
    QByteArray s = t.toLatin1();
    if (s.isEmpty() || t.size() != s.size())
        notA(text, type);
    const char *b = s.constData();
    const char *e = b + s.size();
    if (*b == '+' && b + 1 != e && b[1] != '-' && b[1] != '+')
        ++b;
    Real r{};
    auto res = std::from_chars(b, e, r);
    if (res.ptr != e || (res.ec != std::errc() && res.ec != std::errc::result_out_of_range))
        notA(text, type);
    if (res.ec == std::errc::result_out_of_range) {
        // Distinguish overflow from underflow: an underflowing text reads as zero.
        double d = 0;
        auto dres = std::from_chars(b, e, d);
        if (dres.ec == std::errc() && std::isfinite(d) && std::fabs(d) < 1.0)
            return Real(d);
        fail(E_OVERFLOW, QStringLiteral("%1 is out of range for %2").arg(quoted(t), typeName(type)));
    }
    return r;
}

Value currencyFromText(const QString &text)
{
    QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        negative = t[i++] == QLatin1Char('-');
    QString whole, frac;
    bool point = false;
    for (; i < t.size(); ++i) {
        QChar c = t[i];
        if (c == QLatin1Char('.') && !point)
            point = true;
        else if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            (point ? frac : whole) += c;
        else
            notA(text, VT_CY);
    }
    if (whole.isEmpty() && frac.isEmpty())
        notA(text, VT_CY);
    // Digits beyond the fourth decimal round half to even.
    QString kept = frac.left(4).leftJustified(4, QLatin1Char('0'));
    QString rest = frac.mid(4);
    bool roundUp = false;
    if (!rest.isEmpty()) {
        if (rest[0] > QLatin1Char('5'))
            roundUp = true;
        else if (rest[0] == QLatin1Char('5')) {
            bool beyond = false;
            for (int k = 1; k < rest.size(); ++k)
                beyond = beyond || rest[k] != QLatin1Char('0');
            roundUp = beyond || (kept.back().digitValue() % 2 == 1);
        }
    }
    QString digits = (whole.isEmpty() ? QStringLiteral("0") : whole) + kept;
    // Accumulate as a negative number so that the most negative currency fits.
    qint64 acc = 0;
    bool overflow = false;
    for (QChar c : digits) {
        int d = c.digitValue();
        if (acc < (std::numeric_limits<qint64>::min() + d) / 10) {
            overflow = true;
            break;
        }
        acc = acc * 10 - d;
    }
    if (!overflow && roundUp) {
        if (acc == std::numeric_limits<qint64>::min())
            overflow = true;
        else
            acc -= 1;
    }
    if (!overflow && !negative && acc == std::numeric_limits<qint64>::min())
        overflow = true;
    if (overflow)
        fail(E_OVERFLOW, QStringLiteral("%1 is out of range for CY").arg(quoted(t)));
    return Value::fromCurrency(Currency{negative ? acc : -acc});
}

Value dateFromText(const QString &text)
{
    QString t = text.trimmed();
    // Date part YYYY/MM/DD (or with '-'), time part hh:mm[:ss[.fff]]; either may stand alone.
    QString datePart, timePart;
    int blank = t.indexOf(QLatin1Char(' '));
    if (blank >= 0) {
        datePart = t.left(blank);
        timePart = t.mid(blank + 1).trimmed();
    } else if (t.contains(QLatin1Char(':'))) {
        timePart = t;
    } else {
        datePart = t;
    }
    if (t.isEmpty())
        notA(text, VT_DATE);
    qint64 day = 0;
    if (!datePart.isEmpty()) {
        QChar sep = datePart.contains(QLatin1Char('/')) ? QLatin1Char('/') : QLatin1Char('-');
        const QStringList p = datePart.split(sep);
        if (p.size() != 3)
            notA(text, VT_DATE);
        bool okY, okM, okD;
        int y = p[0].toInt(&okY), m = p[1].toInt(&okM), d = p[2].toInt(&okD);
        if (!okY || !okM || !okD || p[0].startsWith(QLatin1Char('-')) || p[0].startsWith(QLatin1Char('+')))
            notA(text, VT_DATE);
        QDate date(y, m, d);
        if (!date.isValid() || y < 1 || y > 9999)
            fail(E_OVERFLOW, QStringLiteral("%1 is not a date between 0001/01/01 and 9999/12/31").arg(quoted(t)));
        day = date.toJulianDay() - epochJulianDay();
    }
    qint64 ms = 0;
    if (!timePart.isEmpty()) {
        const QStringList p = timePart.split(QLatin1Char(':'));
        if (p.size() < 2 || p.size() > 3)
            notA(text, VT_DATE);
        bool okH, okMin, okS = true;
        int h = p[0].toInt(&okH), mi = p[1].toInt(&okMin);
        int s = 0, frac = 0;
        if (p.size() == 3) {
            QStringList sp = p[2].split(QLatin1Char('.'));
            if (sp.size() > 2)
                notA(text, VT_DATE);
            s = sp[0].toInt(&okS);
            if (sp.size() == 2) {
                bool okF;
                QString f = sp[1];
                if (f.isEmpty() || f.size() > 3)
                    notA(text, VT_DATE);
                frac = f.leftJustified(3, QLatin1Char('0')).toInt(&okF);
                okS = okS && okF;
            }
        }
        if (!okH || !okMin || !okS || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
            notA(text, VT_DATE);
        ms = ((h * 60 + mi) * 60 + s) * 1000LL + frac;
    }
    return Value::fromDate(Date{day * kMsecsPerDay + ms});
}

Value boolFromText(const QString &text)
{
    QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return Value::fromBool(true);
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return Value::fromBool(false);
    qint64 n = 0;
    bool overflow = false;
    if (readInteger(t, n, overflow) && !overflow)
        return Value::fromBool(n != 0);
    notA(text, VT_BOOL);
}

Value scalarFromText(quint16 type, const QString &text)
{
    switch (type) {
    case VT_EMPTY:
    case VT_NULL:
        if (!text.isEmpty())
            fail(E_VALUE_SYNTAX, QStringLiteral("%1 takes no text, but %2 was given").arg(typeName(type), quoted(text)));
        return type == VT_EMPTY ? Value() : Value::null();
    case VT_BOOL: return boolFromText(text);
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: return integerFromText(type, text);
    case VT_R4: return Value::fromR4(realFromText<float>(type, text));
    case VT_R8: return Value::fromR8(realFromText<double>(type, text));
    case VT_CY: return currencyFromText(text);
    case VT_DATE: return dateFromText(text);
    case VT_BSTR: return Value::fromString(text);
    }
    fail(E_UNKNOWN_TYPE, QStringLiteral("Variant type %1 cannot be made from text").arg(type));
}

// ---- arrays: recursive reader ---------------------------------------------------------------

class ArrayReader {
public:
    ArrayReader(const QString &text, quint16 arrayType) : m_text(text), m_type(arrayType) {}

    Value read()
    {
        Value v = readArray(quint16(m_type & ~VT_ARRAY), QChar());
        skipBlanks();
        if (m_pos != m_text.size())
            syntax(QStringLiteral("unexpected %1").arg(quoted(m_text.mid(m_pos, 1))));
        return v;
    }

private:
    [[noreturn]] void syntax(const QString &what)
    {
        fail(E_VALUE_SYNTAX, QStringLiteral("%1 in %2 at position %3 of %4")
                                 .arg(what, typeName(m_type))
                                 .arg(m_pos + 1)
                                 .arg(quoted(m_text)));
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char(' '))
            ++m_pos;
    }

    bool atEnd(QChar closer) const
    {
        return m_pos >= m_text.size() || (!closer.isNull() && m_text[m_pos] == closer);
    }

    // Reads elements until the end of the text or the closing parenthesis (not consumed).
    Value readArray(quint16 elementType, QChar closer)
    {
        if (++m_depth > MaxArrayDepth)
            syntax(QStringLiteral("arrays nested more than %1 levels deep").arg(MaxArrayDepth));
        struct Leave {
            int &depth;
            ~Leave() { --depth; }
        } leave{m_depth};
        Array a;
        a.elementType = VarType(elementType);
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('[')) {
            int close = m_text.indexOf(QLatin1Char(']'), m_pos);
            if (close < 0)
                syntax(QStringLiteral("missing ']' after the lower bound"));
            qint64 lb = 0;
            bool overflow = false;
            if (!readInteger(m_text.mid(m_pos + 1, close - m_pos - 1), lb, overflow) || overflow || lb < INT32_MIN
                || lb > INT32_MAX)
                syntax(QStringLiteral("bad lower bound"));
            a.lowerBound = qint32(lb);
            m_pos = close + 1;
        }
        skipBlanks();
        if (atEnd(closer))
            return Value::fromArray(std::move(a));
        for (;;) {
            a.items.append(readElement(elementType, closer, a.items.size() + 1));
            skipBlanks();
            if (atEnd(closer))
                break;
            if (m_text[m_pos] != QLatin1Char(','))
                syntax(QStringLiteral("expected ',' after element %1").arg(a.items.size()));
            ++m_pos;
        }
        if (qint64(a.lowerBound) + a.items.size() - 1 > INT32_MAX)
            fail(E_OVERFLOW, QStringLiteral("The upper bound of %1 is out of range").arg(quoted(m_text)));
        return Value::fromArray(std::move(a));
    }

    Value readElement(quint16 elementType, QChar closer, qsizetype index)
    {
        skipBlanks();
        quint16 type = elementType;
        if (elementType == VT_VARIANT) {
            int start = m_pos;
            while (m_pos < m_text.size() && m_text[m_pos].isDigit())
                ++m_pos;
            if (m_pos == start || m_pos >= m_text.size() || m_text[m_pos] != QLatin1Char(':'))
                syntax(QStringLiteral("element %1 lacks its type (write type:value, e.g. 3:42)").arg(index));
            bool ok = false;
            uint t = m_text.mid(start, m_pos - start).toUInt(&ok);
            if (!ok || t > 0xFFFF || !isKnownType(quint16(t)))
                fail(E_UNKNOWN_TYPE, QStringLiteral("Unknown variant type %1 in element %2 of %3")
                                         .arg(m_text.mid(start, m_pos - start))
                                         .arg(index)
                                         .arg(quoted(m_text)));
            type = quint16(t);
            ++m_pos;
            skipBlanks();
            if (type & VT_ARRAY) {
                if (m_pos >= m_text.size() || m_text[m_pos] != QLatin1Char('('))
                    syntax(QStringLiteral("element %1 is an array and must be written in parentheses").arg(index));
                ++m_pos;
                Value inner = readArray(quint16(type & ~VT_ARRAY), QLatin1Char(')'));
                if (m_pos >= m_text.size())
                    syntax(QStringLiteral("missing ')'"));
                ++m_pos;
                return inner;
            }
        }
        QString text;
        if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('"')) {
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size())
                    syntax(QStringLiteral("missing closing quote in element %1").arg(index));
                QChar c = m_text[m_pos++];
                if (c == QLatin1Char('"')) {
                    if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('"')) {
                        text += c;
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                text += c;
            }
        } else {
            int start = m_pos;
            while (m_pos < m_text.size() && m_text[m_pos] != QLatin1Char(',') && m_text[m_pos] != QLatin1Char('"')
                   && !(!closer.isNull() && m_text[m_pos] == closer))
                ++m_pos;
            if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('"'))
                syntax(QStringLiteral("a quote inside element %1 (quote the whole element and double inner quotes)").arg(index));
            text = m_text.mid(start, m_pos - start).trimmed();
        }
        try {
            return scalarFromText(type, text);
        } catch (const ZelError &e) {
            throw ZelError(e.unsignedNumber(), QStringLiteral("Element %1 of %2: %3").arg(index).arg(quoted(m_text), e.description()));
        }
    }

    const QString &m_text;
    quint16 m_type;
    int m_pos = 0;
    int m_depth = 0; // arrays being read
};

} // namespace

QString valueText(const Value &value)
{
    switch (value.type()) {
    case VT_EMPTY:
    case VT_NULL:
        return QString();
    case VT_BOOL:
        return value.boolValue() ? QStringLiteral("True") : QStringLiteral("False");
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
        return QString::number(value.integerValue());
    case VT_R4:
        return realText(float(value.realValue()));
    case VT_R8:
        return realText(value.realValue());
    case VT_CY:
        return currencyText(value.currencyValue());
    case VT_DATE:
        return dateText(value.dateValue());
    case VT_BSTR:
        return value.stringValue();
    case VT_DISPATCH:
        fail(E_TYPE_MISMATCH, QStringLiteral("An object reference has no text form"));
    }
    if (value.isArray())
        return arrayText(value.arrayValue());
    fail(E_UNKNOWN_TYPE, QStringLiteral("Variant type %1 has no text form").arg(value.type()));
}

Value valueFromText(quint16 type, const QString &text)
{
    if (!isKnownType(type))
        fail(E_UNKNOWN_TYPE, QStringLiteral("Unknown variant type %1").arg(type));
    if (type & VT_ARRAY)
        return ArrayReader(text, type).read();
    return scalarFromText(type, text);
}

QString BstrFromVariant(const Value &value, int /*option*/)
{
    return QString::number(value.type()) + QLatin1Char(',') + valueText(value);
}

Value VariantFromBstr(const QString &text)
{
    int comma = text.indexOf(QLatin1Char(','));
    QString head = (comma < 0 ? text : text.left(comma)).trimmed();
    bool ok = false;
    uint type = head.toUInt(&ok);
    if (!ok || head.startsWith(QLatin1Char('+')))
        fail(E_VALUE_SYNTAX, QStringLiteral("%1 does not begin with a variant type number and a comma").arg(quoted(text)));
    if (type > 0xFFFF || !isKnownType(quint16(type)))
        fail(E_UNKNOWN_TYPE, QStringLiteral("Unknown variant type %1 in %2").arg(head, quoted(text)));
    return valueFromText(quint16(type), comma < 0 ? QString() : text.mid(comma + 1));
}

} // namespace zel
