// Pose texts and the kinematics of the virtual robot, a cylindrical arm: axis 1 turns the arm
// about the vertical axis (degrees), axis 2 sets the reach (mm from the axis), axis 3 the height
// (mm), axes 4 to 6 turn the wrist about x, y and z (degrees).
#pragma once

#include "value.h"

#include <array>
#include <optional>

namespace zel::detail {

using Six = std::array<double, 6>;

struct Target {
    enum Kind { Position, Joints } kind = Position; // "P(...)" or "J(...)"
    Six values{};
};

struct AxisLimit {
    double min;
    double max;
    const char *unit;
};
extern const AxisLimit kAxisLimits[6];
extern const Six kHomeJoints;

// Parses "P(x, y, z, rx, ry, rz)" or "J(j1, ..., j6)" (letter case and blanks free). A value may
// also be an array of six numbers, read as a position. Throws E_BAD_POSE naming `what` and `op`.
Target parseTarget(const Value &value, const char *what, const char *op);
Target parseTargetText(const QString &text, const char *what, const char *op);
// Splits "P(...), P(...)" or an array of texts into targets (circular moves take two).
QList<Target> parseTargets(const Value &value, const char *what, const char *op);
// A centre point "P(x, y, z)" or a full position; empty text or value gives nullopt.
std::optional<std::array<double, 3>> parsePoint(const Value &value, const char *what, const char *op);

QString formatTarget(const Six &values, Target::Kind kind);

Six forward(const Six &joints); // joints to position
// Position to joints; throws E_OUT_OF_REACH with a description naming `op` and the position.
Six inverse(const Six &position, const char *op);
// Throws E_OUT_OF_RANGE when an axis is outside its limits.
void checkLimits(const Six &joints, const char *op);

} // namespace zel::detail
