// ZelTester.ini as the real program meets it: a file it cannot read stops the start with the
// message on standard error too (and a smoke test does not wait for a click), and a disk that
// fills up while the program saves at exit leaves the old file whole and says so.
#include "faultyfiles.h"
#include "guidetest.h"


using namespace guidetest;

namespace {

// A copy of the program in a folder of its own, so that its ZelTester.ini lies there.
QString copyProgram(const QTemporaryDir &dir)
{
    QDir(dir.path()).mkdir(QStringLiteral("bin"));
    const QString copy = dir.filePath(QStringLiteral("bin/ZelTester"));
    if (!QFile::copy(QStringLiteral(ZEL_PROGRAM), copy))
        return QString();
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return copy;
}

QProcessEnvironment smokeTest(const QTemporaryDir &dir)
{
    return environment({{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
                        {QStringLiteral("ZELTESTER_QUIT_WHEN_READY"), QStringLiteral("1")},
                        {QStringLiteral("ZELTESTER_REGISTRY"), dir.filePath(QStringLiteral("registry.ini"))},
                        {QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config"))},
                        {QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache"))}});
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void unreadableFileStopsTheStartOnStandardErrorToo()
    {
        QTemporaryDir dir;
        const QString program = copyProgram(dir);
        QVERIFY(!program.isEmpty());
        const QString ini = dir.filePath(QStringLiteral("bin/ZelTester.ini"));
        QVERIFY(writeBytes(ini, "[RC1]\r\nProviderName=Zel.Virtual\r\n"));
        const Result r = runProcess(program, {}, smokeTest(dir), 60000);
        QCOMPARE(r.code, 1); // ended by itself, without a click on the message box
        QVERIFY2(r.err.contains(QStringLiteral("ZelTester: Section [RC1] of the settings file %1 has no numeric EventEnable value "
                                               "(found \"\")\n")
                                    .arg(ini)),
                 qPrintable(r.err));
        QVERIFY(!r.out.contains(QStringLiteral("Ready")));
        QCOMPARE(fileBytes(ini), QByteArray("[RC1]\r\nProviderName=Zel.Virtual\r\n"));
    }

    // As `ulimit -f 2` does to a program started from a shell: files cannot grow beyond 2048
    // bytes, and the write that would cross the limit fails instead of ending the program.
    void fullDiskAtExitKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString program = copyProgram(dir);
        QVERIFY(!program.isEmpty());
        const QString ini = dir.filePath(QStringLiteral("bin/ZelTester.ini"));
        QByteArray ten;
        for (int i = 1; i <= 10; ++i) {
            ten += QStringLiteral("[Robot cell controller %1]\r\nProviderName=Zel.Virtual\r\nMachineName=cell-%1.assembly-line-4.plant.example\r\n"
                                  "Option=@EventDisable=true,@MessageInterval=1000,@MessageBurst=3,@MessageLimit=100,@Timeout=5000\r\n"
                                  "EventEnable=%2\r\n")
                       .arg(i)
                       .arg(i % 2)
                       .toUtf8();
        }
        QVERIFY(ten.size() > 2048);
        QVERIFY(writeBytes(ini, ten));

        QProcess p;
        p.setProcessEnvironment(smokeTest(dir));
        p.setChildProcessModifier(childFileSizeLimit(2048));
        p.start(program, {});
        QVERIFY(p.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(err.contains(QStringLiteral("ZelTester: the remembered controllers were not saved: %1: writing failed after 2048 of "
                                             "%2 bytes (")
                                  .arg(ini)
                                  .arg(ten.size())),
                 qPrintable(err));
        QCOMPARE(fileBytes(ini), ten);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("bin"))).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("ZelTester"), QStringLiteral("ZelTester.ini")}));

        // With room again, the same program saves the same file.
        const Result r = runProcess(program, {}, smokeTest(dir), 60000);
        QCOMPARE(r.code, 0);
        QCOMPARE(fileBytes(ini), ten);
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
