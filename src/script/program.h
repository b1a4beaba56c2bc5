// The compact form of a parsed script: flat tables of expression nodes, argument lists,
// constants and names, and one statement list per Sub. Names are resolved once after parsing
// (variables to slots, host objects and their hot members to dedicated nodes), so that running
// a statement never looks a name up by text except for the engine's own members.
#pragma once

#include "zelscript.h"
#include "zel/value.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <typeinfo>
#include <vector>

namespace zelscript {
namespace detail {

enum class Op : quint8 {
    Const,     // consts[index]
    Name,      // an identifier before resolution (names[index])
    Local,     // a variable of the running Sub (slot index)
    Global,    // a variable of the script (slot index)
    Undefined, // a name that is no variable, host object or Sub: fails when read
    HostZel,   // the workspace
    HostDbg,
    HostDat,
    HostErr,
    SubCall,   // a Sub called by name (subs[index])
    Member,    // a.names[index](args): property read or method call
    Apply,     // a(args): default member of an object, element of an array
    Concat,    // a & b
    Add,
    Subtract,
    Multiply,
    Divide,
    Negate,    // -a
    // Hot members of the host objects, resolved when parsing.
    DbgOutput,
    DatToText,   // DAT.BstrFromVariant(value[, option])
    DatFromText, // DAT.VariantFromBstr(text)
    ErrNumber,
    ErrDescription,
    ErrSource,
    ErrClear,
    ErrRaise,
};

struct Expr {
    Op op = Op::Const;
    bool parens = false; // written with an argument list in parentheses
    qint32 a = -1;       // operand (object of a Member, callee of an Apply, left of a binary)
    qint32 b = -1;       // right operand of a binary
    qint32 index = -1;   // name, constant, slot or Sub
    qint32 name = -1;    // names[name]: the identifier a variable or host node was written as
    qint32 argBegin = 0; // arguments: args[argBegin .. argBegin + argCount)
    qint32 argCount = 0;
    qint32 line = 0;
    qint32 column = 0;
    // Call-site memory of a Member with arguments: for this class of object, whether the
    // arguments go to the member itself or to the default member (Item) of what it returns,
    // as in zel.Controllers("RC1").
    mutable const std::type_info *seenClass = nullptr;
    mutable bool viaDefault = false;
};

enum class StKind : quint8 {
    Eval,        // a call statement (expr)
    Assign,      // target = value
    SetAssign,   // Set target = value
    PropPut,     // target is a Member: its property is written
    OnErrorResume,
    OnErrorGoto0,
    ExitSub,
};

struct Stmt {
    StKind kind = StKind::Eval;
    qint32 line = 0;
    qint32 column = 0;
    qint32 expr = -1;  // the call, or the target
    qint32 value = -1; // the value written
    qint32 srcBegin = 0;
    qint32 srcLength = 0;
};

struct Sub {
    QString name;
    qint32 line = 0;
    qint32 column = 0;
    std::vector<Stmt> body;
    qint32 exprBegin = 0; // the expression nodes written inside this Sub
    qint32 exprEnd = 0;
    qint32 localCount = 0;
    // Filled while parsing, used by the resolution (lower-case names, in order of appearance).
    QStringList dims;
    QStringList assigned;
    QHash<QString, qint32> locals;

    // Adds a declared name; false when it was declared before.
    bool declared(const QString &lower)
    {
        if (m_dimSet.contains(lower))
            return false;
        m_dimSet.insert(lower);
        dims.append(lower);
        return true;
    }
    void assign(const QString &lower)
    {
        if (!m_assignedSet.contains(lower)) {
            m_assignedSet.insert(lower);
            assigned.append(lower);
        }
    }

private:
    QSet<QString> m_dimSet;
    QSet<QString> m_assignedSet;
};

// The node of a host object's member that has one of its own (dbg.Output, DAT.BstrFromVariant,
// Err.Number...), or Op::Member for any other member. host: Op::HostDbg, Op::HostDat or Op::HostErr.
Op hostMemberOp(Op host, const QString &member);

} // namespace detail

class Program {
public:
    QString file;
    QString source;
    std::vector<detail::Expr> exprs;
    std::vector<qint32> args;
    QList<zel::Value> consts;
    QStringList names;
    std::vector<detail::Sub> subs; // declared Subs
    detail::Sub top;               // the statements outside any Sub
    QHash<QString, qint32> globals;
    qint32 globalCount = 0;
    qint32 mainIndex = -1;
    bool optionExplicit = false;
};

} // namespace zelscript
