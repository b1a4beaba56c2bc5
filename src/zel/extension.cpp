#include "context.h"
#include "dispatch.h"
#include "members.h"
#include "options.h"
#include "provider.h"

namespace zel {

using namespace detail;

namespace {
enum ExtensionVariable { IoVar = 100, ExecutionsVar };

qint32 bitOf(const Value &parameter, const char *op, qint32 bits)
{
    qint32 bit = 0;
    try {
        bit = parameter.toInt32();
    } catch (const ZelError &e) {
        raise(e.unsignedNumber(), QStringLiteral("%1: the parameter is a bit number 0 to 31: %2").arg(QLatin1StringView(op), e.description()));
    }
    if (bit < 0 || bit >= bits)
        raise(E_OUT_OF_RANGE, QStringLiteral("%1: bit %2 does not exist; the board has bits 0 to %3").arg(QLatin1StringView(op)).arg(bit).arg(bits - 1));
    return bit;
}

quint32 maskOf(const Value &value, const char *op, qint32 bits)
{
    quint32 word = 0;
    bool whole = false;
    try {
        const double d = value.toDouble();
        if (d >= double(INT32_MIN) && d <= double(UINT32_MAX) && d == qint64(d)) {
            word = d < 0 ? quint32(qint32(d)) : quint32(d);
            whole = true;
        }
    } catch (const ZelError &e) {
        raise(e.unsignedNumber(), QStringLiteral("%1: the I/O word is a whole number: %2").arg(QLatin1StringView(op), e.description()));
    }
    if (!whole)
        raise(E_OUT_OF_RANGE, QStringLiteral("%1: the I/O word is a whole 32-bit number").arg(QLatin1StringView(op)));
    if (bits < 32 && (word >> bits) != 0)
        raise(E_OUT_OF_RANGE, QStringLiteral("%1: the I/O word 0x%2 has bits above bit %3, the board's last")
                                  .arg(QLatin1StringView(op), QString::number(word, 16).toUpper()).arg(bits - 1));
    return word;
}

// The 32 bits of a board held in memory (the extensions of Zel.Virtual).
class MemoryIo final : public IoBinding {
public:
    qint32 bitCount() const override { return 32; }
    quint32 read() override { return m_word; }
    void write(quint32 word) override { m_word = word; }
    void writeBit(qint32 bit, bool on) override { m_word = on ? m_word | (1u << bit) : m_word & ~(1u << bit); }
    QString help() const override { return QStringLiteral("a virtual I/O board of 32 bits"); }

private:
    quint32 m_word = 0;
};
} // namespace

static std::shared_ptr<IoBinding> memoryIo()
{
    return std::make_shared<MemoryIo>();
}

// SetBit and ClearBit return the word after the change.
struct ExtensionCommands {
    static Value setBits(ZelExtension &x, const Value &p, const char *op, bool on)
    {
        IoBinding &io = *x.m_io;
        io.writeBit(bitOf(p, op, io.bitCount()), on);
        return Value::fromI4(qint32(io.read()));
    }
    static Value setBit(ZelExtension &x, const Value &p) { return setBits(x, p, "SetBit", true); }
    static Value clearBit(ZelExtension &x, const Value &p) { return setBits(x, p, "ClearBit", false); }
    static Value getBit(ZelExtension &x, const Value &p) { return Value::fromBool(x.m_io->readBit(bitOf(p, "GetBit", x.m_io->bitCount()))); }
    static Value getIo(ZelExtension &x, const Value &) { return Value::fromI4(qint32(x.m_io->read())); }
    static Value setIo(ZelExtension &x, const Value &p)
    {
        x.m_io->write(maskOf(p, "SetIO", x.m_io->bitCount()));
        return Value::fromI4(qint32(x.m_io->read()));
    }
    static Value reset(ZelExtension &x, const Value &) { x.m_io->write(0); x.m_executions = 0; return Value(); }
};

ZelExtension::ZelExtension(std::shared_ptr<EngineContext> ctx, quint64 scope, QString name, std::shared_ptr<IoBinding> io)
    : VariableHolder(ctx, ObjectKind::Extension, scope, std::move(name)),
      m_io(io ? std::move(io) : memoryIo())
{
}

quint32 ZelExtension::io() const
{
    return m_io->read();
}

ZelExtension::~ZelExtension() = default;

Value ZelExtension::execute(const QString &command, const Value &parameter)
{
    guard("Execute");
    static const CommandTable<ZelExtension> commands{
        {"SetBit", &ExtensionCommands::setBit}, {"ClearBit", &ExtensionCommands::clearBit},
        {"GetBit", &ExtensionCommands::getBit}, {"GetIO", &ExtensionCommands::getIo},
        {"SetIO", &ExtensionCommands::setIo},   {"Reset", &ExtensionCommands::reset},
    };
    Value result = commands.run(*this, command, parameter);
    if (command.compare(QLatin1String("Reset"), Qt::CaseInsensitive) != 0)
        ++m_executions;
    return result;
}

QString ZelExtension::describe() const
{
    return QStringLiteral("Extension %1: I/O word 0x%2, %3 execution(s)")
        .arg(displayName(), QString::number(m_io->read(), 16).toUpper().rightJustified(8, QLatin1Char('0')))
        .arg(m_executions);
}

std::vector<VariableHost::SystemVariable> ZelExtension::hostVariables() const
{
    return {
        {"@IO", IoVar, true, "the 32 I/O bits as one word (I4); writable"},
        {"@Executions", ExecutionsVar, false, "the successful Execute calls of the extension (I4)"},
    };
}

Value ZelExtension::readHostVariable(int id)
{
    switch (id) {
    case IoVar: return Value::fromI4(qint32(m_io->read()));
    case ExecutionsVar: return Value::fromI4(m_executions);
    }
    return Value();
}

void ZelExtension::writeHostVariable(int id, const Value &value)
{
    if (id == IoVar)
        m_io->write(maskOf(value, "put_Value", m_io->bitCount()));
    else
        VariableHost::writeHostVariable(id, value);
}

qint32 ZelExtension::attributeValue() const
{
    return 0;
}

QString ZelExtension::helpText() const
{
    return QStringLiteral("Extension %1: %2 (Execute SetBit, ClearBit, GetBit, GetIO, SetIO, Reset)").arg(displayName(), m_io->help());
}

Value ZelExtension::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using X = ZelExtension;
    static const DispatchTable<X> table{holderMembers<X>()};
    return table.invoke(*this, member, kind, args);
}

ZelExtensions::ZelExtensions(std::shared_ptr<EngineContext> ctx, quint64 scope)
    : Collection<ZelExtension>(std::move(ctx), ObjectKind::Extensions, scope)
{
}

} // namespace zel
