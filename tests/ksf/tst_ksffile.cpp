// KSF files: malformed input, file-system failures, saving through a temporary file, and the
// shipped capability definitions.
#include "ksf/ksfmapper.h"
#include "ksftesthelpers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ksf;

namespace {

// The operations the panels bind, by kind, with the number of argument descriptions each one
// feeds into tooltips. The empty name describes the arguments of adding an object of the kind.
using OperationTable = QList<std::pair<QString, int>>;

OperationTable panelOperations(int kind)
{
    switch (kind) {
    case Controller:
        return {{"Get_Attribute", 0}, {"Get_Help", 0},          {"Put_ID", 1},           {"Get_ID", 0},
                {"Execute", 2},       {"Get_VariableNames", 1}, {"Get_RobotNames", 1},   {"Get_FileNames", 1},
                {"Get_TaskNames", 1}, {"Get_ExtensionNames", 1}, {"Get_CommandNames", 1}};
    case Variable:
        return {{"", 2},          {"Get_Attribute", 0},   {"Get_Help", 0},  {"Put_ID", 1},   {"Get_ID", 0},
                {"Get_DateTime", 0}, {"Get_Microsecond", 0}, {"Put_Value", 1}, {"Get_Value", 0}};
    case Robot:
        return {{"", 2},      {"Get_Attribute", 0}, {"Get_Help", 0}, {"Put_ID", 1}, {"Get_ID", 0},   {"Execute", 2},
                {"Accelerate", 3}, {"Drive", 3},    {"Change", 1},   {"Chuck", 1},  {"Unchuck", 1},  {"Move", 3},
                {"GoHome", 0}, {"Rotate", 4},       {"Speed", 2},    {"Hold", 1},   {"Unhold", 1},   {"Halt", 1},
                {"Get_VariableNames", 1}};
    case File:
        return {{"", 2},           {"Get_Path", 0},        {"Get_Size", 0},
                {"Get_Type", 0},   {"Get_Attribute", 0},   {"Get_DateCreated", 0},
                {"Get_DateLastAccessed", 0}, {"Get_DateLastModified", 0}, {"Get_Help", 0},
                {"Put_ID", 1},     {"Get_ID", 0},          {"Put_Value", 0},
                {"Get_Value", 0},  {"Execute", 2},         {"Copy", 2},
                {"Move", 2},       {"Delete", 1},          {"Run", 1},
                {"Get_VariableNames", 1}, {"Get_FileNames", 1}};
    case Task:
        return {{"", 2},      {"Get_FileName", 0}, {"Get_Attribute", 0}, {"Get_Help", 0}, {"Put_ID", 1},
                {"Get_ID", 0}, {"Execute", 2},     {"Start", 2},         {"Stop", 2},     {"Delete", 1},
                {"Get_VariableNames", 1}};
    case Extension:
        return {{"", 2}, {"Get_Attribute", 0}, {"Get_Help", 0}, {"Put_ID", 1}, {"Get_ID", 0}, {"Execute", 2},
                {"Get_VariableNames", 1}};
    case Command:
        return {{"", 2},          {"Get_Attribute", 0}, {"Get_Help", 0},        {"Put_ID", 1},
                {"Get_ID", 0},    {"Put_Timeout", 1},   {"Get_Timeout", 0},     {"Get_State", 0},
                {"Put_Parameters", 1}, {"Get_Parameters", 0}, {"Execute", 1}, {"Cancel", 0}};
    case Message:
        return {{"Clear", 0}, {"Reply", 2}};
    }
    return {};
}

QString sourcePath(const QString &relative)
{
    QString root = qEnvironmentVariable("ZEL_TEST_SOURCE_DIR");
    if (root.isEmpty())
        root = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../..");
    return QDir(root).filePath(relative);
}

QString examplePath(const QString &name) { return sourcePath(QStringLiteral("examples/") + name); }

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestKsfFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void malformedInput_data();
    void malformedInput();
    void acceptedVariants();
    void fileSystemFailures();
    void largeFiles();
    void failedSavesKeepTheOldFile();
    void oversizedDocumentIsNotSaved();
    void virtualProviderDefinition();
    void restrictedDefinition();
    void documentedExamples();
};

