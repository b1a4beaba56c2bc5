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

class TestKsfDocument : public QObject {
    Q_OBJECT

private:
    // A document with every kind of entry, nested files, texts that need escaping, and two
    // capability sections; the same as the workspace mirror and a definition would hold.
    static DocumentPtr richDocument();

private Q_SLOTS:
    void kindCodes();
    void controllersKeepOrderAndIgnoreCase();
    void removedEntriesStayUsable();
    void nestingRules_data();
    void nestingRules();
    void unknownKindsAreRefused();
    void membersByKindAndRemoval();
    void removalOfMissingNamesFails();
    void controllerOnlyFields();
    void textsAnXmlFileCannotHoldAreRefused();
    void nestingDepthIsLimited();
    void capabilityLookups();
    void capabilityFallbacksToTheEmptyName();
    void operationArguments();
    void roundTripThroughAFile();
    void roundTripOfAnEmptyDocument();
    void savedTextOpensAgainAfterEdits();
};

DocumentPtr TestKsfDocument::richDocument()
{
    auto doc = Document::createEmpty();
    EntryPtr rc1 = doc->addController(QStringLiteral("RC1"));
    rc1->setProviderName(QStringLiteral("Zel.Virtual"));
    rc1->setMachineName(QStringLiteral("cell-7.local"));
    rc1->setOption(QStringLiteral("a=1,b=\"two\" & <three>,\ttab\nline\r\nend"));
    rc1->addVariable(QStringLiteral("I1"))->setOption(QStringLiteral("x=1"));
    rc1->addVariable(QStringLiteral("@Clock"));
    EntryPtr robot = rc1->addMember(Robot, QStringLiteral("Robot1"));
    robot->addVariable(QStringLiteral("@Pose"));
    EntryPtr folder = rc1->addFile(QStringLiteral("programs"));
    folder->addFile(QStringLiteral("main.prg"))->addVariable(QStringLiteral("lines"));
    folder->addVariable(QStringLiteral("count"));
    rc1->addMember(Task, QStringLiteral("Main"))->addVariable(QStringLiteral("@Status"));
    rc1->addMember(Extension, QStringLiteral("Vision"))->addVariable(QStringLiteral("score"));
    rc1->addMember(Command, QStringLiteral("Cmd1"))->setOption(QStringLiteral("t=5"));
    rc1->addMember(Message, QStringLiteral("100"));
    rc1->addVariable(QStringLiteral("late"));

    EntryPtr rc2 = doc->addController(QString::fromUtf8("Zelle \xC3\xBC \xF0\x9F\xA4\x96 '\"<>&"));
    rc2->setKey(QStringLiteral("Zel.Virtual"));
    rc2->addVariable(QString());

    doc->addController(QString()); // the default entry of a definition

    CapabilitySetPtr defaults = doc->addCapabilitySet(QString());
    defaults->addOperation(QString())->setArgumentDescription(1, QStringLiteral("Controller name"));
    defaults->operation(QString())->setArgumentDescription(2, QStringLiteral("Options"));
    CapabilitySetPtr virt = doc->addCapabilitySet(QStringLiteral("Zel.Virtual"));
    virt->addOperation(QStringLiteral("Get_Attribute"));
    virt->addOperation(QStringLiteral("Execute"))->setArgumentDescription(2, QStringLiteral("Parameter\nsecond line"));
    CapabilitySetPtr robots = doc->addCapabilitySet(Robot, QStringLiteral("Zel.Virtual"), QString());
    OperationPtr move = robots->addOperation(QStringLiteral("Move"));
    move->setArgumentDescription(1, QStringLiteral("1 PTP, 2 linear, 3 circular"));
    move->setArgumentDescription(2, QStringLiteral("P(x, y, z, rx, ry, rz) or J(j1, ..., j6)"));
    move->setArgumentDescription(3, QStringLiteral("Option"));
    robots->addOperation(QStringLiteral("GoHome"));
    OperationPtr rotate = robots->addOperation(QStringLiteral("Rotate"));
    for (int i = 1; i <= 4; ++i)
        rotate->setArgumentDescription(i, QStringLiteral("argument %1 of Rotate").arg(i));
    doc->addCapabilitySet(Variable, QStringLiteral("Zel.Virtual"), QStringLiteral("ReadOnly"))
        ->addOperation(QStringLiteral("Get_Value"));
    doc->addCapabilitySet(Message, QStringLiteral("Zel.Virtual"), QStringLiteral("100"))
        ->addOperation(QStringLiteral("Reply"));
    return doc;
}

