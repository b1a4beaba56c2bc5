// Running a parsed script: statements, expressions, the host objects and On Error Resume Next.
#include "program.h"

#include "zel/converter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QVarLengthArray>
#include <cmath>
#include <pthread.h>

namespace zelscript {

using namespace detail;
using zel::CallKind;
using zel::Value;
using zel::ZelError;

namespace {

// Thrown to end a script that must stop (time limit, Ctrl+C). It is no ZelError, so that no
// On Error Resume Next catches it on its way out.
struct StopScript {
    ScriptError error;
};

// The stack this thread may still use, less a reserve for the engine's and Qt's own calls, as
// the lowest address it may reach; 0 when the platform does not tell. MaxRunDepth keeps
// ordinary builds far from it; builds with larger frames (sanitizers) and threads with small
// stacks stop at this mark instead of overflowing.
quintptr stackFloor()
{
    constexpr size_t kReserve = 512 * 1024;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return 0;
    void *base = nullptr;
    size_t size = 0;
    const bool known = pthread_attr_getstack(&attr, &base, &size) == 0;
    pthread_attr_destroy(&attr);
    if (!known || size < 2 * kReserve)
        return 0;
    return quintptr(base) + kReserve;
}

bool isBinary(Op op)
{
    return op == Op::Concat || op == Op::Add || op == Op::Subtract || op == Op::Multiply || op == Op::Divide;
}

ZelError typeMismatch(const QString &what)
{
    return ZelError(zel::E_TYPE_MISMATCH, QStringLiteral("Type mismatch: ") + what);
}

// Text of a value for dbg.output and &: strings as they are, numbers, dates and booleans in
// their converter text, Empty as nothing and Null as "Null".
QString textOf(const Value &v, const char *where)
{
    if (v.isString())
        return v.stringValue();
    if (v.isEmpty())
        return QString();
    if (v.isNull())
        return QStringLiteral("Null");
    if (v.isObject())
        throw typeMismatch(QStringLiteral("an object has no text (%1)").arg(QLatin1String(where)));
    if (v.isArray())
        throw typeMismatch(QStringLiteral("an array (%1) has no text (%2); use DAT.BstrFromVariant")
                               .arg(zel::typeName(v.type()), QLatin1String(where)));
    return zel::valueText(v);
}

// A text of & or + that would grow beyond MaxTextLength.
QString &append(QString &text, const QString &more)
{
    if (more.size() > MaxTextLength - text.size())
        throw ZelError(zel::E_OVERFLOW, QStringLiteral("Out of string space: a text of more than %1 characters").arg(MaxTextLength));
    return text += more;
}

ZelError argCount(const char *host, const char *member, qsizetype given, int min, int max)
{
    return ZelError(zel::E_ARG_COUNT, QStringLiteral("%1.%2 takes %3 argument%4; %5 given")
                                          .arg(QLatin1String(host), QLatin1String(member),
                                               min == max ? QString::number(min) : QStringLiteral("%1 to %2").arg(min).arg(max),
                                               max == 1 ? QString() : QStringLiteral("s"))
                                          .arg(given));
}

void checkCount(const char *host, const char *member, qsizetype given, int min, int max)
{
    if (given < min || given > max)
        throw argCount(host, member, given, min, max);
}

// Numbers of arithmetic: integers stay integers while they fit, everything else is R8.
Value integerResult(double d, bool small)
{
    if (small && d >= -32768 && d <= 32767)
        return Value::fromI2(qint16(d));
    if (d >= -2147483648.0 && d <= 2147483647.0)
        return Value::fromI4(qint32(d));
    return Value::fromR8(d);
}

bool isSmallInteger(const Value &v)
{
    quint16 t = v.type();
    return t == zel::VT_I2 || t == zel::VT_UI1 || t == zel::VT_I1 || t == zel::VT_BOOL;
}

double numberOf(const Value &v)
{
    if (v.isEmpty())
        return 0;
    if (v.type() == zel::VT_BOOL)
        return v.boolValue() ? -1 : 0;
    return v.toDouble();
}

class Interpreter;

// The host objects as engine-style objects, for scripts that hold them in variables
// (Set d = DAT). Their hot members are compiled into nodes of their own; both ways share the
// interpreter's routines.
class HostObject final : public zel::Object {
public:
    HostObject(Interpreter *in, Op which) : m_in(in), m_which(which) {}
    QString className() const override;
    Value invoke(const QString &member, CallKind kind, const QList<Value> &args) override;

private:
    Interpreter *m_in;
    Op m_which;
};

struct Frame {
    QVarLengthArray<Value, 8> locals;
    bool resumeNext = false;
};

enum class Flow { Next, Exit };

class Interpreter {
public:
    Interpreter(const Program &p, const zel::ObjectPtr &workspace, const RunOptions &options)
        : m_p(p), m_options(options), m_workspace(Value::fromObject(workspace))
    {
        m_dbg = Value::fromObject(std::make_shared<HostObject>(this, Op::HostDbg));
        m_dat = Value::fromObject(std::make_shared<HostObject>(this, Op::HostDat));
        m_err = Value::fromObject(std::make_shared<HostObject>(this, Op::HostErr));
        m_globals.resize(p.globalCount);
        m_pump.start();
        m_clock.start();
        m_stackFloor = stackFloor();
    }

