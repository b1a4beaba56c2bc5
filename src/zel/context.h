// Engine-internal state shared by every object of one engine: live object counts, the armed
// faults and the start time. Objects hold it by shared pointer, so it outlives the engine object
// as long as any of its objects lives. Single-threaded, like the whole engine.
#pragma once

#include "engineobject.h"

#include <QList>
#include <array>
#include <chrono>

namespace zel {

// An armed fault: the next `remaining` calls of `operation` on a matching object fail.
struct FaultRule {
    quint64 scope = 0;     // 0: any object of the engine; else the objects of one controller
    QString object;        // Name or class name of the object, "*" for any
    QString operation;     // "get_Value", "Move", a bare property name for get and put, "*" for any
    qint32 remaining = 1;  // -1: until cleared
    quint32 number = E_INJECTED;
    QString description;   // empty: a description naming the object and operation
};

class EngineContext {
public:
    EngineContext();

    std::array<qint32, kObjectKindCount> counts{};
    int armedFaults = 0; // == faults.size(); the one number the guard tests
    QList<FaultRule> faults;
    qint64 startUnixMs = 0;
    quint64 nextScope = 1;

    void addFault(const FaultRule &fault);
    // Removes the faults of a scope (0: every fault of the engine); returns how many.
    int clearFaults(quint64 scope);
    QStringList faultTexts(quint64 scope) const;
    void checkFault(const EngineObject &object, const char *operation);
};

// Reads the parameter of the InjectFault command: "Object=V1,Operation=put_Value,Count=2,
// Number=0x80040001,Description=...". Operation is required.
FaultRule parseFault(const Value &parameter, quint64 scope, const QString &where);

// Clock helpers. Engine dates are automation dates in local time (zel::Date).
qint64 nowMicros(); // microseconds since 1970-01-01 UTC
Date dateFromUnixMs(qint64 unixMs);
inline Date dateFromMicros(qint64 us) { return dateFromUnixMs(us >= 0 ? us / 1000 : -((-us + 999) / 1000)); }
inline Date currentDate() { return dateFromMicros(nowMicros()); }

} // namespace zel
