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

clsCtrlParameter record(const QString &name, const QString &provider = QStringLiteral("Zel.Virtual"),
                        qint32 event = 0)
{
    clsCtrlParameter r;
    r.m_ControllerName = name;
    r.m_ProviderName = provider;
    r.m_MachineName = QStringLiteral("localhost");
    r.m_OptionVal = QStringLiteral("Timeout=500");
    r.m_EventDisable = event;
    return r;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    // clsProfile over our INI file
    void defaultFileName();
    void missingFile();
    void writeCreatesFileInOrder();
    void namesIgnoreLetterCase();
    void valueEndsAtNul();
    void readBuffer();
    void blanksAndQuotes();
    void keepsUnknownContent();
    void lineEndsKept();
    void deleteKeyAndSection();
    void firstOfEqualNamesWins();
    void getInt();
    void unwritableFile();

    // clsRegKey
    void storePathFromEnvironment();
    void createAndOpen();
    void valueKinds();
    void handWrittenStore();
    void accessAndHandles();
    void unwritableStore();

    // preloaded controllers
    void listMissingFile();
    void listRoundTrip();
    void listKeepsTenNewest();
    void rememberMovesToFront();
    void saveDropsHandAddedSections();
    void loadFailures_data();
    void loadFailures();
    void loadEventEnableForms();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
};

void TestSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("ZELTESTER_REGISTRY", path("registry.ini").toLocal8Bit());
}

void TestSettings::defaultFileName()
{
    clsProfile p;
    QCOMPARE(p.FileName(), QCoreApplication::applicationDirPath() + QStringLiteral("/tst_settings.ini"));
    p.setFileName(path("ZelTester.ini"));
    QCOMPARE(p.FileName(), path("ZelTester.ini"));
}

void TestSettings::missingFile()
{
    clsProfile p;
    p.setFileName(path("none.ini"));
    QVERIFY(p.GetSectNames().isEmpty());
    QCOMPARE(p.GetString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("def")), QStringLiteral("def"));
    QCOMPARE(p.GetInt(QStringLiteral("S"), QStringLiteral("K"), 17), 17);
    QVERIFY(p.DeleteSection(QStringLiteral("S")));
    QVERIFY(!QFile::exists(path("none.ini")));
}

void TestSettings::writeCreatesFileInOrder()
{
    clsProfile p;
    p.setFileName(path("order.ini"));
    QVERIFY(p.WriteString(QStringLiteral("Zeta"), QStringLiteral("a"), QStringLiteral("1")));
    QVERIFY(p.WriteString(QStringLiteral("Alpha"), QStringLiteral("b"), QStringLiteral("2")));
    QVERIFY(p.WriteString(QStringLiteral("Mid"), QStringLiteral("c"), QStringLiteral("3")));
    QVERIFY(p.WriteString(QStringLiteral("Zeta"), QStringLiteral("d"), QStringLiteral("4")));
    p.Flush();
    QCOMPARE(p.GetSectNames(), (QStringList{"Zeta", "Alpha", "Mid"}));
    QCOMPARE(readFile(path("order.ini")), QByteArray("[Zeta]\r\na=1\r\nd=4\r\n[Alpha]\r\nb=2\r\n[Mid]\r\nc=3\r\n"));

    // A hand-written file keeps its order, blank lines and comments aside.
    writeFile(path("hand.ini"), "; remembered controllers\n\n[RC2]\nEventEnable=1\n\n[rc10]\n[ RC1 ]\nx=y\n");
    p.setFileName(path("hand.ini"));
    QCOMPARE(p.GetSectNames(), (QStringList{"RC2", "rc10", "RC1"}));
}

void TestSettings::namesIgnoreLetterCase()
{
    writeFile(path("case.ini"), "[Robot Cell]\nProviderName=Zel.Virtual\n");
    clsProfile p;
    p.setFileName(path("case.ini"));
    QCOMPARE(p.GetString(QStringLiteral("ROBOT CELL"), QStringLiteral("providername"), QString()),
             QStringLiteral("Zel.Virtual"));
    QVERIFY(p.WriteString(QStringLiteral("robot cell"), QStringLiteral("PROVIDERNAME"), QStringLiteral("Other")));
    QVERIFY(p.WriteString(QStringLiteral("ROBOT CELL"), QStringLiteral("Option"), QStringLiteral("o")));
    // The existing section and key are rewritten where they stand, spelled as before.
    QCOMPARE(readFile(path("case.ini")), QByteArray("[Robot Cell]\nProviderName=Other\nOption=o\n"));
}

