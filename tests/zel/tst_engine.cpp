// The engine's object model through its late-bound calls: workspaces, controllers, collections,
// names, options, Execute, object counts and fault injection.
#include "zeltest.h"

#include <QFile>
#include <QFileInfo>

class TestEngine : public EngineTest {
    Q_OBJECT
private Q_SLOTS:
    void init() { newEngine(); }

    void builtInWorkspaceAndProviders()
    {
        ObjectPtr wss = get(m_engine, "Workspaces").objectValue();
        ObjectPtr ws = get(wss, "Item", {I(0)}).objectValue();
        QCOMPARE(get(ws, "Name"), S("Default"));
        const Value names = get(ws, "ProviderNames", {S("")});
        QCOMPARE(names.type(), quint16(VT_ARRAY | VT_BSTR));
        QCOMPARE(names.arrayValue().items, QList<Value>{S("Zel.Virtual")});
        // the default member of a collection is Item, by index or by name
        QCOMPARE(get(wss, "", {S("default")}).objectValue(), ws);
        QCOMPARE(call(wss, "item", {I(0)}).objectValue(), ws);
    }

    void addingAndOptions()
    {
        auto ws = m_engine->workspaces()->at(0);
        EXPECT_ERROR_TEXT(ws->addController("C1", "Other.Provider"), E_UNKNOWN_PROVIDER, "Other.Provider", "Zel.Virtual");
        // same name in other letter case: the same object, never two of one name
        QCOMPARE(ws->addController("c", "zel.virtual"), m_c);
        QCOMPARE(ws->controllers()->size(), 1);
        // empty names are generated
        QCOMPARE(get(call(ws, "AddController", {S(""), S("Zel.Virtual"), S(""), S("")}).objectValue(), "Name"), S("Controller1"));
        QCOMPARE(m_c->addVariable("")->name(), u"Variable1"_s);

        // unknown keys are ignored; known keys with malformed values fail and add nothing
        QVERIFY(!ws->addController("E", "Zel.Virtual", "", "@EventDisable=true,Colour=blue,@KSFFile=x.xml")->eventsEnabled());
        EXPECT_ERROR_TEXT(ws->addController("D", "Zel.Virtual", "", "@EventDisable=maybe"), E_BAD_OPTION, "@EventDisable", "maybe");
        EXPECT_ERROR(ws->addController("C", "Zel.Virtual", "", "@EventDisable=maybe"), E_BAD_OPTION);
        QCOMPARE(ws->controllers()->size(), 3);
        // a bare switch means true; quoted values may hold commas
        QVERIFY(!ws->addController("F", "Zel.Virtual", "", "@EventDisable")->eventsEnabled());
        QCOMPARE(m_c->addCommand("Echo", "Duration=5, Timeout=\"7\"")->timeout(), 7);
        EXPECT_ERROR(m_c->addCommand("X", "Timeout=\"7"), E_BAD_OPTION);
    }

    void collectionsAndIndex()
    {
        ObjectPtr vars = get(m_c, "Variables").objectValue();
        auto a = m_c->addVariable("A"), b = m_c->addVariable("B"), d = m_c->addVariable("D");
        QCOMPARE(get(b, "Index"), I(1));
        call(vars, "Remove", {I(0)});
        QCOMPARE(a->index(), -1);
        QCOMPARE(d->index(), 1);
        // an index given as a text is a name
        call(vars, "Remove", {S("d")});
        QCOMPARE(d->index(), -1);
        EXPECT_ERROR(call(vars, "Remove", {S("1")}), E_NOT_FOUND);
        EXPECT_ERROR_TEXT(get(vars, "Item", {I(5)}), E_NOT_FOUND, "0 to 0");
        EXPECT_ERROR(get(vars, "Item", {R(1e12)}), E_OVERFLOW);
        // a removed member added again under its name is a new object
        auto a2 = m_c->addVariable("a");
        QVERIFY(a2 != a);
        call(vars, "Clear");
        QCOMPARE(get(vars, "Count"), I(0));
        QCOMPARE(a2->index(), -1);
        // the objects still work after leaving their collection
        b->setValue(I(4));
        QCOMPARE(b->value(), I(4));
    }

