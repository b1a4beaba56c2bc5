#include "watchlist.h"

#include "panelkit/PanelBase.h"
#include "services/valuetext.h"
#include "zel/errors.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QRegularExpression>
#include <QTimer>

using zel::Value;

namespace {
constexpr int kMaxArrayParts = 16;

// "P(1, 2, 3, 4, 5, 6)" or "J(...)": six numbers.
bool poseParts(const QString &text, QList<QPair<QString, double>> &parts)
{
    static const QRegularExpression pose(QStringLiteral("^\\s*([PJ])\\s*\\(([^()]*)\\)\\s*$"));
    const QRegularExpressionMatch m = pose.match(text);
    if (!m.hasMatch())
        return false;
    const QStringList numbers = m.captured(2).split(QLatin1Char(','));
    if (numbers.size() != 6)
        return false;
    static const char *const posNames[] = {"x", "y", "z", "rx", "ry", "rz"};
    const bool joints = m.captured(1) == QLatin1String("J");
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        double d = numbers[i].trimmed().toDouble(&ok);
        if (!ok)
            return false;
        parts.append({QLatin1Char('[') + (joints ? QStringLiteral("j%1").arg(i + 1) : QLatin1String(posNames[i]))
                          + QLatin1Char(']'),
                      d});
    }
    return true;
}

// Red until a read succeeds again.
const QColor kFailedBack(255, 200, 200);
} // namespace

QList<QPair<QString, double>> numericParts(const Value &value)
{
    QList<QPair<QString, double>> parts;
    if (value.type() == zel::VT_BOOL) {
        parts.append({QString(), value.boolValue() ? 1.0 : 0.0});
    } else if (value.isNumeric()) {
        parts.append({QString(), value.toDouble()});
    } else if (value.isString()) {
        if (!poseParts(value.stringValue(), parts))
            parts.clear();
    } else if (value.isArray()) {
        const zel::Array &a = value.arrayValue();
        if (a.items.size() > kMaxArrayParts)
            return {};
        for (qsizetype i = 0; i < a.items.size(); ++i) {
            const Value &item = a.items[i];
            if (!item.isNumeric() && item.type() != zel::VT_BOOL)
                return {};
            double d = item.type() == zel::VT_BOOL ? (item.boolValue() ? 1.0 : 0.0) : item.toDouble();
            parts.append({QStringLiteral("[%1]").arg(a.lowerBound + i), d});
        }
    }
    return parts;
}

WatchList::WatchList(QObject *parent) : QAbstractTableModel(parent)
{
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("timWatch"));
    m_timer->setInterval(kDefaultIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &WatchList::pollOnce);
}

WatchList::~WatchList() = default;

bool WatchList::add(PanelBase *panel)
{
    if (!panel || panel->isUnloaded() || panel->kind() != PanelKind::Variable || !panel->m_ZelObj)
        return false;
    for (const Row &r : std::as_const(m_rows)) {
        if (r.panel == panel)
            return false;
    }
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size()));
    Row row;
    row.panel = panel;
    row.path = panel->m_LogObjPath;
    m_rows.append(row);
    endInsertRows();
    // A panel deleted while the list is idle leaves at once, not at the next tick.
    connect(panel, &QObject::destroyed, this, &WatchList::dropGoneRows, Qt::QueuedConnection);
    return true;
}

void WatchList::removeRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    const bool wasPlotted = m_rows[row].plotted;
    beginRemoveRows(QModelIndex(), row, row);
    for (const QString &s : std::as_const(m_rows[row].series))
        m_store.remove(s);
    m_rows.removeAt(row);
    endRemoveRows();
    if (wasPlotted)
        Q_EMIT plottedChanged();
}

void WatchList::dropGoneRows()
{
    for (int i = int(m_rows.size()) - 1; i >= 0; --i) {
        if (!m_rows[i].panel || m_rows[i].panel->isUnloaded() || !m_rows[i].panel->m_ZelObj)
            removeRow(i);
    }
}

