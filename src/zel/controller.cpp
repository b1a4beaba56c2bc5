#include "controller.h"

#include "context.h"
#include "dispatch.h"
#include "engine.h"
#include "options.h"
#include "provider.h"
#include "virtualcontroller.h"

#include <QMetaObject>

namespace zel {

using namespace detail;

namespace {
enum ControllerVariable {
    EventDisableVar = 100,
    MessageIntervalVar,
    PendingMessagesVar,
    MessagesRaisedVar,
    MessagesDroppedVar,
    LastReplyVar,
    LastReplySerialVar,
    FaultsVar,
    ProviderVar,
    MachineVar,
};

constexpr qint32 kPeriodicNumber = 100;
constexpr qint32 kBatchNumber = 101;

struct ControllerSettings {
    bool eventDisable = false;
    qint32 interval = 0;
    qint32 burst = 1;
    qint32 limit = 0;
};

ControllerSettings readSettings(const QString &option)
{
    Options o(option, QStringLiteral("AddController"));
    ControllerSettings s;
    s.eventDisable = o.boolean("@EventDisable", false);
    s.interval = o.integer("@MessageInterval", 0, 0, 3600000);
    s.burst = o.integer("@MessageBurst", 1, 1, 10000);
    s.limit = o.integer("@MessageLimit", 0, 0, INT32_MAX);
    return s;
}

QStringList withExtras(QStringList names, const QStringList &more)
{
    for (const QString &n : more) {
        if (!names.contains(n, Qt::CaseInsensitive))
            names << n;
    }
    return names;
}

quint64 takeScope(EngineContext &ctx)
{
    return ctx.nextScope++;
}
} // namespace

// ---- messages -----------------------------------------------------------------------------

ZelMessage::ZelMessage(std::shared_ptr<EngineContext> ctx, quint64 scope, std::weak_ptr<ZelController> controller, Data data)
    : EngineObject(std::move(ctx), ObjectKind::Message, scope), m_controller(std::move(controller)), m_data(std::move(data)),
      m_dateTime(currentDate())
{
}

ZelMessage::~ZelMessage() = default;

QString ZelMessage::displayName() const
{
    return QStringLiteral("Message %1").arg(m_data.serialNumber);
}

void ZelMessage::reply(const Value &data)
{
    guard("Reply");
    if (m_cleared)
        raise(E_NO_MESSAGE, QStringLiteral("Reply: message %1 has been cleared").arg(m_data.serialNumber));
    auto c = m_controller.lock();
    if (!c)
        raise(E_DETACHED, QStringLiteral("Reply: the controller of message %1 no longer exists").arg(m_data.serialNumber));
    c->recordReply(m_data.serialNumber, data);
}

void ZelMessage::clear()
{
    guard("Clear");
    if (m_cleared)
        raise(E_NO_MESSAGE, QStringLiteral("Clear: message %1 has already been cleared").arg(m_data.serialNumber));
    m_cleared = true;
    m_data.description.clear();
    m_data.value = Value();
}

Value ZelMessage::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using M = ZelMessage;
    static const DispatchTable<M> table{{
        prop<M>("Number", [](M &m, const Args &) { return Value::fromI4(m.number()); }),
        prop<M>("SerialNumber", [](M &m, const Args &) { return Value::fromI4(m.serialNumber()); }),
        prop<M>("DateTime", [](M &m, const Args &) { return Value::fromDate(m.dateTime()); }),
        prop<M>("Source", [](M &m, const Args &) { return Value::fromString(m.source()); }),
        prop<M>("Destination", [](M &m, const Args &) { return Value::fromString(m.destination()); }),
        prop<M>("Description", [](M &m, const Args &) { return Value::fromString(m.description()); }),
        prop<M>("Value", [](M &m, const Args &) { return m.value(); }),
        method<M>("Reply", [](M &m, const Args &a) { m.reply(a[0]); return Value(); }, 1, 1),
        method<M>("Clear", [](M &m, const Args &) { m.clear(); return Value(); }, 0, 0),
    }};
    return table.invoke(*this, member, kind, args);
}

