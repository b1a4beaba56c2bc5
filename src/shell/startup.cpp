#include "startup.h"

#include "frmMDI.h"
#include "panels/PanelFactory.h"
#include "panels/frmEngine.h"
#include "panels/frmWorkspace.h"
#include "services/clsRegKey.h"
#include "services/platform.h"
#include "tools/frmStatus.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>

namespace {

// The engine's class registration holds the default KSF definition of its built-in workspace.
const QString kEngineOptionKey = QStringLiteral("CLSID\\{3f1c9a2e-5b7d-4e08-9c61-7a2d4e8b0c15}\\Option");

QString withSlash(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

} // namespace

bool isInstalledLocation(const QString &programDir)
{
    // The package manager's folders, also for root, who could write there.
    const QFileInfo info(programDir);
    const QString real = info.canonicalFilePath();
    const QString dir = QDir::cleanPath(real.isEmpty() ? info.absoluteFilePath() : real) + QLatin1Char('/');
    return dir.startsWith(QLatin1String("/usr/")) || dir.startsWith(QLatin1String("/opt/"));
}

QString settingsDirFor(const QString &programDir)
{
    QFileInfo info(programDir);
    if (info.isDir() && info.isWritable() && !isInstalledLocation(programDir))
        return withSlash(programDir);
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ZelTester");
    QDir().mkpath(config);
    return withSlash(config);
}

void openFirstPanels(AppState &a, frmMDI &window)
{
    auto *engine = new frmEngine;
    engine->m_ZelObj = a.engine;
    engine->m_FormID = EngineFormId;
    a.enginePanel = engine;
    engine->load();
    window.setFixedNodes(engine->m_TreeNode, nullptr);
    engine->showPanel();

    a.workspaces = a.engine->invoke(QStringLiteral("Workspaces"), zel::CallKind::PropertyGet, {}).objectValue();
    auto *status = new frmStatus;
    status->m_ZelStatus = a.engine->invoke(QStringLiteral("EngineStatus"), zel::CallKind::PropertyGet, {}).objectValue();
    status->m_FormID = StatusFormId;
    status->m_ParentNode = engine->m_TreeNode;
    status->load();
    window.setFixedNodes(engine->m_TreeNode, status->m_TreeNode);

    QString ksfPath;
    clsRegKey key;
    if (key.OpenReg(reg::HKEY_CLASSES_ROOT, kEngineOptionKey, reg::KEY_READ) == reg::ERROR_SUCCESS) {
        zel::Value v;
        if (key.QueryValue(v, QStringLiteral("KSFFile")) == reg::ERROR_SUCCESS && v.isString())
            ksfPath = v.stringValue();
        key.CloseReg();
    }
    auto *ws = new frmWorkspace;
    ws->m_ZelObj = a.workspaces->invoke(QStringLiteral("Item"), zel::CallKind::PropertyGet, {zel::Value::fromI4(0)}).objectValue();
    ws->m_ZelObjs = a.workspaces;
    ws->m_KSFPath = ksfPath;
    ws->m_FormID = FirstWorkspaceFormId;
    ws->m_ParentNode = engine->m_TreeNode;
    ws->load();
    ws->showPanel();
    QCoreApplication::processEvents();
}

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
    a.lastFormId = FirstWorkspaceFormId;
    QString programDir = options.appDir.isEmpty() ? QCoreApplication::applicationDirPath() : options.appDir;
    a.programDir = withSlash(programDir);
    a.appDir = settingsDirFor(programDir);
    a.engineFactory = options.engineFactory;

    a.panelFactory = makePanel;

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
    if (!window->loadSequence([&a, window] { openFirstPanels(a, *window); }) || !a.engine) {
        delete window;
        a.host = nullptr;
        return;
    }
    m_window = window;
    m_window->restoreLayout();
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
        m_state->host = nullptr;
}

void ZelTesterRun::finish()
{
    if (m_finished || !m_state)
        return;
    m_finished = true;
    AppState &a = *m_state;
    a.workspaces.reset();
    a.engine.reset();
    // The window is gone by now: a failed save is reported on standard error.
    QString error;
    if (!a.preloaded.save(a.settingsFile(), &error))
        platform::debugOutput(QStringLiteral("ZelTester: the remembered controllers were not saved: %1").arg(error));
}

namespace {

const char kQuitWhenReady[] = "ZELTESTER_QUIT_WHEN_READY";

QString versionText()
{
    return QStringLiteral("%1.%2.%3").arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH);
}

void describeApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("ZelTester"));
    QCoreApplication::setApplicationVersion(versionText());
}

