#include "context.h"
#include "dispatch.h"
#include "members.h"
#include "options.h"
#include "virtualcontroller.h"

namespace zel {

using namespace detail;

namespace {
enum TaskVariable { StatusVar = 100, StatusTextVar, LineVar, StepsVar, CyclesVar, FileNameVar };
}

ZelTask::ZelTask(std::shared_ptr<EngineContext> ctx, quint64 scope, std::weak_ptr<ControllerModel> model,
                 std::shared_ptr<TaskModel> task)
    : VariableHolder(ctx, ObjectKind::Task, scope, task->name), m_model(std::move(model)), m_task(task)
{
}

ZelTask::~ZelTask() = default;

std::shared_ptr<TaskModel> ZelTask::task(const char *op) const
{
    if (m_model.expired())
        raise(E_DETACHED, QStringLiteral("%1: task %2 belongs to a controller that no longer exists").arg(QLatin1StringView(op), displayName()));
    auto t = m_task.lock();
    if (!t)
        raise(E_NOT_FOUND, QStringLiteral("%1: task %2 has been deleted").arg(QLatin1StringView(op), displayName()));
    return t;
}

bool ZelTask::exists() const
{
    return !m_model.expired() && !m_task.expired();
}

void ZelTask::rebind(std::shared_ptr<TaskModel> task)
{
    m_task = task;
}

qint32 ZelTask::status() const
{
    auto t = m_task.lock();
    return t ? t->state : -1;
}

qint32 ZelTask::line() const
{
    auto t = m_task.lock();
    return t ? t->line : -1;
}

qint32 ZelTask::cycles() const
{
    auto t = m_task.lock();
    return t ? t->cycles : -1;
}

QString ZelTask::fileName() const
{
    guard("get_FileName");
    return task("get_FileName")->fileName;
}

void ZelTask::start(qint32 mode, const QString &option)
{
    guard("Start");
    auto t = task("Start");
    Options(option, QStringLiteral("Start"));
    t->start(mode, QStringLiteral("Start"));
}

void ZelTask::stop(qint32 mode, const QString &option)
{
    guard("Stop");
    auto t = task("Stop");
    Options(option, QStringLiteral("Stop"));
    t->stop(mode, QStringLiteral("Stop"));
}

void ZelTask::deleteTask(const QString &option)
{
    guard("Delete");
    auto t = task("Delete");
    Options(option, QStringLiteral("Delete"));
    if (t->isRunning())
        raise(E_TASK_STATE, QStringLiteral("Delete: task %1 is %2; stop it before deleting it").arg(t->name, TaskModel::stateText(t->state).toLower()));
    if (auto m = m_model.lock())
        m->removeTask(t);
}

Value ZelTask::execute(const QString &command, const Value &parameter)
{
    guard("Execute");
    static const CommandTable<ZelTask> commands{
        {"Status", [](ZelTask &t, const Value &) { return Value::fromI4(t.task("Status")->state); }},
        {"StatusText", [](ZelTask &t, const Value &) { return Value::fromString(TaskModel::stateText(t.task("StatusText")->state)); }},
    };
    return commands.run(*this, command, parameter);
}

QString ZelTask::describe() const
{
    auto t = m_task.lock();
    if (!t || m_model.expired())
        return QStringLiteral("Task %1 (deleted)").arg(displayName());
    return QStringLiteral("Task %1: %2, program %3, step %4 of %5, %6 cycle(s)")
        .arg(t->name, TaskModel::stateText(t->state).toLower(), t->fileName)
        .arg(t->line)
        .arg(t->steps)
        .arg(t->cycles);
}

std::vector<VariableHost::SystemVariable> ZelTask::hostVariables() const
{
    return {
        {"@Status", StatusVar, false, "the task state: 0 stopped, 1 running, 2 cycling, 3 suspended, 4 cycle stopping (I4)"},
        {"@StatusText", StatusTextVar, false, "the task state as a word"},
        {"@Line", LineVar, false, "the next step to execute, from 1 (I4)"},
        {"@Steps", StepsVar, false, "the steps of the program, read at each start (I4)"},
        {"@Cycles", CyclesVar, false, "the completed cycles (I4)"},
        {"@FileName", FileNameVar, false, "the program the task runs"},
    };
}

Value ZelTask::readHostVariable(int id)
{
    auto t = task("get_Value");
    switch (id) {
    case StatusVar: return Value::fromI4(t->state);
    case StatusTextVar: return Value::fromString(TaskModel::stateText(t->state));
    case LineVar: return Value::fromI4(t->line);
    case StepsVar: return Value::fromI4(t->steps);
    case CyclesVar: return Value::fromI4(t->cycles);
    case FileNameVar: return Value::fromString(t->fileName);
    }
    return Value();
}

qint32 ZelTask::attributeValue() const
{
    return std::max(0, status());
}

QString ZelTask::helpText() const
{
    return QStringLiteral("Task %1: runs its program step by step; Start modes 1 to 4, Stop modes 0 to 4").arg(displayName());
}

Value ZelTask::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using T = ZelTask;
    static const DispatchTable<T> table{
        holderMembers<T>(),
        {
            prop<T>("FileName", [](T &t, const Args &) { return Value::fromString(t.fileName()); }),
            method<T>("Start", [](T &t, const Args &a) { t.start(argInt(a, 0, "mode", "Start"), argText(a, 1, "option", "Start")); return Value(); }, 1, 2),
            method<T>("Stop", [](T &t, const Args &a) { t.stop(argInt(a, 0, "mode", "Stop"), argText(a, 1, "option", "Stop")); return Value(); }, 0, 2),
            method<T>("Delete", [](T &t, const Args &a) { t.deleteTask(argText(a, 0, "option", "Delete")); return Value(); }, 0, 1),
        },
    };
    return table.invoke(*this, member, kind, args);
}

ZelTasks::ZelTasks(std::shared_ptr<EngineContext> ctx, quint64 scope)
    : Collection<ZelTask>(std::move(ctx), ObjectKind::Tasks, scope)
{
}

} // namespace zel
