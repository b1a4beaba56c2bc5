// The log's tools in the main window: the find bar under the log (Ctrl+F: count, next and
// previous, case, regular expressions, highlights, the filters, Escape), which never changes
// the log's text or numbering, and Tools > Log to File..., which appends exactly the pane's
// lines to a file while it is on, is remembered in window.ini and switches itself off with one
// warning when the file cannot be written.
#include "faultyfiles.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QMessageBox>
#include <QScrollBar>
#include <QSettings>
#include <QTextBlock>
#include <QToolButton>

namespace {

QPlainTextEdit *pane(TestRun &run) { return run.mdi()->logPane(); }
QWidget *findBar(TestRun &run) { return child<QWidget>(run.mdi(), u"fraLogFind"_s); }
QString countText(TestRun &run) { return child<QLabel>(findBar(run), u"lblLogFindCount"_s)->text(); }
QCheckBox *box(TestRun &run, const QString &name) { return child<QCheckBox>(findBar(run), name); }

void write(TestRun &run, const QStringList &messages)
{
    for (const QString &m : messages)
        run.state().log.WriteLogMsg(m);
}

// Ctrl+F in the main window, as a user presses it.
void pressCtrlF(TestRun &run)
{
    QApplication::setActiveWindow(run.mdi());
    QWidget *focused = QApplication::focusWidget();
    QTest::keyClick(focused ? focused : run.mdi(), Qt::Key_F, Qt::ControlModifier);
}

// The messages of the blocks the pane shows (without their heads).
QStringList shownMessages(TestRun &run)
{
    static const QRegularExpression head(u"^\\[\\d+\\] \\d\\d:\\d\\d:\\d\\d "_s);
    QStringList out;
    for (QTextBlock b = pane(run)->document()->begin(); b.isValid(); b = b.next()) {
        if (b.isVisible() && !b.text().isEmpty())
            out << b.text().remove(head);
    }
    return out;
}

// The pane's lines as the log file holds them.
QByteArray paneLinesCrLf(TestRun &run, qsizetype from = 0)
{
    QByteArray out;
    for (const QString &line : run.logLines().mid(from))
        out += line.toUtf8() + "\r\n";
    return out;
}

QAction *logFileItem(TestRun &run) { return child<QAction>(run.mdi(), u"mnuToolsLogFile"_s); }

// Tools > Log to File..., answering its file dialog with the path.
void chooseLogFile(TestRun &run, const QString &path)
{
    onNextModal([path](QWidget *dialog) { acceptFileDialog(dialog, path); });
    logFileItem(run)->trigger();
}

QString windowIni(TestRun &run) { return QFileInfo(run.registryFile()).absolutePath() + u"/window.ini"_s; }

} // namespace

