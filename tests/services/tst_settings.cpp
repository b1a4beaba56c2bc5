// Settings stores: the INI reader and writer behind clsProfile, the registry stand-in and the
// list of remembered controllers.
#include "services/IniFile.h"
#include "services/clsCtrlParameter.h"
#include "services/clsProfile.h"
#include "services/clsRegKey.h"
#include "zel/errors.h"

#include "../common/faultyfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using zel::Value;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

clsCtrlParameter record(const QString &name, const QString &provider = u"Zel.Virtual"_s, qint32 event = 0)
{
    clsCtrlParameter r;
    r.m_ControllerName = name;
    r.m_ProviderName = provider;
    r.m_MachineName = u"localhost"_s;
    r.m_OptionVal = u"Timeout=500"_s;
    r.m_EventDisable = event;
    return r;
}

// The exit save as it was made before it became one write: every section deleted and every
// key written through the profile functions, each a full rewrite of the file.
void saveKeyByKey(const PreloadedControllers &list, const QString &fileName)
{
    clsProfile profile;
    profile.setFileName(fileName);
    for (const QString &section : profile.GetSectNames())
        profile.DeleteSection(section);
    for (const clsCtrlParameter &rec : list.items()) {
        profile.WriteString(rec.m_ControllerName, u"ProviderName"_s, rec.m_ProviderName);
        profile.WriteString(rec.m_ControllerName, u"MachineName"_s, rec.m_MachineName);
        profile.WriteString(rec.m_ControllerName, u"Option"_s, rec.m_OptionVal);
        profile.WriteString(rec.m_ControllerName, u"EventEnable"_s, QString::number(rec.m_EventDisable));
    }
}

