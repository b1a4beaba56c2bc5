#include "modbusprovider.h"

#include "devicemap.h"
#include "link.h"

#include "zel/options.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

using namespace zel;

namespace zelmodbus {

namespace {

[[noreturn]] void fail(quint32 number, const QString &text)
{
    throw ZelError(number, text);
}

// An option whose text parse reads; a text it does not take fails with what the option takes.
template <class Parse>
auto parsedOption(const detail::Options &o, const char *key, Parse parse, const QString &where, const QString &takes)
    -> decltype(parse(QString()))
{
    const std::optional<QString> text = o.text(key);
    if (!text)
        return std::nullopt;
    auto parsed = parse(*text);
    if (!parsed)
        fail(E_BAD_OPTION, QStringLiteral("Option %1 of %2: '%3' is not %4").arg(QLatin1String(key), where, *text, takes));
    return parsed;
}

// Everything an option text of AddController says, checked before anything is opened.
struct DeviceSettings {
    LinkSettings link;
    bool readOnly = false;
    int pollMs = 500;
    std::shared_ptr<const DeviceMap> map;
    QStringList watch; // names of the map, in map order, without duplicates
};

DeviceSettings readSettings(const QString &machine, const QString &option)
{
    const QString where = QStringLiteral("AddController");
    DeviceSettings s;
    s.link = LinkSettings::parse(machine, option, where);
    detail::Options o(option, where);
    s.readOnly = o.boolean("@ReadOnly", false);
    s.pollMs = o.integer("@PollInterval", 500, 10, 3600000);
    auto map = std::make_shared<DeviceMap>();
    if (std::optional<QString> path = o.text("@Map"); path && !path->isEmpty()) {
        try {
            *map = DeviceMap::read(*path);
        } catch (const ZelError &e) {
            fail(e.unsignedNumber(), QStringLiteral("%1: %2").arg(where, e.description()));
        }
    }
    QStringList watch;
    for (const MapEntry &e : map->entries()) {
        if (e.watch)
            watch << e.name;
    }
    if (std::optional<QString> names = o.text("@Watch")) {
        for (QString n : names->split(QRegularExpression(QStringLiteral("[;,]")), Qt::SkipEmptyParts)) {
            n = n.trimmed();
            const MapEntry *e = map->find(n);
            if (!e)
                fail(E_BAD_OPTION, QStringLiteral("Option @Watch of %1: '%2' is not a name of the device map%3")
                                       .arg(where, n, map->entries().isEmpty() ? QStringLiteral(" (no @Map given)") : QString()));
            if (!watch.contains(e->name))
                watch << e->name;
        }
    }
    s.map = map;
    s.watch = watch;
    return s;
}

QString hexBytes(const QByteArray &bytes)
{
    QStringList parts;
    for (char c : bytes)
        parts << QStringLiteral("%1").arg(quint8(c), 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(' '));
}

// ---- variables ---------------------------------------------------------------------------------

class RegisterVariable final : public VariableBinding {
public:
    RegisterVariable(std::shared_ptr<Link> link, QString name, Place place, QString help, bool readOnly, QString controller)
        : m_link(std::move(link)), m_name(std::move(name)), m_place(place), m_help(std::move(help)), m_readOnly(readOnly),
          m_controller(std::move(controller))
    {
    }

    Value read() override { return readPlace(*m_link, m_place, QStringLiteral("get_Value: ") + m_name); }

    void write(const Value &value) override
    {
        const QString where = QStringLiteral("put_Value: ") + m_name;
        if (!isWritable(m_place.table))
            fail(E_READ_ONLY, QStringLiteral("%1 is %2; %3s are read-only").arg(where, m_place.describe(), tableTitle(m_place.table)));
        if (m_readOnly)
            fail(E_READ_ONLY, QStringLiteral("%1: controller %2 is read-only (@ReadOnly=true); nothing was sent").arg(where, m_controller));
        if (isBitTable(m_place.table))
            m_link->writeBits(m_place.address, encodeBits(m_place, value, where), where);
        else
            m_link->writeRegisters(m_place.address, encodeRegisters(m_place, value, where), where);
    }

    bool writable() const override { return isWritable(m_place.table) && !m_readOnly; }

