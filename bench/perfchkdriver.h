// Drives the performance check window of a running program for the benchmarks: "Write && Read"
// with Check Data of one value, a given number of times through its St&art button, timed from
// the outside and checked to end with its END row.
#pragma once

#include "shell/frmMDI.h"
#include "tools/frmPerfChk.h"
#include "zel/members.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <algorithm>

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class PerfChkDriver {
public:
    PerfChkDriver(frmMDI *mdi, std::shared_ptr<zel::ZelVariable> variable, int typePosition, const QString &value) : m_dlg(mdi)
    {
        m_dlg.m_Variable = std::move(variable);
        m_dlg.m_MDI = mdi;
        m_dlg.show();
        QApplication::processEvents();
        m_dlg.findChild<QRadioButton *>("optPattern_1")->click();
        m_dlg.findChild<QRadioButton *>("optReadWrite_2")->click();
        m_dlg.findChild<QComboBox *>("cmbValueType")->setCurrentIndex(typePosition);
        m_dlg.findChild<QLineEdit *>("txtValue")->setText(value);
        m_dlg.findChild<QCheckBox *>("chkDataCheck")->setChecked(true);
        m_count = m_dlg.findChild<QLineEdit *>("txtPatternCount");
        m_start = m_dlg.findChild<QAbstractButton *>("cmdStart");
        m_rows = m_dlg.findChild<QTreeWidget *>("lvResult");
    }
    ~PerfChkDriver() { m_dlg.done(0); }

    // One run of the check; returns the nanoseconds it took.
    double run(int iterations)
    {
        m_count->setText(QString::number(iterations));
        QElapsedTimer t;
        t.start();
        m_start->click();
        const double ns = double(t.nsecsElapsed());
        QTreeWidgetItem *end = m_rows->topLevelItem(m_rows->topLevelItemCount() - 1);
        m_allEnded = m_allEnded && end->text(0) == QLatin1String("END") && m_dlg.lastIterations() == quint64(iterations);
        m_reportedMs += end->text(2).toLongLong();
        return ns;
    }

    // Every run so far ended with END after its count.
    bool allEnded() const { return m_allEnded; }
    // The sum of the check's own Time Required column since the last reset.
    qint64 reportedMs() const { return m_reportedMs; }
    void resetReported() { m_reportedMs = 0; }

private:
    frmPerfChk m_dlg;
    QLineEdit *m_count = nullptr;
    QAbstractButton *m_start = nullptr;
    QTreeWidget *m_rows = nullptr;
    bool m_allEnded = true;
    qint64 m_reportedMs = 0;
};
