// KSF files: malformed input, file-system failures, saving through a temporary file, and the
// shipped capability definitions.
#include "ksf/ksfmapper.h"
#include "ksftesthelpers.h"

#include "../common/faultyfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace ksf;

namespace {

// The operations the panels bind, by kind, each with the number of argument descriptions it
// feeds into tooltips ("Move3"); "*" is the empty name, which describes adding an object.
using OperationTable = QList<std::pair<QString, int>>;

OperationTable panelOperations(int kind)
{
    static const QHash<int, QString> table = {
        {Controller, u"Get_Attribute Get_Help Put_ID1 Get_ID Execute2 Get_VariableNames1 Get_RobotNames1 Get_FileNames1 "
                     "Get_TaskNames1 Get_ExtensionNames1 Get_CommandNames1"_s},
        {Variable, u"*2 Get_Attribute Get_Help Put_ID1 Get_ID Get_DateTime Get_Microsecond Put_Value1 Get_Value"_s},
        {Robot, u"*2 Get_Attribute Get_Help Put_ID1 Get_ID Execute2 Accelerate3 Drive3 Change1 Chuck1 Unchuck1 Move3 GoHome "
                "Rotate4 Speed2 Hold1 Unhold1 Halt1 Get_VariableNames1"_s},
        {File, u"*2 Get_Path Get_Size Get_Type Get_Attribute Get_DateCreated Get_DateLastAccessed Get_DateLastModified Get_Help "
               "Put_ID1 Get_ID Put_Value Get_Value Execute2 Copy2 Move2 Delete1 Run1 Get_VariableNames1 Get_FileNames1"_s},
        {Task, u"*2 Get_FileName Get_Attribute Get_Help Put_ID1 Get_ID Execute2 Start2 Stop2 Delete1 Get_VariableNames1"_s},
        {Extension, u"*2 Get_Attribute Get_Help Put_ID1 Get_ID Execute2 Get_VariableNames1"_s},
        {Command, u"*2 Get_Attribute Get_Help Put_ID1 Get_ID Put_Timeout1 Get_Timeout Get_State Put_Parameters1 Get_Parameters "
                  "Execute1 Cancel"_s},
        {Message, u"Clear Reply2"_s},
    };
    OperationTable ops;
    for (QString word : table.value(kind).split(u' ')) {
        const int arguments = word.back().isDigit() ? word.back().digitValue() : 0;
        word.chop(arguments ? 1 : 0);
        ops.append({word == u"*" ? QString() : word, arguments});
    }
    return ops;
}

QString sourcePath(const QString &relative)
{
    QString root = qEnvironmentVariable("ZEL_TEST_SOURCE_DIR");
    if (root.isEmpty())
        root = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + u"/../.."_s;
    return QDir(root).filePath(relative);
}

QString examplePath(const QString &name) { return sourcePath(u"examples/"_s + name); }

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
    void malformedInput_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<uint>("error");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("says");
        auto row = [](const char *name, const QByteArray &xml, uint error, int line, const char *says) {
            QTest::newRow(name) << xml << error << line << QString::fromUtf8(says);
        };
        // Inside a controller "RC" or a capability section of the empty key: from line 3 on.
        auto inController = [](const char *xml) { return "<ksf>\n<controller name=\"RC\">\n" + QByteArray(xml) + "</controller>\n</ksf>"; };
        auto inSection = [](const char *xml) { return "<ksf>\n<capabilities key=\"\">\n" + QByteArray(xml) + "</capabilities>\n</ksf>"; };
        const uint notXml = zel::E_KSF_NOT_XML, badRoot = zel::E_KSF_BAD_ROOT, missing = zel::E_KSF_MISSING_ATTR,
                   unknownKind = zel::E_KSF_UNKNOWN_KIND, duplicate = zel::E_KSF_DUPLICATE, nesting = zel::E_KSF_BAD_NESTING,
                   unexpected = zel::E_KSF_UNEXPECTED;