    RunResult run()
    {
        RunResult r;
        try {
            if (m_p.mainIndex < 0)
                throw ScriptError(ZelError(zel::E_SCRIPT_UNDEFINED, QStringLiteral("The script has no Sub Main")), m_p.file, 0);
            Frame top;
            runBlock(m_p.top, top);
            callSub(m_p.mainIndex);
        } catch (const StopScript &stop) {
            r.ok = false;
            r.error = stop.error;
        } catch (const ScriptError &e) {
            r.ok = false;
            r.error = e;
        } catch (const ZelError &e) {
            r.ok = false;
            r.error = ScriptError(e, m_p.file, 0);
        }
        r.statements = m_statements;
        r.resumedErrors = m_resumed;
        return r;
    }

    // ---- the host objects' members --------------------------------------------------------
    void output(const QList<Value> &args)
    {
        checkCount("dbg", "output", args.size(), 1, 1);
        QString text = textOf(args[0], "dbg.output");
        if (m_options.output)
            m_options.output(text);
    }

    static Value toText(const QList<Value> &args)
    {
        checkCount("DAT", "BstrFromVariant", args.size(), 1, 2);
        int option = args.size() > 1 ? args[1].toInt32() : 0;
        return Value::fromString(zel::BstrFromVariant(args[0], option));
    }

    static Value fromText(const QList<Value> &args)
    {
        checkCount("DAT", "VariantFromBstr", args.size(), 1, 1);
        if (!args[0].isString() && !args[0].isNumeric() && !args[0].isEmpty())
            throw typeMismatch(QStringLiteral("DAT.VariantFromBstr takes a text"));
        return zel::VariantFromBstr(args[0].toPlainText());
    }

    Value errMember(Op op, const QList<Value> &args)
    {
        switch (op) {
        case Op::ErrNumber:
            checkCount("Err", "Number", args.size(), 0, 0);
            return Value::fromI4(m_errNumber);
        case Op::ErrDescription:
            checkCount("Err", "Description", args.size(), 0, 0);
            return Value::fromString(m_errDescription);
        case Op::ErrSource:
            checkCount("Err", "Source", args.size(), 0, 0);
            return Value::fromString(m_errSource);
        case Op::ErrClear:
            checkCount("Err", "Clear", args.size(), 0, 0);
            clearErr();
            return Value();
        case Op::ErrRaise: {
            // Err.Raise number[, source[, description]]
            checkCount("Err", "Raise", args.size(), 1, 3);
            quint32 number = quint32(qint64(std::llround(numberOf(args[0]))));
            QString description = args.size() > 2 ? textOf(args[2], "Err.Raise") : zel::errorText(number);
            if (description.isEmpty())
                description = QStringLiteral("Error 0x%1").arg(number, 8, 16, QLatin1Char('0'));
            ZelError e(number, description);
            m_raisedSource = args.size() > 1 ? textOf(args[1], "Err.Raise") : QString();
            throw e;
        }
        default:
            return Value();
        }
    }

private:
    friend class HostObject;

