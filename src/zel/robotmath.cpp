#include "robotmath.h"

#include "dispatch.h"
#include "options.h"

#include <cmath>

namespace zel::detail {

const AxisLimit kAxisLimits[6] = {
    {-170.0, 170.0, "degrees"}, {150.0, 1200.0, "mm"},      {0.0, 1000.0, "mm"},
    {-180.0, 180.0, "degrees"}, {-120.0, 120.0, "degrees"}, {-360.0, 360.0, "degrees"},
};
const Six kHomeJoints = {0.0, 600.0, 400.0, 0.0, 0.0, 0.0};

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kEps = 1e-9;

QString where(const char *what, const char *op)
{
    return QStringLiteral("%1 of %2").arg(QLatin1StringView(what), QLatin1StringView(op));
}

[[noreturn]] void badPose(const QString &text, const char *what, const char *op, const QString &why)
{
    raise(E_BAD_POSE, QStringLiteral("%1: '%2' %3").arg(where(what, op), text, why));
}

// Reads "L(a, b, ...)" into numbers; letter is 'P' or 'J' (any case), or 0 for a bare "(...)".
bool readTuple(const QString &text, QChar &letter, QList<double> &numbers, QString &why)
{
    QString t = text.trimmed();
    letter = QChar();
    if (!t.isEmpty() && t[0].isLetter()) {
        letter = t[0].toUpper();
        t = t.mid(1).trimmed();
    }
    if (!t.startsWith(QLatin1Char('(')) || !t.endsWith(QLatin1Char(')'))) {
        why = QStringLiteral("is not of the form P(x, y, z, rx, ry, rz) or J(j1, j2, j3, j4, j5, j6)");
        return false;
    }
    const QStringList parts = t.mid(1, t.size() - 2).split(QLatin1Char(','));
    for (int i = 0; i < parts.size(); ++i) {
        std::optional<double> v = parseNumber(parts[i]);
        if (!v) {
            why = QStringLiteral("has '%1' where number %2 should be").arg(parts[i].trimmed()).arg(i + 1);
            return false;
        }
        numbers << *v;
    }
    return true;
}
} // namespace

Target parseTargetText(const QString &text, const char *what, const char *op)
{
    QChar letter;
    QList<double> numbers;
    QString why;
    if (!readTuple(text, letter, numbers, why))
        badPose(text, what, op, why);
    Target t;
    if (letter == QLatin1Char('P'))
        t.kind = Target::Position;
    else if (letter == QLatin1Char('J'))
        t.kind = Target::Joints;
    else
        badPose(text, what, op, QStringLiteral("must begin with P (a position) or J (joint angles)"));
    if (numbers.size() != 6)
        badPose(text, what, op,
                QStringLiteral("has %1 numbers; %2 needs six").arg(numbers.size()).arg(t.kind == Target::Position ? QStringLiteral("P(x, y, z, rx, ry, rz)") : QStringLiteral("J(j1, j2, j3, j4, j5, j6)")));
    for (int i = 0; i < 6; ++i)
        t.values[i] = numbers[i];
    return t;
}

Target parseTarget(const Value &value, const char *what, const char *op)
{
    if (value.isString())
        return parseTargetText(value.stringValue(), what, op);
    if (value.isArray()) {
        const Array &a = value.arrayValue();
        if (a.items.size() == 6) {
            Target t;
            for (int i = 0; i < 6; ++i) {
                const Value &e = a.items[i];
                if (!e.isNumeric())
                    raise(E_BAD_POSE, QStringLiteral("%1: element %2 of the array is %3, not a number").arg(where(what, op)).arg(i + a.lowerBound).arg(typeName(e.type())));
                t.values[i] = e.toDouble();
            }
            return t;
        }
        raise(E_BAD_POSE, QStringLiteral("%1: an array pose needs six numbers x, y, z, rx, ry, rz; it has %2 elements").arg(where(what, op)).arg(a.items.size()));
    }
    raise(E_BAD_POSE, QStringLiteral("%1: a pose is a text such as P(600, 0, 400, 0, 0, 0) or J(0, 600, 400, 0, 0, 0); got %2")
                          .arg(where(what, op), typeName(value.type())));
}

