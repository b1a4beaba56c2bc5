// Base of every engine object: late-bound calls by member name, identity, lifetime.
#pragma once

#include "value.h"

#include <QObject>
#include <memory>

namespace zel {

enum class CallKind {
    PropertyGet, // obj.Member or obj.Member(args)
    PropertyPut, // obj.Member(args) = value; the value is the last argument
    Method,      // obj.Member(args)
};

class Object : public QObject, public std::enable_shared_from_this<Object> {
    Q_OBJECT
public:
    ~Object() override;

    // Class name as scripts and the status monitor know it ("ZelVariable", "ZelVariables").
    virtual QString className() const = 0;

    // Late-bound call. Member names compare without regard to letter case; the empty name is
    // the default member (Item on collections). Throws ZelError on any failure:
    // E_UNKNOWN_MEMBER for a name the object lacks, E_ARG_COUNT, E_TYPE_MISMATCH and so on.
    virtual Value invoke(const QString &member, CallKind kind, const QList<Value> &args) = 0;

    // Stable text per live object (its address), used for the object tree's use counts.
    QString identity() const { return QString::number(reinterpret_cast<quintptr>(this)); }

    ObjectPtr self() { return shared_from_this(); }

protected:
    Object() = default;
};

} // namespace zel