    QString help() const override
    {
        const QString place = QStringLiteral("%1 of unit %2 at %3").arg(m_place.describe()).arg(m_link->settings().unit).arg(m_link->settings().address());
        return m_help.isEmpty() ? place : m_help + QStringLiteral(" (") + place + QLatin1Char(')');
    }

    static Value readPlace(Link &link, const Place &p, const QString &where)
    {
        if (isBitTable(p.table))
            return decodeBits(p, link.readBits(p.table, p.address, p.span(), where));
        return decodeRegisters(p, link.readRegisters(p.table, p.address, p.span(), where));
    }

private:
    std::shared_ptr<Link> m_link;
    QString m_name;
    Place m_place;
    QString m_help;
    bool m_readOnly;
    QString m_controller;
};

// ---- extensions --------------------------------------------------------------------------------

class CoilBlock final : public IoBinding {
public:
    CoilBlock(std::shared_ptr<Link> link, QString name, Table table, int address, int count, bool readOnly, QString controller)
        : m_link(std::move(link)), m_name(std::move(name)), m_table(table), m_address(address), m_count(count), m_readOnly(readOnly),
          m_controller(std::move(controller))
    {
    }

    qint32 bitCount() const override { return m_count; }

    quint32 read() override
    {
        const QList<bool> bits = m_link->readBits(m_table, m_address, m_count, where("read"));
        quint32 word = 0;
        for (int i = 0; i < bits.size(); ++i)
            word |= quint32(bits[i]) << i;
        return word;
    }

    bool readBit(qint32 bit) override { return m_link->readBits(m_table, m_address + bit, 1, where("GetBit")).value(0); }

    void write(quint32 word) override
    {
        checkWritable("write");
        QList<bool> bits;
        for (int i = 0; i < m_count; ++i)
            bits << bool((word >> i) & 1u);
        m_link->writeBits(m_address, bits, where("write"));
    }

    void writeBit(qint32 bit, bool on) override
    {
        checkWritable(on ? "SetBit" : "ClearBit");
        m_link->writeBits(m_address + bit, {on}, where(on ? "SetBit" : "ClearBit"));
    }

    QString help() const override
    {
        return QStringLiteral("%1 %2s from address %3 of unit %4 at %5; bit 0 is address %3")
            .arg(m_count).arg(tableTitle(m_table)).arg(m_address).arg(m_link->settings().unit).arg(m_link->settings().address());
    }

private:
    QString where(const char *op) const { return QStringLiteral("%1: extension %2").arg(QLatin1StringView(op), m_name); }

    void checkWritable(const char *op) const
    {
        if (m_table == Table::Discrete)
            fail(E_READ_ONLY, QStringLiteral("%1 reads discrete inputs %2 to %3; discrete inputs are read-only")
                                  .arg(where(op)).arg(m_address).arg(m_address + m_count - 1));
        if (m_readOnly)
            fail(E_READ_ONLY, QStringLiteral("%1: controller %2 is read-only (@ReadOnly=true); nothing was sent").arg(where(op), m_controller));
    }

    std::shared_ptr<Link> m_link;
    QString m_name;
    Table m_table;
    int m_address;
    int m_count;
    bool m_readOnly;
    QString m_controller;
};

// ---- commands ----------------------------------------------------------------------------------

class RawRequest final : public CommandBinding {
public:
    RawRequest(std::shared_ptr<Link> link, QString name, bool readOnly, QString controller)
        : m_link(std::move(link)), m_name(std::move(name)), m_readOnly(readOnly), m_controller(std::move(controller))
    {
    }

    Value run(const Value &parameters, qint32 timeoutMs) override
    {
        const QString where = QStringLiteral("Execute: command ") + m_name;
        const QByteArray pdu = requestBytes(parameters, where);
        const int function = quint8(pdu[0]);
        static const int kWrites[] = {5, 6, 15, 16, 21, 22, 23};
        if (m_readOnly && std::find(std::begin(kWrites), std::end(kWrites), function) != std::end(kWrites))
            fail(E_READ_ONLY, QStringLiteral("%1: function %2 writes, and controller %3 is read-only (@ReadOnly=true); nothing was sent")
                                  .arg(where).arg(function).arg(m_controller));
        const QByteArray answer = m_link->raw(pdu, timeoutMs, where);
        Array a;
        a.elementType = VT_UI1;
        for (char c : answer)
            a.items << Value::fromUI1(quint8(c));
        return Value::fromArray(std::move(a));
    }

