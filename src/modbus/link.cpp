#include "link.h"

#include "zel/errors.h"
#include "zel/options.h"

#include <modbus.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

using namespace zel;

namespace zelmodbus {

namespace {

[[noreturn]] void fail(quint32 number, const QString &text)
{
    throw ZelError(number, text);
}

bool isNumericAddress(const QString &host)
{
    const QByteArray h = host.toLatin1();
    unsigned char buf[sizeof(struct in6_addr)];
    return inet_pton(AF_INET, h.constData(), buf) == 1 || inet_pton(AF_INET6, h.constData(), buf) == 1;
}

// Looks a host name up within the timeout and returns its addresses in the resolver's order.
// getaddrinfo cannot be interrupted, so it runs on a thread of its own that is left to finish by
// itself when it takes too long.
QStringList resolve(const QString &host, int timeoutMs, const QString &where, const QString &address)
{
    if (isNumericAddress(host))
        return {host};
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        int rc = 0;
        QStringList numeric;
    };
    auto shared = std::make_shared<Shared>();
    const QByteArray name = host.toUtf8();
    std::thread([shared, name] {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *list = nullptr;
        const int rc = getaddrinfo(name.constData(), nullptr, &hints, &list);
        QStringList numeric;
        for (addrinfo *a = rc == 0 ? list : nullptr; a; a = a->ai_next) {
            char text[INET6_ADDRSTRLEN] = {};
            if (getnameinfo(a->ai_addr, a->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) == 0
                && !numeric.contains(QString::fromLatin1(text)))
                numeric << QString::fromLatin1(text);
        }
        if (list)
            freeaddrinfo(list);
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->rc = rc;
        shared->numeric = numeric;
        shared->finished = true;
        shared->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return shared->finished; }))
        fail(E_DEVICE_UNREACHABLE, QStringLiteral("%1: cannot connect to %2: the name %3 was not found within %4 ms").arg(where, address, host).arg(timeoutMs));
    if (shared->rc != 0 || shared->numeric.isEmpty())
        fail(E_DEVICE_UNREACHABLE, QStringLiteral("%1: cannot connect to %2: %3").arg(where, address, QString::fromLocal8Bit(gai_strerror(shared->rc))));
    return shared->numeric;
}

bool isConnectionError(int error)
{
    return error != ETIMEDOUT && !(error > MODBUS_ENOBASE && error <= EMBBADSLAVE);
}

const char *const kFunctions[] = {
    nullptr, "read coils", "read discrete inputs", "read holding registers", "read input registers",
    "write single coil", "write single register", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, "write multiple coils", "write multiple registers",
};

} // namespace

QString functionName(int function)
{
    if (function > 0 && function < int(std::size(kFunctions)) && kFunctions[function])
        return QLatin1String(kFunctions[function]);
    return QString();
}

quint32 exceptionError(int code)
{
    switch (code) {
    case 1: return E_MODBUS_ILLEGAL_FUNCTION;
    case 2: return E_MODBUS_ILLEGAL_ADDRESS;
    case 3: return E_MODBUS_ILLEGAL_VALUE;
    case 4: return E_MODBUS_DEVICE_FAILURE;
    case 6: return E_MODBUS_BUSY;
    case 10: return E_MODBUS_GATEWAY_PATH;
    case 11: return E_MODBUS_GATEWAY_TARGET;
    }
    return E_MODBUS_EXCEPTION;
}

QString exceptionName(int code)
{
    switch (code) {
    case 1: return QStringLiteral("illegal function");
    case 2: return QStringLiteral("illegal data address");
    case 3: return QStringLiteral("illegal data value");
    case 4: return QStringLiteral("device failure");
    case 5: return QStringLiteral("acknowledge");
    case 6: return QStringLiteral("device busy");
    case 7: return QStringLiteral("negative acknowledge");
    case 8: return QStringLiteral("memory parity error");
    case 10: return QStringLiteral("gateway path unavailable");
    case 11: return QStringLiteral("gateway target failed to respond");
    }
    return QStringLiteral("unknown exception");
}