void TestKsfFile::malformedInput_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<uint>("error");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("says");

    const uint notXml = zel::E_KSF_NOT_XML, badRoot = zel::E_KSF_BAD_ROOT, missing = zel::E_KSF_MISSING_ATTR,
               unknownKind = zel::E_KSF_UNKNOWN_KIND, duplicate = zel::E_KSF_DUPLICATE,
               nesting = zel::E_KSF_BAD_NESTING, unexpected = zel::E_KSF_UNEXPECTED, tooLarge = zel::E_KSF_TOO_LARGE;

    // Not XML at all, or broken XML.
    QTest::newRow("empty file") << QByteArray() << notXml << 1 << "empty";
    QTest::newRow("plain text") << QByteArray("RC1, Zel.Virtual, localhost\n") << notXml << 1 << "not well-formed";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << notXml << 1 << "not well-formed";
    QTest::newRow("mismatched tags") << QByteArray("<ksf>\n<controller name=\"a\">\n</ksf>\n") << notXml << 3 << "";
    QTest::newRow("truncated") << QByteArray("<ksf>\n  <controller name=\"a\"/>\n") << notXml << 3 << "";
    QTest::newRow("unquoted attribute") << QByteArray("<ksf>\n\n<controller name=a/></ksf>") << notXml << 3 << "";
    QTest::newRow("undeclared entity") << QByteArray("<ksf>\n<controller name=\"&rc;\"/>\n</ksf>") << notXml << 2 << "";
    QTest::newRow("second root") << QByteArray("<ksf/>\n<ksf/>\n") << notXml << 2 << "";
    QTest::newRow("text after root") << QByteArray("<ksf/>\ntrailing\n") << notXml << 2 << "";

    // Wrong root element.
    QTest::newRow("html root") << QByteArray("<?xml version=\"1.0\"?>\n<html><body/></html>") << badRoot << 2 << "<html>";
    QTest::newRow("root in upper case") << QByteArray("<KSF version=\"1\"/>") << badRoot << 1 << "<KSF>";

    // Missing attributes.
    QTest::newRow("controller without name")
        << QByteArray("<ksf>\n<controller provider=\"Zel.Virtual\"/>\n</ksf>") << missing << 2 << "\"name\"";
    QTest::newRow("member without name")
        << QByteArray("<ksf>\n<controller name=\"RC\">\n<variable name=\"v\"/>\n<robot option=\"o\"/>\n</controller>\n</ksf>")
        << missing << 4 << "<robot>";
    QTest::newRow("capabilities without key")
        << QByteArray("<ksf>\n<capabilities>\n</capabilities>\n</ksf>") << missing << 2 << "\"key\"";
    QTest::newRow("set without kind")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<set name=\"\"/>\n</capabilities>\n</ksf>") << missing << 3 << "\"kind\"";
    QTest::newRow("set without name")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<set kind=\"robot\"/>\n</capabilities>\n</ksf>") << missing << 3 << "\"name\"";
    QTest::newRow("operation without name")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<set kind=\"robot\" name=\"\">\n<operation arg1=\"x\"/>\n</set>\n</capabilities>\n</ksf>")
        << missing << 4 << "<operation>";

    // Unknown kinds.
    QTest::newRow("unknown entry kind")
        << QByteArray("<ksf>\n<controller name=\"RC\">\n\n<sensor name=\"s\"/>\n</controller>\n</ksf>") << unknownKind << 4 << "<sensor>";
    QTest::newRow("entry kind in upper case")
        << QByteArray("<ksf>\n<controller name=\"RC\">\n<Variable name=\"s\"/>\n</controller>\n</ksf>") << unknownKind << 3 << "<Variable>";
    QTest::newRow("unknown set kind")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<set kind=\"sensor\" name=\"\"/>\n</capabilities>\n</ksf>")
        << unknownKind << 3 << "\"sensor\"";
    QTest::newRow("set of kind code 8")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<set kind=\"8\" name=\"\"/>\n</capabilities>\n</ksf>") << unknownKind << 3 << "\"8\"";
    QTest::newRow("set of kind controller")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<set kind=\"controller\" name=\"\"/>\n</capabilities>\n</ksf>")
        << unknownKind << 3 << "\"controller\"";
    QTest::newRow("set of kind code 0")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<set kind=\"0\" name=\"\"/>\n</capabilities>\n</ksf>") << unknownKind << 3 << "\"0\"";

    // Duplicate names.
    QTest::newRow("controller twice, other case")
        << QByteArray("<ksf>\n<controller name=\"RC1\"/>\n<controller name=\"rc1\"/>\n</ksf>") << duplicate << 3 << "\"rc1\"";
    QTest::newRow("variable twice")
        << QByteArray("<ksf>\n<controller name=\"RC\">\n<variable name=\"v\"/>\n<robot name=\"v\"/>\n<variable name=\"V\"/>\n</controller>\n</ksf>")
        << duplicate << 5 << "\"V\"";
    QTest::newRow("file twice in a folder")
        << QByteArray("<ksf>\n<controller name=\"RC\">\n<file name=\"d\">\n<file name=\"a\"/>\n<file name=\"a\"/>\n</file>\n</controller>\n</ksf>")
        << duplicate << 5 << "\"a\"";
    QTest::newRow("key twice")
        << QByteArray("<ksf>\n<capabilities key=\"K\"/>\n<controller name=\"x\"/>\n<capabilities key=\"k\"/>\n</ksf>") << duplicate << 4 << "\"k\"";
    QTest::newRow("empty key twice")
        << QByteArray("<ksf>\n<capabilities key=\"\"/>\n<capabilities key=\"\"/>\n</ksf>") << duplicate << 3 << "(empty name)";
    QTest::newRow("set twice, word and code")
        << QByteArray("<ksf>\n<capabilities key=\"K\">\n<set kind=\"variable\" name=\"\"/>\n<set kind=\"5\" name=\"\"/>\n</capabilities>\n</ksf>")
        << duplicate << 4 << "variable";
    QTest::newRow("operation twice")
        << QByteArray("<ksf>\n<capabilities key=\"K\">\n<operation name=\"Get_ID\"/>\n<operation name=\"get_id\"/>\n</capabilities>\n</ksf>")
        << duplicate << 4 << "\"get_id\"";

    // Entries in the wrong place.
    QTest::newRow("robot in a robot")
        << QByteArray("<ksf>\n<controller name=\"RC\">\n<robot name=\"r\">\n<robot name=\"r2\"/>\n</robot>\n</controller>\n</ksf>")
        << nesting << 4 << "<robot>";
    QTest::newRow("file in a variable")
        << QByteArray("<ksf>\n<controller name=\"RC\">\n<variable name=\"v\">\n<file name=\"f\"/>\n</variable>\n</controller>\n</ksf>")
        << nesting << 4 << "<file>";
    QTest::newRow("controller in a controller")
        << QByteArray("<ksf>\n<controller name=\"RC\">\n<controller name=\"RC2\"/>\n</controller>\n</ksf>") << nesting << 3 << "<controller>";
    QTest::newRow("variable outside a controller")
        << QByteArray("<ksf>\n<variable name=\"v\"/>\n</ksf>") << nesting << 2 << "<variable>";

    // Things that have no place in a KSF file.
    QTest::newRow("unknown element") << QByteArray("<ksf>\n<workspace name=\"w\"/>\n</ksf>") << unexpected << 2 << "<workspace>";
    QTest::newRow("unknown attribute")
        << QByteArray("<ksf>\n<controller name=\"RC\"\n  colour=\"red\"/>\n</ksf>") << unexpected << 3 << "\"colour\"";
    QTest::newRow("provider on a member")
        << QByteArray("<ksf>\n<controller name=\"RC\">\n<variable name=\"v\" provider=\"p\"/>\n</controller>\n</ksf>")
        << unexpected << 3 << "\"provider\"";
    QTest::newRow("fifth argument")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<operation name=\"Rotate\" arg5=\"x\"/>\n</capabilities>\n</ksf>")
        << unexpected << 3 << "\"arg5\"";
    QTest::newRow("text in the root") << QByteArray("<ksf>\n  RC1\n</ksf>") << unexpected << 3 << "text";
    QTest::newRow("text in an entry")
        << QByteArray("<ksf>\n<controller name=\"RC\"><![CDATA[x]]></controller>\n</ksf>") << unexpected << 2 << "text";
    QTest::newRow("element in an operation")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<operation name=\"Move\">\n<arg>x</arg>\n</operation>\n</capabilities>\n</ksf>")
        << unexpected << 4 << "<arg>";
    QTest::newRow("entry in a section")
        << QByteArray("<ksf>\n<capabilities key=\"\">\n<variable name=\"\"/>\n</capabilities>\n</ksf>") << unexpected << 3 << "<variable>";
    QTest::newRow("set outside a section")
        << QByteArray("<ksf>\n<set kind=\"robot\" name=\"\"/>\n</ksf>") << unexpected << 2 << "<set>";
    QTest::newRow("document type")
        << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE ksf [<!ENTITY a \"aaaa\">]>\n<ksf/>") << unexpected << 2 << "document type";
    QTest::newRow("version 2") << QByteArray("<ksf version=\"2\"/>") << unexpected << 1 << "\"2\"";

    // Nesting deeper than the mapper follows.
    QByteArray deep = "<ksf>\n<controller name=\"RC\">\n";
    for (int i = 0; i < MaxNesting + 5; ++i)
        deep += "<file name=\"f\">\n";
    QTest::newRow("files nested too deep") << deep << tooLarge << 2 + MaxNesting << "64 levels";
}

