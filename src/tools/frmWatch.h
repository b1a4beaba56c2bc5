// The watch window (Tools > Watch...): a list of variables that have panels, read at an interval
// without log or script lines, their numbers as a trend, the samples as CSV and the chart as PNG.
// A top-level window of its own beside the main window, one instance.
#pragma once

#include <QWidget>

class PanelBase;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QTableView;
class TrendChart;
class WatchList;

class frmWatch : public QWidget {
    Q_OBJECT
public:
    explicit frmWatch(QWidget *parent = nullptr);
    ~frmWatch() override;

    // Shows the one watch window of the main window (made on first use) in front.
    static frmWatch *open(QWidget *mainWindow);

    WatchList *list() const { return m_list; }
    TrendChart *chart() const { return m_chart; }
    // Adds the variable panels with those panel numbers; returns how many were added.
    int addForms(const QList<qint32> &formIds);
    // The open variable panels not yet watched (the Add choice).
    QList<PanelBase *> candidates() const;

    // Panel numbers carried by a drag from the object tree.
    static QList<qint32> formIdsOf(const QMimeData *mime);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void chooseAndAdd();
    void removeSelected();
    void startPolling();
    void refreshButtons();
    void refreshSeries();
    void showTrend(bool on);
    void exportCsv();
    void exportPng();

    WatchList *m_list = nullptr;
    QTableView *m_table = nullptr;
    TrendChart *m_chart = nullptr;
    QLineEdit *m_interval = nullptr;
    QPushButton *m_add = nullptr, *m_remove = nullptr, *m_start = nullptr, *m_stop = nullptr;
    QPushButton *m_csv = nullptr, *m_png = nullptr;
    QCheckBox *m_trend = nullptr;
};