    QString resultText(const Value &result) const override
    {
        QByteArray bytes;
        for (const Value &v : result.arrayValue().items)
            bytes.append(char(v.integerValue()));
        return hexBytes(bytes);
    }

    QString help() const override
    {
        return QStringLiteral("sends its Parameters (function code, then data bytes) to unit %1 at %2 as one request; Result is the "
                              "answer (function code, then data bytes)")
            .arg(m_link->settings().unit)
            .arg(m_link->settings().address());
    }

private:
    // The request: an array of numbers 0 to 255, or a text of hexadecimal bytes ("03 00 00 00 02").
    static QByteArray requestBytes(const Value &p, const QString &where)
    {
        QByteArray bytes;
        if (p.isString()) {
            for (const QString &part : p.stringValue().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                bool ok = false;
                const uint b = part.toUInt(&ok, 16);
                if (!ok || b > 255 || part.size() > 2)
                    fail(E_TYPE_MISMATCH, QStringLiteral("%1: '%2' in the Parameters text is not a hexadecimal byte").arg(where, part));
                bytes.append(char(b));
            }
        } else if (p.isArray()) {
            const QList<Value> &items = p.arrayValue().items;
            for (qsizetype i = 0; i < items.size(); ++i) {
                double d = -1;
                try {
                    d = items[i].toDouble();
                } catch (const ZelError &) {
                }
                if (d < 0 || d > 255 || d != qint64(d))
                    fail(E_OUT_OF_RANGE, QStringLiteral("%1: element %2 of the Parameters is not a byte (0 to 255)").arg(where).arg(i));
                bytes.append(char(int(d)));
            }
        } else {
            fail(E_TYPE_MISMATCH, QStringLiteral("%1: the Parameters are the function code and the data bytes, as an array of numbers "
                                                 "or a text of hexadecimal bytes; got %2").arg(where, typeName(p.type())));
        }
        if (bytes.isEmpty())
            fail(E_INVALID_ARG, QStringLiteral("%1: the Parameters hold no function code").arg(where));
        if (quint8(bytes[0]) < 1 || quint8(bytes[0]) > 127)
            fail(E_OUT_OF_RANGE, QStringLiteral("%1: function code %2 is outside 1 to 127").arg(where).arg(quint8(bytes[0])));
        if (bytes.size() > 253)
            fail(E_OUT_OF_RANGE, QStringLiteral("%1: a request has at most 253 bytes; the Parameters hold %2").arg(where).arg(bytes.size()));
        return bytes;
    }

    std::shared_ptr<Link> m_link;
    QString m_name;
    bool m_readOnly;
    QString m_controller;
};

// ---- the device --------------------------------------------------------------------------------

enum DeviceVariable { ConnectedVar = 1000, RequestsVar, FailuresVar, AddressVar, WatchVar };

class ModbusDevice final : public ControllerDevice {
public:
    ModbusDevice(QString controller, DeviceSettings settings)
        : m_controller(std::move(controller)), m_settings(std::move(settings)), m_link(std::make_shared<Link>(m_settings.link))
    {
        m_link->open(QStringLiteral("AddController"));
        for (const QString &n : m_settings.watch)
            m_watches.push_back({*m_settings.map->find(n), std::nullopt, false});
    }

    ~ModbusDevice() override
    {
        m_link->onState = nullptr; // the variables may keep the link beyond the controller
    }

    bool offers(MemberKind kind) const override
    {
        return kind == MemberKind::Variable || kind == MemberKind::Extension || kind == MemberKind::Command;
    }