void TestKsfFile::malformedInput()
{
    QFETCH(QByteArray, xml);
    QFETCH(uint, error);
    QFETCH(int, line);
    QFETCH(QString, says);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.xml"));
    QVERIFY(writeFile(path, xml));
    DocumentPtr doc;
    const auto err = errorOf([&] { doc = Document::open(path); });
    QVERIFY(!doc);
    QVERIFY(err);
    QCOMPARE(QStringLiteral("0x%1").arg(err->unsignedNumber(), 8, 16, QLatin1Char('0')),
             QStringLiteral("0x%1").arg(error, 8, 16, QLatin1Char('0')));
    const QString where = QStringLiteral("%1, line %2: ").arg(path).arg(line);
    QVERIFY2(err->description().startsWith(where), qPrintable(err->description()));
    QVERIFY2(err->description().contains(says), qPrintable(err->description()));
    QVERIFY(err->description().size() > where.size() + 10);

    // Text given directly names its source the same way.
    const auto err2 = errorOf([&] { Document::parse(xml, QStringLiteral("<memory>")); });
    QVERIFY(err2);
    QCOMPARE(err2->unsignedNumber(), err->unsignedNumber());
    QVERIFY(err2->description().startsWith(QStringLiteral("<memory>, line %1: ").arg(line)));
}

