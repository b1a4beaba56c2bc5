#include "devicemap.h"

#include "zel/errors.h"

#include <QFile>
#include <QFileInfo>

using namespace zel;

namespace zelmodbus {

namespace {

struct Token {
    QString text;
    bool quoted = false;
};

// Splits a line at blanks; double quotes hold blanks ("" is one quote). Returns false on an
// unclosed quote.
bool tokenize(const QString &line, QList<Token> &out)
{
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && line[i].isSpace())
            ++i;
        if (i >= n || line[i] == QLatin1Char('#'))
            break;
        Token t;
        while (i < n && !line[i].isSpace()) {
            if (line[i] == QLatin1Char('"')) {
                t.quoted = true;
                ++i;
                for (;;) {
                    if (i >= n)
                        return false;
                    if (line[i] == QLatin1Char('"')) {
                        if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                            t.text += QLatin1Char('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    t.text += line[i++];
                }
                continue;
            }
            t.text += line[i++];
        }
        out << t;
    }
    return true;
}

bool validName(const QString &name)
{
    if (name.isEmpty() || name.size() > 64 || name.startsWith(QLatin1Char('@')))
        return false;
    for (QChar c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('.') && c != QLatin1Char('-'))
            return false;
    }
    return true;
}

} // namespace

DeviceMap DeviceMap::read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ZelError(E_DEVICE_MAP, QStringLiteral("device map %1 cannot be read: %2").arg(path, f.errorString()));
    if (f.size() > kMaxSize)
        throw ZelError(E_DEVICE_MAP, QStringLiteral("device map %1 has %2 bytes; a map has at most %3").arg(path).arg(f.size()).arg(kMaxSize));
    return parse(f.read(kMaxSize + 1), path);
}