// ---- controllers --------------------------------------------------------------------------

ZelController::ZelController(std::shared_ptr<EngineContext> ctx, QString name, QString provider, QString machine, const QString &option,
                             std::shared_ptr<ControllerDevice> device)
    : ControllerMember(ctx, ObjectKind::Controller, takeScope(*ctx), name), m_provider(std::move(provider)),
      m_machine(std::move(machine)), m_device(std::move(device)),
      m_variables(std::make_shared<ZelVariables>(ctx, scope())), m_robots(std::make_shared<ZelRobots>(ctx, scope())),
      m_files(std::make_shared<ZelFiles>(ctx, scope())), m_tasks(std::make_shared<ZelTasks>(ctx, scope())),
      m_extensions(std::make_shared<ZelExtensions>(ctx, scope())), m_commands(std::make_shared<ZelCommands>(ctx, scope()))
{
    const ControllerSettings s = readSettings(option);
    m_eventsEnabled = !s.eventDisable;
    connect(&m_periodic, &QTimer::timeout, this, &ZelController::periodicTick);
    if (s.interval > 0)
        startPeriodicMessages(s.interval, s.burst, s.limit);
    else
        m_burst = s.burst, m_limit = s.limit;
}

ZelController::~ZelController() = default;

void ZelController::startDevice()
{
    std::weak_ptr<ZelController> weak = std::static_pointer_cast<ZelController>(shared_from_this());
    m_device->start([weak](DeviceMessage m) {
        if (auto c = weak.lock()) {
            ZelMessage::Data d;
            d.number = m.number;
            d.description = std::move(m.description);
            d.value = std::move(m.value);
            c->raiseMessage(std::move(d));
        }
    });
}

void ZelController::checkOffers(MemberKind kind, const char *operation) const
{
    if (!m_device->offers(kind))
        raise(E_NO_MEMBER_KIND, QStringLiteral("%1: the provider %2 has no %3").arg(QLatin1StringView(operation), m_provider, memberKindWord(kind)));
}

std::shared_ptr<ZelVariables> ZelController::variables() const { guard("get_Variables"); return m_variables; }
std::shared_ptr<ZelRobots> ZelController::robots() const { guard("get_Robots"); return m_robots; }
std::shared_ptr<ZelFiles> ZelController::files() const { guard("get_Files"); return m_files; }
std::shared_ptr<ZelTasks> ZelController::tasks() const { guard("get_Tasks"); return m_tasks; }
std::shared_ptr<ZelExtensions> ZelController::extensions() const { guard("get_Extensions"); return m_extensions; }
std::shared_ptr<ZelCommands> ZelController::commands() const { guard("get_Commands"); return m_commands; }

std::shared_ptr<ZelVariable> ZelController::addVariable(const QString &name, const QString &option)
{
    guard("AddVariable");
    checkOffers(MemberKind::Variable, "AddVariable");
    return detail::addVariable(*this, *this, *m_variables, name, option, m_device.get());
}

template <class T, class Bind>
std::shared_ptr<T> ZelController::addNamed(Collection<T> &members, MemberKind kind, const char *operation,
                                           const char *stem, const QString &requested, const QString &option, Bind bind)
{
    guard(operation);
    checkOffers(kind, operation);
    Options(option, QString::fromLatin1(operation));
    const QString name = requested.isEmpty() ? members.generatedName(QString::fromLatin1(stem)) : requested;
    auto make = bind(name);
    if (auto existing = members.find(name))
        return existing;
    std::shared_ptr<T> member = make();
    members.append(member);
    return member;
}

std::shared_ptr<ZelRobot> ZelController::addRobot(const QString &requested, const QString &option)
{
    return addNamed(*m_robots, MemberKind::Robot, "AddRobot", "Robot", requested, option, [this](const QString &name) {
        return [this, name] { return std::make_shared<ZelRobot>(context(), scope(), name); };
    });
}

