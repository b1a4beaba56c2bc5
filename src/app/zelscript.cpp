// zelscript: runs a ZelScript file, as ZelTester records them, against a fresh Zel engine.
#include "providers/providers.h"
#include "script/statedump.h"
#include "script/zelscript.h"
#include "zel/engine.h"
#include "zel/savefile.h"

#include <QCoreApplication>
#include <QStringList>
#include <atomic>
#include <cmath>
#include <signal.h>
#include <cstdio>

namespace {

const char kHelp[] =
    "Usage: zelscript [OPTIONS] FILE\n"
    "\n"
    "Runs the Sub Main of a ZelScript file (as ZelTester's File > Export Script... writes\n"
    "them) against a fresh Zel engine. The script sees three objects: zel, the engine's\n"
    "built-in workspace; dbg, whose output prints one line; and DAT, the value converter\n"
    "with BstrFromVariant and VariantFromBstr. Controllers are added with the providers\n"
    "of ZelTester: Zel.Virtual (the built-in simulation) and Zel.Modbus (Modbus TCP and\n"
    "RTU devices; machine host[:port] or a serial device, options as in docs/modbus.md).\n"
    "\n"
    "Options:\n"
    "  --echo          print each statement (\"line N: text\") before running it\n"
    "  --quiet         do not print the lines of dbg.output\n"
    "  --state FILE    write the workspace's end state to FILE, one line per property\n"
    "  --timeout SECONDS  stop the script when it has run this long (no limit by default)\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "An error stops the script (unless On Error Resume Next is on) and is printed as\n"
    "FILE:LINE: error 0xNNNNNNNN: description. Syntax errors name the line and column\n"
    "before anything runs. The time limit and Ctrl+C stop the script before its next\n"
    "statement, whatever On Error Resume Next says, and name that statement's line.\n"
    "\n"
    "Exit status: 0 the script ran to its end; 1 an error stopped it; 2 it could not start\n"
    "(wrong options, a file that cannot be read, a syntax error).\n";

void writeLine(FILE *to, const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes += '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

void error(const QString &text)
{
    std::fflush(stdout);
    writeLine(stderr, text);
}

int usage(const QString &text)
{
    error(QStringLiteral("zelscript: ") + text);
    error(QStringLiteral("Try 'zelscript --help' for more information."));
    return 2;
}

// Ctrl+C asks the script to stop before its next statement; a second one ends the program at
// once, in case a statement does not return.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int)
{
    g_interrupted.store(true, std::memory_order_relaxed);
}

void catchInterrupt(bool on)
{
    // A program started with Ctrl+C ignored (in the background of a script) keeps ignoring it.
    struct sigaction before {};
    if (sigaction(SIGINT, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
        return;
    struct sigaction action {};
    action.sa_handler = on ? onInterrupt : SIG_DFL;
    action.sa_flags = on ? SA_RESETHAND : 0; // the first Ctrl+C only; the next one ends the program
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

// The value of an option written as "--name VALUE" or "--name=VALUE"; false when it is missing.
bool optionValue(const QStringList &args, qsizetype &i, const QString &name, QString *value)
{
    const QString &a = args[i];
    if (a.size() > name.size()) {
        *value = a.mid(name.size() + 1);
    } else if (i + 1 < args.size()) {
        *value = args[++i];
    }
    return !value->isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // the engine's events run on its loop
    QCoreApplication::setApplicationName(QStringLiteral("zelscript"));

    bool echo = false;
    bool quiet = false;
    qint64 timeLimitMs = 0;
    QString statePath;
    QString file;
    const QStringList args = QCoreApplication::arguments().mid(1);
    bool optionsDone = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!optionsDone && a.startsWith(QLatin1String("--"))) {
            if (a == QLatin1String("--")) {
                optionsDone = true;
            } else if (a == QLatin1String("--help")) {
                std::fputs(kHelp, stdout);
                return 0;
            } else if (a == QLatin1String("--version")) {
                std::printf("zelscript %d.%d.%d\n", ZEL_VERSION_MAJOR, ZEL_VERSION_MINOR, ZEL_VERSION_PATCH);
                return 0;
            } else if (a == QLatin1String("--echo")) {
                echo = true;
            } else if (a == QLatin1String("--quiet")) {
                quiet = true;
            } else if (a == QLatin1String("--state") || a.startsWith(QLatin1String("--state="))) {
                if (!optionValue(args, i, QStringLiteral("--state"), &statePath))
                    return usage(QStringLiteral("--state needs a file name"));
            } else if (a == QLatin1String("--timeout") || a.startsWith(QLatin1String("--timeout="))) {
                QString text;
                bool ok = optionValue(args, i, QStringLiteral("--timeout"), &text);
                const double seconds = ok ? text.toDouble(&ok) : 0.0;
                // Up to a year; a fraction of a second is allowed.
                if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > 366.0 * 24 * 3600)
                    return usage(QStringLiteral("--timeout needs a number of seconds greater than 0 (found '%1')").arg(text));
                timeLimitMs = std::max<qint64>(1, std::llround(seconds * 1000.0));
            } else {
                return usage(QStringLiteral("unknown option '%1'").arg(a));
            }
            continue;
        }
        if (!optionsDone && a.size() > 1 && a.startsWith(QLatin1Char('-')))
            return usage(QStringLiteral("unknown option '%1'").arg(a));
        if (!file.isEmpty())
            return usage(QStringLiteral("one script at a time ('%1' and '%2' given)").arg(file, a));
        file = a;
    }
    if (file.isEmpty())
        return usage(QStringLiteral("no script file given"));

    std::shared_ptr<zelscript::Program> program;
    try {
        program = zelscript::parse(zelscript::readScriptFile(file), file);
    } catch (const zelscript::ScriptError &e) {
        error(e.message());
        return 2;
    }

    zelproviders::registerProviders();
    auto engine = zel::ZelEngine::create();
    zel::ObjectPtr workspace = engine->workspaces()->at(0);

    zelscript::RunOptions options;
    options.timeLimitMs = timeLimitMs;
    options.stopRequest = &g_interrupted;
    catchInterrupt(true);
    if (!quiet)
        options.output = [](const QString &line) { writeLine(stdout, line); };
    if (echo)
        options.echo = [](int line, const QString &text) { writeLine(stdout, QStringLiteral("line %1: %2").arg(line).arg(text)); };
    zelscript::RunResult result = zelscript::run(*program, workspace, options);
    catchInterrupt(false);
    if (!result.ok)
        error(result.error.message());

    int status = result.ok ? 0 : 1;
    if (!statePath.isEmpty()) {
        const QByteArray text = zelscript::dumpState(workspace).join(QLatin1Char('\n')).toUtf8() + '\n';
        QString why;
        if (!zel::saveFile(statePath, text, &why)) {
            error(QStringLiteral("zelscript: the state was not written: %1").arg(why));
            status = 1;
        }
    }
    std::fflush(stdout);
    return status;
}