    // ---- statements ---------------------------------------------------------------------
    // Counts one level of the running Subs and expressions for as long as it lives; beyond
    // MaxRunDepth the script stops before the stack runs out.
    class Level {
    public:
        explicit Level(Interpreter &in) : m_depth(in.m_runDepth)
        {
            if (m_depth >= MaxRunDepth) {
                throw ZelError(zel::E_OVERFLOW,
                               QStringLiteral("Out of stack space: Subs and expressions nest more than %1 levels deep").arg(MaxRunDepth));
            }
            if (quintptr(__builtin_frame_address(0)) < in.m_stackFloor) {
                throw ZelError(zel::E_OVERFLOW,
                               QStringLiteral("Out of stack space: Subs and expressions nest %1 levels deep, more than the stack holds").arg(m_depth));
            }
            ++m_depth;
        }
        ~Level() { --m_depth; }
        Level(const Level &) = delete;
        Level &operator=(const Level &) = delete;

    private:
        int &m_depth;
    };

    void callSub(qint32 index)
    {
        if (m_subDepth >= MaxSubDepth)
            throw ZelError(zel::E_OVERFLOW, QStringLiteral("Out of stack space: Subs call each other more than %1 deep").arg(MaxSubDepth));
        Level level(*this);
        const Sub &sub = m_p.subs[size_t(index)];
        Frame f;
        f.locals.resize(sub.localCount);
        struct Leave {
            int &depth;
            ~Leave() { --depth; }
        } leave{++m_subDepth};
        runBlock(sub, f);
        if (f.resumeNext)
            clearErr(); // leaving a procedure resets Err, as On Error does
    }

    void runBlock(const Sub &sub, Frame &f)
    {
        for (const Stmt &s : sub.body) {
            ++m_statements;
            checkStop(s);
            if (m_options.pumpIntervalMs >= 0 && m_pump.elapsed() >= m_options.pumpIntervalMs) {
                if (QCoreApplication::instance())
                    QCoreApplication::processEvents();
                m_pump.restart();
            }
            if (m_options.echo)
                m_options.echo(s.line, statementText(s));
            try {
                if (exec(s, f) == Flow::Exit)
                    return;
            } catch (const ScriptError &e) {
                // From a Sub this statement called: it keeps the place where it happened.
                if (!f.resumeNext)
                    throw;
                setErr(e, m_raisedSource);
            } catch (const ZelError &e) {
                if (!f.resumeNext)
                    throw ScriptError(e, m_p.file, s.line);
                setErr(e, m_raisedSource);
            } catch (const std::exception &e) {
                ZelError u(zel::E_UNEXPECTED, QStringLiteral("Unexpected failure: ") + QString::fromLocal8Bit(e.what()));
                if (!f.resumeNext)
                    throw ScriptError(u, m_p.file, s.line);
                setErr(u, QString());
            }
            m_raisedSource.clear();
        }
    }

    void checkStop(const Stmt &s) const
    {
        const bool interrupted = m_options.stopRequest && m_options.stopRequest->load(std::memory_order_relaxed);
        const bool late = !interrupted && m_options.timeLimitMs > 0 && m_clock.elapsed() >= m_options.timeLimitMs;
        if (!interrupted && !late)
            return;
        const QString why = interrupted ? QStringLiteral("Script was stopped: interrupted")
                                        : QStringLiteral("Script was stopped: its time limit of %1 s ran out")
                                              .arg(QString::number(double(m_options.timeLimitMs) / 1000.0));
        throw StopScript{ScriptError(ZelError(zel::E_SCRIPT_STOPPED, why), m_p.file, s.line)};
    }

    QString statementText(const Stmt &s) const
    {
        QString t = m_p.source.mid(s.srcBegin, s.srcLength);
        if (t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r'))) {
            // A statement continued over lines shows as one line.
            static const QRegularExpression breaks(QStringLiteral("[ \\t]*_?[ \\t]*\\r?\\n[ \\t]*|\\r"));
            t.replace(breaks, QStringLiteral(" "));
        }
        return t;
    }

