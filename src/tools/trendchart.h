// A time chart of trend series (Qt Charts): one line per series with a legend, a time axis,
// a value axis that scales to what is shown, Pause and a scroll bar to look back over what the
// store keeps. The watch window and the status monitor share it; CountTrend is the status
// monitor's "Trend" toggle with its own store.
#pragma once

#include "trendstore.h"

#include <QPair>
#include <QWidget>

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QDateTimeAxis;
class QLineEdit;
class QLineSeries;
class QScrollBar;
class QTimer;
class QValueAxis;

class TrendChart : public QWidget {
    Q_OBJECT
public:
    explicit TrendChart(QWidget *parent = nullptr);

    void setStore(const TrendStore *store);
    // The series drawn, by their names in the store.
    void setSeries(const QStringList &names);
    QStringList series() const { return m_names; }
    // The width of the time axis in milliseconds (the span list: 10 s, 1 min, 10 min).
    void setSpanMs(qint64 ms);
    qint64 spanMs() const { return m_spanMs; }
    // Paused, the chart stays where it is and the scroll bar moves it back and forth.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // Redraws soon (at most a few times a second, however often it is asked).
    void requestRefresh();
    // Redraws now from the store.
    void refresh();
    // The chart as a PNG image.
    QByteArray png() const;
    // The points drawn for a series after the last refresh (a test looks at them).
    qsizetype drawnPoints(const QString &name) const;
    QChart *chart() const { return m_chart; }

    // The short name of a series in the legend: "…" and its last path link.
    static QString legendName(const QString &name);

private:
    void updateScroll();
    void makeAxes();

    const TrendStore *m_store = nullptr;
    QStringList m_names;
    QList<QLineSeries *> m_lines;
    QChart *m_chart = nullptr;
    QChartView *m_view = nullptr;
    QDateTimeAxis *m_time = nullptr;
    QValueAxis *m_values = nullptr;
    QCheckBox *m_pause = nullptr;
    QComboBox *m_span = nullptr;
    QScrollBar *m_scroll = nullptr;
    QTimer *m_refresh = nullptr;
    qint64 m_spanMs = 60 * 1000;
    qint64 m_endMs = 0; // the right edge while paused
    bool m_paused = false;
    bool m_scrolling = false;
};

// The "Trend" toggle of a window that samples counts into text boxes: a check box (chkTrend)
// and, while it is on, a window beside it (frmStatusTrend) with a chart of every box's number
// at each tick of the sampling timer.
class CountTrend : public QWidget {
    Q_OBJECT
public:
    // boxes: (series name, box); sampler: the timer whose ticks fill the boxes.
    CountTrend(const QList<QPair<QString, QLineEdit *>> &boxes, QTimer *sampler, QWidget *parent = nullptr);

    // Takes the boxes' numbers as one sample (each tick of the sampler does).
    void sample();
    const TrendStore &store() const { return m_store; }
    TrendChart *chart() const { return m_chart; }
    QWidget *chartWindow() const { return m_window; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void toggle(bool on);

    QList<QPair<QString, QLineEdit *>> m_boxes;
    TrendStore m_store;
    QCheckBox *m_check = nullptr;
    QWidget *m_window = nullptr;
    TrendChart *m_chart = nullptr;
};