QStringList names(const PreloadedControllers &list)
{
    QStringList out;
    for (const clsCtrlParameter &r : list.items())
        out << r.m_ControllerName;
    return out;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    void writeFile(const char *name, const QByteArray &data)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    // A profile on the file of that name, written first when content is given.
    std::unique_ptr<clsProfile> profile(const char *name, const QByteArray &content = {})
    {
        if (!content.isNull())
            writeFile(name, content);
        auto p = std::make_unique<clsProfile>();
        p->setFileName(path(name));
        return p;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("ZELTESTER_REGISTRY", path("registry.ini").toLocal8Bit());
    }

    void defaultFileAndMissingFile()
    {
        QCOMPARE(clsProfile().FileName(), QCoreApplication::applicationDirPath() + u"/tst_settings.ini"_s);
        auto p = profile("none.ini");
        QVERIFY(p->GetSectNames().isEmpty());
        QCOMPARE(p->GetString(u"S"_s, u"K"_s, u"def"_s), u"def"_s);
        QCOMPARE(p->GetInt(u"S"_s, u"K"_s, 17), 17);
        QVERIFY(p->DeleteSection(u"S"_s));
        QVERIFY(!QFile::exists(path("none.ini")));
        // a file that cannot be written
        p->setFileName(path("no/such/dir/x.ini"));
        QVERIFY(!p->WriteString(u"S"_s, u"K"_s, u"v"_s));
    }

    void writingKeepsOrderCaseAndContent()
    {
        auto p = profile("order.ini");
        QVERIFY(p->WriteString(u"Zeta"_s, u"a"_s, u"1"_s));
        QVERIFY(p->WriteString(u"Alpha"_s, u"b"_s, u"2"_s));
        QVERIFY(p->WriteString(u"Zeta"_s, u"d"_s, u"4"_s));
        QCOMPARE(readFile(path("order.ini")), QByteArray("[Zeta]\r\na=1\r\nd=4\r\n[Alpha]\r\nb=2\r\n"));

        // An existing section and key are rewritten where they stand, spelled as before; comments,
        // blank lines, keys outside sections and lines without "=" stay.
        p = profile("keep.ini", "; settings\r\ntop=level\r\n\r\n[A]\r\n; about A\r\nk1=v1\r\nflag\r\n\r\n[B]\r\nk=v\r\n");
        QVERIFY(p->WriteString(u"A"_s, u"k2"_s, u"v2"_s));
        QVERIFY(p->WriteString(u"a"_s, u"K1"_s, u"new"_s));
        QVERIFY(p->WriteString(u"C"_s, u"k"_s, u"c"_s));
        QCOMPARE(readFile(path("keep.ini")),
                 QByteArray("; settings\r\ntop=level\r\n\r\n[A]\r\n; about A\r\nk1=new\r\nflag\r\nk2=v2\r\n\r\n[B]\r\nk=v\r\n[C]\r\nk=c\r\n"));
        QCOMPARE(p->GetSectNames(), (QStringList{"A", "B", "C"}));

        // LF files stay LF
        p = profile("lf.ini", "[A]\nk=v");
        QVERIFY(p->WriteString(u"B"_s, u"x"_s, u"y"_s));
        QCOMPARE(readFile(path("lf.ini")), QByteArray("[A]\nk=v\n[B]\nx=y\n"));
    }

    void readingEdgeCases()
    {
        static const char text[] = "; remembered\n\n  [ S ]  \n  Key One  =  spaced value  \nq1=\"quoted\"\nq3=\"mixed'\n"
                                   "q5=\"\nnoequals\n;c=comment\n=nameless\nk=first\nk=second\nn=xy\0z\n[s]\nk=third\n";
        auto p = profile("q.ini", QByteArray(text, sizeof text - 1));
        auto get = [&p](const char *key) { return p->GetString(u"S"_s, QLatin1String(key), u"<d>"_s); };
        QCOMPARE(p->GetSectNames(), (QStringList{"S", "s"}));
        // quotes only in pairs; the first of equal names wins; a value ends at NUL
        QStringList got;
        for (const char *key : {"Key One", "q1", "q3", "q5", "noequals", ";c", "", "k", "n"})
            got << get(key);
        QCOMPARE(got, (QStringList{"spaced value", "quoted", "\"mixed'", "\"", "<d>", "<d>", "nameless", "first", "xy"}));
        QCOMPARE(p->GetString(u"S"_s, u"none"_s, u"d"_s + QChar(0) + u"e"_s), u"d"_s);
        QVERIFY(p->WriteString(u"s"_s, u"K"_s, u"new"_s));
        QVERIFY(readFile(path("q.ini")).contains("k=new\nk=second\n"));

        p = profile("int.ini", "[S]\na=42\nb= -7 \nc=12abc\nd=abc\ne=\nf=99999999999\n");
        QList<int> ints;
        for (const char *key : {"a", "b", "c", "d", "e", "f", "missing"})
            ints << p->GetInt(u"S"_s, QLatin1String(key), -1);
        QCOMPARE(ints, (QList<int>{42, -7, 12, 0, 0, 2147483647, -1}));
    }

    void longValuesAndNul()
    {
        auto p = profile("long.ini");
        const QString exact(199998, QLatin1Char('e'));
        QVERIFY(p->WriteString(u"S"_s, u"exact"_s, exact));
        QVERIFY(p->WriteString(u"S"_s, u"longer"_s, exact + u"XYZ"_s));
        QCOMPARE(p->GetString(u"S"_s, u"exact"_s, QString()), exact);
        QCOMPARE(p->GetString(u"S"_s, u"longer"_s, QString()), exact); // the read buffer's limit
        QVERIFY(readFile(path("long.ini")).contains("eXYZ")); // the file keeps the whole value
        QVERIFY(p->WriteString(u"S"_s, u"K"_s, u"ab"_s + QChar(0) + u"cd"_s));
        QCOMPARE(p->GetString(u"S"_s, u"K"_s, QString()), u"ab"_s);
        QVERIFY(!readFile(path("long.ini")).contains("cd"));
    }

    void deleteKeyAndSection()
    {
        auto p = profile("del.ini", "[A]\na=1\nb=2\n[B]\n; B's comment\nc=3\n[C]\nd=4\n");
        QVERIFY(p->DeleteKey(u"a"_s, u"A"_s));
        QVERIFY(p->DeleteSection(u"b"_s));
        QVERIFY(p->DeleteSection(u"missing"_s));
        QCOMPARE(readFile(path("del.ini")), QByteArray("[A]\nb=2\n[C]\nd=4\n"));
    }

    void registryKeys()
    {
        QCOMPARE(clsRegKey::StorePath(), path("registry.ini"));
        clsRegKey key;
        Value v;
        QCOMPARE(key.QueryValue(v, u"x"_s), reg::ERROR_INVALID_HANDLE);
        QCOMPARE(key.OpenReg(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, reg::KEY_READ), reg::ERROR_FILE_NOT_FOUND);
        quint32 disposition = 0;
        QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, 0, reg::KEY_ALL_ACCESS, &disposition), 0);
        QCOMPARE(disposition, reg::REG_CREATED_NEW_KEY);
        QCOMPARE(key.SetValue(Value::fromString(u"/opt/zeltester"_s), u"AppPath"_s), 0);
        QCOMPARE(readFile(path("registry.ini")), QByteArray("[HKEY_CLASSES_ROOT\\Software\\ZelTester]\r\nAppPath=sz:/opt/zeltester\r\n"));
        QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"SOFTWARE\\zeltester\\"_s, 0, reg::KEY_ALL_ACCESS, &disposition), 0);
        QCOMPARE(disposition, reg::REG_OPENED_EXISTING_KEY);
        QCOMPARE(key.QueryValue(v, u"apppath"_s), 0);
        QCOMPARE(key.QueryValue(v, u"ScriptPath"_s), -1);

        // A key exists also when only keys below it do.
        clsRegKey parent;
        QCOMPARE(parent.OpenReg(reg::HKEY_CLASSES_ROOT, u"Software"_s, reg::KEY_READ), 0);
        QCOMPARE(parent.OpenReg(reg::HKEY_CLASSES_ROOT, u"Soft"_s, reg::KEY_READ), reg::ERROR_FILE_NOT_FOUND);
        QCOMPARE(parent.hKey(), 0u); // a failed open leaves nothing held

        // A held key is the parent of another; write access only cannot read.
        clsRegKey sub;
        QCOMPARE(sub.CreateKey(key.hKey(), u"Sub"_s, 0, reg::KEY_WRITE), 0);
        QCOMPARE(sub.SetValue(Value::fromI4(3), u"n"_s), 0);
        QCOMPARE(sub.QueryValue(v, u"n"_s), reg::ERROR_ACCESS_DENIED);
        // Opening another key gives up the one held; its handle no longer works as a parent.
        const reg::HKEY old = key.hKey();
        QCOMPARE(key.OpenReg(reg::HKEY_CLASSES_ROOT, u"Software"_s, reg::KEY_READ), 0);
        QCOMPARE(parent.OpenReg(old, u"Sub"_s, reg::KEY_READ), reg::ERROR_INVALID_HANDLE);

        // A store that cannot be written.
        writeFile("blocker", "a file where a directory should be");
        qputenv("ZELTESTER_REGISTRY", path("blocker/registry.ini").toLocal8Bit());
        clsRegKey blocked;
        QCOMPARE(blocked.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, 0, reg::KEY_ALL_ACCESS), reg::ERROR_ACCESS_DENIED);
        qunsetenv("ZELTESTER_REGISTRY");
        QVERIFY(clsRegKey::StorePath().endsWith(QLatin1String("/ZelTester/registry.ini")));
    }

    void registryValueKinds_data()
    {
        QTest::addColumn<Value>("written");
        QTest::addColumn<Value>("read");
        zel::Array bytes{zel::VT_UI1, 0, {Value::fromUI1(0), Value::fromUI1(0x7f), Value::fromUI1(0xff)}};
        QTest::newRow("int") << Value::fromI4(42) << Value::fromI4(42);
        QTest::newRow("unsigned") << Value::fromUI4(0xFFFFFFFEu) << Value::fromI4(-2);
        QTest::newRow("real") << Value::fromR8(2.5) << Value::fromI4(2);
        QTest::newRow("bytes") << Value::fromArray(bytes) << Value::fromArray(bytes);
        QTest::newRow("empty") << Value() << Value::fromString(QString());
        QTest::newRow("type-like text") << Value::fromString(u"dword:1"_s) << Value::fromString(u"dword:1"_s);
        QTest::newRow("quoted") << Value::fromString(u"\"q\""_s) << Value::fromString(u"\"q\""_s);
    }

    void registryValueKinds()
    {
        QFETCH(Value, written);
        QFETCH(Value, read);
        clsRegKey key;
        QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, 0, reg::KEY_ALL_ACCESS), 0);
        QCOMPARE(key.SetValue(written, u"v"_s), 0);
        QCOMPARE(key.SetValue(written, QString()), 0); // the unnamed default value
        for (const QString &name : {u"v"_s, QString()}) {
            Value v;
            QCOMPARE(key.QueryValue(v, name), 0);
            QCOMPARE(v, read);
        }
    }

    void registryRefusedValuesAndHandWrittenStore()
    {
        clsRegKey key;
        QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, 0, reg::KEY_ALL_ACCESS), 0);
        const zel::Array texts{zel::VT_BSTR, 0, {Value::fromString(u"x"_s)}};
        for (const Value &bad : {Value::null(), Value::fromArray(texts), Value::fromString(u"two\nlines"_s)})
            QCOMPARE(key.SetValue(bad, u"n"_s), reg::ERROR_INVALID_PARAMETER);

        qputenv("ZEL_TEST_HOME", "/home/cell");
        writeFile("registry.ini", "[HKEY_CLASSES_ROOT\\CLSID\\{3f1c9a2e-5b7d-4e08-9c61-7a2d4e8b0c15}\\Option]\n"
                                  "Quoted=\"/a b/c.ksf\"\n"
                                  "Expand=expand_sz:%ZEL_TEST_HOME%/x%NO_SUCH_VAR_ZEL%y%%\n"
                                  "Multi=multi_sz:\"one\",\"t,w\"\"o\",\"\"\n"
                                  "Bad=dword:xyz\n");
        QCOMPARE(key.OpenReg(reg::HKEY_CLASSES_ROOT, u"CLSID\\{3f1c9a2e-5b7d-4e08-9c61-7a2d4e8b0c15}\\Option"_s, reg::KEY_READ), 0);
        Value q, e, m, v;
        QCOMPARE(key.QueryValue(q, u"Quoted"_s) + key.QueryValue(e, u"Expand"_s) + key.QueryValue(m, u"Multi"_s), 0);
        QCOMPARE(q, Value::fromString(u"/a b/c.ksf"_s));
        QCOMPARE(e, Value::fromString(u"/home/cell/x%NO_SUCH_VAR_ZEL%y%%"_s));
        QCOMPARE(m, Value::fromArray({zel::VT_BSTR, 0, {Value::fromString(u"one"_s), Value::fromString(u"t,w\"o"_s), Value::fromString(QString())}}));
        QCOMPARE(key.QueryValue(v, u"Bad"_s), -1);
        QCOMPARE(key.SetValue(Value::fromString(u"x"_s), u"Quoted"_s), reg::ERROR_ACCESS_DENIED); // opened for reading only
    }

    void listRoundTrip()
    {
        PreloadedControllers list;
        list.remember(record(u"Old"_s));
        list.load(path("ZelTester.ini")); // a missing file is an empty list
        QCOMPARE(list.count(), 0);
        clsCtrlParameter odd = record(u"Cell 7"_s, u"Zel.Other"_s, 1);
        odd.m_MachineName.clear();
        odd.m_OptionVal = u"a=1;b=\"2\""_s;
        list.remember(record(u"RC1"_s, u"Zel.Virtual"_s, 1));
        list.remember(odd);
        list.remember(record(u"RC3"_s, u"Zel.Virtual"_s, -5));
        QVERIFY(list.save(path("ZelTester.ini")));
        QVERIFY(readFile(path("ZelTester.ini"))
                    .endsWith("[RC1]\r\nProviderName=Zel.Virtual\r\nMachineName=localhost\r\nOption=Timeout=500\r\nEventEnable=1\r\n"));
        PreloadedControllers loaded;
        loaded.load(path("ZelTester.ini"));
        QCOMPARE(loaded.items(), list.items());
        QCOMPARE(names(loaded), (QStringList{"RC3", "Cell 7", "RC1"}));
        QCOMPARE(loaded.indexOf(u"cell 7"_s), 1);

        // EventEnable as a person may write it
        writeFile("ZelTester.ini", "[A]\nEventEnable= 1 \n[B]\nEventEnable=-3\n[C]\nEventEnable=2.5\n[D]\nEventEnable=\"1\"\n");
        loaded.load(path("ZelTester.ini"));
        QList<qint32> events;
        for (const clsCtrlParameter &r : loaded.items())
            events << r.m_EventDisable;
        QCOMPARE(events, (QList<qint32>{1, -3, 2, 1}));
    }

    void listKeepsTenNewestAndMovesToFront()
    {
        PreloadedControllers list;
        for (int i = 1; i <= 11; ++i)
            list.remember(record(u"RC%1"_s.arg(i)));
        QCOMPARE(list.count(), 10);
        QCOMPARE(names(list).first() + names(list).last(), u"RC11RC2"_s);
        list.remember(record(u"rc3"_s, u"Zel.Other"_s, 1));
        QCOMPARE(list.items().first(), record(u"rc3"_s, u"Zel.Other"_s, 1));
        QCOMPARE(names(list).mid(0, 3), (QStringList{"rc3", "RC11", "RC10"}));
        QCOMPARE(names(list).filter(u"rc3"_s, Qt::CaseInsensitive).size(), 1);

        // A hand-made file may hold more; the next remember brings the list back to ten.
        QByteArray many;
        for (int i = 0; i < 12; ++i)
            many += u"[H%1]\nEventEnable=0\n"_s.arg(i).toUtf8();
        writeFile("many.ini", many);
        list.load(path("many.ini"));
        QCOMPARE(list.count(), 12);
        list.remember(record(u"New"_s));
        QCOMPARE(list.count(), 10);
        QCOMPARE(names(list).last(), u"H8"_s);
    }

    void saveDropsHandAddedSections()
    {
        const QByteArray before = "; kept: not in any section\n[RC1]\nProviderName=Zel.Virtual\nEventEnable=0\n";
        writeFile("ZelTester.ini", before);
        PreloadedControllers list;
        list.load(path("ZelTester.ini"));
        writeFile("ZelTester.ini", before + "[Hand]\nProviderName=x\nEventEnable=1\n"); // added after the program read it
        list.remember(record(u"RC2"_s));
        QVERIFY(list.save(path("ZelTester.ini")));
        QCOMPARE(profile("ZelTester.ini")->GetSectNames(), (QStringList{"RC2", "RC1"}));
        QVERIFY(readFile(path("ZelTester.ini")).startsWith("; kept: not in any section\n[RC2]\n"));
    }

    // The exit save writes what deleting and writing key by key wrote, byte for byte, but in
    // one write: files as the program leaves them and as people edit them.
    void exitSaveWritesTheSameBytesAtOnce_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<int>("records");
        QTest::newRow("no file, empty list") << QByteArray() << 0;
        QTest::newRow("no file") << QByteArray() << 3;
        QTest::newRow("own file") << QByteArray("[RC1]\r\nProviderName=Zel.Virtual\r\nMachineName=\r\nOption=\r\nEventEnable=0\r\n") << 10;
        QTest::newRow("own file, list emptied") << QByteArray("[RC1]\r\nProviderName=Zel.Virtual\r\nEventEnable=0\r\n") << 0;
        QTest::newRow("comments and blank lines")
            << QByteArray("; my controllers\r\ntop=level\r\n\r\n[rc2]\r\n; about rc2\r\nEventEnable=1\r\n\r\n\r\n[Hand]\r\nx\r\n") << 4;
        QTest::newRow("LF, no final line end") << QByteArray("[A]\nk=v\n[B]\nEventEnable=1") << 2;
        QTest::newRow("CR only") << QByteArray("; mac\r[A]\rEventEnable=0\r") << 2;
        QTest::newRow("mixed line ends") << QByteArray("[A]\nk=v\r\n[B]\rj=w\n") << 2;
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[RC1]\r\nEventEnable=0\r\n") << 2;
        QTest::newRow("twice the same section") << QByteArray("[RC1]\r\nEventEnable=0\r\n[x]\r\n[rc1]\r\nEventEnable=1\r\n") << 3;
        QTest::newRow("not UTF-8") << QByteArray("; caf\xE9\r\n[A\xFF]\r\nEventEnable=0\r\n") << 1;
        QTest::newRow("only comments") << QByteArray("; nothing here\r\n") << 0;
    }

    void exitSaveWritesTheSameBytesAtOnce()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, records);
        PreloadedControllers list;
        for (int i = records; i >= 1; --i) {
            clsCtrlParameter r = record(i == 2 ? u"rc2"_s : u"RC%1"_s.arg(i), u"Zel.Virtual"_s, i % 2);
            r.m_OptionVal = i == 3 ? u"@EventDisable=true,a=\"b\""_s : QString();
            r.m_MachineName = i == 4 ? QString(u"pc-\u00e9"_s) : u"localhost"_s;
            list.remember(r);
        }
        if (!before.isNull()) {
            writeFile("old.ini", before);
            writeFile("new.ini", before);
        }
        saveKeyByKey(list, path("old.ini"));
        QVERIFY(list.save(path("new.ini")));
        QCOMPARE(QFile::exists(path("new.ini")), QFile::exists(path("old.ini")));
        QCOMPARE(readFile(path("new.ini")), readFile(path("old.ini")));
    }

    // A disk that fills up while the settings are saved: the old file stays whole and the
    // failure is reported; so for the registry store and any INI file.
    void failedSavesKeepTheOldFile()
    {
        PreloadedControllers list;
        list.remember(record(u"Old"_s));
        QVERIFY(list.save(path("ZelTester.ini")));
        const QByteArray old = readFile(path("ZelTester.ini"));
        for (int i = 1; i <= 10; ++i)
            list.remember(record(u"Controller number %1"_s.arg(i)));
        QString error;
        {
            FileSizeLimit limit(old.size() + 200);
            QVERIFY(limit.active());
            QVERIFY(!list.save(path("ZelTester.ini"), &error));
        }
        QVERIFY2(error.startsWith(path("ZelTester.ini") + u": writing failed after "_s), qPrintable(error));
        QCOMPARE(readFile(path("ZelTester.ini")), old);

        clsRegKey key;
        QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, 0, reg::KEY_ALL_ACCESS), reg::ERROR_SUCCESS);
        QCOMPARE(key.SetValue(Value::fromString(u"/old/place"_s), u"AppPath"_s), reg::ERROR_SUCCESS);
        const QByteArray store = readFile(path("registry.ini"));
        {
            FileSizeLimit limit(store.size() + 10);
            QCOMPARE(key.SetValue(Value::fromString(QString(500, u'x')), u"ScriptPath"_s), reg::ERROR_ACCESS_DENIED);
        }
        QCOMPARE(readFile(path("registry.ini")), store);

        auto p = profile("plain.ini", "[A]\r\nk=v\r\n");
        {
            FileSizeLimit limit(20);
            QVERIFY(!p->WriteString(u"A"_s, u"long"_s, QString(100, u'y')));
        }
        QCOMPARE(readFile(path("plain.ini")), QByteArray("[A]\r\nk=v\r\n"));
        QStringList files = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
        files.sort();
        QCOMPARE(files, (QStringList{"ZelTester.ini", "plain.ini", "registry.ini"}));
    }

    // A settings file or store that is a pipe or a device reads as missing (nothing blocks)
    // and is never replaced by a regular file.
    void pipesAndDevicesAreLeftAlone()
    {
        const QList<SpecialFile> specials = makeSpecialFiles(m_dir->path());
        QVERIFY(specials.size() >= 3);
        PreloadedControllers list;
        list.remember(record(u"RC1"_s));
        for (const SpecialFile &special : specials) {
            QString error;
            list.load(special.path);
            QCOMPARE(list.count(), 0);
            list.remember(record(u"RC1"_s));
            QVERIFY2(!list.save(special.path, &error), qPrintable(special.what));
            QVERIFY2(error.contains(u"not a regular file"_s), qPrintable(error));
            QVERIFY2(isStillSpecial(special), qPrintable(special.what));

            qputenv("ZELTESTER_REGISTRY", special.path.toLocal8Bit());
            clsRegKey key;
            QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, 0, reg::KEY_ALL_ACCESS), reg::ERROR_ACCESS_DENIED);
            QVERIFY2(isStillSpecial(special), qPrintable(special.what));
        }
        qputenv("ZELTESTER_REGISTRY", path("registry.ini").toLocal8Bit());
    }

    // Thousands of remembered sections (a file edited by hand or by another program) load and
    // save whole.
    void largeFiles()
    {
        QByteArray many;
        for (int i = 0; i < 2000; ++i)
            many += u"[Cell %1]\r\nProviderName=Zel.Virtual\r\nMachineName=pc\r\nOption=\r\nEventEnable=0\r\n"_s.arg(i).toUtf8();
        writeFile("ZelTester.ini", many);
        PreloadedControllers list;
        list.load(path("ZelTester.ini"));
        QCOMPARE(list.count(), 2000);
        list.remember(record(u"RC1"_s));
        QVERIFY(list.save(path("ZelTester.ini")));
        PreloadedControllers again;
        again.load(path("ZelTester.ini"));
        QCOMPARE(again.items(), list.items());
    }

    void loadFailures_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<quint32>("number");
        QTest::newRow("missing") << QByteArray("[Good]\nEventEnable=0\n[RC1]\nProviderName=Zel.Virtual\n") << "RC1"
                                 << quint32(zel::E_TYPE_MISMATCH);
        QTest::newRow("not a number") << QByteArray("[RC1]\nEventEnable=yes\n") << "RC1" << quint32(zel::E_TYPE_MISMATCH);
        QTest::newRow("too big") << QByteArray("[RC1]\nEventEnable=3000000000\n") << "RC1" << quint32(zel::E_OVERFLOW);
        QTest::newRow("duplicate name") << QByteArray("[Robot1]\nEventEnable=0\n[RC2]\nEventEnable=1\n[ROBOT1]\nEventEnable=1\n")
                                        << "ROBOT1" << quint32(zel::E_INVALID_ARG);
    }

    void loadFailures()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(quint32, number);
        writeFile("ZelTester.ini", content);
        PreloadedControllers list;
        list.remember(record(u"Before"_s));
        zel::ZelError e;
        try {
            list.load(path("ZelTester.ini"));
        } catch (const zel::ZelError &thrown) {
            e = thrown;
        }
        QCOMPARE(e.unsignedNumber(), number);
        QVERIFY2(e.description().contains(u'[' + section + u']') && e.description().contains(path("ZelTester.ini")), qPrintable(e.description()));
        QCOMPARE(names(list), QStringList{"Before"}); // the list is unchanged
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