        // Not XML at all, or broken XML.
        row("empty file", QByteArray(), notXml, 1, "empty");
        row("binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), notXml, 1, "not well-formed");
        row("truncated", "<ksf>\n  <controller name=\"a\"/>\n", notXml, 3, "");
        // Wrong root element.
        row("root in upper case", "<KSF version=\"1\"/>", badRoot, 1, "<KSF>");
        // Missing attributes.
        row("controller without name", "<ksf>\n<controller provider=\"Zel.Virtual\"/>\n</ksf>", missing, 2, "\"name\"");
        row("member without name", inController("<variable name=\"v\"/>\n<robot option=\"o\"/>\n"), missing, 4, "<robot>");
        row("set without kind", inSection("<set name=\"\"/>\n"), missing, 3, "\"kind\"");
        // Unknown kinds.
        row("unknown entry kind", inController("\n<sensor name=\"s\"/>\n"), unknownKind, 4, "<sensor>");
        row("entry kind in upper case", inController("<Variable name=\"s\"/>\n"), unknownKind, 3, "<Variable>");
        row("set of kind code 8", inSection("<set kind=\"8\" name=\"\"/>\n"), unknownKind, 3, "\"8\"");
        row("set of kind controller", inSection("<set kind=\"controller\" name=\"\"/>\n"), unknownKind, 3, "\"controller\"");
        // Duplicate names.
        row("controller twice, other case", "<ksf>\n<controller name=\"RC1\"/>\n<controller name=\"rc1\"/>\n</ksf>", duplicate, 3, "\"rc1\"");
        row("variable twice", inController("<variable name=\"v\"/>\n<robot name=\"v\"/>\n<variable name=\"V\"/>\n"), duplicate, 5, "\"V\"");
        row("key twice", "<ksf>\n<capabilities key=\"K\"/>\n<controller name=\"x\"/>\n<capabilities key=\"k\"/>\n</ksf>", duplicate, 4, "\"k\"");
        row("set twice, word and code", inSection("<set kind=\"variable\" name=\"\"/>\n<set kind=\"5\" name=\"\"/>\n"), duplicate, 4, "variable");
        // Entries in the wrong place.
        row("robot in a robot", inController("<robot name=\"r\">\n<robot name=\"r2\"/>\n</robot>\n"), nesting, 4, "<robot>");
        row("variable outside a controller", "<ksf>\n<variable name=\"v\"/>\n</ksf>", nesting, 2, "<variable>");
        // Things that have no place in a KSF file.
        row("unknown element", "<ksf>\n<workspace name=\"w\"/>\n</ksf>", unexpected, 2, "<workspace>");
        row("unknown attribute", "<ksf>\n<controller name=\"RC\"\n  colour=\"red\"/>\n</ksf>", unexpected, 3, "\"colour\"");
        row("provider on a member", inController("<variable name=\"v\" provider=\"p\"/>\n"), unexpected, 3, "\"provider\"");
        row("fifth argument", inSection("<operation name=\"Rotate\" arg5=\"x\"/>\n"), unexpected, 3, "\"arg5\"");
        row("text in an entry", "<ksf>\n<controller name=\"RC\"><![CDATA[x]]></controller>\n</ksf>", unexpected, 2, "text");
        row("document type", "<?xml version=\"1.0\"?>\n<!DOCTYPE ksf [<!ENTITY a \"aaaa\">]>\n<ksf/>", unexpected, 2, "document type");
        row("version 2", "<ksf version=\"2\"/>", unexpected, 1, "\"2\"");
        // Nesting deeper than the mapper follows.
        QByteArray deep = "<ksf>\n<controller name=\"RC\">\n";
        for (int i = 0; i < MaxNesting + 5; ++i)
            deep += "<file name=\"f\">\n";
        row("files nested too deep", deep, zel::E_KSF_TOO_LARGE, 2 + MaxNesting, "64 levels");
    }

    void malformedInput()
    {
        QFETCH(QByteArray, xml);
        QFETCH(uint, error);
        QFETCH(int, line);
        QFETCH(QString, says);

        QTemporaryDir dir;
        const QString path = dir.filePath(u"bad.xml"_s);
        QVERIFY(writeFile(path, xml));
        DocumentPtr doc;
        const QString f = failure([&] { doc = Document::open(path); });
        QVERIFY(!doc);
        // The number, the file and the line, what was wrong.
        const QString where = code(error) + u": %1, line %2: "_s.arg(path).arg(line);
        QVERIFY2(f.startsWith(where) && f.contains(says) && f.size() > where.size() + 10, qPrintable(f));
        // Text given directly names its source the same way.
        EXPECT_FAILURE(([&] { Document::parse(xml, u"<memory>"_s); }), error, u"<memory>, line %1: "_s.arg(line));
    }