    void lateBindingRules()
    {
        auto v = m_c->addVariable("V");
        // names without regard to letter case; gets and methods accept both call kinds
        put(v, "vALUE", I(9));
        QCOMPARE(call(v, "value"), I(9));
        QCOMPARE(get(m_c, "variablenames").type(), quint16(VT_ARRAY | VT_BSTR));
        EXPECT_ERROR_TEXT(get(v, "Colour"), E_UNKNOWN_MEMBER, "ZelVariable", "Colour");
        EXPECT_ERROR_TEXT(put(v, "Name", S("x")), E_READ_ONLY, "Name");
        EXPECT_ERROR_TEXT(call(m_c, "AddVariable", {S("a"), S(""), S("extra")}), E_ARG_COUNT, "0 to 2", "3 given");
        EXPECT_ERROR(call(v, "Value", {I(1)}), E_ARG_COUNT);
        QCOMPARE(m_c->variables()->size(), 1);

        // numbers may arrive as texts or any numeric type; halves round to even
        ObjectPtr r = m_c->addRobot("R");
        call(r, "Speed", {S(" 2.5 "), S("40")});
        call(r, "Speed", {R(3.5), Value::fromCurrency({250000})});
        const QList<Value> speeds = get(call(r, "AddVariable", {S("@speed")}).objectValue(), "Value").arrayValue().items;
        QCOMPARE(speeds[1], Value::fromR4(40));
        QCOMPARE(speeds[3], Value::fromR4(25));
        EXPECT_ERROR_TEXT(call(r, "Speed", {S("two"), I(10)}), E_TYPE_MISMATCH, "Argument 1 (axis) of Speed", "'two'");
        // texts: numbers are accepted by their text, null is not
        QCOMPARE(get(call(m_c, "AddVariable", {I(42), S("")}).objectValue(), "Name"), S("42"));
        EXPECT_ERROR_TEXT(call(m_c, "AddVariable", {Value::null()}), E_TYPE_MISMATCH, "(name) of AddVariable");
    }

    void workspaces()
    {
        auto wss = m_engine->workspaces();
        ObjectPtr w1 = call(m_engine, "AddWorkspace", {S(""), S("@KSFFile=D:\\defs\\cell.xml,b")}).objectValue();
        QCOMPARE(get(w1, "Name"), S("Workspace1"));
        QCOMPARE(call(m_engine, "AddWorkspace", {S("workspace1")}).objectValue(), w1);
        EXPECT_ERROR(m_engine->addWorkspace("W", "a=\"open"), E_BAD_OPTION);
        // the built-in workspace may be removed like any other; its controllers stay usable
        auto def = wss->at(0);
        call(wss, "Remove", {I(0)});
        QCOMPARE(def->index(), -1);
        QCOMPARE(get(w1, "Index"), I(0));
        QCOMPARE(m_c->addVariable("V")->index(), 0);
        call(wss, "Clear");
        QCOMPARE(count(ObjectKind::Workspace), 2); // both still referenced
        QVERIFY(m_engine->addWorkspace("Default") != def);
        QVERIFY(m_engine->execute("Describe", {}).stringValue().contains("1 workspace(s)"));
    }

