#include "frmStatus.h"

#include "panelkit/AppState.h"
#include "panelkit/PanelHost.h"
#include "panelkit/iconset.h"
#include "panelkit/kinds.h"
#include "panelkit/textops.h"
#include "trendchart.h"
#include "services/valuetext.h"
#include "zel/errors.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

using zel::CallKind;
using zel::Value;
using zel::ZelError;

namespace {
// The counts by the engine's kind number: each panel kind's collection and object counts from
// its row (panelkit/kinds.h), and the status objects' own.
const StatusCount kStatusCount = {frmStatus::KindCount - 1, "ZelEngineStatus :", "txtStatusCount", 0, 2};

const std::array<StatusCount, frmStatus::KindCount> &countKinds()
{
    static const std::array<StatusCount, frmStatus::KindCount> table = [] {
        std::array<StatusCount, frmStatus::KindCount> t{};
        for (const KindInfo &row : kinds::kRows) {
            for (const StatusCount &count : {row.statusCollection, row.statusObject}) {
                if (count.index >= 0)
                    t[count.index] = count;
            }
        }
        t[kStatusCount.index] = kStatusCount;
        return t;
    }();
    return table;
}

QLineEdit *display(QWidget *parent, const QString &name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    textops::setLocked(e, true);
    return e;
}
} // namespace

const char *frmStatus::countBoxName(int k)
{
    return k >= 0 && k < KindCount ? countKinds()[k].box : nullptr;
}

frmStatus::frmStatus(QWidget *parent) : ZelForm(parent)
{
    setObjectName(QStringLiteral("frmStatus"));
    setWindowTitle(QStringLiteral("ZelEngineStatus"));
    auto *outer = new QVBoxLayout(this);

    auto *top = new QGroupBox(QStringLiteral("ZelEngineStatus"), this);
    auto *topGrid = new QGridLayout(top);
    topGrid->addWidget(new QLabel(QStringLiteral("Version :"), top), 0, 0);
    topGrid->addWidget(display(this, QStringLiteral("txtVersion")), 0, 1);
    outer->addWidget(top);

    auto *machine = new QGroupBox(QStringLiteral("MachineData"), this);
    auto *mGrid = new QGridLayout(machine);
    const char *machineRows[][2] = {{"ComputerName :", "txtComputerName"},
                                    {"StartDateTime :", "txtStartDateTime"},
                                    {"CurrentDateTime :", "txtCurrentDateTime"}};
    for (int i = 0; i < 3; ++i) {
        mGrid->addWidget(new QLabel(QLatin1String(machineRows[i][0]), machine), i, 0);
        mGrid->addWidget(display(this, QLatin1String(machineRows[i][1])), i, 1);
    }
    auto *getDate = new QPushButton(QStringLiteral("&Get DateTime"), this);
    getDate->setObjectName(QStringLiteral("cmdGetDateTime"));
    mGrid->addWidget(getDate, 2, 2);
    outer->addWidget(machine);

    auto *counts = new QGroupBox(QStringLiteral("ObjectCount"), this);
    auto *cGrid = new QGridLayout(counts);
    // Collections on the left, their objects beside them on the right; made in reading order.
    std::array<StatusCount, KindCount> places = countKinds();
    std::sort(places.begin(), places.end(), [](const StatusCount &a, const StatusCount &b) {
        return std::pair(a.row, a.column) < std::pair(b.row, b.column);
    });
    for (const StatusCount &count : places) {
        QLineEdit *&box = m_counts[count.index];
        box = display(this, QLatin1String(count.box));
        box->setAlignment(Qt::AlignRight);
        box->setMaximumWidth(80);
        cGrid->addWidget(new QLabel(QLatin1String(count.label), counts), count.row, count.column);
        cGrid->addWidget(box, count.row, count.column + 1);
    }
    outer->addWidget(counts);

    auto *sampling = new QHBoxLayout;
    auto *rateLabel = new QLabel(QStringLiteral("Sampling :"), this);
    m_rate = new QLineEdit(this);
    m_rate->setObjectName(QStringLiteral("txtSamplingRate"));
    m_rate->setMaximumWidth(80);
    m_rate->installEventFilter(this);
    rateLabel->setBuddy(m_rate);
    m_startStop = new QPushButton(QStringLiteral("[ &Start ]"), this);
    m_startStop->setObjectName(QStringLiteral("cmdStartStop"));
    auto *hide = new QPushButton(QStringLiteral("[ &Hide ]"), this);
    hide->setObjectName(QStringLiteral("cmdStatusHide"));
    sampling->addWidget(rateLabel);
    sampling->addWidget(m_rate);
    sampling->addWidget(new QLabel(QStringLiteral("ms"), this));
    sampling->addWidget(m_startStop);
    sampling->addStretch(1);
    sampling->addWidget(hide);
    outer->addLayout(sampling);
    // The counts as a trend, below everything else (off until its check box is ticked).
    QList<QPair<QString, QLineEdit *>> trendBoxes;
    for (int k = 0; k < KindCount; ++k)
        trendBoxes.append({QString::fromLatin1(countKinds()[k].label).chopped(2), m_counts[k]});

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("timSampling"));
    connect(m_timer, &QTimer::timeout, this, &frmStatus::sample);
    outer->addWidget(new CountTrend(trendBoxes, m_timer, this));
    connect(getDate, &QPushButton::clicked, this, &frmStatus::getDateTime);
    connect(m_startStop, &QPushButton::clicked, this, &frmStatus::startStop);
    connect(hide, &QPushButton::clicked, this, [this] { app().host->HideForm(m_TreeNode); });
}

