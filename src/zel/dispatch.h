// Late binding: one table per class from member name to handler, with the call kinds and the
// argument counts each member takes, and the argument coercions every handler uses.
#pragma once

#include "engineobject.h"

#include <initializer_list>
#include <vector>

namespace zel::detail {

using Args = QList<Value>;

[[noreturn]] void raise(quint32 number, const QString &description);

// Case-blind hash of a member name (ASCII letters fold to lower case).
quint32 foldedHash(QStringView name);

// Builds the error for a name that no entry carries.
[[noreturn]] void unknownMember(const QString &className, const QString &member);
[[noreturn]] void wrongArgCount(const QString &className, const char *member, bool method, qsizetype given, int min, int max);
[[noreturn]] void notWritable(const QString &className, const char *member, bool method);
[[noreturn]] void internalError(const QString &className, const QString &member, const char *what);

// The argument coercions. `op` names the operation and `what` the argument in descriptions:
// "Argument 1 (axis) of Drive: 'x' is not a valid R8 value".
const Value &arg(const Args &args, int i); // missing trailing arguments read as empty
qint32 argInt(const Args &args, int i, const char *what, const char *op);
double argReal(const Args &args, int i, const char *what, const char *op);
QString argText(const Args &args, int i, const char *what, const char *op);
bool argBool(const Args &args, int i, const char *what, const char *op);

// Value helpers for results.
Value textArray(const QStringList &texts); // ARRAY | BSTR from 0
Value nothing();                           // VT_DISPATCH holding no object

template <class T>
struct Member {
    const char *name;
    Value (*get)(T &self, const Args &args);                     // property get or method
    void (*put)(T &self, const Args &args, const Value &value);   // property put; value == args.last()
    qint8 minArgs;
    qint8 maxArgs;
    bool method;
};

template <class T>
Member<T> prop(const char *name, Value (*get)(T &, const Args &), void (*put)(T &, const Args &, const Value &) = nullptr,
               qint8 minArgs = 0, qint8 maxArgs = 0)
{
    return Member<T>{name, get, put, minArgs, maxArgs, false};
}

template <class T>
Member<T> method(const char *name, Value (*run)(T &, const Args &), qint8 minArgs, qint8 maxArgs)
{
    return Member<T>{name, run, nullptr, minArgs, maxArgs, true};
}

// One table per class. Property gets and methods accept both the get and the method call kind
// (a script may call either way); puts only the put kind.
template <class T>
class DispatchTable {
public:
    DispatchTable(std::initializer_list<std::vector<Member<T>>> lists)
    {
        for (const auto &list : lists)
            for (const Member<T> &m : list)
                m_entries.push_back({m, foldedHash(QString::fromLatin1(m.name)), qsizetype(qstrlen(m.name))});
    }

    Value invoke(T &self, const QString &member, CallKind kind, const Args &args) const
    {
        try {
            return call(self, member, kind, args);
        } catch (const ZelError &) {
            throw;
        } catch (const std::exception &e) {
            // Never let a library exception out of a late-bound call: callers handle ZelError.
            internalError(self.className(), member, e.what());
        }
    }

private:
    Value call(T &self, const QString &member, CallKind kind, const Args &args) const
    {
        const Member<T> *m = find(member);
        if (!m)
            unknownMember(self.className(), member);
        if (kind == CallKind::PropertyPut) {
            if (!m->put)
                notWritable(self.className(), m->name, m->method);
            qsizetype n = args.size() - 1;
            if (n < m->minArgs || n > m->maxArgs)
                wrongArgCount(self.className(), m->name, false, n, m->minArgs, m->maxArgs);
            m->put(self, args, args.last());
            return Value();
        }
        if (args.size() < m->minArgs || args.size() > m->maxArgs)
            wrongArgCount(self.className(), m->name, m->method, args.size(), m->minArgs, m->maxArgs);
        return m->get(self, args);
    }

    const Member<T> *find(const QString &member) const
    {
        const quint32 h = foldedHash(member);
        for (const Entry &e : m_entries) {
            if (e.hash == h && e.length == member.size()
                && QStringView(member).compare(QLatin1StringView(e.member.name), Qt::CaseInsensitive) == 0)
                return &e.member;
        }
        return nullptr;
    }