void TestKsfDocument::kindCodes()
{
    QCOMPARE(int(Extension), 1);
    QCOMPARE(int(File), 2);
    QCOMPARE(int(Robot), 3);
    QCOMPARE(int(Task), 4);
    QCOMPARE(int(Variable), 5);
    QCOMPARE(int(Command), 6);
    QCOMPARE(int(Message), 7);
    for (int kind = Controller; kind <= Message; ++kind) {
        QVERIFY(!kindWord(kind).isEmpty());
        QCOMPARE(kindFromText(kindWord(kind)), kind);
        QCOMPARE(kindFromText(QString::number(kind)), kind);
    }
    QCOMPARE(kindWord(8), QString());
    QCOMPARE(kindWord(-1), QString());
    QCOMPARE(kindFromText(QStringLiteral("Variable")), -1); // element names are lower case
    QCOMPARE(kindFromText(QStringLiteral("8")), -1);
    QCOMPARE(kindFromText(QStringLiteral("05")), -1);
    QCOMPARE(kindFromText(QString()), -1);
}

void TestKsfDocument::controllersKeepOrderAndIgnoreCase()
{
    auto doc = Document::createEmpty();
    QVERIFY(doc->controllerNames().isEmpty());
    EntryPtr b = doc->addController(QStringLiteral("Beta"));
    EntryPtr a = doc->addController(QStringLiteral("alpha"));
    EntryPtr c = doc->addController(QStringLiteral("Gamma"));
    QCOMPARE(doc->controllerNames(), (QStringList{QStringLiteral("Beta"), QStringLiteral("alpha"), QStringLiteral("Gamma")}));
    QCOMPARE(b->kind(), int(Controller));
    QCOMPARE(b->name(), QStringLiteral("Beta"));
    QCOMPARE(b->key(), QString());

    // The same name in other letter case is the same entry, with its first spelling.
    QCOMPARE(doc->addController(QStringLiteral("BETA")), b);
    QCOMPARE(doc->controllerNames().size(), 3);
    QCOMPARE(doc->findController(QStringLiteral("ALPHA")), a);
    QCOMPARE(doc->findController(QStringLiteral("Delta")), nullptr);

    doc->removeController(QStringLiteral("alPHA"));
    QCOMPARE(doc->controllerNames(), (QStringList{QStringLiteral("Beta"), QStringLiteral("Gamma")}));
    QCOMPARE(doc->findController(QStringLiteral("alpha")), nullptr);

    // Re-adding after removal appends a fresh entry at the end.
    EntryPtr a2 = doc->addController(QStringLiteral("Alpha"));
    QVERIFY(a2 != a);
    QCOMPARE(doc->controllerNames().last(), QStringLiteral("Alpha"));
    QCOMPARE(doc->controllers(), (QList<EntryPtr>{b, c, a2}));
}

void TestKsfDocument::removedEntriesStayUsable()
{
    auto doc = Document::createEmpty();
    EntryPtr rc = doc->addController(QStringLiteral("RC1"));
    EntryPtr robot = rc->addMember(Robot, QStringLiteral("R1"));
    EntryPtr var = robot->addVariable(QStringLiteral("v"));
    doc->removeController(QStringLiteral("RC1"));
    rc->removeRobot(QStringLiteral("R1"));

    // A panel that still holds the entries can go on using them.
    QCOMPARE(robot->name(), QStringLiteral("R1"));
    QCOMPARE(robot->findMember(Variable, QStringLiteral("v")), var);
    robot->removeVariable(QStringLiteral("v"));
    QVERIFY(robot->members().isEmpty());
    rc->setOption(QStringLiteral("still fine"));
    QCOMPARE(rc->option(), QStringLiteral("still fine"));
    QVERIFY(doc->controllers().isEmpty());
    QVERIFY(!doc->toXml().contains("RC1"));
}

