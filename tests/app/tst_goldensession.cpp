// The recorded session's exported texts, kept byte for byte: the shared session (tests/common/
// session.cpp) and a few steps on the engine panel, the main window and a message, exported
// through File > Export Log... and File > Export Script..., must give the files in tests/golden
// exactly, CR LF line ends included. Only what the clock decides is masked: the time of each log
// line and the clock readings that some calls return.
//
// After a change that is meant to change these texts, write them afresh and read the difference:
//   ZEL_GOLDEN_WRITE=1 ctest --test-dir build -R goldensession
#include "session.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>

namespace {

QString goldenPath(const QString &name)
{
    return sourcePath(u"tests/golden/"_s + name);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The log with the clock masked: "[12] 09:41:07 " becomes "[12] hh:mm:ss ", and the success line
// of a call that reads a clock shows "(clock)" for the reading.
QByteArray maskClock(const QByteArray &log)
{
    static const QRegularExpression head(u"^(\\[\\d+\\]) \\d\\d:\\d\\d:\\d\\d "_s);
    static const QRegularExpression clockCall(
        u"\\.get_(DateTime|Microsecond|DateCreated|DateLastAccessed|DateLastModified|CompleteTime)\\(\\)$"_s);
    static const QRegularExpression value(u"^(\\[\\d+\\] hh:mm:ss Succeeded\\. \\().*(\\))$"_s);
    QStringList lines = QString::fromUtf8(log).split(u"\r\n"_s);
    bool afterClockCall = false;
    for (QString &line : lines) {
        line.replace(head, u"\\1 hh:mm:ss "_s);
        if (afterClockCall)
            line.replace(value, u"\\1clock\\2"_s);
        afterClockCall = clockCall.match(line).hasMatch();
    }
    return lines.join(u"\r\n"_s).toUtf8();
}

// Saves through a File menu item, answering its file dialog with the path.
void exportThrough(TestRun &run, const QString &item, const QString &path)
{
    onNextModal([&](QWidget *modal) { acceptFileDialog(modal, path); });
    QAction *action = run.mdi()->findChild<QAction *>(item);
    QVERIFY(action);
    action->trigger();
    QVERIFY(QFile::exists(path));
}

// The exported text against its golden file; with ZEL_GOLDEN_WRITE=1 the golden file is written.
void compareWithGolden(const QByteArray &text, const QString &name)
{
    const QString path = goldenPath(name);
    if (qEnvironmentVariableIntValue("ZEL_GOLDEN_WRITE") == 1) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
        file.write(text);
        return;
    }
    const QByteArray golden = readFile(path);
    QVERIFY2(!golden.isEmpty(), qPrintable(u"no golden file "_s + path));
    if (text == golden)
        return;
    // The first line that differs, for the reader.
    const QList<QByteArray> got = text.split('\n'), want = golden.split('\n');
    for (qsizetype i = 0; i < qMax(got.size(), want.size()); ++i) {
        if (got.value(i) != want.value(i))
            QFAIL(qPrintable(u"%1 differs at line %2:\n  got:  %3\n  want: %4"_s.arg(name).arg(i + 1).arg(
                QString::fromUtf8(got.value(i)).trimmed(), QString::fromUtf8(want.value(i)).trimmed())));
    }
    QFAIL(qPrintable(name + u" differs"_s));
}

} // namespace

class TestGoldenSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exportedLogAndScriptStayTheSame();
};

void TestGoldenSession::exportedLogAndScriptStayTheSame()
{
    TestRun run;
    recordSession(run);
    QVERIFY(!QTest::currentTestFailed());

    // The engine panel: a workspace of its own and an engine command (logged, not recorded).
    PanelBase *engine = run.panel(2);
    act(engine, {"txtWSName=Second", "txtWsOption=", "cmdAddWS", "txtCommand=Faults", "cmbValueType=#0", "cmdExecute"});
    // A controller whose messages reach its panel: a message raised, listed, read and replied to.
    PanelBase *ws = run.panel(4);
    act(ws, {"cmbController=RC9", "txtMachine=", "txtOption=", "chkOnMessage=0", "cmdOpen"});
    PanelBase *rc9 = run.lastPanel(PanelKind::Controller);
    QVERIFY(rc9);
    act(rc9,
        {"txtCommand=RaiseMessage", "cmbValueType=#10", "txtParameter=Number=3,Description=Door open", "cmdExecute"});
    auto *list = child<QListWidget>(rc9, u"lstMessage"_s);
    QTRY_COMPARE(list->count(), 1);
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    PanelBase *message = run.lastPanel(PanelKind::Message);
    QVERIFY(message);
    act(message, {"cmbValueType=#5", "txtSendData=1", "cmdReply", "cmdClearMsg", "cmdClearMsg"});
    // Recording paused and started again by the toolbar: the pause leaves its call unrecorded.
    clickButton(run.mdi(), u"btnRecPause"_s);
    act(rc9, {"cmdGetHelp"});
    clickButton(run.mdi(), u"btnRecStart"_s);
    act(rc9, {"cmdGetName"});
    QVERIFY(!QTest::currentTestFailed());

    const QString logFile = run.appDir() + u"session.log"_s, scriptFile = run.appDir() + u"session.vbs"_s;
    exportThrough(run, u"mnuFileItem_0"_s, logFile);
    exportThrough(run, u"mnuFileItem_1"_s, scriptFile);
    compareWithGolden(maskClock(readFile(logFile)), u"session.log"_s);
    compareWithGolden(readFile(scriptFile), u"session.vbs"_s);
}

QTEST_MAIN(TestGoldenSession)
#include "tst_goldensession.moc"