    Flow exec(const Stmt &s, Frame &f)
    {
        switch (s.kind) {
        case StKind::Eval:
            evalStatement(s.expr, f);
            return Flow::Next;
        case StKind::Assign:
            store(s.expr, f, eval(s.value, f));
            return Flow::Next;
        case StKind::SetAssign: {
            Value v = eval(s.value, f);
            if (!v.isObject())
                throw typeMismatch(QStringLiteral("Set needs an object (or Nothing)"));
            store(s.expr, f, v);
            return Flow::Next;
        }
        case StKind::PropPut: {
            const Expr &x = m_p.exprs[size_t(s.expr)];
            Value value = eval(s.value, f);
            if (x.op != Op::Member)
                throw ZelError(zel::E_READ_ONLY, QStringLiteral("%1 cannot be written").arg(m_p.names.value(x.index)));
            zel::ObjectPtr obj = objectOf(eval(x.a, f), x);
            QList<Value> args;
            evalArgs(x, f, args);
            args.append(value);
            obj->invoke(m_p.names[x.index], CallKind::PropertyPut, args);
            return Flow::Next;
        }
        case StKind::OnErrorResume:
            f.resumeNext = true;
            clearErr();
            return Flow::Next;
        case StKind::OnErrorGoto0:
            f.resumeNext = false;
            clearErr();
            return Flow::Next;
        case StKind::ExitSub:
            return Flow::Exit;
        }
        return Flow::Next;
    }

    void evalStatement(qint32 e, Frame &f)
    {
        const Expr &x = m_p.exprs[size_t(e)];
        if (x.op == Op::Member)
            callMember(x, f, CallKind::Method);
        else
            eval(e, f);
    }

    void store(qint32 target, Frame &f, const Value &v)
    {
        const Expr &x = m_p.exprs[size_t(target)];
        switch (x.op) {
        case Op::Local:
            f.locals[x.index] = v;
            return;
        case Op::Global:
            m_globals[x.index] = v;
            return;
        case Op::Undefined:
            throw ZelError(zel::E_SCRIPT_UNDEFINED,
                           QStringLiteral("Variable is undefined: '%1' (Option Explicit asks for Dim)").arg(m_p.names.value(x.name)));
        default:
            throw ZelError(zel::E_READ_ONLY, QStringLiteral("this name cannot be assigned to"));
        }
    }

    // ---- expressions --------------------------------------------------------------------
    void clearErr()
    {
        m_errNumber = 0;
        m_errDescription.clear();
        m_errSource.clear();
    }

    void setErr(const ZelError &e, const QString &source)
    {
        ++m_resumed;
        m_errNumber = e.number();
        m_errDescription = e.description();
        m_errSource = source.isEmpty() ? QStringLiteral("zelscript") : source;
    }

    zel::ObjectPtr objectOf(const Value &v, const Expr &x) const
    {
        if (v.isObject()) {
            if (zel::ObjectPtr o = v.objectValue())
                return o;
            throw ZelError(zel::E_TYPE_MISMATCH, QStringLiteral("Object variable not set: %1 is Nothing").arg(nameOfOperand(x)));
        }
        throw ZelError(zel::E_TYPE_MISMATCH, QStringLiteral("Object required: %1 is %2")
                                                 .arg(nameOfOperand(x), v.isEmpty() ? QStringLiteral("Empty") : zel::typeName(v.type())));
    }

    // The text that names the operand of a member access, for messages: "'Value'" or "the value".
    QString nameOfOperand(const Expr &x) const
    {
        if (x.a >= 0) {
            const Expr &o = m_p.exprs[size_t(x.a)];
            const qint32 name = o.op == Op::Member ? o.index : o.name;
            if (name >= 0)
                return QLatin1Char('\'') + m_p.names.value(name) + QLatin1Char('\'');
        }
        return QStringLiteral("the value");
    }

    void evalArgs(const Expr &x, Frame &f, QList<Value> &out)
    {
        if (x.argCount == 0)
            return;
        out.reserve(x.argCount + 1);
        const qint32 *a = m_p.args.data() + x.argBegin;
        for (qint32 i = 0; i < x.argCount; ++i)
            out.append(eval(a[i], f));
    }