void TestKsfDocument::nestingRules_data()
{
    QTest::addColumn<int>("parent");
    QTest::addColumn<QList<int>>("holds");
    QTest::newRow("controller") << int(Controller)
                                << QList<int>{Extension, File, Robot, Task, Variable, Command, Message};
    QTest::newRow("robot") << int(Robot) << QList<int>{Variable};
    QTest::newRow("task") << int(Task) << QList<int>{Variable};
    QTest::newRow("extension") << int(Extension) << QList<int>{Variable};
    QTest::newRow("file") << int(File) << QList<int>{File, Variable};
    QTest::newRow("variable") << int(Variable) << QList<int>{};
    QTest::newRow("command") << int(Command) << QList<int>{};
    QTest::newRow("message") << int(Message) << QList<int>{};
}

void TestKsfDocument::nestingRules()
{
    QFETCH(int, parent);
    QFETCH(QList<int>, holds);
    auto doc = Document::createEmpty();
    EntryPtr rc = doc->addController(QStringLiteral("RC"));
    EntryPtr entry = parent == Controller ? rc : rc->addMember(parent, QStringLiteral("p"));
    for (int kind = Extension; kind <= Message; ++kind) {
        const bool allowed = holds.contains(kind);
        QCOMPARE(entry->canHold(kind), allowed);
        QCOMPARE(canHold(parent, kind), allowed);
        const auto err = errorOf([&] { entry->addMember(kind, QStringLiteral("m")); });
        if (allowed) {
            QVERIFY2(!err, qPrintable(kindWord(kind)));
            QCOMPARE(entry->findMember(kind, QStringLiteral("m"))->kind(), kind);
        } else {
            QVERIFY2(err, qPrintable(kindWord(kind)));
            QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_BAD_NESTING));
            QVERIFY(err->description().contains(kindWord(kind)));
        }
    }
    QCOMPARE(entry->members().size(), holds.size());
    // The shortcuts follow the same rules.
    QCOMPARE(bool(errorOf([&] { entry->addVariable(QStringLiteral("v2")); })), !holds.contains(Variable));
    QCOMPARE(bool(errorOf([&] { entry->addFile(QStringLiteral("f2")); })), !holds.contains(File));
}

void TestKsfDocument::unknownKindsAreRefused()
{
    auto doc = Document::createEmpty();
    EntryPtr rc = doc->addController(QStringLiteral("RC"));
    for (int kind : {0, 8, -1, 100}) {
        const auto err = errorOf([&] { rc->addMember(kind, QStringLiteral("x")); });
        QVERIFY(err);
        QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_UNKNOWN_KIND));
        QVERIFY(err->description().contains(QString::number(kind)));
        QVERIFY(rc->members(kind).isEmpty());
        QCOMPARE(rc->findMember(kind, QStringLiteral("x")), nullptr);
        QVERIFY(errorOf([&] { doc->addCapabilitySet(kind, QString(), QString()); }));
        QCOMPARE(doc->capabilitySet(kind, QString(), QString()), nullptr);
    }
    QVERIFY(rc->members().isEmpty());
    QVERIFY(doc->capabilityKeys().isEmpty()); // a refused set creates no section either
}

