#include "codec.h"

#include "zel/errors.h"

#include <cmath>
#include <cstring>
#include <limits>

using namespace zel;

namespace zelmodbus {

namespace {
struct TableInfo {
    Table table;
    const char *name;
    const char *title;
};
const TableInfo kTables[] = {
    {Table::Coil, "coil", "coil"},
    {Table::Discrete, "discrete", "discrete input"},
    {Table::Input, "input", "input register"},
    {Table::Holding, "holding", "holding register"},
};

const quint16 kScalarTypes[] = {VT_BOOL, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_R4, VT_R8, VT_BSTR};

// Registers of one element.
int elementWords(quint16 element, int count)
{
    switch (element) {
    case VT_I4:
    case VT_UI4:
    case VT_R4: return 2;
    case VT_R8: return 4;
    case VT_BSTR: return count;
    default: return 1;
    }
}

[[noreturn]] void fail(quint32 number, const QString &text)
{
    throw ZelError(number, text);
}

quint64 wordsToBits(const QList<quint16> &w, int at, int n, WordOrder order)
{
    quint64 v = 0;
    for (int i = 0; i < n; ++i) {
        const quint16 word = w[at + (order == WordOrder::Big ? i : n - 1 - i)];
        v = (v << 16) | word;
    }
    return v;
}

void bitsToWords(quint64 v, int n, WordOrder order, QList<quint16> &out)
{
    QList<quint16> words(n);
    for (int i = n - 1; i >= 0; --i) {
        words[order == WordOrder::Big ? i : n - 1 - i] = quint16(v & 0xFFFF);
        v >>= 16;
    }
    out << words;
}

Value decodeElement(const Place &p, quint16 element, const QList<quint16> &w, int at)
{
    switch (element) {
    case VT_BOOL: return Value::fromBool(w[at] != 0);
    case VT_I2: return Value::fromI2(qint16(w[at]));
    case VT_UI2: return Value::fromUI2(w[at]);
    case VT_I4: return Value::fromI4(qint32(quint32(wordsToBits(w, at, 2, p.order))));
    case VT_UI4: return Value::fromUI4(quint32(wordsToBits(w, at, 2, p.order)));
    case VT_R4: {
        const quint32 bits = quint32(wordsToBits(w, at, 2, p.order));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return Value::fromR4(f);
    }
    case VT_R8: {
        const quint64 bits = wordsToBits(w, at, 4, p.order);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return Value::fromR8(d);
    }
    case VT_BSTR: {
        QByteArray bytes;
        for (int i = 0; i < p.count; ++i)
            bytes.append(char(w[at + i] >> 8)).append(char(w[at + i] & 0xFF));
        const qsizetype end = bytes.indexOf('\0');
        return Value::fromString(QString::fromUtf8(end < 0 ? bytes : bytes.left(end)));
    }
    }
    return Value();
}

double wholeNumber(const Value &v, double min, double max, const QString &where, quint16 element)
{
    double d = 0;
    try {
        d = v.toDouble();
    } catch (const ZelError &e) {
        fail(e.unsignedNumber(), QStringLiteral("%1: %2 needs a number: %3").arg(where, typeName(element), e.description()));
    }
    if (d != std::floor(d) || !std::isfinite(d))
        fail(E_TYPE_MISMATCH, QStringLiteral("%1: %2 is not a whole number; %3 holds whole numbers").arg(where, QString::number(d), typeName(element)));
    if (d < min || d > max)
        fail(E_OVERFLOW, QStringLiteral("%1: %2 does not fit %3 (%4 to %5)")
                             .arg(where, QString::number(d, 'f', 0), typeName(element), QString::number(min, 'f', 0), QString::number(max, 'f', 0)));
    return d;
}

bool boolean(const Value &v, const QString &where)
{
    if (v.type() == VT_BOOL)
        return v.boolValue();
    if (v.isString()) {
        const QString t = v.stringValue().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1"))
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
            return false;
        fail(E_TYPE_MISMATCH, QStringLiteral("%1: '%2' is not a BOOL (true, false, 1 or 0)").arg(where, t));
    }
    return wholeNumber(v, 0, 1, where, VT_BOOL) != 0;
}

void encodeElement(const Place &p, quint16 element, const Value &v, const QString &where, QList<quint16> &out)
{
    switch (element) {
    case VT_BOOL: out << quint16(boolean(v, where) ? 1 : 0); return;
    case VT_I2: out << quint16(qint16(wholeNumber(v, -32768, 32767, where, element))); return;
    case VT_UI2: out << quint16(wholeNumber(v, 0, 65535, where, element)); return;
    case VT_I4: bitsToWords(quint32(qint32(wholeNumber(v, INT32_MIN, INT32_MAX, where, element))), 2, p.order, out); return;
    case VT_UI4: bitsToWords(quint32(wholeNumber(v, 0, UINT32_MAX, where, element)), 2, p.order, out); return;
    case VT_R4:
    case VT_R8: {
        double d = 0;
        try {
            d = v.toDouble();
        } catch (const ZelError &e) {
            fail(e.unsignedNumber(), QStringLiteral("%1: %2 needs a number: %3").arg(where, typeName(element), e.description()));
        }
        if (element == VT_R8) {
            quint64 bits;
            std::memcpy(&bits, &d, sizeof bits);
            bitsToWords(bits, 4, p.order, out);
            return;
        }
        if (std::isfinite(d) && std::fabs(d) > double(std::numeric_limits<float>::max()))
            fail(E_OVERFLOW, QStringLiteral("%1: %2 does not fit R4").arg(where, QString::number(d)));
        const float f = float(d);
        quint32 bits;
        std::memcpy(&bits, &f, sizeof bits);
        bitsToWords(bits, 2, p.order, out);
        return;
    }
    case VT_BSTR: {
        QString text;
        try {
            text = v.toPlainText();
        } catch (const ZelError &e) {
            fail(e.unsignedNumber(), QStringLiteral("%1: BSTR needs a text: %2").arg(where, e.description()));
        }
        QByteArray bytes = text.toUtf8();
        if (bytes.size() > 2 * p.count)
            fail(E_OUT_OF_RANGE, QStringLiteral("%1: the text takes %2 bytes; %3 registers hold %4").arg(where).arg(bytes.size()).arg(p.count).arg(2 * p.count));
        bytes.resize(2 * p.count, '\0');
        for (int i = 0; i < p.count; ++i)
            out << quint16((quint8(bytes[2 * i]) << 8) | quint8(bytes[2 * i + 1]));
        return;
    }
    }
}

const QList<Value> &elements(const Place &p, const Value &v, const QString &where)
{
    if (!v.isArray())
        fail(E_TYPE_MISMATCH, QStringLiteral("%1: %2 needs an array of %3 values; got %4").arg(where, typeName(p.type)).arg(p.count).arg(typeName(v.type())));
    const QList<Value> &items = v.arrayValue().items;
    if (items.size() != p.count)
        fail(E_OUT_OF_RANGE, QStringLiteral("%1: the array has %2 values; the place holds %3").arg(where).arg(items.size()).arg(p.count));
    return items;
}
} // namespace

QString tableName(Table t)
{
    return QLatin1String(kTables[int(t)].name);
}

QString tableTitle(Table t)
{
    return QLatin1String(kTables[int(t)].title);
}

std::optional<Table> parseTable(const QString &text)
{
    for (const TableInfo &i : kTables) {
        if (text.trimmed().compare(QLatin1String(i.name), Qt::CaseInsensitive) == 0)
            return i.table;
    }
    return std::nullopt;
}

bool isBitTable(Table t)
{
    return t == Table::Coil || t == Table::Discrete;
}

bool isWritable(Table t)
{
    return t == Table::Coil || t == Table::Holding;
}

QString orderName(WordOrder o)
{
    return o == WordOrder::Big ? QStringLiteral("big") : QStringLiteral("little");
}

std::optional<WordOrder> parseOrder(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("big"), Qt::CaseInsensitive) == 0)
        return WordOrder::Big;
    if (t.compare(QLatin1String("little"), Qt::CaseInsensitive) == 0)
        return WordOrder::Little;
    return std::nullopt;
}