DeviceMap DeviceMap::parse(const QByteArray &text, const QString &fileName)
{
    DeviceMap map;
    map.m_file = fileName;
    const QString where = QFileInfo(fileName).fileName();
    if (text.size() > kMaxSize)
        throw ZelError(E_DEVICE_MAP, QStringLiteral("device map %1 has %2 bytes; a map has at most %3").arg(fileName).arg(text.size()).arg(kMaxSize));
    const QString decoded = QString::fromUtf8(text);
    if (decoded.contains(QChar::ReplacementCharacter) && !text.contains("\xEF\xBF\xBD"))
        throw ZelError(E_DEVICE_MAP, QStringLiteral("%1: the map is not UTF-8 text").arg(fileName));
    const QStringList lines = decoded.split(QLatin1Char('\n'));
    for (qsizetype ln = 0; ln < lines.size(); ++ln) {
        const int lineNo = int(ln + 1);
        auto bad = [&](const QString &what) -> void {
            throw ZelError(E_DEVICE_MAP, QStringLiteral("%1:%2: %3").arg(where).arg(lineNo).arg(what));
        };
        QList<Token> tokens;
        if (!tokenize(lines[ln], tokens))
            bad(QStringLiteral("a quoted text lacks its closing quote"));
        if (tokens.isEmpty())
            continue;
        if (tokens.size() < 3)
            bad(QStringLiteral("an entry needs at least a name, a table and an address"));
        MapEntry e;
        e.line = lineNo;
        e.name = tokens[0].text;
        if (!validName(e.name))
            bad(QStringLiteral("'%1' is not a name (letters, digits, _ . and -, up to 64, not starting with @)").arg(e.name));
        if (map.find(e.name))
            bad(QStringLiteral("the name %1 is already used on line %2").arg(e.name).arg(map.find(e.name)->line));
        const std::optional<Table> table = parseTable(tokens[1].text);
        if (!table)
            bad(QStringLiteral("unknown table '%1'; the tables are coil, discrete, input and holding").arg(tokens[1].text));
        e.place.table = *table;
        bool ok = false;
        e.place.address = tokens[2].text.toInt(&ok);
        if (!ok)
            bad(QStringLiteral("the address '%1' is not a whole number").arg(tokens[2].text));
        e.place.type = isBitTable(e.place.table) ? quint16(VT_BOOL) : quint16(VT_I2);
        qsizetype next = 3;
        if (next < tokens.size() && !tokens[next].quoted && !tokens[next].text.contains(QLatin1Char('='))
            && tokens[next].text.compare(QLatin1String("watch"), Qt::CaseInsensitive) != 0) {
            const std::optional<quint16> type = parseType(tokens[next].text);
            if (!type)
                bad(QStringLiteral("unknown type '%1'; the types are %2").arg(tokens[next].text, placeTypeNames()));
            e.place.type = *type;
            ++next;
        }
        for (; next < tokens.size(); ++next) {
            const QString &t = tokens[next].text;
            if (t.compare(QLatin1String("watch"), Qt::CaseInsensitive) == 0 && !tokens[next].quoted) {
                e.watch = true;
                continue;
            }
            const qsizetype eq = t.indexOf(QLatin1Char('='));
            if (eq <= 0)
                bad(QStringLiteral("'%1' is neither key=value nor watch").arg(t));
            const QString key = t.left(eq).toLower();
            const QString value = t.mid(eq + 1);
            if (key == QLatin1String("count")) {
                e.place.count = value.toInt(&ok);
                if (!ok || e.place.count < 1)
                    bad(QStringLiteral("count '%1' is not a whole number of at least 1").arg(value));
            } else if (key == QLatin1String("order")) {
                const std::optional<WordOrder> order = parseOrder(value);
                if (!order)
                    bad(QStringLiteral("order '%1' is neither big nor little").arg(value));
                e.place.order = *order;
            } else if (key == QLatin1String("help")) {
                e.help = value;
            } else if (key == QLatin1String("value")) {
                e.value = value;
            } else if (key == QLatin1String("simulate")) {
                if (value.compare(QLatin1String("count"), Qt::CaseInsensitive) != 0)
                    bad(QStringLiteral("simulate '%1' is unknown; the simulator knows simulate=count").arg(value));
                e.count = true;
            } else {
                bad(QStringLiteral("unknown key '%1'; the keys are count, order, help, value and simulate").arg(t.left(eq)));
            }
        }
        if (!e.place.isArray() && e.place.elementType() != VT_BSTR && e.place.count != 1)
            bad(QStringLiteral("count is for arrays and BSTR; %1 holds one value").arg(typeName(e.place.type)));
        const QString wrong = checkPlace(e.place);
        if (!wrong.isEmpty())
            bad(QStringLiteral("%1: %2").arg(e.name, wrong));
        if (!e.value.isEmpty()) {
            try {
                parseStartValue(e.place, e.value, e.name);
            } catch (const ZelError &err) {
                bad(err.description());
            }
        }
        map.m_entries << e;
    }
    return map;
}

const MapEntry *DeviceMap::find(const QString &name) const
{
    for (const MapEntry &e : m_entries) {
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    }
    return nullptr;
}

QStringList DeviceMap::names() const
{
    QStringList out;
    for (const MapEntry &e : m_entries)
        out << e.name;
    return out;
}

Value parseStartValue(const Place &place, const QString &text, const QString &where)
{
    auto scalar = [&](const QString &t) {
        if (place.elementType() == VT_BSTR)
            return Value::fromString(t);
        if (place.elementType() == VT_BOOL)
            return Value::fromString(t.trimmed());
        bool ok = false;
        const double d = t.trimmed().toDouble(&ok);
        if (!ok)
            throw ZelError(E_TYPE_MISMATCH, QStringLiteral("%1: value '%2' is not a number").arg(where, t));
        return Value::fromR8(d);
    };
    Value v;
    if (place.isArray()) {
        Array a;
        for (const QString &part : text.split(QLatin1Char(';')))
            a.items << scalar(part);
        v = Value::fromArray(std::move(a));
    } else {
        v = scalar(text);
    }
    // Checks the fit the same way a write does.
    if (isBitTable(place.table))
        encodeBits(place, v, where);
    else
        encodeRegisters(place, v, where);
    return v;
}

} // namespace zelmodbus