void TestKsfFile::acceptedVariants()
{
    // What a hand-written definition may do: comments, processing instructions, white space,
    // a missing version, kind codes instead of words, another encoding, xml: attributes.
    const QByteArray xml = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!-- a definition -->\n"
                           "<?editor tabs=2?>\n"
                           "<ksf xml:lang=\"en\">\n"
                           "  <capabilities key=\"K\">\n"
                           "    <!-- controller level -->\n"
                           "    <set kind=\"5\" name=\"\"><operation name=\"Get_Value\"/></set>\n"
                           "    <set kind=\"robot\" name=\"R\"></set>\n"
                           "  </capabilities>\n"
                           "  <controller name=\"RC\" key=\"K\">\n"
                           "    <robot name=\"R\"><variable name=\"v\"/></robot>\n"
                           "    <variable name=\"R\"/>\n"
                           "  </controller>\n"
                           "</ksf>\n"
                           "<!-- the end -->\n";
    const DocumentPtr doc = Document::parse(xml, QStringLiteral("hand"));
    QVERIFY(doc->capabilitySet(Variable, QStringLiteral("K"), QString())->operation(QStringLiteral("Get_Value")));
    QVERIFY(doc->capabilitySet(Robot, QStringLiteral("K"), QStringLiteral("R"))->operationNames().isEmpty());
    QCOMPARE(doc->findController(QStringLiteral("RC"))->key(), QStringLiteral("K"));
    QCOMPARE(doc->findController(QStringLiteral("RC"))->members().size(), 2);

    const QString latin = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><ksf><controller name=\"Zelle \u00FC\"/></ksf>");
    QByteArray utf16;
    utf16.append("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char *>(latin.utf16()), latin.size() * 2);
    QCOMPARE(Document::parse(utf16, QStringLiteral("utf16"))->controllerNames(), QStringList{QStringLiteral("Zelle \u00FC")});
}