std::optional<quint16> parseType(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char(' '));
    t = t.toUpper();
    quint16 flags = 0;
    if (t.startsWith(QLatin1String("ARRAY|"))) {
        flags = VT_ARRAY;
        t = t.mid(6);
    }
    for (quint16 s : kScalarTypes) {
        if (t == typeName(s) && !(flags && s == VT_BSTR))
            return quint16(flags | s);
    }
    return std::nullopt;
}

QString placeTypeNames()
{
    return QStringLiteral("BOOL, I2, UI2, I4, UI4, R4, R8, BSTR and ARRAY | one of them but BSTR");
}

int Place::span() const
{
    if (isBitTable(table))
        return isArray() ? count : 1;
    const int one = elementWords(elementType(), count);
    return isArray() ? one * count : one;
}

QString Place::describe() const
{
    QString text = QStringLiteral("%1 %2 (%3").arg(tableTitle(table)).arg(address).arg(typeName(type));
    if (isArray() || elementType() == VT_BSTR)
        text += QStringLiteral(", count %1").arg(count);
    if (!isBitTable(table) && elementWords(elementType(), count) > 1 && elementType() != VT_BSTR)
        text += QStringLiteral(", %1 word order").arg(orderName(order));
    return text + QLatin1Char(')');
}

QString checkPlace(const Place &p)
{
    if (p.address < 0 || p.address > 65535)
        return QStringLiteral("the address %1 is outside 0 to 65535").arg(p.address);
    if (isBitTable(p.table) && p.elementType() != VT_BOOL)
        return QStringLiteral("a %1 holds BOOL or ARRAY | BOOL, not %2").arg(tableTitle(p.table), typeName(p.type));
    if ((p.isArray() || p.elementType() == VT_BSTR) && p.count < 1)
        return QStringLiteral("the count %1 is below 1").arg(p.count);
    const int span = p.span();
    const int limit = isBitTable(p.table) ? kMaxReadBits : kMaxReadRegisters;
    if (span > limit)
        return QStringLiteral("it spans %1 %2s; one request reads at most %3").arg(span).arg(isBitTable(p.table) ? QStringLiteral("bit") : QStringLiteral("register")).arg(limit);
    if (p.address + span > 65536)
        return QStringLiteral("it runs past address 65535");
    return QString();
}

