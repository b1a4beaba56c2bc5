// The operation rows and the kinds' rows: every panel's rows name controls the panel has (a
// misspelt name is caught here as well as at start-up in debug builds), and what is derived from
// the kinds' rows (the factory, the controller's pages, the preload order, the image list, the
// status monitor's counts, the test helpers) matches them.
#include "testsupport.h"

#include "panelkit/iconset.h"
#include "panelkit/kinds.h"
#include "panels/PanelFactory.h"
#include "panels/frmController.h"
#include "panels/frmMessage.h"
#include "tools/frmStatus.h"

#include <QTabWidget>

namespace {

// A panel of each kind as the program makes and loads it: the engine (2), the built-in
// workspace (4), a controller with one member of each page's kind, a message.
QList<PanelBase *> everyPanel(TestRun &run)
{
    QList<PanelBase *> panels = {run.panel(2), run.panel(4)};
    PanelBase *ctrl = addController(run);
    panels << ctrl;
    for (const ControllerPage &page : kControllerPages)
        panels << addMember(run, ctrl, page.kind, u"m1"_s);
    // A message raised in the engine arrives as a queued event.
    zcall(ctrl->m_ZelObj, u"Execute"_s, {zel::Value::fromString(u"RaiseMessage"_s), zel::Value::fromString(u"hello"_s)});
    auto *c = qobject_cast<frmController *>(ctrl);
    if (QTest::qWaitFor([c] { return c->m_ZelMess.count() > 0; }, 5000))
        panels << c->m_ZelMess.items().constFirst();
    return panels;
}

} // namespace

class TestRows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyRowResolves()
    {
        TestRun run;
        const QList<PanelBase *> panels = everyPanel(run);
        QSet<PanelKind> kinds;
        for (PanelBase *p : panels) {
            QVERIFY(p);
            kinds << p->kind();
            QCOMPARE(p->objectName(), QLatin1String(kindInfo(p->kind()).formName));
            QVERIFY2(p->unresolvedControls().isEmpty(), qPrintable(p->objectName() + u": "_s + p->unresolvedControls().join(u", ")));
        }
        // Every kind of the registry was made and checked.
        for (const KindInfo &row : kinds::kRows)
            QVERIFY2(kinds.contains(row.kind), row.formName);
    }

    void factoryMakesEveryKind()
    {
        for (const KindInfo &row : kinds::kRows) {
            std::unique_ptr<PanelBase> p(makePanel(row.kind));
            QVERIFY2(p, row.formName);
            QCOMPARE(p->kind(), row.kind);
            QCOMPARE(p->objectName(), QLatin1String(row.formName));
        }
    }

    void controllerPagesFollowTheRows()
    {
        TestRun run;
        PanelBase *ctrl = addController(run);
        auto *tabs = child<QTabWidget>(ctrl, "tabController");
        QCOMPARE(tabs->count(), frmController::PageCount);
        QCOMPARE(kControllerPages.size(), frmController::PageCount);
        for (int page = 0; page < frmController::PageCount; ++page) {
            const KindInfo &row = *kinds::pageRow(page);
            QCOMPARE(tabs->tabText(page), QLatin1String(row.pageCaption));
            QCOMPARE(frmController::pageKind(page), row.kind);
            QCOMPARE(controllerPage(row.kind), page);
            for (const char *name : {row.addButton, row.optionBox, row.namesOption, row.clearButton})
                QVERIFY2(tabs->widget(page)->findChild<QWidget *>(QLatin1String(name)), name);
            QVERIFY(tabs->widget(page)->findChild<QWidget *>(u"txtName_%1"_s.arg(page)));
            QCOMPARE(child<QPushButton>(ctrl, row.clearButton)->text(), QLatin1String(row.scriptColl) + u".&Clear"_s);
        }
    }

    void derivedListsCoverTheRows()
    {
        int preloaded = 0;
        for (const KindInfo &row : kinds::kRows) {
            if (*row.image)
                QVERIFY2(zelIconKeys().contains(QLatin1String(row.image)) && !zelIcon(QLatin1String(row.image)).isNull(), row.image);
            if (row.preload >= 0) {
                QCOMPARE(kinds::preloadRow(row.preload), &row);
                ++preloaded;
            }
            for (const StatusCount &count : {row.statusCollection, row.statusObject}) {
                if (count.index >= 0)
                    QCOMPARE(frmStatus::countBoxName(count.index), count.box);
            }
        }
        QCOMPARE(preloaded, kinds::preloadCount());
        // Every count of the monitor has its box, and no two share one.
        QSet<QString> boxes;
        for (int k = 0; k < frmStatus::KindCount; ++k) {
            QVERIFY(frmStatus::countBoxName(k));
            boxes << QLatin1String(frmStatus::countBoxName(k));
        }
        QCOMPARE(boxes.size(), frmStatus::KindCount);
    }
};

QTEST_MAIN(TestRows)
#include "tst_rows.moc"
