#include "statedump.h"

#include "zel/converter.h"
#include "zel/errors.h"

namespace zelscript {

using zel::CallKind;
using zel::Value;
using zel::ZelError;

namespace {

enum class Kind { Controller, Variable, Robot, File, Task, Extension, Command };

class Dumper {
public:
    QStringList lines;

    void workspace(const zel::ObjectPtr &ws)
    {
        zel::ObjectPtr controllers = object(ws, "Controllers");
        collection(controllers, QStringLiteral("Controllers"), Kind::Controller);
    }

private:
    // One line per property: backslashes and line breaks in values are escaped (\\, \n, \r).
    static QString oneLine(QString t)
    {
        if (t.contains(QLatin1Char('\\')) || t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r'))) {
            t.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
            t.replace(QLatin1Char('\n'), QLatin1String("\\n"));
            t.replace(QLatin1Char('\r'), QLatin1String("\\r"));
        }
        return t;
    }

    static QString text(const Value &v)
    {
        if (v.isObject()) {
            zel::ObjectPtr o = v.objectValue();
            return QStringLiteral("9,<") + (o ? o->className() : QStringLiteral("Nothing")) + QLatin1Char('>');
        }
        try {
            return oneLine(zel::BstrFromVariant(v, 0));
        } catch (const ZelError &e) {
            return QStringLiteral("?") + oneLine(e.description());
        }
    }

    static QString failure(const ZelError &e)
    {
        return QStringLiteral("!0x") + QString::number(e.unsignedNumber(), 16).toUpper().rightJustified(8, QLatin1Char('0'))
               + QLatin1Char(' ') + oneLine(e.description());
    }

    static zel::ObjectPtr object(const zel::ObjectPtr &o, const char *member)
    {
        try {
            Value v = o->invoke(QLatin1String(member), CallKind::PropertyGet, {});
            return v.isObject() ? v.objectValue() : nullptr;
        } catch (const ZelError &) {
            return nullptr;
        }
    }

    // One line: path.label = value, or the failure.
    void read(const zel::ObjectPtr &o, const QString &path, const char *label, const char *member, CallKind kind = CallKind::PropertyGet,
              const QList<Value> &args = {})
    {
        QString line = path + QLatin1Char('.') + QLatin1String(label) + QStringLiteral(" = ");
        try {
            line += text(o->invoke(QLatin1String(member), kind, args));
        } catch (const ZelError &e) {
            line += failure(e);
        }
        lines << line;
    }

    void execute(const zel::ObjectPtr &o, const QString &path, const char *command)
    {
        read(o, path, command, "Execute", CallKind::Method, {Value::fromString(QLatin1String(command)), Value()});
    }

    void names(const zel::ObjectPtr &o, const QString &path, const char *member)
    {
        read(o, path, member, member, CallKind::PropertyGet, {Value::fromString(QString())});
    }

    void collection(const zel::ObjectPtr &coll, const QString &path, Kind kind)
    {
        if (!coll) {
            lines << path + QStringLiteral(" = (none)");
            return;
        }
        qint32 count = 0;
        try {
            Value c = coll->invoke(QStringLiteral("Count"), CallKind::PropertyGet, {});
            lines << path + QStringLiteral(".Count = ") + text(c);
            count = c.toInt32();
        } catch (const ZelError &e) {
            lines << path + QStringLiteral(".Count = ") + failure(e);
            return;
        }
        for (qint32 i = 0; i < count; ++i) {
            zel::ObjectPtr item;
            QString itemPath;
            try {
                Value v = coll->invoke(QStringLiteral("Item"), CallKind::PropertyGet, {Value::fromI4(i)});
                item = v.isObject() ? v.objectValue() : nullptr;
                QString name = item ? item->invoke(QStringLiteral("Name"), CallKind::PropertyGet, {}).toPlainText() : QString();
                itemPath = path + QStringLiteral("(\"") + name + QStringLiteral("\")");
            } catch (const ZelError &e) {
                lines << path + QStringLiteral("(") + QString::number(i) + QStringLiteral(") = ") + failure(e);
                continue;
            }
            if (item)
                member(item, itemPath, kind);
        }
    }

    void member(const zel::ObjectPtr &o, const QString &path, Kind kind)
    {
        for (const char *p : {"Name", "Index", "Attribute", "Help", "Tag", "ID"})
            read(o, path, p, p);
        switch (kind) {
        case Kind::Controller:
            execute(o, path, "Describe");
            execute(o, path, "Faults");
            for (const char *n : {"VariableNames", "RobotNames", "FileNames", "TaskNames", "ExtensionNames", "CommandNames"})
                names(o, path, n);
            collection(object(o, "Variables"), path + QStringLiteral(".Variables"), Kind::Variable);
            collection(object(o, "Robots"), path + QStringLiteral(".Robots"), Kind::Robot);
            collection(object(o, "Files"), path + QStringLiteral(".Files"), Kind::File);
            collection(object(o, "Tasks"), path + QStringLiteral(".Tasks"), Kind::Task);
            collection(object(o, "Extensions"), path + QStringLiteral(".Extensions"), Kind::Extension);
            collection(object(o, "Commands"), path + QStringLiteral(".Commands"), Kind::Command);
            break;
        case Kind::Variable: {
            QString name;
            try {
                name = o->invoke(QStringLiteral("Name"), CallKind::PropertyGet, {}).toPlainText();
            } catch (const ZelError &) {
            }
            if (name.compare(QLatin1String("@Clock"), Qt::CaseInsensitive) != 0)
                read(o, path, "Value", "Value");
            break;
        }
        case Kind::Robot:
            execute(o, path, "Describe");
            execute(o, path, "Hands");
            ownVariables(o, path);
            break;
        case Kind::File:
            for (const char *p : {"Path", "Type", "Size", "Value"})
                read(o, path, p, p);
            execute(o, path, "Describe");
            names(o, path, "FileNames");
            ownVariables(o, path);
            collection(object(o, "Files"), path + QStringLiteral(".Files"), Kind::File);
            break;
        case Kind::Task:
            read(o, path, "FileName", "FileName");
            execute(o, path, "Describe");
            execute(o, path, "Status");
            ownVariables(o, path);
            break;
        case Kind::Extension:
            execute(o, path, "Describe");
            ownVariables(o, path);
            break;
        case Kind::Command:
            for (const char *p : {"Timeout", "State", "Parameters", "Result"})
                read(o, path, p, p);
            break;
        }
    }

    void ownVariables(const zel::ObjectPtr &o, const QString &path)
    {
        names(o, path, "VariableNames");
        collection(object(o, "Variables"), path + QStringLiteral(".Variables"), Kind::Variable);
    }
};

} // namespace

QStringList dumpState(const zel::ObjectPtr &workspace)
{
    Dumper d;
    if (workspace)
        d.workspace(workspace);
    return d.lines;
}

} // namespace zelscript
