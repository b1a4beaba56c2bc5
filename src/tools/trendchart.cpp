#include "trendchart.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kRefreshMs = 200;     // the chart redraws at most five times a second
constexpr qint64 kScrollStep = 100; // the scroll bar moves in tenths of a second

struct Span {
    const char *text;
    qint64 ms;
};
const Span kSpans[] = {{"10 s", 10 * 1000}, {"1 min", 60 * 1000}, {"10 min", 10 * 60 * 1000}};
} // namespace

TrendChart::TrendChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("trendChart"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignRight);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chvTrend"));
    m_view->setRenderHint(QPainter::Antialiasing, false);
    m_view->setMinimumSize(320, 220);
    outer->addWidget(m_view, 1);

    m_scroll = new QScrollBar(Qt::Horizontal, this);
    m_scroll->setObjectName(QStringLiteral("scrTrend"));
    outer->addWidget(m_scroll);

    auto *controls = new QHBoxLayout;
    m_pause = new QCheckBox(QStringLiteral("&Pause"), this);
    m_pause->setObjectName(QStringLiteral("chkTrendPause"));
    m_span = new QComboBox(this);
    m_span->setObjectName(QStringLiteral("cmbTrendSpan"));
    for (const Span &s : kSpans)
        m_span->addItem(QLatin1String(s.text), s.ms);
    m_span->setCurrentIndex(1);
    auto *spanLabel = new QLabel(QStringLiteral("Span :"), this);
    spanLabel->setBuddy(m_span);
    controls->addWidget(m_pause);
    controls->addStretch(1);
    controls->addWidget(spanLabel);
    controls->addWidget(m_span);
    outer->addLayout(controls);

    m_refresh = new QTimer(this);
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(kRefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &TrendChart::refresh);
    connect(m_pause, &QCheckBox::toggled, this, &TrendChart::setPaused);
    connect(m_span, &QComboBox::currentIndexChanged, this,
            [this](int i) { setSpanMs(m_span->itemData(i).toLongLong()); });
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (m_scrolling || !m_store)
            return;
        // Moving the bar looks back: the chart pauses where the bar is.
        const qint64 end = m_store->firstMs() + m_spanMs + qint64(value) * kScrollStep;
        if (!m_paused)
            setPaused(true);
        m_endMs = end;
        refresh();
    });
}

void TrendChart::setStore(const TrendStore *store)
{
    m_store = store;
    requestRefresh();
}

void TrendChart::setSeries(const QStringList &names)
{
    if (names == m_names)
        return;
    for (QLineSeries *line : std::as_const(m_lines)) {
        m_chart->removeSeries(line);
        delete line;
    }
    m_lines.clear();
    m_names = names;
    for (const QString &name : names) {
        auto *line = new QLineSeries;
        line->setName(legendName(name));
        // The theme has five colours; hues a golden angle apart keep many series apart.
        QPen pen(QColor::fromHsv(int(std::lround(m_lines.size() * 137.508)) % 360, 210, 200));
        pen.setWidthF(1.5);
        line->setPen(pen);
        m_chart->addSeries(line);
        m_lines.append(line);
    }
    // Axes made before any series are not drawn: they come with the first series.
    if (!m_time && !m_lines.isEmpty())
        makeAxes();
    for (QLineSeries *line : std::as_const(m_lines)) {
        line->attachAxis(m_time);
        line->attachAxis(m_values);
    }
    refresh();
}

void TrendChart::makeAxes()
{
    m_time = new QDateTimeAxis;
    m_time->setFormat(QStringLiteral("hh:mm:ss"));
    m_time->setTickCount(6);
    m_values = new QValueAxis;
    m_values->setLabelFormat(QStringLiteral("%.6g")); // 600, 0.5, -200: no fixed decimals
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(m_values, Qt::AlignLeft);
}

void TrendChart::setSpanMs(qint64 ms)
{
    m_spanMs = std::max<qint64>(ms, 1000);
    for (int i = 0; i < m_span->count(); ++i) {
        if (m_span->itemData(i).toLongLong() == m_spanMs && m_span->currentIndex() != i)
            m_span->setCurrentIndex(i);
    }
    refresh();
}

void TrendChart::setPaused(bool paused)
{
    if (paused && !m_paused && m_store)
        m_endMs = m_store->lastMs();
    m_paused = paused;
    if (m_pause->isChecked() != paused)
        m_pause->setChecked(paused);
    refresh();
}

void TrendChart::requestRefresh()
{
    if (!m_paused && !m_refresh->isActive())
        m_refresh->start();
}

QString TrendChart::legendName(const QString &name)
{
    // Paths are links "A(..).B(..).C(..)"; the last one says which value it is.
    const qsizetype last = name.lastIndexOf(QLatin1String(")."));
    return last < 0 ? name : QStringLiteral("\u2026") + name.mid(last + 2);
}

void TrendChart::updateScroll()
{
    m_scrolling = true;
    const qint64 first = m_store ? m_store->firstMs() : 0;
    const qint64 kept = m_store ? m_store->lastMs() - first : 0;
    const int maximum = int(std::max<qint64>(0, (kept - m_spanMs) / kScrollStep));
    m_scroll->setRange(0, maximum);
    m_scroll->setPageStep(int(m_spanMs / kScrollStep));
    m_scroll->setValue(m_paused ? int(std::clamp<qint64>((m_endMs - first - m_spanMs) / kScrollStep, 0, maximum)) : maximum);
    m_scrolling = false;
}