    Value callMember(const Expr &x, Frame &f, CallKind kind)
    {
        zel::ObjectPtr obj = objectOf(eval(x.a, f), x);
        QList<Value> args;
        evalArgs(x, f, args);
        const QString &name = m_p.names[x.index];
        if (args.isEmpty())
            return obj->invoke(name, kind, args);
        // zel.Controllers("RC1"): the collection property takes no arguments; they go to the
        // collection's default member. Which way a class goes is learnt once per call site.
        const zel::Object &object = *obj;
        const std::type_info *cls = &typeid(object);
        if (x.seenClass != cls) {
            // Learnt at another call site of this member and class?
            auto known = m_learnt.constFind(Learnt{cls, x.index});
            if (known != m_learnt.constEnd()) {
                x.seenClass = cls;
                x.viaDefault = known.value();
            }
        }
        if (x.seenClass == cls) {
            if (!x.viaDefault)
                return obj->invoke(name, kind, args);
            return applyTo(obj->invoke(name, CallKind::PropertyGet, {}), args, x);
        }
        try {
            Value r = obj->invoke(name, kind, args);
            x.seenClass = cls;
            x.viaDefault = false;
            m_learnt.insert(Learnt{cls, x.index}, false);
            return r;
        } catch (const ZelError &e) {
            if (e.unsignedNumber() != zel::E_ARG_COUNT)
                throw;
            Value inner;
            try {
                inner = obj->invoke(name, CallKind::PropertyGet, {});
            } catch (const ZelError &) {
                throw e;
            }
            if (!(inner.isObject() && inner.objectValue()) && !inner.isArray())
                throw e;
            x.seenClass = cls;
            x.viaDefault = true;
            m_learnt.insert(Learnt{cls, x.index}, true);
            return applyTo(inner, args, x);
        }
    }

    // value(args): the default member of an object, or an element of an array.
    Value applyTo(const Value &v, const QList<Value> &args, const Expr &x)
    {
        if (v.isObject())
            return objectOf(v, x)->invoke(QString(), CallKind::PropertyGet, args);
        if (v.isArray()) {
            if (args.size() != 1)
                throw ZelError(zel::E_ARG_COUNT, QStringLiteral("An array takes one index; %1 given").arg(args.size()));
            const zel::Array &arr = v.arrayValue();
            qint32 i = args[0].toInt32();
            if (i < arr.lowerBound || i > arr.upperBound())
                throw ZelError(zel::E_NOT_FOUND, QStringLiteral("Subscript out of range: %1 is outside %2 to %3")
                                                     .arg(i)
                                                     .arg(arr.lowerBound)
                                                     .arg(arr.upperBound()));
            return arr.items[i - arr.lowerBound];
        }
        throw typeMismatch(QStringLiteral("%1 is neither an object nor an array").arg(v.isEmpty() ? QStringLiteral("Empty") : zel::typeName(v.type())));
    }

    Value withArgs(const Value &v, const Expr &x, Frame &f)
    {
        if (x.argCount == 0 && !x.parens)
            return v;
        QList<Value> args;
        evalArgs(x, f, args);
        if (args.isEmpty() && !v.isObject())
            return v;
        return applyTo(v, args, x);
    }

    Value hostArgsCall(Op op, const Expr &x, Frame &f)
    {
        QList<Value> args;
        evalArgs(x, f, args);
        return hostCall(op, args);
    }

public:
    Value hostCall(Op op, const QList<Value> &args)
    {
        switch (op) {
        case Op::DbgOutput:
            output(args);
            return Value();
        case Op::DatToText:
            return toText(args);
        case Op::DatFromText:
            return fromText(args);
        default:
            return errMember(op, args);
        }
    }

private:
    Value eval(qint32 e, Frame &f)
    {
        Level level(*this);
        return evalNode(e, f);
    }