std::shared_ptr<ZelFile> ZelController::addFile(const QString &name, const QString &option)
{
    guard("AddFile");
    checkOffers(MemberKind::File, "AddFile");
    const std::shared_ptr<ControllerModel> model = m_device->fileSystem();
    return detail::addFile(*this, model, model->root, *m_files, name, option);
}

std::shared_ptr<ZelTask> ZelController::addTask(const QString &requested, const QString &option)
{
    guard("AddTask");
    checkOffers(MemberKind::Task, "AddTask");
    const std::shared_ptr<ControllerModel> model = m_device->fileSystem();
    Options o(option, QStringLiteral("AddTask"));
    const qint32 stepTime = o.integer("StepTime", 100, 1, 60000);
    QString name = requested;
    if (name.isEmpty()) {
        for (int i = 1; name.isEmpty() || m_tasks->find(name) || model->task(name); ++i)
            name = QStringLiteral("Task%1").arg(i);
    }
    const QString file = o.text("File", QLatin1Char('/') + name + QStringLiteral(".pgm"));
    auto existing = m_tasks->find(name);
    if (existing && existing->exists())
        return existing;
    std::shared_ptr<TaskModel> task = model->task(name);
    if (!task)
        task = model->createTask(name, file.startsWith(QLatin1Char('/')) ? file : QLatin1Char('/') + file, stepTime);
    if (existing) {
        existing->rebind(task);
        return existing;
    }
    auto t = std::make_shared<ZelTask>(context(), scope(), model, task);
    m_tasks->append(t);
    return t;
}

std::shared_ptr<ZelExtension> ZelController::addExtension(const QString &requested, const QString &option)
{
    return addNamed(*m_extensions, MemberKind::Extension, "AddExtension", "Extension", requested, option,
                    [this, &option](const QString &name) {
                        std::shared_ptr<IoBinding> io = m_device->extension(name, option);
                        return [this, name, io] { return std::make_shared<ZelExtension>(context(), scope(), name, io); };
                    });
}

std::shared_ptr<ZelCommand> ZelController::addCommand(const QString &requested, const QString &option)
{
    return addNamed(*m_commands, MemberKind::Command, "AddCommand", "Command", requested, option,
                    [this, &option](const QString &name) {
                        std::shared_ptr<CommandBinding> binding = m_device->command(name, option);
                        return [this, name, &option, binding] {
                            return std::make_shared<ZelCommand>(context(), scope(), name, option, binding);
                        };
                    });
}

QStringList ZelController::variableNames(const QString &option) const
{
    guard("get_VariableNames");
    return detail::variableNames(*this, *m_variables, option, m_device->offeredNames(MemberKind::Variable));
}

QStringList ZelController::robotNames(const QString &option) const
{
    guard("get_RobotNames");
    return filterNames(withExtras(m_device->offeredNames(MemberKind::Robot), m_robots->memberNames()), option, "RobotNames");
}

QStringList ZelController::fileNames(const QString &option) const
{
    guard("get_FileNames");
    if (const std::shared_ptr<ControllerModel> model = m_device->fileSystem())
        return detail::fileNames(*model->root, *m_files, option);
    return filterNames(m_files->memberNames(), option, "FileNames");
}

QStringList ZelController::taskNames(const QString &option) const
{
    guard("get_TaskNames");
    if (const std::shared_ptr<ControllerModel> model = m_device->fileSystem())
        return filterNames(model->taskNames(), option, "TaskNames");
    return filterNames(m_tasks->memberNames(), option, "TaskNames");
}

QStringList ZelController::extensionNames(const QString &option) const
{
    guard("get_ExtensionNames");
    return filterNames(withExtras(m_device->offeredNames(MemberKind::Extension), m_extensions->memberNames()), option, "ExtensionNames");
}