void TestKsfFile::fileSystemFailures()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("nothing-here.xml"));
    const QList<std::pair<QString, QString>> cases = {
        {QString(), QStringLiteral("No KSF file name")},
        {missing, missing + QStringLiteral(": the file does not exist")},
        {dir.path(), dir.path() + QStringLiteral(": this is a folder")},
        {QStringLiteral("/dev/zero"), QStringLiteral("/dev/zero: this is not a regular file")},
    };
    for (const auto &[path, says] : cases) {
        const auto err = errorOf([&] { Document::open(path); });
        QVERIFY(err);
        QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_READ));
        QVERIFY2(err->description().startsWith(says), qPrintable(err->description()));
    }

    // A named pipe would block the reader until someone writes to it.
    const QString fifo = dir.filePath(QStringLiteral("pipe.xml"));
    if (mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0) {
        const auto err = errorOf([&] { Document::open(fifo); });
        QVERIFY(err);
        QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_READ));
        QVERIFY(err->description().startsWith(fifo + QStringLiteral(": this is not a regular file")));
    }

    // A file that opens but cannot be read: reading a process's memory from offset 0 fails
    // with an I/O error, for root as well.
    if (QFileInfo(QStringLiteral("/proc/self/mem")).isFile()) {
        const auto err = errorOf([&] { Document::open(QStringLiteral("/proc/self/mem")); });
        QVERIFY(err);
        QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_READ));
        QVERIFY2(err->description().startsWith(QStringLiteral("/proc/self/mem: the file cannot be read (")),
                 qPrintable(err->description()));
    }

    // A file without read permission (root reads everything, so only as another user).
    const QString locked = dir.filePath(QStringLiteral("locked.xml"));
    QVERIFY(writeFile(locked, "<ksf/>"));
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (geteuid() != 0) {
        const auto err = errorOf([&] { Document::open(locked); });
        QVERIFY(err);
        QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_READ));
        QVERIFY(err->description().startsWith(locked + QStringLiteral(": the file cannot be opened")));
    }
}

void TestKsfFile::largeFiles()
{
    QTemporaryDir dir;
    // A 50 MB file is refused unread (the file is sparse, so this costs nothing).
    const QString huge = dir.filePath(QStringLiteral("huge.xml"));
    {
        QFile f(huge);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(50 * 1024 * 1024));
    }
    auto err = errorOf([&] { Document::open(huge); });
    QVERIFY(err);
    QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_TOO_LARGE));
    QVERIFY2(err->description().startsWith(huge + QStringLiteral(": the file holds 52428800 bytes")),
             qPrintable(err->description()));

    // One byte over the limit is too much as well.
    {
        QFile f(huge);
        QVERIFY(f.resize(MaxFileSize + 1));
    }
    err = errorOf([&] { Document::open(huge); });
    QVERIFY(err);
    QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_TOO_LARGE));

    // Text handed over directly has the same limit.
    err = errorOf([&] { Document::parse(QByteArray(MaxFileSize + 1, ' '), QStringLiteral("big text")); });
    QVERIFY(err);
    QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_TOO_LARGE));
    QVERIFY(err->description().startsWith(QStringLiteral("big text: ")));

    // A real document just under the limit opens, in reasonable time.
    auto doc = Document::createEmpty();
    int count = 0;
    for (int c = 0; c < 64; ++c) {
        EntryPtr rc = doc->addController(QStringLiteral("Controller%1").arg(c));
        rc->setProviderName(QStringLiteral("Zel.Virtual"));
        for (int v = 0; v < 5000; ++v, ++count)
            rc->addVariable(QStringLiteral("Variable%1").arg(v))->setOption(QStringLiteral("o=%1").arg(v));
    }
    const QString big = dir.filePath(QStringLiteral("big.xml"));
    doc->saveAs(big);
    QVERIFY(QFileInfo(big).size() <= MaxFileSize);
    QVERIFY(QFileInfo(big).size() > MaxFileSize * 9 / 10);
    QElapsedTimer timer;
    timer.start();
    const DocumentPtr again = Document::open(big);
    const qint64 ms = timer.elapsed();
    qInfo("opened %lld bytes with %d variable entries in %lld ms", QFileInfo(big).size(), count, ms);
    QCOMPARE(again->controllerNames(), doc->controllerNames());
    QCOMPARE(again->controllers().last()->members(Variable).size(), 5000);
    QVERIFY2(ms < 20000, "opening a file at the size limit took longer than 20 s");
}