// ---- settings ----------------------------------------------------------------------------------

QString LinkSettings::address() const
{
    if (rtu)
        return device;
    return QStringLiteral("%1 port %2").arg(host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host).arg(port);
}

LinkSettings LinkSettings::parse(const QString &machineText, const QString &option, const QString &where)
{
    detail::Options o(option, where);
    LinkSettings s;
    const QString machine = machineText.trimmed();
    if (machine.isEmpty())
        fail(E_INVALID_ARG, QStringLiteral("%1: Zel.Modbus needs a machine: host, host:port, [IPv6 address]:port or a serial device path").arg(where));
    if (machine.startsWith(QLatin1Char('/'))) {
        s.rtu = true;
        s.device = machine;
    } else {
        QString port;
        if (machine.startsWith(QLatin1Char('['))) {
            const qsizetype close = machine.indexOf(QLatin1Char(']'));
            if (close < 0)
                fail(E_INVALID_ARG, QStringLiteral("%1: machine '%2' lacks the ']' of its IPv6 address").arg(where, machine));
            s.host = machine.mid(1, close - 1);
            const QString rest = machine.mid(close + 1);
            if (!rest.isEmpty()) {
                if (!rest.startsWith(QLatin1Char(':')))
                    fail(E_INVALID_ARG, QStringLiteral("%1: machine '%2': only ':port' may follow the ']'").arg(where, machine));
                port = rest.mid(1);
            }
        } else if (machine.count(QLatin1Char(':')) == 1) {
            s.host = machine.section(QLatin1Char(':'), 0, 0);
            port = machine.section(QLatin1Char(':'), 1);
        } else {
            s.host = machine; // a name, an IPv4 address or a bare IPv6 address
        }
        if (s.host.isEmpty())
            fail(E_INVALID_ARG, QStringLiteral("%1: machine '%2' names no host").arg(where, machine));
        if (!port.isNull()) {
            bool ok = false;
            s.port = port.toInt(&ok);
            if (!ok || s.port < 1 || s.port > 65535)
                fail(E_INVALID_ARG, QStringLiteral("%1: machine '%2': the port '%3' is not 1 to 65535").arg(where, machine, port));
        }
    }
    s.unit = o.integer("@UnitId", 1, 0, 255);
    s.timeoutMs = o.integer("@Timeout", 1000, 1, 60000);
    s.baud = o.integer("@Baud", 19200, 50, 4000000);
    const QString parity = o.text("@Parity", QStringLiteral("E")).toUpper();
    if (parity != QLatin1String("N") && parity != QLatin1String("E") && parity != QLatin1String("O"))
        fail(E_BAD_OPTION, QStringLiteral("Option @Parity of %1: '%2' is not N, E or O").arg(where, parity));
    s.parity = parity.at(0).toLatin1();
    s.dataBits = o.integer("@DataBits", 8, 5, 8);
    s.stopBits = o.integer("@StopBits", 1, 1, 2);
    return s;
}

// ---- the link ----------------------------------------------------------------------------------

Link::Link(LinkSettings settings) : m_settings(std::move(settings)) {}

Link::~Link()
{
    close();
}

void Link::close()
{
    if (m_ctx) {
        modbus_close(m_ctx);
        modbus_free(m_ctx);
        m_ctx = nullptr;
    }
}

void Link::setUp(bool up, const QString &reason)
{
    if (up == m_up)
        return;
    m_up = up;
    if (onState)
        onState(up, reason);
}

