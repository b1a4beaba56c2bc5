#include "context.h"
#include "dispatch.h"
#include "members.h"
#include "options.h"
#include "robotmath.h"

#include <cmath>

namespace zel {

using namespace detail;

namespace {
enum RobotVariable {
    CurrentPosition = 100,
    CurrentAngle,
    StateVar,
    HandVar,
    ChuckedVar,
    SpeedVar,
    AccelVar,
    DecelVar,
    LastMotion,
};

const char *const kHands[] = {"Hand1", "Hand2", "Vacuum"};
constexpr int kSamples = 64;
constexpr double kPi = 3.14159265358979323846;

QString handList()
{
    QStringList names;
    for (const char *h : kHands)
        names << QLatin1StringView(h);
    return names.join(QLatin1String(", "));
}

Value realArray(const std::array<double, ZelRobot::kAxes> &values)
{
    Array a;
    a.elementType = VT_R4;
    for (double v : values)
        a.items.append(Value::fromR4(float(v)));
    return Value::fromArray(std::move(a));
}

void checkAxis(qint32 axis, bool allowAll, const char *op)
{
    if (axis >= (allowAll ? 0 : 1) && axis <= ZelRobot::kAxes)
        return;
    raise(E_UNKNOWN_AXIS, QStringLiteral("%1: axis %2 does not exist; the robot has axes 1 to 6%3")
                              .arg(QLatin1StringView(op))
                              .arg(axis)
                              .arg(allowAll ? QStringLiteral(" (0 for all axes)") : QString()));
}

void checkPercent(double value, const char *what, const char *op)
{
    if (std::isfinite(value) && value > 0.0 && value <= 100.0)
        return;
    raise(E_OUT_OF_RANGE, QStringLiteral("%1: %2 %3 is out of range; it is a percentage above 0 up to 100")
                              .arg(QLatin1StringView(op), QLatin1StringView(what), numberText(value)));
}

// Checks that every sampled position of a path is reachable; the description names the path.
void checkPath(const QList<Six> &samples, const QString &pathText, const char *op)
{
    for (const Six &p : samples) {
        try {
            inverse(p, op);
        } catch (const ZelError &e) {
            raise(e.unsignedNumber(), QStringLiteral("%1: the %2 leaves the working range at %3 (%4)")
                                          .arg(QLatin1StringView(op), pathText, formatTarget(p, Target::Position), e.description()));
        }
    }
}

Six lerp(const Six &a, const Six &b, double t)
{
    Six r;
    for (int i = 0; i < 6; ++i)
        r[i] = a[i] + (b[i] - a[i]) * t;
    return r;
}

using Vec = std::array<double, 3>;
Vec sub(const Vec &a, const Vec &b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec cross(const Vec &a, const Vec &b) { return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}; }
double dot(const Vec &a, const Vec &b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec scale(const Vec &a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
Vec add(const Vec &a, const Vec &b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec xyz(const Six &p) { return {p[0], p[1], p[2]}; }
} // namespace

ZelRobot::ZelRobot(std::shared_ptr<EngineContext> ctx, quint64 scope, QString name)
    : VariableHolder(ctx, ObjectKind::Robot, scope, std::move(name)), m_joints(kHomeJoints), m_hand(QLatin1StringView(kHands[0]))
{
    m_speed.fill(50.0);
    m_accel.fill(100.0);
    m_decel.fill(100.0);
}

ZelRobot::~ZelRobot() = default;

QString ZelRobot::positionText() const
{
    return formatTarget(forward(m_joints), Target::Position);
}

QString ZelRobot::jointText() const
{
    return formatTarget(m_joints, Target::Joints);
}

QString ZelRobot::stateText() const
{
    if (m_halted)
        return QStringLiteral("Halted");
    if (m_held)
        return QStringLiteral("Held");
    return QStringLiteral("Ready");
}

QString ZelRobot::describe() const
{
    return QStringLiteral("Robot %1: %2, %3, hand %4 %5, %6")
        .arg(displayName(), positionText(), jointText(), m_hand,
             m_chucked ? QStringLiteral("(chucked)") : QStringLiteral("(open)"), stateText().toLower());
}

void ZelRobot::reset()
{
    m_halted = false;
}

void ZelRobot::checkCanMove(const char *op) const
{
    if (m_halted)
        raise(E_ROBOT_HALTED, QStringLiteral("%1: robot %2 is halted; Execute \"Reset\" clears the halt").arg(QLatin1StringView(op), displayName()));
    if (m_held)
        raise(E_ROBOT_HELD, QStringLiteral("%1: robot %2 is held; call Unhold first").arg(QLatin1StringView(op), displayName()));
}

void ZelRobot::setJoints(const Joints &joints, const QString &motion)
{
    m_joints = joints;
    m_lastMotion = motion;
}

void ZelRobot::accelerate(qint32 axis, double accel, double decel)
{
    guard("Accelerate");
    checkAxis(axis, true, "Accelerate");
    checkPercent(accel, "acceleration", "Accelerate");
    checkPercent(decel, "deceleration", "Accelerate");
    for (int i = 0; i < kAxes; ++i) {
        if (axis == 0 || axis == i + 1) {
            m_accel[i] = accel;
            m_decel[i] = decel;
        }
    }
}

void ZelRobot::speed(qint32 axis, double speed)
{
    guard("Speed");
    checkAxis(axis, true, "Speed");
    checkPercent(speed, "speed", "Speed");
    for (int i = 0; i < kAxes; ++i) {
        if (axis == 0 || axis == i + 1)
            m_speed[i] = speed;
    }
}

void ZelRobot::change(const QString &hand)
{
    guard("Change");
    const char *found = nullptr;
    for (const char *h : kHands) {
        if (hand.trimmed().compare(QLatin1StringView(h), Qt::CaseInsensitive) == 0)
            found = h;
    }
    if (!found) {
        if (hand.trimmed().isEmpty())
            raise(E_NO_HAND, QStringLiteral("Change: no hand named; the robot has hands %1").arg(handList()));
        raise(E_NO_HAND, QStringLiteral("Change: hand '%1' does not exist; the robot has hands %2").arg(hand, handList()));
    }
    if (m_chucked && m_hand.compare(QLatin1StringView(found)) != 0)
        raise(E_HAND_BUSY, QStringLiteral("Change: hand %1 holds a workpiece; Unchuck before changing hands").arg(m_hand));
    m_hand = QLatin1StringView(found);
}

void ZelRobot::setFlag(bool ZelRobot::*flag, bool on, const char *operation, const QString &option)
{
    guard(operation);
    Options(option, QString::fromLatin1(operation));
    this->*flag = on;
}

void ZelRobot::chuck(const QString &option)
{
    setFlag(&ZelRobot::m_chucked, true, "Chuck", option);
}

void ZelRobot::unchuck(const QString &option)
{
    setFlag(&ZelRobot::m_chucked, false, "Unchuck", option);
}

void ZelRobot::drive(qint32 axis, double move, const QString &option)
{
    guard("Drive");
    checkAxis(axis, false, "Drive");
    Options o(option, QStringLiteral("Drive"));
    const bool absolute = o.boolean("Absolute", false);
    if (!std::isfinite(move))
        raise(E_OUT_OF_RANGE, QStringLiteral("Drive: the movement is not a finite number"));
    checkCanMove("Drive");
    Joints target = m_joints;
    target[axis - 1] = absolute ? move : target[axis - 1] + move;
    checkLimits(target, "Drive");
    setJoints(target, QStringLiteral("Drive axis %1 to %2").arg(axis).arg(numberText(target[axis - 1])));
}

void ZelRobot::move(qint32 interpolation, const Value &pose, const QString &option)
{
    guard("Move");
    if (interpolation < 1 || interpolation > 3)
        raise(E_BAD_MODE, QStringLiteral("Move: interpolation %1 does not exist; use 1 (PTP), 2 (linear) or 3 (circular)").arg(interpolation));
    const QList<Target> targets = parseTargets(pose, "pose", "Move");
    const int wanted = interpolation == 3 ? 2 : 1;
    if (targets.size() != wanted)
        raise(E_BAD_POSE, interpolation == 3
                              ? QStringLiteral("Move: a circular move takes two poses, a via point and an end point (\"P(...), P(...)\"); got %1").arg(targets.size())
                              : QStringLiteral("Move: this move takes one pose; got %1").arg(targets.size()));
    Options o(option, QStringLiteral("Move"));
    o.real("Speed", 100.0, 0.001, 100.0);
    checkCanMove("Move");

    auto jointsOf = [](const Target &t) {
        if (t.kind == Target::Joints) {
            checkLimits(t.values, "Move");
            return t.values;
        }
        return inverse(t.values, "Move");
    };
    auto positionOf = [](const Target &t) {
        if (t.kind == Target::Joints) {
            checkLimits(t.values, "Move");
            return forward(t.values);
        }
        return t.values;
    };

    const Six start = forward(m_joints);
    if (interpolation == 1) {
        Joints j = jointsOf(targets[0]);
        setJoints(j, QStringLiteral("Move PTP to %1").arg(formatTarget(forward(j), Target::Position)));
        return;
    }
    if (interpolation == 2) {
        const Six end = positionOf(targets[0]);
        Joints j = jointsOf(targets[0]);
        QList<Six> samples;
        for (int i = 1; i <= kSamples; ++i)
            samples << lerp(start, end, double(i) / kSamples);
        checkPath(samples, QStringLiteral("linear path to %1").arg(formatTarget(end, Target::Position)), "Move");
        setJoints(j, QStringLiteral("Move linear to %1").arg(formatTarget(end, Target::Position)));
        return;
    }
    // Circular: through the via point to the end point on the circle of the three points.
    const Six via = positionOf(targets[0]);
    const Six end = positionOf(targets[1]);
    Joints j = jointsOf(targets[1]);
    const Vec a = sub(xyz(via), xyz(start));
    const Vec b = sub(xyz(end), xyz(start));
    const Vec n = cross(a, b);
    const double n2 = dot(n, n);
    if (n2 < 1e-6 * (dot(a, a) * dot(b, b) + 1e-12))
        raise(E_BAD_POSE, QStringLiteral("Move: the current position, the via point %1 and the end point %2 lie on one line; a circle needs three points off a line")
                              .arg(formatTarget(via, Target::Position), formatTarget(end, Target::Position)));
    const Vec centre = add(xyz(start), scale(cross(sub(scale(b, dot(a, a)), scale(a, dot(b, b))), n), 1.0 / (2.0 * n2)));
    const Vec r0 = sub(xyz(start), centre);
    const double radius = std::sqrt(dot(r0, r0));
    const Vec e1 = scale(r0, 1.0 / radius);
    const Vec nn = scale(n, 1.0 / std::sqrt(n2));
    const Vec e2 = cross(nn, e1);
    auto angleOf = [&](const Vec &p) {
        Vec d = sub(p, centre);
        double t = std::atan2(dot(d, e2), dot(d, e1));
        return t < 0 ? t + 2 * kPi : t;
    };
    const double sweep = angleOf(xyz(end));
    QList<Six> samples;
    for (int i = 1; i <= kSamples; ++i) {
        const double t = double(i) / kSamples;
        const double th = sweep * t;
        Vec p = add(centre, add(scale(e1, radius * std::cos(th)), scale(e2, radius * std::sin(th))));
        Six s = lerp(start, end, t);
        s[0] = p[0];
        s[1] = p[1];
        s[2] = p[2];
        samples << s;
    }
    checkPath(samples, QStringLiteral("circular path through %1 to %2").arg(formatTarget(via, Target::Position), formatTarget(end, Target::Position)), "Move");
    setJoints(j, QStringLiteral("Move circular through %1 to %2").arg(formatTarget(via, Target::Position), formatTarget(end, Target::Position)));
}

void ZelRobot::rotate(const Value &plane, double angle, const Value &centre, const QString &option)
{
    guard("Rotate");
    int axisA = 0, axisB = 1, orient = 5; // XY turns x, y and rz
    QString planeText;
    if (plane.isString()) {
        planeText = plane.stringValue().trimmed().toUpper();
    } else if (plane.isNumeric()) {
        const qint32 n = plane.toInt32();
        planeText = n == 1 ? QStringLiteral("XY") : n == 2 ? QStringLiteral("YZ") : n == 3 ? QStringLiteral("ZX") : QString::number(n);
    } else {
        raise(E_INVALID_ARG, QStringLiteral("Rotate: the plane is a text XY, YZ or ZX (or a number 1, 2, 3); got %1").arg(typeName(plane.type())));
    }
    if (planeText == QLatin1String("XY")) {
        axisA = 0, axisB = 1, orient = 5;
    } else if (planeText == QLatin1String("YZ")) {
        axisA = 1, axisB = 2, orient = 3;
    } else if (planeText == QLatin1String("ZX")) {
        axisA = 2, axisB = 0, orient = 4;
    } else {
        raise(E_INVALID_ARG, QStringLiteral("Rotate: plane '%1' does not exist; the planes are XY, YZ and ZX (or 1, 2, 3)").arg(planeText));
    }
    if (!std::isfinite(angle) || angle < -360.0 || angle > 360.0)
        raise(E_OUT_OF_RANGE, QStringLiteral("Rotate: angle %1 is out of range; it is -360 to 360 degrees").arg(numberText(angle)));
    const Six start = forward(m_joints);
    std::optional<std::array<double, 3>> c = parsePoint(centre, "centre", "Rotate");
    const std::array<double, 3> ctr = c ? *c : std::array<double, 3>{0.0, 0.0, start[2]};
    Options(option, QStringLiteral("Rotate"));
    checkCanMove("Rotate");

    QList<Six> samples;
    for (int i = 1; i <= kSamples; ++i) {
        const double th = angle * kPi / 180.0 * double(i) / kSamples;
        Six s = start;
        const double da = start[axisA] - ctr[axisA];
        const double db = start[axisB] - ctr[axisB];
        s[axisA] = ctr[axisA] + da * std::cos(th) - db * std::sin(th);
        s[axisB] = ctr[axisB] + da * std::sin(th) + db * std::cos(th);
        s[orient] = start[orient] + angle * double(i) / kSamples;
        samples << s;
    }
    checkPath(samples, QStringLiteral("rotation by %1 degrees in %2").arg(numberText(angle), planeText), "Rotate");
    setJoints(inverse(samples.last(), "Rotate"), QStringLiteral("Rotate %1 degrees in %2 to %3").arg(numberText(angle), planeText, formatTarget(samples.last(), Target::Position)));
}

void ZelRobot::goHome()
{
    guard("GoHome");
    checkCanMove("GoHome");
    setJoints(kHomeJoints, QStringLiteral("GoHome"));
}

void ZelRobot::halt(const QString &option)
{
    setFlag(&ZelRobot::m_halted, true, "Halt", option);
}

void ZelRobot::hold(const QString &option)
{
    setFlag(&ZelRobot::m_held, true, "Hold", option);
}

void ZelRobot::unhold(const QString &option)
{
    setFlag(&ZelRobot::m_held, false, "Unhold", option);
}

Value ZelRobot::execute(const QString &command, const Value &parameter)
{
    guard("Execute");
    static const CommandTable<ZelRobot> commands{
        {"Reset", [](ZelRobot &r, const Value &) { r.reset(); return Value(); }},
        {"GetPosition", [](ZelRobot &r, const Value &) { return Value::fromString(r.positionText()); }},
        {"GetAngle", [](ZelRobot &r, const Value &) { return Value::fromString(r.jointText()); }},
        {"Hands", [](ZelRobot &, const Value &) {
             QStringList names;
             for (const char *h : kHands)
                 names << QLatin1StringView(h);
             return textArray(names);
         }},
    };
    return commands.run(*this, command, parameter);
}

std::vector<VariableHost::SystemVariable> ZelRobot::hostVariables() const
{
    return {
        {"@CurrentPosition", CurrentPosition, false, "the current position, P(x, y, z, rx, ry, rz)"},
        {"@CurrentAngle", CurrentAngle, false, "the current joint angles, J(j1, j2, j3, j4, j5, j6)"},
        {"@State", StateVar, false, "Ready, Held or Halted"},
        {"@Hand", HandVar, false, "the mounted hand"},
        {"@Chucked", ChuckedVar, false, "whether the hand holds a workpiece (BOOL)"},
        {"@Speed", SpeedVar, false, "the speed of axes 1 to 6 in percent (ARRAY | R4)"},
        {"@Accel", AccelVar, false, "the acceleration of axes 1 to 6 in percent (ARRAY | R4)"},
        {"@Decel", DecelVar, false, "the deceleration of axes 1 to 6 in percent (ARRAY | R4)"},
        {"@LastMotion", LastMotion, false, "the last motion performed"},
    };
}

Value ZelRobot::readHostVariable(int id)
{
    switch (id) {
    case CurrentPosition: return Value::fromString(positionText());
    case CurrentAngle: return Value::fromString(jointText());
    case StateVar: return Value::fromString(stateText());
    case HandVar: return Value::fromString(m_hand);
    case ChuckedVar: return Value::fromBool(m_chucked);
    case SpeedVar: return realArray(m_speed);
    case AccelVar: return realArray(m_accel);
    case DecelVar: return realArray(m_decel);
    case LastMotion: return Value::fromString(m_lastMotion);
    }
    return Value();
}

qint32 ZelRobot::attributeValue() const
{
    return (m_held ? 1 : 0) | (m_halted ? 2 : 0) | (m_chucked ? 4 : 0);
}

QString ZelRobot::helpText() const
{
    return QStringLiteral("Robot %1: a six-axis cylindrical arm (axis 1 turns, 2 reaches, 3 lifts, 4 to 6 turn the wrist)").arg(displayName());
}

Value ZelRobot::invoke(const QString &member, CallKind kind, const QList<Value> &args)
{
    using R = ZelRobot;
    static const DispatchTable<R> table{
        holderMembers<R>(),
        {
            method<R>("Accelerate", [](R &r, const Args &a) {
                double accel = argReal(a, 1, "accel", "Accelerate");
                r.accelerate(argInt(a, 0, "axis", "Accelerate"), accel, a.size() > 2 ? argReal(a, 2, "decel", "Accelerate") : accel);
                return Value(); }, 2, 3),
            method<R>("Change", [](R &r, const Args &a) { r.change(argText(a, 0, "hand", "Change")); return Value(); }, 1, 1),
            method<R>("Chuck", [](R &r, const Args &a) { r.chuck(argText(a, 0, "option", "Chuck")); return Value(); }, 0, 1),
            method<R>("Unchuck", [](R &r, const Args &a) { r.unchuck(argText(a, 0, "option", "Unchuck")); return Value(); }, 0, 1),
            method<R>("Drive", [](R &r, const Args &a) {
                r.drive(argInt(a, 0, "axis", "Drive"), argReal(a, 1, "move", "Drive"), argText(a, 2, "option", "Drive"));
                return Value(); }, 2, 3),
            method<R>("Move", [](R &r, const Args &a) {
                r.move(argInt(a, 0, "interpolation", "Move"), a[1], argText(a, 2, "option", "Move"));
                return Value(); }, 2, 3),
            method<R>("Rotate", [](R &r, const Args &a) {
                r.rotate(a[0], argReal(a, 1, "angle", "Rotate"), arg(a, 2), argText(a, 3, "option", "Rotate"));
                return Value(); }, 2, 4),
            method<R>("Speed", [](R &r, const Args &a) {
                r.speed(argInt(a, 0, "axis", "Speed"), argReal(a, 1, "speed", "Speed"));
                return Value(); }, 2, 2),
            method<R>("GoHome", [](R &r, const Args &) { r.goHome(); return Value(); }, 0, 0),
            method<R>("Halt", [](R &r, const Args &a) { r.halt(argText(a, 0, "option", "Halt")); return Value(); }, 0, 1),
            method<R>("Hold", [](R &r, const Args &a) { r.hold(argText(a, 0, "option", "Hold")); return Value(); }, 0, 1),
            method<R>("Unhold", [](R &r, const Args &a) { r.unhold(argText(a, 0, "option", "Unhold")); return Value(); }, 0, 1),
        },
    };
    return table.invoke(*this, member, kind, args);
}

ZelRobots::ZelRobots(std::shared_ptr<EngineContext> ctx, quint64 scope)
    : Collection<ZelRobot>(std::move(ctx), ObjectKind::Robots, scope)
{
}

} // namespace zel
