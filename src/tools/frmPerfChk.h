// The performance check: times repeated writes and reads of one variable's Value, for a time,
// a number of times or until stopped, optionally comparing what was written with what was read.
// The variable panel opens it modally for its own variable. While it is open the process runs
// at raised priority.
#pragma once

#include "perfloop.h"
#include "zel/object.h"

#include <QDateTime>
#include <QDialog>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class PanelHost;

// A small up-down control: two arrow buttons that step a value within a range.
class UpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged)
public:
    explicit UpDown(QWidget *parent = nullptr);

    int value() const { return m_value; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setRange(int minimum, int maximum);
    // Sets the value, kept within the range; valueChanged only when it changes.
    void setValue(int value);
    void stepUp() { setValue(m_value + 1); }
    void stepDown() { setValue(m_value - 1); }

Q_SIGNALS:
    void valueChanged(int value);

private:
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
    int m_value = 0;
    int m_min = 0;
    int m_max = 100;
};

class frmPerfChk : public QDialog {
    Q_OBJECT
public:
    // Check patterns and read/write modes: the indexes of the option buttons.
    using Pattern = PerfLoop::Pattern;
    using enum PerfLoop::Pattern;
    enum Mode { ModeRead = 0, ModeWrite = 1, ModeWriteRead = 2 };
    // Step codes of one iteration, and the result codes of a run (0: nothing failed).
    using Step = PerfLoop::Step;
    using enum PerfLoop::Step;

    explicit frmPerfChk(QWidget *parent = nullptr);
    ~frmPerfChk() override;

    // Set by the opener before exec().
    zel::ObjectPtr m_Variable;  // the variable under test; released when the window closes
    PanelHost *m_MDI = nullptr; // its status bar shows that a check runs

    // The millisecond tick counter the runs read (the platform's; tests may hand in another).
    quint32 (*m_TickCount)() = nullptr;

    // Elapsed milliseconds from one tick count to a later one, across a wrap of the 32-bit counter.
    static quint32 timeRequired(quint32 startTick, quint32 endTick);
    // The time text of a result row: "MM/dd hh:mm:ss.zzz".
    static QString timeText(const QDateTime &localTime);
    // A field's rule: at least one digit, the whole text a number, within the range. On success
    // the number is stored in *number.
    static bool acceptNumber(const QString &text, int minimum, int maximum, int *number);
    // The message of a result code ("" for 0).
    static QString resultMessage(int resultCode);

    bool isRunning() const { return m_running; }
    // Iterations the last run completed (an iteration counts once its event pump has run).
    quint64 lastIterations() const { return m_lastIterations; }
    // The result code of the last run.
    int lastResult() const { return m_lastResult; }

    // St&art, St&op, &Clear as the buttons run them.
    void start();
    void requestStop() { m_loop.requestStop(); }

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void patternChosen(int index);
    void modeChosen(int index);
    void typeChosen(int index);
    void applyState();
    // Checks one of the three number fields; on failure shows its message, keeps the focus
    // there and selects the text.
    bool checkField(QLineEdit *field);
    void upDownChanged(int value);
    void run(const zel::Value &writeValue);
    int runLoop(const zel::Value &writeValue, quint32 startTick);
    void showMessage(const QString &text);
    void closeRules();

    // A frame of three exclusive options; the button group numbers them 0 to 2.
    struct OptionFrame {
        QGroupBox *frame = nullptr;
        QRadioButton *options[3] = {};
        QButtonGroup *group = nullptr;
    };
    // Builds one: the frame and its options "<optionName>_0" to "_2", in the group.
    OptionFrame optionFrame(const char *name, const QString &caption, const char *optionName,
                            const QString (&captions)[3]);
    static void setIdle(const OptionFrame &options, bool idle);

    OptionFrame m_fraPattern;
    QLineEdit *m_txtHour = nullptr;
    QLabel *m_lblTimeDelimiter = nullptr;
    QLineEdit *m_txtMinute = nullptr;
    QLineEdit *m_txtPatternCount = nullptr;
    UpDown *m_udPatternCount = nullptr;
    OptionFrame m_fraReadWrite;
    QLabel *m_lblValue = nullptr;
    QComboBox *m_cmbValueType = nullptr;
    QLineEdit *m_txtValue = nullptr;
    QCheckBox *m_chkDataCheck = nullptr;
    QCheckBox *m_chkIgnore = nullptr;
    QCheckBox *m_chkOutput = nullptr;
    QTreeWidget *m_lvResult = nullptr;
    QAbstractButton *m_cmdStart = nullptr;
    QAbstractButton *m_cmdStop = nullptr;
    QAbstractButton *m_cmdClear = nullptr;
    QAbstractButton *m_cmdExit = nullptr;

    int m_pattern = PatternCount;
    int m_mode = ModeRead;
    bool m_running = false;
    bool m_closing = false;  // a close arrived during a run: close when it has ended
    bool m_closed = false;   // the closing rules have run
    bool m_checking = false; // a field check is showing its message
    bool m_ignoreErrors = false;
    bool m_debugOutput = false;
    quint64 m_lastIterations = 0;
    PerfLoop m_loop;
    int m_lastResult = 0;
};