    QString help(const QString &provider, const QString &machine) const override
    {
        const LinkSettings &l = m_settings.link;
        QString text = QStringLiteral("a %1 device, unit %2 at %3 (Modbus %4)").arg(provider).arg(l.unit).arg(l.address(), l.rtu ? QStringLiteral("RTU") : QStringLiteral("TCP"));
        if (l.rtu)
            text += QStringLiteral(" at %1 baud, %2%3%4").arg(l.baud).arg(l.dataBits).arg(QLatin1Char(l.parity)).arg(l.stopBits);
        Q_UNUSED(machine);
        if (!m_settings.map->fileName().isEmpty())
            text += QStringLiteral(", map %1 (%2 names)").arg(QFileInfo(m_settings.map->fileName()).fileName()).arg(m_settings.map->entries().size());
        if (!m_watches.empty())
            text += QStringLiteral(", %1 watched every %2 ms").arg(m_watches.size()).arg(m_settings.pollMs);
        if (m_settings.readOnly)
            text += QStringLiteral(", read-only");
        return text;
    }

    QStringList offeredNames(MemberKind kind) const override
    {
        return kind == MemberKind::Variable ? m_settings.map->names() : QStringList();
    }

    std::shared_ptr<VariableBinding> variable(const QString &name, const QString &option) override
    {
        const QString where = QStringLiteral("AddVariable");
        detail::Options o(option, where);
        const MapEntry *entry = m_settings.map->find(name);
        if (!entry && !(o.has("@Table") && o.has("@Address")))
            fail(E_NOT_FOUND, QStringLiteral("AddVariable: %1 is not a name of the device map%2; name its place with @Table and @Address")
                                  .arg(name, m_settings.map->fileName().isEmpty() ? QString() : QLatin1Char(' ') + QFileInfo(m_settings.map->fileName()).fileName()));
        Place p = entry ? entry->place : Place{};
        if (const std::optional<Table> table =
                parsedOption(o, "@Table", parseTable, where, QStringLiteral("coil, discrete, input or holding"))) {
            if (isBitTable(*table) != isBitTable(p.table) || !entry)
                p.type = isBitTable(*table) ? quint16(VT_BOOL) : quint16(VT_I2);
            p.table = *table;
        }
        if (o.has("@Address"))
            p.address = o.integer("@Address", 0, 0, 65535);
        if (const std::optional<quint16> type =
                parsedOption(o, "@Type", parseType, where, QStringLiteral("one of ") + placeTypeNames()))
            p.type = *type;
        if (o.has("@Count"))
            p.count = o.integer("@Count", 1, 1, 2000);
        if (const std::optional<WordOrder> order =
                parsedOption(o, "@WordOrder", parseOrder, where, QStringLiteral("big or little")))
            p.order = *order;
        if (!p.isArray() && p.elementType() != VT_BSTR)
            p.count = 1;
        const QString wrong = checkPlace(p);
        if (!wrong.isEmpty())
            fail(E_BAD_OPTION, QStringLiteral("Option of %1: %2: %3").arg(where, name, wrong));
        return std::make_shared<RegisterVariable>(m_link, name, p, entry ? entry->help : QString(), m_settings.readOnly, m_controller);
    }

    std::shared_ptr<IoBinding> extension(const QString &name, const QString &option) override
    {
        const QString where = QStringLiteral("AddExtension");
        detail::Options o(option, where);
        const MapEntry *entry = m_settings.map->find(name);
        if (entry && !isBitTable(entry->place.table))
            entry = nullptr;
        Table table = entry ? entry->place.table : Table::Coil;
        if (std::optional<QString> t = o.text("@Table")) {
            const std::optional<Table> parsed = parseTable(*t);
            if (!parsed || !isBitTable(*parsed))
                fail(E_BAD_OPTION, QStringLiteral("Option @Table of %1: '%2' is not coil or discrete").arg(where, *t));
            table = *parsed;
        }
        if (!entry && !o.has("@Address"))
            fail(E_BAD_OPTION, QStringLiteral("%1: extension %2 needs @Address, the first coil or discrete input of its bits").arg(where, name));
        const int address = o.integer("@Address", entry ? entry->place.address : 0, 0, 65535);
        const int count = o.integer("@Count", entry ? std::min(entry->place.span(), 32) : 32, 1, 32);
        if (address + count > 65536)
            fail(E_BAD_OPTION, QStringLiteral("Option of %1: %2 bits from address %3 run past address 65535").arg(where).arg(count).arg(address));
        return std::make_shared<CoilBlock>(m_link, name, table, address, count, m_settings.readOnly, m_controller);
    }

