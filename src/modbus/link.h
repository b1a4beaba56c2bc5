// One connection to a Modbus device over TCP or a serial line (RTU), through libmodbus. Every
// request is synchronous and bounded by the response timeout; so is opening the connection
// (name look-up and TCP connect included). A connection that fails is closed and opened again by
// the next request; the link reports losing and regaining it.
#pragma once

#include "codec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

struct _modbus;

namespace zelmodbus {

struct LinkSettings {
    bool rtu = false;
    QString host;          // TCP: a name, an IPv4 or an IPv6 address (without brackets)
    int port = 502;
    QString device;        // RTU: the serial device path
    int baud = 19200;
    char parity = 'E';
    int dataBits = 8;
    int stopBits = 1;
    int unit = 1;
    int timeoutMs = 1000;

    // "127.0.0.1 port 1502", "[::1] port 502", "/dev/ttyUSB0"
    QString address() const;
    // Reads the machine ("host", "host:port", "[v6]:port", "/dev/ttyUSB0") and the connection
    // keys of an option text (@UnitId, @Timeout, @Baud, @Parity, @DataBits, @StopBits); throws a
    // ZelError naming `where` when something is malformed.
    static LinkSettings parse(const QString &machine, const QString &option, const QString &where);
};

class Link {
public:
    explicit Link(LinkSettings settings);
    ~Link();
    Link(const Link &) = delete;
    Link &operator=(const Link &) = delete;

    const LinkSettings &settings() const { return m_settings; }
    bool isOpen() const { return m_ctx != nullptr; }
    bool isUp() const { return m_up; }

    // Opens the connection unless it is open; throws E_DEVICE_UNREACHABLE with `where`, the
    // address and the system's reason.
    void open(const QString &where);
    void close();

    // The requests; `where` starts the description of a failure ("get_Value: Speed").
    QList<quint16> readRegisters(Table table, int address, int count, const QString &where);
    QList<bool> readBits(Table table, int address, int count, const QString &where);
    void writeRegisters(int address, const QList<quint16> &words, const QString &where);
    void writeBits(int address, const QList<bool> &bits, const QString &where);
    // Sends one request PDU (function code and data) and returns the response PDU. timeoutMs
    // shortens the response timeout when it is shorter (0: the link's own).
    QByteArray raw(const QByteArray &pdu, int timeoutMs, const QString &where);

    // Called when the connection is lost (up false, with the reason) and when it is back.
    std::function<void(bool up, const QString &reason)> onState;

    qint32 requests() const { return m_requests; }
    qint32 failures() const { return m_failures; }

private:
    // Runs one request; on failure throws the ZelError for errno, closing the connection where
    // the failure leaves it in doubt.
    template <class F>
    int request(F &&f, int function, int address, const QString &where);
    // Reads count items of a table through read (a libmodbus read function) as request does.
    template <class T>
    QList<T> readTable(int (*read)(_modbus *, int, int, T *), int function, int address, int count,
                       const QString &where);
    [[noreturn]] void failed(int error, int function, int address, const QString &where);
    void setUp(bool up, const QString &reason);

    LinkSettings m_settings;
    _modbus *m_ctx = nullptr;
    bool m_up = true;
    qint32 m_requests = 0;
    qint32 m_failures = 0;
};

// The name of a function code ("read holding registers"); empty for codes it does not know.
QString functionName(int function);
// The ZelError number and the name of an exception code ("illegal data address").
quint32 exceptionError(int code);
QString exceptionName(int code);

} // namespace zelmodbus
