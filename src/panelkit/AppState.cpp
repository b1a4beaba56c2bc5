#include "AppState.h"

#include "PanelHost.h"
#include "services/clsRegKey.h"
#include "zel/errors.h"

#include <QDir>
#include <QFileInfo>
#include <limits>

namespace {
AppState *g_app = nullptr;
}

AppState::AppState()
{
    Q_ASSERT(!g_app);
    g_app = this;
}

AppState::~AppState()
{
    if (g_app == this)
        g_app = nullptr;
}

qint32 AppState::nextFormId()
{
    if (lastFormId == std::numeric_limits<qint32>::max())
        throw zel::ZelError(zel::E_OVERFLOW, QStringLiteral("Overflow: no panel numbers are left"));
    return ++lastFormId;
}

bool AppState::recordScript(const QString &code, int retType, int style, const QString &arg)
{
    bool written = script.WriteZelScript(code, retType, style, arg);
    if (written)
        scriptModified = true;
    return written;
}

QString AppState::dialogFolder() const
{
    if (!programDir.isEmpty() && appDir == programDir)
        return programDir;
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        return lastFolder;
    return QDir::homePath();
}

void AppState::rememberFolderOf(const QString &path)
{
    if (!path.isEmpty())
        lastFolder = QFileInfo(path).absolutePath();
}

void AppState::status(const QString &text)
{
    if (host)
        host->WriteStatusBar(text);
}

AppState &app()
{
    Q_ASSERT(g_app);
    return *g_app;
}

bool hasApp()
{
    return g_app != nullptr;
}