void TestKsfFile::failedSavesKeepTheOldFile()
{
    QTemporaryDir dir;
    auto doc = Document::createEmpty();
    EntryPtr rc = doc->addController(QStringLiteral("RC1"));
    for (int v = 0; v < 200; ++v)
        rc->addVariable(QStringLiteral("Variable%1").arg(v));

    // Into a folder that does not exist: nothing is created.
    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/out.xml"));
    auto err = errorOf([&] { doc->saveAs(nowhere); });
    QVERIFY(err);
    QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_WRITE));
    QVERIFY2(err->description().startsWith(nowhere + QStringLiteral(": ")), qPrintable(err->description()));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no"))));

    // Onto a folder: the folder stays as it was.
    const QString folder = dir.filePath(QStringLiteral("folder.xml"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.xml")));
    QVERIFY(writeFile(folder + QStringLiteral("/inside.txt"), "keep"));
    err = errorOf([&] { doc->saveAs(folder); });
    QVERIFY(err);
    QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_WRITE));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(readAll(folder + QStringLiteral("/inside.txt")), QByteArray("keep"));

    // Without a file name.
    err = errorOf([&] { doc->saveAs(QString()); });
    QVERIFY(err);
    QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_WRITE));

    // A write that fails half-way (the disk is full, here: the file-size limit is reached)
    // leaves the existing file whole and no temporary file behind.
    const QString target = dir.filePath(QStringLiteral("mirror.xml"));
    const QByteArray old = "<ksf version=\"1\">\n  <controller name=\"old\"/>\n</ksf>\n";
    QVERIFY(writeFile(target, old));
    QVERIFY(doc->toXml().size() > 4096);
    {
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        err = errorOf([&] { doc->saveAs(target); });
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    QVERIFY(err);
    QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_WRITE));
    QVERIFY2(err->description().startsWith(target + QStringLiteral(": ")), qPrintable(err->description()));
    QCOMPARE(readAll(target), old);
    QCOMPARE(Document::open(target)->controllerNames(), QStringList{QStringLiteral("old")});

    // A folder without write permission (only as another user than root).
    if (geteuid() != 0) {
        const QString lockedDir = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        const QString lockedFile = lockedDir + QStringLiteral("/mirror.xml");
        QVERIFY(writeFile(lockedFile, old));
        QFile::setPermissions(lockedDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        err = errorOf([&] { doc->saveAs(lockedFile); });
        QFile::setPermissions(lockedDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(err);
        QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_WRITE));
        QCOMPARE(readAll(lockedFile), old);
    }

    // Nothing but what the test made is left in the folder; then a good save replaces the file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("mirror.xml")});
    doc->saveAs(target);
    QCOMPARE(readAll(target), doc->toXml());
}

void TestKsfFile::oversizedDocumentIsNotSaved()
{
    // A document whose text would not open again is not written at all.
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("mirror.xml"));
    QVERIFY(writeFile(target, "<ksf/>"));
    auto doc = Document::createEmpty();
    doc->addController(QStringLiteral("RC"))->setOption(QString(MaxFileSize, QLatin1Char('x')));
    const auto err = errorOf([&] { doc->saveAs(target); });
    QVERIFY(err);
    QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_TOO_LARGE));
    QCOMPARE(readAll(target), QByteArray("<ksf/>"));
}

void TestKsfFile::virtualProviderDefinition()
{
    const DocumentPtr doc = Document::open(examplePath(QStringLiteral("zel-virtual.xml")));

    // The workspace panel's tooltips for adding a controller.
    const CapabilitySetPtr adding = doc->capabilitySet(QString());
    QVERIFY(adding);
    QVERIFY(!adding->operation(QString())->argumentDescription(1).isEmpty());
    QVERIFY(!adding->operation(QString())->argumentDescription(2).isEmpty());

    // Any controller falls back to the entry of empty name, and its key offers everything.
    const EntryPtr ctrl = doc->findControllerOrDefault(QStringLiteral("RC1"));
    QVERIFY(ctrl);
    QCOMPARE(ctrl->name(), QString());
    const QString key = ctrl->key();
    QCOMPARE(key, QStringLiteral("Zel.Virtual"));

    for (int kind = Controller; kind <= Message; ++kind) {
        CapabilitySetPtr set;
        if (kind == Controller) {
            set = doc->capabilitySet(key);
        } else {
            // A member of any name, looked up as the panels do.
            const EntryPtr entry = ctrl->findMemberOrDefault(kind, QStringLiteral("AnyName"));
            QVERIFY2(entry, qPrintable(kindWord(kind)));
            set = doc->capabilitySetOrDefault(kind, key, entry->name());
        }
        QVERIFY2(set, qPrintable(kindWord(kind)));
        const OperationTable expected = panelOperations(kind);
        QStringList expectedNames;
        for (const auto &[name, arguments] : expected) {
            expectedNames << name;
            const OperationPtr op = set->operation(name);
            QVERIFY2(op, qPrintable(kindWord(kind) + QStringLiteral(" lacks ") + name));
            QCOMPARE(op->name(), name); // spelt exactly as the panels spell it
            for (int i = 1; i <= 4; ++i) {
                const QString text = op->argumentDescription(i);
                QVERIFY2(i <= arguments ? text.size() >= 10 : text.isEmpty(),
                         qPrintable(QStringLiteral("%1 %2 argument %3: [%4]").arg(kindWord(kind), name).arg(i).arg(text)));
            }
        }
        QCOMPARE(set->operationNames().size(), expectedNames.size());
    }

    // Members' own members: variables of robots, tasks, extensions and files, files of files.
    for (int kind : {Robot, Task, Extension, File}) {
        const EntryPtr owner = ctrl->findMemberOrDefault(kind, QStringLiteral("x"));
        QVERIFY(owner->findMemberOrDefault(Variable, QStringLiteral("v")));
    }
    QVERIFY(ctrl->findMemberOrDefault(File, QStringLiteral("x"))->findMemberOrDefault(File, QStringLiteral("y")));

    // Pose and mode formats reach the tooltips.
    const CapabilitySetPtr robots = doc->capabilitySet(Robot, key, QString());
    QVERIFY(robots->operation(QStringLiteral("Move"))->argumentDescription(2).contains(QStringLiteral("P(x, y, z, rx, ry, rz)")));
    QVERIFY(robots->operation(QStringLiteral("Move"))->argumentDescription(2).contains(QStringLiteral("J(j1")));
    QVERIFY(robots->operation(QStringLiteral("Move"))->argumentDescription(1).contains(QStringLiteral("1 PTP")));
    const CapabilitySetPtr tasks = doc->capabilitySet(Task, key, QString());
    QVERIFY(tasks->operation(QStringLiteral("Start"))->argumentDescription(1).contains(QStringLiteral("4 - Step back")));
    QVERIFY(tasks->operation(QStringLiteral("Stop"))->argumentDescription(1).contains(QStringLiteral("4 - Stop and initialize")));

    // The definition survives a save and a reopen unchanged.
    QCOMPARE(dump(*Document::parse(doc->toXml(), QStringLiteral("again"))), dump(*doc));
}

