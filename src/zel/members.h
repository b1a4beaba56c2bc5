// The member objects of a controller and their collections: variables, robots, files, tasks,
// extensions and commands. docs/engine.md describes how the built-in Zel.Virtual provider makes
// them behave.
#pragma once

#include "engineobject.h"

#include <QTimer>
#include <array>
#include <exception>

namespace zel {

class ZelVariable;
class ZelVariables;
class ZelFiles;
class ControllerDevice;
class VariableBinding;
class IoBinding;
class CommandBinding;

namespace detail {
struct FileNode;
class TaskModel;
class ControllerModel;
} // namespace detail

// An object that holds variables: besides the variables added by name it offers system
// variables, whose names begin with "@", computed from its own state.
class VariableHost {
public:
    struct SystemVariable {
        const char *name;
        int id;
        bool writable;
        const char *help;
    };
    virtual ~VariableHost();

    // The system variables beyond the four every host offers (@Clock, @Counter, @ReadOnly, @Fail).
    virtual std::vector<SystemVariable> hostVariables() const = 0;
    virtual Value readHostVariable(int id) = 0;
    virtual void writeHostVariable(int id, const Value &value);
};

class ZelVariable final : public ControllerMember {
    Q_OBJECT
public:
    // The system variables every host offers.
    enum CommonId { Clock = 1, Counter = 2, ReadOnly = 3, Fail = 4 };

    // system: the system variable this one reads, or nullptr for a plain variable; binding: the
    // device side of a plain variable, or nullptr for one held in memory.
    ZelVariable(std::shared_ptr<EngineContext> ctx, quint64 scope, QString name, std::weak_ptr<Object> hostObject,
                VariableHost *host, const VariableHost::SystemVariable *system,
                std::shared_ptr<VariableBinding> binding = nullptr);
    ~ZelVariable() override;

    Value value();                   // Value (get); system variables compute it
    void setValue(const Value &value); // Value (put); stamps DateTime and Microsecond
    Date dateTime() const;           // DateTime: the last write (system variables: last read or write)
    qint32 microsecond() const;      // Microsecond: the microseconds within the second of DateTime

    bool isSystem() const { return m_system >= 0; }
    int systemId() const { return m_system; }

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

protected:
    qint32 attributeValue() const override;
    QString helpText() const override;

private:
    Value readSystem();
    void writeSystem(const Value &value);
    VariableHost *lockedHost(std::shared_ptr<Object> &keep) const;

    Value m_value;
    std::shared_ptr<VariableBinding> m_binding;
    qint64 m_stampUs;
    int m_system = -1; // -1 for a plain variable
    bool m_systemWritable = false;
    const char *m_systemHelp = nullptr;
    qint32 m_reads = 0;
    std::weak_ptr<Object> m_hostObject;
    VariableHost *m_host;
    QString m_hostName;
};

class ZelVariables final : public Collection<ZelVariable> {
    Q_OBJECT
public:
    ZelVariables(std::shared_ptr<EngineContext> ctx, quint64 scope);
};

namespace detail {
// AddVariable and VariableNames for every variable host. device: the controller's device, which
// binds the plain variables of a controller; offered: names listed after the system variables.
std::shared_ptr<ZelVariable> addVariable(EngineObject &hostObject, VariableHost &host, ZelVariables &variables,
                                         const QString &name, const QString &option, ControllerDevice *device = nullptr);
QStringList variableNames(const VariableHost &host, const ZelVariables &variables, const QString &option,
                          const QStringList &offered = {});
// Applies the Filter option of the names lists.
QStringList filterNames(const QStringList &names, const QString &option, const char *where);
} // namespace detail

// A controller member with variables of its own (robots, files, tasks, extensions): Variables,
// AddVariable and VariableNames, the Zel names of the three methods below.
class VariableHolder : public ControllerMember, public VariableHost {
    Q_OBJECT
public:
    ~VariableHolder() override;

    std::shared_ptr<ZelVariables> variables() const { return guarded("get_Variables", m_variables); }
    std::shared_ptr<ZelVariable> addVariable(const QString &name, const QString &option = {});
    QStringList variableNames(const QString &option = {}) const;

protected:
    VariableHolder(const std::shared_ptr<EngineContext> &ctx, ObjectKind kind, quint64 scope, QString name);

    std::shared_ptr<ZelVariables> m_variables;
};

// ---- robots -------------------------------------------------------------------------------

class ZelRobot final : public VariableHolder {
    Q_OBJECT
public:
    static constexpr int kAxes = 6;
    using Joints = std::array<double, kAxes>;

    ZelRobot(std::shared_ptr<EngineContext> ctx, quint64 scope, QString name);
    ~ZelRobot() override;