    Value evalNode(qint32 e, Frame &f)
    {
        const Expr &x = m_p.exprs[size_t(e)];
        switch (x.op) {
        case Op::Const:
            return m_p.consts[x.index];
        case Op::Local:
            return withArgs(f.locals[x.index], x, f);
        case Op::Global:
            return withArgs(m_globals[x.index], x, f);
        case Op::HostZel:
            return withArgs(m_workspace, x, f);
        case Op::HostDbg:
            return withArgs(m_dbg, x, f);
        case Op::HostDat:
            return withArgs(m_dat, x, f);
        case Op::HostErr:
            return withArgs(m_err, x, f);
        case Op::Name:
        case Op::Undefined:
            throw ZelError(zel::E_SCRIPT_UNDEFINED, QStringLiteral("Variable is undefined: '%1'").arg(m_p.names.value(x.name)));
        case Op::SubCall:
            callSub(x.index);
            return Value();
        case Op::Member:
            return callMember(x, f, CallKind::PropertyGet);
        case Op::Apply: {
            Value callee = eval(x.a, f);
            QList<Value> args;
            evalArgs(x, f, args);
            return applyTo(callee, args, x);
        }
        case Op::Concat:
        case Op::Add:
        case Op::Subtract:
        case Op::Multiply:
        case Op::Divide:
            return evalChain(e, f);
        case Op::Negate: {
            Value a = eval(x.a, f);
            if (a.isNull())
                return a;
            double d = -numberOf(a);
            if (a.isInteger() || a.isEmpty() || a.type() == zel::VT_BOOL)
                return integerResult(d, isSmallInteger(a) || a.isEmpty());
            return Value::fromR8(d);
        }
        case Op::DbgOutput:
        case Op::DatToText:
        case Op::DatFromText:
        case Op::ErrNumber:
        case Op::ErrDescription:
        case Op::ErrSource:
        case Op::ErrClear:
        case Op::ErrRaise:
            return hostArgsCall(x.op, x, f);
        }
        return Value();
    }

    // A chain of binary operators, a & b & c ..., is a tree that leans to the left, as deep as
    // the chain is long. It runs in a loop: down the left operands to the first, then upwards,
    // each right operand in turn, in the order and with the results of evaluating the tree.
    // Texts joined by & grow in one buffer.
    Value evalChain(qint32 top, Frame &f)
    {
        QVarLengthArray<qint32, 16> spine;
        qint32 e = top;
        while (isBinary(m_p.exprs[size_t(e)].op)) {
            spine.append(e);
            e = m_p.exprs[size_t(e)].a;
        }
        Value left = eval(e, f);
        QString text;      // the result so far, while it is the text of a & that is not Null
        bool joined = false;
        for (qsizetype i = spine.size() - 1; i >= 0; --i) {
            const Expr &x = m_p.exprs[size_t(spine[i])];
            Value right = eval(x.b, f);
            if (x.op == Op::Concat) {
                if (!joined) {
                    if (left.isNull() && right.isNull())
                        continue; // Null & Null is Null
                    text = left.isNull() ? QString() : textOf(left, "&");
                    joined = true;
                }
                if (!right.isNull())
                    append(text, textOf(right, "&"));
                continue;
            }
            if (joined) {
                left = Value::fromString(text);
                joined = false;
            }
            left = arithmetic(x.op, left, right);
        }
        return joined ? Value::fromString(text) : left;
    }

    static Value arithmetic(Op op, const Value &a, const Value &b)
    {
        if (a.isNull() || b.isNull())
            return Value::null();
        if (op == Op::Add && a.isString() && b.isString()) {
            QString text = a.stringValue();
            return Value::fromString(append(text, b.stringValue()));
        }
        const double x = numberOf(a);
        const double y = numberOf(b);
        const bool integers = (a.isInteger() || a.isEmpty() || a.type() == zel::VT_BOOL)
                              && (b.isInteger() || b.isEmpty() || b.type() == zel::VT_BOOL);
        const bool small = (isSmallInteger(a) || a.isEmpty()) && (isSmallInteger(b) || b.isEmpty());
        switch (op) {
        case Op::Add:
            return integers ? integerResult(x + y, small) : Value::fromR8(x + y);
        case Op::Subtract:
            return integers ? integerResult(x - y, small) : Value::fromR8(x - y);
        case Op::Multiply:
            return integers ? integerResult(x * y, small) : Value::fromR8(x * y);
        default:
            if (y == 0)
                throw ZelError(zel::E_INVALID_ARG, QStringLiteral("Division by zero"));
            return Value::fromR8(x / y);
        }
    }

