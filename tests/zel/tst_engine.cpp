// The engine's object model through its late-bound calls: workspaces, controllers, collections,
// names, options, Execute, object counts and fault injection.
#include "zeltest.h"

#include <QFile>
#include <QFileInfo>

namespace {

Value call(const ObjectPtr &o, const QString &member, const QList<Value> &args = {})
{
    return o->invoke(member, CallKind::Method, args);
}

Value get(const ObjectPtr &o, const QString &member, const QList<Value> &args = {})
{
    return o->invoke(member, CallKind::PropertyGet, args);
}

void put(const ObjectPtr &o, const QString &member, const Value &v)
{
    o->invoke(member, CallKind::PropertyPut, {v});
}

qint32 countOf(const std::shared_ptr<ZelEngine> &e, ObjectKind k)
{
    return e->engineStatus()->objectCount(static_cast<qint32>(k));
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void builtInWorkspaceAndProviders()
    {
        auto engine = ZelEngine::create();
        ObjectPtr wss = get(engine, "Workspaces").objectValue();
        QCOMPARE(get(wss, "Count").toInt32(), 1);
        ObjectPtr ws = get(wss, "Item", {I(0)}).objectValue();
        QCOMPARE(get(ws, "Name").stringValue(), u"Default"_s);
        QCOMPARE(get(ws, "Index").toInt32(), 0);
        Value names = get(ws, "ProviderNames", {S("")});
        QCOMPARE(names.type(), quint16(VT_ARRAY | VT_BSTR));
        QCOMPARE(names.arrayValue().items, QList<Value>{S("Zel.Virtual")});
        // the default member of a collection is Item, by index or by name
        QCOMPARE(get(wss, "", {S("default")}).objectValue(), ws);
        QCOMPARE(call(wss, "item", {I(0)}).objectValue(), ws);
    }

    void addControllerRules()
    {
        auto engine = ZelEngine::create();
        auto ws = engine->workspaces()->at(0);
        EXPECT_ERROR_TEXT(ws->addController("C1", "Other.Provider"), E_UNKNOWN_PROVIDER, "Other.Provider", "Zel.Virtual");
        QCOMPARE(ws->controllers()->size(), 0);

        auto c1 = ws->addController("C1", "zel.virtual", "host", "");
        QCOMPARE(c1->name(), u"C1"_s);
        // same name in other letter case: the same object, never two of one name
        QCOMPARE(ws->addController("c1", "Zel.Virtual"), c1);
        QCOMPARE(ws->controllers()->size(), 1);
        // empty names are generated and reported as Name
        ObjectPtr gen = call(ws, "AddController", {S(""), S("Zel.Virtual"), S(""), S("")}).objectValue();
        QCOMPARE(get(gen, "Name").stringValue(), u"Controller1"_s);
        auto v = c1->addVariable("");
        QCOMPARE(v->name(), u"Variable1"_s);
        QCOMPARE(c1->addVariable("")->name(), u"Variable2"_s);
    }

    void options()
    {
        auto engine = ZelEngine::create();
        auto ws = engine->workspaces()->at(0);
        // unknown keys are ignored; known keys with malformed values fail and add nothing
        auto c = ws->addController("C", "Zel.Virtual", "", "@EventDisable=true,Colour=blue,@KSFFile=x.xml");
        QVERIFY(!c->eventsEnabled());
        EXPECT_ERROR_TEXT(ws->addController("D", "Zel.Virtual", "", "@EventDisable=maybe"), E_BAD_OPTION, "@EventDisable", "maybe");
        QCOMPARE(ws->controllers()->size(), 1);
        EXPECT_ERROR(ws->addController("D", "Zel.Virtual", "", "@MessageInterval=-5"), E_BAD_OPTION);
        EXPECT_ERROR(ws->addController("C", "Zel.Virtual", "", "@EventDisable=maybe"), E_BAD_OPTION);
        // a bare switch means true; quoted values may hold commas
        QVERIFY(!ws->addController("E", "Zel.Virtual", "", "@EventDisable")->eventsEnabled());
        auto cmd = c->addCommand("Echo", "Duration=5, Timeout=\"7\"");
        QCOMPARE(cmd->timeout(), 7);
        EXPECT_ERROR(c->addCommand("X", "Timeout=\"7"), E_BAD_OPTION);
    }

    void collectionsAndIndex()
    {
        auto engine = ZelEngine::create();
        auto c = engine->workspaces()->at(0)->addController("C", "Zel.Virtual");
        ObjectPtr vars = get(c, "Variables").objectValue();
        auto a = c->addVariable("A"), b = c->addVariable("B"), d = c->addVariable("D");
        QCOMPARE(get(vars, "Count").toInt32(), 3);
        QCOMPARE(get(b, "Index").toInt32(), 1);
        call(vars, "Remove", {I(0)});
        QCOMPARE(a->index(), -1);
        QCOMPARE(b->index(), 0);
        QCOMPARE(d->index(), 1);
        // Remove by name, an index given as a text is a name
        call(vars, "Remove", {S("d")});
        QCOMPARE(d->index(), -1);
        EXPECT_ERROR(call(vars, "Remove", {S("1")}), E_NOT_FOUND);
        EXPECT_ERROR_TEXT(get(vars, "Item", {I(5)}), E_NOT_FOUND, "0 to 0");
        EXPECT_ERROR(get(vars, "Item", {Value::null()}), E_TYPE_MISMATCH);
        EXPECT_ERROR(get(vars, "Item", {Value::fromR8(1e12)}), E_OVERFLOW);
        // a removed member may be added again under its name: a new object
        auto a2 = c->addVariable("a");
        QVERIFY(a2 != a);
        call(vars, "Clear");
        QCOMPARE(get(vars, "Count").toInt32(), 0);
        QCOMPARE(a2->index(), -1);
        QCOMPARE(b->index(), -1);
        // the objects still work after leaving their collection
        b->setValue(I(4));
        QCOMPARE(b->value(), I(4));
    }

    void lateBindingRules()
    {
        auto engine = ZelEngine::create();
        auto c = engine->workspaces()->at(0)->addController("C", "Zel.Virtual");
        auto v = c->addVariable("V");
        // names without regard to letter case; gets and methods accept both call kinds
        put(v, "vALUE", I(9));
        QCOMPARE(call(v, "value"), I(9));
        QCOMPARE(get(c, "variablenames").type(), quint16(VT_ARRAY | VT_BSTR));
        QCOMPARE(call(c, "VariableNames", {S("")}).type(), quint16(VT_ARRAY | VT_BSTR));

        EXPECT_ERROR_TEXT(get(v, "Colour"), E_UNKNOWN_MEMBER, "ZelVariable", "Colour");
        EXPECT_ERROR_TEXT(put(v, "Name", S("x")), E_READ_ONLY, "Name");
        EXPECT_ERROR(put(c, "AddVariable", S("x")), E_UNKNOWN_MEMBER);
        EXPECT_ERROR_TEXT(call(c, "AddVariable", {S("a"), S(""), S("extra")}), E_ARG_COUNT, "0 to 2", "3 given");
        EXPECT_ERROR(call(v, "Value", {I(1)}), E_ARG_COUNT);
        EXPECT_ERROR(v->invoke("Value", CallKind::PropertyPut, {}), E_ARG_COUNT);
        QCOMPARE(c->variables()->size(), 1);
    }

    void workspaces()
    {
        auto engine = ZelEngine::create();
        auto wss = engine->workspaces();
        ObjectPtr w1 = call(engine, "AddWorkspace", {S(""), S("@KSFFile=D:\\defs\\cell.xml,b")}).objectValue();
        QCOMPARE(get(w1, "Name"), S("Workspace1"));
        QCOMPARE(call(engine, "AddWorkspace", {S("workspace1")}).objectValue(), w1);
        QCOMPARE(wss->size(), 2);
        EXPECT_ERROR(engine->addWorkspace("W", "a=\"open"), E_BAD_OPTION);
        // the built-in workspace may be removed like any other; its controllers stay usable
        auto def = wss->at(0);
        auto c = def->addController("C", "Zel.Virtual");
        call(wss, "Remove", {I(0)});
        QCOMPARE(def->index(), -1);
        QCOMPARE(get(w1, "Index"), I(0));
        QCOMPARE(c->addVariable("V")->index(), 0);
        QCOMPARE(def->controllers()->size(), 1);
        call(wss, "Clear");
        QCOMPARE(get(w1, "Index"), I(-1));
        QCOMPARE(engine->engineStatus()->objectCount(int(ObjectKind::Workspace)), 2); // both still referenced
        QCOMPARE(engine->addWorkspace("Default")->name(), u"Default"_s);
        QVERIFY(engine->addWorkspace("Default") != def);
        QVERIFY(engine->execute("Describe", {}).stringValue().contains("1 workspace(s)"));
    }

    void extensionBoard()
    {
        auto engine = ZelEngine::create();
        auto c = engine->workspaces()->at(0)->addController("C", "Zel.Virtual");
        QCOMPARE(c->extensionNames(), QStringList{"IO"});
        auto x = c->addExtension("IO");
        auto io = x->addVariable("@IO");
        auto runs = x->addVariable("@Executions");
        QCOMPARE(call(x, "Execute", {S("SetBit"), I(0)}), I(1));
        QCOMPARE(x->execute("setbit", S("31")), I(qint32(0x80000001u)));
        QCOMPARE(x->execute("GetBit", I(31)), Value::fromBool(true));
        QCOMPARE(x->execute("ClearBit", I(0)), I(qint32(0x80000000u)));
        QCOMPARE(io->value(), I(qint32(0x80000000u)));
        x->execute("SetIO", Value::fromUI4(0xFFFFFFFFu));
        QCOMPARE(x->execute("GetIO", {}), I(-1));
        EXPECT_ERROR(x->execute("SetBit", I(32)), E_OUT_OF_RANGE);
        EXPECT_ERROR(x->execute("GetBit", S("high")), E_TYPE_MISMATCH);
        EXPECT_ERROR(x->execute("SetIO", Value::fromR8(0.5)), E_OUT_OF_RANGE);
        QCOMPARE(runs->value(), I(6)); // failed calls do not count
        x->execute("Reset", {});
        QCOMPARE(io->value(), I(0));
        QCOMPARE(runs->value(), I(0));
        QVERIFY(x->variableNames().contains("@IO"));
        QCOMPARE(c->extensionNames(), QStringList{"IO"});
        c->addExtension("Vision");
        QCOMPARE(c->extensionNames(), (QStringList{"IO", "Vision"}));
    }

    void sharedMembersAndTags()
    {
        auto engine = ZelEngine::create();
        auto c = engine->workspaces()->at(0)->addController("C", "Zel.Virtual", "cell-3");
        QList<ObjectPtr> objects{c, c->addVariable("V"), c->addRobot("R"), c->addFile("readme.txt"), c->addTask("Main"),
                                 c->addExtension("IO"), c->addCommand("Echo")};
        for (const ObjectPtr &o : objects) {
            QVERIFY(get(o, "Attribute").type() == VT_I4);
            QVERIFY(!get(o, "Help").stringValue().isEmpty());
            QCOMPARE(get(o, "Tag"), Value());
            put(o, "Tag", S("t"));
            put(o, "ID", Value::fromArray(Array{VT_I2, 1, {Value::fromI2(7)}}));
            QCOMPARE(get(o, "Tag"), S("t"));
            QCOMPARE(get(o, "ID").arrayValue().lowerBound, 1);
        }
        QVERIFY(c->help().contains("cell-3"));
        QCOMPARE(c->attribute(), 1); // events on, no periodic messages
    }

    void executeCommands()
    {
        auto engine = ZelEngine::create();
        auto ws = engine->workspaces()->at(0);
        auto c = ws->addController("C", "Zel.Virtual");
        QList<ObjectPtr> objects{engine, ws, c, c->addRobot("R"), c->addFile("readme.txt"), c->addTask("Main"), c->addExtension("IO")};
        const Value param = Value::fromArray(Array{VT_VARIANT, 0, {I(1), S("two")}});
        for (const ObjectPtr &o : objects) {
            QCOMPARE(call(o, "Execute", {S("echo"), param}), param);
            QVERIFY(call(o, "Execute", {S("Commands")}).arrayValue().items.contains(S("Echo")));
            QVERIFY(!call(o, "Execute", {S("Describe"), Value()}).stringValue().isEmpty());
            EXPECT_ERROR_TEXT(call(o, "Execute", {S("Jump"), Value()}), E_UNKNOWN_COMMAND, "Jump", "Echo");
            ZelError e = errorOf([&] { call(o, "Execute", {S("Fail"), S("Number=0x80040123,Description=Pump on fire")}); });
            QCOMPARE(e.unsignedNumber(), 0x80040123u);
            QCOMPARE(e.description(), u"Pump on fire"_s);
        }
        EXPECT_ERROR(engine->execute("Fail", S("0x80049999")), 0x80049999u);
        EXPECT_ERROR(engine->execute("Fail", Value::fromI4(-2147024809)), 0x80070057u);
        EXPECT_ERROR(engine->execute("Fail", Value::null()), E_TYPE_MISMATCH);
    }

    void argumentCoercion()
    {
        auto engine = ZelEngine::create();
        auto c = engine->workspaces()->at(0)->addController("C", "Zel.Virtual");
        ObjectPtr r = c->addRobot("R");
        // numbers may arrive as texts or any numeric type; halves round to even
        call(r, "Speed", {S(" 2.5 "), S("40")});
        call(r, "Speed", {Value::fromR8(3.5), Value::fromCurrency({250000})});
        ObjectPtr speeds = call(r, "AddVariable", {S("@speed")}).objectValue();
        QCOMPARE(get(speeds, "Name"), S("@Speed"));
        const QList<Value> items = get(speeds, "Value").arrayValue().items;
        QCOMPARE(items[1], Value::fromR4(40));
        QCOMPARE(items[3], Value::fromR4(25));
        QCOMPARE(items[0], Value::fromR4(50));
        EXPECT_ERROR_TEXT(call(r, "Speed", {S("two"), I(10)}), E_TYPE_MISMATCH, "Argument 1 (axis) of Speed", "'two'");
        // texts: numbers are accepted by their text, arrays and null are not
        QCOMPARE(get(call(c, "AddVariable", {I(42), S("")}).objectValue(), "Name"), S("42"));
        EXPECT_ERROR_TEXT(call(c, "AddVariable", {Value::null()}), E_TYPE_MISMATCH, "(name) of AddVariable");
    }

    void objectCountsFollowLifetimes()
    {
        auto engine = ZelEngine::create();
        QCOMPARE(countOf(engine, ObjectKind::Engine), 1);
        QCOMPARE(countOf(engine, ObjectKind::Workspaces), 1);
        QCOMPARE(countOf(engine, ObjectKind::Workspace), 1);
        QCOMPARE(countOf(engine, ObjectKind::Controllers), 1);
        QCOMPARE(countOf(engine, ObjectKind::EngineStatus), 1);
        QCOMPARE(countOf(engine, ObjectKind::Controller), 0);

        auto ws = engine->workspaces()->at(0);
        auto c = ws->addController("C", "Zel.Virtual");
        QCOMPARE(countOf(engine, ObjectKind::Controller), 1);
        QCOMPARE(countOf(engine, ObjectKind::Variables), 1);
        QCOMPARE(countOf(engine, ObjectKind::Commands), 1);
        auto r = c->addRobot("R");
        QCOMPARE(countOf(engine, ObjectKind::Robot), 1);
        QCOMPARE(countOf(engine, ObjectKind::Variables), 2); // the robot's own
        auto f = c->addFile("Programs");
        QCOMPARE(countOf(engine, ObjectKind::Files), 2);
        c->addVariable("A");
        auto b = c->addVariable("B");
        QCOMPARE(countOf(engine, ObjectKind::Variable), 2);

        // removed but referenced: still counted; released: gone
        c->variables()->remove(S("B"));
        QCOMPARE(countOf(engine, ObjectKind::Variable), 2);
        b.reset();
        QCOMPARE(countOf(engine, ObjectKind::Variable), 1);
        c->variables()->clear();
        QCOMPARE(countOf(engine, ObjectKind::Variable), 0);

        // a cleared controller held by its panel still counts with everything below it
        ws->controllers()->clear();
        QCOMPARE(countOf(engine, ObjectKind::Controller), 1);
        QCOMPARE(countOf(engine, ObjectKind::Robot), 1);
        c.reset();
        QCOMPARE(countOf(engine, ObjectKind::Controller), 0);
        QCOMPARE(countOf(engine, ObjectKind::Robot), 1); // r is still held
        r.reset();
        f.reset();
        QCOMPARE(countOf(engine, ObjectKind::Robot), 0);
        QCOMPARE(countOf(engine, ObjectKind::File), 0);
        QCOMPARE(countOf(engine, ObjectKind::Variables), 0);

        // messages count as objects too
        auto c2 = ws->addController("C2", "Zel.Virtual", "", "@EventDisable=true");
        c2->execute("RaiseMessage", S("hello"));
        QCOMPARE(countOf(engine, ObjectKind::Message), 1);
        auto m = c2->getMessage();
        QCOMPARE(countOf(engine, ObjectKind::Message), 1);
        m.reset();
        QCOMPARE(countOf(engine, ObjectKind::Message), 0);

        EXPECT_ERROR(engine->engineStatus()->objectCount(19), E_OUT_OF_RANGE);
        EXPECT_ERROR(get(engine->engineStatus(), "ObjectCount", {I(-1)}), E_OUT_OF_RANGE);
        QCOMPARE(get(engine->engineStatus(), "ObjectCount", {Value::fromI2(4)}), I(1));
    }

    void twoEnginesCountApart()
    {
        auto e1 = ZelEngine::create();
        auto e2 = ZelEngine::create();
        auto c = e1->workspaces()->at(0)->addController("C", "Zel.Virtual");
        c->addVariable("A");
        QCOMPARE(countOf(e1, ObjectKind::Variable), 1);
        QCOMPARE(countOf(e2, ObjectKind::Variable), 0);
        QCOMPARE(countOf(e2, ObjectKind::Controller), 0);
        QCOMPARE(countOf(e2, ObjectKind::Engine), 1);
        // objects that outlive their engine still count in its (shared) counters
        auto status = e1->engineStatus();
        e1.reset();
        QCOMPARE(status->objectCount(int(ObjectKind::Engine)), 0);
        QCOMPARE(status->objectCount(int(ObjectKind::Variable)), 1);
    }

    void engineStatus()
    {
        auto engine = ZelEngine::create();
        auto s = engine->engineStatus();
        QCOMPARE(engine->engineStatus(), s);
        QCOMPARE(get(s, "Version"), S(u"%1.%2.%3"_s.arg(ZEL_VERSION_MAJOR).arg(ZEL_VERSION_MINOR).arg(ZEL_VERSION_PATCH)));
        QVERIFY(!get(s, "ComputerName").stringValue().isEmpty());
        Value start = get(s, "StartDateTime"), now = get(s, "CurrentDateTime");
        QCOMPARE(start.type(), quint16(VT_DATE));
        QVERIFY(now.dateValue().msecs >= start.dateValue().msecs);
        QVERIFY(now.dateValue().msecs - start.dateValue().msecs < 60000);
        // local time, as the automation date epoch counts it
        const QDateTime local = QDateTime::currentDateTime();
        const double ole = now.dateValue().toOleDate();
        QVERIFY(qAbs(ole - (QDate(1899, 12, 30).daysTo(local.date()) + local.time().msecsSinceStartOfDay() / 86400000.0)) < 1.0 / 1440);
    }

    void faultInjection()
    {
        auto engine = ZelEngine::create();
        auto c = engine->workspaces()->at(0)->addController("C", "Zel.Virtual");
        auto v = c->addVariable("V");
        auto w = c->addVariable("W");
        // the next two writes of V fail with the chosen number and text
        QCOMPARE(call(c, "Execute", {S("InjectFault"), S("Object=v,Operation=put_Value,Count=2,Number=0x80041234,Description=Bus error")}), I(1));
        ZelError e = errorOf([&] { put(v, "Value", I(1)); });
        QCOMPARE(e.unsignedNumber(), 0x80041234u);
        QCOMPARE(e.description(), u"Bus error"_s);
        v->value(); // reads are not armed
        w->setValue(I(1)); // another object is not armed
        EXPECT_ERROR(v->setValue(I(2)), 0x80041234u);
        v->setValue(I(3));
        QCOMPARE(v->value(), I(3));
        QCOMPARE(c->execute("Faults", {}).arrayValue().items.size(), 0);

        // a bare property name arms get and put; class names match; the default text names the call
        c->execute("InjectFault", S("Object=ZelVariable,Operation=Value,Count=-1"));
        EXPECT_ERROR_TEXT(w->value(), E_INJECTED, "Injected fault in get_Value of ZelVariable W");
        EXPECT_ERROR(v->setValue(I(1)), E_INJECTED);
        EXPECT_ERROR(v->setValue(I(1)), E_INJECTED);
        QCOMPARE(c->execute("ClearFaults", {}), I(1));
        v->setValue(I(1));

        // the controller's faults stay within its subtree; the engine's reach everything
        auto other = engine->workspaces()->at(0)->addController("Other", "Zel.Virtual");
        c->execute("InjectFault", S("Operation=*"));
        other->addVariable("X")->setValue(I(1));
        EXPECT_ERROR(c->addRobot("R"), E_INJECTED);
        c->addRobot("R");
        engine->execute("InjectFault", S("Object=ZelEngineStatus,Operation=get_ObjectCount"));
        EXPECT_ERROR(engine->engineStatus()->objectCount(0), E_INJECTED);
        engine->engineStatus()->objectCount(0);
        engine->execute("InjectFault", S("Operation=Count"));
        EXPECT_ERROR(other->variables()->count(), E_INJECTED);

        // malformed fault texts
        EXPECT_ERROR(c->execute("InjectFault", S("Object=V")), E_BAD_OPTION);
        EXPECT_ERROR(c->execute("InjectFault", S("Operation=x,Count=0")), E_BAD_OPTION);
        EXPECT_ERROR(c->execute("InjectFault", S("Operation=x,Number=0xZZ")), E_BAD_OPTION);
        EXPECT_ERROR(c->execute("InjectFault", I(3)), E_TYPE_MISMATCH);
        QCOMPARE(engine->execute("Faults", {}).arrayValue().items.size(), 0);
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
