// Controllers of a workspace and the messages they raise.
#pragma once

#include "members.h"

namespace zel {

class ZelController;
class ControllerDevice;
enum class MemberKind;

// One message raised by a controller. Clear empties it; Reply and Clear fail afterwards.
class ZelMessage final : public EngineObject {
    Q_OBJECT
public:
    struct Data {
        qint32 number = 0;
        qint32 serialNumber = -1; // -1: the controller's next serial number
        QString source;           // empty: the controller's name
        QString destination;
        QString description;
        Value value;
    };

    ZelMessage(std::shared_ptr<EngineContext> ctx, quint64 scope, std::weak_ptr<ZelController> controller, Data data);
    ~ZelMessage() override;

    qint32 number() const { return guarded("get_Number", m_data.number); }
    qint32 serialNumber() const { return guarded("get_SerialNumber", m_data.serialNumber); }
    Date dateTime() const { return guarded("get_DateTime", m_dateTime); }
    QString source() const { return guarded("get_Source", m_data.source); }
    QString destination() const { return guarded("get_Destination", m_data.destination); }
    QString description() const { return guarded("get_Description", m_data.description); }
    Value value() const { return guarded("get_Value", m_data.value); }
    void reply(const Value &data);
    void clear();

    bool isCleared() const { return m_cleared; }
    QString displayName() const override;
    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

private:
    std::weak_ptr<ZelController> m_controller;
    Data m_data;
    Date m_dateTime;
    bool m_cleared = false;
};

class ZelController final : public ControllerMember, public VariableHost {
    Q_OBJECT
public:
    // option: see docs/engine.md (@EventDisable, @MessageInterval, @MessageBurst, @MessageLimit);
    // device: the device side its provider opened. Call startDevice() once the controller is
    // held by a shared pointer.
    ZelController(std::shared_ptr<EngineContext> ctx, QString name, QString provider, QString machine, const QString &option,
                  std::shared_ptr<ControllerDevice> device);
    ~ZelController() override;

    std::shared_ptr<ZelVariables> variables() const;
    std::shared_ptr<ZelRobots> robots() const;
    std::shared_ptr<ZelFiles> files() const;
    std::shared_ptr<ZelTasks> tasks() const;
    std::shared_ptr<ZelExtensions> extensions() const;
    std::shared_ptr<ZelCommands> commands() const;

    std::shared_ptr<ZelVariable> addVariable(const QString &name, const QString &option = {});
    std::shared_ptr<ZelRobot> addRobot(const QString &name, const QString &option = {});
    std::shared_ptr<ZelFile> addFile(const QString &name, const QString &option = {});
    std::shared_ptr<ZelTask> addTask(const QString &name, const QString &option = {});
    std::shared_ptr<ZelExtension> addExtension(const QString &name, const QString &option = {});
    std::shared_ptr<ZelCommand> addCommand(const QString &name, const QString &option = {});

    QStringList variableNames(const QString &option = {}) const;
    QStringList robotNames(const QString &option = {}) const;
    QStringList fileNames(const QString &option = {}) const;
    QStringList taskNames(const QString &option = {}) const;
    QStringList extensionNames(const QString &option = {}) const;
    QStringList commandNames(const QString &option = {}) const;

    // The oldest queued message, or nullptr when none is queued.
    std::shared_ptr<ZelMessage> getMessage();
    Value execute(const QString &command, const Value &parameter);

    // Engine-side controls, also reachable through Execute commands.
    std::shared_ptr<ZelMessage> raiseMessage(ZelMessage::Data data);
    bool eventsEnabled() const { return m_eventsEnabled; }
    void setEventsEnabled(bool enabled);
    // interval in ms (0 stops), messages per tick, total before stopping (0: no limit)
    void startPeriodicMessages(qint32 intervalMs, qint32 burst = 1, qint32 limit = 0);
    void stopPeriodicMessages();
    bool periodicMessagesRunning() const { return m_periodic.isActive(); }
    qint32 pendingMessages() const { return static_cast<qint32>(m_queue.size()); }
    qint32 messagesRaised() const { return m_raised; }
    void recordReply(qint32 serialNumber, const Value &data);
    QString provider() const { return m_provider; }
    QString machine() const { return m_machine; }
    QString describe() const;
    ControllerDevice &device() const { return *m_device; }
    // Lets the device raise messages through this controller.
    void startDevice();

    std::vector<SystemVariable> hostVariables() const override;
    Value readHostVariable(int id) override;
    void writeHostVariable(int id, const Value &value) override;

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

    // The most messages the GetMessage queue keeps; older ones are dropped first.
    static constexpr qint32 kQueueLimit = 10000;

Q_SIGNALS:
    // A message raised while events are enabled, delivered through the event loop.
    void OnMessage(zel::ObjectPtr message);

protected:
    qint32 attributeValue() const override;
    QString helpText() const override;

private:
    friend struct ControllerCommands;
    void periodicTick();
    // Fails an Add of a kind the provider does not offer.
    void checkOffers(MemberKind kind, const char *operation) const;
    // AddRobot, AddExtension, AddCommand: the member named requested (else the collection's next
    // generated name from stem), or the one of that name already there. bind(name) binds it on the
    // device first, which may refuse the name, and returns what makes the member.
    template <class T, class Bind>
    std::shared_ptr<T> addNamed(Collection<T> &members, MemberKind kind, const char *operation, const char *stem,
                                const QString &requested, const QString &option, Bind bind);

    QString m_provider;
    QString m_machine;
    std::shared_ptr<ControllerDevice> m_device;
    std::shared_ptr<ZelVariables> m_variables;
    std::shared_ptr<ZelRobots> m_robots;
    std::shared_ptr<ZelFiles> m_files;
    std::shared_ptr<ZelTasks> m_tasks;
    std::shared_ptr<ZelExtensions> m_extensions;
    std::shared_ptr<ZelCommands> m_commands;

    bool m_eventsEnabled = true;
    QList<std::shared_ptr<ZelMessage>> m_queue;
    qint32 m_nextSerial = 1;
    qint32 m_raised = 0;
    qint32 m_dropped = 0;
    QTimer m_periodic;
    qint32 m_burst = 1;
    qint32 m_limit = 0;
    qint32 m_periodicRaised = 0;
    Value m_lastReply;
    qint32 m_lastReplySerial = 0;
};

class ZelControllers final : public Collection<ZelController> {
    Q_OBJECT
public:
    ZelControllers(std::shared_ptr<EngineContext> ctx);
};

} // namespace zel
