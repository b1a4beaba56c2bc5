// Common ground of every object of the Zel engine: object kinds and their live counts, the
// fault-injection guard, named members of collections and the collections themselves.
#pragma once

#include "errors.h"
#include "object.h"

#include <QMetaType>
#include <QStringList>
#include <array>
#include <memory>

Q_DECLARE_METATYPE(zel::ObjectPtr)

namespace zel {

// The nineteen kinds of engine objects, numbered as ZelEngineStatus.ObjectCount expects them.
enum class ObjectKind : int {
    Engine = 0,
    Workspaces,
    Workspace,
    Controllers,
    Controller,
    Extensions,
    Extension,
    Files,
    File,
    Robots,
    Robot,
    Tasks,
    Task,
    Variables,
    Variable,
    Commands,
    Command,
    Message,
    EngineStatus,
};
constexpr int kObjectKindCount = 19;

// Class name of a kind ("ZelVariable"); kinds outside 0..18 give an empty text.
QString kindClassName(int kind);

class EngineContext;
class CollectionBase;

// Base of all engine classes. Every instance counts itself in its engine's object counts from
// construction to destruction, so that an object that has left its collection but is still
// referenced is still counted.
class EngineObject : public Object {
    Q_OBJECT
public:
    ~EngineObject() override;

    QString className() const override;
    ObjectKind kind() const { return m_kind; }

    // The object's name as it appears in descriptions and as fault injection matches it; objects
    // without a Name use their class name. Never guarded, never fails.
    virtual QString displayName() const;

    // The controller an object belongs to (0 for the engine, workspaces and their collections).
    quint64 scope() const { return m_scope; }

    const std::shared_ptr<EngineContext> &context() const { return m_ctx; }

protected:
    EngineObject(std::shared_ptr<EngineContext> ctx, ObjectKind kind, quint64 scope);

    // Called first by every operation: throws the injected error when an armed fault matches
    // this object and operation ("get_Value", "put_Tag", "Move"). One integer test when no
    // fault is armed.
    void guard(const char *operation) const
    {
        if (Q_UNLIKELY(*m_armedFaults))
            checkFault(operation);
    }
    // The body of a getter that reads a stored value: the guard, then the value.
    template <class V>
    V guarded(const char *operation, const V &value) const
    {
        guard(operation);
        return value;
    }

private:
    void checkFault(const char *operation) const;

    std::shared_ptr<EngineContext> m_ctx;
    const int *m_armedFaults;
    ObjectKind m_kind;
    quint64 m_scope;
};

// An object that lives in a collection: it has a Name and an Index (-1 once out of the
// collection).
class MemberObject : public EngineObject {
    Q_OBJECT
public:
    ~MemberObject() override;

    QString name() const { return guarded("get_Name", displayName()); } // Name
    qint32 index() const { return guarded("get_Index", indexInCollection()); } // Index

    QString displayName() const override { return m_name; }
    qint32 indexInCollection() const;
    CollectionBase *collection() const { return m_collection; }

protected:
    MemberObject(std::shared_ptr<EngineContext> ctx, ObjectKind kind, quint64 scope, QString name);
    void setDisplayName(const QString &name) { m_name = name; }

private:
    friend class CollectionBase;
    QString m_name;
    CollectionBase *m_collection = nullptr; // cleared by the collection when the member leaves it
};

// The members shared by a controller and the objects below it: Attribute, Help, Tag and ID.
class ControllerMember : public MemberObject {
    Q_OBJECT
public:
    qint32 attribute() const; // Attribute
    QString help() const;     // Help
    Value tag() const { return guarded("get_Tag", m_tag); } // Tag
    void setTag(const Value &value);
    Value id() const { return guarded("get_ID", m_id); } // ID
    void setId(const Value &value);

protected:
    using MemberObject::MemberObject;
    virtual qint32 attributeValue() const = 0;
    virtual QString helpText() const = 0;

private:
    Value m_tag;
    Value m_id;
};

// A collection: Count, Item(index from 0 or name), Remove(index or name) and Clear. Names compare
// without regard to letter case; a collection never holds two members of one name.
class CollectionBase : public EngineObject {
    Q_OBJECT
public:
    ~CollectionBase() override;

    qint32 count() const;                     // Count
    ObjectPtr itemObject(const Value &key) const; // Item: an I4-like number is an index, a text a name
    void remove(const Value &key);            // Remove
    void clear();                             // Clear

    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

    // Engine-side access, unguarded.
    qint32 size() const { return static_cast<qint32>(m_items.size()); }
    qint32 indexOf(const MemberObject *member) const;
    std::shared_ptr<MemberObject> memberAt(qint32 index) const { return m_items.value(index); }
    std::shared_ptr<MemberObject> findMember(const QString &name) const;
    QStringList memberNames() const;
    // The first of stem1, stem2, ... that no member carries.
    QString generatedName(const QString &stem) const;
    void append(std::shared_ptr<MemberObject> member);

protected:
    CollectionBase(std::shared_ptr<EngineContext> ctx, ObjectKind kind, quint64 scope);

private:
    qint32 resolve(const Value &key, const char *operation) const;
    QList<std::shared_ptr<MemberObject>> m_items;
};

// Typed access for the collections of one member class.
template <class T>
class Collection : public CollectionBase {
public:
    std::shared_ptr<T> item(const Value &key) const { return std::static_pointer_cast<T>(itemObject(key)); }
    std::shared_ptr<T> item(qint32 index) const { return item(Value::fromI4(index)); }
    std::shared_ptr<T> item(const QString &name) const { return item(Value::fromString(name)); }
    std::shared_ptr<T> at(qint32 index) const { return std::static_pointer_cast<T>(memberAt(index)); }
    std::shared_ptr<T> find(const QString &name) const { return std::static_pointer_cast<T>(findMember(name)); }

protected:
    using CollectionBase::CollectionBase;
};

} // namespace zel
