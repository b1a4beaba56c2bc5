// The recorded session that tests share: a user's work through the real widgets that touches
// every recordable operation of every panel (the workspace, three controllers, variables, a robot,
// files, tasks, an extension, commands), clears every collection and deletes members of each kind.
// Every call succeeds; failures are reported through the running test.
#pragma once

#include "testsupport.h"

// Works a panel as a user does, page by page: "box=text" types (into a list too), "list=#n" chooses
// the n-th entry (value types: #0 EMPTY, #5 I4, #7 R8, #10 BSTR, #14 ARRAY | I4, #16 ARRAY | R8),
// "option=1" ticks; a bare name presses that button.
void act(QWidget *panel, const QStringList &steps);

// Works the session through on a fresh run. The caller checks QTest::currentTestFailed().
void recordSession(TestRun &run);
