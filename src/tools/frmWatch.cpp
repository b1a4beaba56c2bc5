#include "frmWatch.h"

#include "panelkit/AppState.h"
#include "panelkit/PanelBase.h"
#include "panelkit/PanelHost.h"
#include "panelkit/savedialog.h"
#include "trendchart.h"
#include "watchlist.h"

#include <QCheckBox>
#include <QDataStream>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// What a QTreeWidget drags: for each item its row, its column and its roles.
const QLatin1String kItemListMime("application/x-qabstractitemmodeldatalist");

QPushButton *pushButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}
} // namespace

frmWatch::frmWatch(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmWatch"));
    setWindowTitle(QStringLiteral("Watch"));
    m_list = new WatchList(this);
    auto *outer = new QVBoxLayout(this);

    auto *note = new QLabel(QStringLiteral("Each value is read at the interval through the engine, as its panel's Get "
                                           "reads it, without log or script lines. Drag variables from the object "
                                           "tree onto the list, or Add them; check a row to plot it."),
                            this);
    note->setObjectName(QStringLiteral("lblWatchNote"));
    note->setWordWrap(true);
    outer->addWidget(note);

    auto *bar = new QHBoxLayout;
    m_add = pushButton(this, "cmdWatchAdd", QStringLiteral("&Add..."));
    m_remove = pushButton(this, "cmdWatchRemove", QStringLiteral("&Remove"));
    auto *intervalLabel = new QLabel(QStringLiteral("&Interval :"), this);
    m_interval = new QLineEdit(QString::number(WatchList::kDefaultIntervalMs), this);
    m_interval->setObjectName(QStringLiteral("txtWatchInterval"));
    m_interval->setMaximumWidth(80);
    m_interval->setAlignment(Qt::AlignRight);
    intervalLabel->setBuddy(m_interval);
    m_start = pushButton(this, "cmdWatchStart", QStringLiteral("&Start"));
    m_stop = pushButton(this, "cmdWatchStop", QStringLiteral("S&top"));
    m_trend = new QCheckBox(QStringLiteral("Tr&end"), this);
    m_trend->setObjectName(QStringLiteral("chkTrend"));
    m_csv = pushButton(this, "cmdExportCsv", QStringLiteral("Export &CSV..."));
    m_png = pushButton(this, "cmdExportPng", QStringLiteral("Export P&NG..."));
    bar->addWidget(m_add);
    bar->addWidget(m_remove);
    bar->addSpacing(12);
    bar->addWidget(intervalLabel);
    bar->addWidget(m_interval);
    bar->addWidget(new QLabel(QStringLiteral("ms"), this));
    bar->addWidget(m_start);
    bar->addWidget(m_stop);
    bar->addSpacing(12);
    bar->addWidget(m_trend);
    bar->addStretch(1);
    bar->addWidget(m_csv);
    bar->addWidget(m_png);
    outer->addLayout(bar);

    auto *split = new QSplitter(Qt::Vertical, this);
    m_table = new QTableView(split);
    m_table->setObjectName(QStringLiteral("tblWatch"));
    m_table->setModel(m_list);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(WatchList::ColPath, 380);
    m_table->setColumnWidth(WatchList::ColValue, 220);
    m_table->setColumnWidth(WatchList::ColType, 70);
    m_table->setColumnWidth(WatchList::ColTime, 95);
    m_table->viewport()->setAcceptDrops(true);
    m_table->viewport()->installEventFilter(this);
    m_chart = new TrendChart(split);
    m_chart->setStore(&m_list->store());
    m_chart->hide();
    split->addWidget(m_table);
    split->addWidget(m_chart);
    outer->addWidget(split, 1);
    resize(1000, 600);

    connect(m_add, &QPushButton::clicked, this, &frmWatch::chooseAndAdd);
    connect(m_remove, &QPushButton::clicked, this, &frmWatch::removeSelected);
    connect(m_start, &QPushButton::clicked, this, &frmWatch::startPolling);
    connect(m_stop, &QPushButton::clicked, m_list, &WatchList::stop);
    connect(m_trend, &QCheckBox::toggled, this, &frmWatch::showTrend);
    connect(m_csv, &QPushButton::clicked, this, &frmWatch::exportCsv);
    connect(m_png, &QPushButton::clicked, this, &frmWatch::exportPng);
    connect(m_list, &WatchList::pollingChanged, this, &frmWatch::refreshButtons);
    connect(m_list, &QAbstractItemModel::rowsInserted, this, [this] {
        m_table->resizeColumnToContents(WatchList::ColPath);
        refreshButtons();
    });
    connect(m_list, &QAbstractItemModel::rowsRemoved, this, &frmWatch::refreshButtons);
    connect(m_list, &WatchList::plottedChanged, this, &frmWatch::refreshSeries);
    connect(m_list, &WatchList::polled, this, [this] {
        if (m_chart->isVisible()) {
            refreshSeries();
            m_chart->requestRefresh();
        }
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &frmWatch::refreshButtons);
    refreshButtons();
}

frmWatch::~frmWatch() = default;

frmWatch *frmWatch::open(QWidget *mainWindow)
{
    frmWatch *w = mainWindow ? mainWindow->findChild<frmWatch *>(QStringLiteral("frmWatch"), Qt::FindDirectChildrenOnly)
                             : nullptr;
    if (!w)
        w = new frmWatch(mainWindow);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

QList<PanelBase *> frmWatch::candidates() const
{
    QList<PanelBase *> panels;
    if (!hasApp() || !app().host)
        return panels;
    for (ZelForm *form : app().host->forms()) {
        auto *panel = qobject_cast<PanelBase *>(form);
        if (!panel || panel->isUnloaded() || panel->kind() != PanelKind::Variable || !panel->m_ZelObj)
            continue;
        bool watched = false;
        for (int r = 0; r < m_list->rowCount() && !watched; ++r)
            watched = m_list->panelAt(r) == panel;
        if (!watched)
            panels.append(panel);
    }
    return panels;
}

int frmWatch::addForms(const QList<qint32> &formIds)
{
    int added = 0;
    if (!hasApp() || !app().host)
        return 0;
    const QList<ZelForm *> forms = app().host->forms();
    for (qint32 id : formIds) {
        for (ZelForm *form : forms) {
            if (form->m_FormID == id && m_list->add(qobject_cast<PanelBase *>(form)))
                ++added;
        }
    }
    return added;
}

QList<qint32> frmWatch::formIdsOf(const QMimeData *mime)
{
    QList<qint32> ids;
    if (!mime || !mime->hasFormat(kItemListMime))
        return ids;
    QByteArray encoded = mime->data(kItemListMime);
    QDataStream stream(&encoded, QIODevice::ReadOnly);
    while (!stream.atEnd()) {
        int row = 0, column = 0;
        QMap<int, QVariant> roles;
        stream >> row >> column >> roles;
        if (stream.status() != QDataStream::Ok)
            break;
        bool ok = false;
        const qint32 id = roles.value(Qt::UserRole).toInt(&ok);
        if (ok && !ids.contains(id))
            ids.append(id);
    }
    return ids;
}

bool frmWatch::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: the filter also sees the events of the table's destruction.
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        if (watched != m_table->viewport())
            break;
        auto *e = static_cast<QDropEvent *>(event);
        if (e->mimeData()->hasFormat(kItemListMime)) {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        } else {
            e->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        if (watched != m_table->viewport())
            break;
        auto *e = static_cast<QDropEvent *>(event);
        // Nodes of other kinds are ignored: only variables have values to watch.
        addForms(formIdsOf(e->mimeData()));
        e->setDropAction(Qt::CopyAction);
        e->accept();
        return true;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmWatch::chooseAndAdd()
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgWatchAdd"));
    dialog.setWindowTitle(QStringLiteral("Add to Watch"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *choice = new QListWidget(&dialog);
    choice->setObjectName(QStringLiteral("lstWatchChoice"));
    choice->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (PanelBase *panel : candidates()) {
        auto *item = new QListWidgetItem(panel->m_LogObjPath, choice);
        item->setData(Qt::UserRole, panel->m_FormID);
    }
    auto *label = new QLabel(choice->count() ? QStringLiteral("&Variables with panels :")
                                             : QStringLiteral("No variable panel is open that is not watched."),
                             &dialog);
    label->setBuddy(choice);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(choice, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(label);
    layout->addWidget(choice);
    layout->addWidget(buttons);
    dialog.resize(520, 320);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QList<qint32> ids;
    for (QListWidgetItem *item : choice->selectedItems())
        ids.append(item->data(Qt::UserRole).toInt());
    addForms(ids);
}

void frmWatch::removeSelected()
{
    QList<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows)
        m_list->removeRow(row);
}

void frmWatch::startPolling()
{
    bool ok = false;
    const int ms = m_interval->text().trimmed().toInt(&ok);
    if (!ok || !m_list->setInterval(ms)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Watch"),
                        QStringLiteral("The interval must be a whole number of milliseconds from %1 to %2.")
                            .arg(WatchList::kMinIntervalMs)
                            .arg(WatchList::kMaxIntervalMs),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("msgWatchInterval"));
        box.exec();
        m_interval->setFocus();
        m_interval->selectAll();
        return;
    }
    m_interval->setText(QString::number(ms));
    m_list->start();
    m_list->pollOnce(); // the first values at once, not one interval later
}

void frmWatch::refreshButtons()
{
    const bool polling = m_list->isPolling();
    m_start->setEnabled(!polling);
    m_stop->setEnabled(polling);
    m_interval->setEnabled(!polling);
    m_remove->setEnabled(m_table->selectionModel()->hasSelection());
    m_png->setEnabled(m_trend->isChecked());
}

void frmWatch::refreshSeries()
{
    QStringList names;
    for (int r = 0; r < m_list->rowCount(); ++r) {
        if (m_list->plotted(r))
            names += m_list->seriesOf(r);
    }
    m_chart->setSeries(names);
}

void frmWatch::showTrend(bool on)
{
    m_chart->setVisible(on);
    if (on)
        refreshSeries();
    refreshButtons();
}

void frmWatch::exportCsv()
{
    const QString path =
        savedialog::askPath(this, QStringLiteral("Save Samples"), QStringLiteral("CSV File (*.csv)"), QStringLiteral("csv"));
    if (!path.isEmpty())
        savedialog::save(this, QStringLiteral("Watch"), path, m_list->store().csv().toUtf8());
}

void frmWatch::exportPng()
{
    const QString path =
        savedialog::askPath(this, QStringLiteral("Save Chart"), QStringLiteral("PNG Image (*.png)"), QStringLiteral("png"));
    if (path.isEmpty())
        return;
    m_chart->refresh();
    savedialog::save(this, QStringLiteral("Watch"), path, m_chart->png());
}
