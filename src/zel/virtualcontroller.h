// The simulated controller behind the Zel.Virtual provider: its file tree and its tasks. The
// engine objects ZelFile and ZelTask are handles on the nodes and tasks kept here, so that a
// file or task outlives the handle that created it and a handle notices when it is deleted.
#pragma once

#include "provider.h"
#include "value.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace zel::detail {

class ControllerModel;

struct FileNode {
    QString name;
    bool folder = false;
    bool text = true;      // content is text (read back as BSTR) rather than bytes
    bool readOnly = false;
    QByteArray data;       // UTF-8 for text
    Date created;
    Date accessed;
    Date modified;
    FileNode *parent = nullptr; // the root has none; a deleted node loses its parent
    QList<std::shared_ptr<FileNode>> children;
    bool deleted = false;

    QString path() const; // "/Programs/Sub.pgm"; "/" for the root
    QString type() const; // "Folder", "Program", "Text", "Binary"
    qint64 size() const;  // a folder: the sum of its files
    std::shared_ptr<FileNode> child(const QString &name) const;
    bool contains(const FileNode *node) const; // node is this or below it
    std::shared_ptr<FileNode> clone() const;   // deep copy with fresh dates
    QStringList lines() const;
};

class TaskModel : public QObject {
    Q_OBJECT
public:
    enum State { Stopped = 0, Running = 1, Cycling = 2, Suspended = 3, CycleStopping = 4 };

    TaskModel(ControllerModel *model, QString name, QString fileName, qint32 stepTimeMs);

    QString name;
    QString fileName;
    qint32 state = Stopped;
    qint32 line = 1;   // the next step to execute, from 1
    qint32 steps = 0;  // steps of the program, read at each start
    qint32 cycles = 0; // completed cycles
    qint32 stepTimeMs;

    static QString stateText(qint32 state);
    bool isRunning() const { return state == Running || state == Cycling || state == CycleStopping; }
    void start(qint32 mode, const QString &where);
    void stop(qint32 mode, const QString &where);

private:
    void loadProgram(const QString &where);
    void tick();
    void endOfCycle();

    ControllerModel *m_model;
    QTimer m_timer;
};

class ControllerModel {
public:
    explicit ControllerModel(QString controllerName);
    ~ControllerModel();

    QString controllerName;
    std::shared_ptr<FileNode> root;
    QList<std::shared_ptr<TaskModel>> tasks;

    // Resolves "/a/b" from the root or "a/b" from `from`; nullptr when absent.
    std::shared_ptr<FileNode> resolve(const QString &path, const FileNode *from) const;
    std::shared_ptr<FileNode> shared(const FileNode *node) const; // the owning pointer of a node
    std::shared_ptr<TaskModel> task(const QString &name) const;
    std::shared_ptr<TaskModel> taskForFile(const QString &path) const;
    std::shared_ptr<TaskModel> createTask(const QString &name, const QString &fileName, qint32 stepTimeMs);
    void removeTask(const std::shared_ptr<TaskModel> &task);
    QStringList taskNames() const;
};

std::shared_ptr<FileNode> makeFile(const QString &name, bool folder);

// The device side of a Zel.Virtual controller: every member kind, variables and extension bits
// in memory, the engine's own command behaviours, the file tree and tasks above.
class VirtualDevice final : public ControllerDevice {
public:
    explicit VirtualDevice(const QString &controllerName);

    bool offers(MemberKind kind) const override;
    QString help(const QString &provider, const QString &machine) const override;
    QStringList offeredNames(MemberKind kind) const override;
    std::shared_ptr<ControllerModel> fileSystem() const override { return m_model; }

private:
    std::shared_ptr<ControllerModel> m_model;
};

class VirtualProvider final : public Provider {
public:
    QString name() const override;
    std::unique_ptr<ControllerDevice> open(const QString &controller, const QString &machine, const QString &option) override;
};

} // namespace zel::detail