QStringList ZelController::commandNames(const QString &option) const
{
    guard("get_CommandNames");
    return filterNames(withExtras(m_device->offeredNames(MemberKind::Command), m_commands->memberNames()), option, "CommandNames");
}

std::shared_ptr<ZelMessage> ZelController::getMessage()
{
    guard("GetMessage");
    if (m_queue.isEmpty())
        return nullptr;
    return m_queue.takeFirst();
}

std::shared_ptr<ZelMessage> ZelController::raiseMessage(ZelMessage::Data data)
{
    if (data.serialNumber < 0)
        data.serialNumber = m_nextSerial++;
    if (data.source.isEmpty())
        data.source = displayName();
    auto self = std::static_pointer_cast<ZelController>(shared_from_this());
    auto msg = std::make_shared<ZelMessage>(context(), scope(), self, std::move(data));
    ++m_raised;
    if (m_eventsEnabled) {
        std::weak_ptr<ZelController> weak = self;
        QMetaObject::invokeMethod(
            this,
            [weak, msg] {
                if (auto c = weak.lock()) // keeps the controller alive while handlers run
                    Q_EMIT c->OnMessage(msg);
            },
            Qt::QueuedConnection);
    } else {
        m_queue.append(msg);
        while (m_queue.size() > kQueueLimit) {
            m_queue.removeFirst();
            ++m_dropped;
        }
    }
    return msg;
}

void ZelController::setEventsEnabled(bool enabled)
{
    m_eventsEnabled = enabled;
}

void ZelController::startPeriodicMessages(qint32 intervalMs, qint32 burst, qint32 limit)
{
    if (intervalMs < 0 || intervalMs > 3600000)
        raise(E_OUT_OF_RANGE, QStringLiteral("StartMessages: an interval of %1 ms is out of range (1 to 3600000 ms; 0 stops)").arg(intervalMs));
    if (burst < 1 || burst > 10000)
        raise(E_OUT_OF_RANGE, QStringLiteral("StartMessages: a burst of %1 messages is out of range (1 to 10000)").arg(burst));
    if (limit < 0)
        raise(E_OUT_OF_RANGE, QStringLiteral("StartMessages: a limit of %1 messages is out of range (0 for none)").arg(limit));
    m_burst = burst;
    m_limit = limit;
    m_periodicRaised = 0;
    if (intervalMs == 0) {
        m_periodic.stop();
        return;
    }
    m_periodic.start(intervalMs);
}

void ZelController::stopPeriodicMessages()
{
    m_periodic.stop();
}

void ZelController::periodicTick()
{
    auto keep = shared_from_this();
    for (qint32 i = 0; i < m_burst; ++i) {
        if (m_limit > 0 && m_periodicRaised >= m_limit) {
            m_periodic.stop();
            return;
        }
        ++m_periodicRaised;
        ZelMessage::Data d;
        d.number = kPeriodicNumber;
        d.description = QStringLiteral("Periodic message %1").arg(m_periodicRaised);
        d.value = Value::fromI4(m_periodicRaised);
        raiseMessage(std::move(d));
    }
    if (m_limit > 0 && m_periodicRaised >= m_limit)
        m_periodic.stop();
}

void ZelController::recordReply(qint32 serialNumber, const Value &data)
{
    m_lastReply = data;
    m_lastReplySerial = serialNumber;
}

