#include "trendstore.h"

#include <QDateTime>
#include <algorithm>
#include <vector>

namespace {
const TrendStore::Points kNoPoints;
} // namespace

void TrendStore::append(const QString &series, qint64 ms, double value)
{
    auto it = m_series.find(series);
    if (it == m_series.end()) {
        it = m_series.insert(series, Points());
        m_order.append(series);
    }
    Points &points = *it;
    if (!points.empty() && ms < points.back().ms)
        return;
    points.push_back({ms, value});
    const qint64 oldest = ms - m_keepMs;
    while (!points.empty() && points.front().ms < oldest)
        points.pop_front();
}

void TrendStore::prune(qint64 nowMs)
{
    const qint64 oldest = nowMs - m_keepMs;
    for (Points &points : m_series) {
        while (!points.empty() && points.front().ms < oldest)
            points.pop_front();
    }
}

void TrendStore::remove(const QString &series)
{
    if (m_series.remove(series))
        m_order.removeOne(series);
}

void TrendStore::clear()
{
    m_series.clear();
    m_order.clear();
}

const TrendStore::Points &TrendStore::points(const QString &series) const
{
    auto it = m_series.constFind(series);
    return it == m_series.cend() ? kNoPoints : *it;
}

qsizetype TrendStore::pointCount() const
{
    qsizetype n = 0;
    for (const Points &points : m_series)
        n += qsizetype(points.size());
    return n;
}

qint64 TrendStore::firstMs() const
{
    qint64 first = 0;
    bool any = false;
    for (const Points &points : m_series) {
        if (!points.empty() && (!any || points.front().ms < first)) {
            first = points.front().ms;
            any = true;
        }
    }
    return first;
}

qint64 TrendStore::lastMs() const
{
    qint64 last = 0;
    for (const Points &points : m_series) {
        if (!points.empty())
            last = std::max(last, points.back().ms);
    }
    return last;
}

QString TrendStore::csv() const
{
    struct Row {
        qint64 ms;
        int series;
        double value;
    };
    std::vector<Row> rows;
    rows.reserve(size_t(pointCount()));
    for (int s = 0; s < m_order.size(); ++s) {
        for (const Point &p : points(m_order[s]))
            rows.push_back({p.ms, s, p.value});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        return a.ms < b.ms || (a.ms == b.ms && a.series < b.series);
    });
    QStringList fields;
    for (const QString &name : m_order)
        fields.append(csvField(name));
    QString text = QStringLiteral("Time,Path,Value\r\n");
    text.reserve(qsizetype(rows.size()) * 64 + text.size());
    for (const Row &r : rows) {
        text += QDateTime::fromMSecsSinceEpoch(r.ms).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
        text += QLatin1Char(',');
        text += fields[r.series];
        text += QLatin1Char(',');
        text += QString::number(r.value, 'g', 15);
        text += QStringLiteral("\r\n");
    }
    return text;
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
