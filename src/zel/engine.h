// The Zel engine: an in-process automation engine with the built-in provider Zel.Virtual.
// Include this header for the whole object model:
//   ZelEngine > Workspaces > ZelWorkspace > Controllers > ZelController > Variables, Robots,
//   Files, Tasks, Extensions, Commands; robots, files, tasks and extensions hold Variables,
//   files also Files. docs/engine.md describes the behaviour, options and error numbers.
#pragma once

#include "controller.h"

namespace zel {

class ZelWorkspace;
class ZelWorkspaces;

class ZelEngineStatus final : public EngineObject {
    Q_OBJECT
public:
    explicit ZelEngineStatus(std::shared_ptr<EngineContext> ctx);
    ~ZelEngineStatus() override;

    QString version() const;      // "1.0.0"
    QString computerName() const;
    Date startDateTime() const;
    Date currentDateTime() const;
    // Live objects of kind 0..18 (ObjectKind order) in this engine.
    qint32 objectCount(qint32 kind) const;

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;
};

class ZelWorkspace final : public MemberObject {
    Q_OBJECT
public:
    ZelWorkspace(std::shared_ptr<EngineContext> ctx, QString name);
    ~ZelWorkspace() override;

    std::shared_ptr<ZelControllers> controllers() const { return guarded("get_Controllers", m_controllers); }
    QStringList providerNames(const QString &option = {}) const;
    std::shared_ptr<ZelController> addController(const QString &name, const QString &provider,
                                                 const QString &machine = {}, const QString &option = {});
    Value execute(const QString &command, const Value &parameter);
    QString describe() const;

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

private:
    std::shared_ptr<ZelControllers> m_controllers;
};

class ZelWorkspaces final : public Collection<ZelWorkspace> {
    Q_OBJECT
public:
    explicit ZelWorkspaces(std::shared_ptr<EngineContext> ctx);
};

class ZelEngine final : public EngineObject {
    Q_OBJECT
public:
    // A new engine with its built-in workspace "Default" as item 0 of Workspaces. Engines are
    // independent: each counts its own objects.
    static std::shared_ptr<ZelEngine> create();

    explicit ZelEngine(std::shared_ptr<EngineContext> ctx);
    ~ZelEngine() override;

    std::shared_ptr<ZelWorkspaces> workspaces() const { return guarded("get_Workspaces", m_workspaces); }
    std::shared_ptr<ZelEngineStatus> engineStatus() const { return guarded("get_EngineStatus", m_status); }
    std::shared_ptr<ZelWorkspace> addWorkspace(const QString &name, const QString &option = {});
    Value execute(const QString &command, const Value &parameter);
    QString describe() const;

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

    static constexpr const char *kProviderName = "Zel.Virtual";
    static constexpr const char *kBuiltInWorkspace = "Default";

private:
    std::shared_ptr<ZelWorkspaces> m_workspaces;
    std::shared_ptr<ZelEngineStatus> m_status;
};

} // namespace zel