// Execute commands of a controller.
struct ControllerCommands {
    static ZelMessage::Data messageData(const Value &p)
    {
        ZelMessage::Data d;
        d.description = QStringLiteral("Message");
        if (p.isEmpty())
            return d;
        if (p.isNumeric()) {
            d.number = p.toInt32();
            return d;
        }
        if (p.isString()) {
            const QString &t = p.stringValue();
            if (!t.contains(QLatin1Char('='))) {
                d.description = t;
                return d;
            }
            Options o(t, QStringLiteral("RaiseMessage"));
            d.number = o.integer("Number", 0, INT32_MIN, INT32_MAX);
            d.serialNumber = o.integer("SerialNumber", -1, 0, INT32_MAX);
            d.description = o.text("Description", d.description);
            d.source = o.text("Source", QString());
            d.destination = o.text("Destination", QString());
            if (std::optional<QString> v = o.text("Value"))
                d.value = Value::fromString(*v);
            return d;
        }
        if (p.isArray()) {
            // (Number, Description, Value, SerialNumber), trailing elements optional
            const QList<Value> &e = p.arrayValue().items;
            try {
                if (e.size() > 0)
                    d.number = e[0].toInt32();
                if (e.size() > 1)
                    d.description = e[1].toPlainText();
                if (e.size() > 2)
                    d.value = e[2];
                if (e.size() > 3) {
                    d.serialNumber = e[3].toInt32();
                    if (d.serialNumber < 0)
                        raise(E_OUT_OF_RANGE, QStringLiteral("serial number %1 is negative").arg(d.serialNumber));
                }
            } catch (const ZelError &err) {
                raise(err.unsignedNumber(), QStringLiteral("RaiseMessage: the array is (Number, Description, Value, SerialNumber): %1").arg(err.description()));
            }
            if (e.size() > 4)
                raise(E_INVALID_ARG, QStringLiteral("RaiseMessage: the array is (Number, Description, Value, SerialNumber); it has %1 elements").arg(e.size()));
            return d;
        }
        raise(E_TYPE_MISMATCH, QStringLiteral("RaiseMessage takes a number, a text or an array; got %1").arg(typeName(p.type())));
    }

    static Value raiseOne(ZelController &c, const Value &p)
    {
        return Value::fromI4(c.raiseMessage(messageData(p))->serialNumber());
    }

    static Value raiseMany(ZelController &c, const Value &p)
    {
        qint32 n = 0;
        try {
            n = p.toInt32();
        } catch (const ZelError &e) {
            raise(e.unsignedNumber(), QStringLiteral("RaiseMessages takes a count: %1").arg(e.description()));
        }
        if (n < 1 || n > 100000)
            raise(E_OUT_OF_RANGE, QStringLiteral("RaiseMessages: a count of %1 is out of range (1 to 100000)").arg(n));
        for (qint32 i = 1; i <= n; ++i) {
            ZelMessage::Data d;
            d.number = kBatchNumber;
            d.description = QStringLiteral("Message %1 of %2").arg(i).arg(n);
            d.value = Value::fromI4(i);
            c.raiseMessage(std::move(d));
        }
        return Value::fromI4(n);
    }

    static Value startMessages(ZelController &c, const Value &p)
    {
        if (p.isString() && p.stringValue().contains(QLatin1Char('='))) {
            Options o(p.stringValue(), QStringLiteral("StartMessages"));
            c.startPeriodicMessages(o.integer("Interval", 100, 0, 3600000), o.integer("Burst", 1, 1, 10000), o.integer("Limit", 0, 0, INT32_MAX));
            return Value();
        }
        qint32 interval = 100;
        if (!p.isEmpty()) {
            try {
                interval = p.toInt32();
            } catch (const ZelError &e) {
                raise(e.unsignedNumber(), QStringLiteral("StartMessages takes an interval in ms or \"Interval=..,Burst=..,Limit=..\": %1").arg(e.description()));
            }
        }
        c.startPeriodicMessages(interval, 1, 0);
        return Value();
    }

    static Value eventDisable(ZelController &c, const Value &p)
    {
        QList<Value> args{p};
        c.setEventsEnabled(!argBool(args, 0, "parameter", "EventDisable"));
        return Value::fromBool(!c.eventsEnabled());
    }

    static Value clearMessages(ZelController &c, const Value &)
    {
        const qint32 n = c.pendingMessages();
        c.m_queue.clear();
        return Value::fromI4(n);
    }

    static Value injectFault(ZelController &c, const Value &p)
    {
        c.context()->addFault(parseFault(p, c.scope(), QStringLiteral("InjectFault")));
        return Value::fromI4(qint32(c.context()->faultTexts(c.scope()).size()));
    }

