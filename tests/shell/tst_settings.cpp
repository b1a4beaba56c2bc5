// Settings stores: the INI reader and writer behind clsProfile, the registry stand-in and the
// list of remembered controllers.
#include "shell/IniFile.h"
#include "shell/clsCtrlParameter.h"
#include "shell/clsProfile.h"
#include "shell/clsRegKey.h"
#include "zel/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using zel::Value;

namespace {

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
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

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("ZELTESTER_REGISTRY", path("registry.ini").toLocal8Bit());
    }

    void defaultFileName()
    {
        clsProfile p;
        QCOMPARE(p.FileName(), QCoreApplication::applicationDirPath() + u"/tst_settings.ini"_s);
        p.setFileName(path("ZelTester.ini"));
        QCOMPARE(p.FileName(), path("ZelTester.ini"));
    }

    void missingFile()
    {
        clsProfile p;
        p.setFileName(path("none.ini"));
        QVERIFY(p.GetSectNames().isEmpty());
        QCOMPARE(p.GetString(u"S"_s, u"K"_s, u"def"_s), u"def"_s);
        QCOMPARE(p.GetInt(u"S"_s, u"K"_s, 17), 17);
        QVERIFY(p.DeleteSection(u"S"_s));
        QVERIFY(!QFile::exists(path("none.ini")));
    }

    void writeCreatesFileInOrder()
    {
        clsProfile p;
        p.setFileName(path("order.ini"));
        QVERIFY(p.WriteString(u"Zeta"_s, u"a"_s, u"1"_s));
        QVERIFY(p.WriteString(u"Alpha"_s, u"b"_s, u"2"_s));
        QVERIFY(p.WriteString(u"Mid"_s, u"c"_s, u"3"_s));
        QVERIFY(p.WriteString(u"Zeta"_s, u"d"_s, u"4"_s));
        p.Flush();
        QCOMPARE(p.GetSectNames(), (QStringList{"Zeta", "Alpha", "Mid"}));
        QCOMPARE(readFile(path("order.ini")), QByteArray("[Zeta]\r\na=1\r\nd=4\r\n[Alpha]\r\nb=2\r\n[Mid]\r\nc=3\r\n"));

        // A hand-written file keeps its order, blank lines and comments aside.
        writeFile(path("hand.ini"), "; remembered controllers\n\n[RC2]\nEventEnable=1\n\n[rc10]\n[ RC1 ]\nx=y\n");
        p.setFileName(path("hand.ini"));
        QCOMPARE(p.GetSectNames(), (QStringList{"RC2", "rc10", "RC1"}));
    }

    void namesIgnoreLetterCase()
    {
        writeFile(path("case.ini"), "[Robot Cell]\nProviderName=Zel.Virtual\n");
        clsProfile p;
        p.setFileName(path("case.ini"));
        QCOMPARE(p.GetString(u"ROBOT CELL"_s, u"providername"_s, QString()), u"Zel.Virtual"_s);
        QVERIFY(p.WriteString(u"robot cell"_s, u"PROVIDERNAME"_s, u"Other"_s));
        QVERIFY(p.WriteString(u"ROBOT CELL"_s, u"Option"_s, u"o"_s));
        // The existing section and key are rewritten where they stand, spelled as before.
        QCOMPARE(readFile(path("case.ini")), QByteArray("[Robot Cell]\nProviderName=Other\nOption=o\n"));
    }

    void valueEndsAtNul()
    {
        clsProfile p;
        p.setFileName(path("nul.ini"));
        QVERIFY(p.WriteString(u"S"_s, u"K"_s, u"ab"_s + QChar(0) + u"cd"_s));
        QCOMPARE(p.GetString(u"S"_s, u"K"_s, QString()), u"ab"_s);
        QVERIFY(!readFile(path("nul.ini")).contains("cd"));

        writeFile(path("nul2.ini"), QByteArray("[S]\nK=xy\0z\n", 12));
        p.setFileName(path("nul2.ini"));
        QCOMPARE(p.GetString(u"S"_s, u"K"_s, QString()), u"xy"_s);
        QCOMPARE(p.GetString(u"S"_s, u"none"_s, u"d"_s + QChar(0) + u"e"_s), u"d"_s);
    }

    void readBuffer()
    {
        clsProfile p;
        p.setFileName(path("long.ini"));
        QString exact(199998, QLatin1Char('e'));
        QString longer = exact + u"XYZ"_s;
        QVERIFY(p.WriteString(u"S"_s, u"exact"_s, exact));
        QVERIFY(p.WriteString(u"S"_s, u"longer"_s, longer));
        QCOMPARE(p.GetString(u"S"_s, u"exact"_s, QString()), exact);
        QCOMPARE(p.GetString(u"S"_s, u"longer"_s, QString()), exact);
        QCOMPARE(p.GetString(u"S"_s, u"none"_s, longer), exact);
        // The file keeps the whole value.
        QVERIFY(readFile(path("long.ini")).contains("eXYZ"));
    }

    void blanksAndQuotes()
    {
        writeFile(path("q.ini"), "  [ S ]  \n  Key One  =  spaced value  \nq1=\"quoted\"\nq2='single'\nq3=\"mixed'\n"
                                 "q4=\"\"\nq5=\"\nnoequals\n;c=comment\n=nameless\n");
        clsProfile p;
        p.setFileName(path("q.ini"));
        auto get = [&p](const char *key) { return p.GetString(u"S"_s, QLatin1String(key), u"<d>"_s); };
        QCOMPARE(get("Key One"), u"spaced value"_s);
        QCOMPARE(get("q1"), u"quoted"_s);
        QCOMPARE(get("q2"), u"single"_s);
        QCOMPARE(get("q3"), u"\"mixed'"_s);
        QCOMPARE(get("q4"), QString());
        QCOMPARE(get("q5"), u"\""_s);
        QCOMPARE(get("noequals"), u"<d>"_s);
        QCOMPARE(get(";c"), u"<d>"_s);
        QCOMPARE(get(""), u"nameless"_s);
    }

    void keepsUnknownContent()
    {
        const QByteArray before = "; settings\r\ntop=level\r\n\r\n[A]\r\n; about A\r\nk1=v1\r\nflag\r\n\r\n[B]\r\nk=v\r\n";
        writeFile(path("keep.ini"), before);
        clsProfile p;
        p.setFileName(path("keep.ini"));
        QVERIFY(p.WriteString(u"A"_s, u"k2"_s, u"v2"_s));
        QVERIFY(p.WriteString(u"a"_s, u"K1"_s, u"new"_s));
        QVERIFY(p.WriteString(u"C"_s, u"k"_s, u"c"_s));
        QCOMPARE(readFile(path("keep.ini")),
                 QByteArray("; settings\r\ntop=level\r\n\r\n[A]\r\n; about A\r\nk1=new\r\nflag\r\nk2=v2\r\n\r\n[B]\r\nk=v\r\n"
                            "[C]\r\nk=c\r\n"));
        // Keys before the first section belong to no section.
        QCOMPARE(p.GetSectNames(), (QStringList{"A", "B", "C"}));
    }

    void lineEndsKept()
    {
        writeFile(path("lf.ini"), "[A]\nk=v");
        clsProfile p;
        p.setFileName(path("lf.ini"));
        QVERIFY(p.WriteString(u"B"_s, u"x"_s, u"y"_s));
        QCOMPARE(readFile(path("lf.ini")), QByteArray("[A]\nk=v\n[B]\nx=y\n"));

        writeFile(path("bom.ini"), "\xEF\xBB\xBF[\xC3\x84rger]\r\nk=\xE2\x82\xAC\r\n");
        p.setFileName(path("bom.ini"));
        QCOMPARE(p.GetSectNames(), QStringList{u"\u00C4rger"_s});
        QCOMPARE(p.GetString(u"\u00E4RGER"_s, u"K"_s, QString()), u"\u20AC"_s);
        QVERIFY(p.WriteString(u"\u00C4rger"_s, u"k"_s, u"x"_s));
        QCOMPARE(readFile(path("bom.ini")), QByteArray("\xEF\xBB\xBF[\xC3\x84rger]\r\nk=x\r\n"));
    }

    void deleteKeyAndSection()
    {
        writeFile(path("del.ini"), "[A]\na=1\nb=2\n[B]\n; B's comment\nc=3\n[C]\nd=4\n");
        clsProfile p;
        p.setFileName(path("del.ini"));
        QVERIFY(p.DeleteKey(u"a"_s, u"A"_s));
        QVERIFY(p.DeleteKey(u"A"_s, u"missing"_s));
        QVERIFY(p.DeleteSection(u"b"_s));
        QVERIFY(p.DeleteSection(u"missing"_s));
        QCOMPARE(readFile(path("del.ini")), QByteArray("[A]\nb=2\n[C]\nd=4\n"));
        QCOMPARE(p.GetString(u"A"_s, u"a"_s, u"gone"_s), u"gone"_s);
    }

    void firstOfEqualNamesWins()
    {
        writeFile(path("dup.ini"), "[S]\nk=first\nk=second\n[s]\nk=third\nother=x\n");
        clsProfile p;
        p.setFileName(path("dup.ini"));
        QCOMPARE(p.GetSectNames(), (QStringList{"S", "s"}));
        QCOMPARE(p.GetString(u"S"_s, u"k"_s, QString()), u"first"_s);
        QCOMPARE(p.GetString(u"S"_s, u"other"_s, u"d"_s), u"d"_s);
        QVERIFY(p.WriteString(u"s"_s, u"K"_s, u"new"_s));
        QCOMPARE(readFile(path("dup.ini")), QByteArray("[S]\nk=new\nk=second\n[s]\nk=third\nother=x\n"));
        QVERIFY(p.DeleteSection(u"S"_s));
        QVERIFY(p.GetSectNames().isEmpty());
    }

    void getInt()
    {
        writeFile(path("int.ini"), "[S]\na=42\nb= -7 \nc=12abc\nd=abc\ne=\nf=99999999999\n");
        clsProfile p;
        p.setFileName(path("int.ini"));
        auto get = [&p](const char *key) { return p.GetInt(u"S"_s, QLatin1String(key), -1); };
        QCOMPARE(get("a"), 42);
        QCOMPARE(get("b"), -7);
        QCOMPARE(get("c"), 12);
        QCOMPARE(get("d"), 0);
        QCOMPARE(get("e"), 0);
        QCOMPARE(get("f"), 2147483647);
        QCOMPARE(get("missing"), -1);
    }

    void unwritableFile()
    {
        clsProfile p;
        p.setFileName(path("no/such/dir/x.ini"));
        QVERIFY(!p.WriteString(u"S"_s, u"K"_s, u"v"_s));
        QVERIFY(p.GetSectNames().isEmpty());
    }

    void storePathFromEnvironment()
    {
        QCOMPARE(clsRegKey::StorePath(), path("registry.ini"));
        qunsetenv("ZELTESTER_REGISTRY");
        QVERIFY(clsRegKey::StorePath().endsWith(QLatin1String("/ZelTester/registry.ini")));
        qputenv("ZELTESTER_REGISTRY", path("registry.ini").toLocal8Bit());
    }

    void createAndOpen()
    {
        clsRegKey key;
        QCOMPARE(key.OpenReg(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, reg::KEY_READ), reg::ERROR_FILE_NOT_FOUND);
        QCOMPARE(key.hKey(), 0u);
        QVERIFY(!QFile::exists(path("registry.ini")));

        quint32 disposition = 0;
        QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, reg::REG_OPTION_NON_VOLATILE,
                               reg::KEY_ALL_ACCESS, &disposition),
                 0);
        QCOMPARE(disposition, reg::REG_CREATED_NEW_KEY);
        QVERIFY(key.hKey() != 0);
        QCOMPARE(key.SetValue(Value::fromString(u"/opt/zeltester"_s), u"AppPath"_s), 0);
        QCOMPARE(key.CloseReg(), 0);
        QCOMPARE(key.hKey(), 0u);
        QCOMPARE(key.CloseReg(), 0);

        QCOMPARE(readFile(path("registry.ini")),
                 QByteArray("[HKEY_CLASSES_ROOT\\Software\\ZelTester]\r\nAppPath=sz:/opt/zeltester\r\n"));

        QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"SOFTWARE\\zeltester\\"_s, 0, reg::KEY_ALL_ACCESS, &disposition), 0);
        QCOMPARE(disposition, reg::REG_OPENED_EXISTING_KEY);
        Value v;
        QCOMPARE(key.QueryValue(v, u"apppath"_s), 0);
        QCOMPARE(v, Value::fromString(u"/opt/zeltester"_s));
        QCOMPARE(key.QueryValue(v, u"ScriptPath"_s), -1);
        QCOMPARE(v, Value::fromString(u"/opt/zeltester"_s));

        // A key exists also when only keys below it do.
        clsRegKey parent;
        QCOMPARE(parent.OpenReg(reg::HKEY_CLASSES_ROOT, u"Software"_s, reg::KEY_READ), 0);
        QCOMPARE(parent.keyPath(), u"HKEY_CLASSES_ROOT\\Software"_s);
        QCOMPARE(parent.OpenReg(reg::HKEY_CLASSES_ROOT, u"Soft"_s, reg::KEY_READ), reg::ERROR_FILE_NOT_FOUND);
        QCOMPARE(parent.OpenReg(reg::HKEY_CURRENT_USER, u"Software\\ZelTester"_s, reg::KEY_READ), reg::ERROR_FILE_NOT_FOUND);
    }

    void valueKinds()
    {
        clsRegKey key;
        QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, 0, reg::KEY_ALL_ACCESS), 0);
        zel::Array bytes;
        bytes.elementType = zel::VT_UI1;
        for (int b : {0, 1, 0x7f, 0xff})
            bytes.items.append(Value::fromUI1(static_cast<quint8>(b)));
        zel::Array texts;
        texts.elementType = zel::VT_BSTR;
        texts.items = {Value::fromString(u"x"_s)};

        struct Case {
            const char *name;
            Value written;
            Value read;
        };
        const QList<Case> cases = {
            {"int", Value::fromI4(42), Value::fromI4(42)},
            {"negative", Value::fromI2(-5), Value::fromI4(-5)},
            {"unsigned", Value::fromUI4(0xFFFFFFFEu), Value::fromI4(-2)},
            {"real", Value::fromR8(2.5), Value::fromI4(2)},
            {"true", Value::fromBool(true), Value::fromI4(-1)},
            {"false", Value::fromBool(false), Value::fromI4(0)},
            {"bytes", Value::fromArray(bytes), Value::fromArray(bytes)},
            {"empty", Value(), Value::fromString(QString())},
            {"text", Value::fromString(u"dword:1"_s), Value::fromString(u"dword:1"_s)},
            {"@", Value::fromString(u"at"_s), Value::fromString(u"at"_s)},
            {"blanks", Value::fromString(u"  a b "_s), Value::fromString(u"  a b "_s)},
            {"quoted", Value::fromString(u"\"q\""_s), Value::fromString(u"\"q\""_s)},
            {"half quoted", Value::fromString(u"\"q"_s), Value::fromString(u"\"q"_s)},
            {"end quote", Value::fromString(u"q\""_s), Value::fromString(u"q\""_s)},
            {"date", Value::fromDate(zel::Date{86400000}), Value::fromString(zel::Value::fromDate(zel::Date{86400000}).toPlainText())},
        };
        for (const Case &c : cases) {
            QCOMPARE(key.SetValue(c.written, QLatin1String(c.name)), 0);
            Value v;
            QCOMPARE(key.QueryValue(v, QLatin1String(c.name)), 0);
            QCOMPARE(v, c.read);
        }
        // The unnamed default value.
        QCOMPARE(key.SetValue(Value::fromString(u"default"_s), QString()), 0);
        Value v;
        QCOMPARE(key.QueryValue(v, QString()), 0);
        QCOMPARE(v, Value::fromString(u"default"_s));

        QCOMPARE(key.SetValue(Value::null(), u"n"_s), reg::ERROR_INVALID_PARAMETER);
        QCOMPARE(key.SetValue(Value::fromArray(texts), u"n"_s), reg::ERROR_INVALID_PARAMETER);
        QCOMPARE(key.SetValue(Value::fromR8(1e12), u"n"_s), reg::ERROR_INVALID_PARAMETER);
        QCOMPARE(key.SetValue(Value::fromString(u"two\nlines"_s), u"n"_s), reg::ERROR_INVALID_PARAMETER);
        QCOMPARE(key.QueryValue(v, u"n"_s), -1);
    }

    void handWrittenStore()
    {
        qputenv("ZEL_TEST_HOME", "/home/cell");
        writeFile(path("registry.ini"), "[HKEY_CLASSES_ROOT\\CLSID\\{3f1c9a2e-5b7d-4e08-9c61-7a2d4e8b0c15}\\Option]\n"
                  "KSFFile=/srv/ksf/default.ksf\n"
                  "Quoted=\"/a b/c.ksf\"\n"
                  "Expand=expand_sz:%ZEL_TEST_HOME%/x%NO_SUCH_VAR_ZEL%y%%\n"
                  "Multi=multi_sz:\"one\",\"t,w\"\"o\",\"\"\n"
                  "Big=qword:0000000000000001\n"
                  "Bad=dword:xyz\n");
        clsRegKey key;
        QCOMPARE(key.OpenReg(reg::HKEY_CLASSES_ROOT, u"CLSID\\{3f1c9a2e-5b7d-4e08-9c61-7a2d4e8b0c15}\\Option"_s, reg::KEY_READ), 0);
        Value v;
        QCOMPARE(key.QueryValue(v, u"KSFFile"_s), 0);
        QCOMPARE(v, Value::fromString(u"/srv/ksf/default.ksf"_s));
        QCOMPARE(key.QueryValue(v, u"Quoted"_s), 0);
        QCOMPARE(v, Value::fromString(u"/a b/c.ksf"_s));
        QCOMPARE(key.QueryValue(v, u"Expand"_s), 0);
        QCOMPARE(v, Value::fromString(u"/home/cell/x%NO_SUCH_VAR_ZEL%y%%"_s));
        QCOMPARE(key.QueryValue(v, u"Multi"_s), 0);
        zel::Array list;
        list.elementType = zel::VT_BSTR;
        list.items = {Value::fromString(u"one"_s), Value::fromString(u"t,w\"o"_s), Value::fromString(QString())};
        QCOMPARE(v, Value::fromArray(list));
        QCOMPARE(key.QueryValue(v, u"Big"_s), -1);
        QCOMPARE(key.QueryValue(v, u"Bad"_s), -1);
        // Opened for reading only.
        QCOMPARE(key.SetValue(Value::fromString(u"x"_s), u"KSFFile"_s), reg::ERROR_ACCESS_DENIED);
        QCOMPARE(key.QueryValue(v, u"KSFFile"_s), 0);
        QCOMPARE(v, Value::fromString(u"/srv/ksf/default.ksf"_s));
    }

    void accessAndHandles()
    {
        clsRegKey a;
        Value v;
        QCOMPARE(a.QueryValue(v, u"x"_s), reg::ERROR_INVALID_HANDLE);
        QCOMPARE(a.SetValue(Value::fromI4(1), u"x"_s), reg::ERROR_INVALID_HANDLE);
        QCOMPARE(a.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, 0, reg::KEY_ALL_ACCESS), 0);

        // A held key is the parent of another.
        clsRegKey b;
        quint32 disposition = 0;
        QCOMPARE(b.CreateKey(a.hKey(), u"Sub"_s, 0, reg::KEY_WRITE, &disposition), 0);
        QCOMPARE(disposition, reg::REG_CREATED_NEW_KEY);
        QCOMPARE(b.keyPath(), u"HKEY_CLASSES_ROOT\\Software\\ZelTester\\Sub"_s);
        QCOMPARE(b.SetValue(Value::fromI4(3), u"n"_s), 0);
        QCOMPARE(b.QueryValue(v, u"n"_s), reg::ERROR_ACCESS_DENIED); // write access only

        // Opening another key gives up the one held; its handle no longer works as a parent.
        const reg::HKEY old = a.hKey();
        QCOMPARE(a.OpenReg(reg::HKEY_CLASSES_ROOT, u"Software"_s, reg::KEY_READ), 0);
        QVERIFY(a.hKey() != old);
        clsRegKey c;
        QCOMPARE(c.OpenReg(old, u"Sub"_s, reg::KEY_READ), reg::ERROR_INVALID_HANDLE);
        QCOMPARE(c.OpenReg(12345, u"Sub"_s, reg::KEY_READ), reg::ERROR_INVALID_HANDLE);

        // A failed open leaves nothing held.
        QCOMPARE(a.OpenReg(reg::HKEY_CLASSES_ROOT, u"Missing"_s, reg::KEY_READ), reg::ERROR_FILE_NOT_FOUND);
        QCOMPARE(a.hKey(), 0u);

        // Destroying the object closes its key.
        reg::HKEY held = 0;
        {
            clsRegKey d;
            QCOMPARE(d.OpenReg(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, reg::KEY_READ), 0);
            held = d.hKey();
        }
        QCOMPARE(c.OpenReg(held, u"Sub"_s, reg::KEY_READ), reg::ERROR_INVALID_HANDLE);
    }

    void unwritableStore()
    {
        writeFile(path("blocker"), "a file where a directory should be");
        qputenv("ZELTESTER_REGISTRY", path("blocker/registry.ini").toLocal8Bit());
        clsRegKey key;
        QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, u"Software\\ZelTester"_s, 0, reg::KEY_ALL_ACCESS), reg::ERROR_ACCESS_DENIED);
        QCOMPARE(key.hKey(), 0u);
    }

    void listMissingFile()
    {
        PreloadedControllers list;
        list.remember(record(u"Old"_s));
        list.load(path("ZelTester.ini"));
        QCOMPARE(list.count(), 0);
        list.remember(record(u"RC1"_s, u"Zel.Virtual"_s, 1));
        QVERIFY(list.save(path("ZelTester.ini")));
        QCOMPARE(readFile(path("ZelTester.ini")),
                 QByteArray("[RC1]\r\nProviderName=Zel.Virtual\r\nMachineName=localhost\r\nOption=Timeout=500\r\n"
                            "EventEnable=1\r\n"));
    }

    void listRoundTrip()
    {
        PreloadedControllers list;
        clsCtrlParameter odd = record(u"Cell 7"_s, u"Zel.Other"_s, 1);
        odd.m_MachineName.clear();
        odd.m_OptionVal = u"a=1;b=\"2\""_s;
        list.remember(record(u"RC1"_s));
        list.remember(odd);
        list.remember(record(u"RC3"_s, u"Zel.Virtual"_s, -5));
        QVERIFY(list.save(path("ZelTester.ini")));

        PreloadedControllers loaded;
        loaded.load(path("ZelTester.ini"));
        QCOMPARE(loaded.items(), list.items());
        QCOMPARE(loaded.items().first().m_ControllerName, u"RC3"_s);
        QCOMPARE(loaded.items().last().m_ControllerName, u"RC1"_s);
        QCOMPARE(loaded.indexOf(u"cell 7"_s), 1);
        QCOMPARE(loaded.indexOf(u"none"_s), -1);
    }

    void listKeepsTenNewest()
    {
        PreloadedControllers list;
        for (int i = 1; i <= 11; ++i) {
            list.remember(record(u"RC%1"_s.arg(i)));
            QCOMPARE(list.count(), qMin(i, 10));
        }
        QVERIFY(list.save(path("ZelTester.ini")));
        clsProfile p;
        p.setFileName(path("ZelTester.ini"));
        QStringList expected;
        for (int i = 11; i >= 2; --i)
            expected.append(u"RC%1"_s.arg(i));
        QCOMPARE(p.GetSectNames(), expected);

        // A hand-made file may hold more; the next remember brings the list back to ten.
        QByteArray many;
        for (int i = 0; i < 12; ++i)
            many += u"[H%1]\nEventEnable=0\n"_s.arg(i).toUtf8();
        writeFile(path("many.ini"), many);
        list.load(path("many.ini"));
        QCOMPARE(list.count(), 12);
        list.remember(record(u"New"_s));
        QCOMPARE(list.count(), 10);
        QCOMPARE(list.items().first().m_ControllerName, u"New"_s);
        QCOMPARE(list.items().last().m_ControllerName, u"H8"_s);
    }

    void rememberMovesToFront()
    {
        PreloadedControllers list;
        for (int i = 1; i <= 10; ++i)
            list.remember(record(u"RC%1"_s.arg(i)));
        list.remember(record(u"rc3"_s, u"Zel.Other"_s, 1));
        QCOMPARE(list.count(), 10);
        QCOMPARE(list.items().first(), record(u"rc3"_s, u"Zel.Other"_s, 1));
        QCOMPARE(list.items()[1].m_ControllerName, u"RC10"_s);
        QCOMPARE(list.items().last().m_ControllerName, u"RC1"_s);
        int matches = 0;
        for (const clsCtrlParameter &r : list.items())
            matches += r.m_ControllerName.compare(u"RC3"_s, Qt::CaseInsensitive) == 0;
        QCOMPARE(matches, 1);

        // Re-adding the newest keeps everything else where it was.
        list.remember(record(u"RC3"_s));
        QCOMPARE(list.items().first().m_ControllerName, u"RC3"_s);
        QCOMPARE(list.items()[1].m_ControllerName, u"RC10"_s);
        QCOMPARE(list.count(), 10);
    }

    void saveDropsHandAddedSections()
    {
        writeFile(path("ZelTester.ini"), "; kept: not in any section\n[RC1]\nProviderName=Zel.Virtual\nEventEnable=0\n");
        PreloadedControllers list;
        list.load(path("ZelTester.ini"));
        // Added by hand after the program read the file.
        writeFile(path("ZelTester.ini"), "; kept: not in any section\n[RC1]\nProviderName=Zel.Virtual\nEventEnable=0\n"
                                         "[Hand]\nProviderName=x\nEventEnable=1\n[Other]\nfoo=bar\n");
        list.remember(record(u"RC2"_s));
        QVERIFY(list.save(path("ZelTester.ini")));
        clsProfile p;
        p.setFileName(path("ZelTester.ini"));
        QCOMPARE(p.GetSectNames(), (QStringList{"RC2", "RC1"}));
        QCOMPARE(p.GetString(u"RC1"_s, u"MachineName"_s, u"d"_s), QString());
        QVERIFY(readFile(path("ZelTester.ini")).startsWith("; kept: not in any section\n[RC2]\n"));
    }

    void loadFailures_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<quint32>("number");
        QTest::newRow("missing") << QByteArray("[Good]\nEventEnable=0\n[RC1]\nProviderName=Zel.Virtual\n") << "RC1"
                                 << quint32(zel::E_TYPE_MISMATCH);
        QTest::newRow("empty") << QByteArray("[RC1]\nEventEnable=\n") << "RC1" << quint32(zel::E_TYPE_MISMATCH);
        QTest::newRow("not a number") << QByteArray("[RC1]\nEventEnable=yes\n") << "RC1" << quint32(zel::E_TYPE_MISMATCH);
        QTest::newRow("too big") << QByteArray("[RC1]\nEventEnable=3000000000\n") << "RC1" << quint32(zel::E_OVERFLOW);
        QTest::newRow("section alone") << QByteArray("[Bare]\n") << "Bare" << quint32(zel::E_TYPE_MISMATCH);
        QTest::newRow("duplicate name") << QByteArray("[Robot1]\nEventEnable=0\n[RC2]\nEventEnable=1\n[ROBOT1]\nEventEnable=1\n")
                                        << "ROBOT1" << quint32(zel::E_INVALID_ARG);
    }

    void loadFailures()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(quint32, number);
        writeFile(path("ZelTester.ini"), content);
        PreloadedControllers list;
        list.remember(record(u"Before"_s));
        try {
            list.load(path("ZelTester.ini"));
            QFAIL("load did not fail");
        } catch (const zel::ZelError &e) {
            QCOMPARE(e.unsignedNumber(), number);
            QVERIFY2(e.description().contains(QLatin1Char('[') + section + QLatin1Char(']')), qPrintable(e.description()));
            QVERIFY2(e.description().contains(path("ZelTester.ini")), qPrintable(e.description()));
        }
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.items().first().m_ControllerName, u"Before"_s);
    }

    void loadEventEnableForms()
    {
        writeFile(path("ZelTester.ini"), "[A]\nEventEnable= 1 \n[B]\nEventEnable=-3\n[C]\nEventEnable=2.5\n[D]\nEventEnable=\"1\"\n");
        PreloadedControllers list;
        list.load(path("ZelTester.ini"));
        QCOMPARE(list.count(), 4);
        QCOMPARE(list.items()[0].m_EventDisable, 1);
        QCOMPARE(list.items()[1].m_EventDisable, -3);
        QCOMPARE(list.items()[2].m_EventDisable, 2);
        QCOMPARE(list.items()[3].m_EventDisable, 1);
        QCOMPARE(list.items()[0].m_ProviderName, QString());
    }
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