    struct Entry {
        Member<T> member;
        quint32 hash;
        qsizetype length;
    };
    std::vector<Entry> m_entries;
};

// The members every controller and member object shares: Name, Attribute, Help, Tag, ID, Index.
template <class T>
std::vector<Member<T>> sharedMembers()
{
    return {
        prop<T>("Name", [](T &o, const Args &) { return Value::fromString(o.name()); }),
        prop<T>("Attribute", [](T &o, const Args &) { return Value::fromI4(o.attribute()); }),
        prop<T>("Help", [](T &o, const Args &) { return Value::fromString(o.help()); }),
        prop<T>("Tag", [](T &o, const Args &) { return o.tag(); }, [](T &o, const Args &, const Value &v) { o.setTag(v); }),
        prop<T>("ID", [](T &o, const Args &) { return o.id(); }, [](T &o, const Args &, const Value &v) { o.setId(v); }),
        prop<T>("Index", [](T &o, const Args &) { return Value::fromI4(o.index()); }),
    };
}

// Execute(command, parameter) for objects that have it.
template <class T>
std::vector<Member<T>> executeMember()
{
    return {method<T>("Execute",
                      [](T &o, const Args &a) { return o.execute(argText(a, 0, "command", "Execute"), arg(a, 1)); }, 1, 2)};
}

// Variables, AddVariable(name, option) and VariableNames(option) for objects that hold variables.
template <class T>
std::vector<Member<T>> variableMembers()
{
    return {
        prop<T>("Variables", [](T &o, const Args &) { return Value::fromObject(o.variables()); }),
        method<T>("AddVariable", [](T &o, const Args &a) {
            return Value::fromObject(o.addVariable(argText(a, 0, "name", "AddVariable"), argText(a, 1, "option", "AddVariable"))); }, 0, 2),
        prop<T>("VariableNames", [](T &o, const Args &a) { return textArray(o.variableNames(argText(a, 0, "option", "VariableNames"))); }, nullptr, 0, 1),
    };
}

// The members of a controller member that holds variables and has Execute.
template <class T>
std::vector<Member<T>> holderMembers()
{
    std::vector<Member<T>> members = sharedMembers<T>();
    for (const auto &list : {executeMember<T>(), variableMembers<T>()})
        members.insert(members.end(), list.begin(), list.end());
    return members;
}

// ---- Execute commands --------------------------------------------------------------------

template <class T>
struct Command {
    const char *name;
    Value (*run)(T &self, const Value &parameter);
};

// The commands every Execute knows.
//   Echo      returns its parameter
//   Commands  lists the command names (ARRAY | BSTR)
//   Fail      fails with the error that its parameter names (docs/engine.md)
//   Describe  a one-line summary of the object
[[noreturn]] void failOnRequest(const Value &parameter, const QString &where);

template <class T>
class CommandTable {
public:
    CommandTable(std::initializer_list<Command<T>> own) : m_commands(own) {}

    Value run(T &self, const QString &command, const Value &parameter) const
    {
        if (command.compare(QLatin1String("Echo"), Qt::CaseInsensitive) == 0)
            return parameter;
        if (command.compare(QLatin1String("Commands"), Qt::CaseInsensitive) == 0)
            return textArray(names());
        if (command.compare(QLatin1String("Fail"), Qt::CaseInsensitive) == 0)
            failOnRequest(parameter, self.displayName());
        if (command.compare(QLatin1String("Describe"), Qt::CaseInsensitive) == 0)
            return Value::fromString(self.describe());
        for (const Command<T> &c : m_commands) {
            if (command.compare(QLatin1StringView(c.name), Qt::CaseInsensitive) == 0)
                return c.run(self, parameter);
        }
        raise(E_UNKNOWN_COMMAND, QStringLiteral("%1 %2 has no command '%3'; its commands are %4")
                                     .arg(self.className(), self.displayName(), command, names().join(QLatin1String(", "))));
    }

    QStringList names() const
    {
        QStringList out{QStringLiteral("Echo"), QStringLiteral("Commands"), QStringLiteral("Fail"), QStringLiteral("Describe")};
        for (const Command<T> &c : m_commands)
            out << QLatin1String(c.name);
        return out;
    }

private:
    std::vector<Command<T>> m_commands;
};

} // namespace zel::detail