void TestKsfFile::restrictedDefinition()
{
    const DocumentPtr doc = Document::open(examplePath(QStringLiteral("zel-virtual-restricted.xml")));
    const EntryPtr ctrl = doc->findControllerOrDefault(QStringLiteral("Cell"));
    QVERIFY(ctrl);
    const QString key = ctrl->key();
    QCOMPARE(key, QStringLiteral("Restricted"));
    QVERIFY(!doc->capabilitySet(QString())->operation(QString())->argumentDescription(1).isEmpty());

    // Every operation named in it is one that a panel binds (a misspelt name would silently
    // disable a button).
    auto checkNames = [&](const CapabilitySetPtr &set) {
        QStringList known;
        for (const auto &op : panelOperations(set->kind()))
            known << op.first;
        for (const QString &name : set->operationNames())
            QVERIFY2(known.contains(name), qPrintable(kindWord(set->kind()) + QStringLiteral(": ") + name));
    };
    checkNames(doc->capabilitySet(key));
    for (const CapabilitySetPtr &set : doc->capabilitySets(key))
        checkNames(set);

    auto offers = [&](int kind, const QString &name, const QString &operation) {
        CapabilitySetPtr set;
        if (kind == Controller) {
            set = doc->capabilitySet(key);
        } else {
            const EntryPtr entry = ctrl->findMemberOrDefault(kind, name);
            set = doc->capabilitySetOrDefault(kind, key, entry ? entry->name() : QString());
        }
        return set && set->operation(operation);
    };
    // Controllers: read, no writes, no Execute.
    QVERIFY(offers(Controller, {}, QStringLiteral("Get_VariableNames")));
    QVERIFY(!offers(Controller, {}, QStringLiteral("Put_ID")));
    QVERIFY(!offers(Controller, {}, QStringLiteral("Execute")));
    // Variables are read-only, except "Setpoint".
    QVERIFY(offers(Variable, QStringLiteral("Temperature"), QStringLiteral("Get_Value")));
    QVERIFY(!offers(Variable, QStringLiteral("Temperature"), QStringLiteral("Put_Value")));
    QVERIFY(!offers(Variable, QStringLiteral("Temperature"), QStringLiteral("Put_ID")));
    QVERIFY(offers(Variable, QStringLiteral("setpoint"), QStringLiteral("Put_Value")));
    // A robot without Move but with GoHome.
    QVERIFY(!offers(Robot, QStringLiteral("Robot1"), QStringLiteral("Move")));
    QVERIFY(!offers(Robot, QStringLiteral("Robot1"), QStringLiteral("Drive")));
    QVERIFY(offers(Robot, QStringLiteral("Robot1"), QStringLiteral("GoHome")));
    QVERIFY(offers(Robot, QStringLiteral("Robot1"), QStringLiteral("Halt")));
    // Files read-only; tasks start and stop; extensions have no set at all.
    QVERIFY(offers(File, QStringLiteral("a.prg"), QStringLiteral("Get_Value")));
    QVERIFY(!offers(File, QStringLiteral("a.prg"), QStringLiteral("Put_Value")));
    QVERIFY(!offers(File, QStringLiteral("a.prg"), QStringLiteral("Delete")));
    QVERIFY(offers(Task, QStringLiteral("Main"), QStringLiteral("Start")));
    QVERIFY(!offers(Task, QStringLiteral("Main"), QStringLiteral("Delete")));
    QCOMPARE(doc->capabilitySetOrDefault(Extension, key, QString()), nullptr);
    QVERIFY(!offers(Command, QStringLiteral("C"), QStringLiteral("Cancel")));
    QVERIFY(offers(Command, QStringLiteral("C"), QStringLiteral("Execute")));
    // Messages: only number 100 can be replied to.
    QVERIFY(offers(Message, QStringLiteral("100"), QStringLiteral("Reply")));
    QVERIFY(!offers(Message, QStringLiteral("101"), QStringLiteral("Reply")));
    QVERIFY(offers(Message, QStringLiteral("101"), QStringLiteral("Clear")));
}

