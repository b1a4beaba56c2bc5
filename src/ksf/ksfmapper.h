// KSF mapper: controller-definition documents and device-capability definitions.
//
// A KSF document is an XML file (format in docs/ksf-format.md) that lists controller entries
// (name, key, provider, machine, option) with member entries below them, and optionally
// capability sections that say which operations a controller or member kind offers, with a
// description of each argument. The same format serves the workspace's mirror of the objects
// the user created (written by Export KSF) and the read-only device-capability definitions that
// enable the panels' buttons.
//
// Every object is handed out as a shared pointer: an entry that is removed from its document
// stays valid for whoever still holds it. Names, keys and operation names compare without
// regard to letter case. Look-ups (find..., capabilitySet, operation) never throw and give
// nullptr when nothing matches; everything else throws zel::ZelError (E_KSF_* numbers, or
// E_INVALID_ARG for a text that an XML file cannot hold).
#pragma once

#include "zel/errors.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

namespace ksf {

// Kind codes of member entries and capability sets; Controller marks controller entries.
enum Kind {
    Controller = 0,
    Extension = 1,
    File = 2,
    Robot = 3,
    Task = 4,
    Variable = 5,
    Command = 6,
    Message = 7,
};

// A file larger than this is refused unread, and a document whose text would be larger is not
// saved (so that every saved document opens again).
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
// Entries nest at most this many levels below the document (controller = level 1).
constexpr int MaxNesting = 64;

// The element name of a kind ("variable", "controller", ...), empty for an unknown code.
QString kindWord(int kind);
// The kind code of an element name or of a decimal code text, -1 when unknown.
int kindFromText(const QString &text);
// Whether an entry of parentKind may hold entries of childKind.
bool canHold(int parentKind, int childKind);

class Document;
class Entry;
class CapabilitySet;
class Operation;
using DocumentPtr = std::shared_ptr<Document>;
using EntryPtr = std::shared_ptr<Entry>;
using CapabilitySetPtr = std::shared_ptr<CapabilitySet>;
using OperationPtr = std::shared_ptr<Operation>;

// One operation of a capability set, with descriptions of up to four arguments.
class Operation {
    struct Tag {
        explicit Tag() = default;
    };

public:
    Operation(Tag, QString name);
    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;

    QString name() const { return m_name; }
    // Description of argument i (1 to 4); empty when absent or i is out of range.
    QString argumentDescription(int i) const;
    // Throws E_INVALID_ARG for i outside 1..4 or a text an XML file cannot hold.
    void setArgumentDescription(int i, const QString &text);

private:
    friend class CapabilitySet;
    QString m_name;
    std::array<QString, 4> m_arguments;
};

// The operations that a controller (kind Controller) or a member kind offers.
class CapabilitySet {
    struct Tag {
        explicit Tag() = default;
    };

public:
    CapabilitySet(Tag, int kind, QString key, QString entryName);
    CapabilitySet(const CapabilitySet &) = delete;
    CapabilitySet &operator=(const CapabilitySet &) = delete;

    int kind() const { return m_kind; }
    QString key() const { return m_key; }
    QString entryName() const { return m_entryName; }

    // The operation of that name, nullptr when the set does not offer it.
    OperationPtr operation(const QString &name) const;
    QStringList operationNames() const;
    // Adds an operation; an existing name returns the existing operation.
    OperationPtr addOperation(const QString &name);
    void removeOperation(const QString &name); // E_KSF_NO_ENTRY when absent

private:
    friend class Document;
    int m_kind;
    QString m_key;
    QString m_entryName;
    QList<OperationPtr> m_operations;
    QHash<QString, OperationPtr> m_index; // case-folded name -> operation
};

// A controller entry or a member entry.
class Entry {
    struct Tag {
        explicit Tag() = default;
    };

public:
    Entry(Tag, int kind, QString name, int depth);
    Entry(const Entry &) = delete;
    Entry &operator=(const Entry &) = delete;

    QString name() const { return m_name; }
    int kind() const { return m_kind; }

    // Controller entries only: the key of their capability section (empty when none), the
    // provider and the machine. Members read them as empty; setting them on a member throws
    // E_INVALID_ARG.
    QString key() const { return m_key; }
    void setKey(const QString &key);
    QString providerName() const { return m_provider; }
    void setProviderName(const QString &provider);
    QString machineName() const { return m_machine; }
    void setMachineName(const QString &machine);

    QString option() const { return m_option; }
    void setOption(const QString &option);

    // Whether this entry may hold members of that kind: controllers hold kinds 1 to 7; robots,
    // tasks and extensions hold variables; files hold variables and files.
    bool canHold(int kind) const;

    // Adds a member below this entry; an existing name of that kind returns the existing
    // entry. Throws E_KSF_UNKNOWN_KIND for a code outside 1..7, E_KSF_BAD_NESTING for a kind
    // this entry cannot hold, E_KSF_TOO_LARGE beyond MaxNesting levels.
    EntryPtr addMember(int kind, const QString &name);
    EntryPtr addVariable(const QString &name) { return addMember(Variable, name); }
    EntryPtr addFile(const QString &name) { return addMember(File, name); }

