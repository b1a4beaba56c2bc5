// zelmodbus-sim: a Modbus device served from a device map, over TCP or a serial line, so that
// Zel.Modbus can be tried (and tested) without equipment. docs/modbus.md describes it.
#include "modbus/devicemap.h"

#include "zel/errors.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <modbus.h>

#include <arpa/inet.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

using namespace zelmodbus;

namespace {

const char kHelp[] =
    "Usage: zelmodbus-sim --map FILE [--port N] [--host ADDRESS] [--unit N]\n"
    "       zelmodbus-sim --map FILE --serial DEVICE [--baud N] [--parity N|E|O]\n"
    "                     [--data-bits N] [--stop-bits N] [--unit N]\n"
    "\n"
    "Serves the places of a device map as a Modbus device: over TCP (Modbus TCP) on\n"
    "ADDRESS (127.0.0.1) and port N (1502; 0 picks a free port), or on a serial device\n"
    "(Modbus RTU, 19200 baud, 8E1 unless told otherwise). The map's value= keys give the\n"
    "starting values; places with simulate=count count up once a second. Requests for\n"
    "addresses the map does not cover are answered with exception 2 (illegal data address).\n"
    "Once ready it prints one line, 'zelmodbus-sim: serving FILE (N names) on ...', and\n"
    "then runs until it is interrupted (Ctrl+C, SIGTERM).\n"
    "\n"
    "Options:\n"
    "  --map FILE        the device map (docs/modbus.md)\n"
    "  --port N          TCP port, 0 to 65535 (default 1502)\n"
    "  --host ADDRESS    address to listen on (default 127.0.0.1; :: for every IPv6 and IPv4 address)\n"
    "  --serial DEVICE   serve Modbus RTU on a serial device instead of TCP\n"
    "  --baud N          serial speed (default 19200)\n"
    "  --parity P        N, E or O (default E)\n"
    "  --data-bits N     5 to 8 (default 8)\n"
    "  --stop-bits N     1 or 2 (default 1)\n"
    "  --unit N          the unit identifier answered on a serial line, 1 to 247 (default 1)\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 after an interrupt, 1 when serving failed, 2 for wrong options or a\n"
    "malformed map.\n";

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}