PanelBase *WatchList::panelAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].panel.data() : nullptr;
}

QString WatchList::pathAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].path : QString();
}

bool WatchList::failedAt(int row) const
{
    return row >= 0 && row < m_rows.size() && !m_rows[row].error.isEmpty();
}

QStringList WatchList::seriesOf(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].series : QStringList();
}

bool WatchList::plotted(int row) const
{
    return row >= 0 && row < m_rows.size() && m_rows[row].plotted;
}

void WatchList::setPlotted(int row, bool on)
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].plotted == on)
        return;
    m_rows[row].plotted = on;
    Q_EMIT dataChanged(index(row, ColPath), index(row, ColPath), {Qt::CheckStateRole});
    Q_EMIT plottedChanged();
}

bool WatchList::setInterval(int ms)
{
    if (ms < kMinIntervalMs || ms > kMaxIntervalMs)
        return false;
    m_timer->setInterval(ms);
    return true;
}

int WatchList::interval() const
{
    return m_timer->interval();
}

void WatchList::start()
{
    if (m_timer->isActive())
        return;
    m_timer->start();
    Q_EMIT pollingChanged(true);
}

void WatchList::stop()
{
    if (!m_timer->isActive())
        return;
    m_timer->stop();
    Q_EMIT pollingChanged(false);
}

bool WatchList::isPolling() const
{
    return m_timer->isActive();
}

void WatchList::read(Row &row, qint64 now)
{
    row.lastMs = now;
    try {
        // The panel's Get: the same engine call and the same display form, no lines.
        const Value v = row.panel->m_ZelObj->invoke(QStringLiteral("Value"), zel::CallKind::PropertyGet, {});
        const QString basis = valuetext::typeAndText(v);
        row.value = basis.mid(basis.indexOf(QLatin1Char(',')) + 1);
        row.type = valuetext::positionText(valuetext::typeToPosition(v.type()));
        row.error.clear();
        for (const auto &[suffix, number] : numericParts(v)) {
            const QString series = row.path + suffix;
            if (!row.series.contains(series))
                row.series.append(series);
            m_store.append(series, now, number);
        }
    } catch (const zel::ZelError &e) {
        // A failed read leaves the last value shown and turns the row red; the others go on.
        row.error = QStringLiteral("0x%1: %2")
                        .arg(QStringLiteral("%1").arg(e.unsignedNumber(), 8, 16, QLatin1Char('0')).toUpper(), e.description());
    }
}

void WatchList::pollOnce()
{
    dropGoneRows();
    if (m_rows.isEmpty())
        return;
    for (Row &row : m_rows)
        read(row, QDateTime::currentMSecsSinceEpoch());
    m_store.prune(QDateTime::currentMSecsSinceEpoch());
    Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1));
    Q_EMIT polled();
}

int WatchList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int WatchList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant WatchList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &r = m_rows[index.row()];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case ColPath: return r.path;
        case ColValue: return r.value;
        case ColType: return r.type;
        case ColTime:
            return r.lastMs ? QDateTime::fromMSecsSinceEpoch(r.lastMs).toString(QStringLiteral("hh:mm:ss.zzz")) : QString();
        case ColError: return r.error;
        default: return {};
        }
    }
    if (role == Qt::BackgroundRole && !r.error.isEmpty())
        return QBrush(kFailedBack);
    if (role == Qt::CheckStateRole && index.column() == ColPath)
        return r.plotted ? Qt::Checked : Qt::Unchecked;
    return {};
}

QVariant WatchList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[] = {"Path", "Value", "Type", "Last Read", "Error"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QString();
}

Qt::ItemFlags WatchList::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == ColPath)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool WatchList::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != ColPath || role != Qt::CheckStateRole)
        return false;
    setPlotted(index.row(), value.toInt() == Qt::Checked);
    return true;
}
