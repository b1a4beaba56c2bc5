// The watch window: variables with panels read at an interval without log or script lines, a
// failing read shown red while the others go on, rows that leave with their panels, the trend
// store and chart, the CSV and PNG exports and the status monitor's trend.
#include "faultyfiles.h"
#include "testsupport.h"

#include "tools/frmStatus.h"
#include "tools/frmWatch.h"
#include "tools/trendchart.h"
#include "tools/trendstore.h"
#include "tools/watchlist.h"
#include "zel/value.h"

#include <QAction>
#include <QBrush>
#include <QDialog>
#include <QDropEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QScrollBar>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>

using zel::Value;

namespace {

frmWatch *openWatch(TestRun &run)
{
    child<QAction>(run.mdi(), u"mnuToolsWatch"_s)->trigger();
    return run.mdi()->findChild<frmWatch *>(u"frmWatch"_s);
}

// Three variables of a controller: v1 (I4 5), v2 (fails while its fault is armed), v3 (R8 2.5).
struct ThreeVariables {
    PanelBase *ctrl, *v1, *v2, *v3;
    explicit ThreeVariables(TestRun &run)
    {
        ctrl = addController(run, u"RC1"_s);
        v1 = addMember(run, ctrl, PanelKind::Variable, u"v1"_s);
        v2 = addMember(run, ctrl, PanelKind::Variable, u"v2"_s);
        v3 = addMember(run, ctrl, PanelKind::Variable, u"v3"_s);
        zput(v1->m_ZelObj, u"Value"_s, Value::fromI4(5));
        zput(v2->m_ZelObj, u"Value"_s, Value::fromString(u"text"_s));
        zput(v3->m_ZelObj, u"Value"_s, Value::fromR8(2.5));
    }
    void armFault()
    {
        zcall(ctrl->m_ZelObj, u"Execute"_s,
              {Value::fromString(u"InjectFault"_s), Value::fromString(u"Object=v2,Operation=get_Value,Count=-1"_s)});
    }
};

QString cell(WatchList *list, int row, int column)
{
    return list->data(list->index(row, column)).toString();
}

bool red(WatchList *list, int row)
{
    return list->data(list->index(row, WatchList::ColPath), Qt::BackgroundRole).canConvert<QBrush>();
}

// Answers the next save dialog with the path and returns the warning that follows, if any.
QString saveThrough(QPushButton *button, const QString &path)
{
    QString warning;
    bool done = false;
    onNextModal([&](QWidget *dialog) {
        acceptFileDialog(dialog, path);
        done = true;
    });
    // A failed save shows its box after the dialog; a watcher answers it when it comes.
    QTimer boxWatch;
    QObject::connect(&boxWatch, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            warning = box->text() + u'\n' + box->informativeText();
            box->accept();
        }
    });
    boxWatch.start(20);
    button->click();
    return done ? warning : u"no dialog"_s;
}

} // namespace

