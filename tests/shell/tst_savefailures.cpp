// The File menu's exports when saving fails: on a disk that fills up, and onto a named pipe, a
// socket or a device. The user sees "Save Failed." with the path and the reason, the old file
// stays whole, nothing is replaced, and an unsaved script stays marked as modified.
#include "faultyfiles.h"
#include "testsupport.h"

#include <QAction>
#include <QFile>
#include <QMessageBox>

namespace {

struct Warning {
    QString text;
    QString reason;
};

// Triggers the File menu's item, answers its save dialog with the path and the warning that
// follows with OK; returns the warning (empty when none came).
Warning exportTo(TestRun &run, const char *item, const QString &path)
{
    Warning w;
    onNextModal([&w, path](QWidget *dialog) {
        acceptFileDialog(dialog, path);
        onNextModal([&w](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                w.text = box->text();
                w.reason = box->informativeText();
            }
            answerMessageBox(modal, u"OK"_s);
        });
    });
    QAction *action = child<QAction>(run.mdi(), QLatin1String(item));
    if (!QTest::qWaitFor([action] { return action->isEnabled(); }, 5000))
        qWarning("%s stayed disabled", item);
    action->trigger();
    return w;
}

const char *const kItems[] = {"mnuFileItem_0", "mnuFileItem_1", "mnuFileItem_2"}; // log, script, KSF

// Selects the built-in workspace's node with a click, which enables Export KSF for it.
void selectWorkspace(TestRun &run)
{
    QTreeWidget *tree = run.mdi()->tree();
    QTreeWidgetItem *node = run.panel(4)->m_TreeNode;
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

} // namespace

class TestSaveFailures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exportsOnAFullDisk()
    {
        TestRun run;
        addController(run);
        selectWorkspace(run); // Export KSF saves this workspace
        const QByteArray old = "the file as it was\r\n";
        for (const char *item : kItems) {
            const QString path = run.appDir() + u"export-"_s + QLatin1String(item) + u".xml"_s;
            QVERIFY(writeBytes(path, old));
            Warning w;
            {
                FileSizeLimit limit(old.size() + 10);
                QVERIFY(limit.active());
                w = exportTo(run, item, path);
            }
            QCOMPARE(w.text, u"Save Failed.\r\n"_s + path);
            QVERIFY2(w.reason.startsWith(path + u": writing failed after "_s) && w.reason.endsWith(u"the file was left as it was"_s),
                     qPrintable(w.reason));
            QCOMPARE(fileBytes(path), old);
        }
        QVERIFY(run.state().scriptModified);
        // Nothing but the old files is left in the folder.
        QCOMPARE(QDir(run.appDir()).entryList({u"export-*"_s}, QDir::Files | QDir::Hidden).size(), 3);
        QCOMPARE(QDir(run.appDir()).entryList({u"*.xml.*"_s}, QDir::Files | QDir::Hidden), QStringList());
    }

    void exportsOntoPipesAndDevices()
    {
        TestRun run;
        addController(run);
        selectWorkspace(run);
        const QList<SpecialFile> specials = makeSpecialFiles(QDir::cleanPath(run.appDir()));
        QVERIFY(specials.size() >= 3);
        for (const SpecialFile &special : specials) {
            for (const char *item : kItems) {
                const Warning w = exportTo(run, item, special.path);
                QCOMPARE(w.text, u"Save Failed.\r\n"_s + special.path);
                QCOMPARE(w.reason, special.path + u": this is not a regular file (a device, a named pipe or a socket); nothing was saved"_s);
                QVERIFY2(isStillSpecial(special), qPrintable(special.what + u' ' + QLatin1String(item)));
            }
        }
        QVERIFY(run.state().scriptModified);
    }
};

QTEST_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"