void TestKsfDocument::membersByKindAndRemoval()
{
    auto doc = Document::createEmpty();
    EntryPtr rc = doc->addController(QStringLiteral("RC"));
    // One name in every kind: each is a separate entry.
    QList<EntryPtr> entries;
    for (int kind = Extension; kind <= Message; ++kind)
        entries << rc->addMember(kind, QStringLiteral("same"));
    rc->addVariable(QStringLiteral("second"));
    QCOMPARE(rc->members().size(), 8);
    QCOMPARE(rc->members(Variable).size(), 2);
    QCOMPARE(rc->members(Variable).first()->name(), QStringLiteral("same"));
    QCOMPARE(rc->members(Variable).last()->name(), QStringLiteral("second"));
    QCOMPARE(rc->addMember(Variable, QStringLiteral("SAME")), entries.at(Variable - 1));
    QCOMPARE(rc->addVariable(QStringLiteral("Same")), entries.at(Variable - 1));
    QCOMPARE(rc->members().size(), 8);

    // Each removal takes exactly the entry of its own kind.
    const QList<std::pair<int, std::function<void()>>> removals = {
        {Robot, [&] { rc->removeRobot(QStringLiteral("SAME")); }},
        {Variable, [&] { rc->removeVariable(QStringLiteral("same")); }},
        {File, [&] { rc->removeFile(QStringLiteral("same")); }},
        {Task, [&] { rc->removeTask(QStringLiteral("same")); }},
        {Extension, [&] { rc->removeExtension(QStringLiteral("same")); }},
        {Command, [&] { rc->removeCommand(QStringLiteral("same")); }},
        {Message, [&] { rc->removeMessage(QStringLiteral("same")); }},
    };
    int left = 8;
    for (const auto &[kind, remove] : removals) {
        remove();
        --left;
        QCOMPARE(rc->members().size(), left);
        QCOMPARE(rc->findMember(kind, QStringLiteral("same")), nullptr);
        for (const EntryPtr &m : rc->members())
            QVERIFY(m->kind() != kind || m->name() == QStringLiteral("second"));
    }
    QCOMPARE(rc->members().size(), 1);
    QCOMPARE(rc->members().first()->name(), QStringLiteral("second"));

    // Files hold files and variables; removal works below a file as well.
    EntryPtr folder = rc->addFile(QStringLiteral("folder"));
    folder->addFile(QStringLiteral("a"));
    folder->addVariable(QStringLiteral("a"));
    folder->removeFile(QStringLiteral("A"));
    QCOMPARE(folder->members().size(), 1);
    QCOMPARE(folder->members().first()->kind(), int(Variable));
}

void TestKsfDocument::removalOfMissingNamesFails()
{
    auto doc = Document::createEmpty();
    EntryPtr rc = doc->addController(QStringLiteral("RC"));
    rc->addVariable(QStringLiteral("v"));
    const QList<std::function<void()>> calls = {
        [&] { rc->removeVariable(QStringLiteral("w")); },
        [&] { rc->removeRobot(QStringLiteral("v")); }, // a variable is not a robot
        [&] { rc->removeFile(QStringLiteral("v")); },
        [&] { rc->removeTask(QStringLiteral("v")); },
        [&] { rc->removeExtension(QStringLiteral("v")); },
        [&] { rc->removeCommand(QStringLiteral("v")); },
        [&] { doc->removeController(QStringLiteral("RC2")); },
        [&] { doc->addCapabilitySet(QString())->removeOperation(QStringLiteral("Get_ID")); },
    };
    for (const auto &call : calls) {
        const auto err = errorOf(call);
        QVERIFY(err);
        QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_NO_ENTRY));
        QVERIFY(!err->description().isEmpty());
    }
    QCOMPARE(rc->members().size(), 1);
    QCOMPARE(doc->controllerNames(), QStringList{QStringLiteral("RC")});
}

void TestKsfDocument::controllerOnlyFields()
{
    auto doc = Document::createEmpty();
    EntryPtr rc = doc->addController(QStringLiteral("RC"));
    rc->setProviderName(QStringLiteral("Zel.Virtual"));
    rc->setMachineName(QStringLiteral("localhost"));
    rc->setOption(QStringLiteral("o"));
    rc->setKey(QStringLiteral("K"));
    QCOMPARE(rc->providerName(), QStringLiteral("Zel.Virtual"));
    QCOMPARE(rc->machineName(), QStringLiteral("localhost"));
    QCOMPARE(rc->option(), QStringLiteral("o"));
    QCOMPARE(rc->key(), QStringLiteral("K"));

    EntryPtr var = rc->addVariable(QStringLiteral("v"));
    var->setOption(QStringLiteral("member option"));
    QCOMPARE(var->option(), QStringLiteral("member option"));
    for (const auto &call : QList<std::function<void()>>{[&] { var->setProviderName(QStringLiteral("p")); },
                                                         [&] { var->setMachineName(QStringLiteral("m")); },
                                                         [&] { var->setKey(QStringLiteral("k")); }}) {
        const auto err = errorOf(call);
        QVERIFY(err);
        QCOMPARE(err->unsignedNumber(), quint32(zel::E_INVALID_ARG));
    }
    QCOMPARE(var->providerName(), QString());
    QCOMPARE(var->machineName(), QString());
    QCOMPARE(var->key(), QString());
}

