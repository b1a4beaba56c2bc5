// The installed product: `cmake --install` into a temporary prefix, the layout it makes, the
// desktop entry, the installed programs started offscreen, where the installed program keeps
// its settings, Help > User's Guide of the installed copy, and the Debian package.
#include "guidetest.h"

#include <QStandardPaths>
#include <QSvgRenderer>
#include <unistd.h>

using namespace guidetest;

namespace {

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A settings file with one remembered controller and a line that only a person would add:
// ZelTester rewrites the file when it closes, and the extra line is gone then.
void seedSettings(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[rc9]\r\nProviderName=Zel.Virtual\r\nMachineName=m9\r\nOption=\r\nEventEnable=0\r\nNote=added by hand\r\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther);
}

// The file went through ZelTester (read at start, written at the end).
bool rewrittenByZelTester(const QString &path)
{
    const QString text = readText(path);
    return text.contains(QLatin1String("MachineName=m9")) && !text.contains(QLatin1String("Note="));
}

bool untouched(const QString &path)
{
    return readText(path).contains(QLatin1String("Note=added by hand"));
}

void openUp(const QString &path, QFile::Permissions extra)
{
    QFile::setPermissions(path, QFile::permissions(path) | extra);
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_prefix;

    QString installed(const QString &relative) const { return m_prefix + QLatin1Char('/') + relative; }

    // The environment of an installed program started offscreen with its own settings.
    QProcessEnvironment offscreen(const QString &config) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ZELTESTER_QUIT_WHEN_READY"), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("HOME"), config);
        env.insert(QStringLiteral("ZELTESTER_REGISTRY"), config + QStringLiteral("/registry.ini"));
        return env;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_prefix = m_root.filePath(QStringLiteral("prefix"));
        Result r = runProcess(QStringLiteral(ZEL_CMAKE_COMMAND),
                       {QStringLiteral("--install"), QStringLiteral(ZEL_BINARY_DIR), QStringLiteral("--prefix"), m_prefix});
        QVERIFY2(r.code == 0, qPrintable(r.all()));
    }

    void layout()
    {
        QVERIFY(QFileInfo(installed(QStringLiteral("bin/ZelTester"))).isExecutable());
#ifdef ZEL_ZELSCRIPT
        QVERIFY(QFileInfo(installed(QStringLiteral("bin/zelscript"))).isExecutable());
#endif
        // The guide is the one the build made, byte for byte.
        QFile built(QStringLiteral(ZEL_GUIDE_PDF)), guide(installed(QStringLiteral("share/zeltester/Doc/ZelTester_UsersGuide_en.pdf")));
        QVERIFY(built.open(QIODevice::ReadOnly) && guide.open(QIODevice::ReadOnly));
        QVERIFY(built.readAll() == guide.readAll());
        for (const QString &example : {QStringLiteral("zel-virtual.xml"), QStringLiteral("zel-virtual-restricted.xml"), QStringLiteral("zel-modbus.xml"),
                                       QStringLiteral("cell.map"), QStringLiteral("cell-session.vbs")})
            QVERIFY2(QFileInfo(installed(QStringLiteral("share/zeltester/examples/") + example)).isFile(), qPrintable(example));
        QVERIFY(QFileInfo(installed(QStringLiteral("share/doc/zeltester/README.md"))).isFile());
        // Nothing of the build's tests, benchmarks or tools.
        QCOMPARE(QDir(installed(QStringLiteral("bin"))).entryList(QDir::Files | QDir::NoDotAndDotDot).filter(QStringLiteral("tst_")),
                 QStringList());
        QVERIFY(!QFileInfo::exists(installed(QStringLiteral("bin/guideshots"))));
    }

    // The desktop entry starts the installed program by its full path and names an icon that
    // the icon theme finds.
    void desktopEntry()
    {
        const QString entryPath = installed(QStringLiteral("share/applications/zeltester.desktop"));
        const QString entry = readText(entryPath);
        QVERIFY2(entry.contains(QStringLiteral("\nExec=") + installed(QStringLiteral("bin/ZelTester")) + QLatin1Char('\n')), qPrintable(entry));
        QVERIFY(entry.contains(QLatin1String("\nIcon=zeltester\n")));
        QSvgRenderer icon(installed(QStringLiteral("share/icons/hicolor/scalable/apps/zeltester.svg")));
        QVERIFY(icon.isValid());
        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validate.isEmpty()) {
            Result r = runProcess(validate, {entryPath});
            QVERIFY2(r.code == 0 && r.all().trimmed().isEmpty(), qPrintable(r.all()));
        }
    }

    void installedProgramsStart()
    {
        QTemporaryDir config;
        Result r = runProcess(installed(QStringLiteral("bin/ZelTester")), {QStringLiteral("--version")});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.startsWith(QStringLiteral("ZelTester ") + version() + QLatin1Char('\n')), qPrintable(r.out));