void TrendChart::refresh()
{
    m_refresh->stop();
    if (!m_store)
        return;
    const qint64 end = m_paused ? m_endMs : std::max(m_store->lastMs(), QDateTime::currentMSecsSinceEpoch());
    const qint64 begin = end - m_spanMs;
    // Far more points than the plot has pixels are drawn as the lowest and highest point of
    // each column of pixels: the same picture at a bounded cost.
    const int columns = std::max(100, int(m_chart->plotArea().width()));
    const double columnMs = double(m_spanMs) / columns;
    double low = 0, high = 0;
    bool any = false;
    for (qsizetype s = 0; s < m_names.size(); ++s) {
        const TrendStore::Points &points = m_store->points(m_names[s]);
        auto from = std::lower_bound(points.begin(), points.end(), begin,
                                     [](const TrendStore::Point &p, qint64 ms) { return p.ms < ms; });
        // One point before the window, so that the line enters from the left edge.
        if (from != points.begin())
            --from;
        auto to = std::upper_bound(points.begin(), points.end(), end,
                                   [](qint64 ms, const TrendStore::Point &p) { return ms < p.ms; });
        if (to != points.end())
            ++to;
        QList<QPointF> drawn;
        const qsizetype count = to - from;
        if (count <= 2 * columns) {
            drawn.reserve(count);
            for (auto it = from; it != to; ++it)
                drawn.append(QPointF(double(it->ms), it->value));
        } else {
            drawn.reserve(2 * columns + 2);
            auto it = from;
            while (it != to) {
                const qint64 column = qint64(std::floor(double(it->ms - begin) / columnMs));
                auto lowest = it, highest = it;
                for (++it; it != to && qint64(std::floor(double(it->ms - begin) / columnMs)) == column; ++it) {
                    if (it->value < lowest->value)
                        lowest = it;
                    if (it->value > highest->value)
                        highest = it;
                }
                auto [a, b] = std::minmax(lowest, highest, [](auto x, auto y) { return x->ms < y->ms; });
                drawn.append(QPointF(double(a->ms), a->value));
                if (b != a)
                    drawn.append(QPointF(double(b->ms), b->value));
            }
        }
        for (const QPointF &p : std::as_const(drawn)) {
            if (p.x() < double(begin) || p.x() > double(end))
                continue;
            low = any ? std::min(low, p.y()) : p.y();
            high = any ? std::max(high, p.y()) : p.y();
            any = true;
        }
        m_lines[s]->replace(drawn);
    }
    if (!any) {
        low = 0;
        high = 1;
    } else if (high - low < 1e-9) {
        low -= 1;
        high += 1;
    } else {
        const double margin = (high - low) * 0.05;
        low -= margin;
        high += margin;
    }
    if (m_time) {
        // As many time labels as the plot's width has room for.
        m_time->setTickCount(std::clamp(int(m_chart->plotArea().width()) / 110 + 1, 2, 7));
        m_values->setRange(low, high);
        m_values->applyNiceNumbers(); // round ticks: counts read 0, 1, 2..., not 0.8, 1.9...
        m_time->setRange(QDateTime::fromMSecsSinceEpoch(begin), QDateTime::fromMSecsSinceEpoch(end));
    }
    updateScroll();
}

QByteArray TrendChart::png() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    m_view->grab().save(&buffer, "PNG");
    return bytes;
}

qsizetype TrendChart::drawnPoints(const QString &name) const
{
    const qsizetype i = m_names.indexOf(name);
    return i < 0 ? -1 : m_lines[i]->count();
}

// ---- the status monitor's trend ---------------------------------------------------------------

CountTrend::CountTrend(const QList<QPair<QString, QLineEdit *>> &boxes, QTimer *sampler, QWidget *parent)
    : QWidget(parent), m_boxes(boxes)
{
    setObjectName(QStringLiteral("fraTrend"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_check = new QCheckBox(QStringLiteral("Tr&end"), this);
    m_check->setObjectName(QStringLiteral("chkTrend"));
    outer->addWidget(m_check);
    // The chart has a window of its own beside the monitor: the monitor keeps its size and
    // nothing in it moves, and the legend of every count has room.
    m_window = new QWidget(this, Qt::Window);
    m_window->setObjectName(QStringLiteral("frmStatusTrend"));
    m_window->setWindowTitle(QStringLiteral("ZelEngineStatus Trend"));
    m_window->installEventFilter(this);
    auto *inner = new QVBoxLayout(m_window);
    m_chart = new TrendChart(m_window);
    m_chart->setStore(&m_store);
    inner->addWidget(m_chart);
    m_window->resize(720, 520);
    connect(m_check, &QCheckBox::toggled, this, &CountTrend::toggle);
    if (sampler)
        connect(sampler, &QTimer::timeout, this, &CountTrend::sample);
}

void CountTrend::sample()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const auto &[name, box] : std::as_const(m_boxes)) {
        bool ok = false;
        const double n = box->text().toDouble(&ok);
        if (ok)
            m_store.append(name, now, n);
    }
    m_store.prune(now);
    if (m_check->isChecked())
        m_chart->requestRefresh();
}

void CountTrend::toggle(bool on)
{
    QStringList names;
    for (const auto &[name, box] : std::as_const(m_boxes))
        names.append(name);
    m_chart->setSeries(on ? names : QStringList());
    m_window->setVisible(on);
    if (on)
        m_window->raise();
}

bool CountTrend::eventFilter(QObject *watched, QEvent *event)
{
    // Closing the chart's window turns the trend off.
    if (watched == m_window && event->type() == QEvent::Close)
        m_check->setChecked(false);
    return QWidget::eventFilter(watched, event);
}
