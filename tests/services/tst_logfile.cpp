// The log file as the log writer's second output: appended in the log's line format with CR LF,
// the same lines as the pane; what cannot be a log file is refused without waiting; a write
// that fails is reported once and nothing more is written.
#include "../common/faultyfiles.h"
#include "services/clsLogMsg.h"
#include "services/logfile.h"

#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

struct CapturedOutput : LogOutput {
    QStringList lines;
    void appendLogText(const QString &line) override { lines.append(line); }
};

} // namespace

class TestLogFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void appendsTheWritersLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.log"_s);
        QVERIFY(writeBytes(path, "earlier\r\n"));
        clsLogMsg log;
        log.setClock([] { return QTime(7, 8, 9); });
        CapturedOutput pane;
        log.OutputTextBox(&pane);
        auto file = std::make_unique<LogFile>(path);
        QString error;
        QVERIFY2(file->open(&error), qPrintable(error));
        log.setFileOutput(std::move(file));
        log.WriteLogMsg(u"Succeeded."_s);
        // Each line is in the file as soon as it is written.
        QCOMPARE(fileBytes(path), "earlier\r\n[1] 07:08:09 Succeeded.\r\n");
        log.WriteLogMsg(u"two\nlines"_s);            // a lone LF stays one line, as in the pane
        log.WriteLogMsg(u"cut\r\nhere"_s);           // the message limits apply first
        log.WriteLogMsg(QString(300, u'x'));
        log.WriteLogMsg(u"Gr\u00fc\u00dfe \u6771\u4eac"_s); // UTF-8
        QByteArray expected = "earlier\r\n";
        for (const QString &line : pane.lines)
            expected += clsLogMsg::SingleLine(line).toUtf8() + "\r\n";
        QCOMPARE(fileBytes(path), expected);
        QVERIFY(expected.contains("[2] 07:08:09 two lines\r\n"));
        QVERIFY(expected.contains("[3] 07:08:09 cut...\r\n"));
        QVERIFY(expected.contains("[4] 07:08:09 " + QByteArray(256, 'x') + "...\r\n"));
        // Off again: the file keeps what it has.
        log.setFileOutput(nullptr);
        log.WriteLogMsg(u"pane only"_s);
        QCOMPARE(fileBytes(path), expected);
        QCOMPARE(pane.lines.size(), 6);
    }

    void refusesWhatCannotBeALogFile()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(u"pipe"_s);
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        const QStringList paths = {dir.path(), fifo, dir.filePath(u"missing/folder/x.log"_s), QString()};
        for (const QString &path : paths) {
            LogFile file(path);
            QString error;
            // A pipe nobody reads is refused at once rather than waited on.
            QVERIFY2(!file.open(&error), qPrintable(path));
            QVERIFY2(!error.isEmpty(), qPrintable(path));
            QVERIFY(file.failed());
            file.appendLogText(u"[1] 00:00:00 nothing\r\n"_s);
        }
    }

    void aFailedWriteIsReportedOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"full.log"_s);
        QStringList reasons;
        LogFile file(path, [&reasons](const QString &reason) { reasons << reason; });
        QVERIFY(file.open());
        {
            FileSizeLimit limit(100);
            QVERIFY(limit.active());
            for (int i = 0; i < 10; ++i)
                file.appendLogText(u"[%1] 00:00:00 a line of some length\r\n"_s.arg(i));
        }
        QCOMPARE(reasons.size(), 1);
        QVERIFY(!reasons.first().isEmpty());
        QVERIFY(file.failed());
        const QByteArray kept = fileBytes(path);
        QVERIFY(kept.size() <= 100);
        file.appendLogText(u"[11] 00:00:00 after\r\n"_s);
        QCOMPARE(fileBytes(path), kept);
        QCOMPARE(reasons.size(), 1);
    }
};

QTEST_MAIN(TestLogFile)
#include "tst_logfile.moc"