    std::shared_ptr<CommandBinding> command(const QString &name, const QString &option) override
    {
        detail::Options(option, QStringLiteral("AddCommand"));
        return std::make_shared<RawRequest>(m_link, name, m_settings.readOnly, m_controller);
    }

    std::vector<VariableHost::SystemVariable> hostVariables() const override
    {
        return {
            {"@Connected", ConnectedVar, false, "true while the connection to the device is open (BOOL)"},
            {"@Requests", RequestsVar, false, "requests sent to the device (I4)"},
            {"@Failures", FailuresVar, false, "requests that failed (I4)"},
            {"@Address", AddressVar, false, "where the device is: host and port, or the serial device"},
            {"@Watch", WatchVar, false, "the watched names, polled every @PollInterval ms (ARRAY | BSTR)"},
        };
    }

    Value readHostVariable(int id) override
    {
        switch (id) {
        case ConnectedVar: return Value::fromBool(m_link->isOpen());
        case RequestsVar: return Value::fromI4(m_link->requests());
        case FailuresVar: return Value::fromI4(m_link->failures());
        case AddressVar: return Value::fromString(m_link->settings().address());
        case WatchVar: {
            Array a;
            a.elementType = VT_BSTR;
            for (const Watch &w : m_watches)
                a.items << Value::fromString(w.entry.name);
            return Value::fromArray(std::move(a));
        }
        }
        return Value();
    }

    void start(MessageSink sink) override
    {
        m_sink = std::move(sink);
        m_link->onState = [this](bool up, const QString &reason) {
            raise(up ? kConnectionRestored : kConnectionLost, up ? QStringLiteral("Connection restored") : QStringLiteral("Connection lost"),
                  Value::fromString(reason));
        };
        if (m_watches.empty())
            return;
        poll(); // the values to compare the first changes with
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(m_settings.pollMs);
    }

private:
    struct Watch {
        MapEntry entry;
        std::optional<Value> last;
        bool failing;
    };

    void raise(qint32 number, const QString &description, const Value &value)
    {
        if (m_sink)
            m_sink({number, description, value});
    }

    // Reads every watched value once; a changed one raises a message. A value that cannot be
    // read is reported once. A device that cannot be reached or does not answer ends the round
    // (the link reports a lost connection), and polling leaves it alone for kRetryMs (or the poll
    // interval, when longer): a device that is gone or silent must not keep the program waiting
    // for its timeout at every poll.
    void poll()
    {
        if (m_retry.isValid() && m_retry.elapsed() < std::max(kRetryMs, m_settings.pollMs))
            return;
        m_retry.invalidate();
        for (Watch &w : m_watches) {
            try {
                Value v = RegisterVariable::readPlace(*m_link, w.entry.place, QStringLiteral("Watch ") + w.entry.name);
                w.failing = false;
                if (w.last && *w.last != v)
                    raise(w.entry.place.address, w.entry.name, v);
                w.last = std::move(v);
            } catch (const ZelError &e) {
                if (e.unsignedNumber() == E_DEVICE_UNREACHABLE || e.unsignedNumber() == E_DEVICE_TIMEOUT) {
                    m_retry.start();
                    return;
                }
                if (!w.failing)
                    raise(kWatchFailed, QStringLiteral("Watch %1 failed").arg(w.entry.name), Value::fromString(e.description()));
                w.failing = true;
            }
        }
    }

    QString m_controller;
    DeviceSettings m_settings;
    std::shared_ptr<Link> m_link;
    std::vector<Watch> m_watches;
    static constexpr int kRetryMs = 5000;

    MessageSink m_sink;
    QTimer m_timer;
    QElapsedTimer m_retry;
};

} // namespace

QString ModbusProvider::name() const
{
    return QLatin1StringView(kName);
}

void ModbusProvider::check(const QString &machine, const QString &option) const
{
    readSettings(machine, option);
}

std::unique_ptr<ControllerDevice> ModbusProvider::open(const QString &controller, const QString &machine, const QString &option)
{
    return std::make_unique<ModbusDevice>(controller, readSettings(machine, option));
}

} // namespace zelmodbus