#ifdef ZEL_ZELSCRIPT
        r = runProcess(installed(QStringLiteral("bin/zelscript")), {QStringLiteral("--version")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("zelscript ") + version());
#endif
        r = runProcess(installed(QStringLiteral("bin/zelmodbus-sim")), {QStringLiteral("--version")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("zelmodbus-sim ") + version());
        // The whole start-up, to "Ready", and a clean end; the registry switch names the
        // installed program's directory.
        r = runProcess(installed(QStringLiteral("bin/ZelTester")), {QStringLiteral("-UseReg")}, offscreen(config.path()));
        QVERIFY2(r.code == 0, qPrintable(r.all()));
        QVERIFY2(r.out.contains(QLatin1String("ZelTester: Ready\n")), qPrintable(r.all()));
        QVERIFY(readText(config.filePath(QStringLiteral("registry.ini"))).contains(QStringLiteral("AppPath=sz:") + installed(QStringLiteral("bin"))));
    }

    // ZelTester.ini lies beside the program while the program's directory can be written;
    // when it cannot, in the user's config directory.
    void settingsFile()
    {
        QTemporaryDir config;
        const QString beside = installed(QStringLiteral("bin/ZelTester.ini"));
        const QString inConfig = config.filePath(QStringLiteral("ZelTester/ZelTester.ini"));
        seedSettings(beside);
        seedSettings(inConfig);
        Result r = runProcess(installed(QStringLiteral("bin/ZelTester")), {}, offscreen(config.path()));
        QVERIFY2(r.code == 0 && r.out.contains(QLatin1String("ZelTester: Ready")), qPrintable(r.all()));
        QVERIFY(rewrittenByZelTester(beside));
        QVERIFY(untouched(inConfig));

        // A directory the user cannot write: as root, the program runs as nobody (root may
        // write anywhere); otherwise the directory loses its write permission.
        seedSettings(beside);
        QStringList command = {installed(QStringLiteral("bin/ZelTester"))};
        const QFile::Permissions binPermissions = QFile::permissions(installed(QStringLiteral("bin")));
        if (geteuid() == 0) {
            const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
            if (setpriv.isEmpty())
                QSKIP("running as root without setpriv: cannot run the program as another user");
            command = QStringList{setpriv, QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                  QStringLiteral("--clear-groups"), installed(QStringLiteral("bin/ZelTester"))};
            for (const QString &dir : {m_root.path(), m_prefix, installed(QStringLiteral("bin"))})
                openUp(dir, QFile::ExeOther | QFile::ReadOther);
            for (const QString &dir : {config.path(), config.filePath(QStringLiteral("ZelTester"))})
                openUp(dir, QFile::ExeOther | QFile::ReadOther | QFile::WriteOther);
        } else {
            QFile::setPermissions(installed(QStringLiteral("bin")), binPermissions & ~(QFile::WriteOwner | QFile::WriteUser));
        }
        r = runProcess(command.takeFirst(), command, offscreen(config.path()));
        QFile::setPermissions(installed(QStringLiteral("bin")), binPermissions);
        QVERIFY2(r.code == 0 && r.out.contains(QLatin1String("ZelTester: Ready")), qPrintable(r.all()));
        QVERIFY(untouched(beside));
        QVERIFY(rewrittenByZelTester(inConfig));
        QFile::remove(beside);
    }

    // Help > User's Guide of an installed copy opens share/zeltester/Doc/... of its prefix.
    void helpOpensTheInstalledGuide()
    {
        QTemporaryDir dir;
        guidetest::FakeOpener opener(dir.filePath(QStringLiteral("opener")));
        QCOMPARE(guidetest::openGuideFrom(installed(QStringLiteral("bin")), opener),
                 installed(QStringLiteral("share/zeltester/Doc/ZelTester_UsersGuide_en.pdf")));
    }

    // The Debian package: its control data, its files, and the program it unpacks, started.
    void debianPackage()
    {
        const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
        const QString cpack = QFileInfo(QStringLiteral(ZEL_CMAKE_COMMAND)).absolutePath() + QStringLiteral("/cpack");
        if (dpkgDeb.isEmpty() || !QFileInfo(cpack).isExecutable())
            QSKIP("no dpkg-deb or cpack here");
        QTemporaryDir out;
        Result r = runProcess(cpack, {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path(), QStringLiteral("--config"),
                               QStringLiteral(ZEL_BINARY_DIR "/CPackConfig.cmake")});
        QVERIFY2(r.code == 0, qPrintable(r.all()));
        const QStringList debs = QDir(out.path()).entryList({QStringLiteral("zeltester_*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = out.filePath(debs.constFirst());
        QVERIFY2(debs.constFirst().startsWith(QStringLiteral("zeltester_") + version() + QLatin1Char('_')), qPrintable(deb));

        // The libraries it needs on a fresh machine are its dependencies.
        r = runProcess(dpkgDeb, {QStringLiteral("--field"), deb, QStringLiteral("Depends")});
        QCOMPARE(r.code, 0);
        for (const char *package : {"libqt6widgets6", "libqt6svg6", "qt6-qpa-plugins"})
            QVERIFY2(r.out.contains(QLatin1String(package)), package);

        // Unpacked into a scratch root: the entry names /usr/bin/ZelTester, and the program
        // there starts and finds its guide below /usr/share.
        const QString root = out.filePath(QStringLiteral("root"));
        r = runProcess(dpkgDeb, {QStringLiteral("-x"), deb, root});
        QVERIFY2(r.code == 0, qPrintable(r.all()));
        QVERIFY(readText(root + QStringLiteral("/usr/share/applications/zeltester.desktop")).contains(QLatin1String("\nExec=/usr/bin/ZelTester\n")));
        QTemporaryDir config;
        r = runProcess(root + QStringLiteral("/usr/bin/ZelTester"), {}, offscreen(config.path()));
        QVERIFY2(r.code == 0 && r.out.contains(QLatin1String("ZelTester: Ready")), qPrintable(r.all()));
        QCOMPARE(usersGuidePath(root + QStringLiteral("/usr/bin"), false),
                 root + QStringLiteral("/usr/share/zeltester/Doc/ZelTester_UsersGuide_en.pdf"));
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
