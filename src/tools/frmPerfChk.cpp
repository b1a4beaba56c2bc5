#include "frmPerfChk.h"

#include "panelkit/PanelHost.h"
#include "panelkit/textops.h"
#include "panelkit/valuetypelist.h"
#include "services/platform.h"
#include "services/valuetext.h"
#include "zel/errors.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

using zel::Value;

namespace {

constexpr int kHourMax = 500;
constexpr int kMinuteMax = 59;
constexpr int kCountMin = 1;
constexpr int kCountMax = 65535;

const char kHourMessage[] = "Input the integer of 0 to 500 into the hour.";
const char kMinuteMessage[] = "Input the integer of 0 to 59 into the minute.";
const char kCountMessage[] = "Input the integer of 1 to 65535 into the number of times.";

// Result list columns.
enum Column { ColAction = 0, ColTime = 1, ColRequired = 2 };

QLineEdit *digitsField(QWidget *parent, const char *name, const QString &text)
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(QLatin1String(name));
    // Digits only: anything else is refused as it is typed.
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    e->setMaximumWidth(64);
    e->setAlignment(Qt::AlignRight);
    return e;
}

QPushButton *commandButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

// ---- the up-down control ---------------------------------------------------------------------

UpDown::UpDown(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto arrow = [this, layout](Qt::ArrowType type, const char *name) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(18, 11);
        layout->addWidget(b);
        return b;
    };
    m_up = arrow(Qt::UpArrow, "btnUp");
    m_down = arrow(Qt::DownArrow, "btnDown");
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void UpDown::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = qMax(minimum, maximum);
    setValue(m_value);
}

void UpDown::setValue(int value)
{
    value = qBound(m_min, value, m_max);
    if (value == m_value)
        return;
    m_value = value;
    Q_EMIT valueChanged(value);
}

// ---- the window ----------------------------------------------------------------------------------

frmPerfChk::OptionFrame frmPerfChk::optionFrame(const char *name, const QString &caption, const char *optionName,
                                                const QString (&captions)[3])
{
    OptionFrame f;
    f.frame = new QGroupBox(caption, this);
    f.frame->setObjectName(QLatin1String(name));
    f.group = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        f.options[i] = new QRadioButton(captions[i], f.frame);
        f.options[i]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(optionName)).arg(i));
        f.group->addButton(f.options[i], i);
    }
    return f;
}

void frmPerfChk::setIdle(const OptionFrame &options, bool idle)
{
    options.frame->setEnabled(idle);
    for (QRadioButton *b : options.options)
        b->setEnabled(idle);
}