void frmStatus::load()
{
    auto get = [this](const char *member) {
        return m_ZelStatus->invoke(QLatin1String(member), CallKind::PropertyGet, {}).toPlainText();
    };
    findChild<QLineEdit *>(QStringLiteral("txtVersion"))->setText(get("Version"));
    findChild<QLineEdit *>(QStringLiteral("txtComputerName"))->setText(get("ComputerName"));
    findChild<QLineEdit *>(QStringLiteral("txtStartDateTime"))->setText(get("StartDateTime"));
    m_rate->setText(QStringLiteral("100"));
    AppState &a = app();
    m_TreeNode = a.host->AddTreeNode(m_ZelStatus->identity(), m_ParentNode, QStringLiteral("Engine Status"),
                                     QStringLiteral("ENGINESTATUS"));
    m_TreeNode->setData(0, Qt::UserRole, m_FormID);
    setWindowIcon(zelIcon(QStringLiteral("ENGINESTATUS")));
    a.host->addForm(this);
}

bool frmStatus::isSampling() const
{
    return m_timer->isActive();
}

void frmStatus::getDateTime()
{
    try {
        if (!m_ZelStatus)
            throw ZelError(zel::E_UNEXPECTED, QStringLiteral("The monitor holds no status object"));
        QString now = m_ZelStatus->invoke(QStringLiteral("CurrentDateTime"), CallKind::PropertyGet, {}).toPlainText();
        findChild<QLineEdit *>(QStringLiteral("txtCurrentDateTime"))->setText(now);
    } catch (const ZelError &e) {
        app().logError(e);
    }
}

bool frmStatus::acceptRate(bool rewrite)
{
    QString text = m_rate->text().trimmed();
    if (rewrite)
        m_rate->setText(text);
    double d = 0;
    if (!valuetext::isNumericText(text, &d) || d == 0)
        return false;
    if (rewrite)
        m_rate->setText(QString::number(d, 'g', 15));
    return true;
}

void frmStatus::refuseRate()
{
    m_rate->setFocus();
    textops::selectAll(m_rate);
}

bool frmStatus::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_rate && event->type() == QEvent::FocusOut && m_rate->isEnabled() && !acceptRate(true)) {
        // The field cannot be left with a refused text.
        QTimer::singleShot(0, this, &frmStatus::refuseRate);
    }
    return ZelForm::eventFilter(watched, event);
}

void frmStatus::startStop()
{
    if (m_timer->isActive()) {
        stopSampling();
        return;
    }
    if (!acceptRate(true)) {
        refuseRate();
        return;
    }
    try {
        double ms = std::nearbyint(m_rate->text().toDouble());
        if (ms < 0 || ms > 65535)
            throw ZelError(zel::E_OUT_OF_RANGE,
                           QStringLiteral("A sampling interval of %1 ms cannot be set (0 to 65535)").arg(m_rate->text()));
        m_timer->setInterval(int(ms));
        m_timer->start();
        m_startStop->setText(QStringLiteral("Stop"));
        textops::setEnabledLook(m_rate, false);
    } catch (const ZelError &e) {
        app().logError(e);
    }
}

void frmStatus::stopSampling()
{
    m_timer->stop();
    m_startStop->setText(QStringLiteral("Start"));
    textops::setEnabledLook(m_rate, true);
}

void frmStatus::sample()
{
    try {
        if (!m_ZelStatus)
            throw ZelError(zel::E_UNEXPECTED, QStringLiteral("The monitor holds no status object"));
        for (int k = 0; k < KindCount; ++k) {
            qint32 n = m_ZelStatus->invoke(QStringLiteral("ObjectCount"), CallKind::PropertyGet, {Value::fromI2(qint16(k))})
                           .toInt32();
            m_counts[k]->setText(QString::number(n));
        }
    } catch (const ZelError &e) {
        app().logError(e);
        stopSampling();
    }
}

void frmStatus::unloadForm()
{
    m_timer->stop();
    m_ZelStatus.reset();
}
