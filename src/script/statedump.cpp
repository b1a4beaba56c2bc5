#include "statedump.h"

#include "zel/converter.h"
#include "zel/errors.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace zelscript {

using zel::CallKind;
using zel::Value;
using zel::ZelError;

namespace {

enum class Kind { Controller, Variable, Robot, File, Task, Extension, Command };

// What the dump shows of an object of a kind after the properties every kind has, in this order:
// further properties, the answers of Execute commands, names lists, then its collections.
struct KindDump {
    Kind kind;
    std::vector<const char *> reads;
    std::vector<const char *> commands;
    std::vector<const char *> names;
    std::vector<std::pair<const char *, Kind>> collections;
};

const KindDump &kindDump(Kind kind)
{
    static const KindDump dumps[] = {
        {Kind::Controller,
         {},
         {"Describe", "Faults"},
         {"VariableNames", "RobotNames", "FileNames", "TaskNames", "ExtensionNames", "CommandNames"},
         {{"Variables", Kind::Variable},
          {"Robots", Kind::Robot},
          {"Files", Kind::File},
          {"Tasks", Kind::Task},
          {"Extensions", Kind::Extension},
          {"Commands", Kind::Command}}},
        {Kind::Robot, {}, {"Describe", "Hands"}, {"VariableNames"}, {{"Variables", Kind::Variable}}},
        {Kind::File,
         {"Path", "Type", "Size", "Value"},
         {"Describe"},
         {"FileNames", "VariableNames"},
         {{"Variables", Kind::Variable}, {"Files", Kind::File}}},
        {Kind::Task, {"FileName"}, {"Describe", "Status"}, {"VariableNames"}, {{"Variables", Kind::Variable}}},
        {Kind::Extension, {}, {"Describe"}, {"VariableNames"}, {{"Variables", Kind::Variable}}},
        {Kind::Command, {"Timeout", "State", "Parameters", "Result"}, {}, {}, {}},
    };
    return *std::find_if(std::begin(dumps), std::end(dumps), [kind](const KindDump &d) { return d.kind == kind; });
}

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
        if (kind == Kind::Variable) {
            // The clock's value changes with every read, so two dumps would never agree.
            QString name;
            try {
                name = o->invoke(QStringLiteral("Name"), CallKind::PropertyGet, {}).toPlainText();
            } catch (const ZelError &) {
            }
            if (name.compare(QLatin1String("@Clock"), Qt::CaseInsensitive) != 0)
                read(o, path, "Value", "Value");
            return;
        }
        const KindDump &dump = kindDump(kind);
        for (const char *p : dump.reads)
            read(o, path, p, p);
        for (const char *command : dump.commands)
            execute(o, path, command);
        for (const char *n : dump.names)
            names(o, path, n);
        for (const auto &[member, itemKind] : dump.collections)
            collection(object(o, member), path + QLatin1Char('.') + QLatin1String(member), itemKind);
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