void TestKsfFile::documentedExamples()
{
    // The format description's examples: the definition reads and behaves as described, and the
    // mirror is exactly what saving writes.
    const QString text = QString::fromUtf8(readAll(sourcePath(QStringLiteral("docs/ksf-format.md"))));
    QList<QByteArray> blocks;
    for (qsizetype at = text.indexOf(QLatin1String("```xml\n")); at >= 0; at = text.indexOf(QLatin1String("```xml\n"), at)) {
        at += 7;
        const qsizetype end = text.indexOf(QLatin1String("```"), at);
        QVERIFY(end > at);
        blocks << text.mid(at, end - at).toUtf8();
        at = end + 3;
    }
    QCOMPARE(blocks.size(), 2);

    const DocumentPtr def = Document::parse(blocks[0], QStringLiteral("definition"));
    const EntryPtr press = def->findControllerOrDefault(QStringLiteral("press"));
    const EntryPtr other = def->findControllerOrDefault(QStringLiteral("Cell2"));
    QCOMPARE(press->key(), QStringLiteral("PressLine"));
    QCOMPARE(other->key(), QStringLiteral("Std"));
    auto set = [&](const EntryPtr &ctrl, int kind, const QString &name) {
        const EntryPtr entry = ctrl->findMemberOrDefault(kind, name);
        return def->capabilitySetOrDefault(kind, ctrl->key(), entry ? entry->name() : QString());
    };
    QVERIFY(!set(other, Variable, QStringLiteral("Temp"))->operation(QStringLiteral("Put_Value")));
    QVERIFY(set(other, Variable, QStringLiteral("SETPOINT"))->operation(QStringLiteral("Put_Value")));
    QVERIFY(set(other, Robot, QStringLiteral("R1"))->operation(QStringLiteral("GoHome")));
    QVERIFY(!set(other, Robot, QStringLiteral("R1"))->operation(QStringLiteral("Move")));
    QVERIFY(set(other, Message, QStringLiteral("100"))->operation(QStringLiteral("Reply")));
    QVERIFY(!set(other, Message, QStringLiteral("7"))->operation(QStringLiteral("Reply")));
    QCOMPARE(set(other, Extension, QStringLiteral("X")), nullptr);
    QCOMPARE(set(press, Command, QStringLiteral("C")), nullptr);
    QVERIFY(set(press, Variable, QStringLiteral("Force"))->operation(QStringLiteral("Put_Value")));
    QVERIFY(def->capabilitySet(press->key())->operation(QStringLiteral("Execute")));
    QVERIFY(!def->capabilitySet(other->key())->operation(QStringLiteral("Execute")));
    QCOMPARE(def->capabilitySet(QString())->operation(QString())->argumentDescription(1), QStringLiteral("Controller name"));

    const DocumentPtr mirror = Document::parse(blocks[1], QStringLiteral("mirror"));
    QCOMPARE(mirror->toXml(), blocks[1]);
    QCOMPARE(mirror->controllerNames(), (QStringList{QStringLiteral("Press"), QStringLiteral("Cell2")}));
}

QTEST_GUILESS_MAIN(TestKsfFile)
#include "tst_ksffile.moc"
