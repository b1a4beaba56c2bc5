// The KSF document model: entries, nesting rules, removal, capability look-ups and round trips
// through a file.
#include "ksf/ksfmapper.h"
#include "ksftesthelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace ksf;

namespace {

// A document with every kind of entry, nested files, texts that need escaping, and two
// capability sections; the same as the workspace mirror and a definition would hold.
DocumentPtr richDocument()
{
    auto doc = Document::createEmpty();
    EntryPtr rc1 = doc->addController(u"RC1"_s);
    rc1->setProviderName(u"Zel.Virtual"_s);
    rc1->setMachineName(u"cell-7.local"_s);
    rc1->setOption(u"a=1,b=\"two\" & <three>,\ttab\nline\r\nend"_s);
    rc1->addVariable(u"I1"_s)->setOption(u"x=1"_s);
    rc1->addMember(Robot, u"Robot1"_s)->addVariable(u"@Pose"_s);
    EntryPtr folder = rc1->addFile(u"programs"_s);
    folder->addFile(u"main.prg"_s)->addVariable(u"lines"_s);
    folder->addVariable(u"count"_s);
    rc1->addMember(Task, u"Main"_s)->addVariable(u"@Status"_s);
    rc1->addMember(Extension, u"Vision"_s)->addVariable(u"score"_s);
    rc1->addMember(Command, u"Cmd1"_s)->setOption(u"t=5"_s);
    rc1->addMember(Message, u"100"_s);
    rc1->addVariable(u"late"_s);

    EntryPtr rc2 = doc->addController(QString::fromUtf8("Zelle \xC3\xBC \xF0\x9F\xA4\x96 '\"<>&"));
    rc2->setKey(u"Zel.Virtual"_s);
    rc2->addVariable(QString());

    doc->addController(QString()); // the default entry of a definition

    CapabilitySetPtr defaults = doc->addCapabilitySet(QString());
    defaults->addOperation(QString())->setArgumentDescription(1, u"Controller name"_s);
    defaults->operation(QString())->setArgumentDescription(2, u"Options"_s);
    CapabilitySetPtr virt = doc->addCapabilitySet(u"Zel.Virtual"_s);
    virt->addOperation(u"Get_Attribute"_s);
    virt->addOperation(u"Execute"_s)->setArgumentDescription(2, u"Parameter\nsecond line"_s);
    CapabilitySetPtr robots = doc->addCapabilitySet(Robot, u"Zel.Virtual"_s, QString());
    robots->addOperation(u"Move"_s)->setArgumentDescription(2, u"P(x, y, z, rx, ry, rz) or J(j1, ..., j6)"_s);
    OperationPtr rotate = robots->addOperation(u"Rotate"_s);
    for (int i = 1; i <= 4; ++i)
        rotate->setArgumentDescription(i, u"argument %1 of Rotate"_s.arg(i));
    doc->addCapabilitySet(Variable, u"Zel.Virtual"_s, u"ReadOnly"_s)->addOperation(u"Get_Value"_s);
    return doc;
}

} // namespace