void TestKsfDocument::textsAnXmlFileCannotHoldAreRefused()
{
    auto doc = Document::createEmpty();
    EntryPtr rc = doc->addController(QStringLiteral("RC"));
    const QString bad[] = {
        QStringLiteral("a") + QChar(0x01),
        QString(QChar(0x00)),
        QStringLiteral("x") + QChar(0x1B) + QStringLiteral("[0m"),
        QString(QChar(0xFFFE)),
        QString(QChar(0xD800)),                       // lone high surrogate
        QString(QChar(0xDC00)) + QStringLiteral("b"), // lone low surrogate
    };
    for (const QString &text : bad) {
        const QList<std::function<void()>> calls = {
            [&] { doc->addController(text); },
            [&] { rc->addVariable(text); },
            [&] { rc->setOption(text); },
            [&] { rc->setProviderName(text); },
            [&] { rc->setMachineName(text); },
            [&] { rc->setKey(text); },
            [&] { doc->addCapabilitySet(text); },
            [&] { doc->addCapabilitySet(Variable, QStringLiteral("k"), text); },
            [&] { doc->addCapabilitySet(QStringLiteral("k"))->addOperation(text); },
            [&] { doc->addCapabilitySet(QStringLiteral("k"))->addOperation(QStringLiteral("op"))->setArgumentDescription(1, text); },
        };
        for (const auto &call : calls) {
            const auto err = errorOf(call);
            QVERIFY(err);
            QCOMPARE(err->unsignedNumber(), quint32(zel::E_INVALID_ARG));
            QVERIFY2(err->description().contains(QStringLiteral("U+")), qPrintable(err->description()));
        }
    }
    // Nothing of that reached the document, and it still saves and opens.
    QCOMPARE(doc->controllerNames(), QStringList{QStringLiteral("RC")});
    QVERIFY(rc->members().isEmpty());
    QCOMPARE(rc->option(), QString());
    QCOMPARE(doc->capabilitySets(QStringLiteral("k")).size(), 0);
    QCOMPARE(doc->capabilitySet(QStringLiteral("k"))->operationNames(), QStringList{QStringLiteral("op")});
    QCOMPARE(doc->capabilitySet(QStringLiteral("k"))->operation(QStringLiteral("op"))->argumentDescription(1), QString());
    QCOMPARE(dump(*Document::parse(doc->toXml(), QStringLiteral("mem"))), dump(*doc));

    // Tabs, line ends and characters beyond the basic plane are fine.
    const QString good = QStringLiteral("a\tb\nc\r\nd ") + QString::fromUtf8("\xF0\x9F\x98\x80 \xEF\xBF\xBD");
    rc->setOption(good);
    QCOMPARE(Document::parse(doc->toXml(), QStringLiteral("mem"))->findController(QStringLiteral("RC"))->option(), good);
}

void TestKsfDocument::nestingDepthIsLimited()
{
    auto doc = Document::createEmpty();
    EntryPtr entry = doc->addController(QStringLiteral("RC")); // level 1
    for (int level = 2; level <= MaxNesting; ++level)
        entry = entry->addFile(QStringLiteral("f%1").arg(level));
    const auto err = errorOf([&] { entry->addFile(QStringLiteral("too deep")); });
    QVERIFY(err);
    QCOMPARE(err->unsignedNumber(), quint32(zel::E_KSF_TOO_LARGE));
    QVERIFY(entry->members().isEmpty());
    // The deepest document that can be built saves and opens again.
    const DocumentPtr again = Document::parse(doc->toXml(), QStringLiteral("deep"));
    QCOMPARE(dump(*again), dump(*doc));
}