    void extensionBoard()
    {
        QCOMPARE(m_c->extensionNames(), QStringList{"IO"});
        auto x = m_c->addExtension("IO");
        auto io = x->addVariable("@IO");
        auto runs = x->addVariable("@Executions");
        QCOMPARE(call(x, "Execute", {S("SetBit"), I(0)}), I(1));
        QCOMPARE(x->execute("setbit", S("31")), I(qint32(0x80000001u)));
        QCOMPARE(x->execute("GetBit", I(31)), Value::fromBool(true));
        x->execute("SetIO", Value::fromUI4(0xFFFFFFFFu));
        QCOMPARE(io->value(), I(-1));
        EXPECT_ERROR(x->execute("SetBit", I(32)), E_OUT_OF_RANGE);
        QCOMPARE(runs->value(), I(4)); // failed calls do not count
        x->execute("Reset", {});
        QCOMPARE(io->value(), I(0));
        QCOMPARE(runs->value(), I(0));
    }

    // Members every object shares, and the commands every object executes.
    void sharedMembersAndExecute()
    {
        const QList<ObjectPtr> objects{m_engine, m_engine->workspaces()->at(0), m_c, m_c->addRobot("R"), m_c->addFile("readme.txt"),
                                       m_c->addTask("Main"), m_c->addExtension("IO")};
        const Value param = arr(VT_VARIANT, {I(1), S("two")});
        for (const ObjectPtr &o : objects.mid(2)) {
            QVERIFY(!get(o, "Help").stringValue().isEmpty());
            QCOMPARE(get(o, "Tag"), Value());
            put(o, "Tag", S("t"));
            put(o, "ID", arr(VT_I2, {Value::fromI2(7)}, 1));
            QCOMPARE(get(o, "Tag"), S("t"));
            QCOMPARE(get(o, "ID").arrayValue().lowerBound, 1);
        }
        for (const ObjectPtr &o : objects) {
            QCOMPARE(call(o, "Execute", {S("echo"), param}), param);
            QVERIFY(call(o, "Execute", {S("Commands")}).arrayValue().items.contains(S("Echo")));
            EXPECT_ERROR_TEXT(call(o, "Execute", {S("Jump"), Value()}), E_UNKNOWN_COMMAND, "Jump", "Echo");
            const ZelError e = errorOf([&] { call(o, "Execute", {S("Fail"), S("Number=0x80040123,Description=Pump on fire")}); });
            QCOMPARE(e.unsignedNumber(), 0x80040123u);
            QCOMPARE(e.description(), u"Pump on fire"_s);
        }
        EXPECT_ERROR(m_engine->execute("Fail", S("0x80049999")), 0x80049999u);
        EXPECT_ERROR(m_engine->execute("Fail", Value::null()), E_TYPE_MISMATCH);
    }

    void objectCountsFollowLifetimes()
    {
        QCOMPARE(count(ObjectKind::Engine), 1);
        QCOMPARE(count(ObjectKind::Controller), 1);
        auto r = m_c->addRobot("R");
        QCOMPARE(count(ObjectKind::Variables), 2); // the controller's and the robot's own
        m_c->addVariable("A");
        auto b = m_c->addVariable("B");
        // removed but referenced: still counted; released: gone
        m_c->variables()->remove(S("B"));
        QCOMPARE(count(ObjectKind::Variable), 2);
        b.reset();
        QCOMPARE(count(ObjectKind::Variable), 1);
        m_c->variables()->clear();
        QCOMPARE(count(ObjectKind::Variable), 0);

        // a cleared controller held by its panel still counts with everything below it
        m_engine->workspaces()->at(0)->controllers()->clear();
        QCOMPARE(count(ObjectKind::Controller), 1);
        m_c.reset();
        QCOMPARE(count(ObjectKind::Controller), 0);
        QCOMPARE(count(ObjectKind::Robot), 1); // r is still held
        r.reset();
        QCOMPARE(count(ObjectKind::Robot), 0);
        QCOMPARE(count(ObjectKind::Variables), 0);

        auto c2 = m_engine->workspaces()->at(0)->addController("C2", "Zel.Virtual");
        EXPECT_ERROR(m_engine->engineStatus()->objectCount(19), E_OUT_OF_RANGE);

        // two engines count apart; objects that outlive their engine still count in its counters
        auto other = ZelEngine::create();
        c2->addVariable("A");
        QCOMPARE(other->engineStatus()->objectCount(int(ObjectKind::Variable)), 0);
        auto status = m_engine->engineStatus();
        m_engine.reset();
        QCOMPARE(status->objectCount(int(ObjectKind::Engine)), 0);
        QCOMPARE(status->objectCount(int(ObjectKind::Variable)), 1);
    }

