#include "clsScriptGen.h"

#include "clsLogMsg.h"
#include "zel/converter.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QChar kTab = QLatin1Char('\t');
} // namespace

void clsScriptGen::RecStart()
{
    if (m_mode == Stopped)
        m_body.clear();
    m_mode = Recording;
}

void clsScriptGen::RecPause()
{
    m_mode = Paused;
}

void clsScriptGen::RecStop()
{
    m_mode = Stopped;
}

QString clsScriptGen::ZelScriptSrc() const
{
    return QLatin1String("Sub Main") + kCrLf + kCrLf + m_body + QLatin1String("End Sub") + kCrLf;
}

QString clsScriptGen::ScriptBlock(const QString &strCode, int lRetType, int lStyle, const QString &strArg)
{
    QString echoPrefix;
    QString statement;
    switch (lStyle) {
    case StylePut:
        echoPrefix = QStringLiteral("dbg.output \"[PUT]-");
        statement = strCode + QLatin1String(" = ") + strArg;
        break;
    case StyleGet:
        echoPrefix = QStringLiteral("dbg.output \"[GET]-");
        statement = strArg.isEmpty() ? strCode : strCode + QLatin1Char('(') + strArg + QLatin1Char(')');
        break;
    case StyleExecute:
        echoPrefix = QStringLiteral("dbg.output \"[EXE]-");
        statement = strCode + QLatin1Char('(') + strArg + QLatin1Char(')');
        break;
    default: return QString();
    }
    qsizetype cr = statement.indexOf(QLatin1Char('\r'));
    if (cr >= 0) {
        statement.truncate(cr);
        statement += QLatin1String("...");
    }

    QString prefix;
    QString suffix;
    switch (lRetType) {
    case RetNone:
    case RetObject:
        if (lStyle == StyleExecute)
            prefix = QStringLiteral("Call ");
        suffix = kCrLf + kTab + QLatin1String("dbg.output \"Succeeded.\"");
        break;
    case RetText:
        prefix = QStringLiteral("dbg.output \"Succeeded. (\"\"\" & ");
        suffix = QStringLiteral(" & \"\"\")\"");
        break;
    case RetValue:
        prefix = QStringLiteral("dbg.output \"Succeeded. (<\" & DAT.BstrFromVariant(");
        suffix = QStringLiteral(") & \">)\"");
        break;
    default:
        prefix = QStringLiteral("dbg.output \"Succeeded. (\" & ");
        suffix = QStringLiteral(" & \")\"");
        break;
    }
    if (strCode.toLower().endsWith(QLatin1String(".addcontroller")) && strArg.startsWith(QLatin1String("\"\",")))
        suffix += kCrLf + kTab + QLatin1String("dbg.output \"The controller name is not specified.\"") + kCrLf;

    QString echo = statement;
    echo.replace(QLatin1Char('"'), QLatin1Char('\''));
    return kTab + echoPrefix + echo + QLatin1Char('"') + kCrLf + kTab + prefix + statement + suffix + kCrLf + kCrLf;
}

bool clsScriptGen::WriteZelScript(const QString &strCode, int lRetType, int lStyle, const QString &strArg)
{
    if (m_mode != Recording)
        return false;
    if (lStyle != StylePut && lStyle != StyleGet && lStyle != StyleExecute)
        return false;
    m_body += ScriptBlock(strCode, lRetType, lStyle, strArg);
    return true;
}

QString clsScriptGen::Variant2Script(const zel::Value &vntVal)
{
    zel::Value v = vntVal;
    if (v.isArray())
        clsLogMsg::CutArray(v);
    // Inner quotes are doubled so that the literal stays one string when replayed.
    QString text = zel::BstrFromVariant(v, 0);
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1String("DAT.VariantFromBstr(\"") + text + QLatin1String("\")");
}