void TestKsfDocument::capabilityLookups()
{
    const DocumentPtr doc = richDocument();
    // Controller-level sets by key, the key compared without regard to letter case.
    CapabilitySetPtr virt = doc->capabilitySet(QStringLiteral("zel.virtual"));
    QVERIFY(virt);
    QCOMPARE(virt->kind(), int(Controller));
    QCOMPARE(virt->key(), QStringLiteral("Zel.Virtual"));
    QCOMPARE(virt->operationNames(), (QStringList{QStringLiteral("Get_Attribute"), QStringLiteral("Execute")}));
    QVERIFY(virt->operation(QStringLiteral("get_attribute")));
    QCOMPARE(virt->operation(QStringLiteral("Put_ID")), nullptr);
    QCOMPARE(virt->operation(QString()), nullptr);
    QCOMPARE(doc->capabilitySet(QStringLiteral("Other")), nullptr);

    // The empty key's set describes adding a controller.
    CapabilitySetPtr defaults = doc->capabilitySet(QString());
    QVERIFY(defaults);
    QCOMPARE(defaults->operation(QString())->argumentDescription(1), QStringLiteral("Controller name"));
    QCOMPARE(defaults->operation(QString())->argumentDescription(2), QStringLiteral("Options"));

    // Member sets by kind, key and entry name.
    CapabilitySetPtr robots = doc->capabilitySet(Robot, QStringLiteral("ZEL.VIRTUAL"), QString());
    QVERIFY(robots);
    QCOMPARE(robots->kind(), int(Robot));
    QCOMPARE(robots->entryName(), QString());
    QVERIFY(robots->operation(QStringLiteral("GoHome")));
    QVERIFY(robots->operation(QStringLiteral("move")));
    QCOMPARE(robots->operation(QStringLiteral("Drive")), nullptr);
    QCOMPARE(doc->capabilitySet(Robot, QString(), QString()), nullptr);   // no key fall-back
    QCOMPARE(doc->capabilitySet(Task, QStringLiteral("Zel.Virtual"), QString()), nullptr);
    QCOMPARE(doc->capabilitySet(Controller, QStringLiteral("Zel.Virtual"), QString()), nullptr);
    QVERIFY(doc->capabilitySet(Variable, QStringLiteral("Zel.Virtual"), QStringLiteral("readonly")));
    QCOMPARE(doc->capabilitySet(Robot, QStringLiteral("Zel.Virtual"), QStringLiteral("ReadOnly")), nullptr);
    QVERIFY(doc->capabilitySet(Message, QStringLiteral("Zel.Virtual"), QStringLiteral("100")));

    QCOMPARE(doc->capabilityKeys(), (QStringList{QString(), QStringLiteral("Zel.Virtual")}));
    QCOMPARE(doc->capabilitySets(QStringLiteral("Zel.Virtual")).size(), 3);
    QVERIFY(doc->capabilitySets(QStringLiteral("none")).isEmpty());

    // Adding what exists returns it.
    QCOMPARE(doc->addCapabilitySet(QStringLiteral("ZEL.virtual")), virt);
    QCOMPARE(doc->addCapabilitySet(Robot, QStringLiteral("Zel.Virtual"), QString()), robots);
    QCOMPARE(virt->addOperation(QStringLiteral("EXECUTE")), virt->operation(QStringLiteral("Execute")));
    QCOMPARE(virt->operationNames().size(), 2);

    // A kind set of a new key brings its section along, with an empty controller-level set.
    doc->addCapabilitySet(Command, QStringLiteral("New"), QStringLiteral("c"));
    QVERIFY(doc->capabilitySet(QStringLiteral("new")));
    QVERIFY(doc->capabilitySet(QStringLiteral("new"))->operationNames().isEmpty());

    virt->removeOperation(QStringLiteral("get_ATTRIBUTE"));
    QCOMPARE(virt->operationNames(), QStringList{QStringLiteral("Execute")});
    QCOMPARE(virt->operation(QStringLiteral("Get_Attribute")), nullptr);
}