class TestLogTools : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findCountsAndSteps()
    {
        TestRun run;
        write(run, {u"alpha one"_s, u"beta"_s, u"Alpha two, alpha three"_s, u"gamma"_s});
        const QString text = pane(run)->toPlainText();
        QVERIFY(!findBar(run)->isVisible());
        pressCtrlF(run);
        QVERIFY(findBar(run)->isVisible());
        auto *edit = child<QLineEdit>(findBar(run), u"txtLogFind"_s);
        QTRY_VERIFY(edit->hasFocus());

        // Typing finds from the newest line backwards.
        QTest::keyClicks(edit, u"alpha"_s);
        QCOMPARE(countText(run), u"3 of 3"_s);
        QCOMPARE(pane(run)->textCursor().selectedText(), u"alpha"_s);
        const int third = pane(run)->textCursor().selectionStart();
        QCOMPARE(pane(run)->document()->findBlock(third).text().mid(third - pane(run)->document()->findBlock(third).position()),
                 u"alpha three"_s);
        // Next goes round the end of the log, previous back again; Enter and F3 are next.
        clickButton(findBar(run), u"cmdLogFindNext"_s);
        QCOMPARE(countText(run), u"1 of 3"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(countText(run), u"2 of 3"_s);
        QCOMPARE(pane(run)->textCursor().selectedText(), u"Alpha"_s);
        clickButton(findBar(run), u"cmdLogFindPrev"_s);
        QCOMPARE(countText(run), u"1 of 3"_s);
        clickButton(findBar(run), u"cmdLogFindPrev"_s);
        QCOMPARE(countText(run), u"3 of 3"_s);
        QTest::keyClick(edit, Qt::Key_F3);
        QCOMPARE(countText(run), u"1 of 3"_s);

        // Letter case, when it counts.
        box(run, u"chkLogFindCase"_s)->setChecked(true);
        // The selected match stays selected while it still matches.
        QCOMPARE(countText(run), u"1 of 2"_s);
        edit->setText(u"ALPHA"_s);
        QCOMPARE(countText(run), u"No matches"_s);
        QVERIFY(!child<QToolButton>(findBar(run), u"cmdLogFindNext"_s)->isEnabled());
        box(run, u"chkLogFindCase"_s)->setChecked(false);
        QCOMPARE(countText(run), u"1 of 3"_s);

        // Regular expressions; a broken one says why, and nothing is found.
        box(run, u"chkLogFindRegex"_s)->setChecked(true);
        edit->setText(u"^\\[\\d\\] \\S+ (beta|gamma)$"_s);
        QCOMPARE(countText(run), u"2 of 2"_s);
        QCOMPARE(pane(run)->textCursor().selectedText().right(5), u"gamma"_s);
        edit->setText(u"al(pha"_s);
        QVERIFY2(countText(run).startsWith(u"Invalid regular expression: "_s), qPrintable(countText(run)));
        QVERIFY(!child<QToolButton>(findBar(run), u"cmdLogFindNext"_s)->isEnabled());
        // A match ends with its line.
        edit->setText(u"gamma\\s*\\S*"_s);
        QCOMPARE(countText(run), u"1 of 1"_s);
        QCOMPARE(pane(run)->textCursor().selectedText(), u"gamma"_s);

        // The log itself is untouched, and the next line carries the next number.
        QCOMPARE(pane(run)->toPlainText(), text);
        const qint32 last = run.state().log.lineCount();
        QVERIFY(run.state().log.WriteLogMsg(u"after"_s).startsWith(u"[%1] "_s.arg(last + 1)));
        QVERIFY(pane(run)->textCursor().atEnd());
    }

    // Lines written while the bar is open are counted as they come; Clear Log starts afresh.
    void countFollowsTheLog()
    {
        TestRun run;
        pressCtrlF(run);
        setText(findBar(run), u"txtLogFind"_s, u"tick"_s);
        QCOMPARE(countText(run), u"No matches"_s);
        write(run, {u"tick 1"_s, u"tock"_s, u"tick 2 tick 3"_s});
        QCOMPARE(countText(run), u"3 matches"_s);
        clickButton(findBar(run), u"cmdLogFindPrev"_s);
        QCOMPARE(countText(run), u"3 of 3"_s);
        child<QAction>(run.mdi(), u"mnuEditItem_2"_s)->trigger(); // Clear Log
        QCOMPARE(pane(run)->toPlainText(), QString());
        QCOMPARE(countText(run), u"No matches"_s);
        write(run, {u"tick 4"_s});
        QCOMPARE(countText(run), u"1 matches"_s);
    }

    // The filters hide the other lines' blocks: the text, the numbering, Copy and Export Log
    // keep every line; new lines are filtered as they come; off or Escape shows all again.
    void filterShowsOnlyMatchingLines()
    {
        TestRun run;
        addController(run, u"rc1"_s);
        write(run, {u"rc1 first"_s, u"other"_s});
        run.state().log.WriteErrorLogMsg(zel::ZelError(0x8004A002u, u"rc1 has no such item"_s));
        // A line that only mentions a failure is none.
        write(run, {u"rc1: Failed. (0x1: quoted)"_s});
        const QString text = pane(run)->toPlainText();
        const QStringList all = shownMessages(run);

        pressCtrlF(run);
        setText(findBar(run), u"txtLogFind"_s, u"rc1"_s);
        box(run, u"chkLogFilter"_s)->setChecked(true);
        QStringList expected;
        for (const QString &m : all) {
            if (m.contains(u"rc1"_s, Qt::CaseInsensitive))
                expected << m;
        }
        QVERIFY(expected.size() >= 3 && expected.size() < all.size());
        QCOMPARE(shownMessages(run), expected);
        QCOMPARE(pane(run)->toPlainText(), text);

        // New lines: a matching one is shown, another is not, and both are in the text.
        write(run, {u"rc1 later"_s, u"unrelated"_s});
        QCOMPARE(shownMessages(run), expected + QStringList({u"rc1 later"_s}));
        QVERIFY(pane(run)->toPlainText().endsWith(u" unrelated\n"_s));

        // Failures only, with one click; both filters together show the failures that match.
        box(run, u"chkLogFilter"_s)->setChecked(false);
        box(run, u"chkLogFilterFailures"_s)->setChecked(true);
        const QStringList failures = shownMessages(run);
        QVERIFY(!failures.isEmpty());
        for (const QString &m : failures)
            QVERIFY2(m.startsWith(u"Failed. (0x"_s), qPrintable(m));
        QCOMPARE(failures.last(), u"Failed. (0x8004A002: rc1 has no such item)"_s);
        setText(findBar(run), u"txtLogFind"_s, u"no such item"_s);
        box(run, u"chkLogFilter"_s)->setChecked(true);
        QCOMPARE(shownMessages(run), QStringList({u"Failed. (0x8004A002: rc1 has no such item)"_s}));

        // Copy of everything gives every line, shown or not.
        pane(run)->selectAll();
        pane(run)->copy();
        QCOMPARE(QApplication::clipboard()->text(), pane(run)->toPlainText());
        QCOMPARE(run.logLines().size(), all.size() + 2);

        // Escape closes the bar and the log is whole again.
        QTest::keyClick(child<QLineEdit>(findBar(run), u"txtLogFind"_s), Qt::Key_Escape);
        QVERIFY(!findBar(run)->isVisible());
        QCOMPARE(shownMessages(run), all + QStringList({u"rc1 later"_s, u"unrelated"_s}));
        QVERIFY(!box(run, u"chkLogFilter"_s)->isChecked());
        QVERIFY(!box(run, u"chkLogFilterFailures"_s)->isChecked());
    }

    // Highlight all marks the matches on screen only, however many there are in the log.
    void highlightsWhatIsOnScreen()
    {
        TestRun run;
        for (int i = 0; i < 3000; ++i)
            run.state().log.WriteLogMsg(u"mark %1 mark"_s.arg(i));
        QCoreApplication::processEvents();
        pressCtrlF(run);
        setText(findBar(run), u"txtLogFind"_s, u"mark"_s);
        QCOMPARE(countText(run), u"6000 of 6000"_s);
        box(run, u"chkLogFindAll"_s)->setChecked(true);
        const QList<QTextEdit::ExtraSelection> marks = pane(run)->extraSelections();
        QVERIFY(marks.size() >= 2);
        QVERIFY2(marks.size() < 400, qPrintable(QString::number(marks.size())));
        int current = 0;
        for (const QTextEdit::ExtraSelection &m : marks) {
            QCOMPARE(m.cursor.selectedText(), u"mark"_s);
            current += m.format.background() != marks.first().format.background() ? 1 : 0;
        }
        QCOMPARE(current, 1);
        // At the top of the log, the top's matches are marked.
        pane(run)->verticalScrollBar()->setValue(0);
        QVERIFY(pane(run)->extraSelections().first().cursor.selectionStart() < 100);
        box(run, u"chkLogFindAll"_s)->setChecked(false);
        QVERIFY(pane(run)->extraSelections().isEmpty());
    }

    // The log file gets exactly the pane's lines while it is on, in CR LF, appended.
    void logFileReceivesThePanesLines()
    {
        TestRun run;
        QAction *item = logFileItem(run);
        QVERIFY(item->isCheckable() && !item->isChecked());
        QCOMPARE(item->text(), u"Log to &File..."_s);

        const QString path = run.appDir() + u"session.log"_s;
        QVERIFY(writeBytes(path, "kept\r\n"));
        const qsizetype mark = run.logLines().size();
        chooseLogFile(run, path);
        QTRY_VERIFY(item->isChecked());
        QCOMPARE(item->text(), u"Log to &File (session.log)"_s);
        addController(run, u"rc7"_s);
        write(run, {u"a\nb"_s, u"x\r\ny"_s});
        QCOMPARE(fileBytes(path), "kept\r\n" + paneLinesCrLf(run, mark));
        QVERIFY(fileBytes(path).contains("a b\r\n"));

        // Remembered beside the registry store, not in ZelTester.ini.
        QSettings ini(windowIni(run), QSettings::IniFormat);
        QCOMPARE(ini.value(u"LogFile/Path"_s).toString(), path);
        QCOMPARE(ini.value(u"LogFile/On"_s).toBool(), true);

        // Off: later lines stay in the pane only.
        const QByteArray before = fileBytes(path);
        item->trigger();
        QVERIFY(!item->isChecked());
        write(run, {u"not in the file"_s});
        QCOMPARE(fileBytes(path), before);
        QSettings after(windowIni(run), QSettings::IniFormat);
        QCOMPARE(after.value(u"LogFile/On"_s).toBool(), false);
        QVERIFY(!fileBytes(run.appDir() + u"ZelTester.ini"_s).contains("LogFile"));
    }

    // Switched on at the last exit: the next start logs to the file from its first line.
    void logFileIsTakenUpAtStart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"run.log"_s);
        TestRun run({}, {}, [&] {
            QSettings ini(QFileInfo(QString::fromLocal8Bit(qgetenv("ZELTESTER_REGISTRY"))).absolutePath() + u"/window.ini"_s,
                          QSettings::IniFormat);
            ini.setValue(u"LogFile/Path"_s, path);
            ini.setValue(u"LogFile/On"_s, true);
        });
        QVERIFY(logFileItem(run)->isChecked());
        write(run, {u"one more"_s});
        QCOMPARE(fileBytes(path), paneLinesCrLf(run));
        QVERIFY(fileBytes(path).startsWith("[1] "));
    }

    // A file that cannot be written: one warning, the switch goes off, the pane goes on.
    void unwritableFileWarnsOnceAndSwitchesOff()
    {
        TestRun run;
        // A folder cannot be the log file.
        QString warning;
        onNextModal([&warning](QWidget *dialog) {
            acceptFileDialog(dialog, QDir::tempPath());
            onNextModal([&warning](QWidget *modal) {
                warning = qobject_cast<QMessageBox *>(modal) ? qobject_cast<QMessageBox *>(modal)->text() : QString();
                answerMessageBox(modal, u"OK"_s);
            });
        });
        logFileItem(run)->trigger();
        QTRY_VERIFY(!warning.isEmpty());
        QVERIFY2(warning.contains(u"cannot be written"_s), qPrintable(warning));
        QVERIFY(!logFileItem(run)->isChecked());

        // A disk that fills up while logging.
        const QString path = run.appDir() + u"full.log"_s;
        chooseLogFile(run, path);
        QTRY_VERIFY(logFileItem(run)->isChecked());
        int warnings = 0;
        {
            FileSizeLimit limit(fileBytes(path).size() + 200);
            QVERIFY(limit.active());
            onNextModal([&warnings](QWidget *modal) {
                ++warnings;
                QCOMPARE(modal->objectName(), u"msgLogFile"_s);
                answerMessageBox(modal, u"OK"_s);
            });
            for (int i = 0; i < 20; ++i)
                write(run, {u"line %1 of a long session"_s.arg(i)});
            QTRY_COMPARE(warnings, 1);
        }
        QVERIFY(!logFileItem(run)->isChecked());
        const qsizetype lines = run.logLines().size();
        write(run, {u"still logged in the pane"_s});
        QCOMPARE(run.logLines().size(), lines + 1);
        QCoreApplication::processEvents();
        QCOMPARE(warnings, 1);
        QVERIFY(fileBytes(path).size() <= 1024);
        QVERIFY(!fileBytes(path).contains("still logged"));
    }
};

QTEST_MAIN(TestLogTools)
#include "tst_logtools.moc"