void TestSettings::valueEndsAtNul()
{
    clsProfile p;
    p.setFileName(path("nul.ini"));
    QVERIFY(p.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")));
    QCOMPARE(p.GetString(QStringLiteral("S"), QStringLiteral("K"), QString()), QStringLiteral("ab"));
    QVERIFY(!readFile(path("nul.ini")).contains("cd"));

    writeFile(path("nul2.ini"), QByteArray("[S]\nK=xy\0z\n", 12));
    p.setFileName(path("nul2.ini"));
    QCOMPARE(p.GetString(QStringLiteral("S"), QStringLiteral("K"), QString()), QStringLiteral("xy"));
    QCOMPARE(p.GetString(QStringLiteral("S"), QStringLiteral("none"), QStringLiteral("d") + QChar(0) + QStringLiteral("e")),
             QStringLiteral("d"));
}

void TestSettings::readBuffer()
{
    clsProfile p;
    p.setFileName(path("long.ini"));
    QString exact(199998, QLatin1Char('e'));
    QString longer = exact + QStringLiteral("XYZ");
    QVERIFY(p.WriteString(QStringLiteral("S"), QStringLiteral("exact"), exact));
    QVERIFY(p.WriteString(QStringLiteral("S"), QStringLiteral("longer"), longer));
    QCOMPARE(p.GetString(QStringLiteral("S"), QStringLiteral("exact"), QString()), exact);
    QCOMPARE(p.GetString(QStringLiteral("S"), QStringLiteral("longer"), QString()), exact);
    QCOMPARE(p.GetString(QStringLiteral("S"), QStringLiteral("none"), longer), exact);
    // The file keeps the whole value.
    QVERIFY(readFile(path("long.ini")).contains("eXYZ"));
}

void TestSettings::blanksAndQuotes()
{
    writeFile(path("q.ini"), "  [ S ]  \n  Key One  =  spaced value  \nq1=\"quoted\"\nq2='single'\nq3=\"mixed'\n"
                             "q4=\"\"\nq5=\"\nnoequals\n;c=comment\n=nameless\n");
    clsProfile p;
    p.setFileName(path("q.ini"));
    auto get = [&p](const char *key) { return p.GetString(QStringLiteral("S"), QLatin1String(key), QStringLiteral("<d>")); };
    QCOMPARE(get("Key One"), QStringLiteral("spaced value"));
    QCOMPARE(get("q1"), QStringLiteral("quoted"));
    QCOMPARE(get("q2"), QStringLiteral("single"));
    QCOMPARE(get("q3"), QStringLiteral("\"mixed'"));
    QCOMPARE(get("q4"), QString());
    QCOMPARE(get("q5"), QStringLiteral("\""));
    QCOMPARE(get("noequals"), QStringLiteral("<d>"));
    QCOMPARE(get(";c"), QStringLiteral("<d>"));
    QCOMPARE(get(""), QStringLiteral("nameless"));
}

void TestSettings::keepsUnknownContent()
{
    const QByteArray before = "; settings\r\ntop=level\r\n\r\n[A]\r\n; about A\r\nk1=v1\r\nflag\r\n\r\n[B]\r\nk=v\r\n";
    writeFile(path("keep.ini"), before);
    clsProfile p;
    p.setFileName(path("keep.ini"));
    QVERIFY(p.WriteString(QStringLiteral("A"), QStringLiteral("k2"), QStringLiteral("v2")));
    QVERIFY(p.WriteString(QStringLiteral("a"), QStringLiteral("K1"), QStringLiteral("new")));
    QVERIFY(p.WriteString(QStringLiteral("C"), QStringLiteral("k"), QStringLiteral("c")));
    QCOMPARE(readFile(path("keep.ini")),
             QByteArray("; settings\r\ntop=level\r\n\r\n[A]\r\n; about A\r\nk1=new\r\nflag\r\nk2=v2\r\n\r\n[B]\r\nk=v\r\n"
                        "[C]\r\nk=c\r\n"));
    // Keys before the first section belong to no section.
    QCOMPARE(p.GetSectNames(), (QStringList{"A", "B", "C"}));
}

void TestSettings::lineEndsKept()
{
    writeFile(path("lf.ini"), "[A]\nk=v");
    clsProfile p;
    p.setFileName(path("lf.ini"));
    QVERIFY(p.WriteString(QStringLiteral("B"), QStringLiteral("x"), QStringLiteral("y")));
    QCOMPARE(readFile(path("lf.ini")), QByteArray("[A]\nk=v\n[B]\nx=y\n"));

    writeFile(path("bom.ini"), "\xEF\xBB\xBF[\xC3\x84rger]\r\nk=\xE2\x82\xAC\r\n");
    p.setFileName(path("bom.ini"));
    QCOMPARE(p.GetSectNames(), QStringList{QStringLiteral("\u00C4rger")});
    QCOMPARE(p.GetString(QStringLiteral("\u00E4RGER"), QStringLiteral("K"), QString()), QStringLiteral("\u20AC"));
    QVERIFY(p.WriteString(QStringLiteral("\u00C4rger"), QStringLiteral("k"), QStringLiteral("x")));
    QCOMPARE(readFile(path("bom.ini")), QByteArray("\xEF\xBB\xBF[\xC3\x84rger]\r\nk=x\r\n"));
}

void TestSettings::deleteKeyAndSection()
{
    writeFile(path("del.ini"), "[A]\na=1\nb=2\n[B]\n; B's comment\nc=3\n[C]\nd=4\n");
    clsProfile p;
    p.setFileName(path("del.ini"));
    QVERIFY(p.DeleteKey(QStringLiteral("a"), QStringLiteral("A")));
    QVERIFY(p.DeleteKey(QStringLiteral("A"), QStringLiteral("missing")));
    QVERIFY(p.DeleteSection(QStringLiteral("b")));
    QVERIFY(p.DeleteSection(QStringLiteral("missing")));
    QCOMPARE(readFile(path("del.ini")), QByteArray("[A]\nb=2\n[C]\nd=4\n"));
    QCOMPARE(p.GetString(QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("gone")), QStringLiteral("gone"));
}

void TestSettings::firstOfEqualNamesWins()
{
    writeFile(path("dup.ini"), "[S]\nk=first\nk=second\n[s]\nk=third\nother=x\n");
    clsProfile p;
    p.setFileName(path("dup.ini"));
    QCOMPARE(p.GetSectNames(), (QStringList{"S", "s"}));
    QCOMPARE(p.GetString(QStringLiteral("S"), QStringLiteral("k"), QString()), QStringLiteral("first"));
    QCOMPARE(p.GetString(QStringLiteral("S"), QStringLiteral("other"), QStringLiteral("d")), QStringLiteral("d"));
    QVERIFY(p.WriteString(QStringLiteral("s"), QStringLiteral("K"), QStringLiteral("new")));
    QCOMPARE(readFile(path("dup.ini")), QByteArray("[S]\nk=new\nk=second\n[s]\nk=third\nother=x\n"));
    QVERIFY(p.DeleteSection(QStringLiteral("S")));
    QVERIFY(p.GetSectNames().isEmpty());
}

void TestSettings::getInt()
{
    writeFile(path("int.ini"), "[S]\na=42\nb= -7 \nc=12abc\nd=abc\ne=\nf=99999999999\n");
    clsProfile p;
    p.setFileName(path("int.ini"));
    auto get = [&p](const char *key) { return p.GetInt(QStringLiteral("S"), QLatin1String(key), -1); };
    QCOMPARE(get("a"), 42);
    QCOMPARE(get("b"), -7);
    QCOMPARE(get("c"), 12);
    QCOMPARE(get("d"), 0);
    QCOMPARE(get("e"), 0);
    QCOMPARE(get("f"), 2147483647);
    QCOMPARE(get("missing"), -1);
}

void TestSettings::unwritableFile()
{
    clsProfile p;
    p.setFileName(path("no/such/dir/x.ini"));
    QVERIFY(!p.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v")));
    QVERIFY(p.GetSectNames().isEmpty());
}

void TestSettings::storePathFromEnvironment()
{
    QCOMPARE(clsRegKey::StorePath(), path("registry.ini"));
    qunsetenv("ZELTESTER_REGISTRY");
    QVERIFY(clsRegKey::StorePath().endsWith(QLatin1String("/ZelTester/registry.ini")));
    qputenv("ZELTESTER_REGISTRY", path("registry.ini").toLocal8Bit());
}

void TestSettings::createAndOpen()
{
    clsRegKey key;
    QCOMPARE(key.OpenReg(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software\\ZelTester"), reg::KEY_READ),
             reg::ERROR_FILE_NOT_FOUND);
    QCOMPARE(key.hKey(), 0u);
    QVERIFY(!QFile::exists(path("registry.ini")));

    quint32 disposition = 0;
    QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software\\ZelTester"), reg::REG_OPTION_NON_VOLATILE,
                           reg::KEY_ALL_ACCESS, &disposition),
             0);
    QCOMPARE(disposition, reg::REG_CREATED_NEW_KEY);
    QVERIFY(key.hKey() != 0);
    QCOMPARE(key.SetValue(Value::fromString(QStringLiteral("/opt/zeltester")), QStringLiteral("AppPath")), 0);
    QCOMPARE(key.CloseReg(), 0);
    QCOMPARE(key.hKey(), 0u);
    QCOMPARE(key.CloseReg(), 0);

    QCOMPARE(readFile(path("registry.ini")),
             QByteArray("[HKEY_CLASSES_ROOT\\Software\\ZelTester]\r\nAppPath=sz:/opt/zeltester\r\n"));

    QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, QStringLiteral("SOFTWARE\\zeltester\\"), 0, reg::KEY_ALL_ACCESS,
                           &disposition),
             0);
    QCOMPARE(disposition, reg::REG_OPENED_EXISTING_KEY);
    Value v;
    QCOMPARE(key.QueryValue(v, QStringLiteral("apppath")), 0);
    QCOMPARE(v, Value::fromString(QStringLiteral("/opt/zeltester")));
    QCOMPARE(key.QueryValue(v, QStringLiteral("ScriptPath")), -1);
    QCOMPARE(v, Value::fromString(QStringLiteral("/opt/zeltester")));

    // A key exists also when only keys below it do.
    clsRegKey parent;
    QCOMPARE(parent.OpenReg(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software"), reg::KEY_READ), 0);
    QCOMPARE(parent.keyPath(), QStringLiteral("HKEY_CLASSES_ROOT\\Software"));
    QCOMPARE(parent.OpenReg(reg::HKEY_CLASSES_ROOT, QStringLiteral("Soft"), reg::KEY_READ), reg::ERROR_FILE_NOT_FOUND);
    QCOMPARE(parent.OpenReg(reg::HKEY_CURRENT_USER, QStringLiteral("Software\\ZelTester"), reg::KEY_READ),
             reg::ERROR_FILE_NOT_FOUND);
}

void TestSettings::valueKinds()
{
    clsRegKey key;
    QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software\\ZelTester"), 0, reg::KEY_ALL_ACCESS), 0);
    zel::Array bytes;
    bytes.elementType = zel::VT_UI1;
    for (int b : {0, 1, 0x7f, 0xff})
        bytes.items.append(Value::fromUI1(static_cast<quint8>(b)));
    zel::Array texts;
    texts.elementType = zel::VT_BSTR;
    texts.items = {Value::fromString(QStringLiteral("x"))};

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
        {"text", Value::fromString(QStringLiteral("dword:1")), Value::fromString(QStringLiteral("dword:1"))},
        {"@", Value::fromString(QStringLiteral("at")), Value::fromString(QStringLiteral("at"))},
        {"blanks", Value::fromString(QStringLiteral("  a b ")), Value::fromString(QStringLiteral("  a b "))},
        {"quoted", Value::fromString(QStringLiteral("\"q\"")), Value::fromString(QStringLiteral("\"q\""))},
        {"half quoted", Value::fromString(QStringLiteral("\"q")), Value::fromString(QStringLiteral("\"q"))},
        {"end quote", Value::fromString(QStringLiteral("q\"")), Value::fromString(QStringLiteral("q\""))},
        {"date", Value::fromDate(zel::Date{86400000}), Value::fromString(zel::Value::fromDate(zel::Date{86400000}).toPlainText())},
    };
    for (const Case &c : cases) {
        QCOMPARE(key.SetValue(c.written, QLatin1String(c.name)), 0);
        Value v;
        QCOMPARE(key.QueryValue(v, QLatin1String(c.name)), 0);
        QCOMPARE(v, c.read);
    }
    // The unnamed default value.
    QCOMPARE(key.SetValue(Value::fromString(QStringLiteral("default")), QString()), 0);
    Value v;
    QCOMPARE(key.QueryValue(v, QString()), 0);
    QCOMPARE(v, Value::fromString(QStringLiteral("default")));

    QCOMPARE(key.SetValue(Value::null(), QStringLiteral("n")), reg::ERROR_INVALID_PARAMETER);
    QCOMPARE(key.SetValue(Value::fromArray(texts), QStringLiteral("n")), reg::ERROR_INVALID_PARAMETER);
    QCOMPARE(key.SetValue(Value::fromR8(1e12), QStringLiteral("n")), reg::ERROR_INVALID_PARAMETER);
    QCOMPARE(key.SetValue(Value::fromString(QStringLiteral("two\nlines")), QStringLiteral("n")), reg::ERROR_INVALID_PARAMETER);
    QCOMPARE(key.QueryValue(v, QStringLiteral("n")), -1);
}

