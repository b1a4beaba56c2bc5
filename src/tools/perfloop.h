// The performance check's measured loop, apart from its window: writes and reads one variable's
// Value for a time, a number of times or until stopped, optionally comparing what was written
// with what was read. The window (frmPerfChk) reads its fields into a Plan and shows the result;
// a test or a benchmark can run the loop on its own.
#pragma once

#include "zel/value.h"

namespace zel {
class Object;
}

class PerfLoop {
public:
    // Check patterns (the window's option buttons) and the step codes of one iteration, which
    // are also the result codes of a run (StepNone: nothing failed).
    enum Pattern { PatternTime = 0, PatternCount = 1, PatternInfinite = 2 };
    enum Step { StepNone = 0, StepWrite = 1, StepRead = 2, StepCompare = 3 };
    using TickCount = quint32 (*)();

    struct Plan {
        Pattern pattern = PatternCount;
        quint32 limitMs = 0;       // PatternTime: milliseconds from the start tick
        quint64 count = 0;         // PatternCount: iterations
        bool write = false;        // put Value each iteration
        bool read = true;          // get Value each iteration
        bool compare = false;      // the value read must equal the value written
        bool ignoreErrors = false; // a failed write or read does not end the run
        bool debugOutput = false;  // each value read goes to the debugger output
    };

    // Runs the plan on the variable (none: every write and read fails) from startTick, reading
    // the clock through tick. Each iteration ends with one pass of the event pump, which is how a
    // stop request from the window is seen. Returns the result code.
    int run(const Plan &plan, zel::Object *variable, const zel::Value &writeValue, TickCount tick, quint32 startTick);

    // Seen at the top of each iteration; a run clears nothing, so a request made before it
    // starts ends it at once.
    void requestStop() { m_stopRequest = true; }
    void clearStop() { m_stopRequest = false; }
    bool stopRequested() const { return m_stopRequest; }
    // Iterations the last run completed (an iteration counts once it has begun).
    quint64 iterations() const { return m_iterations; }

private:
    bool m_stopRequest = false;
    quint64 m_iterations = 0;
};