class TestKsfDocument : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Kinds read by their element word or their code number, nothing else.
    void kindWordsAndCodes()
    {
        for (int kind = Controller; kind <= Message; ++kind) {
            QCOMPARE(kindFromText(kindWord(kind)), kind);
            QCOMPARE(kindFromText(QString::number(kind)), kind);
        }
        QCOMPARE(kindWord(8), QString());
        for (const QString &bad : {u"Variable"_s, u"8"_s, u"05"_s, QString()})
            QCOMPARE(kindFromText(bad), -1);
    }

    void controllersKeepOrderAndIgnoreCase()
    {
        auto doc = Document::createEmpty();
        EntryPtr b = doc->addController(u"Beta"_s);
        EntryPtr a = doc->addController(u"alpha"_s);
        EntryPtr c = doc->addController(u"Gamma"_s);
        // The same name in other letter case is the same entry, with its first spelling.
        QCOMPARE(doc->addController(u"BETA"_s), b);
        QCOMPARE(doc->findController(u"ALPHA"_s), a);
        doc->removeController(u"alPHA"_s);
        QCOMPARE(doc->controllerNames(), (QStringList{u"Beta"_s, u"Gamma"_s}));

        // Re-adding after removal appends a fresh entry at the end.
        EntryPtr a2 = doc->addController(u"Alpha"_s);
        QVERIFY(a2 != a);
        QCOMPARE(doc->controllerNames().last(), u"Alpha"_s);
        QCOMPARE(doc->controllers(), (QList<EntryPtr>{b, c, a2}));

        // A panel that still holds removed entries can go on using them.
        EntryPtr var = a->addMember(Robot, u"R1"_s)->addVariable(u"v"_s);
        a->removeRobot(u"R1"_s);
        QCOMPARE(var->name(), u"v"_s);
        a->setOption(u"still fine"_s);
        QVERIFY(!doc->toXml().contains("still fine"));
    }

    void nestingRules_data()
    {
        QTest::addColumn<int>("parent");
        QTest::addColumn<QList<int>>("holds");
        QTest::newRow("controller") << int(Controller) << QList<int>{Extension, File, Robot, Task, Variable, Command, Message};
        QTest::newRow("robot") << int(Robot) << QList<int>{Variable};
        QTest::newRow("file") << int(File) << QList<int>{File, Variable};
        QTest::newRow("variable") << int(Variable) << QList<int>{};
    }

    void nestingRules()
    {
        QFETCH(int, parent);
        QFETCH(QList<int>, holds);
        auto doc = Document::createEmpty();
        EntryPtr rc = doc->addController(u"RC"_s);
        EntryPtr entry = parent == Controller ? rc : rc->addMember(parent, u"p"_s);
        for (int kind = Extension; kind <= Message; ++kind) {
            const bool allowed = holds.contains(kind);
            QCOMPARE(canHold(parent, kind), allowed);
            const auto err = errorOf([&] { entry->addMember(kind, u"m"_s); });
            if (allowed) {
                QVERIFY2(!err, qPrintable(kindWord(kind)));
                QCOMPARE(entry->findMember(kind, u"m"_s)->kind(), kind);
            } else {
                QVERIFY2(err, qPrintable(kindWord(kind)));
                QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_BAD_NESTING));
                QVERIFY(err->description().contains(kindWord(kind)));
            }
        }
        QCOMPARE(entry->members().size(), holds.size());
    }

    void unknownKindsAreRefused()
    {
        auto doc = Document::createEmpty();
        EntryPtr rc = doc->addController(u"RC"_s);
        for (int kind : {0, 8}) {
            const QString f = failure([&] { rc->addMember(kind, u"x"_s); });
            QVERIFY2(f.startsWith(code(zel::E_KSF_UNKNOWN_KIND)) && f.contains(QString::number(kind)), qPrintable(f));
            QVERIFY(errorOf([&] { doc->addCapabilitySet(kind, QString(), QString()); }));
        }
        QVERIFY(rc->members().isEmpty());
        QVERIFY(doc->capabilityKeys().isEmpty()); // a refused set creates no section either
    }

    // One name in every kind is a separate entry; each removal takes exactly the entry of its
    // own kind, and fails for a name its kind does not hold.
    void removalByKind()
    {
        auto doc = Document::createEmpty();
        EntryPtr rc = doc->addController(u"RC"_s);
        for (int kind = Extension; kind <= Message; ++kind)
            rc->addMember(kind, u"same"_s);
        QCOMPARE(rc->addVariable(u"Same"_s), rc->findMember(Variable, u"SAME"_s));
        rc->addVariable(u"second"_s);
        QCOMPARE(rc->members().size(), 8);
        const QList<std::pair<int, std::function<void(const QString &)>>> removals = {
            {Robot, [&](const QString &n) { rc->removeRobot(n); }},
            {Variable, [&](const QString &n) { rc->removeVariable(n); }},
            {File, [&](const QString &n) { rc->removeFile(n); }},
            {Task, [&](const QString &n) { rc->removeTask(n); }},
            {Extension, [&](const QString &n) { rc->removeExtension(n); }},
            {Command, [&](const QString &n) { rc->removeCommand(n); }},
            {Message, [&](const QString &n) { rc->removeMessage(n); }},
        };
        for (const auto &removal : removals) {
            // Named copies, not a structured binding: clang 14 cannot capture those.
            const int kind = removal.first;
            const auto &remove = removal.second;
            const qsizetype before = rc->members().size();
            remove(u"SAME"_s);
            QCOMPARE(rc->members().size(), before - 1);
            QCOMPARE(rc->findMember(kind, u"same"_s), nullptr);
            const auto err = errorOf([&] { remove(u"same"_s); });
            QVERIFY2(err && err->unsignedNumber() == zel::E_KSF_NO_ENTRY, qPrintable(kindWord(kind)));
        }
        QCOMPARE(rc->members().size(), 1);
        EXPECT_FAILURE(([&] { doc->removeController(u"RC2"_s); }), zel::E_KSF_NO_ENTRY, QString());
        EXPECT_FAILURE(([&] { doc->addCapabilitySet(QString())->removeOperation(u"Get_ID"_s); }), zel::E_KSF_NO_ENTRY, QString());
    }

    // Provider, machine and key belong to controllers; members have only an option.
    void controllerOnlyFields()
    {
        EntryPtr var = Document::createEmpty()->addController(u"RC"_s)->addVariable(u"v"_s);
        var->setOption(u"member option"_s);
        EXPECT_FAILURE(([&] { var->setProviderName(u"p"_s); }), zel::E_INVALID_ARG, QString());
        EXPECT_FAILURE(([&] { var->setKey(u"k"_s); }), zel::E_INVALID_ARG, QString());
        QCOMPARE(var->providerName() + var->key() + var->option(), u"member option"_s);
    }

    void textsAnXmlFileCannotHoldAreRefused()
    {
        auto doc = Document::createEmpty();
        EntryPtr rc = doc->addController(u"RC"_s);
        const QString bad[] = {u"a"_s + QChar(0x01), QString(QChar(0xD800)) /* lone high surrogate */};
        for (const QString &text : bad) {
            const QList<std::function<void()>> calls = {
                [&] { doc->addController(text); },
                [&] { rc->addVariable(text); },
                [&] { rc->setOption(text); },
                [&] { rc->setMachineName(text); },
                [&] { doc->addCapabilitySet(Variable, u"k"_s, text); },
                [&] { doc->addCapabilitySet(u"k"_s)->addOperation(text); },
                [&] { doc->addCapabilitySet(u"k"_s)->addOperation(u"op"_s)->setArgumentDescription(1, text); },
            };
            for (const auto &call : calls) {
                const auto err = errorOf(call);
                QVERIFY(err && err->unsignedNumber() == zel::E_INVALID_ARG);
                QVERIFY2(err->description().contains(u"U+"_s), qPrintable(err->description()));
            }
        }
        // Nothing of that reached the document, and it still saves and opens.
        QCOMPARE(doc->controllerNames(), QStringList{u"RC"_s});
        QCOMPARE(doc->capabilitySet(u"k"_s)->operationNames(), QStringList{u"op"_s});
        QCOMPARE(dump(*Document::parse(doc->toXml(), u"mem"_s)), dump(*doc));

        // Tabs, line ends and characters beyond the basic plane are fine.
        const QString good = u"a\tb\nc\r\nd "_s + QString::fromUtf8("\xF0\x9F\x98\x80 \xEF\xBF\xBD");
        rc->setOption(good);
        QCOMPARE(Document::parse(doc->toXml(), u"mem"_s)->findController(u"RC"_s)->option(), good);
    }

    void nestingDepthIsLimited()
    {
        auto doc = Document::createEmpty();
        EntryPtr entry = doc->addController(u"RC"_s); // level 1
        for (int level = 2; level <= MaxNesting; ++level)
            entry = entry->addFile(u"f%1"_s.arg(level));
        EXPECT_FAILURE(([&] { entry->addFile(u"too deep"_s); }), zel::E_KSF_TOO_LARGE, QString());
        QVERIFY(entry->members().isEmpty());
        // The deepest document that can be built saves and opens again.
        const DocumentPtr again = Document::parse(doc->toXml(), u"deep"_s);
        QCOMPARE(dump(*again), dump(*doc));
    }

    void capabilityLookups()
    {
        const DocumentPtr doc = richDocument();
        // Controller-level sets by key, the key compared without regard to letter case.
        CapabilitySetPtr virt = doc->capabilitySet(u"zel.virtual"_s);
        QCOMPARE(virt->key(), u"Zel.Virtual"_s);
        QVERIFY(virt->operation(u"get_attribute"_s));
        QCOMPARE(doc->capabilitySet(u"Other"_s), nullptr);
        // The empty key's set describes adding a controller.
        QCOMPARE(doc->capabilitySet(QString())->operation(QString())->argumentDescription(2), u"Options"_s);

        // Member sets by kind, key and entry name.
        CapabilitySetPtr robots = doc->capabilitySet(Robot, u"ZEL.VIRTUAL"_s, QString());
        QVERIFY(robots->operation(u"move"_s));
        QCOMPARE(doc->capabilitySet(Robot, QString(), QString()), nullptr);   // no key fall-back
        QVERIFY(doc->capabilitySet(Variable, u"Zel.Virtual"_s, u"readonly"_s));
        QCOMPARE(doc->capabilitySet(Robot, u"Zel.Virtual"_s, u"ReadOnly"_s), nullptr);
        QCOMPARE(doc->capabilitySets(u"Zel.Virtual"_s).size(), 2);

        // Adding what exists returns it.
        QCOMPARE(doc->addCapabilitySet(u"ZEL.virtual"_s), virt);
        QCOMPARE(virt->addOperation(u"EXECUTE"_s), virt->operation(u"Execute"_s));
        QCOMPARE(virt->operationNames().size(), 2);

        // A kind set of a new key brings its section along, with an empty controller-level set.
        doc->addCapabilitySet(Command, u"New"_s, u"c"_s);
        QVERIFY(doc->capabilitySet(u"new"_s)->operationNames().isEmpty());
        virt->removeOperation(u"get_ATTRIBUTE"_s);
        QCOMPARE(virt->operationNames(), QStringList{u"Execute"_s});
    }

    void capabilityFallbacksToTheEmptyName()
    {
        // What a panel does: find the controller's entry by name (else the entry of empty name),
        // take its key, find the member's entry by name in it (else the empty name), and look the
        // set up by kind, key and entry name (else the empty entry name).
        auto doc = Document::createEmpty();
        EntryPtr special = doc->addController(u"RC-Special"_s);
        special->setKey(u"Special"_s);
        special->addVariable(u"Speed"_s);
        EntryPtr anyCtrl = doc->addController(QString());
        anyCtrl->setKey(u"Std"_s);
        anyCtrl->addVariable(QString());
        anyCtrl->addVariable(u"Speed"_s);
        EntryPtr anyRobot = anyCtrl->addMember(Robot, QString());
        anyRobot->addVariable(u"J1"_s);
        doc->addCapabilitySet(Variable, u"Std"_s, QString())->addOperation(u"Get_Value"_s);
        doc->addCapabilitySet(Variable, u"Std"_s, u"Speed"_s)->addOperation(u"Put_Value"_s);
        doc->addCapabilitySet(Variable, u"Special"_s, u"Speed"_s)->addOperation(u"Get_ID"_s);

        QCOMPARE(doc->findControllerOrDefault(u"rc-special"_s), special);
        QCOMPARE(doc->findControllerOrDefault(u"RC9"_s), anyCtrl);
        QCOMPARE(doc->findController(u"RC9"_s), nullptr);

        QCOMPARE(anyCtrl->findMemberOrDefault(Variable, u"SPEED"_s)->name(), u"Speed"_s);
        QCOMPARE(anyCtrl->findMemberOrDefault(Variable, u"Other"_s)->name(), QString());
        QCOMPARE(anyCtrl->findMemberOrDefault(Task, u"T1"_s), nullptr); // no default task entry
        QCOMPARE(anyRobot->findMemberOrDefault(Variable, u"J1"_s)->name(), u"J1"_s);
        QCOMPARE(anyRobot->findMemberOrDefault(Variable, u"J2"_s), nullptr);
        QCOMPARE(special->findMemberOrDefault(Variable, u"Other"_s), nullptr);

        // Sets; no default under the key "Special", and no fall-back to another key.
        auto ops = [&](int kind, const QString &key, const QString &name) {
            const CapabilitySetPtr set = doc->capabilitySetOrDefault(kind, key, name);
            return set ? set->operationNames().join(u'+') : u"-"_s;
        };
        QCOMPARE((QStringList{ops(Variable, u"Std"_s, u"speed"_s), ops(Variable, u"Std"_s, u"J1"_s), ops(Variable, u"Special"_s, u"Speed"_s),
                              ops(Variable, u"Special"_s, u"Other"_s), ops(Robot, u"Std"_s, u"R1"_s), ops(Variable, u"Missing"_s, QString())}),
                 (QStringList{"Put_Value", "Get_Value", "Get_ID", "-", "-", "-"}));
    }

    void operationArguments()
    {
        OperationPtr op = Document::createEmpty()->addCapabilitySet(QString())->addOperation(u"Rotate"_s);
        op->setArgumentDescription(4, u"option"_s);
        QCOMPARE(op->argumentDescription(4), u"option"_s);
        for (int i : {0, 5}) {
            QCOMPARE(op->argumentDescription(i), QString());
            EXPECT_FAILURE(([&] { op->setArgumentDescription(i, u"x"_s); }), zel::E_INVALID_ARG, QString());
        }
    }

    void roundTripThroughAFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const DocumentPtr doc = richDocument();
        const QString path = dir.filePath(u"mirror.xml"_s);
        doc->saveAs(path);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QCOMPARE(written, doc->toXml());

        const DocumentPtr again = Document::open(path);
        QCOMPARE(dump(*again), dump(*doc));
        QCOMPARE(again->toXml(), written);

        // Escaped texts through the interface the panels use.
        QCOMPARE(again->findController(u"rc1"_s)->option(), u"a=1,b=\"two\" & <three>,\ttab\nline\r\nend"_s);

        // Saving over the file replaces it whole and leaves nothing else in the folder.
        again->removeController(u"RC1"_s);
        again->saveAs(path);
        QCOMPARE(dump(*Document::open(path)), dump(*again));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"mirror.xml"_s});

        // An empty document saves and opens as well.
        Document::createEmpty()->saveAs(path);
        QVERIFY(Document::open(path)->controllerNames().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestKsfDocument)
#include "tst_ksfdocument.moc"