void Link::open(const QString &where)
{
    if (m_ctx)
        return;
    const LinkSettings &s = m_settings;
    const QString address = s.address();
    // A name may stand for several addresses (localhost: ::1 and 127.0.0.1); the first that
    // takes the connection is used.
    const QStringList targets = s.rtu ? QStringList{s.device} : resolve(s.host, s.timeoutMs, where, address);
    int error = 0;
    for (const QString &target : targets) {
        modbus_t *ctx = s.rtu ? modbus_new_rtu(target.toLocal8Bit().constData(), s.baud, s.parity, s.dataBits, s.stopBits)
                              : modbus_new_tcp_pi(target.toLatin1().constData(), QByteArray::number(s.port).constData());
        if (!ctx) {
            error = errno;
            continue;
        }
        modbus_set_slave(ctx, s.unit);
        // libmodbus bounds the TCP connect by the response timeout as well.
        modbus_set_response_timeout(ctx, uint32_t(s.timeoutMs / 1000), uint32_t(s.timeoutMs % 1000) * 1000);
        modbus_set_byte_timeout(ctx, uint32_t(s.timeoutMs / 1000), uint32_t(s.timeoutMs % 1000) * 1000);
        if (modbus_connect(ctx) == 0) {
            m_ctx = ctx;
            setUp(true, address);
            return;
        }
        error = errno;
        modbus_free(ctx);
    }
    QString reason = QString::fromLocal8Bit(modbus_strerror(error));
    if (error == EINPROGRESS || error == ETIMEDOUT)
        reason = QStringLiteral("no answer within %1 ms").arg(s.timeoutMs);
    const QString text = s.rtu ? QStringLiteral("%1: cannot open the serial device %2: %3").arg(where, address, reason)
                               : QStringLiteral("%1: cannot connect to %2: %3").arg(where, address, reason);
    setUp(false, text);
    fail(E_DEVICE_UNREACHABLE, text);
}

template <class F>
int Link::request(F &&f, int function, int address, const QString &where)
{
    open(where);
    ++m_requests;
    errno = 0;
    const int rc = f(m_ctx);
    if (rc == -1)
        failed(errno, function, address, where);
    return rc;
}

void Link::failed(int error, int function, int address, const QString &where)
{
    ++m_failures;
    const QString what = functionName(function).isEmpty()
        ? QStringLiteral("function %1").arg(function)
        : QStringLiteral("function %1 (%2)").arg(function).arg(functionName(function));
    const QString at = address >= 0 ? QStringLiteral(" at address %1").arg(address) : QString();
    if (error > MODBUS_ENOBASE && error <= EMBXGTAR) {
        const int code = error - MODBUS_ENOBASE;
        fail(exceptionError(code), QStringLiteral("%1: %2%3: %4 answered exception %5 (%6)")
                                       .arg(where, what, at, m_settings.address()).arg(code).arg(exceptionName(code)));
    }
    if (error == ETIMEDOUT) {
        // A late answer must not be taken for the next request's: start afresh.
        close();
        fail(E_DEVICE_TIMEOUT, QStringLiteral("%1: %2%3: %4 did not answer within %5 ms")
                                   .arg(where, what, at, m_settings.address()).arg(m_settings.timeoutMs));
    }
    const QString reason = QString::fromLocal8Bit(modbus_strerror(error));
    close();
    if (!isConnectionError(error))
        fail(E_DEVICE_RESPONSE, QStringLiteral("%1: %2%3: %4 sent a malformed response: %5").arg(where, what, at, m_settings.address(), reason));
    const QString text = QStringLiteral("%1: %2%3: the connection to %4 was lost: %5").arg(where, what, at, m_settings.address(), reason);
    setUp(false, text);
    fail(E_DEVICE_UNREACHABLE, text);
}

template <class T>
QList<T> Link::readTable(int (*read)(modbus_t *, int, int, T *), int function, int address, int count,
                         const QString &where)
{
    QList<T> items(count);
    request([&](modbus_t *ctx) { return read(ctx, address, count, items.data()); }, function, address, where);
    return items;
}

QList<quint16> Link::readRegisters(Table table, int address, int count, const QString &where)
{
    const bool input = table == Table::Input;
    return readTable<quint16>(input ? modbus_read_input_registers : modbus_read_registers, input ? 4 : 3, address,
                              count, where);
}

QList<bool> Link::readBits(Table table, int address, int count, const QString &where)
{
    const bool discrete = table == Table::Discrete;
    const QList<uint8_t> raw =
        readTable<uint8_t>(discrete ? modbus_read_input_bits : modbus_read_bits, discrete ? 2 : 1, address, count, where);
    QList<bool> bits;
    bits.reserve(count);
    for (uint8_t b : raw)
        bits << (b != 0);
    return bits;
}