frmPerfChk::frmPerfChk(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPerfChk"));
    setWindowTitle(QStringLiteral("[ Performance Check ]"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    m_TickCount = &platform::tickCount;

    // The whole process runs at raised priority while the window is open.
    platform::setHighPriority(true);

    auto *outer = new QVBoxLayout(this);
    auto *frames = new QHBoxLayout;
    outer->addLayout(frames);

    // Check pattern: for a time, a number of times, or until stopped.
    m_fraPattern = optionFrame("fraPattern", QStringLiteral("Check Pattern"), "optPattern",
                            {QStringLiteral("Time(H:M) :"), QStringLiteral("No. Times :"), QStringLiteral("Infinite")});
    QWidget *const patternFrame = m_fraPattern.frame;
    auto *patternGrid = new QGridLayout(patternFrame);
    for (int i = 0; i < 3; ++i)
        patternGrid->addWidget(m_fraPattern.options[i], i, 0);
    m_txtHour = digitsField(patternFrame, "txtHour", QStringLiteral("0"));
    m_lblTimeDelimiter = new QLabel(QStringLiteral(":"), patternFrame);
    m_lblTimeDelimiter->setObjectName(QStringLiteral("lblTimeDelimiter"));
    m_txtMinute = digitsField(patternFrame, "txtMinute", QStringLiteral("1"));
    auto *timeRow = new QHBoxLayout;
    timeRow->addWidget(m_txtHour);
    timeRow->addWidget(m_lblTimeDelimiter);
    timeRow->addWidget(m_txtMinute);
    timeRow->addStretch(1);
    patternGrid->addLayout(timeRow, 0, 1);
    m_txtPatternCount = digitsField(patternFrame, "txtPatternCount", QStringLiteral("1"));
    m_udPatternCount = new UpDown(patternFrame);
    m_udPatternCount->setObjectName(QStringLiteral("udPatternCount"));
    m_udPatternCount->setRange(kCountMin, kCountMax);
    m_udPatternCount->setValue(1);
    auto *countRow = new QHBoxLayout;
    countRow->setSpacing(1);
    countRow->addWidget(m_txtPatternCount);
    countRow->addWidget(m_udPatternCount);
    countRow->addStretch(1);
    patternGrid->addLayout(countRow, 1, 1);
    patternGrid->setRowStretch(3, 1);
    frames->addWidget(m_fraPattern.frame);

    // Read / write mode and the value to write.
    m_fraReadWrite = optionFrame("fraReadWrite", QStringLiteral("Read / Write"), "optReadWrite",
                              {QStringLiteral("Read"), QStringLiteral("Write"), QStringLiteral("Write && Read")});
    QWidget *const rwFrame = m_fraReadWrite.frame;
    auto *rwGrid = new QGridLayout(rwFrame);
    auto *modeRow = new QHBoxLayout;
    for (QRadioButton *b : m_fraReadWrite.options)
        modeRow->addWidget(b);
    modeRow->addStretch(1);
    rwGrid->addLayout(modeRow, 0, 0, 1, 3);
    m_lblValue = new QLabel(QStringLiteral("Value :"), rwFrame);
    m_lblValue->setObjectName(QStringLiteral("lblValue"));
    m_cmbValueType = new QComboBox(rwFrame);
    m_cmbValueType->setObjectName(QStringLiteral("cmbValueType"));
    valuetext::fillValueTypeList(m_cmbValueType);
    m_txtValue = new QLineEdit(rwFrame);
    m_txtValue->setObjectName(QStringLiteral("txtValue"));
    m_txtValue->setMinimumWidth(150);
    m_lblValue->setBuddy(m_cmbValueType);
    rwGrid->addWidget(m_lblValue, 1, 0);
    rwGrid->addWidget(m_cmbValueType, 1, 1);
    rwGrid->addWidget(m_txtValue, 1, 2);
    rwGrid->setColumnStretch(2, 1);
    m_chkDataCheck = new QCheckBox(QStringLiteral("Check Data"), rwFrame);
    m_chkDataCheck->setObjectName(QStringLiteral("chkDataCheck"));
    rwGrid->addWidget(m_chkDataCheck, 2, 0, 1, 3);
    rwGrid->setRowStretch(3, 1);
    frames->addWidget(m_fraReadWrite.frame, 1);

    auto *checks = new QHBoxLayout;
    m_chkIgnore = new QCheckBox(QStringLiteral("Ignore Error"), this);
    m_chkIgnore->setObjectName(QStringLiteral("chkIgnore"));
    m_chkOutput = new QCheckBox(QStringLiteral("OutputDebugString value"), this);
    m_chkOutput->setObjectName(QStringLiteral("chkOutput"));
    checks->addWidget(m_chkIgnore);
    checks->addWidget(m_chkOutput);
    checks->addStretch(1);
    outer->addLayout(checks);

    // The result rows: a START row and an END or ERROR row per run.
    auto *lblResult = new QLabel(QStringLiteral("Result :"), this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    outer->addWidget(lblResult);
    m_lvResult = new QTreeWidget(this);
    m_lvResult->setObjectName(QStringLiteral("lvResult"));
    m_lvResult->setColumnCount(3);
    m_lvResult->setHeaderLabels(
        {QStringLiteral("Action"), QStringLiteral("Time"), QStringLiteral("Time Required (ms)")});
    m_lvResult->setRootIsDecorated(false);
    m_lvResult->setUniformRowHeights(true);
    m_lvResult->setColumnWidth(ColAction, 70);
    m_lvResult->setColumnWidth(ColTime, 150);
    m_lvResult->header()->setStretchLastSection(true);
    m_lvResult->setMinimumHeight(140);
    lblResult->setBuddy(m_lvResult);
    outer->addWidget(m_lvResult, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cmdStart = commandButton(this, "cmdStart", QStringLiteral("St&art"));
    m_cmdStop = commandButton(this, "cmdStop", QStringLiteral("St&op"));
    m_cmdClear = commandButton(this, "cmdClear", QStringLiteral("&Clear"));
    m_cmdExit = commandButton(this, "cmdExit", QStringLiteral("E&xit"));
    for (QAbstractButton *b : {m_cmdStart, m_cmdStop, m_cmdClear, m_cmdExit})
        buttons->addWidget(b);
    outer->addLayout(buttons);

    // Tab order follows the layout.
    QRadioButton *const *pattern = m_fraPattern.options;
    QRadioButton *const *readWrite = m_fraReadWrite.options;
    QWidget *order[] = {pattern[0],      m_txtHour,         m_txtMinute,       pattern[1],        m_txtPatternCount,
                        pattern[2],      readWrite[0],      readWrite[1],      readWrite[2],      m_cmbValueType,
                        m_txtValue,      m_chkDataCheck,    m_chkIgnore,       m_chkOutput,       m_lvResult,
                        m_cmdStart,      m_cmdStop,         m_cmdClear,        m_cmdExit};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    pattern[PatternCount]->setChecked(true);
    readWrite[ModeRead]->setChecked(true);
    connect(m_fraPattern.group, &QButtonGroup::idClicked, this, &frmPerfChk::patternChosen);
    connect(m_fraReadWrite.group, &QButtonGroup::idClicked, this, &frmPerfChk::modeChosen);
    connect(m_cmbValueType, &QComboBox::currentIndexChanged, this, &frmPerfChk::typeChosen);
    connect(m_udPatternCount, &UpDown::valueChanged, this, &frmPerfChk::upDownChanged);
    connect(m_cmdStart, &QAbstractButton::clicked, this, &frmPerfChk::start);
    connect(m_cmdStop, &QAbstractButton::clicked, this, &frmPerfChk::requestStop);
    connect(m_cmdClear, &QAbstractButton::clicked, m_lvResult, &QTreeWidget::clear);
    connect(m_cmdExit, &QAbstractButton::clicked, this, &QDialog::close);
    for (QLineEdit *field : {m_txtHour, m_txtMinute, m_txtPatternCount})
        field->installEventFilter(this);

    applyState();
    resize(640, 440);
}

frmPerfChk::~frmPerfChk()
{
    closeRules();
}

// ---- pure helpers --------------------------------------------------------------------------------

quint32 frmPerfChk::timeRequired(quint32 startTick, quint32 endTick)
{
    return platform::tickDifference(startTick, endTick);
}

QString frmPerfChk::timeText(const QDateTime &localTime)
{
    return localTime.toString(QStringLiteral("MM/dd hh:mm:ss.zzz"));
}

bool frmPerfChk::acceptNumber(const QString &text, int minimum, int maximum, int *number)
{
    bool digit = false;
    for (QChar c : text)
        digit = digit || c.isDigit();
    double d = 0;
    if (!digit || !valuetext::isNumericText(text, &d))
        return false;
    double r = std::nearbyint(d);
    if (!(r >= minimum && r <= maximum))
        return false;
    if (number)
        *number = int(r);
    return true;
}

QString frmPerfChk::resultMessage(int resultCode)
{
    switch (resultCode) {
    case StepWrite: return QStringLiteral("'IZelVariable->put_Value' is failed.");
    case StepRead: return QStringLiteral("'IZelVariable->get_Value' is failed.");
    case StepCompare: return QStringLiteral("Write data and read data are different.");
    default: return QString();
    }
}

// ---- selections and state ------------------------------------------------------------------------

void frmPerfChk::patternChosen(int index)
{
    m_pattern = index;
    applyState();
}

void frmPerfChk::modeChosen(int index)
{
    m_mode = index;
    applyState();
}

void frmPerfChk::typeChosen(int)
{
    applyState();
}

// Enables the controls for the state (idle or running), the pattern, the mode and the type.
void frmPerfChk::applyState()
{
    const bool idle = !m_running;
    const int type = m_cmbValueType->currentIndex();
    const bool typeHasText =
        type != valuetext::kPosEmpty && type != valuetext::kPosNull && type != valuetext::kPosUnknown;

    setIdle(m_fraPattern, idle);
    const bool time = idle && m_pattern == PatternTime;
    textops::setEnabledLook(m_txtHour, time);
    m_lblTimeDelimiter->setEnabled(time);
    textops::setEnabledLook(m_txtMinute, time);
    const bool count = idle && m_pattern == PatternCount;
    textops::setEnabledLook(m_txtPatternCount, count);
    m_udPatternCount->setEnabled(count);

    setIdle(m_fraReadWrite, idle);
    const bool writes = idle && m_mode != ModeRead;
    m_lblValue->setEnabled(writes);
    m_cmbValueType->setEnabled(writes);
    textops::setEnabledLook(m_txtValue, writes && typeHasText);
    m_chkDataCheck->setEnabled(idle && m_mode == ModeWriteRead);

    for (QWidget *w : {static_cast<QWidget *>(m_chkIgnore), static_cast<QWidget *>(m_chkOutput),
                       static_cast<QWidget *>(m_cmdClear), static_cast<QWidget *>(m_cmdExit)})
        w->setEnabled(idle);
    m_cmdStart->setEnabled(idle && (m_mode == ModeRead || type != valuetext::kPosUnknown));
    m_cmdStop->setEnabled(m_running);
}

// ---- field checks and the up-down ------------------------------------------------------------------

bool frmPerfChk::checkField(QLineEdit *field)
{
    int minimum = 0, maximum = kHourMax;
    const char *message = kHourMessage;
    if (field == m_txtMinute) {
        maximum = kMinuteMax;
        message = kMinuteMessage;
    } else if (field == m_txtPatternCount) {
        minimum = kCountMin;
        maximum = kCountMax;
        message = kCountMessage;
    }
    int n = 0;
    if (acceptNumber(field->text(), minimum, maximum, &n)) {
        if (field == m_txtPatternCount)
            m_udPatternCount->setValue(n);
        field->setText(QString::number(n));
        return true;
    }
    m_checking = true;
    showMessage(QLatin1String(message));
    // The message box took the activation with it. Without it back, the field would only be
    // the window's focus child: moving on from it sends no focus events, and the next leave
    // would go unchecked.
    activateWindow();
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    m_checking = false;
    return false;
}

bool frmPerfChk::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && !m_checking && !m_running && !m_closed) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        QWidget *next = QApplication::focusWidget();
        // Leaving the window is no move to another field; St&art checks the fields itself, and
        // E&xit always closes.
        const bool leavesWindow =
            reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || (next && next->window() != this);
        if (!leavesWindow && next != m_cmdStart && next != m_cmdExit) {
            auto *field = qobject_cast<QLineEdit *>(watched);
            // A refused field has the focus back already: this focus-out is over.
            if (field && field->isEnabled() && !checkField(field))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmPerfChk::upDownChanged(int value)
{
    const QString text = m_txtPatternCount->text();
    double number = 0;
    const bool numeric = valuetext::isNumericText(text, &number);
    if (text.isEmpty())
        m_txtPatternCount->setText(QStringLiteral("1"));
    else if (numeric && number > m_udPatternCount->maximum())
        m_txtPatternCount->setText(QString::number(m_udPatternCount->maximum()));
    else if (!numeric || number != value)
        m_txtPatternCount->setText(QString::number(value));
}

// ---- the run -----------------------------------------------------------------------------------------

void frmPerfChk::start()
{
    if (m_running || m_closed)
        return;
    // An invalid field of the chosen pattern keeps the run from starting.
    if (m_pattern == PatternTime && !(checkField(m_txtHour) && checkField(m_txtMinute)))
        return;
    if (m_pattern == PatternCount && !checkField(m_txtPatternCount))
        return;

    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_running = true;
    applyState();
    if (m_MDI)
        m_MDI->WriteStatusBar(QStringLiteral("Runnning performance check..."));

    bool convertible = true;
    Value writeValue;
    if (m_mode != ModeRead) {
        try {
            writeValue = valuetext::textToValue(m_txtValue->text(), m_cmbValueType->currentIndex(), {});
        } catch (const zel::ZelError &e) {
            convertible = false;
            showMessage(e.description());
        }
    }
    if (convertible) {
        m_loop.clearStop();
        run(writeValue);
    }

    if (m_MDI)
        m_MDI->WriteStatusBar(QString());
    m_running = false;
    applyState();
    QApplication::restoreOverrideCursor();
    if (m_closing)
        done(QDialog::Rejected);
}

void frmPerfChk::run(const Value &writeValue)
{
    const QDateTime startTime = QDateTime::currentDateTime();
    const quint32 startTick = m_TickCount();

    auto *startRow =
        new QTreeWidgetItem(m_lvResult, {QStringLiteral("START"), timeText(startTime), QStringLiteral(" ")});
    m_lvResult->scrollToItem(startRow);
    auto *endRow = new QTreeWidgetItem(m_lvResult);

    m_ignoreErrors = m_chkIgnore->isChecked();
    m_debugOutput = m_chkOutput->isChecked();

    const int result = runLoop(writeValue, startTick);

    const QDateTime endTime = QDateTime::currentDateTime();
    const quint32 endTick = m_TickCount();
    const quint32 required = timeRequired(startTick, endTick);
    m_lastResult = result;

    if (result != 0) {
        endRow->setText(ColAction, QStringLiteral("ERROR"));
        showMessage(resultMessage(result));
    } else {
        endRow->setText(ColAction, QStringLiteral("END"));
    }
    endRow->setText(ColTime, timeText(endTime));
    endRow->setText(ColRequired, QString::number(required));
    m_lvResult->scrollToItem(endRow);
}

// The measured loop is PerfLoop's; the window's fields make its plan.
int frmPerfChk::runLoop(const Value &writeValue, quint32 startTick)
{
    PerfLoop::Plan plan;
    plan.pattern = Pattern(m_pattern);
    plan.write = m_mode != ModeRead;
    plan.read = m_mode != ModeWrite;
    plan.compare = m_chkDataCheck->isChecked() && m_mode == ModeWriteRead;
    plan.ignoreErrors = m_ignoreErrors;
    plan.debugOutput = m_debugOutput;
    if (m_pattern == PatternTime) {
        int hours = 0, minutes = 0;
        acceptNumber(m_txtHour->text(), 0, kHourMax, &hours);
        acceptNumber(m_txtMinute->text(), 0, kMinuteMax, &minutes);
        plan.limitMs = quint32(hours) * 3600000u + quint32(minutes) * 60000u;
    } else if (m_pattern == PatternCount) {
        int n = 0;
        acceptNumber(m_txtPatternCount->text(), kCountMin, kCountMax, &n);
        plan.count = quint64(n);
    }
    const int result = m_loop.run(plan, m_Variable.get(), writeValue, m_TickCount, startTick);
    m_lastIterations = m_loop.iterations();
    return result;
}

void frmPerfChk::showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("ZelTester"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgPerfChk"));
    box.exec();
}

// ---- closing -------------------------------------------------------------------------------------------

void frmPerfChk::done(int result)
{
    if (m_running) {
        // The run sees the stop request at its next iteration; the window closes after it.
        m_loop.requestStop();
        m_closing = true;
        return;
    }
    closeRules();
    QDialog::done(result);
}

void frmPerfChk::closeRules()
{
    if (m_closed)
        return;
    m_closed = true;
    platform::setHighPriority(false);
    m_loop.requestStop();
    m_Variable.reset();
}