void TestSettings::handWrittenStore()
{
    qputenv("ZEL_TEST_HOME", "/home/cell");
    writeFile(path("registry.ini"),
              "[HKEY_CLASSES_ROOT\\CLSID\\{3f1c9a2e-5b7d-4e08-9c61-7a2d4e8b0c15}\\Option]\n"
              "KSFFile=/srv/ksf/default.ksf\n"
              "Quoted=\"/a b/c.ksf\"\n"
              "Expand=expand_sz:%ZEL_TEST_HOME%/x%NO_SUCH_VAR_ZEL%y%%\n"
              "Multi=multi_sz:\"one\",\"t,w\"\"o\",\"\"\n"
              "Big=qword:0000000000000001\n"
              "Bad=dword:xyz\n");
    clsRegKey key;
    QCOMPARE(key.OpenReg(reg::HKEY_CLASSES_ROOT, QStringLiteral("CLSID\\{3f1c9a2e-5b7d-4e08-9c61-7a2d4e8b0c15}\\Option"),
                         reg::KEY_READ),
             0);
    Value v;
    QCOMPARE(key.QueryValue(v, QStringLiteral("KSFFile")), 0);
    QCOMPARE(v, Value::fromString(QStringLiteral("/srv/ksf/default.ksf")));
    QCOMPARE(key.QueryValue(v, QStringLiteral("Quoted")), 0);
    QCOMPARE(v, Value::fromString(QStringLiteral("/a b/c.ksf")));
    QCOMPARE(key.QueryValue(v, QStringLiteral("Expand")), 0);
    QCOMPARE(v, Value::fromString(QStringLiteral("/home/cell/x%NO_SUCH_VAR_ZEL%y%%")));
    QCOMPARE(key.QueryValue(v, QStringLiteral("Multi")), 0);
    zel::Array list;
    list.elementType = zel::VT_BSTR;
    list.items = {Value::fromString(QStringLiteral("one")), Value::fromString(QStringLiteral("t,w\"o")),
                  Value::fromString(QString())};
    QCOMPARE(v, Value::fromArray(list));
    QCOMPARE(key.QueryValue(v, QStringLiteral("Big")), -1);
    QCOMPARE(key.QueryValue(v, QStringLiteral("Bad")), -1);
    // Opened for reading only.
    QCOMPARE(key.SetValue(Value::fromString(QStringLiteral("x")), QStringLiteral("KSFFile")), reg::ERROR_ACCESS_DENIED);
    QCOMPARE(key.QueryValue(v, QStringLiteral("KSFFile")), 0);
    QCOMPARE(v, Value::fromString(QStringLiteral("/srv/ksf/default.ksf")));
}