    // The member of that kind and name; nullptr when absent.
    EntryPtr findMember(int kind, const QString &name) const;
    // The member of that name, else the member of that kind with the empty name (the
    // definition's default), else nullptr.
    EntryPtr findMemberOrDefault(int kind, const QString &name) const;
    // Members of one kind, in document order.
    QList<EntryPtr> members(int kind) const;
    // All members, in document order.
    QList<EntryPtr> members() const { return m_members; }

    // Removes the member of that kind and name; E_KSF_NO_ENTRY when there is none.
    void removeMember(int kind, const QString &name);
    void removeVariable(const QString &name) { removeMember(Variable, name); }
    void removeFile(const QString &name) { removeMember(File, name); }
    void removeRobot(const QString &name) { removeMember(Robot, name); }
    void removeTask(const QString &name) { removeMember(Task, name); }
    void removeExtension(const QString &name) { removeMember(Extension, name); }
    void removeCommand(const QString &name) { removeMember(Command, name); }
    void removeMessage(const QString &name) { removeMember(Message, name); }

private:
    // Sets a text only controller entries have (what: "key", "provider name", "machine name").
    void setControllerText(QString &field, const QString &text, const char *what);
    friend class Document;
    static EntryPtr createRoot();
    QString describe() const;

    int m_kind;
    QString m_name;
    int m_depth;
    QString m_key;
    QString m_provider;
    QString m_machine;
    QString m_option;
    QList<EntryPtr> m_members;
    QHash<QString, EntryPtr> m_index; // kind + case-folded name -> member
};

// A KSF document: controller entries and capability sections.
class Document {
    struct Tag {
        explicit Tag() = default;
    };

public:
    explicit Document(Tag);
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    static DocumentPtr createEmpty();
    // Reads a KSF file. Throws zel::ZelError naming the file (and the line, where there is
    // one) when the file cannot be read, is larger than MaxFileSize or is not a valid KSF
    // document; a document is only ever returned complete.
    static DocumentPtr open(const QString &path);
    // Reads KSF text; sourceName stands for the file in error descriptions.
    static DocumentPtr parse(const QByteArray &xml, const QString &sourceName);

    // Writes the document through zel::saveFile (a temporary file beside path, renamed over
    // path when complete), so that a failed save leaves an existing file as it was; a folder, a
    // device or a pipe at path is refused. Throws E_KSF_WRITE (E_KSF_TOO_LARGE when the text
    // would exceed MaxFileSize).
    void saveAs(const QString &path) const;
    // The document's text as saveAs writes it (UTF-8).
    QByteArray toXml() const;

    // Controller entry names, in document order.
    QStringList controllerNames() const;
    QList<EntryPtr> controllers() const;
    // Adds a controller entry; an existing name returns the existing entry.
    EntryPtr addController(const QString &name);
    // Removes a controller entry; E_KSF_NO_ENTRY when absent.
    void removeController(const QString &name);
    EntryPtr findController(const QString &name) const;
    // The controller of that name, else the one with the empty name, else nullptr.
    EntryPtr findControllerOrDefault(const QString &name) const;

    // The controller-level capability set of a key; nullptr when the document has no
    // capability section of that key. Its operation of empty name describes the arguments of
    // adding a controller (1: controller name, 2: option).
    CapabilitySetPtr capabilitySet(const QString &controllerKey) const;
    // The set of a member or message kind (1 to 7) under a key, for an entry name; nullptr
    // when absent. The set of empty entry name is the kind's default definition; its operation
    // of empty name describes the arguments of adding a member (1: name, 2: option).
    CapabilitySetPtr capabilitySet(int kind, const QString &controllerKey, const QString &entryName) const;
    // The set of that entry name, else the one of empty entry name, else nullptr.
    CapabilitySetPtr capabilitySetOrDefault(int kind, const QString &controllerKey, const QString &entryName) const;

    // Keys of the capability sections, in document order.
    QStringList capabilityKeys() const;
    // The member and message sets of a key, in document order.
    QList<CapabilitySetPtr> capabilitySets(const QString &controllerKey) const;
    // Adds (or returns the existing) capability section of a key with its controller-level set.
    CapabilitySetPtr addCapabilitySet(const QString &controllerKey);
    // Adds (or returns the existing) set of a kind (1 to 7) and entry name; the key's section
    // is created when missing.
    CapabilitySetPtr addCapabilitySet(int kind, const QString &controllerKey, const QString &entryName);

private:
    struct Section {
        CapabilitySetPtr controllerSet;
        QList<CapabilitySetPtr> sets;
        QHash<QString, CapabilitySetPtr> index; // kind + case-folded entry name -> set
    };
    const Section *section(const QString &key) const;

    EntryPtr m_root; // holds the controller entries
    QList<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // case-folded key -> position in m_sections
};

} // namespace ksf
