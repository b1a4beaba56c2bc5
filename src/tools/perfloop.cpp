#include "perfloop.h"

#include "services/platform.h"
#include "zel/converter.h"
#include "zel/errors.h"
#include "zel/object.h"

#include <QCoreApplication>

using zel::CallKind;
using zel::Value;

namespace {

// The variable of the run; a run without one fails each step.
zel::Object *present(zel::Object *variable)
{
    if (!variable)
        throw zel::ZelError(zel::E_UNEXPECTED, QStringLiteral("No variable"));
    return variable;
}

} // namespace

// Everything that does not change during the run is worked out before it; an iteration does
// the engine calls, the optional debugger output and comparison, and one pass of the event pump.
int PerfLoop::run(const Plan &plan, zel::Object *variable, const Value &writeValue, TickCount tick, quint32 startTick)
{
    const Pattern pattern = plan.pattern;
    const bool doWrite = plan.write;
    const bool doRead = plan.read;
    const bool compare = plan.compare;
    const bool ignore = plan.ignoreErrors;
    const bool debug = plan.debugOutput;
    const quint32 limit = plan.limitMs;
    const quint64 count = plan.count;

    const QString member = QStringLiteral("Value");
    const QList<Value> putArgs{writeValue};
    const QList<Value> noArgs;
    Value readValue;
    int result = StepNone;
    int step = StepNone;
    quint64 iterations = 0;
    // Runs a step's call; a failure is the run's result, and ends the run unless errors are ignored.
    auto attempt = [&](auto &&call) {
        try {
            call();
            return true;
        } catch (...) {
            result = step;
            return ignore;
        }
    };

    for (;;) {
        if (pattern == PatternTime) {
            if (platform::tickDifference(startTick, tick()) >= limit)
                break;
        } else if (pattern == PatternCount) {
            if (iterations >= count)
                break;
        }
        if (m_stopRequest)
            break;
        ++iterations;

        if (doWrite) {
            step = StepWrite;
            if (!attempt([&] { present(variable)->invoke(member, CallKind::PropertyPut, putArgs); }))
                break;
        }
        if (doRead) {
            step = StepRead;
            if (!attempt([&] { readValue = present(variable)->invoke(member, CallKind::PropertyGet, noArgs); }))
                break;
            if (debug && !attempt([&] { platform::debugOutput(zel::BstrFromVariant(readValue, 0)); }))
                break;
        }
        if (compare) {
            step = StepCompare;
            bool same = false;
            try {
                same = writeValue == readValue;
            } catch (...) {
                same = false;
            }
            if (!same) {
                result = step;
                break;
            }
        }
        QCoreApplication::processEvents();
    }
    m_iterations = iterations;
    return result;
}