void TestKsfDocument::capabilityFallbacksToTheEmptyName()
{
    // What a panel does: find the controller's entry by name (else the entry of empty name),
    // take its key, find the member's entry by name in it (else the empty name), and look the
    // set up by kind, key and entry name (else the empty entry name).
    auto doc = Document::createEmpty();
    EntryPtr special = doc->addController(QStringLiteral("RC-Special"));
    special->setKey(QStringLiteral("Special"));
    special->addVariable(QStringLiteral("Speed"));
    EntryPtr anyCtrl = doc->addController(QString());
    anyCtrl->setKey(QStringLiteral("Std"));
    anyCtrl->addVariable(QString());
    anyCtrl->addVariable(QStringLiteral("Speed"));
    EntryPtr anyRobot = anyCtrl->addMember(Robot, QString());
    anyRobot->addVariable(QStringLiteral("J1"));
    doc->addCapabilitySet(Variable, QStringLiteral("Std"), QString())->addOperation(QStringLiteral("Get_Value"));
    doc->addCapabilitySet(Variable, QStringLiteral("Std"), QStringLiteral("Speed"))->addOperation(QStringLiteral("Put_Value"));
    doc->addCapabilitySet(Variable, QStringLiteral("Special"), QStringLiteral("Speed"))->addOperation(QStringLiteral("Get_ID"));

    // Controllers.
    QCOMPARE(doc->findControllerOrDefault(QStringLiteral("rc-special")), special);
    QCOMPARE(doc->findControllerOrDefault(QStringLiteral("RC9")), anyCtrl);
    QCOMPARE(doc->findController(QStringLiteral("RC9")), nullptr);

    // Members: the name when present, else the empty name.
    QCOMPARE(anyCtrl->findMemberOrDefault(Variable, QStringLiteral("SPEED"))->name(), QStringLiteral("Speed"));
    QCOMPARE(anyCtrl->findMemberOrDefault(Variable, QStringLiteral("Other"))->name(), QString());
    QCOMPARE(anyCtrl->findMember(Variable, QStringLiteral("Other")), nullptr);
    QCOMPARE(anyCtrl->findMemberOrDefault(Task, QStringLiteral("T1")), nullptr); // no default task entry
    QCOMPARE(anyRobot->findMemberOrDefault(Variable, QStringLiteral("J1"))->name(), QStringLiteral("J1"));
    QCOMPARE(anyRobot->findMemberOrDefault(Variable, QStringLiteral("J2")), nullptr);
    QCOMPARE(special->findMemberOrDefault(Variable, QStringLiteral("Other")), nullptr);

    // Sets.
    auto ops = [&](int kind, const QString &key, const QString &name) {
        const CapabilitySetPtr set = doc->capabilitySetOrDefault(kind, key, name);
        return set ? set->operationNames() : QStringList{QStringLiteral("<none>")};
    };
    QCOMPARE(ops(Variable, QStringLiteral("Std"), QStringLiteral("speed")), QStringList{QStringLiteral("Put_Value")});
    QCOMPARE(ops(Variable, QStringLiteral("Std"), QStringLiteral("J1")), QStringList{QStringLiteral("Get_Value")});
    QCOMPARE(ops(Variable, QStringLiteral("Std"), QString()), QStringList{QStringLiteral("Get_Value")});
    QCOMPARE(ops(Variable, QStringLiteral("Special"), QStringLiteral("Speed")), QStringList{QStringLiteral("Get_ID")});
    // No default under this key, and no fall-back to another key.
    QCOMPARE(ops(Variable, QStringLiteral("Special"), QStringLiteral("Other")), QStringList{QStringLiteral("<none>")});
    QCOMPARE(ops(Robot, QStringLiteral("Std"), QStringLiteral("R1")), QStringList{QStringLiteral("<none>")});
    QCOMPARE(ops(Variable, QStringLiteral("Missing"), QString()), QStringList{QStringLiteral("<none>")});
    QCOMPARE(ops(9, QStringLiteral("Std"), QString()), QStringList{QStringLiteral("<none>")});
}

void TestKsfDocument::operationArguments()
{
    auto doc = Document::createEmpty();
    OperationPtr op = doc->addCapabilitySet(QString())->addOperation(QStringLiteral("Rotate"));
    QCOMPARE(op->name(), QStringLiteral("Rotate"));
    for (int i = -1; i <= 6; ++i)
        QCOMPARE(op->argumentDescription(i), QString());
    op->setArgumentDescription(1, QStringLiteral("plane"));
    op->setArgumentDescription(4, QStringLiteral("option"));
    QCOMPARE(op->argumentDescription(1), QStringLiteral("plane"));
    QCOMPARE(op->argumentDescription(2), QString());
    QCOMPARE(op->argumentDescription(4), QStringLiteral("option"));
    QCOMPARE(op->argumentDescription(5), QString());
    for (int i : {0, 5, -1}) {
        const auto err = errorOf([&] { op->setArgumentDescription(i, QStringLiteral("x")); });
        QVERIFY(err);
        QCOMPARE(err->unsignedNumber(), quint32(zel::E_INVALID_ARG));
    }
    op->setArgumentDescription(1, QString());
    QCOMPARE(op->argumentDescription(1), QString());
}

