#include "startup.h"

#include "clsRegKey.h"
#include "frmMDI.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString withSlash(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

// The settings file lies beside the program; when that directory cannot be written, in the
// user's configuration directory instead.
QString settingsDirFor(const QString &programDir)
{
    QFileInfo info(programDir);
    if (info.isDir() && info.isWritable())
        return withSlash(programDir);
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ZelTester");
    QDir().mkpath(config);
    return withSlash(config);
}

} // namespace

bool ZelTesterRun::hasRegistrySwitch(const QStringList &arguments)
{
    QString line = arguments.join(QLatin1Char(' ')).trimmed();
    if (line.isEmpty())
        return false;
    QString first = line.split(QLatin1Char(' ')).constFirst();
    return first.compare(QLatin1String("-UseReg"), Qt::CaseInsensitive) == 0
           || first.compare(QLatin1String("/UseReg"), Qt::CaseInsensitive) == 0;
}

ZelTesterRun::ZelTesterRun(const StartOptions &options) : m_state(std::make_unique<AppState>())
{
    AppState &a = *m_state;
    a.lastFormId = 4;
    QString programDir = options.appDir.isEmpty() ? QCoreApplication::applicationDirPath() : options.appDir;
    a.appDir = settingsDirFor(programDir);
    a.engineFactory = options.engineFactory;

    if (hasRegistrySwitch(options.arguments)) {
        a.regKey = std::make_unique<clsRegKey>();
        // Failures here are not examined: the start goes on without the values.
        a.regKey->CreateKey(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software\\ZelTester"), reg::REG_OPTION_NON_VOLATILE,
                            reg::KEY_ALL_ACCESS);
        QString dir = programDir;
        while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
            dir.chop(1);
        a.regKey->SetValue(zel::Value::fromString(dir), QStringLiteral("AppPath"));
    }

    auto *window = new frmMDI;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!window->loadSequence() || !a.engine) {
        delete window;
        a.mdi = nullptr;
        return;
    }
    m_window = window;
    m_window->show();
}

ZelTesterRun::~ZelTesterRun()
{
    if (m_window) {
        m_state->scriptModified = false; // a run torn down by its owner asks nothing
        if (m_window->isVisible())
            m_window->close();
        finish();
        delete m_window;
        m_window = nullptr;
    }
    if (m_state)
        m_state->mdi = nullptr;
}

void ZelTesterRun::finish()
{
    if (m_finished || !m_state)
        return;
    m_finished = true;
    AppState &a = *m_state;
    a.workspaces.reset();
    a.engine.reset();
    a.preloaded.save(a.settingsFile());
}

int runZelTester(int argc, char *argv[], EngineFactory engineFactory)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZelTester"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3").arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH));
    QStringList args = QApplication::arguments();
    args.removeFirst();
    ZelTesterRun run({args, std::move(engineFactory), QString()});
    if (!run.started())
        return 1;
    int code = application.exec();
    run.finish();
    return code;
}
