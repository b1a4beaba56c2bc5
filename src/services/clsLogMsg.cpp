#include "clsLogMsg.h"

#include "zel/converter.h"

#include <ctime>
#include <limits>

using zel::Array;
using zel::Value;

// The local time of day to the second. Read through the C library, which loads the time zone
// once, rather than through QTime::currentTime(), which reloads it on every call.
static QTime localTime()
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    if (!localtime_r(&now, &tm))
        return QTime::currentTime();
    return QTime(tm.tm_hour, tm.tm_min, qMin(tm.tm_sec, 59));
}

clsLogMsg::clsLogMsg() = default;
clsLogMsg::~clsLogMsg() = default;

void clsLogMsg::OutputTextBox(LogOutput *output)
{
    m_output = output;
    if (m_ownOutput && m_ownOutput.get() != output)
        m_ownOutput.reset();
}

void clsLogMsg::OutputTextBox(std::unique_ptr<LogOutput> output)
{
    m_output = output.get();
    m_ownOutput = std::move(output);
}

void clsLogMsg::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void clsLogMsg::ShortenMessage(QString &strMsg)
{
    if (strMsg.size() > MaxMessageLength) {
        strMsg.truncate(MaxMessageLength);
        strMsg += QLatin1String("...");
    }
    qsizetype cr = strMsg.indexOf(QLatin1Char('\r'));
    if (cr >= 0) {
        strMsg.truncate(cr);
        strMsg += QLatin1String("...");
    }
}

QString clsLogMsg::WriteLogMsg(QString &strMsg)
{
    if (m_lineCount == std::numeric_limits<qint32>::max())
        throw zel::ZelError(zel::E_OVERFLOW,
                            QStringLiteral("Overflow: the log line counter passed %1").arg(m_lineCount));
    ShortenMessage(strMsg);
    ++m_lineCount;
    QTime now = m_clock ? m_clock() : localTime();
    QString line = QLatin1Char('[') + QString::number(m_lineCount) + QLatin1String("] ")
                   + now.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + strMsg + QLatin1String("\r\n");
    if (m_output)
        m_output->appendLogText(line);
    if (m_fileOutput)
        m_fileOutput->appendLogText(line);
    return line;
}

QString clsLogMsg::SingleLine(const QString &line)
{
    QString text = line;
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    // The message limits keep CR out of a line; a stray LF would otherwise split it.
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString clsLogMsg::WriteLogMsg(const QString &strMsg)
{
    QString msg = strMsg;
    return WriteLogMsg(msg);
}

QString clsLogMsg::FailureMessage(const zel::ZelError &err)
{
    return QLatin1String("Failed. (0x")
           + QStringLiteral("%1").arg(err.unsignedNumber(), 8, 16, QLatin1Char('0')).toUpper() + QLatin1String(": ")
           + err.description() + QLatin1Char(')');
}

QString clsLogMsg::WriteErrorLogMsg(const zel::ZelError &err)
{
    return WriteLogMsg(FailureMessage(err));
}

namespace {

constexpr qint32 kMaxLogIndex = 256; // arrays are cut to indices 0 to 256

Value defaultElement(quint16 type)
{
    switch (type) {
    case zel::VT_BOOL: return Value::fromBool(false);
    case zel::VT_I1: return Value::fromI1(0);
    case zel::VT_UI1: return Value::fromUI1(0);
    case zel::VT_I2: return Value::fromI2(0);
    case zel::VT_UI2: return Value::fromUI2(0);
    case zel::VT_I4: return Value::fromI4(0);
    case zel::VT_UI4: return Value::fromUI4(0);
    case zel::VT_R4: return Value::fromR4(0);
    case zel::VT_R8: return Value::fromR8(0);
    case zel::VT_CY: return Value::fromCurrency({});
    case zel::VT_DATE: return Value::fromDate({});
    case zel::VT_BSTR: return Value::fromString(QString());
    default: return Value();
    }
}

} // namespace

// An array with fewer than 257 elements (a high lower bound) is filled up with zero elements
// of its type (empty for an array of general values), as redimensioning it would.
bool clsLogMsg::CutArray(Value &v)
{
    if (!v.isArray())
        return false;
    const Array &a = v.arrayValue();
    if (a.upperBound() <= kMaxLogIndex)
        return false;
    Array cut;
    cut.elementType = a.elementType;
    cut.lowerBound = 0;
    cut.items = a.items.mid(0, kMaxLogIndex + 1);
    while (cut.items.size() < kMaxLogIndex + 1)
        cut.items.append(defaultElement(a.elementType));
    v = Value::fromArray(std::move(cut));
    return true;
}

QString clsLogMsg::Variant2Log(Value &vntVal)
{
    if (vntVal.isArray()) {
        CutArray(vntVal);
        const Array &a = vntVal.arrayValue();
        bool changed = false;
        Array copy;
        for (qsizetype i = 0; i < a.items.size(); ++i) {
            const Value &item = a.items[i];
            if (!item.isArray())
                continue;
            if (item.arrayValue().elementType == zel::VT_VARIANT) {
                QString text = QString::number(vntVal.type()) + QLatin1String(",???");
                if (changed)
                    vntVal = Value::fromArray(std::move(copy));
                return text;
            }
            if (item.arrayValue().upperBound() > kMaxLogIndex) {
                if (!changed) {
                    copy = a;
                    changed = true;
                }
                CutArray(copy.items[i]);
            }
        }
        if (changed)
            vntVal = Value::fromArray(std::move(copy));
    }
    return zel::BstrFromVariant(vntVal, 0);
}

QString clsLogMsg::LogText(const Value &vntVal)
{
    Value copy = vntVal;
    return Variant2Log(copy);
}
