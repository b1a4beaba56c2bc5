// The samples behind a trend: per series (a watched value, or one numeric part of it) the points
// of the last ten minutes at whatever rate they came, older points dropped as new ones arrive.
// Plain data, no widgets: the watch list fills it, the trend chart draws from it, a test or a
// benchmark drives it alone.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <deque>

class TrendStore {
public:
    static constexpr qint64 kDefaultKeepMs = 10 * 60 * 1000;

    struct Point {
        qint64 ms;    // milliseconds since the epoch (UTC)
        double value;
    };
    using Points = std::deque<Point>;

    explicit TrendStore(qint64 keepMs = kDefaultKeepMs) : m_keepMs(keepMs) {}

    // Adds a point; points of that series older than keepMs before it are dropped. Points come
    // in time order per series (a point earlier than the last one is dropped).
    void append(const QString &series, qint64 ms, double value);
    // Drops every point older than keepMs before nowMs, in every series (a series that is no
    // longer fed empties in time).
    void prune(qint64 nowMs);
    void remove(const QString &series);
    void clear();

    // The series in the order of their first point.
    const QStringList &seriesNames() const { return m_order; }
    // The points of a series (empty for an unknown one).
    const Points &points(const QString &series) const;
    qsizetype pointCount() const;
    // The time span held: the first and the last point of all series (0, 0 when empty).
    qint64 firstMs() const;
    qint64 lastMs() const;
    qint64 keepMs() const { return m_keepMs; }

    // Every point as CSV, "Time,Path,Value" and one line per point in time order (series in
    // their order within one time), local time with milliseconds, CR LF line ends.
    QString csv() const;

private:
    qint64 m_keepMs;
    QHash<QString, Points> m_series;
    QStringList m_order;
};

// A field of a CSV line: as it is, or in double quotes (inner quotes doubled) when it holds a
// comma, a quote or a line break.
QString csvField(const QString &text);
