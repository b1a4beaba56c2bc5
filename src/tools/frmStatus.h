// The engine status monitor: the engine's version, machine data and the live object counts
// of its 19 kinds, sampled at a rate the user sets.
#pragma once

#include "panelkit/ZelForm.h"
#include "zel/object.h"

class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidgetItem;

class frmStatus : public ZelForm {
    Q_OBJECT
public:
    static constexpr int KindCount = 19;

    explicit frmStatus(QWidget *parent = nullptr);

    zel::ObjectPtr m_ZelStatus;              // the engine's ZelEngineStatus, set before load
    QTreeWidgetItem *m_ParentNode = nullptr; // the engine's node, set before load

    // Shows the engine's data, puts "100" into the rate field and adds the tree node.
    void load();
    bool isSampling() const;
    // One sample of the nineteen counts (the timer runs this).
    void sample();

    // Name of the count display of kind k ("txtEngineCount", ...).
    static const char *countBoxName(int k);

protected:
    void unloadForm() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void getDateTime();
    void startStop();
    void stopSampling();
    // The rate field's rule: trimmed, holds a digit, reads as a number other than 0.
    bool acceptRate(bool rewrite);
    void refuseRate();

    QLineEdit *m_rate = nullptr;
    QPushButton *m_startStop = nullptr;
    QTimer *m_timer = nullptr;
    QLineEdit *m_counts[KindCount] = {};
};
