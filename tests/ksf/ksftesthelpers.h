// Helpers of the KSF mapper tests.
#pragma once

#include "ksf/ksfmapper.h"

#include <QStringList>
#include <optional>

// Runs f and returns the ZelError it threw, or nothing when it threw none.
template<typename F>
std::optional<zel::ZelError> errorOf(F &&f)
{
    try {
        f();
    } catch (const zel::ZelError &e) {
        return e;
    }
    return std::nullopt;
}

// A line-per-item listing of everything a document holds, in document order, so that two
// documents can be compared whole and a difference shows where it is.
inline void dumpEntry(QStringList &out, const ksf::Entry &entry, int depth)
{
    out << QStringLiteral("%1%2 [%3] key[%4] provider[%5] machine[%6] option[%7]")
               .arg(QString(depth * 2, QLatin1Char(' ')), ksf::kindWord(entry.kind()), entry.name(), entry.key(),
                    entry.providerName(), entry.machineName(), entry.option());
    for (const ksf::EntryPtr &member : entry.members())
        dumpEntry(out, *member, depth + 1);
}

inline void dumpSet(QStringList &out, const ksf::CapabilitySet &set)
{
    out << QStringLiteral("  set %1 [%2] key[%3]").arg(ksf::kindWord(set.kind()), set.entryName(), set.key());
    for (const QString &name : set.operationNames()) {
        const ksf::OperationPtr op = set.operation(name);
        out << QStringLiteral("    op [%1] [%2] [%3] [%4] [%5]")
                   .arg(op->name(), op->argumentDescription(1), op->argumentDescription(2),
                        op->argumentDescription(3), op->argumentDescription(4));
    }
}

inline QStringList dump(const ksf::Document &doc)
{
    QStringList out;
    for (const ksf::EntryPtr &controller : doc.controllers())
        dumpEntry(out, *controller, 0);
    for (const QString &key : doc.capabilityKeys()) {
        out << QStringLiteral("capabilities [%1]").arg(key);
        dumpSet(out, *doc.capabilitySet(key));
        for (const ksf::CapabilitySetPtr &set : doc.capabilitySets(key))
            dumpSet(out, *set);
    }
    return out;
}
