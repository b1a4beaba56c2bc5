// Operating-system services the program needs, in their Linux form.
#pragma once

#include <QString>

namespace platform {

// Millisecond tick counter of the monotonic clock; wraps at 2^32 like a 32-bit counter.
quint32 tickCount();
// Elapsed milliseconds between two tick counts, correct across one wrap of the counter.
constexpr quint32 tickDifference(quint32 start, quint32 end)
{
    return end - start;
}

// Raises or restores the process's scheduling priority; failures (no rights) are ignored.
void setHighPriority(bool high);
// Current nice value of the process (for tests and diagnostics).
int currentNice();

// One line of debugger output (standard error), narrow characters.
void debugOutput(const QString &text);

// Opens a document with the desktop's default program. False when no process could be started.
bool openDocument(const QString &path);

} // namespace platform