class TestWatch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Three variables, one failing, polled five times: the rows show path, value, type, time
    // and error; the failing one is red until a read succeeds; no log or script line comes; the
    // CSV holds the numeric samples; deleting a panel takes its row away.
    void threeVariablesFivePolls()
    {
        TestRun run;
        ThreeVariables vars(run);
        frmWatch *w = openWatch(run);
        QVERIFY(w && w->isVisible() && w->isWindow());
        QVERIFY(!w->parentWidget() || !qobject_cast<QMdiSubWindow *>(w->parentWidget()));
        QCOMPARE(w->addForms({vars.v1->m_FormID, vars.v2->m_FormID, vars.v3->m_FormID, vars.ctrl->m_FormID}), 3);
        QCOMPARE(w->addForms({vars.v1->m_FormID}), 0); // not twice
        WatchList *list = w->list();
        vars.armFault();
        const qsizetype mark = run.logMark();
        const QString script = run.script();
        for (int i = 0; i < 5; ++i)
            list->pollOnce();
        QCOMPARE(list->rowCount(), 3);
        const QString P = u"Wss(\"Default\").Ctrls(\"RC1\").Vars(\"%1\")"_s;
        QCOMPARE(cell(list, 0, WatchList::ColPath), P.arg("v1"));
        QCOMPARE(cell(list, 0, WatchList::ColValue), u"5"_s);
        QCOMPARE(cell(list, 0, WatchList::ColType), u"I4"_s);
        QVERIFY(cell(list, 0, WatchList::ColTime).contains(QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"_s)));
        QCOMPARE(cell(list, 0, WatchList::ColError), QString());
        QVERIFY(!red(list, 0) && !red(list, 2));
        QCOMPARE(cell(list, 1, WatchList::ColPath), P.arg("v2"));
        QCOMPARE(cell(list, 1, WatchList::ColValue), QString());
        QVERIFY2(cell(list, 1, WatchList::ColError).startsWith(u"0x8004A006: Injected fault"_s),
                 qPrintable(cell(list, 1, WatchList::ColError)));
        QVERIFY(red(list, 1) && list->failedAt(1));
        QCOMPARE(cell(list, 2, WatchList::ColValue), u"2.5"_s);
        QCOMPARE(cell(list, 2, WatchList::ColType), u"R8"_s);
        QCOMPARE(run.logSince(mark), QStringList());
        QCOMPARE(run.script(), script);

        // The CSV: five samples of each numeric row, in time order, CR LF.
        const QString csvPath = run.appDir() + u"samples.csv"_s;
        QCOMPARE(saveThrough(child<QPushButton>(w, u"cmdExportCsv"_s), csvPath), QString());
        const QStringList lines = QString::fromUtf8(fileBytes(csvPath)).split(u"\r\n"_s);
        QCOMPARE(lines.size(), 1 + 10 + 1);
        QCOMPARE(lines.first(), u"Time,Path,Value"_s);
        QCOMPARE(lines.last(), QString());
        QCOMPARE(lines.filter(u",\"Wss(\"\"Default\"\").Ctrls(\"\"RC1\"\").Vars(\"\"v1\"\")\",5"_s).size(), 5);
        QCOMPARE(lines.filter(u"Vars(\"\"v3\"\")\",2.5"_s).size(), 5);
        QVERIFY(lines[1].contains(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3},"_s)));

        // The read succeeds again: the row is no longer red, its text value shows.
        zcall(vars.ctrl->m_ZelObj, u"Execute"_s, {Value::fromString(u"ClearFaults"_s), Value()});
        list->pollOnce();
        QVERIFY(!red(list, 1));
        QCOMPARE(cell(list, 1, WatchList::ColValue), u"text"_s);
        QCOMPARE(cell(list, 1, WatchList::ColType), u"BSTR"_s);

        // Deleting a panel ends its row (also while the list is idle), its samples go too.
        run.mdi()->DeleteForm(vars.v3->m_TreeNode);
        QTRY_COMPARE(list->rowCount(), 2);
        QCOMPARE(list->pathAt(1), P.arg("v2"));
        QCOMPARE(list->store().seriesNames(), QStringList{P.arg("v1")});
        list->pollOnce();
        QCOMPARE(run.logSince(mark).filter(u"Vars(\"v1\")"_s), QStringList()); // the delete's lines only
        // Remove takes the selected row away.
        auto *table = child<QTableView>(w, u"tblWatch"_s);
        table->selectRow(0);
        clickButton(w, u"cmdWatchRemove"_s);
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->pathAt(0), P.arg("v2"));
    }

    // The timer: the interval field's limits, Start and Stop, one window reopened by the menu.
    void intervalStartStop()
    {
        TestRun run;
        ThreeVariables vars(run);
        frmWatch *w = openWatch(run);
        w->addForms({vars.v1->m_FormID});
        WatchList *list = w->list();
        QCOMPARE(textOf(w, u"txtWatchInterval"_s), u"500"_s);
        for (const char *refused : {"9", "abc", "3600001", ""}) {
            setText(w, u"txtWatchInterval"_s, QLatin1String(refused));
            QString text;
            onNextModal([&text](QWidget *modal) {
                text = qobject_cast<QMessageBox *>(modal) ? qobject_cast<QMessageBox *>(modal)->text() : QString();
                answerMessageBox(modal, u"OK"_s);
            });
            clickButton(w, u"cmdWatchStart"_s);
            QCOMPARE(text, u"The interval must be a whole number of milliseconds from 10 to 3600000."_s);
            QVERIFY(!list->isPolling());
        }
        setText(w, u"txtWatchInterval"_s, u" 20 "_s);
        clickButton(w, u"cmdWatchStart"_s);
        QVERIFY(list->isPolling() && list->interval() == 20);
        QVERIFY(!child<QWidget>(w, u"cmdWatchStart"_s)->isEnabled() && !child<QWidget>(w, u"txtWatchInterval"_s)->isEnabled());
        zput(vars.v1->m_ZelObj, u"Value"_s, Value::fromI4(77));
        QTRY_COMPARE(cell(list, 0, WatchList::ColValue), u"77"_s);
        clickButton(w, u"cmdWatchStop"_s);
        QVERIFY(!list->isPolling() && child<QWidget>(w, u"cmdWatchStart"_s)->isEnabled());
        w->close();
        QCOMPARE(openWatch(run), w);
        QCOMPARE(run.mdi()->findChildren<frmWatch *>().size(), 1);
        QVERIFY(w->isVisible() && list->rowCount() == 1);
        // The main window is as it was: the tree is a drag source only.
        QCOMPARE(run.mdi()->tree()->dragDropMode(), QAbstractItemView::DragOnly);
    }

    // Add offers the variable panels not yet watched; a node dragged from the tree adds its
    // variable, other nodes add nothing.
    void addChoiceAndDrop()
    {
        TestRun run;
        ThreeVariables vars(run);
        frmWatch *w = openWatch(run);
        w->addForms({vars.v2->m_FormID});
        QStringList offered;
        onNextModal([&offered](QWidget *modal) {
            auto *choice = modal->findChild<QListWidget *>(u"lstWatchChoice"_s);
            for (int i = 0; i < choice->count(); ++i)
                offered << choice->item(i)->text();
            choice->item(1)->setSelected(true);
            qobject_cast<QDialog *>(modal)->accept();
        });
        clickButton(w, u"cmdWatchAdd"_s);
        const QString P = u"Wss(\"Default\").Ctrls(\"RC1\").Vars(\"%1\")"_s;
        QCOMPARE(offered, (QStringList{P.arg("v1"), P.arg("v3")}));
        QCOMPARE(w->list()->rowCount(), 2);
        QCOMPARE(w->list()->pathAt(1), P.arg("v3"));

        // A drag of the tree's nodes carries their panel numbers.
        QTreeWidget *tree = run.mdi()->tree();
        auto drop = [&](QTreeWidgetItem *node) {
            std::unique_ptr<QMimeData> mime(tree->model()->mimeData({tree->indexFromItem(node)}));
            QCOMPARE(frmWatch::formIdsOf(mime.get()), QList<qint32>{node->data(0, Qt::UserRole).toInt()});
            QWidget *target = child<QTableView>(w, u"tblWatch"_s)->viewport();
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent dropEvent(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &dropEvent);
        };
        drop(vars.ctrl->m_TreeNode);
        QCOMPARE(w->list()->rowCount(), 2);
        drop(vars.v1->m_TreeNode);
        QCOMPARE(w->list()->rowCount(), 3);
        QCOMPARE(w->list()->pathAt(2), P.arg("v1"));
        QVERIFY(w->candidates().isEmpty());
    }

    // The parts of values that are plotted.
    void numericPartsOfValues()
    {
        auto parts = [](const Value &v) {
            QStringList out;
            for (const auto &[suffix, number] : numericParts(v))
                out << suffix + u'=' + QString::number(number);
            return out;
        };
        QCOMPARE(parts(Value::fromI2(-3)), QStringList{u"=-3"_s});
        QCOMPARE(parts(Value::fromBool(true)), QStringList{u"=1"_s});
        QCOMPARE(parts(Value::fromBool(false)), QStringList{u"=0"_s});
        QCOMPARE(parts(Value::fromString(u"P(600, 0, 400.5, 0, 0, -90)"_s)),
                 (QStringList{u"[x]=600"_s, u"[y]=0"_s, u"[z]=400.5"_s, u"[rx]=0"_s, u"[ry]=0"_s, u"[rz]=-90"_s}));
        QCOMPARE(parts(Value::fromString(u"J(1, 2, 3, 4, 5, 6)"_s)).first(), u"[j1]=1"_s);
        QCOMPARE(parts(Value::fromString(u"P(1, 2, 3)"_s)), QStringList());
        QCOMPARE(parts(Value::fromString(u"P(1, 2, 3, 4, 5, x)"_s)), QStringList());
        QCOMPARE(parts(Value::fromString(u"12"_s)), QStringList()); // a text is no number
        QCOMPARE(parts(Value::fromArray({zel::VT_R4, 1, {Value::fromR4(10), Value::fromR4(20)}})),
                 (QStringList{u"[1]=10"_s, u"[2]=20"_s}));
        QCOMPARE(parts(Value::fromArray({zel::VT_VARIANT, 0, {Value::fromI4(1), Value::fromString(u"a"_s)}})), QStringList());
        QCOMPARE(parts(Value()), QStringList());
        QCOMPARE(parts(Value::null()), QStringList());
    }

    // The store keeps the last keepMs per series, drops late points, writes CSV in time order.
    void trendStoreKeepsItsSpan()
    {
        TrendStore store(1000);
        for (int t = 0; t <= 3000; t += 100)
            store.append(u"a"_s, t, t / 100.0);
        QCOMPARE(store.points(u"a"_s).size(), size_t(11));
        QCOMPARE(store.points(u"a"_s).front().ms, 2000);
        store.append(u"a"_s, 2500, 1); // earlier than the last point
        QCOMPARE(store.points(u"a"_s).back().ms, 3000);
        store.append(u"b,\"c\""_s, 2950, 7);
        QCOMPARE(store.firstMs(), 2000);
        QCOMPARE(store.lastMs(), 3000);
        const QStringList lines = store.csv().split(u"\r\n"_s);
        QCOMPARE(lines.size(), 1 + 12 + 1);
        QVERIFY(lines[11].endsWith(u",\"b,\"\"c\"\"\",7"_s));
        QVERIFY(lines[12].endsWith(u",a,30"_s));
        store.prune(3500);
        QCOMPARE(store.points(u"a"_s).size(), size_t(6));
        QCOMPARE(store.points(u"b,\"c\""_s).size(), size_t(1));
        store.prune(10000);
        QCOMPARE(store.pointCount(), 0);
        store.remove(u"a"_s);
        QCOMPARE(store.seriesNames(), QStringList{u"b,\"c\""_s});
        QCOMPARE(store.points(u"none"_s).size(), size_t(0));
    }

    // A robot's position as a trend: one series per part of the pose, the chart draws a bounded
    // number of points however many the store holds, Pause holds it, the PNG is an image.
    void robotPositionTrendAndPng()
    {
        TestRun run;
        PanelBase *ctrl = addController(run, u"RC1"_s);
        PanelBase *robot = addMember(run, ctrl, PanelKind::Robot, u"Arm"_s);
        fill(robot, {u"txtVarName=@CurrentPosition"_s});
        clickButton(robot, u"cmdGetVar"_s);
        PanelBase *pos = run.lastPanel(PanelKind::Variable);
        QVERIFY(pos && pos->m_LogObjPath.endsWith(u"Robots(\"Arm\").Vars(\"@CurrentPosition\")"_s));
        frmWatch *w = openWatch(run);
        w->addForms({pos->m_FormID});
        WatchList *list = w->list();
        list->setPlotted(0, true);
        clickButton(w, u"chkTrend"_s);
        QVERIFY(w->chart()->isVisible() && child<QWidget>(w, u"cmdExportPng"_s)->isEnabled());
        list->pollOnce();
        zcall(robot->m_ZelObj, u"Move"_s, {Value::fromI4(2), Value::fromString(u"P(500, 100, 300, 0, 0, 0)"_s), Value::fromString({})});
        list->pollOnce();
        const QString path = pos->m_LogObjPath;
        QCOMPARE(list->seriesOf(0), (QStringList{path + "[x]", path + "[y]", path + "[z]", path + "[rx]", path + "[ry]", path + "[rz]"}));
        QTRY_COMPARE(w->chart()->series(), list->seriesOf(0));
        w->chart()->refresh();
        QCOMPARE(w->chart()->drawnPoints(path + "[x]"), 2);
        QCOMPARE(w->chart()->chart()->series().first()->name(), u"\u2026Vars(\"@CurrentPosition\")[x]"_s);
        QCOMPARE(list->store().points(path + "[y]").back().value, 100.0);

        // Many points in the shown span: at most two per column of pixels are drawn.
        TrendStore big;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (int i = 0; i < 20000; ++i)
            big.append(u"s"_s, now - 59000 + i * 59000 / 20000, i % 7);
        TrendChart chart;
        chart.resize(600, 300);
        chart.show();
        chart.setStore(&big);
        chart.setSeries({u"s"_s});
        chart.refresh();
        QVERIFY2(chart.drawnPoints(u"s"_s) > 100 && chart.drawnPoints(u"s"_s) <= 2 * 1000 + 2,
                 qPrintable(QString::number(chart.drawnPoints(u"s"_s))));
        auto *timeAxis = qobject_cast<QDateTimeAxis *>(chart.chart()->axes(Qt::Horizontal).first());
        chart.setPaused(true);
        const QDateTime pausedEnd = timeAxis->max();
        big.append(u"s"_s, now + 30000, 100);
        chart.refresh();
        QCOMPARE(timeAxis->max(), pausedEnd); // paused: the chart stays where it was
        QVERIFY(child<QCheckBox>(&chart, u"chkTrendPause"_s)->isChecked());
        chart.setPaused(false);
        chart.refresh();
        QCOMPARE(timeAxis->max().toMSecsSinceEpoch(), now + 30000);
        QCOMPARE(qobject_cast<QLineSeries *>(chart.chart()->series().first())->points().last().y(), 100.0);
        // The scroll bar looks back: moving it pauses the chart at that place.
        auto *scroll = child<QScrollBar>(&chart, u"scrTrend"_s);
        QCOMPARE(scroll->value(), scroll->maximum());
        scroll->setValue(0);
        QVERIFY(chart.isPaused());
        QCOMPARE(timeAxis->min().toMSecsSinceEpoch(), big.firstMs());

        const QString png = run.appDir() + u"trend.png"_s;
        QCOMPARE(saveThrough(child<QPushButton>(w, u"cmdExportPng"_s), png), QString());
        QVERIFY(fileBytes(png).startsWith("\x89PNG"));
    }

    // A save that fails says so and leaves the old file whole.
    void failedSaveShowsError()
    {
        TestRun run;
        ThreeVariables vars(run);
        frmWatch *w = openWatch(run);
        w->addForms({vars.v1->m_FormID});
        for (int i = 0; i < 50; ++i)
            w->list()->pollOnce();
        const QString path = run.appDir() + u"old.csv"_s;
        const QByteArray old = "the file as it was\r\n";
        QVERIFY(writeBytes(path, old));
        QString warning;
        {
            FileSizeLimit limit(old.size() + 10);
            QVERIFY(limit.active());
            warning = saveThrough(child<QPushButton>(w, u"cmdExportCsv"_s), path);
        }
        QVERIFY2(warning.startsWith(u"Save Failed.\r\n"_s + path + u'\n' + path + u": writing failed"_s), qPrintable(warning));
        QCOMPARE(fileBytes(path), old);
    }

    // The status monitor's Trend: below its controls, off at first; on, it plots the counts.
    void statusMonitorTrend()
    {
        TestRun run;
        auto *s = qobject_cast<frmStatus *>(run.mdi()->findForm(3));
        run.mdi()->ShowForm(s->m_TreeNode);
        auto *check = child<QCheckBox>(s, u"chkTrend"_s);
        QWidget *startStop = child<QWidget>(s, u"cmdStartStop"_s);
        QVERIFY(check && !check->isChecked());
        QVERIFY(check->mapTo(s, QPoint()).y() > startStop->mapTo(s, QPoint()).y() + startStop->height() - 1);
        auto *trend = s->findChild<CountTrend *>();
        QVERIFY(!trend->chart()->isVisible());
        const QSize before = s->subWindow()->size();
        check->click();
        QVERIFY(trend->chart()->isVisible() && trend->chartWindow()->isWindow());
        QCOMPARE(s->subWindow()->size(), before); // the monitor keeps its size
        QCOMPARE(trend->chart()->series().size(), frmStatus::KindCount);
        QCOMPARE(trend->chart()->series().first(), u"ZelEngine"_s);
        addController(run);
        s->sample();
        trend->sample();
        QCOMPARE(trend->store().points(u"ZelController"_s).back().value, 1.0);
        setText(s, u"txtSamplingRate"_s, u"20"_s);
        clickButton(s, u"cmdStartStop"_s);
        QTRY_VERIFY(trend->store().points(u"ZelWorkspace"_s).size() >= 3);
        clickButton(s, u"cmdStartStop"_s);
        // Closing the chart's window turns the trend off.
        trend->chartWindow()->close();
        QVERIFY(!check->isChecked() && !trend->chart()->isVisible());
        check->click();
        QVERIFY(trend->chartWindow()->isVisible());
        check->click();
        QVERIFY(!trend->chartWindow()->isVisible());
    }
};

QTEST_MAIN(TestWatch)
#include "tst_watch.moc"