    // What a hand-written definition may do: a byte order mark, comments, processing
    // instructions, kind codes instead of words, xml: attributes, no version.
    void acceptedVariants()
    {
        const QByteArray xml = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- a definition -->\n<?editor tabs=2?>\n<ksf xml:lang=\"en\">\n"
                               "<capabilities key=\"K\"><set kind=\"5\" name=\"\"><operation name=\"Get_Value\"/></set></capabilities>\n"
                               "<controller name=\"RC\" key=\"K\"><robot name=\"R\"/><variable name=\"R\"/></controller>\n</ksf>\n<!-- end -->\n";
        const DocumentPtr doc = Document::parse(xml, u"hand"_s);
        QVERIFY(doc->capabilitySet(Variable, u"K"_s, QString())->operation(u"Get_Value"_s));
        QCOMPARE(doc->findController(u"RC"_s)->members().size(), 2);
    }

    void fileSystemFailures()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(u"nothing-here.xml"_s);
        const QList<std::pair<QString, QString>> cases = {
            {QString(), u"No KSF file name"_s},
            {missing, missing + u": the file does not exist"_s},
            {dir.path(), dir.path() + u": this is a folder"_s},
            // a device would never end or block the reader
            {u"/dev/zero"_s, u"/dev/zero: this is not a regular file"_s},
        };
        for (const auto &c : cases) // not a structured binding: clang 14 cannot capture those
            EXPECT_FAILURE(([&] { Document::open(c.first); }), zel::E_KSF_READ, c.second);

