// Log writer: line format, message limits, failure lines, the pane and value texts for logs.
#include "shell/clsLogMsg.h"
#include "zel/converter.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTest>
#include <limits>

using namespace Qt::StringLiterals;

using zel::Array;
using zel::Value;

namespace {

struct CapturedOutput : LogOutput {
    QStringList lines;
    void appendLogText(const QString &line) override { lines.append(line); }
};

Value i4Array(int count, qint32 lowerBound = 0)
{
    Array a;
    a.elementType = zel::VT_I4;
    a.lowerBound = lowerBound;
    for (int i = 0; i < count; ++i)
        a.items.append(Value::fromI4(1000 + i));
    return Value::fromArray(a);
}

Value variantArray(QList<Value> items, qint32 lowerBound = 0)
{
    Array a;
    a.elementType = zel::VT_VARIANT;
    a.lowerBound = lowerBound;
    a.items = std::move(items);
    return Value::fromArray(a);
}

} // namespace

class TestLogMsg : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lineFormat()
    {
        clsLogMsg log;
        CapturedOutput out;
        log.OutputTextBox(&out);
        log.setClock([] { return QTime(14, 3, 59); });

        QCOMPARE(log.WriteLogMsg(u"Succeeded."_s), u"[1] 14:03:59 Succeeded.\r\n"_s);
        QCOMPARE(log.WriteLogMsg(QString()), u"[2] 14:03:59 \r\n"_s);
        log.setLineCount(11);
        QCOMPARE(log.WriteLogMsg(u"x"_s), u"[12] 14:03:59 x\r\n"_s);
        QCOMPARE(out.lines, (QStringList{u"[1] 14:03:59 Succeeded.\r\n"_s, u"[2] 14:03:59 \r\n"_s, u"[12] 14:03:59 x\r\n"_s}));
        QCOMPARE(log.lineCount(), 12);
    }

    void time_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << QTime(0, 0, 0) << "00:00:00";
        QTest::newRow("leading zeros") << QTime(9, 5, 7, 999) << "09:05:07";
        QTest::newRow("24-hour") << QTime(23, 59, 59) << "23:59:59";
        QTest::newRow("noon") << QTime(12, 0, 1) << "12:00:01";
    }

    void time()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        clsLogMsg log;
        log.setClock([time] { return time; });
        QCOMPARE(log.WriteLogMsg(u"m"_s), u"[1] "_s + text + u" m\r\n"_s);
    }

    void messageLimits_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("written");
        const QString a256(256, QLatin1Char('a'));
        QTest::newRow("256 kept") << a256 << a256;
        QTest::newRow("257 cut") << a256 + QLatin1Char('b') << a256 + u"..."_s;
        QTest::newRow("300 cut") << QString(300, QLatin1Char('z')) << QString(256, QLatin1Char('z')) + u"..."_s;
        QTest::newRow("CR LF") << u"a\r\nb"_s << u"a..."_s;
        QTest::newRow("CR first") << u"\rabc"_s << u"..."_s;
        QTest::newRow("LF alone stays") << u"a\nb"_s << u"a\nb"_s;
        // The length cut comes first: a CR beyond 256 is cut away with the tail ...
        QTest::newRow("CR after 256") << a256 + u"xx\ryy"_s << a256 + u"..."_s;
        // ... and a CR just before the limit ends the message there, without a second cut.
        QTest::newRow("CR at 255") << QString(255, QLatin1Char('c')) + u"\r"_s + QString(40, QLatin1Char('d'))
                                   << QString(255, QLatin1Char('c')) + u"..."_s;
    }

    void messageLimits()
    {
        QFETCH(QString, message);
        QFETCH(QString, written);
        clsLogMsg log;
        log.setClock([] { return QTime(1, 2, 3); });
        QCOMPARE(log.WriteLogMsg(std::as_const(message)), u"[1] 01:02:03 "_s + written + u"\r\n"_s);
    }

    void messageShortenedInPlace()
    {
        clsLogMsg log;
        QString msg(300, QLatin1Char('x'));
        log.WriteLogMsg(msg);
        QCOMPARE(msg, QString(256, QLatin1Char('x')) + u"..."_s);
        QString multi = u"first\r\nsecond"_s;
        log.WriteLogMsg(multi);
        QCOMPARE(multi, u"first..."_s);
    }

    void failureLines_data()
    {
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("message");
        QTest::newRow("five") << 5u << "Access is denied." << "Failed. (0x00000005: Access is denied.)";
        QTest::newRow("upper-case hex") << 0x8004a20cu << "Task cannot do this in its current state"
                                        << "Failed. (0x8004A20C: Task cannot do this in its current state)";
        QTest::newRow("minus one") << static_cast<quint32>(-1) << "x" << "Failed. (0xFFFFFFFF: x)";
        QTest::newRow("minus 2147024891") << static_cast<quint32>(-2147024891) << "denied" << "Failed. (0x80070005: denied)";
        QTest::newRow("zero") << 0u << "" << "Failed. (0x00000000: )";
        QTest::newRow("abcdef") << 0xABCDEFu << "d" << "Failed. (0x00ABCDEF: d)";
    }

    void failureLines()
    {
        QFETCH(quint32, number);
        QFETCH(QString, description);
        QFETCH(QString, message);
        clsLogMsg log;
        log.setClock([] { return QTime(8, 0, 0); });
        QCOMPARE(log.WriteErrorLogMsg(zel::ZelError(number, description)), u"[1] 08:00:00 "_s + message + u"\r\n"_s);
    }

    void counterOverflow()
    {
        clsLogMsg log;
        CapturedOutput out;
        log.OutputTextBox(&out);
        log.setClock([] { return QTime(10, 0, 0); });
        log.setLineCount(std::numeric_limits<qint32>::max() - 1);
        QCOMPARE(log.WriteLogMsg(u"last"_s), u"[2147483647] 10:00:00 last\r\n"_s);
        try {
            log.WriteLogMsg(u"one too many"_s);
            QFAIL("no overflow error");
        } catch (const zel::ZelError &e) {
            QCOMPARE(e.unsignedNumber(), quint32(zel::E_OVERFLOW));
        }
        QCOMPARE(out.lines.size(), 1);
        QCOMPARE(log.lineCount(), std::numeric_limits<qint32>::max());
        // The failure line itself cannot be written either.
        QVERIFY_THROWS_EXCEPTION(zel::ZelError, log.WriteErrorLogMsg(zel::ZelError(zel::E_OVERFLOW)));
    }

    void withoutPane()
    {
        clsLogMsg log;
        log.setClock([] { return QTime(7, 7, 7); });
        QCOMPARE(log.WriteLogMsg(u"before"_s), u"[1] 07:07:07 before\r\n"_s);
        CapturedOutput out;
        log.OutputTextBox(&out);
        log.WriteLogMsg(u"after"_s);
        QCOMPARE(out.lines, QStringList{u"[2] 07:07:07 after\r\n"_s});
        // A pane that goes away is simply no longer written to.
        auto *edit = new QPlainTextEdit;
        log.OutputTextBox(edit);
        log.WriteLogMsg(u"shown"_s);
        delete edit;
        QCOMPARE(log.WriteLogMsg(u"gone"_s), u"[4] 07:07:07 gone\r\n"_s);
    }

    void paneKeepsNumberingAfterClear()
    {
        QPlainTextEdit pane;
        clsLogMsg log;
        log.OutputTextBox(&pane);
        log.setClock([] { return QTime(14, 3, 59); });
        QString l1 = log.WriteLogMsg(u"Creating ZelEngine..."_s);
        QString l2 = log.WriteLogMsg(u"a\r\nb"_s);
        // The pane holds exactly the written lines; with CR LF line ends it is their concatenation.
        QString text = pane.toPlainText();
        QCOMPARE(text, u"[1] 14:03:59 Creating ZelEngine...\n[2] 14:03:59 a...\n"_s);
        QCOMPARE(text.replace(QLatin1Char('\n'), QLatin1String("\r\n")), l1 + l2);
        QCOMPARE(pane.textCursor().position(), pane.document()->characterCount() - 1);

        pane.clear();
        log.WriteLogMsg(u"Succeeded."_s);
        QCOMPARE(pane.toPlainText(), u"[3] 14:03:59 Succeeded.\n"_s);
        QCOMPARE(pane.document()->blockCount(), 2);
    }

    void paneShowsNewestLine()
    {
        QPlainTextEdit pane;
        pane.resize(400, 200);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        clsLogMsg log;
        log.OutputTextBox(&pane);
        for (int i = 0; i < 300; ++i) {
            log.WriteLogMsg(u"line %1"_s.arg(i));
            if (i % 50 == 0) {
                // The user moves the caret and scrolls up; the next line brings the end back.
                pane.moveCursor(QTextCursor::Start);
                pane.verticalScrollBar()->setValue(0);
            }
        }
        QCoreApplication::processEvents();
        QScrollBar *bar = pane.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(pane.textCursor().atEnd());
        QCOMPARE(pane.document()->blockCount(), 301);
        QVERIFY(pane.document()->findBlockByNumber(299).text().endsWith(QLatin1String(" line 299")));
    }

    void paneStaysAtBottomWithWrappedLines()
    {
        QPlainTextEdit pane;
        pane.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        pane.resize(200, 150);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        clsLogMsg log;
        auto adapter = std::make_unique<PlainTextLogOutput>(&pane);
        log.OutputTextBox(adapter.get());
        for (int i = 0; i < 60; ++i)
            log.WriteLogMsg(QString(200, QLatin1Char('w')) + QString::number(i));
        // The view reaches the bottom by the time the window paints, or at once through settle().
        adapter->settle();
        QScrollBar *bar = pane.verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
        pane.repaint();
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), bar->maximum());
        // The last written line is on screen: its block lies inside the viewport.
        QTextBlock last = pane.document()->lastBlock().previous();
        QVERIFY(last.text().endsWith(QLatin1String("w59")));
        QTextCursor c(last);
        c.movePosition(QTextCursor::EndOfBlock);
        QRect r = pane.cursorRect(c);
        QVERIFY2(r.top() >= 0 && r.bottom() <= pane.viewport()->height(), qPrintable(QString::number(r.bottom())));

        // Narrower, the lines wrap more often; the view stays at the bottom.
        pane.resize(150, 150);
        pane.repaint();
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), bar->maximum());

        // Scrolled up by the user, the view stays where it is until the next line is written.
        bar->setValue(0);
        pane.resize(220, 150);
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), 0);
        log.WriteLogMsg(u"next"_s);
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), bar->maximum());

        // Clearing and writing on: no undo history builds up.
        log.setClock([] { return QTime(9, 0, 0); });
        pane.clear();
        log.WriteLogMsg(u"after clear"_s);
        QVERIFY(!pane.document()->isUndoRedoEnabled());
        QCOMPARE(pane.toPlainText(), u"[62] 09:00:00 after clear\n"_s);
    }

    void variant2LogPlainValues()
    {
        Value v = Value::fromI4(42);
        QCOMPARE(clsLogMsg::Variant2Log(v), u"3,42"_s);
        Value s = Value::fromString(u"a,b"_s);
        QCOMPARE(clsLogMsg::LogText(s), zel::BstrFromVariant(s, 0));
        Value small = i4Array(3, 1);
        QCOMPARE(clsLogMsg::LogText(small), zel::BstrFromVariant(small, 0));
    }

    void variant2LogCutsArrays()
    {
        // Upper bound 256 is the limit: kept as it is.
        Value exact = i4Array(257);
        Value copy = exact;
        QCOMPARE(clsLogMsg::Variant2Log(copy), zel::BstrFromVariant(exact, 0));
        QCOMPARE(copy, exact);

        // Beyond it the array becomes indices 0 to 256 with its first 257 elements.
        Value big = i4Array(300);
        QString text = clsLogMsg::Variant2Log(big);
        QCOMPARE(big.arrayValue().lowerBound, 0);
        QCOMPARE(big.arrayValue().items.size(), 257);
        QCOMPARE(big.arrayValue().items.last(), Value::fromI4(1256));
        QCOMPARE(text, zel::BstrFromVariant(i4Array(257), 0));

        // A lower bound other than 0 is dropped by the cut.
        Value shifted = i4Array(300, 5);
        clsLogMsg::Variant2Log(shifted);
        QCOMPARE(shifted, i4Array(257));

        // Upper bound 257 through the lower bound alone: still cut to 0..256.
        Value high = i4Array(10, 250);
        clsLogMsg::Variant2Log(high);
        QCOMPARE(high.arrayValue().lowerBound, 0);
        QCOMPARE(high.arrayValue().items.size(), 257);
        QCOMPARE(high.arrayValue().items.first(), Value::fromI4(1000));
    }

    void variant2LogNestedArrays()
    {
        // Any variant array inside a variant array: the whole value's type and ",???".
        Value nested = variantArray({Value::fromI4(1), variantArray({Value::fromI2(2)})});
        QCOMPARE(clsLogMsg::LogText(nested), u"8204,???"_s);
        Value nestedShifted = variantArray({variantArray({})}, 3);
        QCOMPARE(clsLogMsg::LogText(nestedShifted), u"8204,???"_s);

        // A typed inner array is converted, cut to 0..256 when its upper bound reaches 257.
        Value inner = variantArray({Value::fromString(u"x"_s), i4Array(300, 1)});
        QString text = clsLogMsg::Variant2Log(inner);
        Value expected = variantArray({Value::fromString(u"x"_s), i4Array(257)});
        QCOMPARE(inner, expected);
        QCOMPARE(text, zel::BstrFromVariant(expected, 0));

        Value innerAtLimit = variantArray({i4Array(257)});
        QCOMPARE(clsLogMsg::LogText(innerAtLimit), zel::BstrFromVariant(innerAtLimit, 0));

        // The outer cut comes first: a variant array beyond index 256 is cut away unseen.
        QList<Value> items;
        for (int i = 0; i < 300; ++i)
            items.append(i == 280 ? variantArray({}) : Value::fromI4(i));
        Value outer = variantArray(items);
        text = clsLogMsg::LogText(outer);
        QVERIFY(text.startsWith(QLatin1String("8204,3:0,3:1,")));
        QVERIFY(!text.contains(QLatin1String("???")));
    }

    void logTextLeavesValueAlone()
    {
        const Value big = i4Array(400, -3);
        Value caller = big;
        QString text = clsLogMsg::LogText(caller);
        QCOMPARE(caller, big);
        QCOMPARE(caller.arrayValue().items.size(), 400);
        QCOMPARE(text, zel::BstrFromVariant(i4Array(257), 0));
    }
};

QTEST_MAIN(TestLogMsg)
#include "tst_logmsg.moc"