Value decodeRegisters(const Place &p, const QList<quint16> &words)
{
    const quint16 element = p.elementType();
    if (!p.isArray())
        return decodeElement(p, element, words, 0);
    Array a;
    a.elementType = VarType(element);
    const int step = elementWords(element, p.count);
    for (int i = 0; i < p.count; ++i)
        a.items << decodeElement(p, element, words, i * step);
    return Value::fromArray(std::move(a));
}

Value decodeBits(const Place &p, const QList<bool> &bits)
{
    if (!p.isArray())
        return Value::fromBool(bits.value(0));
    Array a;
    a.elementType = VT_BOOL;
    for (bool b : bits)
        a.items << Value::fromBool(b);
    return Value::fromArray(std::move(a));
}

QList<quint16> encodeRegisters(const Place &p, const Value &v, const QString &where)
{
    QList<quint16> out;
    if (!p.isArray()) {
        encodeElement(p, p.elementType(), v, where, out);
        return out;
    }
    const QList<Value> &items = elements(p, v, where);
    for (qsizetype i = 0; i < items.size(); ++i)
        encodeElement(p, p.elementType(), items[i], QStringLiteral("%1, element %2").arg(where).arg(i), out);
    return out;
}

QList<bool> encodeBits(const Place &p, const Value &v, const QString &where)
{
    if (!p.isArray())
        return {boolean(v, where)};
    QList<bool> out;
    const QList<Value> &items = elements(p, v, where);
    for (qsizetype i = 0; i < items.size(); ++i)
        out << boolean(items[i], QStringLiteral("%1, element %2").arg(where).arg(i));
    return out;
}

} // namespace zelmodbus