    // Axis 0 means every axis. Percentages above 0 up to 100.
    void accelerate(qint32 axis, double accel, double decel);
    void speed(qint32 axis, double speed);
    void change(const QString &hand);
    void chuck(const QString &option = {});
    void unchuck(const QString &option = {});
    void drive(qint32 axis, double move, const QString &option = {});
    // interpolation 1 PTP, 2 linear, 3 circular; pose "P(x, y, z, rx, ry, rz)" or "J(j1, ..., j6)"
    void move(qint32 interpolation, const Value &pose, const QString &option = {});
    // plane "XY", "YZ", "ZX" (or 1, 2, 3); centre a position text, empty for the robot's axis
    void rotate(const Value &plane, double angle, const Value &centre, const QString &option = {});
    void goHome();
    void halt(const QString &option = {});
    void hold(const QString &option = {});
    void unhold(const QString &option = {});
    Value execute(const QString &command, const Value &parameter);

    // State, unguarded.
    const Joints &joints() const { return m_joints; }
    QString positionText() const; // "P(...)"
    QString jointText() const;    // "J(...)"
    bool isHeld() const { return m_held; }
    bool isHalted() const { return m_halted; }
    QString hand() const { return m_hand; }
    bool isChucked() const { return m_chucked; }
    QString stateText() const;
    QString describe() const;
    void reset(); // clears a halt

    std::vector<SystemVariable> hostVariables() const override;
    Value readHostVariable(int id) override;

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

protected:
    qint32 attributeValue() const override;
    QString helpText() const override;

private:
    void checkCanMove(const char *operation) const;
    // The operations that set one state flag (Chuck, Unchuck, Halt, Hold, Unhold).
    void setFlag(bool ZelRobot::*flag, bool on, const char *operation, const QString &option);
    void setJoints(const Joints &joints, const QString &motion);

    Joints m_joints;
    std::array<double, kAxes> m_speed;
    std::array<double, kAxes> m_accel;
    std::array<double, kAxes> m_decel;
    QString m_hand;
    bool m_chucked = false;
    bool m_held = false;
    bool m_halted = false;
    QString m_lastMotion;
};

class ZelRobots final : public Collection<ZelRobot> {
    Q_OBJECT
public:
    ZelRobots(std::shared_ptr<EngineContext> ctx, quint64 scope);
};

// ---- files --------------------------------------------------------------------------------

// A handle on a file or folder of the controller's file tree. Deleting the file leaves the handle
// in its collection; its file operations then fail with E_FILE_NOT_FOUND.
class ZelFile final : public VariableHolder {
    Q_OBJECT
public:
    ZelFile(std::shared_ptr<EngineContext> ctx, quint64 scope, std::weak_ptr<detail::ControllerModel> model,
            std::shared_ptr<detail::FileNode> node);
    ~ZelFile() override;

    std::shared_ptr<ZelFiles> files() const { return guarded("get_Files", m_files); }
    std::shared_ptr<ZelFile> addFile(const QString &name, const QString &option = {});
    QStringList fileNames(const QString &option = {}) const;

    Value value();                     // BSTR for text content, ARRAY | UI1 for bytes
    void setValue(const Value &value);
    QString path() const;
    QString type() const;              // "Folder", "Program", "Text" or "Binary"
    qint32 size() const;
    Date dateCreated() const;
    Date dateLastAccessed() const;
    Date dateLastModified() const;
    void copy(const QString &destination, const QString &option = {});
    void move(const QString &destination, const QString &option = {});
    void deleteFile(const QString &option = {});
    QString run(const QString &option = {}); // the name of the task it started
    Value execute(const QString &command, const Value &parameter);

    bool exists() const;
    bool isFolder() const;
    QString describe() const;
    // Points the handle at another node (AddFile of a deleted file's name re-creates it).
    void rebind(std::shared_ptr<detail::FileNode> node);

    std::vector<SystemVariable> hostVariables() const override;
    Value readHostVariable(int id) override;

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;
    QString displayName() const override;

protected:
    qint32 attributeValue() const override;
    QString helpText() const override;

private:
    std::shared_ptr<detail::FileNode> node(const char *operation) const;
    std::shared_ptr<detail::ControllerModel> model(const char *operation) const;

    std::weak_ptr<detail::ControllerModel> m_model;
    std::weak_ptr<detail::FileNode> m_node;
    mutable QString m_lastPath; // kept for descriptions once the file is gone
    std::shared_ptr<ZelFiles> m_files;
};

class ZelFiles final : public Collection<ZelFile> {
    Q_OBJECT
public:
    ZelFiles(std::shared_ptr<EngineContext> ctx, quint64 scope);
};

namespace detail {
// AddFile into a folder node, shared by the controller (its root folder) and folder files.
std::shared_ptr<ZelFile> addFile(EngineObject &owner, const std::shared_ptr<ControllerModel> &model,
                                 const std::shared_ptr<FileNode> &folder, ZelFiles &files, const QString &name,
                                 const QString &option);
QStringList fileNames(const FileNode &folder, const ZelFiles &files, const QString &option);
} // namespace detail

// ---- tasks --------------------------------------------------------------------------------

class ZelTask final : public VariableHolder {
    Q_OBJECT
public:
    // Task states (the @Status variable).
    enum State { Stopped = 0, Running = 1, Cycling = 2, Suspended = 3, CycleStopping = 4 };