QList<Target> parseTargets(const Value &value, const char *what, const char *op)
{
    QList<Target> out;
    if (value.isArray() && !value.arrayValue().items.isEmpty() && !value.arrayValue().items.first().isNumeric()) {
        for (const Value &e : value.arrayValue().items)
            out << parseTarget(e, what, op);
        return out;
    }
    if (!value.isString()) {
        out << parseTarget(value, what, op);
        return out;
    }
    // Split at commas outside parentheses.
    const QString &text = value.stringValue();
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || (text[i] == QLatin1Char(',') && depth == 0)) {
            out << parseTargetText(text.mid(start, i - start), what, op);
            start = i + 1;
        } else if (text[i] == QLatin1Char('(')) {
            ++depth;
        } else if (text[i] == QLatin1Char(')')) {
            --depth;
        }
    }
    return out;
}

std::optional<std::array<double, 3>> parsePoint(const Value &value, const char *what, const char *op)
{
    if (value.isEmpty() || (value.isString() && value.stringValue().trimmed().isEmpty()))
        return std::nullopt;
    if (value.isString()) {
        QChar letter;
        QList<double> numbers;
        QString why;
        const QString &text = value.stringValue();
        if (!readTuple(text, letter, numbers, why))
            badPose(text, what, op, QStringLiteral("is not a point P(x, y, z)"));
        if (!letter.isNull() && letter != QLatin1Char('P'))
            badPose(text, what, op, QStringLiteral("must be a position P(x, y, z)"));
        if (numbers.size() != 3 && numbers.size() != 6)
            badPose(text, what, op, QStringLiteral("has %1 numbers; a point takes three (x, y, z) or six").arg(numbers.size()));
        return std::array<double, 3>{numbers[0], numbers[1], numbers[2]};
    }
    Target t = parseTarget(value, what, op);
    return std::array<double, 3>{t.values[0], t.values[1], t.values[2]};
}

QString formatTarget(const Six &values, Target::Kind kind)
{
    QStringList parts;
    for (double v : values)
        parts << numberText(v);
    return (kind == Target::Position ? QStringLiteral("P(") : QStringLiteral("J(")) + parts.join(QLatin1String(", ")) + QLatin1Char(')');
}

Six forward(const Six &j)
{
    const double a = j[0] * kPi / 180.0;
    return {j[1] * std::cos(a), j[1] * std::sin(a), j[2], j[3], j[4], j[5]};
}

Six inverse(const Six &p, const char *op)
{
    const double r = std::hypot(p[0], p[1]);
    const double a = r < kEps ? 0.0 : std::atan2(p[1], p[0]) * 180.0 / kPi;
    const Six j = {a, r, p[2], p[3], p[4], p[5]};
    const QString pos = formatTarget(p, Target::Position);
    const QLatin1StringView o(op);
    if (r < kAxisLimits[1].min - kEps || r > kAxisLimits[1].max + kEps)
        raise(E_OUT_OF_REACH, QStringLiteral("%1: %2 is out of reach; it lies %3 mm from the robot's axis and the arm reaches %4 to %5 mm")
                                  .arg(o, pos, numberText(r), numberText(kAxisLimits[1].min), numberText(kAxisLimits[1].max)));
    if (a < kAxisLimits[0].min - kEps || a > kAxisLimits[0].max + kEps)
        raise(E_OUT_OF_REACH, QStringLiteral("%1: %2 is out of reach; it lies at %3 degrees around the axis and the arm turns %4 to %5 degrees")
                                  .arg(o, pos, numberText(a), numberText(kAxisLimits[0].min), numberText(kAxisLimits[0].max)));
    if (p[2] < kAxisLimits[2].min - kEps || p[2] > kAxisLimits[2].max + kEps)
        raise(E_OUT_OF_REACH, QStringLiteral("%1: %2 is out of reach; its height %3 mm is outside %4 to %5 mm")
                                  .arg(o, pos, numberText(p[2]), numberText(kAxisLimits[2].min), numberText(kAxisLimits[2].max)));
    checkLimits(j, op);
    return j;
}

void checkLimits(const Six &j, const char *op)
{
    for (int i = 0; i < 6; ++i) {
        const AxisLimit &l = kAxisLimits[i];
        if (j[i] < l.min - kEps || j[i] > l.max + kEps)
            raise(E_OUT_OF_RANGE, QStringLiteral("%1: axis %2 would be at %3 %4, outside its range %5 to %6 %4")
                                      .arg(QLatin1StringView(op))
                                      .arg(i + 1)
                                      .arg(numberText(j[i]), QLatin1StringView(l.unit), numberText(l.min), numberText(l.max)));
    }
}

} // namespace zel::detail
