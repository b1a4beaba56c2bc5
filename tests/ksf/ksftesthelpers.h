// Helpers of the KSF mapper tests.
#pragma once

#include "ksf/ksfmapper.h"

#include <QStringList>
#include <optional>

using namespace Qt::StringLiterals;

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

inline QString code(quint32 number)
{
    return u"0x%1"_s.arg(number, 8, 16, QLatin1Char('0'));
}

// The error f throws as "0x8004a5xx: description", or "no error".
template<typename F>
QString failure(F &&f)
{
    const auto e = errorOf(std::forward<F>(f));
    return e ? code(e->unsignedNumber()) + u": "_s + e->description() : u"no error"_s;
}

// f throws the error of that number, with a description that begins with the text.
#define EXPECT_FAILURE(f, number, begins)                                                          \
    do {                                                                                           \
        const QString d_ = failure(f);                                                             \
        QVERIFY2(d_.startsWith(code(number) + u": "_s + (begins)), qPrintable(d_));                \
    } while (0)

// A line-per-item listing of everything a document holds, in document order, so that two
// documents can be compared whole and a difference shows where it is.
inline void dumpEntry(QStringList &out, const ksf::Entry &entry, int depth)
{
    out << u"%1%2 [%3] key[%4] provider[%5] machine[%6] option[%7]"_s
               .arg(QString(depth * 2, QLatin1Char(' ')), ksf::kindWord(entry.kind()), entry.name(), entry.key(),
                    entry.providerName(), entry.machineName(), entry.option());
    for (const ksf::EntryPtr &member : entry.members())
        dumpEntry(out, *member, depth + 1);
}

inline void dumpSet(QStringList &out, const ksf::CapabilitySet &set)
{
    out << u"  set %1 [%2] key[%3]"_s.arg(ksf::kindWord(set.kind()), set.entryName(), set.key());
    for (const QString &name : set.operationNames()) {
        const ksf::OperationPtr op = set.operation(name);
        out << u"    op [%1] [%2] [%3] [%4] [%5]"_s .arg(op->name(), op->argumentDescription(1), op->argumentDescription(2),
                        op->argumentDescription(3), op->argumentDescription(4));
    }
}

inline QStringList dump(const ksf::Document &doc)
{
    QStringList out;
    for (const ksf::EntryPtr &controller : doc.controllers())
        dumpEntry(out, *controller, 0);
    for (const QString &key : doc.capabilityKeys()) {
        out << u"capabilities [%1]"_s.arg(key);
        dumpSet(out, *doc.capabilitySet(key));
        for (const ksf::CapabilitySetPtr &set : doc.capabilitySets(key))
            dumpSet(out, *set);
    }
    return out;
}
