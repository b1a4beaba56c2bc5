// The state of a workspace as text, for comparing two engines after the same calls (a session in
// ZelTester and the replay of its recorded script) and for `zelscript --state FILE`.
//
// The dump reads everything through late-bound calls, in collection order, one line per item:
//
//   Controllers.Count = 3,1
//   Controllers("RC1").Name = 8,RC1
//   Controllers("RC1").Describe = 8,Controller RC1 (Zel.Virtual on ''): events on, 0 queued ...
//   Controllers("RC1").Variables("V1").Value = 5,12.5
//   Controllers("RC1").Robots("Arm").Tag = !0x8004A006 Injected fault in get_Tag of ZelRobot Arm
//
// Each value is the converter's text (type number, comma, text), with backslashes and line
// breaks written as \\, \n and \r so that every property stays on its line; a read that fails
// shows "!", the error number and its description. Per controller: Name, Index, Attribute, Help, Tag, ID,
// Execute("Describe") and Execute("Faults"), the six names lists, then every member of its six
// collections. Every member: Name, Index, Attribute, Help, Tag, ID; variables their Value;
// robots, files, tasks and extensions their Describe and their own variables (files also Path,
// Type, Size, Value, FileNames and their files); tasks FileName and Status; commands Timeout,
// State, Parameters and Result. Commands are never executed.
//
// Left out because they depend on the clock: DateTime, Microsecond and the file dates, the
// value of the system variable @Clock, and the engine status. Reading is not free of effects:
// @Counter counts the read, file reads stamp DateLastAccessed, and Describe counts as an
// extension's execution; two engines in the same state still dump the same text.
#pragma once

#include "zel/object.h"

#include <QStringList>

namespace zelscript {

QStringList dumpState(const zel::ObjectPtr &workspace);

} // namespace zelscript
