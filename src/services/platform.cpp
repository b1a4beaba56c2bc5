#include "platform.h"

#include <QFileInfo>
#include <QProcess>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace platform {

namespace {
int g_normalNice = 0;
bool g_raised = false;
} // namespace

quint32 tickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return quint32(quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u);
}

int currentNice()
{
    errno = 0;
    return getpriority(PRIO_PROCESS, 0);
}

void setHighPriority(bool high)
{
    if (high && !g_raised) {
        g_normalNice = currentNice();
        g_raised = true;
        setpriority(PRIO_PROCESS, 0, g_normalNice - 10); // needs rights; ignored when refused
    } else if (!high && g_raised) {
        g_raised = false;
        setpriority(PRIO_PROCESS, 0, g_normalNice);
    }
}

void debugOutput(const QString &text)
{
    QByteArray line = text.toLocal8Bit();
    line += '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

bool openDocument(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    qint64 pid = 0;
    bool started = QProcess::startDetached(QStringLiteral("xdg-open"), {path}, QString(), &pid);
    if (!started)
        debugOutput(QStringLiteral("clsShowGuide.ShellStart - %1").arg(errno));
    return started;
}

} // namespace platform
