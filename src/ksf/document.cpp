// The KSF document model: entries, capability sections, sets and operations.
#include "ksfinternal.h"
#include "ksfmapper.h"

using zel::ZelError;

namespace ksf {

namespace {

// The hidden entry that holds a document's controller entries.
constexpr int DocumentRoot = -1;

const char *const kKindWords[] = {"controller", "extension", "file",    "robot",
                                  "task",       "variable",  "command", "message"};

bool isMemberKind(int kind) { return kind >= Extension && kind <= Message; }

QString capitalized(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Kinds

QString kindWord(int kind)
{
    if (kind < Controller || kind > Message)
        return QString();
    return QString::fromLatin1(kKindWords[kind]);
}

int kindFromText(const QString &text)
{
    for (int kind = Controller; kind <= Message; ++kind) {
        if (text == QLatin1String(kKindWords[kind]))
            return kind;
    }
    bool ok = false;
    const int code = text.toInt(&ok);
    if (ok && text == QString::number(code) && code >= Controller && code <= Message)
        return code;
    return -1;
}

bool canHold(int parentKind, int childKind)
{
    switch (parentKind) {
    case DocumentRoot:
        return childKind == Controller;
    case Controller:
        return isMemberKind(childKind);
    case Robot:
    case Task:
    case Extension:
        return childKind == Variable;
    case File:
        return childKind == Variable || childKind == File;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Helpers

namespace detail {

qsizetype invalidXmlCharacter(const QString &text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x20 && c < 0xD800)
            continue;
        bool ok;
        if (QChar::isHighSurrogate(c)) {
            ok = i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode());
            if (ok)
                ++i;
        } else if (QChar::isLowSurrogate(c)) {
            ok = false;
        } else {
            ok = c >= 0x20 ? (c != 0xFFFE && c != 0xFFFF) : (c == 0x09 || c == 0x0A || c == 0x0D);
        }
        if (!ok)
            return i;
    }
    return -1;
}

void throwInvalidText(const QString &what, const QString &text, qsizetype position)
{
    const uint c = text.at(position).unicode();
    throw ZelError(zel::E_INVALID_ARG,
                   QStringLiteral("%1 holds the character U+%2 at position %3, which a KSF file cannot hold")
                       .arg(what, QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0')),
                            QString::number(position + 1)));
}

QString indexKey(int kind, const QString &name)
{
    return QString::number(kind) + QLatin1Char(':') + name.toCaseFolded();
}

QString quoted(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("(empty name)");
    return QLatin1Char('"') + name + QLatin1Char('"');
}

} // namespace detail

using detail::checkText;
using detail::indexKey;
using detail::quoted;

// ---------------------------------------------------------------------------------------------
// Operation

Operation::Operation(Tag, QString name) : m_name(std::move(name)) {}

QString Operation::argumentDescription(int i) const
{
    if (i < 1 || i > int(m_arguments.size()))
        return QString();
    return m_arguments[size_t(i - 1)];
}

void Operation::setArgumentDescription(int i, const QString &text)
{
    if (i < 1 || i > int(m_arguments.size())) {
        throw ZelError(zel::E_INVALID_ARG,
                       QStringLiteral("Operation %1 has arguments 1 to 4, not %2").arg(quoted(m_name), QString::number(i)));
    }
    checkText(text, [&] { return QStringLiteral("The description of argument %1 of operation %2").arg(QString::number(i), quoted(m_name)); });
    m_arguments[size_t(i - 1)] = text;
}

// ---------------------------------------------------------------------------------------------
// CapabilitySet

CapabilitySet::CapabilitySet(Tag, int kind, QString key, QString entryName)
    : m_kind(kind), m_key(std::move(key)), m_entryName(std::move(entryName))
{
}

OperationPtr CapabilitySet::operation(const QString &name) const
{
    return m_index.value(name.toCaseFolded());
}

QStringList CapabilitySet::operationNames() const
{
    QStringList names;
    names.reserve(m_operations.size());
    for (const OperationPtr &op : m_operations)
        names.append(op->name());
    return names;
}

OperationPtr CapabilitySet::addOperation(const QString &name)
{
    if (OperationPtr existing = operation(name))
        return existing;
    checkText(name, [&] { return QStringLiteral("The operation name %1").arg(quoted(name)); });
    auto op = std::make_shared<Operation>(Operation::Tag{}, name);
    m_operations.append(op);
    m_index.insert(name.toCaseFolded(), op);
    return op;
}

void CapabilitySet::removeOperation(const QString &name)
{
    const OperationPtr op = m_index.take(name.toCaseFolded());
    if (!op) {
        throw ZelError(zel::E_KSF_NO_ENTRY,
                       QStringLiteral("The capability set offers no operation %1").arg(quoted(name)));
    }
    m_operations.removeOne(op);
}

// ---------------------------------------------------------------------------------------------
// Entry

Entry::Entry(Tag, int kind, QString name, int depth) : m_kind(kind), m_name(std::move(name)), m_depth(depth) {}

EntryPtr Entry::createRoot() { return std::make_shared<Entry>(Tag{}, DocumentRoot, QString(), 0); }

QString Entry::describe() const
{
    if (m_kind == DocumentRoot)
        return QStringLiteral("the document");
    return QStringLiteral("the %1 entry %2").arg(kindWord(m_kind), quoted(m_name));
}

void Entry::setControllerText(QString &field, const QString &text, const char *what)
{
    if (m_kind != Controller) {
        throw ZelError(zel::E_INVALID_ARG, capitalized(describe())
                                               + QStringLiteral(" has no %1; only controller entries have one")
                                                     .arg(QLatin1String(what)));
    }
    checkText(text, [&] { return QStringLiteral("The %1 of ").arg(QLatin1String(what)) + describe(); });
    field = text;
}

void Entry::setKey(const QString &key)
{
    setControllerText(m_key, key, "key");
}

void Entry::setProviderName(const QString &provider)
{
    setControllerText(m_provider, provider, "provider name");
}

void Entry::setMachineName(const QString &machine)
{
    setControllerText(m_machine, machine, "machine name");
}

void Entry::setOption(const QString &option)
{
    checkText(option, [&] { return QStringLiteral("The option of ") + describe(); });
    m_option = option;
}

bool Entry::canHold(int kind) const { return ksf::canHold(m_kind, kind); }

EntryPtr Entry::addMember(int kind, const QString &name)
{
    if (m_kind == DocumentRoot ? kind != Controller : !isMemberKind(kind)) {
        throw ZelError(zel::E_KSF_UNKNOWN_KIND,
                       QStringLiteral("%1 is not a member kind; the kinds are 1 extension, 2 file, 3 robot, "
                                      "4 task, 5 variable, 6 command and 7 message")
                           .arg(kind));
    }
    if (!canHold(kind)) {
        throw ZelError(zel::E_KSF_BAD_NESTING,
                       QStringLiteral("%1 cannot hold %2 entries").arg(capitalized(describe()), kindWord(kind)));
    }
    if (EntryPtr existing = findMember(kind, name))
        return existing;
    if (m_depth >= MaxNesting) {
        throw ZelError(zel::E_KSF_TOO_LARGE,
                       QStringLiteral("%1 lies %2 levels deep; entries nest at most %2 levels")
                           .arg(capitalized(describe()), QString::number(MaxNesting)));
    }
    checkText(name, [&] { return QStringLiteral("The name of a %1 entry").arg(kindWord(kind)); });
    auto entry = std::make_shared<Entry>(Tag{}, kind, name, m_depth + 1);
    m_members.append(entry);
    m_index.insert(indexKey(kind, name), entry);
    return entry;
}

EntryPtr Entry::findMember(int kind, const QString &name) const { return m_index.value(indexKey(kind, name)); }

EntryPtr Entry::findMemberOrDefault(int kind, const QString &name) const
{
    if (EntryPtr entry = findMember(kind, name))
        return entry;
    return findMember(kind, QString());
}

QList<EntryPtr> Entry::members(int kind) const
{
    QList<EntryPtr> result;
    for (const EntryPtr &member : m_members) {
        if (member->m_kind == kind)
            result.append(member);
    }
    return result;
}

void Entry::removeMember(int kind, const QString &name)
{
    const EntryPtr entry = m_index.take(indexKey(kind, name));
    if (!entry) {
        throw ZelError(zel::E_KSF_NO_ENTRY,
                       QStringLiteral("%1 holds no %2 entry %3").arg(capitalized(describe()), kindWord(kind), quoted(name)));
    }
    m_members.removeOne(entry);
}

// ---------------------------------------------------------------------------------------------
// Document

Document::Document(Tag) : m_root(Entry::createRoot()) {}

DocumentPtr Document::createEmpty() { return std::make_shared<Document>(Tag{}); }

QStringList Document::controllerNames() const
{
    QStringList names;
    names.reserve(m_root->m_members.size());
    for (const EntryPtr &entry : m_root->m_members)
        names.append(entry->name());
    return names;
}

QList<EntryPtr> Document::controllers() const { return m_root->m_members; }

EntryPtr Document::addController(const QString &name) { return m_root->addMember(Controller, name); }

void Document::removeController(const QString &name) { m_root->removeMember(Controller, name); }

EntryPtr Document::findController(const QString &name) const { return m_root->findMember(Controller, name); }

EntryPtr Document::findControllerOrDefault(const QString &name) const
{
    return m_root->findMemberOrDefault(Controller, name);
}

const Document::Section *Document::section(const QString &key) const
{
    const auto it = m_sectionIndex.constFind(key.toCaseFolded());
    return it == m_sectionIndex.cend() ? nullptr : &m_sections.at(*it);
}

CapabilitySetPtr Document::capabilitySet(const QString &controllerKey) const
{
    const Section *s = section(controllerKey);
    return s ? s->controllerSet : nullptr;
}

CapabilitySetPtr Document::capabilitySet(int kind, const QString &controllerKey, const QString &entryName) const
{
    if (!isMemberKind(kind))
        return nullptr;
    const Section *s = section(controllerKey);
    return s ? s->index.value(indexKey(kind, entryName)) : nullptr;
}

CapabilitySetPtr Document::capabilitySetOrDefault(int kind, const QString &controllerKey,
                                                  const QString &entryName) const
{
    if (CapabilitySetPtr set = capabilitySet(kind, controllerKey, entryName))
        return set;
    return capabilitySet(kind, controllerKey, QString());
}

QStringList Document::capabilityKeys() const
{
    QStringList keys;
    keys.reserve(m_sections.size());
    for (const Section &s : m_sections)
        keys.append(s.controllerSet->key());
    return keys;
}

QList<CapabilitySetPtr> Document::capabilitySets(const QString &controllerKey) const
{
    const Section *s = section(controllerKey);
    return s ? s->sets : QList<CapabilitySetPtr>();
}

CapabilitySetPtr Document::addCapabilitySet(const QString &controllerKey)
{
    if (CapabilitySetPtr existing = capabilitySet(controllerKey))
        return existing;
    checkText(controllerKey, [&] { return QStringLiteral("The capability key %1").arg(quoted(controllerKey)); });
    Section s;
    s.controllerSet = std::make_shared<CapabilitySet>(CapabilitySet::Tag{}, Controller, controllerKey, QString());
    m_sectionIndex.insert(controllerKey.toCaseFolded(), m_sections.size());
    m_sections.append(std::move(s));
    return m_sections.last().controllerSet;
}

CapabilitySetPtr Document::addCapabilitySet(int kind, const QString &controllerKey, const QString &entryName)
{
    if (!isMemberKind(kind)) {
        throw ZelError(zel::E_KSF_UNKNOWN_KIND,
                       QStringLiteral("%1 is not a kind of capability set; the kinds are 1 extension, 2 file, "
                                      "3 robot, 4 task, 5 variable, 6 command and 7 message")
                           .arg(kind));
    }
    if (CapabilitySetPtr existing = capabilitySet(kind, controllerKey, entryName))
        return existing;
    checkText(entryName, [&] { return QStringLiteral("The entry name %1 of a capability set").arg(quoted(entryName)); });
    addCapabilitySet(controllerKey);
    Section &s = m_sections[m_sectionIndex.value(controllerKey.toCaseFolded())];
    auto set = std::make_shared<CapabilitySet>(CapabilitySet::Tag{}, kind, s.controllerSet->key(), entryName);
    s.sets.append(set);
    s.index.insert(indexKey(kind, entryName), set);
    return set;
}

} // namespace ksf