    const Program &m_p;
    const RunOptions &m_options;
    Value m_workspace;
    Value m_dbg;
    Value m_dat;
    Value m_err;
    std::vector<Value> m_globals;
    qint32 m_errNumber = 0;
    QString m_errDescription;
    QString m_errSource;
    QString m_raisedSource;
    qint64 m_statements = 0;
    qint64 m_resumed = 0;
    int m_subDepth = 0; // Subs running
    int m_runDepth = 0; // Subs and expressions running (Level)
    quintptr m_stackFloor = 0;
    QElapsedTimer m_pump;
    QElapsedTimer m_clock; // since the start, for the time limit
    // Which way the arguments of a member go, per class and member name (see callMember).
    struct Learnt {
        const std::type_info *cls;
        qint32 member;
        friend bool operator==(const Learnt &a, const Learnt &b) { return a.cls == b.cls && a.member == b.member; }
        friend size_t qHash(const Learnt &k, size_t seed = 0) { return qHashMulti(seed, quintptr(k.cls), k.member); }
    };
    QHash<Learnt, bool> m_learnt;
};

QString HostObject::className() const
{
    switch (m_which) {
    case Op::HostDbg:
        return QStringLiteral("dbg");
    case Op::HostDat:
        return QStringLiteral("DAT");
    default:
        return QStringLiteral("Err");
    }
}

Value HostObject::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    const Op op = hostMemberOp(m_which, member);
    if (op == Op::Member)
        throw ZelError(zel::E_UNKNOWN_MEMBER, QStringLiteral("%1 has no property or method '%2'").arg(className(), member));
    if (kind == CallKind::PropertyPut)
        throw ZelError(zel::E_READ_ONLY, QStringLiteral("%1.%2 cannot be written").arg(className(), member));
    return m_in->hostCall(op, args);
}

} // namespace

RunResult run(const Program &program, const zel::ObjectPtr &workspace, const RunOptions &options)
{
    Interpreter in(program, workspace, options);
    return in.run();
}

QString readScriptFile(const QString &path)
{
    auto fail = [&path](const QString &why) {
        // The message names the file in front: "x.vbs: error 0x8004A402: Script file cannot be read: ...".
        return ScriptError(ZelError(zel::E_SCRIPT_FILE, QStringLiteral("Script file cannot be read: ") + why), path, 0);
    };
    QFileInfo info(path);
    if (!info.exists())
        throw fail(QStringLiteral("it does not exist"));
    if (info.isDir())
        throw fail(QStringLiteral("it is a folder"));
    if (info.isFile() && info.size() > MaxScriptFileSize)
        throw fail(QStringLiteral("it holds %1 bytes, more than the %2 a script may hold").arg(info.size()).arg(MaxScriptFileSize));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw fail(file.errorString());
    // Piece by piece: a pipe (zelscript <(...)) is read to its end, a device that never ends
    // (/dev/zero) stops at the limit or at its first NUL byte.
    QByteArray data;
    for (;;) {
        const QByteArray piece = file.read(1 << 20);
        if (file.error() != QFileDevice::NoError)
            throw fail(file.errorString());
        if (piece.isEmpty())
            break;
        if (const qsizetype nul = piece.indexOf('\0'); nul >= 0)
            throw fail(QStringLiteral("it is not a text file (byte %1 is 0)").arg(data.size() + nul));
        data += piece;
        if (data.size() > MaxScriptFileSize)
            throw fail(QStringLiteral("it holds more than the %1 bytes a script may hold").arg(MaxScriptFileSize));
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // hasError() tells malformed UTF-8 apart from text.
    QString text = decoder.decode(data);
    if (decoder.hasError())
        throw fail(QStringLiteral("it is not UTF-8 text"));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

} // namespace zelscript
