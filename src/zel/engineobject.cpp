#include "engineobject.h"

#include "context.h"
#include "dispatch.h"

namespace zel {

using namespace detail;

QString kindClassName(int kind)
{
    static const char *const names[kObjectKindCount] = {
        "ZelEngine",    "ZelWorkspaces", "ZelWorkspace", "ZelControllers", "ZelController",
        "ZelExtensions", "ZelExtension", "ZelFiles",     "ZelFile",        "ZelRobots",
        "ZelRobot",     "ZelTasks",      "ZelTask",      "ZelVariables",   "ZelVariable",
        "ZelCommands",  "ZelCommand",    "ZelMessage",   "ZelEngineStatus",
    };
    if (kind < 0 || kind >= kObjectKindCount)
        return QString();
    return QLatin1StringView(names[kind]);
}

// ---- EngineObject -------------------------------------------------------------------------

EngineObject::EngineObject(std::shared_ptr<EngineContext> ctx, ObjectKind kind, quint64 scope)
    : m_ctx(std::move(ctx)), m_armedFaults(&m_ctx->armedFaults), m_kind(kind), m_scope(scope)
{
    ++m_ctx->counts[static_cast<int>(kind)];
}

EngineObject::~EngineObject()
{
    --m_ctx->counts[static_cast<int>(m_kind)];
}

QString EngineObject::className() const
{
    return kindClassName(static_cast<int>(m_kind));
}

QString EngineObject::displayName() const
{
    return className();
}

void EngineObject::checkFault(const char *operation) const
{
    m_ctx->checkFault(*this, operation);
}

// ---- MemberObject -------------------------------------------------------------------------

MemberObject::MemberObject(std::shared_ptr<EngineContext> ctx, ObjectKind kind, quint64 scope, QString name)
    : EngineObject(std::move(ctx), kind, scope), m_name(std::move(name))
{
}

MemberObject::~MemberObject() = default;

qint32 MemberObject::indexInCollection() const
{
    return m_collection ? m_collection->indexOf(this) : -1;
}

// ---- ControllerMember ---------------------------------------------------------------------

qint32 ControllerMember::attribute() const
{
    guard("get_Attribute");
    return attributeValue();
}

QString ControllerMember::help() const
{
    guard("get_Help");
    return helpText();
}

void ControllerMember::setTag(const Value &value)
{
    guard("put_Tag");
    m_tag = value;
}

void ControllerMember::setId(const Value &value)
{
    guard("put_ID");
    m_id = value;
}

// ---- CollectionBase -----------------------------------------------------------------------

CollectionBase::CollectionBase(std::shared_ptr<EngineContext> ctx, ObjectKind kind, quint64 scope)
    : EngineObject(std::move(ctx), kind, scope)
{
}

CollectionBase::~CollectionBase()
{
    for (const auto &m : std::as_const(m_items))
        m->m_collection = nullptr;
}

qint32 CollectionBase::indexOf(const MemberObject *member) const
{
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == member)
            return static_cast<qint32>(i);
    }
    return -1;
}

std::shared_ptr<MemberObject> CollectionBase::findMember(const QString &name) const
{
    for (const auto &m : m_items) {
        if (m->displayName().compare(name, Qt::CaseInsensitive) == 0)
            return m;
    }
    return nullptr;
}

QStringList CollectionBase::memberNames() const
{
    QStringList out;
    for (const auto &m : m_items)
        out << m->displayName();
    return out;
}

QString CollectionBase::generatedName(const QString &stem) const
{
    for (int n = 1;; ++n) {
        QString candidate = stem + QString::number(n);
        if (!findMember(candidate))
            return candidate;
    }
}

void CollectionBase::append(std::shared_ptr<MemberObject> member)
{
    Q_ASSERT(member && !member->m_collection);
    member->m_collection = this;
    m_items.append(std::move(member));
}

qint32 CollectionBase::resolve(const Value &key, const char *operation) const
{
    if (key.isString()) {
        const QString &name = key.stringValue();
        for (qsizetype i = 0; i < m_items.size(); ++i) {
            if (m_items[i]->displayName().compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<qint32>(i);
        }
        raise(E_NOT_FOUND, QStringLiteral("%1: %2 holds no item named '%3'").arg(QLatin1StringView(operation), className(), name));
    }
    if (!key.isNumeric() && key.type() != VT_BOOL)
        raise(E_TYPE_MISMATCH, QStringLiteral("%1 of %2 takes an index (a number) or a name (a text); got %3")
                                   .arg(QLatin1StringView(operation), className(), typeName(key.type())));
    qint32 index = 0;
    try {
        index = key.toInt32();
    } catch (const ZelError &e) {
        raise(e.unsignedNumber(), QStringLiteral("%1 of %2: %3").arg(QLatin1StringView(operation), className(), e.description()));
    }
    if (index < 0 || index >= m_items.size()) {
        if (m_items.isEmpty())
            raise(E_NOT_FOUND, QStringLiteral("%1: item %2 does not exist; %3 is empty").arg(QLatin1StringView(operation)).arg(index).arg(className()));
        raise(E_NOT_FOUND, QStringLiteral("%1: item %2 does not exist; %3 holds items 0 to %4")
                               .arg(QLatin1StringView(operation))
                               .arg(index)
                               .arg(className())
                               .arg(m_items.size() - 1));
    }
    return index;
}

qint32 CollectionBase::count() const
{
    guard("get_Count");
    return size();
}

ObjectPtr CollectionBase::itemObject(const Value &key) const
{
    guard("get_Item");
    return m_items[resolve(key, "Item")];
}

void CollectionBase::remove(const Value &key)
{
    guard("Remove");
    qint32 i = resolve(key, "Remove");
    std::shared_ptr<MemberObject> m = m_items.takeAt(i);
    m->m_collection = nullptr;
}

void CollectionBase::clear()
{
    guard("Clear");
    QList<std::shared_ptr<MemberObject>> items;
    items.swap(m_items);
    for (const auto &m : std::as_const(items))
        m->m_collection = nullptr;
    // `items` releases the members here, after the collection is already consistent.
}

Value CollectionBase::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    static const DispatchTable<CollectionBase> table{{
        prop<CollectionBase>("Count", [](CollectionBase &c, const Args &) { return Value::fromI4(c.count()); }),
        prop<CollectionBase>("Item", [](CollectionBase &c, const Args &a) { return Value::fromObject(c.itemObject(a[0])); }, nullptr, 1, 1),
        prop<CollectionBase>("", [](CollectionBase &c, const Args &a) { return Value::fromObject(c.itemObject(a[0])); }, nullptr, 1, 1),
        method<CollectionBase>("Remove", [](CollectionBase &c, const Args &a) { c.remove(a[0]); return Value(); }, 1, 1),
        method<CollectionBase>("Clear", [](CollectionBase &c, const Args &) { c.clear(); return Value(); }, 0, 0),
    }};
    return table.invoke(*this, member, kind, args);
}

} // namespace zel