    void engineStatusTimes()
    {
        auto s = m_engine->engineStatus();
        const qint64 start = get(s, "StartDateTime").dateValue().msecs, now = get(s, "CurrentDateTime").dateValue().msecs;
        QVERIFY(now >= start && now - start < 60000);
        // local time, as the automation date epoch counts it
        const QDateTime local = QDateTime::currentDateTime();
        QVERIFY(qAbs(now - (QDate(1899, 12, 30).daysTo(local.date()) * 86400000 + local.time().msecsSinceStartOfDay())) < 60000);
    }

    void faultInjection()
    {
        auto v = m_c->addVariable("V");
        auto w = m_c->addVariable("W");
        // the next two writes of V fail with the chosen number and text
        QCOMPARE(call(m_c, "Execute", {S("InjectFault"), S("Object=v,Operation=put_Value,Count=2,Number=0x80041234,Description=Bus error")}),
                 I(1));
        const ZelError e = errorOf([&] { put(v, "Value", I(1)); });
        QCOMPARE(e.unsignedNumber(), 0x80041234u);
        QCOMPARE(e.description(), u"Bus error"_s);
        v->value();        // reads are not armed
        w->setValue(I(1)); // another object is not armed
        EXPECT_ERROR(v->setValue(I(2)), 0x80041234u);
        v->setValue(I(3));
        QCOMPARE(m_c->execute("Faults", {}).arrayValue().items.size(), 0);

        // a bare property name arms get and put; class names match; the default text names the call
        m_c->execute("InjectFault", S("Object=ZelVariable,Operation=Value,Count=-1"));
        EXPECT_ERROR_TEXT(w->value(), E_INJECTED, "Injected fault in get_Value of ZelVariable W");
        EXPECT_ERROR(v->setValue(I(1)), E_INJECTED);
        QCOMPARE(m_c->execute("ClearFaults", {}), I(1));
        v->setValue(I(1));

        // the controller's faults stay within its subtree; the engine's reach everything
        auto other = m_engine->workspaces()->at(0)->addController("Other", "Zel.Virtual");
        m_c->execute("InjectFault", S("Operation=*"));
        other->addVariable("X")->setValue(I(1));
        EXPECT_ERROR(m_c->addRobot("R"), E_INJECTED);
        m_c->addRobot("R");
        m_engine->execute("InjectFault", S("Operation=Count"));
        EXPECT_ERROR(other->variables()->count(), E_INJECTED);

        // malformed fault texts
        EXPECT_ERROR(m_c->execute("InjectFault", S("Object=V")), E_BAD_OPTION);
        EXPECT_ERROR(m_c->execute("InjectFault", S("Operation=x,Count=0")), E_BAD_OPTION);
        EXPECT_ERROR(m_c->execute("InjectFault", I(3)), E_TYPE_MISMATCH);
    }

    // The error table of docs/engine.md lists every number of the header.
    void docsListEveryError()
    {
        const QString dir = qEnvironmentVariable("ZEL_TEST_SOURCE_DIR", QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../..");
        QFile f(dir + "/docs/engine.md");
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
        const QString doc = QString::fromUtf8(f.readAll());
        QStringList missing;
#define ZEL_CHECK_ROW(name, num, text)                                                                              \
    if (!doc.contains(QStringLiteral("| 0x%1 | " #name " | " text " |").arg(QString::number(num, 16).toUpper()))) \
        missing << QStringLiteral(#name);
        ZEL_ERROR_TABLE(ZEL_CHECK_ROW)
#undef ZEL_CHECK_ROW
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