void say(FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

int usage(const QString &text)
{
    say(stderr, QStringLiteral("zelmodbus-sim: ") + text);
    say(stderr, QStringLiteral("Try 'zelmodbus-sim --help' for more information."));
    return 2;
}

struct Tables {
    modbus_mapping_t *mapping = nullptr;
    QList<const MapEntry *> counting;
};

void store(modbus_mapping_t *m, const Place &p, const zel::Value &v)
{
    auto copy = [&p](auto *dest, const auto &items) {
        for (int i = 0; i < items.size(); ++i)
            dest[p.address + i] = items[i];
    };
    switch (p.table) {
    case Table::Coil:
    case Table::Discrete:
        copy(p.table == Table::Coil ? m->tab_bits : m->tab_input_bits, encodeBits(p, v, QString()));
        break;
    case Table::Input:
    case Table::Holding:
        copy(p.table == Table::Holding ? m->tab_registers : m->tab_input_registers, encodeRegisters(p, v, QString()));
        break;
    }
}

zel::Value load(modbus_mapping_t *m, const Place &p)
{
    if (isBitTable(p.table)) {
        const uint8_t *src = p.table == Table::Coil ? m->tab_bits : m->tab_input_bits;
        QList<bool> bits;
        for (int i = 0; i < p.span(); ++i)
            bits << (src[p.address + i] != 0);
        return decodeBits(p, bits);
    }
    const uint16_t *src = p.table == Table::Holding ? m->tab_registers : m->tab_input_registers;
    QList<quint16> words;
    for (int i = 0; i < p.span(); ++i)
        words << src[p.address + i];
    return decodeRegisters(p, words);
}

// One more for every counting place; integers wrap, BOOL toggles, texts stay.
void count(Tables &t)
{
    for (const MapEntry *e : t.counting) {
        const Place &p = e->place;
        if (p.isArray() || p.elementType() == zel::VT_BSTR)
            continue;
        const zel::Value v = load(t.mapping, p);
        zel::Value next;
        switch (p.elementType()) {
        case zel::VT_BOOL: next = zel::Value::fromBool(!v.boolValue()); break;
        case zel::VT_R4:
        case zel::VT_R8: next = zel::Value::fromR8(v.toDouble() + 1); break;
        case zel::VT_I2: next = zel::Value::fromI2(qint16(quint16(v.integerValue() + 1))); break;
        case zel::VT_UI2: next = zel::Value::fromUI2(quint16(v.integerValue() + 1)); break;
        case zel::VT_I4: next = zel::Value::fromI4(qint32(quint32(v.integerValue() + 1))); break;
        case zel::VT_UI4: next = zel::Value::fromUI4(quint32(v.integerValue() + 1)); break;
        }
        store(t.mapping, p, next);
    }
}

qint64 nowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString mapPath, host = QStringLiteral("127.0.0.1"), serial;
    int port = 1502, baud = 19200, dataBits = 8, stopBits = 1, unit = 1;
    char parity = 'E';
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (a == QLatin1String("--version")) {
            std::printf("zelmodbus-sim %d.%d.%d\n", ZEL_VERSION_MAJOR, ZEL_VERSION_MINOR, ZEL_VERSION_PATCH);
            return 0;
        }
        if (i + 1 >= args.size())
            return usage(a.startsWith(QLatin1String("--")) ? QStringLiteral("%1 needs a value").arg(a) : QStringLiteral("unknown argument '%1'").arg(a));
        const QString value = args[++i];
        auto number = [&](int min, int max, int &out) {
            bool ok = false;
            out = value.toInt(&ok);
            return ok && out >= min && out <= max;
        };
        if (a == QLatin1String("--map"))
            mapPath = value;
        else if (a == QLatin1String("--host"))
            host = value;
        else if (a == QLatin1String("--serial"))
            serial = value;
        else if (a == QLatin1String("--port") ? !number(0, 65535, port)
                 : a == QLatin1String("--baud") ? !number(50, 4000000, baud)
                 : a == QLatin1String("--data-bits") ? !number(5, 8, dataBits)
                 : a == QLatin1String("--stop-bits") ? !number(1, 2, stopBits)
                 : a == QLatin1String("--unit") ? !number(1, 247, unit)
                 : false)
            return usage(QStringLiteral("%1: '%2' is out of range").arg(a, value));
        else if (a == QLatin1String("--parity")) {
            if (value != QLatin1String("N") && value != QLatin1String("E") && value != QLatin1String("O"))
                return usage(QStringLiteral("--parity: '%1' is not N, E or O").arg(value));
            parity = value.at(0).toLatin1();
        } else if (a != QLatin1String("--port") && a != QLatin1String("--baud") && a != QLatin1String("--data-bits")
                   && a != QLatin1String("--stop-bits") && a != QLatin1String("--unit"))
            return usage(QStringLiteral("unknown option '%1'").arg(a));
    }
    if (mapPath.isEmpty())
        return usage(QStringLiteral("no --map given"));

    DeviceMap map;
    try {
        map = DeviceMap::read(mapPath);
    } catch (const zel::ZelError &e) {
        say(stderr, QStringLiteral("zelmodbus-sim: %1").arg(e.description()));
        return 2;
    }

    // Each table reaches as far as the map's highest place in it.
    int sizes[4] = {0, 0, 0, 0};
    for (const MapEntry &e : map.entries())
        sizes[int(e.place.table)] = std::max(sizes[int(e.place.table)], e.place.address + e.place.span());
    Tables t;
    t.mapping = modbus_mapping_new(sizes[int(Table::Coil)], sizes[int(Table::Discrete)], sizes[int(Table::Holding)], sizes[int(Table::Input)]);
    if (!t.mapping) {
        say(stderr, QStringLiteral("zelmodbus-sim: %1").arg(QString::fromLocal8Bit(modbus_strerror(errno))));
        return 1;
    }
    for (const MapEntry &e : map.entries()) {
        if (!e.value.isEmpty())
            store(t.mapping, e.place, parseStartValue(e.place, e.value, e.name));
        if (e.count)
            t.counting << &e;
    }

    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    modbus_t *ctx = nullptr;
    int server = -1;
    QString where;
    if (!serial.isEmpty()) {
        ctx = modbus_new_rtu(serial.toLocal8Bit().constData(), baud, parity, dataBits, stopBits);
        if (!ctx || modbus_set_slave(ctx, unit) == -1 || modbus_connect(ctx) == -1) {
            say(stderr, QStringLiteral("zelmodbus-sim: cannot open %1: %2").arg(serial, QString::fromLocal8Bit(modbus_strerror(errno))));
            return 1;
        }
        where = QStringLiteral("%1 (Modbus RTU, unit %2, %3 baud, %4%5%6)").arg(serial).arg(unit).arg(baud).arg(dataBits).arg(QLatin1Char(parity)).arg(stopBits);
    } else {
        ctx = modbus_new_tcp_pi(host.toLatin1().constData(), QByteArray::number(port).constData());
        if (ctx)
            server = modbus_tcp_pi_listen(ctx, 16);
        if (server == -1) {
            say(stderr, QStringLiteral("zelmodbus-sim: cannot listen on %1 port %2: %3").arg(host).arg(port).arg(QString::fromLocal8Bit(modbus_strerror(errno))));
            return 1;
        }
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        getsockname(server, reinterpret_cast<sockaddr *>(&addr), &len);
        const int bound = addr.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6 *>(&addr)->sin6_port)
                                                     : ntohs(reinterpret_cast<sockaddr_in *>(&addr)->sin_port);
        where = QStringLiteral("%1 port %2 (Modbus TCP)").arg(host).arg(bound);
    }
    say(stdout, QStringLiteral("zelmodbus-sim: serving %1 (%2 names) on %3").arg(QFileInfo(mapPath).fileName()).arg(map.entries().size()).arg(where));

    QList<int> clients;
    uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH > MODBUS_RTU_MAX_ADU_LENGTH ? MODBUS_TCP_MAX_ADU_LENGTH : MODBUS_RTU_MAX_ADU_LENGTH];
    qint64 nextTick = nowMs() + 1000;
    int status = 0;
    while (!g_stop) {
        fd_set read;
        FD_ZERO(&read);
        int top = -1;
        auto watch = [&](int fd) { FD_SET(fd, &read); top = std::max(top, fd); };
        if (server >= 0) {
            watch(server);
            for (int c : clients)
                watch(c);
        } else {
            watch(modbus_get_socket(ctx));
        }
        const qint64 wait = std::max<qint64>(0, nextTick - nowMs());
        timeval tv{time_t(wait / 1000), suseconds_t((wait % 1000) * 1000)};
        const int ready = select(top + 1, &read, nullptr, nullptr, &tv);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            say(stderr, QStringLiteral("zelmodbus-sim: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
            status = 1;
            break;
        }
        if (nowMs() >= nextTick) {
            count(t);
            nextTick += 1000;
        }
        if (ready == 0)
            continue;
        if (server < 0) {
            const int rc = modbus_receive(ctx, query);
            if (rc > 0)
                modbus_reply(ctx, query, rc, t.mapping);
            else if (rc == -1 && errno != EMBBADCRC && errno != ETIMEDOUT)
                modbus_flush(ctx);
            continue;
        }
        if (FD_ISSET(server, &read)) {
            const int c = accept(server, nullptr, nullptr);
            if (c >= 0)
                clients << c;
        }
        for (qsizetype i = clients.size() - 1; i >= 0; --i) {
            if (!FD_ISSET(clients[i], &read))
                continue;
            modbus_set_socket(ctx, clients[i]);
            const int rc = modbus_receive(ctx, query);
            if (rc > 0) {
                modbus_reply(ctx, query, rc, t.mapping);
            } else if (rc == -1) {
                ::close(clients[i]);
                clients.removeAt(i);
            }
        }
    }
    for (int c : clients)
        ::close(c);
    if (server >= 0)
        ::close(server);
    modbus_set_socket(ctx, -1);
    modbus_free(ctx);
    modbus_mapping_free(t.mapping);
    return status;
}
