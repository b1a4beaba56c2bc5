// Zel.Modbus through the engine's typed and late-bound API, against pymodbus (an independent
// server) and zelmodbus-sim: every table and type in both word orders, refusals before anything
// is sent, exception responses, lost and regained connections, unreachable and silent devices,
// watched values, extensions, raw commands, RTU over a socat pair, and malformed device maps.
#include "modbustest.h"

#include "modbus/devicemap.h"
#include "modbus/modbusprovider.h"
#include "zel/provider.h"

#include <QElapsedTimer>
#include <QSignalSpy>

using namespace zel;
using namespace modbustest;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(zel::Value)

namespace {

Value arr(VarType t, QList<Value> items)
{
    return Value::fromArray(Array{t, 0, std::move(items)});
}

QString words(const QList<int> &w)
{
    QStringList parts;
    for (int x : w)
        parts << QString::number(x);
    return parts.join(u' ');
}

// The error number of a call, 0 when it succeeds.
template <class F>
quint32 errorOf(F &&f, QString *description = nullptr)
{
    try {
        f();
    } catch (const ZelError &e) {
        if (description)
            *description = e.description();
        return e.unsignedNumber();
    }
    return 0;
}

const char kTableKeys[][3] = {"co", "di", "ir", "hr"};

sockaddr_in loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(quint16(port));
    return a;
}

// A socket listening on a free loopback port that never accepts.
int listener(int backlog)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(s, backlog);
    return s;
}

int portOf(int socket)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(socket, reinterpret_cast<sockaddr *>(&a), &len);
    return ntohs(a.sin_port);
}

} // namespace

class TestModbus : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    PyServer m_py;
    std::shared_ptr<ZelEngine> m_engine;
    std::shared_ptr<ZelWorkspace> m_ws;

    std::shared_ptr<ZelController> add(const QString &name, const QString &machine, const QString &option = {})
    {
        return m_ws->addController(name, u"Zel.Modbus"_s, machine, option);
    }

    std::shared_ptr<ZelController> py(const QString &option = {})
    {
        return add(u"py"_s, m_py.machine(), option);
    }

