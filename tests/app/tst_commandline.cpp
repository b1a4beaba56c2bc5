// The command line of the built program, run as a user runs it: --help and --version without
// any display, the registry switch, ignored words, and the smoke-test exit after the start-up.
#include "guidetest.h"

using namespace guidetest;

namespace {

// Only the lines that are ZelTester's own (Qt's platform notes go to the same stream).
QStringList ownLines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).filter(QRegularExpression(QStringLiteral("^ZelTester")));
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A terminal without a window system: no display, no platform chosen.
    void helpAndVersionNeedNoDisplay()
    {
        const QProcessEnvironment noDisplay = environment(
            {{QStringLiteral("DISPLAY"), QString()}, {QStringLiteral("WAYLAND_DISPLAY"), QString()}, {QStringLiteral("QT_QPA_PLATFORM"), QString()}});
        for (const char *word : {"--help", "-?"}) {
            const Result r = runProcess(QStringLiteral(ZEL_PROGRAM), {QString::fromLatin1(word)}, noDisplay, 60000);
            QVERIFY2(r.code == 0 && r.err.isEmpty(), qPrintable(word + (u' ' + r.err)));
            QVERIFY2(r.out.startsWith(QLatin1String("Usage: ZelTester [-UseReg | /UseReg] [options]\n")), qPrintable(r.out));
            QVERIFY(r.out.contains(QLatin1String("-v, --version")) && r.out.contains(QLatin1String("ZELTESTER_REGISTRY")));
        }
        // The registry switch in front does not hide a request for the version.
        for (const QStringList &args : {QStringList{"--version"}, QStringList{"/UseReg", "-v"}}) {
            const Result r = runProcess(QStringLiteral(ZEL_PROGRAM), args, noDisplay, 60000);
            QCOMPARE(r.code, 0);
            const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(lines.value(0), QStringLiteral("ZelTester ") + version());
            QVERIFY2(lines.value(1).startsWith(QStringLiteral("Zel engine ") + version()), qPrintable(r.out));
        }
    }

    // The registry switch of the real program (its spellings are the main window test's table):
    // the program's directory as the platform reports it becomes AppPath; only as the first word.
    // Other words are ignored, but words that look like options are named; Qt's own are Qt's.
    void registrySwitchAndIgnoredWords()
    {
        QTemporaryDir dir;
        const QString registry = dir.filePath(QStringLiteral("registry.ini"));
        const QProcessEnvironment env = environment({{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
                                                     {QStringLiteral("ZELTESTER_QUIT_WHEN_READY"), QStringLiteral("1")},
                                                     {QStringLiteral("ZELTESTER_REGISTRY"), registry},
                                                     {QStringLiteral("XDG_CONFIG_HOME"), dir.path()}});
        auto appPath = [&registry]() {
            QFile f(registry);
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).section(QStringLiteral("AppPath="), 1).section(u'\r', 0, 0) : QString();
        };

        Result r = runProcess(QStringLiteral(ZEL_PROGRAM), {QStringLiteral("/usereg"), QStringLiteral("/other"), QStringLiteral("words")}, env);
        QCOMPARE(r.code, 0);
        QCOMPARE(ownLines(r.out), QStringList{QStringLiteral("ZelTester: Ready")});
        QCOMPARE(ownLines(r.err), QStringList()); // a slash word is a plain word, ignored quietly
        QCOMPARE(appPath(), QStringLiteral("sz:") + QFileInfo(QStringLiteral(ZEL_PROGRAM)).absolutePath());

        QFile::remove(registry);
        r = runProcess(QStringLiteral(ZEL_PROGRAM),
                       {QStringLiteral("file.vbs"), QStringLiteral("-UseReg"), QStringLiteral("--bogus"), QStringLiteral("-style"),
                        QStringLiteral("Fusion")},
                       env);
        QCOMPARE(r.code, 0);
        QCOMPARE(ownLines(r.out), QStringList{QStringLiteral("ZelTester: Ready")});
        QCOMPARE(ownLines(r.err), (QStringList{QStringLiteral("ZelTester: -UseReg counts only as the first word; ignored"),
                                               QStringLiteral("ZelTester: unknown option 'bogus' ignored (see ZelTester --help)")}));
        QCOMPARE(appPath(), QString());
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
