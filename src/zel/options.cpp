#include "options.h"

#include "dispatch.h"
#include "errors.h"

#include <cmath>

namespace zel::detail {

Options::Options(const QString &text, QString where) : m_where(std::move(where))
{
    // Split at commas outside double quotes.
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i <= n) {
        QString key;
        QString value;
        bool hasValue = false;
        bool quoted = false;
        QString current;
        for (; i < n; ++i) {
            QChar c = text[i];
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        current += c;
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else {
                    current += c;
                }
                continue;
            }
            if (c == QLatin1Char('"') && hasValue && current.trimmed().isEmpty()) {
                quoted = true;
                current.clear();
                continue;
            }
            if (c == QLatin1Char(',')) {
                break;
            }
            if (c == QLatin1Char('=') && !hasValue) {
                key = current.trimmed();
                current.clear();
                hasValue = true;
                continue;
            }
            current += c;
        }
        if (quoted)
            raise(E_BAD_OPTION, QStringLiteral("Option of %1: a quoted value lacks its closing quote in '%2'").arg(m_where, text));
        if (hasValue)
            value = current.trimmed();
        else
            key = current.trimmed();
        if (!key.isEmpty())
            m_pieces.append({key, hasValue ? value : QStringLiteral("true")});
        ++i; // past the comma
    }
}

const Options::Piece *Options::find(const char *key) const
{
    for (const Piece &p : m_pieces) {
        if (p.key.compare(QLatin1StringView(key), Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

void Options::bad(const Piece &p, const QString &expected) const
{
    raise(E_BAD_OPTION, QStringLiteral("Option %1 of %2: '%3' is not %4").arg(p.key, m_where, p.value, expected));
}

bool Options::has(const char *key) const { return find(key) != nullptr; }

std::optional<QString> Options::text(const char *key) const
{
    if (const Piece *p = find(key))
        return p->value;
    return std::nullopt;
}

QString Options::text(const char *key, const QString &fallback) const
{
    const Piece *p = find(key);
    return p ? p->value : fallback;
}

bool Options::boolean(const char *key, bool fallback) const
{
    const Piece *p = find(key);
    if (!p)
        return fallback;
    const QString &v = p->value;
    if (v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || v == QLatin1String("1"))
        return true;
    if (v.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || v == QLatin1String("0"))
        return false;
    bad(*p, QStringLiteral("true or false"));
}

qint32 Options::integer(const char *key, qint32 fallback, qint32 min, qint32 max) const
{
    const Piece *p = find(key);
    if (!p)
        return fallback;
    bool ok = false;
    qlonglong v = p->value.toLongLong(&ok);
    if (!ok || v < min || v > max)
        bad(*p, QStringLiteral("a whole number from %1 to %2").arg(min).arg(max));
    return static_cast<qint32>(v);
}

double Options::real(const char *key, double fallback, double min, double max) const
{
    const Piece *p = find(key);
    if (!p)
        return fallback;
    std::optional<double> v = parseNumber(p->value);
    if (!v || *v < min || *v > max)
        bad(*p, QStringLiteral("a number from %1 to %2").arg(numberText(min), numberText(max)));
    return *v;
}

quint32 Options::errorNumber(const char *key, quint32 fallback) const
{
    const Piece *p = find(key);
    if (!p)
        return fallback;
    std::optional<quint32> v = parseErrorNumber(p->value);
    if (!v)
        bad(*p, QStringLiteral("an error number (decimal or 0x followed by hexadecimal digits)"));
    return *v;
}

std::optional<quint32> parseErrorNumber(const QString &text)
{
    QString t = text.trimmed();
    bool ok = false;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        qulonglong v = t.mid(2).toULongLong(&ok, 16);
        if (ok && v <= 0xFFFFFFFFull)
            return static_cast<quint32>(v);
        return std::nullopt;
    }
    qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < qlonglong(INT32_MIN) || v > qlonglong(UINT32_MAX))
        return std::nullopt;
    return static_cast<quint32>(v);
}

std::optional<double> parseNumber(const QString &text)
{
    bool ok = false;
    double v = text.trimmed().toDouble(&ok); // QString::toDouble uses the C locale
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString numberText(double v)
{
    double r = std::round(v * 1000.0) / 1000.0;
    if (r == 0.0)
        r = 0.0; // no "-0"
    QString s = QString::number(r, 'f', 3);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

} // namespace zel::detail