private Q_SLOTS:
    void initTestCase()
    {
        registerOnce();
        QVERIFY(m_py.startTcp());
    }

    void init()
    {
        m_engine = ZelEngine::create();
        m_ws = m_engine->workspaces()->at(0);
    }

    void providers()
    {
        QCOMPARE(m_ws->providerNames(), QStringList({u"Zel.Virtual"_s, u"Zel.Modbus"_s}));
        QString text;
        QCOMPARE(errorOf([&] { m_ws->addController(u"y"_s, u"Zel.Profibus"_s); }, &text), 0x8004A200u);
        QCOMPARE(text, u"AddController: provider 'Zel.Profibus' is unknown; the providers are Zel.Virtual, Zel.Modbus"_s);

        // Kinds the provider does not offer fail their Add and add nothing; names lists are empty.
        auto c = py();
        QCOMPARE(c->provider(), u"Zel.Modbus"_s);
        const struct {
            std::function<void()> add;
            const char *text;
        } refused[] = {
            {[&] { c->addRobot(u"Arm"_s); }, "AddRobot: the provider Zel.Modbus has no robots"},
            {[&] { c->addFile(u"a.txt"_s); }, "AddFile: the provider Zel.Modbus has no files"},
            {[&] { c->addTask(u"Main"_s); }, "AddTask: the provider Zel.Modbus has no tasks"},
        };
        for (const auto &r : refused) {
            QCOMPARE(errorOf(r.add, &text), 0x8004A217u);
            QCOMPARE(text, QString::fromLatin1(r.text));
        }
        QCOMPARE(c->robots()->count() + c->files()->count() + c->tasks()->count(), 0);
        QVERIFY(c->robotNames().isEmpty() && c->fileNames().isEmpty() && c->taskNames().isEmpty());
        QVERIFY(c->help().contains(u"unit 1 at 127.0.0.1 port %1 (Modbus TCP)"_s.arg(m_py.port())));
    }

    void tablesAndTypes_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("option");
        QTest::addColumn<Value>("value");
        QTest::addColumn<QList<int>>("raw");

        const Value i4 = Value::fromI4(0x12345678), ui4 = Value::fromUI4(4000000000u), r4 = Value::fromR4(1.5f), r8 = Value::fromR8(-2.5);
        const struct {
            const char *table, *option;
            Value value;
            QList<int> raw;
        } rows[] = {
            {"holding", "@Type=I2", Value::fromI2(-2), {65534}},
            {"holding", "@Type=UI2", Value::fromUI2(65535), {65535}},
            {"holding", "@Type=I4", i4, {0x1234, 0x5678}},
            {"holding", "@Type=I4,@WordOrder=little", i4, {0x5678, 0x1234}},
            {"holding", "@Type=UI4,@WordOrder=big", ui4, {0xEE6B, 0x2800}},
            {"holding", "@Type=UI4,@WordOrder=little", ui4, {0x2800, 0xEE6B}},
            {"holding", "@Type=R4", r4, {0x3FC0, 0}},
            {"holding", "@Type=R4,@WordOrder=little", r4, {0, 0x3FC0}},
            {"holding", "@Type=R8", r8, {0xC004, 0, 0, 0}},
            {"holding", "@Type=R8,@WordOrder=little", r8, {0, 0, 0, 0xC004}},
            {"holding", "@Type=BSTR,@Count=3", Value::fromString(u"Zel"_s), {0x5A65, 0x6C00, 0}},
            {"holding", "@Type=BOOL", Value::fromBool(true), {1}},
            {"holding", "@Type=ARRAY|I2,@Count=3", arr(VT_I2, {Value::fromI2(1), Value::fromI2(-1), Value::fromI2(300)}), {1, 65535, 300}},
            {"holding", "@Type=ARRAY | R4,@Count=2,@WordOrder=little", arr(VT_R4, {r4, Value::fromR4(-2)}), {0, 0x3FC0, 0, 0xC000}},
            {"input", "", Value::fromI2(-3), {65533}},
            {"input", "@Type=UI4,@WordOrder=little", ui4, {0x2800, 0xEE6B}},
            {"input", "@Type=R4", r4, {0x3FC0, 0}},
            {"input", "@Type=R8,@WordOrder=little", r8, {0, 0, 0, 0xC004}},
            {"input", "@Type=BSTR,@Count=2", Value::fromString(u"Cel"_s), {0x4365, 0x6C00}},
            {"input", "@Type=ARRAY|I4,@Count=2", arr(VT_I4, {i4, Value::fromI4(-1)}), {0x1234, 0x5678, 0xFFFF, 0xFFFF}},
            {"coil", "", Value::fromBool(true), {1}},
            {"coil", "@Type=ARRAY|BOOL,@Count=5", arr(VT_BOOL, {Value::fromBool(true), Value::fromBool(false), Value::fromBool(true), Value::fromBool(true), Value::fromBool(false)}), {1, 0, 1, 1, 0}},
            {"discrete", "", Value::fromBool(true), {1}},
            {"discrete", "@Type=ARRAY|BOOL,@Count=3", arr(VT_BOOL, {Value::fromBool(false), Value::fromBool(true), Value::fromBool(true)}), {0, 1, 1}},
        };
        int n = 0;
        for (const auto &r : rows)
            QTest::addRow("%d %s %s", n++, r.table, r.option) << QString::fromLatin1(r.table) << QString::fromLatin1(r.option) << r.value << r.raw;
    }

    // Writes are read back by the independent server; reads decode what it was given.
    void tablesAndTypes()
    {
        QFETCH(QString, table);
        QFETCH(QString, option);
        QFETCH(Value, value);
        QFETCH(QList<int>, raw);
        const int address = 10 * (QTest::currentDataTag() ? QByteArray(QTest::currentDataTag()).split(' ').first().toInt() : 0);
        const QString key = QString::fromLatin1(kTableKeys[int(*zelmodbus::parseTable(table))]);
        auto c = py();
        auto v = c->addVariable(u"V"_s, u"@Table=%1,@Address=%2%3"_s.arg(table).arg(address).arg(option.isEmpty() ? QString() : u","_s + option));
        if (table == u"holding"_s || table == u"coil"_s) {
            QCOMPARE(v->attribute(), 3);
            v->setValue(value);
            QCOMPARE(m_py.command(u"get %1 %2 %3"_s.arg(key).arg(address).arg(raw.size())), words(raw));
        } else {
            QCOMPARE(v->attribute(), 1);
            QCOMPARE(m_py.command(u"set %1 %2 %3"_s.arg(key).arg(address).arg(words(raw))), u"ok"_s);
            QString text;
            QCOMPARE(errorOf([&] { v->setValue(value); }, &text), 0x8004A004u);
            QVERIFY2(text.startsWith(u"put_Value: V is %1 %2"_s.arg(zelmodbus::tableTitle(*zelmodbus::parseTable(table))).arg(address)), qPrintable(text));
        }
        QCOMPARE(v->value(), value);
        QVERIFY(v->dateTime().msecs > 0);
    }

    // Refusals happen before anything is sent: the request count stays.
    void refusals()
    {
        auto c = py();
        auto requests = c->addVariable(u"@Requests"_s);
        auto v = c->addVariable(u"S"_s, u"@Table=holding,@Address=900"_s);
        auto text = c->addVariable(u"T"_s, u"@Table=holding,@Address=901,@Type=BSTR,@Count=2"_s);
        const Value before = requests->value();
        const struct {
            std::shared_ptr<ZelVariable> var;
            Value value;
            quint32 number;
        } rows[] = {
            {v, Value::fromI4(70000), 0x8004A101},
            {v, Value::fromR8(1.5), 0x8004A100},
            {v, Value::fromString(u"abc"_s), 0x8004A100},
            {v, arr(VT_I2, {Value::fromI2(1)}), 0x8004A100},
            {text, Value::fromString(u"abcde"_s), 0x8004A203},
        };
        for (const auto &r : rows)
            QCOMPARE(errorOf([&] { r.var->setValue(r.value); }), r.number);
        QCOMPARE(requests->value(), before);

        // A read-only controller refuses every write, reads go on.
        auto ro = add(u"ro"_s, m_py.machine(), u"@ReadOnly=true"_s);
        QCOMPARE(m_py.command(u"set hr 902 7"_s), u"ok"_s);
        auto w = ro->addVariable(u"W"_s, u"@Table=holding,@Address=902"_s);
        QString description;
        QCOMPARE(errorOf([&] { w->setValue(Value::fromI2(8)); }, &description), 0x8004A004u);
        QCOMPARE(description, u"put_Value: W: controller ro is read-only (@ReadOnly=true); nothing was sent"_s);
        QCOMPARE(w->attribute(), 1);
        QCOMPARE(w->value(), Value::fromI2(7));
        auto x = ro->addExtension(u"X"_s, u"@Address=0,@Count=4"_s);
        QCOMPARE(errorOf([&] { x->execute(u"SetBit"_s, Value::fromI4(1)); }), 0x8004A004u);
        auto cmd = ro->addCommand(u"Raw"_s);
        cmd->setParameters(arr(VT_UI1, {Value::fromUI1(6), Value::fromUI1(3), Value::fromUI1(0x86), Value::fromUI1(0), Value::fromUI1(1)}));
        QCOMPARE(errorOf([&] { cmd->execute(0); }), 0x8004A004u);
        QCOMPARE(m_py.command(u"get hr 902 1"_s), u"7"_s);
    }

    // Exception responses carry their own numbers and name the function, the address and the code.
    void exceptions()
    {
        QCOMPARE(m_py.command(u"fail hr 950"_s), u"ok"_s);
        QCOMPARE(m_py.command(u"broken hr 960"_s), u"ok"_s);
        auto c = py();
        QString text;
        QCOMPARE(errorOf([&] { c->addVariable(u"A"_s, u"@Table=holding,@Address=950"_s)->value(); }, &text), 0x8004A502u);
        QCOMPARE(text, u"get_Value: A: function 3 (read holding registers) at address 950: 127.0.0.1 port %1 answered exception 2 (illegal data address)"_s.arg(m_py.port()));
        QCOMPARE(errorOf([&] { c->addVariable(u"B"_s, u"@Table=holding,@Address=959,@Type=I4"_s)->value(); }, &text), 0x8004A504u);
        QVERIFY2(text.contains(u"function 3 (read holding registers) at address 959"_s) && text.endsWith(u"exception 4 (device failure)"_s), qPrintable(text));
        QCOMPARE(errorOf([&] { c->addVariable(u"C"_s, u"@Table=holding,@Address=960"_s)->setValue(Value::fromI2(1)); }, &text), 0x8004A504u);
        QVERIFY2(text.contains(u"function 6 (write single register) at address 960"_s), qPrintable(text));
        auto raw = c->addCommand(u"Raw"_s);
        raw->setParameters(Value::fromString(u"41 00 01"_s));
        QCOMPARE(errorOf([&] { raw->execute(0); }, &text), 0x8004A501u);
        QVERIFY2(text.endsWith(u"exception 1 (illegal function)"_s), qPrintable(text));
        QCOMPARE(raw->state(), qint32(ZelCommand::Failed));
        // The connection survives exceptions.
        QCOMPARE(c->addVariable(u"D"_s, u"@Table=holding,@Address=0"_s)->value().type(), quint16(VT_I2));
    }

    void unreachable()
    {
        const int closed = freePort();
        QString text;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(errorOf([&] { add(u"gone"_s, u"127.0.0.1:%1"_s.arg(closed)); }, &text), 0x8004A218u);
        QCOMPARE(text, u"AddController: cannot connect to 127.0.0.1 port %1: Connection refused"_s.arg(closed));
        QCOMPARE(m_ws->controllers()->count(), 0);

        // An address that never answers the connect (a listener whose queue is full drops it):
        // the Add gives up within the timeout.
        const int full = listener(0);
        QList<int> queued;
        for (int i = 0; i < 4; ++i) {
            queued << ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            sockaddr_in a = loopback(portOf(full));
            ::connect(queued.last(), reinterpret_cast<sockaddr *>(&a), sizeof a);
        }
        clock.restart();
        QCOMPARE(errorOf([&] { add(u"far"_s, u"127.0.0.1:%1"_s.arg(portOf(full)), u"@Timeout=300"_s); }, &text), 0x8004A218u);
        QVERIFY2(clock.elapsed() < 2300, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(text, u"AddController: cannot connect to 127.0.0.1 port %1: no answer within 300 ms"_s.arg(portOf(full)));
        QCOMPARE(m_ws->controllers()->count(), 0);
        for (int q : queued)
            ::close(q);
        ::close(full);

        // A device that takes the connection but never answers: the call times out.
        const int silent = listener(4);
        auto c = add(u"mute"_s, u"127.0.0.1:%1"_s.arg(portOf(silent)), u"@Timeout=200"_s);
        clock.restart();
        QCOMPARE(errorOf([&] { c->addVariable(u"V"_s, u"@Table=holding,@Address=0"_s)->value(); }, &text), 0x8004A219u);
        QVERIFY2(clock.elapsed() < 2200, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(text.endsWith(u"did not answer within 200 ms"_s), qPrintable(text));
        auto cmd = c->addCommand(u"Raw"_s);
        cmd->setParameters(Value::fromString(u"03 00 00 00 01"_s));
        QCOMPARE(errorOf([&] { cmd->execute(0); }), 0x8004A219u);
        QCOMPARE(cmd->state(), qint32(ZelCommand::TimedOut));
        ::close(silent);

        // Machines and options that cannot be right fail before anything is opened.
        const struct {
            const char *machine, *option;
            quint32 number;
        } bad[] = {
            {"", "", 0x8004A001},
            {"[::1", "", 0x8004A001},
            {"host:99999", "", 0x8004A001},
            {"host", "@UnitId=300", 0x8004A201},
            {"host", "@Parity=X", 0x8004A201},
            {"host", "@Timeout=0", 0x8004A201},
            {"host", "@Watch=Nope", 0x8004A201},
            {"host", "@Map=/no/such.map", 0x8004A21B},
        };
        for (const auto &b : bad)
            QCOMPARE(errorOf([&] { add(u"bad"_s, QString::fromLatin1(b.machine), QString::fromLatin1(b.option)); }), b.number);
        QCOMPARE(m_ws->controllers()->count(), 1);
    }

    // The simulator stops in the middle of a session and comes back on the same port; the call
    // that finds the connection down fails, a later one reopens it, and both changes raise a message.
    void lostAndRegained()
    {
        Simulator sim;
        const QString map = writeFile(m_dir, u"lost.map"_s, "Level holding 0 I2 value=5\n");
        QVERIFY(sim.startTcp(map));
        auto c = add(u"sim"_s, sim.machine(), u"@EventDisable=true,@Map="_s + map);
        auto v = c->addVariable(u"Level"_s);
        QCOMPARE(v->value(), Value::fromI2(5));
        sim.stop();
        QString text;
        QCOMPARE(errorOf([&] { v->value(); }, &text), 0x8004A218u);
        QVERIFY2(text.contains(u"the connection to 127.0.0.1 port %1 was lost"_s.arg(sim.port())), qPrintable(text));
        QCOMPARE(errorOf([&] { v->value(); }, &text), 0x8004A218u);
        QCOMPARE(text, u"get_Value: Level: cannot connect to 127.0.0.1 port %1: Connection refused"_s.arg(sim.port()));
        QCOMPARE(c->addVariable(u"@Connected"_s)->value(), Value::fromBool(false));
        const int port = sim.port();
        QVERIFY(sim.startTcp(map, port));
        v->setValue(Value::fromI2(6));
        QCOMPARE(v->value(), Value::fromI2(6));
        auto lost = c->getMessage();
        QVERIFY(lost);
        QCOMPARE(lost->number(), zelmodbus::kConnectionLost);
        QCOMPARE(lost->description(), u"Connection lost"_s);
        auto back = c->getMessage();
        QVERIFY(back);
        QCOMPARE(back->number(), zelmodbus::kConnectionRestored);
        QCOMPARE(back->value(), Value::fromString(u"127.0.0.1 port %1"_s.arg(port)));
        QVERIFY(!c->getMessage());
    }

    // While a watched device is gone or silent, polling does not knock at its door at every poll:
    // after the loss it tries again only when five seconds have passed, and a connection that
    // is taken but never answered waits as long. A socket on the device's port takes the
    // connections, answers nothing and counts them.
    void watchRetryBackOff()
    {
        Simulator sim;
        const QString map = writeFile(m_dir, u"backoff.map"_s, "Level holding 0 I2 watch\n");
        QVERIFY(sim.startTcp(map));
        auto c = add(u"sim"_s, sim.machine(), u"@Timeout=100,@PollInterval=20,@Map="_s + map);
        QTest::qWait(60); // a few polls with the device there
        sim.stop();

        // Nothing polls between the stop and the bind: polling runs on this thread's timer.
        const int door = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        const int on = 1;
        ::setsockopt(door, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a = loopback(sim.port());
        QCOMPARE(::bind(door, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
        QCOMPARE(::listen(door, 16), 0);
        QList<int> knocks;
        auto takeKnocks = [&] {
            for (int s; (s = ::accept(door, nullptr, nullptr)) >= 0;)
                knocks << s;
            return knocks.size();
        };

        QElapsedTimer clock;
        clock.start();
        QTest::qWait(1000); // 50 poll intervals
        QCOMPARE(takeKnocks(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(takeKnocks(), 1, 8000);
        QVERIFY2(clock.elapsed() >= 4500, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(1000); // the knock timed out after 100 ms; no other follows it
        QCOMPARE(takeKnocks(), 1);
        QCOMPARE(c->addVariable(u"@Connected"_s)->value(), Value::fromBool(false));
        for (int s : knocks)
            ::close(s);
        ::close(door);
    }

    // Watched values are polled; a change raises a message through OnMessage.
    void watchedValues()
    {
        const QString map = writeFile(m_dir, u"watch.map"_s,
                                      "# watched places of the pymodbus server\n"
                                      "Level   holding 300 I2 watch help=\"Tank level\"\n"
                                      "Temp    input   310 R4 order=little\n"
                                      "Door    discrete 320\n"
                                      "Refused holding 330\n");
        QCOMPARE(m_py.command(u"fail hr 330"_s), u"ok"_s);
        auto c = py(u"@Map=%1,@Watch=Temp;Door;Refused,@PollInterval=20"_s.arg(map));
        QSignalSpy spy(c.get(), &ZelController::OnMessage);
        QCOMPARE(c->variableNames(u"Filter=[A-Z]*"_s), QStringList({u"Level"_s, u"Temp"_s, u"Door"_s, u"Refused"_s}));
        QCOMPARE(c->addVariable(u"@Watch"_s)->value(), arr(VT_BSTR, {Value::fromString(u"Level"_s), Value::fromString(u"Temp"_s),
                                                                      Value::fromString(u"Door"_s), Value::fromString(u"Refused"_s)}));
        QVERIFY(c->addVariable(u"Level"_s)->help().contains(u"Tank level (holding register 300 (I2) of unit 1"_s));
        // The place that cannot be read is reported once.
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 1, 5000);
        auto failed = std::static_pointer_cast<ZelMessage>(spy.takeFirst().at(0).value<ObjectPtr>());
        QCOMPARE(failed->number(), zelmodbus::kWatchFailed);
        QCOMPARE(failed->description(), u"Watch Refused failed"_s);
        QCOMPARE(m_py.command(u"set hr 300 42"_s), u"ok"_s);
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 1, 5000);
        auto m = std::static_pointer_cast<ZelMessage>(spy.takeFirst().at(0).value<ObjectPtr>());
        QCOMPARE(m->number(), 300);
        QCOMPARE(m->description(), u"Level"_s);
        QCOMPARE(m->value(), Value::fromI2(42));
        QCOMPARE(m->source(), u"py"_s);
        QCOMPARE(m_py.command(u"set di 320 1"_s), u"ok"_s);
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 1, 5000);
        m = std::static_pointer_cast<ZelMessage>(spy.takeFirst().at(0).value<ObjectPtr>());
        QCOMPARE(m->description(), u"Door"_s);
        QCOMPARE(m->value(), Value::fromBool(true));
        QCOMPARE(m_py.command(u"set di 320 0"_s), u"ok"_s);
        QCOMPARE(m_py.command(u"set hr 300 0"_s), u"ok"_s);
    }

    void extensions()
    {
        auto c = py();
        auto x = c->addExtension(u"Out"_s, u"@Table=coil,@Address=16,@Count=8"_s);
        QCOMPARE(x->execute(u"SetBit"_s, Value::fromI4(3)), Value::fromI4(8));
        QCOMPARE(m_py.command(u"get co 16 8"_s), u"0 0 0 1 0 0 0 0"_s);
        QCOMPARE(x->execute(u"SetIO"_s, Value::fromI4(0xA5)), Value::fromI4(0xA5));
        QCOMPARE(m_py.command(u"get co 16 8"_s), u"1 0 1 0 0 1 0 1"_s);
        QCOMPARE(x->execute(u"ClearBit"_s, Value::fromI4(0)), Value::fromI4(0xA4));
        QCOMPARE(x->execute(u"GetBit"_s, Value::fromI4(2)), Value::fromBool(true));
        QCOMPARE(x->addVariable(u"@IO"_s)->value(), Value::fromI4(0xA4));
        x->execute(u"Reset"_s, Value());
        QCOMPARE(m_py.command(u"get co 16 8"_s), u"0 0 0 0 0 0 0 0"_s);
        QString text;
        QCOMPARE(errorOf([&] { x->execute(u"SetBit"_s, Value::fromI4(8)); }, &text), 0x8004A203u);
        QCOMPARE(text, u"SetBit: bit 8 does not exist; the board has bits 0 to 7"_s);
        QCOMPARE(errorOf([&] { x->execute(u"SetIO"_s, Value::fromI4(0x100)); }), 0x8004A203u);

        QCOMPARE(m_py.command(u"set di 40 1 1 0"_s), u"ok"_s);
        auto in = c->addExtension(u"In"_s, u"@Table=discrete,@Address=40,@Count=3"_s);
        QCOMPARE(in->execute(u"GetIO"_s, Value()), Value::fromI4(3));
        QCOMPARE(errorOf([&] { in->execute(u"SetBit"_s, Value::fromI4(0)); }, &text), 0x8004A004u);
        QCOMPARE(text, u"SetBit: extension In reads discrete inputs 40 to 42; discrete inputs are read-only"_s);
        QCOMPARE(errorOf([&] { c->addExtension(u"NoAddress"_s); }), 0x8004A201u);
        QCOMPARE(errorOf([&] { c->addExtension(u"Wide"_s, u"@Address=0,@Count=33"_s); }), 0x8004A201u);
    }

    void commands()
    {
        QCOMPARE(m_py.command(u"set hr 70 258 772"_s), u"ok"_s);
        auto c = py();
        auto cmd = c->addCommand(u"Read"_s);
        cmd->setParameters(arr(VT_I2, {Value::fromI2(3), Value::fromI2(0), Value::fromI2(70), Value::fromI2(0), Value::fromI2(2)}));
        cmd->execute(0);
        const Value expected = arr(VT_UI1, {Value::fromUI1(3), Value::fromUI1(4), Value::fromUI1(1), Value::fromUI1(2), Value::fromUI1(3), Value::fromUI1(4)});
        QCOMPARE(cmd->result(), expected);
        QCOMPARE(cmd->state(), qint32(ZelCommand::Completed));
        cmd->execute(2);
        QCOMPARE(cmd->result(), Value::fromString(u"03 04 01 02 03 04"_s));

        // Asynchronous: completes on a later turn of the event loop.
        QSignalSpy done(c->commands().get(), &ZelCommands::ExecuteComplete);
        cmd->execute(1);
        QCOMPARE(done.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 5000);
        QCOMPARE(done.first().at(0).toInt(), 0);
        QCOMPARE(cmd->result(), expected);

        // A write through a raw request, read back by the server.
        cmd->setParameters(Value::fromString(u"06 00 46 00 2A"_s));
        cmd->execute(0);
        QCOMPARE(m_py.command(u"get hr 70 1"_s), u"42"_s);
        QVERIFY(cmd->help().startsWith(u"Command Read: sends its Parameters"_s));
        for (const Value &bad : {Value(), Value::fromString(u"zz"_s), Value::fromString(u"80"_s), arr(VT_I4, {Value::fromI4(256)})}) {
            cmd->setParameters(bad);
            QVERIFY(errorOf([&] { cmd->execute(0); }) != 0);
        }
    }

    // The simulator serves its map's starting values; the provider reads them by name.
    void simulatorMap()
    {
        const QString map = writeFile(m_dir, u"cell.map"_s,
                                      "Speed    holding 0  I2  value=-12\n"
                                      "Total    holding 1  UI4 order=little value=70000\n"
                                      "Temp     input   0  R4  value=21.5\n"
                                      "Recipe   holding 10 BSTR count=5 value=\"Rye, dark\"\n"
                                      "Lamps    coil    0  ARRAY|BOOL count=3 value=1;0;1\n"
                                      "Door     discrete 5 value=true\n"
                                      "Ticks    input   2  I4 simulate=count\n");
        Simulator sim;
        QVERIFY(sim.startTcp(map));
        auto c = add(u"cell"_s, sim.machine(), u"@Map="_s + map);
        const struct {
            const char *name;
            Value value;
        } rows[] = {
            {"Speed", Value::fromI2(-12)},
            {"Total", Value::fromUI4(70000)},
            {"Temp", Value::fromR4(21.5f)},
            {"Recipe", Value::fromString(u"Rye, dark"_s)},
            {"Lamps", arr(VT_BOOL, {Value::fromBool(true), Value::fromBool(false), Value::fromBool(true)})},
            {"Door", Value::fromBool(true)},
        };
        for (const auto &r : rows)
            QCOMPARE(c->addVariable(QString::fromLatin1(r.name))->value(), r.value);
        // Options override the map; an address the map does not cover is refused by the device.
        QCOMPARE(c->addVariable(u"Raw"_s, u"@Table=holding,@Address=1,@Type=UI2"_s)->value(), Value::fromUI2(70000 & 0xFFFF));
        QCOMPARE(errorOf([&] { c->addVariable(u"Past"_s, u"@Table=holding,@Address=15"_s)->value(); }), 0x8004A502u);
        QCOMPARE(errorOf([&] { c->addVariable(u"Unknown"_s); }), 0x8004A002u);
        // A name and an IPv6 address in brackets reach the same kind of server.
        QCOMPARE(add(u"byName"_s, u"localhost:%1"_s.arg(sim.port()), u"@Map="_s + map)->addVariable(u"Speed"_s)->value(), Value::fromI2(-12));
        Simulator six;
        QVERIFY(six.start(QStringLiteral(ZELMODBUS_SIM_EXE), {u"--map"_s, map, u"--port"_s, u"0"_s, u"--host"_s, u"::1"_s}));
        const QRegularExpressionMatch m = QRegularExpression(u" port (\\d+) "_s).match(six.readLine());
        QVERIFY(m.hasMatch());
        auto v6 = add(u"six"_s, u"[::1]:"_s + m.captured(1), u"@Map="_s + map);
        QVERIFY(v6->help().contains(u"at [::1] port %1 (Modbus TCP)"_s.arg(m.captured(1))));
        QCOMPARE(v6->addVariable(u"Speed"_s)->value(), Value::fromI2(-12));
        auto ticks = c->addVariable(u"Ticks"_s);
        const qint64 first = ticks->value().integerValue();
        QTRY_VERIFY_WITH_TIMEOUT(ticks->value().integerValue() > first, 5000);
    }

    void rtu()
    {
        SerialPair pair;
        QVERIFY(pair.open(m_dir.path()));
        {
            Simulator sim;
            const QString map = writeFile(m_dir, u"rtu.map"_s, "Setpoint holding 4 R4 value=2.5\nRun coil 0\n");
            QVERIFY(sim.startSerial(map, pair.a(), {u"--parity"_s, u"N"_s, u"--unit"_s, u"7"_s}));
            auto c = add(u"rtu"_s, pair.b(), u"@Parity=N,@UnitId=7,@Map="_s + map);
            QVERIFY(c->help().contains(u"unit 7 at %1 (Modbus RTU) at 19200 baud, 8N1"_s.arg(pair.b())));
            auto v = c->addVariable(u"Setpoint"_s);
            QCOMPARE(v->value(), Value::fromR4(2.5f));
            v->setValue(Value::fromR8(-4));
            QCOMPARE(v->value(), Value::fromR4(-4));
            auto run = c->addVariable(u"Run"_s);
            run->setValue(Value::fromBool(true));
            QCOMPARE(run->value(), Value::fromBool(true));
            // Another unit on the same line does not answer.
            auto other = add(u"other"_s, pair.b(), u"@Parity=N,@UnitId=8,@Timeout=200"_s);
            QCOMPARE(errorOf([&] { other->addVariable(u"X"_s, u"@Table=holding,@Address=4"_s)->value(); }), 0x8004A219u);
            m_ws->controllers()->clear();
        }
        PyServer pyRtu;
        QVERIFY(pyRtu.startSerial(pair.a()));
        auto c = add(u"pyrtu"_s, pair.b(), u"@Parity=N"_s);
        auto v = c->addVariable(u"V"_s, u"@Table=holding,@Address=5,@Type=I4,@WordOrder=little"_s);
        v->setValue(Value::fromI4(-2));
        QCOMPARE(pyRtu.command(u"get hr 5 2"_s), u"65534 65535"_s);
        QCOMPARE(v->value(), Value::fromI4(-2));
    }

    void deviceMaps_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("table") << QByteArray("A holdings 0\n") << u"m.map:1: unknown table 'holdings'; the tables are coil, discrete, input and holding"_s;
        QTest::newRow("short") << QByteArray("# c\n\nA holding\n") << u"m.map:3: an entry needs at least a name, a table and an address"_s;
        QTest::newRow("address") << QByteArray("A holding x\n") << u"m.map:1: the address 'x' is not a whole number"_s;
        QTest::newRow("range") << QByteArray("A holding 70000\n") << u"m.map:1: A: the address 70000 is outside 0 to 65535"_s;
        QTest::newRow("type") << QByteArray("A holding 0 I8\n") << u"m.map:1: unknown type 'I8'; the types are BOOL, I2, UI2, I4, UI4, R4, R8, BSTR and ARRAY | one of them but BSTR"_s;
        QTest::newRow("coil") << QByteArray("A coil 0 R4\n") << u"m.map:1: A: a coil holds BOOL or ARRAY | BOOL, not R4"_s;
        QTest::newRow("quote") << QByteArray("A holding 0 help=\"open\n") << u"m.map:1: a quoted text lacks its closing quote"_s;
        QTest::newRow("twice") << QByteArray("A holding 0\na holding 1\n") << u"m.map:2: the name a is already used on line 1"_s;
        QTest::newRow("name") << QByteArray("@A holding 0\n") << u"m.map:1: '@A' is not a name (letters, digits, _ . and -, up to 64, not starting with @)"_s;
        QTest::newRow("span") << QByteArray("A holding 0 ARRAY|R8 count=40\n") << u"m.map:1: A: it spans 160 registers; one request reads at most 125"_s;
        QTest::newRow("end") << QByteArray("A holding 65535 I4\n") << u"m.map:1: A: it runs past address 65535"_s;
        QTest::newRow("count") << QByteArray("A holding 0 I2 count=2\n") << u"m.map:1: count is for arrays and BSTR; I2 holds one value"_s;
        QTest::newRow("key") << QByteArray("A holding 0 colour=red\n") << u"m.map:1: unknown key 'colour'; the keys are count, order, help, value and simulate"_s;
        QTest::newRow("value") << QByteArray("A holding 0 value=40000\n") << u"m.map:1: A: 40000 does not fit I2 (-32768 to 32767)"_s;
        QTest::newRow("utf8") << QByteArray("A holding 0 help=\"\xff\xfe\"\n") << u"m.map: the map is not UTF-8 text"_s;
        QTest::newRow("size") << QByteArray(zelmodbus::DeviceMap::kMaxSize + 1, '#') << u"device map m.map has 1048577 bytes; a map has at most 1048576"_s;
    }

    void deviceMaps()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        QString description;
        QCOMPARE(errorOf([&] { zelmodbus::DeviceMap::parse(text, u"m.map"_s); }, &description), 0x8004A21Bu);
        QCOMPARE(description, error);
    }

    // Random bytes and deep junk never crash the reader or take long.
    void deviceMapJunk()
    {
        quint32 seed = 17;
        for (int round = 0; round < 200; ++round) {
            QByteArray junk;
            for (int i = 0; i < 400; ++i) {
                seed = seed * 1103515245u + 12345u;
                const char pieces[] = "AB holding coil 0 1 65535 \"= count=3 I4 ARRAY| watch\n#\xc3\xa9\xff";
                junk.append(pieces[(seed >> 16) % (sizeof pieces - 1)]);
            }
            try {
                zelmodbus::DeviceMap::parse(junk, u"junk.map"_s);
            } catch (const ZelError &e) {
                QCOMPARE(e.unsignedNumber(), 0x8004A21Bu);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestModbus)
#include "tst_modbus.moc"
