// Providers: what stands behind a controller. A provider has a name and opens the device side
// of each controller added with that name: which member kinds the controller offers, where its
// variables' values come from, what its extensions' bits and its commands' executions act on,
// and which messages the device raises. The engine objects (ZelController, ZelVariable, ...)
// stay the same for every provider; their device side is the provider's business.
//
// The built-in provider Zel.Virtual is always registered and always listed first. Others
// register themselves once at start-up, before the first controller is added
// (src/providers/providers.h), and are listed in the order of registration.
#pragma once

#include "members.h"

#include <functional>
#include <memory>

namespace zel {

// The member kinds of a controller, in the order of its pages.
enum class MemberKind { Variable, Robot, File, Task, Extension, Command };

// The plural word of a kind, as descriptions use it ("robots").
QString memberKindWord(MemberKind kind);

// The device side of a variable. Reads and writes go to the device; failures are ZelErrors
// whose descriptions name the variable and the device.
class VariableBinding {
public:
    virtual ~VariableBinding();
    virtual Value read() = 0;
    // Refuses (before anything is sent) what the device cannot take: read-only places, values
    // that do not fit.
    virtual void write(const Value &value) = 0;
    virtual bool writable() const = 0;
    virtual QString help() const = 0;
};

// The bits behind an extension's SetBit, ClearBit, GetBit, GetIO, SetIO and Reset, and its @IO.
class IoBinding {
public:
    virtual ~IoBinding();
    virtual qint32 bitCount() const = 0; // 1 to 32; bits are numbered from 0
    virtual quint32 read() = 0;
    virtual void write(quint32 word) = 0;
    virtual bool readBit(qint32 bit) { return (read() >> bit) & 1u; }
    virtual void writeBit(qint32 bit, bool on) = 0;
    virtual QString help() const = 0;
};

// What a command's Execute does with its Parameters. A provider without bindings leaves the
// command to the engine's own behaviours (Echo, Sum, ...).
class CommandBinding {
public:
    virtual ~CommandBinding();
    // Runs one execution on the parameters; timeoutMs is the command's Timeout (0: none), which
    // the device may use to shorten its own wait.
    virtual Value run(const Value &parameters, qint32 timeoutMs) = 0;
    // The text form of a result for the text modes (2 and 3).
    virtual QString resultText(const Value &result) const { return result.toPlainText(); }
    virtual QString help() const = 0;
};

// A message the device raises; the controller gives it its serial number, source and time and
// delivers it as every other message (OnMessage or the GetMessage queue).
struct DeviceMessage {
    qint32 number = 0;
    QString description;
    Value value;
};
using MessageSink = std::function<void(DeviceMessage message)>;

// The device side of one controller, opened by its provider at AddController and closed when
// the controller goes.
class ControllerDevice {
public:
    virtual ~ControllerDevice();

    virtual bool offers(MemberKind kind) const = 0;
    // The controller's Help after "Controller <name>: ".
    virtual QString help(const QString &provider, const QString &machine) const = 0;
    // Names a names list offers besides the members already added (RobotNames' "Robot1", the
    // device map's variables); variables come after the system variables.
    virtual QStringList offeredNames(MemberKind kind) const;

    // AddVariable of a name that does not begin with "@": the binding, or nullptr for a
    // variable held in memory. Also called for a name already added, so that a malformed
    // option fails there too.
    virtual std::shared_ptr<VariableBinding> variable(const QString &name, const QString &option);
    // AddExtension: the bits of the extension, or nullptr for 32 bits held in memory. Also
    // called for a name already added.
    virtual std::shared_ptr<IoBinding> extension(const QString &name, const QString &option);
    // AddCommand: the binding, or nullptr for the engine's own command behaviours. Also called
    // for a name already added.
    virtual std::shared_ptr<CommandBinding> command(const QString &name, const QString &option);
    // The file tree and tasks behind ZelFile and ZelTask, for a device that offers them.
    virtual std::shared_ptr<detail::ControllerModel> fileSystem() const;

    // System variables of the device, listed after the controller's own (ids from 1000).
    virtual std::vector<VariableHost::SystemVariable> hostVariables() const;
    virtual Value readHostVariable(int id);
    virtual void writeHostVariable(int id, const Value &value);

    // Called once the controller exists: from then on the device may raise messages. They are
    // raised from the engine's thread, between calls, never inside one.
    virtual void start(MessageSink sink);
};

class Provider {
public:
    virtual ~Provider();
    virtual QString name() const = 0;
    // Checks machine and option without opening anything (AddController of a name the workspace
    // already holds still fails on a malformed option).
    virtual void check(const QString &machine, const QString &option) const;
    // Opens the device of a new controller, or fails with a ZelError; nothing stays open then.
    virtual std::unique_ptr<ControllerDevice> open(const QString &controller, const QString &machine, const QString &option) = 0;
};

// Registers a provider (one of the same name is replaced; Zel.Virtual cannot be).
void registerProvider(std::shared_ptr<Provider> provider);
// Zel.Virtual, then the registered providers in their order.
QStringList providerNames();
// The provider of a name (letter case free), or nullptr.
std::shared_ptr<Provider> findProvider(const QString &name);

} // namespace zel
