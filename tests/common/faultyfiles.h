// A failing disk and files that are not regular files, for the tests of saving. Header only,
// so that the engine's and the mapper's tests can use it without the program's libraries.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

// A file's bytes (empty when it cannot be read), and a file written with bytes.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// While it lives, no file of this process can grow beyond the limit: a write that would cross
// it writes what fits and the next one fails, as on a full disk (what `ulimit -f` does to a
// program; SIGXFSZ is ignored so that the failing write returns instead of ending the test).
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit small = m_saved;
        small.rlim_cur = rlim_t(bytes);
        m_active = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = SIG_DFL;
    bool m_active = false;
};

// The same for a program the test starts, as `ulimit -f` does in a shell: for
// QProcess::setChildProcessModifier, which runs it in the child before the program starts.
inline std::function<void()> childFileSizeLimit(qint64 bytes)
{
    return [bytes] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
        setrlimit(RLIMIT_FSIZE, &limit);
    };
}

// Files that are not regular files, made in dir: a named pipe, a socket, a link to the pipe,
// and a character device like /dev/null where the system lets this process make one. Each
// with a word that names it in messages.
struct SpecialFile {
    QString what;
    QString path;
};

inline QList<SpecialFile> makeSpecialFiles(const QString &dir)
{
    QList<SpecialFile> files;
    const QString fifo = dir + QStringLiteral("/pipe.out");
    if (mkfifo(QFile::encodeName(fifo).constData(), 0644) == 0)
        files.append({QStringLiteral("named pipe"), fifo});
    const QString socketPath = dir + QStringLiteral("/socket.out");
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(socketPath);
    if (fd >= 0 && size_t(name.size()) < sizeof(address.sun_path)) {
        std::copy(name.begin(), name.end(), address.sun_path);
        if (bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0)
            files.append({QStringLiteral("socket"), socketPath});
    }
    if (fd >= 0)
        close(fd);
    const QString link = dir + QStringLiteral("/link-to-pipe.out");
    if (!files.isEmpty() && files.first().what == QLatin1String("named pipe") && QFile::link(fifo, link))
        files.append({QStringLiteral("link to a named pipe"), link});
    const QString device = dir + QStringLiteral("/null.out");
    if (mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        files.append({QStringLiteral("character device"), device});
    return files;
}

// True while path is still what makeSpecialFiles made (not replaced by a regular file).
inline bool isStillSpecial(const SpecialFile &file)
{
    struct stat st {};
    if (stat(QFile::encodeName(file.path).constData(), &st) != 0)
        return false;
    return !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}