    static Value clearFaults(ZelController &c, const Value &)
    {
        return Value::fromI4(c.context()->clearFaults(c.scope()));
    }

    static Value faults(ZelController &c, const Value &)
    {
        return textArray(c.context()->faultTexts(c.scope()));
    }
};

Value ZelController::execute(const QString &command, const Value &parameter)
{
    guard("Execute");
    static const CommandTable<ZelController> commands{
        {"RaiseMessage", &ControllerCommands::raiseOne},
        {"RaiseMessages", &ControllerCommands::raiseMany},
        {"StartMessages", &ControllerCommands::startMessages},
        {"StopMessages", [](ZelController &c, const Value &) { c.stopPeriodicMessages(); return Value(); }},
        {"PendingMessages", [](ZelController &c, const Value &) { return Value::fromI4(c.pendingMessages()); }},
        {"ClearMessages", &ControllerCommands::clearMessages},
        {"EventDisable", &ControllerCommands::eventDisable},
        {"InjectFault", &ControllerCommands::injectFault},
        {"ClearFaults", &ControllerCommands::clearFaults},
        {"Faults", &ControllerCommands::faults},
    };
    return commands.run(*this, command, parameter);
}

QString ZelController::describe() const
{
    return QStringLiteral("Controller %1 (%2 on '%3'): events %4, %5 queued message(s), %6 robot(s), %7 variable(s)")
        .arg(displayName(), m_provider, m_machine, m_eventsEnabled ? QStringLiteral("on") : QStringLiteral("off"))
        .arg(m_queue.size())
        .arg(m_robots->size())
        .arg(m_variables->size());
}

std::vector<VariableHost::SystemVariable> ZelController::hostVariables() const
{
    std::vector<SystemVariable> own{
        {"@EventDisable", EventDisableVar, true, "True while OnMessage is off and messages queue for GetMessage (BOOL); writable"},
        {"@MessageInterval", MessageIntervalVar, true, "the period of the periodic messages in ms, 0 when off (I4); writable"},
        {"@PendingMessages", PendingMessagesVar, false, "messages queued for GetMessage (I4)"},
        {"@MessagesRaised", MessagesRaisedVar, false, "messages raised since the controller was added (I4)"},
        {"@MessagesDropped", MessagesDroppedVar, false, "queued messages dropped because the queue was full (I4)"},
        {"@LastReply", LastReplyVar, false, "the data of the last Reply to one of its messages"},
        {"@LastReplySerial", LastReplySerialVar, false, "the serial number of the last message replied to (I4)"},
        {"@Faults", FaultsVar, false, "faults armed by InjectFault on this controller (I4)"},
        {"@Provider", ProviderVar, false, "the provider name"},
        {"@Machine", MachineVar, false, "the machine name"},
    };
    for (const SystemVariable &v : m_device->hostVariables())
        own.push_back(v);
    return own;
}

Value ZelController::readHostVariable(int id)
{
    switch (id) {
    case EventDisableVar: return Value::fromBool(!m_eventsEnabled);
    case MessageIntervalVar: return Value::fromI4(m_periodic.isActive() ? m_periodic.interval() : 0);
    case PendingMessagesVar: return Value::fromI4(pendingMessages());
    case MessagesRaisedVar: return Value::fromI4(m_raised);
    case MessagesDroppedVar: return Value::fromI4(m_dropped);
    case LastReplyVar: return m_lastReply;
    case LastReplySerialVar: return Value::fromI4(m_lastReplySerial);
    case FaultsVar: return Value::fromI4(qint32(context()->faultTexts(scope()).size()));
    case ProviderVar: return Value::fromString(m_provider);
    case MachineVar: return Value::fromString(m_machine);
    }
    return m_device->readHostVariable(id);
}