void TestSettings::accessAndHandles()
{
    clsRegKey a;
    Value v;
    QCOMPARE(a.QueryValue(v, QStringLiteral("x")), reg::ERROR_INVALID_HANDLE);
    QCOMPARE(a.SetValue(Value::fromI4(1), QStringLiteral("x")), reg::ERROR_INVALID_HANDLE);
    QCOMPARE(a.CreateKey(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software\\ZelTester"), 0, reg::KEY_ALL_ACCESS), 0);

    // A held key is the parent of another.
    clsRegKey b;
    quint32 disposition = 0;
    QCOMPARE(b.CreateKey(a.hKey(), QStringLiteral("Sub"), 0, reg::KEY_WRITE, &disposition), 0);
    QCOMPARE(disposition, reg::REG_CREATED_NEW_KEY);
    QCOMPARE(b.keyPath(), QStringLiteral("HKEY_CLASSES_ROOT\\Software\\ZelTester\\Sub"));
    QCOMPARE(b.SetValue(Value::fromI4(3), QStringLiteral("n")), 0);
    QCOMPARE(b.QueryValue(v, QStringLiteral("n")), reg::ERROR_ACCESS_DENIED); // write access only

    // Opening another key gives up the one held; its handle no longer works as a parent.
    const reg::HKEY old = a.hKey();
    QCOMPARE(a.OpenReg(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software"), reg::KEY_READ), 0);
    QVERIFY(a.hKey() != old);
    clsRegKey c;
    QCOMPARE(c.OpenReg(old, QStringLiteral("Sub"), reg::KEY_READ), reg::ERROR_INVALID_HANDLE);
    QCOMPARE(c.OpenReg(12345, QStringLiteral("Sub"), reg::KEY_READ), reg::ERROR_INVALID_HANDLE);

    // A failed open leaves nothing held.
    QCOMPARE(a.OpenReg(reg::HKEY_CLASSES_ROOT, QStringLiteral("Missing"), reg::KEY_READ), reg::ERROR_FILE_NOT_FOUND);
    QCOMPARE(a.hKey(), 0u);

    // Destroying the object closes its key.
    reg::HKEY held = 0;
    {
        clsRegKey d;
        QCOMPARE(d.OpenReg(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software\\ZelTester"), reg::KEY_READ), 0);
        held = d.hKey();
    }
    QCOMPARE(c.OpenReg(held, QStringLiteral("Sub"), reg::KEY_READ), reg::ERROR_INVALID_HANDLE);
}

void TestSettings::unwritableStore()
{
    writeFile(path("blocker"), "a file where a directory should be");
    qputenv("ZELTESTER_REGISTRY", path("blocker/registry.ini").toLocal8Bit());
    clsRegKey key;
    QCOMPARE(key.CreateKey(reg::HKEY_CLASSES_ROOT, QStringLiteral("Software\\ZelTester"), 0, reg::KEY_ALL_ACCESS),
             reg::ERROR_ACCESS_DENIED);
    QCOMPARE(key.hKey(), 0u);
}

void TestSettings::listMissingFile()
{
    PreloadedControllers list;
    list.remember(record(QStringLiteral("Old")));
    list.load(path("ZelTester.ini"));
    QCOMPARE(list.count(), 0);
    list.remember(record(QStringLiteral("RC1"), QStringLiteral("Zel.Virtual"), 1));
    QVERIFY(list.save(path("ZelTester.ini")));
    QCOMPARE(readFile(path("ZelTester.ini")),
             QByteArray("[RC1]\r\nProviderName=Zel.Virtual\r\nMachineName=localhost\r\nOption=Timeout=500\r\n"
                        "EventEnable=1\r\n"));
}

void TestSettings::listRoundTrip()
{
    PreloadedControllers list;
    clsCtrlParameter odd = record(QStringLiteral("Cell 7"), QStringLiteral("Zel.Other"), 1);
    odd.m_MachineName.clear();
    odd.m_OptionVal = QStringLiteral("a=1;b=\"2\"");
    list.remember(record(QStringLiteral("RC1")));
    list.remember(odd);
    list.remember(record(QStringLiteral("RC3"), QStringLiteral("Zel.Virtual"), -5));
    QVERIFY(list.save(path("ZelTester.ini")));

    PreloadedControllers loaded;
    loaded.load(path("ZelTester.ini"));
    QCOMPARE(loaded.items(), list.items());
    QCOMPARE(loaded.items().first().m_ControllerName, QStringLiteral("RC3"));
    QCOMPARE(loaded.items().last().m_ControllerName, QStringLiteral("RC1"));
    QCOMPARE(loaded.indexOf(QStringLiteral("cell 7")), 1);
    QCOMPARE(loaded.indexOf(QStringLiteral("none")), -1);
}

void TestSettings::listKeepsTenNewest()
{
    PreloadedControllers list;
    for (int i = 1; i <= 11; ++i) {
        list.remember(record(QStringLiteral("RC%1").arg(i)));
        QCOMPARE(list.count(), qMin(i, 10));
    }
    QVERIFY(list.save(path("ZelTester.ini")));
    clsProfile p;
    p.setFileName(path("ZelTester.ini"));
    QStringList expected;
    for (int i = 11; i >= 2; --i)
        expected.append(QStringLiteral("RC%1").arg(i));
    QCOMPARE(p.GetSectNames(), expected);

    // A hand-made file may hold more; the next remember brings the list back to ten.
    QByteArray many;
    for (int i = 0; i < 12; ++i)
        many += QStringLiteral("[H%1]\nEventEnable=0\n").arg(i).toUtf8();
    writeFile(path("many.ini"), many);
    list.load(path("many.ini"));
    QCOMPARE(list.count(), 12);
    list.remember(record(QStringLiteral("New")));
    QCOMPARE(list.count(), 10);
    QCOMPARE(list.items().first().m_ControllerName, QStringLiteral("New"));
    QCOMPARE(list.items().last().m_ControllerName, QStringLiteral("H8"));
}

void TestSettings::rememberMovesToFront()
{
    PreloadedControllers list;
    for (int i = 1; i <= 10; ++i)
        list.remember(record(QStringLiteral("RC%1").arg(i)));
    list.remember(record(QStringLiteral("rc3"), QStringLiteral("Zel.Other"), 1));
    QCOMPARE(list.count(), 10);
    QCOMPARE(list.items().first(), record(QStringLiteral("rc3"), QStringLiteral("Zel.Other"), 1));
    QCOMPARE(list.items()[1].m_ControllerName, QStringLiteral("RC10"));
    QCOMPARE(list.items().last().m_ControllerName, QStringLiteral("RC1"));
    int matches = 0;
    for (const clsCtrlParameter &r : list.items())
        matches += r.m_ControllerName.compare(QStringLiteral("RC3"), Qt::CaseInsensitive) == 0;
    QCOMPARE(matches, 1);

    // Re-adding the newest keeps everything else where it was.
    list.remember(record(QStringLiteral("RC3")));
    QCOMPARE(list.items().first().m_ControllerName, QStringLiteral("RC3"));
    QCOMPARE(list.items()[1].m_ControllerName, QStringLiteral("RC10"));
    QCOMPARE(list.count(), 10);
}

void TestSettings::saveDropsHandAddedSections()
{
    writeFile(path("ZelTester.ini"), "; kept: not in any section\n[RC1]\nProviderName=Zel.Virtual\nEventEnable=0\n");
    PreloadedControllers list;
    list.load(path("ZelTester.ini"));
    // Added by hand after the program read the file.
    writeFile(path("ZelTester.ini"), "; kept: not in any section\n[RC1]\nProviderName=Zel.Virtual\nEventEnable=0\n"
                                     "[Hand]\nProviderName=x\nEventEnable=1\n[Other]\nfoo=bar\n");
    list.remember(record(QStringLiteral("RC2")));
    QVERIFY(list.save(path("ZelTester.ini")));
    clsProfile p;
    p.setFileName(path("ZelTester.ini"));
    QCOMPARE(p.GetSectNames(), (QStringList{"RC2", "RC1"}));
    QCOMPARE(p.GetString(QStringLiteral("RC1"), QStringLiteral("MachineName"), QStringLiteral("d")), QString());
    QVERIFY(readFile(path("ZelTester.ini")).startsWith("; kept: not in any section\n[RC2]\n"));
}

void TestSettings::loadFailures_data()
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

void TestSettings::loadFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(quint32, number);
    writeFile(path("ZelTester.ini"), content);
    PreloadedControllers list;
    list.remember(record(QStringLiteral("Before")));
    try {
        list.load(path("ZelTester.ini"));
        QFAIL("load did not fail");
    } catch (const zel::ZelError &e) {
        QCOMPARE(e.unsignedNumber(), number);
        QVERIFY2(e.description().contains(QLatin1Char('[') + section + QLatin1Char(']')), qPrintable(e.description()));
        QVERIFY2(e.description().contains(path("ZelTester.ini")), qPrintable(e.description()));
    }
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.items().first().m_ControllerName, QStringLiteral("Before"));
}

void TestSettings::loadEventEnableForms()
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

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
