// Modbus servers for the Zel.Modbus tests, started by the tests themselves on free loopback
// ports (or on a socat pseudo-terminal pair) and stopped by them: zelmodbus-sim, and pymodbus as
// an independent implementation. Every wait is bounded.
#pragma once

#include "providers/providers.h"
#include "zel/engine.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace modbustest {

inline QString sourceDir()
{
    return qEnvironmentVariable("ZEL_TEST_SOURCE_DIR");
}

// A TCP port on 127.0.0.1 that nothing listens on right now.
inline int freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

// A program the test runs in the background; its output is read line by line.
class Server {
public:
    Server() = default;
    Server(const Server &) = delete;
    ~Server() { stop(); }

    bool start(const QString &program, const QStringList &args)
    {
        m_lines.clear();
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::SeparateChannels);
        m_process->start(program, args);
        return m_process->waitForStarted(5000);
    }

    // The next line of standard output within the time, or a null text.
    QString readLine(int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_process->canReadLine()) {
            if (deadline.hasExpired() || m_process->state() == QProcess::NotRunning) {
                qWarning("server: no line; stderr: %s", m_process->readAllStandardError().constData());
                return QString();
            }
            m_process->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        }
        return QString::fromUtf8(m_process->readLine()).trimmed();
    }

    // Sends one command line and returns the answer line.
    QString command(const QString &line)
    {
        m_process->write(line.toUtf8() + '\n');
        m_process->waitForBytesWritten(5000);
        return readLine();
    }

    void stop()
    {
        if (!m_process || m_process->state() == QProcess::NotRunning)
            return;
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }

    bool running() const { return m_process && m_process->state() == QProcess::Running; }

protected:
    std::unique_ptr<QProcess> m_process;
    QStringList m_lines;
};

// zelmodbus-sim on a map, over TCP on a free loopback port (or the port given), or on a serial
// device.
class Simulator : public Server {
public:
    bool startTcp(const QString &map, int port = 0)
    {
        if (!start(QStringLiteral(ZELMODBUS_SIM_EXE), {QStringLiteral("--map"), map, QStringLiteral("--port"), QString::number(port)}))
            return false;
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(" port (\\d+) ")).match(readLine());
        m_port = m.hasMatch() ? m.captured(1).toInt() : 0;
        return m_port > 0;
    }

    bool startSerial(const QString &map, const QString &device, const QStringList &more = {})
    {
        if (!start(QStringLiteral(ZELMODBUS_SIM_EXE), QStringList{QStringLiteral("--map"), map, QStringLiteral("--serial"), device} + more))
            return false;
        return readLine().startsWith(QLatin1String("zelmodbus-sim: serving"));
    }

    int port() const { return m_port; }
    QString machine() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

private:
    int m_port = 0;
};

// pymodbus_server.py: 1000 zeros in every table; set, get, fail and broken on standard input.
class PyServer : public Server {
public:
    bool startTcp()
    {
        m_port = freePort();
        return begin({QStringLiteral("--port"), QString::number(m_port)});
    }

    bool startSerial(const QString &device) { return begin({QStringLiteral("--serial"), device}); }

    int port() const { return m_port; }
    QString machine() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

private:
    bool begin(const QStringList &args)
    {
        const QString script = sourceDir() + QStringLiteral("/tests/modbus/pymodbus_server.py");
        // Debian's interpreter, which has pymodbus; another python3 may come first on PATH.
        return start(QStringLiteral("/usr/bin/python3"), QStringList{script} + args) && readLine(20000) == QLatin1String("ready");
    }

    int m_port = 0;
};

// A pair of connected pseudo-terminals (socat): two serial devices talking to each other.
class SerialPair : public Server {
public:
    bool open(const QString &dir)
    {
        m_a = dir + QStringLiteral("/ttyA");
        m_b = dir + QStringLiteral("/ttyB");
        if (!start(QStringLiteral("socat"), {QStringLiteral("-d"), QStringLiteral("-d"),
                                             QStringLiteral("pty,raw,echo=0,link=") + m_a, QStringLiteral("pty,raw,echo=0,link=") + m_b}))
            return false;
        QDeadlineTimer deadline(10000);
        while (!(QFileInfo::exists(m_a) && QFileInfo::exists(m_b))) {
            if (deadline.hasExpired() || !running())
                return false;
            m_process->waitForReadyRead(50); // socat reports each terminal on stderr as it opens it
        }
        return true;
    }

    QString a() const { return m_a; }
    QString b() const { return m_b; }

private:
    QString m_a, m_b;
};

inline void registerOnce()
{
    static bool done = false;
    if (!done)
        zelproviders::registerProviders();
    done = true;
}

// Writes a text file into the directory and returns its path.
inline QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
    return path;
}

} // namespace modbustest