void ZelController::writeHostVariable(int id, const Value &value)
{
    if (id == EventDisableVar) {
        QList<Value> args{value};
        setEventsEnabled(!argBool(args, 0, "value", "put_Value"));
    } else if (id == MessageIntervalVar) {
        QList<Value> args{value};
        const qint32 interval = argInt(args, 0, "value", "put_Value");
        startPeriodicMessages(interval, m_burst, m_limit);
    } else {
        m_device->writeHostVariable(id, value);
    }
}

qint32 ZelController::attributeValue() const
{
    return (m_eventsEnabled ? 1 : 0) | (m_periodic.isActive() ? 2 : 0);
}

QString ZelController::helpText() const
{
    return QStringLiteral("Controller %1: %2").arg(displayName(), m_device->help(m_provider, m_machine));
}

Value ZelController::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using C = ZelController;
#define ZEL_ADD(Name, fn) \
    method<C>(Name, [](C &c, const Args &a) { return Value::fromObject(c.fn(argText(a, 0, "name", Name), argText(a, 1, "option", Name))); }, 0, 2)
#define ZEL_NAMES(Name, fn) \
    prop<C>(Name, [](C &c, const Args &a) { return textArray(c.fn(argText(a, 0, "option", Name))); }, nullptr, 0, 1)
    static const DispatchTable<C> table{
        holderMembers<C>(),
        {
            prop<C>("Robots", [](C &c, const Args &) { return Value::fromObject(c.robots()); }),
            prop<C>("Files", [](C &c, const Args &) { return Value::fromObject(c.files()); }),
            prop<C>("Tasks", [](C &c, const Args &) { return Value::fromObject(c.tasks()); }),
            prop<C>("Extensions", [](C &c, const Args &) { return Value::fromObject(c.extensions()); }),
            prop<C>("Commands", [](C &c, const Args &) { return Value::fromObject(c.commands()); }),
            ZEL_ADD("AddRobot", addRobot),
            ZEL_ADD("AddFile", addFile),
            ZEL_ADD("AddTask", addTask),
            ZEL_ADD("AddExtension", addExtension),
            ZEL_ADD("AddCommand", addCommand),
            ZEL_NAMES("RobotNames", robotNames),
            ZEL_NAMES("FileNames", fileNames),
            ZEL_NAMES("TaskNames", taskNames),
            ZEL_NAMES("ExtensionNames", extensionNames),
            ZEL_NAMES("CommandNames", commandNames),
            method<C>("GetMessage", [](C &c, const Args &) {
                auto m = c.getMessage();
                return m ? Value::fromObject(m) : nothing(); }, 0, 0),
        },
    };
#undef ZEL_ADD
#undef ZEL_NAMES
    return table.invoke(*this, member, kind, args);
}

ZelControllers::ZelControllers(std::shared_ptr<EngineContext> ctx)
    : Collection<ZelController>(std::move(ctx), ObjectKind::Controllers, 0)
{
}

// ---- the workspace's AddController --------------------------------------------------------

std::shared_ptr<ZelController> ZelWorkspace::addController(const QString &requested, const QString &provider,
                                                            const QString &machine, const QString &option)
{
    guard("AddController");
    const std::shared_ptr<Provider> p = findProvider(provider.trimmed());
    if (!p)
        raise(E_UNKNOWN_PROVIDER, QStringLiteral("AddController: provider '%1' is unknown; the providers are %2")
                                      .arg(provider, providerNames().join(QLatin1String(", "))));
    readSettings(option); // a malformed option fails even when the name is taken
    p->check(machine, option);
    const QString name = requested.isEmpty() ? m_controllers->generatedName(QStringLiteral("Controller")) : requested;
    if (auto existing = m_controllers->find(name))
        return existing;
    std::shared_ptr<ControllerDevice> device = p->open(name, machine, option);
    auto c = std::make_shared<ZelController>(context(), name, p->name(), machine, option, std::move(device));
    c->startDevice();
    m_controllers->append(c);
    return c;
}

} // namespace zel
