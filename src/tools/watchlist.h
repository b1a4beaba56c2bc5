// The watch list: variables that have panels, read at an interval on the user-interface thread
// through the same engine call as a panel's Get, without log or script lines. A table model
// (path, value, type, last read, error) that the watch window shows and a test drives alone;
// each read's numeric parts go to a trend store.
#pragma once

#include "trendstore.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class PanelBase;
class QTimer;

namespace zel {
class Value;
}

// The numeric parts of a value, as (suffix, number): a number "" and itself, BOOL 0 or 1, a pose
// text "P(x, y, z, rx, ry, rz)" its six parts "[x]" ... "[rz]", a joint text "J(...)" "[j1]" ...
// "[j6]", an array of numbers (up to 16) each element "[index]". Nothing for other values.
QList<QPair<QString, double>> numericParts(const zel::Value &value);

class WatchList : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColPath, ColValue, ColType, ColTime, ColError, ColumnCount };
    static constexpr int kMinIntervalMs = 10;
    static constexpr int kMaxIntervalMs = 60 * 60 * 1000;
    static constexpr int kDefaultIntervalMs = 500;

    explicit WatchList(QObject *parent = nullptr);
    ~WatchList() override;

    // Adds a variable panel's object as a row (not twice; only variable panels). False when
    // refused.
    bool add(PanelBase *panel);
    void removeRow(int row);
    PanelBase *panelAt(int row) const;
    QString pathAt(int row) const;
    bool failedAt(int row) const;
    // The trend series a row has fed so far (its path, or its path with part suffixes).
    QStringList seriesOf(int row) const;
    // Rows marked for the trend (the check box of the path column).
    bool plotted(int row) const;
    void setPlotted(int row, bool on);

    // Interval in milliseconds, kMinIntervalMs to kMaxIntervalMs; false (and unchanged) outside.
    bool setInterval(int ms);
    int interval() const;
    void start();
    void stop();
    bool isPolling() const;
    // One read of every row (what a tick of the timer does). Rows whose panel has gone are
    // dropped first.
    void pollOnce();

    TrendStore &store() { return m_store; }
    const TrendStore &store() const { return m_store; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

Q_SIGNALS:
    // After each poll (the chart redraws from the store).
    void polled();
    void pollingChanged(bool polling);
    void plottedChanged();

private:
    struct Row {
        QPointer<PanelBase> panel;
        QString path;
        QString value;
        QString type;
        qint64 lastMs = 0;
        QString error;
        QStringList series;
        bool plotted = false;
    };
    void read(Row &row, qint64 now);
    void dropGoneRows();

    QList<Row> m_rows;
    QTimer *m_timer = nullptr;
    TrendStore m_store;
};