void print(FILE *stream, const QString &text)
{
    QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

bool quitWhenReady() { return qEnvironmentVariableIntValue(kQuitWhenReady) == 1; }

QString usersGuidePath(const QString &programDir, bool japanese)
{
    const QString english = QStringLiteral("ZelTester_UsersGuide_en.pdf");
    QStringList files;
    if (japanese)
        files << QStringLiteral("ZelTester_UsersGuide_ja.pdf");
    files << english;
    // The build tree and a copy unpacked as one folder keep the guide in Doc beside the
    // program's directory; an installed copy (bin/ZelTester) in share/zeltester/Doc.
    QDir parent(programDir);
    parent.cdUp();
    const QStringList dirs = {parent.absoluteFilePath(QStringLiteral("Doc")),
                              parent.absoluteFilePath(QStringLiteral("share/zeltester/Doc"))};
    for (const QString &file : files)
        for (const QString &dir : dirs)
            if (QFileInfo(dir + QLatin1Char('/') + file).isFile())
                return dir + QLatin1Char('/') + file;
    return dirs.constFirst() + QLatin1Char('/') + files.constFirst();
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine result;
    // The registry switch keeps its old form: the first word, "-UseReg" or "/UseReg", any
    // letter case. It never reaches the parser, which would read "-UseReg" as an option.
    QStringList words = arguments;
    if (ZelTesterRun::hasRegistrySwitch(words))
        words.removeFirst();
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")}));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("v"), QStringLiteral("version")}));
    parser.parse(QStringList{QStringLiteral("ZelTester")} + words);
    result.help = parser.isSet(QStringLiteral("help"));
    result.version = parser.isSet(QStringLiteral("version"));
    // Any other word is ignored, as it always was; a word that looks like an option is named,
    // so that a mistyped one does not go unnoticed. Qt's own options (-platform, -style...)
    // are gone from the list by the time the program looks at it.
    for (const QString &name : parser.unknownOptionNames()) {
        if (name.compare(QLatin1String("UseReg"), Qt::CaseInsensitive) == 0)
            result.warnings << QStringLiteral("ZelTester: -UseReg counts only as the first word; ignored");
        else
            result.warnings << QStringLiteral("ZelTester: unknown option '%1' ignored (see ZelTester --help)").arg(name);
    }
    return result;
}

QString commandLineHelp()
{
    return QStringLiteral(
               "Usage: ZelTester [-UseReg | /UseReg] [options]\n"
               "\n"
               "ZelTester %1: interactive test client for the Zel automation engine. It creates\n"
               "engine objects by hand, calls their operations with typed arguments, logs every\n"
               "request and result, and records the calls as a replayable script (zelscript).\n"
               "\n"
               "Options:\n"
               "  -UseReg, /UseReg   as the first word: store the program's directory as the\n"
               "                     registry value AppPath and let the script export propose the\n"
               "                     registry value ScriptPath\n"
               "  -h, --help         show this help and exit\n"
               "  -v, --version      show the version and exit\n"
               "  Qt's own options are accepted too, e.g. -platform offscreen, -style Fusion.\n"
               "\n"
               "Files:\n"
               "  ZelTester.ini      the remembered controllers, beside the program, or in\n"
               "                     $XDG_CONFIG_HOME/ZelTester (~/.config/ZelTester) when the\n"
               "                     program's directory cannot be written or lies below /usr\n"
               "                     or /opt (an installed copy)\n"
               "  registry.ini       the registry values (AppPath, ScriptPath, KSFFile), in\n"
               "                     $XDG_CONFIG_HOME/ZelTester\n"
               "  window.ini         the main window's size and panes, beside registry.ini\n"
               "  User's guide       Help > User's Guide opens ZelTester_UsersGuide_en.pdf from\n"
               "                     ../Doc or ../share/zeltester/Doc next to the program's directory\n"
               "\n"
               "Environment:\n"
               "  ZELTESTER_REGISTRY  another file for the registry values; window.ini goes\n"
               "                      beside it\n")
        .arg(versionText());
}

QString commandLineVersion()
{
    return QStringLiteral("ZelTester %1\nZel engine %1 with the Zel.Virtual provider; Qt %2 (built with %3)\n")
        .arg(versionText(), QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
}

int runZelTester(int argc, char *argv[], EngineFactory engineFactory)
{
    // --help and --version answer before any window system is needed (a terminal without a
    // display, a build machine).
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    CommandLine early = parseCommandLine(raw);
    if (early.help || early.version) {
        describeApplication();
        print(stdout, early.help ? commandLineHelp() : commandLineVersion());
        return 0;
    }

    QApplication application(argc, argv);
    describeApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("zeltester"));
    QStringList args = QApplication::arguments();
    args.removeFirst();
    for (const QString &warning : parseCommandLine(args).warnings)
        print(stderr, warning + QLatin1Char('\n'));

    ZelTesterRun run({args, std::move(engineFactory), QString()});
    if (!run.started())
        return 1;
    if (quitWhenReady()) {
        // For smoke tests of an installed copy: report the status text that the start-up
        // ended with, then close as the user would.
        QTimer::singleShot(0, run.window(), [&run] {
            auto *status = run.window()->findChild<QLabel *>(QStringLiteral("stbrMain_1"));
            print(stdout, QStringLiteral("ZelTester: %1\n").arg(status ? status->text() : QString()));
            run.window()->close();
        });
    }
    int code = application.exec();
    run.finish();
    return code;
}