void Link::writeRegisters(int address, const QList<quint16> &words, const QString &where)
{
    if (words.size() == 1)
        request([&](modbus_t *ctx) { return modbus_write_register(ctx, address, words[0]); }, 6, address, where);
    else
        request([&](modbus_t *ctx) { return modbus_write_registers(ctx, address, int(words.size()), words.constData()); }, 16, address, where);
}

void Link::writeBits(int address, const QList<bool> &bits, const QString &where)
{
    if (bits.size() == 1) {
        request([&](modbus_t *ctx) { return modbus_write_bit(ctx, address, bits[0] ? 1 : 0); }, 5, address, where);
        return;
    }
    QList<uint8_t> raw;
    for (bool b : bits)
        raw << (b ? 1 : 0);
    request([&](modbus_t *ctx) { return modbus_write_bits(ctx, address, int(raw.size()), raw.constData()); }, 15, address, where);
}

QByteArray Link::raw(const QByteArray &pdu, int timeoutMs, const QString &where)
{
    const int function = quint8(pdu.at(0));
    const int address = pdu.size() >= 3 ? (quint8(pdu[1]) << 8) | quint8(pdu[2]) : -1;
    QByteArray adu;
    adu.append(char(m_settings.unit)).append(pdu);
    uint8_t rsp[MODBUS_MAX_ADU_LENGTH];
    const bool shorter = timeoutMs > 0 && timeoutMs < m_settings.timeoutMs;
    open(where);
    if (shorter)
        modbus_set_response_timeout(m_ctx, uint32_t(timeoutMs / 1000), uint32_t(timeoutMs % 1000) * 1000);
    const int saved = m_settings.timeoutMs;
    if (shorter)
        m_settings.timeoutMs = timeoutMs; // for the description of a timeout
    int rc = -1;
    try {
        request([&](modbus_t *ctx) { return modbus_send_raw_request(ctx, reinterpret_cast<const uint8_t *>(adu.constData()), int(adu.size())); },
                function, address, where);
        rc = request([&](modbus_t *ctx) { return modbus_receive_confirmation(ctx, rsp); }, function, address, where);
        --m_requests; // one request, sent and answered
    } catch (...) {
        m_settings.timeoutMs = saved;
        if (m_ctx && shorter)
            modbus_set_response_timeout(m_ctx, uint32_t(saved / 1000), uint32_t(saved % 1000) * 1000);
        throw;
    }
    m_settings.timeoutMs = saved;
    if (shorter)
        modbus_set_response_timeout(m_ctx, uint32_t(saved / 1000), uint32_t(saved % 1000) * 1000);
    const int header = modbus_get_header_length(m_ctx);
    const int checksum = m_settings.rtu ? 2 : 0;
    if (!m_settings.rtu && rc >= 6) {
        // The header tells how long the answer is; libmodbus reads unknown functions short.
        const int declared = (rsp[4] << 8) | rsp[5];
        if (declared + 6 != rc) {
            close();
            fail(E_DEVICE_RESPONSE, QStringLiteral("%1: function %2: the answer of %3 has %4 bytes, but its header announces %5")
                                        .arg(where).arg(function).arg(m_settings.address()).arg(rc - 6).arg(declared));
        }
    }
    QByteArray answer(reinterpret_cast<const char *>(rsp) + header, rc - header - checksum);
    if (!answer.isEmpty() && (quint8(answer[0]) & 0x80) && answer.size() >= 2) {
        const int code = quint8(answer[1]);
        const QString at = address >= 0 ? QStringLiteral(" at address %1").arg(address) : QString();
        fail(exceptionError(code), QStringLiteral("%1: function %2%3: %4 answered exception %5 (%6)")
                                       .arg(where).arg(function).arg(at, m_settings.address()).arg(code).arg(exceptionName(code)));
    }
    return answer;
}

} // namespace zelmodbus