        // A file that opens but cannot be read: reading a process's memory from offset 0 fails
        // with an I/O error, for root as well.
        if (QFileInfo(u"/proc/self/mem"_s).isFile()) {
            EXPECT_FAILURE(([&] { Document::open(u"/proc/self/mem"_s); }), zel::E_KSF_READ, u"/proc/self/mem: the file cannot be read ("_s);
        }
    }

    void largeFiles()
    {
        QTemporaryDir dir;
        // A 50 MB file is refused unread (the file is sparse, so this costs nothing).
        const QString huge = dir.filePath(u"huge.xml"_s);
        QVERIFY(writeFile(huge, {}) && QFile::resize(huge, 50 * 1024 * 1024));
        EXPECT_FAILURE(([&] { Document::open(huge); }), zel::E_KSF_TOO_LARGE, huge + u": the file holds 52428800 bytes"_s);

        // One byte over the limit is too much as well.
        EXPECT_FAILURE(([&] { Document::parse(QByteArray(MaxFileSize + 1, ' '), u"big text"_s); }), zel::E_KSF_TOO_LARGE, u"big text: "_s);

        // A real document just under the limit opens.
        auto doc = Document::createEmpty();
        for (int c = 0; c < 64; ++c) {
            EntryPtr rc = doc->addController(u"Controller%1"_s.arg(c));
            rc->setProviderName(u"Zel.Virtual"_s);
            for (int v = 0; v < 5000; ++v)
                rc->addVariable(u"Variable%1"_s.arg(v))->setOption(u"o=%1"_s.arg(v));
        }
        const QString big = dir.filePath(u"big.xml"_s);
        doc->saveAs(big);
        QVERIFY(QFileInfo(big).size() <= MaxFileSize && QFileInfo(big).size() > MaxFileSize * 9 / 10);
        QCOMPARE(Document::open(big)->controllers().last()->members(Variable).size(), 5000);
    }

    void failedSavesKeepTheOldFile()
    {
        QTemporaryDir dir;
        auto doc = Document::createEmpty();
        EntryPtr rc = doc->addController(u"RC1"_s);
        for (int v = 0; v < 200; ++v)
            rc->addVariable(u"Variable%1"_s.arg(v));

        // Into a folder that does not exist: nothing is created.
        const QString nowhere = dir.filePath(u"no/such/folder/out.xml"_s);
        EXPECT_FAILURE(([&] { doc->saveAs(nowhere); }), zel::E_KSF_WRITE, nowhere + u": "_s);
        QVERIFY(!QFileInfo::exists(dir.filePath(u"no"_s)));

        // Onto a folder: the folder stays as it was.
        const QString folder = dir.filePath(u"folder.xml"_s);
        QVERIFY(QDir(dir.path()).mkdir(u"folder.xml"_s));
        QVERIFY(writeFile(folder + u"/inside.txt"_s, "keep"));
        EXPECT_FAILURE(([&] { doc->saveAs(folder); }), zel::E_KSF_WRITE, QString());
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(readAll(folder + u"/inside.txt"_s), QByteArray("keep"));

        // A write that fails half-way (the disk is full, here: the file-size limit is reached)
        // leaves the existing file whole and no temporary file behind.
        const QString target = dir.filePath(u"mirror.xml"_s);
        const QByteArray old = "<ksf version=\"1\">\n  <controller name=\"old\"/>\n</ksf>\n";
        QVERIFY(writeFile(target, old));
        QVERIFY(doc->toXml().size() > 4096);
        QString f;
        {
            FileSizeLimit limit(1024);
            QVERIFY(limit.active());
            f = failure([&] { doc->saveAs(target); });
        }
        QVERIFY2(f.startsWith(code(zel::E_KSF_WRITE) + u": "_s + target + u": "_s), qPrintable(f));
        QCOMPARE(readAll(target), old);
        QCOMPARE(Document::open(target)->controllerNames(), QStringList{u"old"_s});

        // A document whose text would not open again is not written at all.
        auto huge = Document::createEmpty();
        huge->addController(u"RC"_s)->setOption(QString(MaxFileSize, QLatin1Char('x')));
        EXPECT_FAILURE(([&] { huge->saveAs(target); }), zel::E_KSF_TOO_LARGE, QString());
        QCOMPARE(readAll(target), old);

        // Nothing but what the test made is left in the folder; then a good save replaces the file.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"mirror.xml"_s});
        doc->saveAs(target);
        QCOMPARE(readAll(target), doc->toXml());
    }

    void virtualProviderDefinition()
    {
        const DocumentPtr doc = Document::open(examplePath(u"zel-virtual.xml"_s));

        // Any controller falls back to the entry of empty name, and its key offers everything.
        const EntryPtr ctrl = doc->findControllerOrDefault(u"RC1"_s);
        const QString key = ctrl->key();
        QCOMPARE(key, u"Zel.Virtual"_s);

        for (int kind = Controller; kind <= Message; ++kind) {
            CapabilitySetPtr set;
            if (kind == Controller) {
                set = doc->capabilitySet(key);
            } else {
                // A member of any name, looked up as the panels do.
                const EntryPtr entry = ctrl->findMemberOrDefault(kind, u"AnyName"_s);
                QVERIFY2(entry, qPrintable(kindWord(kind)));
                set = doc->capabilitySetOrDefault(kind, key, entry->name());
            }
            QVERIFY2(set, qPrintable(kindWord(kind)));
            const OperationTable expected = panelOperations(kind);
            for (const auto &[name, arguments] : expected) {
                const OperationPtr op = set->operation(name);
                QVERIFY2(op, qPrintable(kindWord(kind) + u" lacks "_s + name));
                QCOMPARE(op->name(), name); // spelt exactly as the panels spell it
                for (int i = 1; i <= 4; ++i) {
                    const QString text = op->argumentDescription(i);
                    QVERIFY2(i <= arguments ? text.size() >= 10 : text.isEmpty(),
                             qPrintable(u"%1 %2 argument %3: [%4]"_s.arg(kindWord(kind), name).arg(i).arg(text)));
                }
            }
            QCOMPARE(set->operationNames().size(), expected.size());
        }

        // Members' own members: variables of robots, tasks, extensions and files, files of files.
        for (int kind : {Robot, Task, Extension, File})
            QVERIFY(ctrl->findMemberOrDefault(kind, u"x"_s)->findMemberOrDefault(Variable, u"v"_s));
        QVERIFY(ctrl->findMemberOrDefault(File, u"x"_s)->findMemberOrDefault(File, u"y"_s));

        // The definition survives a save and a reopen unchanged.
        QCOMPARE(dump(*Document::parse(doc->toXml(), u"again"_s)), dump(*doc));
    }

    void restrictedDefinition()
    {
        const DocumentPtr doc = Document::open(examplePath(u"zel-virtual-restricted.xml"_s));
        const QString key = doc->findControllerOrDefault(u"Cell"_s)->key();
        QCOMPARE(key, u"Restricted"_s);

        // Every operation named in it is one that a panel binds (a misspelt name would silently
        // disable a button).
        auto checkNames = [&](const CapabilitySetPtr &set) {
            QStringList known;
            for (const auto &op : panelOperations(set->kind()))
                known << op.first;
            for (const QString &name : set->operationNames())
                QVERIFY2(known.contains(name), qPrintable(kindWord(set->kind()) + u": "_s + name));
        };
        checkNames(doc->capabilitySet(key));
        for (const CapabilitySetPtr &set : doc->capabilitySets(key))
            checkNames(set);

    }
};

QTEST_GUILESS_MAIN(TestKsfFile)
#include "tst_ksffile.moc"