    ZelTask(std::shared_ptr<EngineContext> ctx, quint64 scope, std::weak_ptr<detail::ControllerModel> model,
            std::shared_ptr<detail::TaskModel> task);
    ~ZelTask() override;

    QString fileName() const;
    // Start modes: 1 one cycle, 2 cyclic, 3 step forward, 4 step back.
    void start(qint32 mode, const QString &option = {});
    // Stop modes: 0 default, 1 instant, 2 step, 3 cycle, 4 stop and initialize.
    void stop(qint32 mode, const QString &option = {});
    void deleteTask(const QString &option = {});
    Value execute(const QString &command, const Value &parameter);

    bool exists() const;
    qint32 status() const; // a State
    qint32 line() const;
    qint32 cycles() const;
    QString describe() const;
    void rebind(std::shared_ptr<detail::TaskModel> task);

    std::vector<SystemVariable> hostVariables() const override;
    Value readHostVariable(int id) override;

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

protected:
    qint32 attributeValue() const override;
    QString helpText() const override;

private:
    std::shared_ptr<detail::TaskModel> task(const char *operation) const;

    std::weak_ptr<detail::ControllerModel> m_model;
    std::weak_ptr<detail::TaskModel> m_task;
};

class ZelTasks final : public Collection<ZelTask> {
    Q_OBJECT
public:
    ZelTasks(std::shared_ptr<EngineContext> ctx, quint64 scope);
};

// ---- extensions ---------------------------------------------------------------------------

// A board of digital bits (its device side, up to 32 bits) with an execution counter.
class ZelExtension final : public VariableHolder {
    Q_OBJECT
public:
    ZelExtension(std::shared_ptr<EngineContext> ctx, quint64 scope, QString name, std::shared_ptr<IoBinding> io);
    ~ZelExtension() override;

    Value execute(const QString &command, const Value &parameter);

    quint32 io() const;
    QString describe() const;

    std::vector<SystemVariable> hostVariables() const override;
    Value readHostVariable(int id) override;
    void writeHostVariable(int id, const Value &value) override;

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

protected:
    qint32 attributeValue() const override;
    QString helpText() const override;

private:
    friend struct ExtensionCommands;
    std::shared_ptr<IoBinding> m_io;
    qint32 m_executions = 0;
};

class ZelExtensions final : public Collection<ZelExtension> {
    Q_OBJECT
public:
    ZelExtensions(std::shared_ptr<EngineContext> ctx, quint64 scope);
};

// ---- commands -----------------------------------------------------------------------------

class ZelCommand final : public ControllerMember {
    Q_OBJECT
public:
    enum State { Idle = 0, Executing = 1, Completed = 2, Failed = 3, TimedOut = 4, Cancelled = 5 };

    // option: Duration=<ms> (simulated run time, default 100), Timeout=<ms> (default 10000);
    // binding: what an execution does on the device, or nullptr for the behaviour its name picks.
    ZelCommand(std::shared_ptr<EngineContext> ctx, quint64 scope, QString name, const QString &option,
               std::shared_ptr<CommandBinding> binding = nullptr);
    ~ZelCommand() override;

    qint32 timeout() const { return guarded("get_Timeout", m_timeout); }            // Timeout in milliseconds; 0 = no limit
    void setTimeout(qint32 milliseconds);
    qint32 state() const { return guarded("get_State", m_state); }              // a State
    Value parameters() const { return guarded("get_Parameters", m_parameters); }
    void setParameters(const Value &value);
    Value result() const { return guarded("get_Result", m_result); }
    // Even modes run to the end inside the call; odd modes complete later and the Commands
    // collection then raises ExecuteComplete(Index). Modes 2 and 3 return the result as text.
    void execute(qint32 mode);
    void cancel();

    qint32 duration() const { return m_duration; }
    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

protected:
    qint32 attributeValue() const override;
    QString helpText() const override;

private:
    Value compute(const Value &parameters, qint32 mode) const; // the behaviour named by the command's name
    // Computes the result of the run; a failure leaves the command Failed (TimedOut on a device timeout)
    // with the error's text as its result, and is returned.
    std::exception_ptr computeResult(qint32 mode);
    qint32 durationFor(const Value &parameters) const;
    void complete();

    std::shared_ptr<CommandBinding> m_binding;
    qint32 m_timeout = 10000;
    qint32 m_duration = 100;
    qint32 m_state = Idle;
    qint32 m_mode = 0;
    qint32 m_runDuration = 0;
    Value m_parameters;
    Value m_runParameters; // the parameters of the execution in progress
    Value m_result;
    QTimer m_timer;
};

class ZelCommands final : public Collection<ZelCommand> {
    Q_OBJECT
public:
    ZelCommands(std::shared_ptr<EngineContext> ctx, quint64 scope);

Q_SIGNALS:
    // An asynchronous execution of the command at this Index has completed.
    void ExecuteComplete(int index);

private:
    friend class ZelCommand;
    void notifyComplete(int index) { Q_EMIT ExecuteComplete(index); }
};

} // namespace zel
