// The command line of the built program, run as a user runs it: --help and --version without
// any display, the registry switch in its old forms, ignored words, and the smoke-test exit
// after the start-up.
#include "testsupport.h"

#include "shell/IniFile.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct Result {
    int code = -1;
    QString out;
    QString err;
};

// Runs the built ZelTester with the arguments; env entries replace or (with an empty value)
// remove variables of the test's environment.
Result runProgram(const QStringList &arguments, const QList<QPair<QString, QString>> &env = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : env) {
        if (value.isNull())
            environment.remove(name);
        else
            environment.insert(name, value);
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZEL_PROGRAM), arguments);
    Result r;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return r;
    }
    r.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(process.readAllStandardError());
    return r;
}

// A terminal without a window system: no display, no platform chosen.
const QList<QPair<QString, QString>> kNoDisplay = {{QStringLiteral("DISPLAY"), QString()},
                                                   {QStringLiteral("WAYLAND_DISPLAY"), QString()},
                                                   {QStringLiteral("QT_QPA_PLATFORM"), QString()}};

// Only the lines that are ZelTester's own (Qt's platform notes go to the same stream).
QStringList ownLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (line.startsWith(QLatin1String("ZelTester")))
            lines << line;
    return lines;
}

QString version()
{
    return QStringLiteral("%1.%2.%3").arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH);
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void helpAndVersionNeedNoDisplay()
    {
        for (const QString &word : {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("-help"), QStringLiteral("-?")}) {
            Result r = runProgram({word}, kNoDisplay);
            QVERIFY2(r.code == 0, qPrintable(word + QLatin1Char(' ') + r.err));
            QVERIFY2(r.out.startsWith(QLatin1String("Usage: ZelTester [-UseReg | /UseReg] [options]\n")), qPrintable(r.out));
            QVERIFY(r.out.contains(QLatin1String("-v, --version")));
            QVERIFY(r.out.contains(QLatin1String("ZelTester.ini")));
            QVERIFY(r.out.contains(QLatin1String("ZELTESTER_REGISTRY")));
            QCOMPARE(r.err, QString());
        }
        for (const QString &word : {QStringLiteral("--version"), QStringLiteral("-v")}) {
            Result r = runProgram({word}, kNoDisplay);
            QCOMPARE(r.code, 0);
            QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(lines.value(0), QStringLiteral("ZelTester ") + version());
            QVERIFY2(lines.value(1).startsWith(QStringLiteral("Zel engine ") + version()), qPrintable(r.out));
            QCOMPARE(r.err, QString());
        }
        // The registry switch in front does not hide a request for help.
        Result r = runProgram({QStringLiteral("/UseReg"), QStringLiteral("--version")}, kNoDisplay);
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("ZelTester ") + version() + QLatin1Char('\n')));
    }

    // The registry switch counts only as the first word, in any letter case, with - or /; the
    // program's directory as the platform reports it becomes AppPath. Other words are ignored,
    // but words that look like options are named.
    void registrySwitchAndIgnoredWords()
    {
        QTemporaryDir dir;
        const QString registry = dir.filePath(QStringLiteral("registry.ini"));
        const QString programDir = QFileInfo(QStringLiteral(ZEL_PROGRAM)).absolutePath();
        const QList<QPair<QString, QString>> env = {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
                                                    {QStringLiteral("ZELTESTER_QUIT_WHEN_READY"), QStringLiteral("1")},
                                                    {QStringLiteral("ZELTESTER_REGISTRY"), registry},
                                                    {QStringLiteral("XDG_CONFIG_HOME"), dir.path()}};
        auto appPath = [&registry]() {
            IniFile ini;
            ini.load(registry);
            return ini.value(QStringLiteral("HKEY_CLASSES_ROOT\\Software\\ZelTester"), QStringLiteral("AppPath")).value_or(QString());
        };

        for (const QString &word : {QStringLiteral("-UseReg"), QStringLiteral("/usereg"), QStringLiteral("-USEREG")}) {
            QFile::remove(registry);
            Result r = runProgram({word, QStringLiteral("more"), QStringLiteral("words")}, env);
            QCOMPARE(r.code, 0);
            QCOMPARE(ownLines(r.out), QStringList{QStringLiteral("ZelTester: Ready")});
            QCOMPARE(ownLines(r.err), QStringList());
            QCOMPARE(appPath(), QStringLiteral("sz:") + programDir);
        }

        QFile::remove(registry);
        Result r = runProgram({QStringLiteral("file.vbs"), QStringLiteral("-UseReg"), QStringLiteral("--bogus")}, env);
        QCOMPARE(r.code, 0);
        QCOMPARE(ownLines(r.out), QStringList{QStringLiteral("ZelTester: Ready")});
        QCOMPARE(ownLines(r.err), (QStringList{QStringLiteral("ZelTester: -UseReg counts only as the first word; ignored"),
                                               QStringLiteral("ZelTester: unknown option 'bogus' ignored (see ZelTester --help)")}));
        QCOMPARE(appPath(), QString());

        // Qt's own options are taken by Qt, not named as unknown.
        r = runProgram({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-style"), QStringLiteral("Fusion")},
                       env);
        QCOMPARE(r.code, 0);
        QCOMPARE(ownLines(r.err), QStringList());
    }

    void parsedWords()
    {
        CommandLine c = parseCommandLine({QStringLiteral("-UseReg"), QStringLiteral("--help")});
        QVERIFY(c.help);
        QVERIFY(!c.version);
        QVERIFY(c.warnings.isEmpty());
        c = parseCommandLine({QStringLiteral("/UseReg"), QStringLiteral("/other")});
        QVERIFY(!c.help && !c.version);
        QVERIFY(c.warnings.isEmpty()); // a slash word is a plain word, ignored quietly
        c = parseCommandLine({QStringLiteral("x"), QStringLiteral("-usereg"), QStringLiteral("--colour=red")});
        QCOMPARE(c.warnings.size(), 2);
        QVERIFY(c.warnings.at(0).contains(QLatin1String("first word")));
        QVERIFY(c.warnings.at(1).contains(QLatin1String("'colour'")));
        c = parseCommandLine({});
        QVERIFY(!c.help && !c.version && c.warnings.isEmpty());
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