void TestKsfDocument::roundTripThroughAFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const DocumentPtr doc = richDocument();
    const QString path = dir.filePath(QStringLiteral("mirror.xml"));
    doc->saveAs(path);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QCOMPARE(written, doc->toXml());
    QVERIFY(written.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    const DocumentPtr again = Document::open(path);
    QCOMPARE(dump(*again), dump(*doc));
    QCOMPARE(again->toXml(), written);

    // Spot checks through the interface the panels use.
    QCOMPARE(again->controllerNames().size(), 3);
    EntryPtr rc1 = again->findController(QStringLiteral("rc1"));
    QCOMPARE(rc1->option(), QStringLiteral("a=1,b=\"two\" & <three>,\ttab\nline\r\nend"));
    QCOMPARE(rc1->machineName(), QStringLiteral("cell-7.local"));
    QCOMPARE(rc1->members(Variable).size(), 3);
    QCOMPARE(rc1->members(Variable).last()->name(), QStringLiteral("late"));
    QCOMPARE(rc1->members().last()->name(), QStringLiteral("late")); // order across kinds kept
    QCOMPARE(rc1->findMember(File, QStringLiteral("programs"))
                 ->findMember(File, QStringLiteral("main.prg"))
                 ->findMember(Variable, QStringLiteral("lines"))
                 ->name(),
             QStringLiteral("lines"));
    QCOMPARE(again->controllers().at(1)->name(), QString::fromUtf8("Zelle \xC3\xBC \xF0\x9F\xA4\x96 '\"<>&"));
    QCOMPARE(again->controllers().at(1)->key(), QStringLiteral("Zel.Virtual"));
    QCOMPARE(again->controllers().at(2)->name(), QString());
    QCOMPARE(again->capabilitySet(QStringLiteral("Zel.Virtual"))->operation(QStringLiteral("Execute"))->argumentDescription(2),
             QStringLiteral("Parameter\nsecond line"));
    QCOMPARE(again->capabilitySet(Robot, QStringLiteral("Zel.Virtual"), QString())
                 ->operation(QStringLiteral("Rotate"))
                 ->argumentDescription(4),
             QStringLiteral("argument 4 of Rotate"));

    // Saving over the file replaces it whole and leaves nothing else in the folder.
    again->removeController(QStringLiteral("RC1"));
    again->saveAs(path);
    QCOMPARE(dump(*Document::open(path)), dump(*again));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("mirror.xml")});
}

void TestKsfDocument::roundTripOfAnEmptyDocument()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.ksf"));
    Document::createEmpty()->saveAs(path);
    const DocumentPtr doc = Document::open(path);
    QVERIFY(doc->controllerNames().isEmpty());
    QVERIFY(doc->capabilityKeys().isEmpty());
    QCOMPARE(doc->capabilitySet(QString()), nullptr);
}

void TestKsfDocument::savedTextOpensAgainAfterEdits()
{
    // The mirror as the panels build it: add, then remove as panels close, then export.
    auto doc = Document::createEmpty();
    for (int c = 0; c < 5; ++c) {
        EntryPtr rc = doc->addController(QStringLiteral("RC%1").arg(c));
        rc->setProviderName(QStringLiteral("Zel.Virtual"));
        for (int v = 0; v < 20; ++v)
            rc->addVariable(QStringLiteral("V%1").arg(v))->setOption(QString::number(v));
        rc->addMember(Robot, QStringLiteral("R"))->addVariable(QStringLiteral("x"));
    }
    doc->removeController(QStringLiteral("RC2"));
    doc->findController(QStringLiteral("RC0"))->removeVariable(QStringLiteral("V7"));
    doc->findController(QStringLiteral("RC1"))->findMember(Robot, QStringLiteral("r"))->removeVariable(QStringLiteral("X"));
    const DocumentPtr again = Document::parse(doc->toXml(), QStringLiteral("mirror"));
    QCOMPARE(dump(*again), dump(*doc));
    QCOMPARE(again->controllerNames(),
             (QStringList{QStringLiteral("RC0"), QStringLiteral("RC1"), QStringLiteral("RC3"), QStringLiteral("RC4")}));
    QCOMPARE(again->findController(QStringLiteral("RC0"))->members(Variable).size(), 19);
}

QTEST_GUILESS_MAIN(TestKsfDocument)
#include "tst_ksfdocument.moc"
