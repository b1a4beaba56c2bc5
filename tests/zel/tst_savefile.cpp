// The one routine behind every save of the programs: a failing disk keeps the old file whole
// and says so; folders, pipes, sockets and devices are refused and left as they were.
#include "zel/savefile.h"

#include "../common/faultyfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSaveFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replacesTheFileOrKeepsItWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"settings.ini"_s);
        const QByteArray old = "[RC1]\r\nProviderName=Zel.Virtual\r\n";
        QVERIFY(writeBytes(path, old));
        const QByteArray big(10000, 'x');

        // A disk that fills up half-way: the write comes back short, then fails.
        QString error;
        {
            FileSizeLimit limit(4096);
            QVERIFY(limit.active());
            QVERIFY(!zel::saveFile(path, big, &error));
        }
        QVERIFY2(error.startsWith(path + u": writing failed after 4096 of 10000 bytes ("_s), qPrintable(error));
        QVERIFY2(error.endsWith(u"); the file was left as it was"_s), qPrintable(error));
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList{u"settings.ini"_s});

        // A file that does not exist yet is not left behind half-written either.
        const QString fresh = dir.filePath(u"fresh.log"_s);
        {
            FileSizeLimit limit(100);
            QVERIFY(!zel::saveFile(fresh, big, &error));
        }
        QVERIFY(!QFileInfo::exists(fresh));

        // With room the file is replaced; through a link, the link's target is.
        QVERIFY(zel::saveFile(path, big, &error));
        QCOMPARE(fileBytes(path), big);
        const QString link = dir.filePath(u"link.ini"_s);
        QVERIFY(QFile::link(path, link));
        QVERIFY(zel::saveFile(link, "new", &error));
        QCOMPARE(fileBytes(path), QByteArray("new"));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(zel::saveFile(dir.filePath(u"empty"_s), QByteArray(), &error));
        QVERIFY(QFileInfo(dir.filePath(u"empty"_s)).isFile());
    }

    void refusesWhatIsNoRegularFile()
    {
        QTemporaryDir dir;
        const QList<SpecialFile> specials = makeSpecialFiles(dir.path());
        QVERIFY(specials.size() >= 3); // pipe, socket, link; a device where this process may make one
        for (const SpecialFile &special : specials) {
            QString error;
            QVERIFY2(!zel::saveFile(special.path, "data", &error), qPrintable(special.what));
            QCOMPARE(error, special.path + u": this is not a regular file (a device, a named pipe or a socket); nothing was saved"_s);
            QVERIFY2(isStillSpecial(special), qPrintable(special.what));
        }

        const QString folder = dir.filePath(u"folder"_s);
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        QString error;
        QVERIFY(!zel::saveFile(folder, "data", &error));
        QCOMPARE(error, folder + u": this is a folder; nothing was saved"_s);
        QVERIFY(QFileInfo(folder).isDir());

        const QString nowhere = dir.filePath(u"no/such/folder.txt"_s);
        QVERIFY(!zel::saveFile(nowhere, "data", &error));
        QVERIFY2(error.startsWith(nowhere + u": the file cannot be created ("_s), qPrintable(error));
        QVERIFY(!zel::saveFile(QString(), "data", &error));
        QCOMPARE(error, u"No file name was given"_s);
        QVERIFY(!zel::saveFile(folder, "data")); // the reason is optional
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
