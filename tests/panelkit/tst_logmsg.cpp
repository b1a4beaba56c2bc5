// Log writer: line format, message limits, failure lines, the pane and value texts for logs.
#include "panelkit/logpane.h"
#include "services/clsLogMsg.h"
#include "zel/converter.h"

#include <QPlainTextEdit>
#include <QScrollBar>
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
    Array a{zel::VT_I4, lowerBound, {}};
    for (int i = 0; i < count; ++i)
        a.items.append(Value::fromI4(1000 + i));
    return Value::fromArray(a);
}

Value variantArray(QList<Value> items, qint32 lowerBound = 0) { return Value::fromArray(Array{zel::VT_VARIANT, lowerBound, std::move(items)}); }

} // namespace

class TestLogMsg : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lineFormat()
    {
        clsLogMsg log;
        CapturedOutput out;
        log.OutputTextBox(&out);
        log.setClock([] { return QTime(9, 5, 7, 999); });
        QCOMPARE(log.WriteLogMsg(u"Succeeded."_s), u"[1] 09:05:07 Succeeded.\r\n"_s);
        log.setClock([] { return QTime(23, 59, 59); });
        QCOMPARE(log.WriteLogMsg(QString()), u"[2] 23:59:59 \r\n"_s);
        log.setLineCount(11);
        QCOMPARE(log.WriteLogMsg(u"x"_s), u"[12] 23:59:59 x\r\n"_s);
        QCOMPARE(out.lines, (QStringList{u"[1] 09:05:07 Succeeded.\r\n"_s, u"[2] 23:59:59 \r\n"_s, u"[12] 23:59:59 x\r\n"_s}));

        // The last number there is; the next line is an overflow and writes nothing.
        log.setLineCount(std::numeric_limits<qint32>::max() - 1);
        QCOMPARE(log.WriteLogMsg(u"last"_s), u"[2147483647] 23:59:59 last\r\n"_s);
        QVERIFY_THROWS_EXCEPTION(zel::ZelError, log.WriteLogMsg(u"one too many"_s));
        QVERIFY_THROWS_EXCEPTION(zel::ZelError, log.WriteErrorLogMsg(zel::ZelError(zel::E_OVERFLOW)));
        QCOMPARE(out.lines.size(), 4);
    }

    void messageLimits_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("written");
        const QString a256(256, QLatin1Char('a'));
        QTest::newRow("256 kept") << a256 << a256;
        QTest::newRow("257 cut") << a256 + QLatin1Char('b') << a256 + u"..."_s;
        QTest::newRow("CR LF") << u"a\r\nb"_s << u"a..."_s;
        QTest::newRow("LF alone stays") << u"a\nb"_s << u"a\nb"_s;
        // The length cut comes first: a CR beyond 256 is cut away with the tail ...
        QTest::newRow("CR after 256") << a256 + u"xx\ryy"_s << a256 + u"..."_s;
        // ... and a CR just before the limit ends the message there, without a second cut.
        QTest::newRow("CR at 255") << QString(255, QLatin1Char('c')) + u"\r"_s + QString(40, QLatin1Char('d'))
                                   << QString(255, QLatin1Char('c')) + u"..."_s;
    }

    // The line written, and the caller's text shortened the same way.
    void messageLimits()
    {
        QFETCH(QString, message);
        QFETCH(QString, written);
        clsLogMsg log;
        log.setClock([] { return QTime(1, 2, 3); });
        QCOMPARE(log.WriteLogMsg(std::as_const(message)), u"[1] 01:02:03 "_s + written + u"\r\n"_s);
        log.WriteLogMsg(message);
        QCOMPARE(message, written);
    }

    void failureLines_data()
    {
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("message");
        QTest::newRow("five") << 5u << "Access is denied." << "Failed. (0x00000005: Access is denied.)";
        QTest::newRow("upper-case hex") << 0x8004a20cu << "Task cannot do this" << "Failed. (0x8004A20C: Task cannot do this)";
        QTest::newRow("minus one") << static_cast<quint32>(-1) << "x" << "Failed. (0xFFFFFFFF: x)";
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

    void paneKeepsNumberingAfterClearAndOutlivesIt()
    {
        auto *pane = new QPlainTextEdit;
        clsLogMsg log;
        log.OutputTextBox(pane);
        log.setClock([] { return QTime(14, 3, 59); });
        QString text = log.WriteLogMsg(u"Creating ZelEngine..."_s);
        text += log.WriteLogMsg(u"a\r\nb"_s);
        // The pane holds exactly the written lines.
        QCOMPARE(pane->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")), text);
        pane->clear();
        log.WriteLogMsg(u"Succeeded."_s);
        QCOMPARE(pane->toPlainText(), u"[3] 14:03:59 Succeeded.\n"_s);
        // A pane that goes away is simply no longer written to.
        delete pane;
        QCOMPARE(log.WriteLogMsg(u"gone"_s), u"[4] 14:03:59 gone\r\n"_s);
    }

    void paneStaysAtTheNewestLine()
    {
        QPlainTextEdit pane;
        pane.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        pane.resize(200, 150);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        clsLogMsg log;
        auto adapter = std::make_unique<PlainTextLogOutput>(&pane);
        log.OutputTextBox(adapter.get());
        QScrollBar *bar = pane.verticalScrollBar();
        for (int i = 0; i < 60; ++i) {
            log.WriteLogMsg(QString(200, QLatin1Char('w')) + QString::number(i));
            if (i % 20 == 0) {
                // The user moves the caret and scrolls up; the next line brings the end back.
                pane.moveCursor(QTextCursor::Start);
                bar->setValue(0);
            }
        }
        adapter->settle();
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(pane.textCursor().atEnd());
        // Narrower, the lines wrap more often; the view stays at the bottom.
        pane.resize(150, 150);
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
    }

    // Arrays beyond upper bound 256 are cut to 0..256, nested variant arrays become "???".
    void variant2Log()
    {
        QCOMPARE(clsLogMsg::LogText(Value::fromI4(42)), u"3,42"_s);
        // Upper bound 256 is the limit: kept as it is.
        Value exact = i4Array(257);
        QCOMPARE(clsLogMsg::Variant2Log(exact), zel::BstrFromVariant(i4Array(257), 0));
        QCOMPARE(exact, i4Array(257));

        // Beyond it the array becomes indices 0 to 256 with its first 257 elements, also when
        // only the lower bound takes the upper bound to 257.
        Value big = i4Array(300, 5);
        QCOMPARE(clsLogMsg::Variant2Log(big), zel::BstrFromVariant(i4Array(257), 0));
        QCOMPARE(big, i4Array(257));

        // LogText leaves the caller's value alone.
        const Value caller = i4Array(400, -3);
        QCOMPARE(clsLogMsg::LogText(caller), zel::BstrFromVariant(i4Array(257), 0));
        QCOMPARE(caller.arrayValue().items.size(), 400);

        // Any variant array inside a variant array: the whole value's type and ",???".
        QCOMPARE(clsLogMsg::LogText(variantArray({Value::fromI4(1), variantArray({Value::fromI2(2)})})), u"8204,???"_s);

        // A typed inner array is converted, cut to 0..256 when its upper bound reaches 257.
        Value inner = variantArray({Value::fromString(u"x"_s), i4Array(300, 1)});
        const QString text = clsLogMsg::Variant2Log(inner);
        const Value expected = variantArray({Value::fromString(u"x"_s), i4Array(257)});
        QCOMPARE(inner, expected);
        QCOMPARE(text, zel::BstrFromVariant(expected, 0));

        // The outer cut comes first: a variant array beyond index 256 is cut away unseen.
        QList<Value> items;
        for (int i = 0; i < 300; ++i)
            items.append(i == 280 ? variantArray({}) : Value::fromI4(i));
        QVERIFY(clsLogMsg::LogText(variantArray(items)).startsWith(QLatin1String("8204,3:0,3:1,")));
    }
};

QTEST_MAIN(TestLogMsg)
#include "tst_logmsg.moc"
