#include "testsupport.h"

#include "tools/frmStatus.h"
#include "zel/errors.h"

#include <QApplication>

using zel::CallKind;
using zel::Value;

namespace {

// A status object that answers a number of count requests, then fails.
class FailingStatus : public zel::Object {
public:
    int answersLeft = 0;
    QString className() const override { return u"ZelEngineStatus"_s; }
    Value invoke(const QString &member, CallKind, const QList<Value> &args) override
    {
        if (member == QLatin1String("ObjectCount")) {
            if (answersLeft-- <= 0)
                throw zel::ZelError(0x80004005u, u"Status unavailable"_s);
            return Value::fromI4(100 + args.value(0).toInt32());
        }
        return Value::fromString(u"x"_s);
    }
};

frmStatus *monitor(TestRun &run)
{
    return qobject_cast<frmStatus *>(run.mdi()->findForm(3));
}

} // namespace

class TestStatus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Load shows the engine's start; a sample counts real objects and writes no log line; a
    // rate out of range is a failure line; Start samples until Stop, the last counts stay.
    void loadSampleStartAndStop()
    {
        TestRun run;
        frmStatus *s = monitor(run);
        auto *button = child<QPushButton>(s, "cmdStartStop");
        auto *rate = child<QLineEdit>(s, "txtSamplingRate");
        QVERIFY(textOf(s, "txtStartDateTime").contains(QRegularExpression(u"^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d"_s)));
        QCOMPARE(rate->text(), u"100"_s);
        addController(run);
        qsizetype mark = run.logMark();
        s->sample();
        QCOMPARE(textOf(s, "txtWSCount") + textOf(s, "txtCtrlCount"), u"11"_s);
        QVERIFY(run.logSince(mark).isEmpty());

        rate->setText("100000");
        clickButton(s, "cmdStartStop");
        const QStringList lines = run.logSince(mark);
        QVERIFY(lines.size() == 1 && lines[0].startsWith(u"Failed. (0x8004A203: "_s));
        QVERIFY(!s->isSampling() && rate->isEnabled());
        QCOMPARE(button->text(), u"[ &Start ]"_s);

        rate->setText("50");
        clickButton(s, "cmdStartStop");
        QVERIFY(s->isSampling() && !rate->isEnabled());
        QCOMPARE(button->text(), u"Stop"_s);
        QTRY_COMPARE_WITH_TIMEOUT(textOf(s, "txtEngineCount"), u"1"_s, 2000);
        clickButton(s, "cmdStartStop");
        QVERIFY(!s->isSampling() && rate->isEnabled());
        QCOMPARE(button->text(), u"Start"_s);
        QCOMPARE(textOf(s, "txtEngineCount"), u"1"_s);
    }

    void rateFieldRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("after");
        QTest::newRow("zero") << "0" << false << "0";
        QTest::newRow("letters") << "abc" << false << "abc";
        QTest::newRow("fifty") << " 50 " << true << "50";
    }

    void rateFieldRules()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QString, after);
        TestRun run;
        frmStatus *s = monitor(run);
        run.mdi()->ShowForm(s->m_TreeNode);
        QApplication::setActiveWindow(run.mdi());
        auto *rate = child<QLineEdit>(s, "txtSamplingRate");
        auto *other = child<QPushButton>(s, "cmdGetDateTime");
        rate->setFocus();
        rate->setText(typed);
        other->setFocus();
        // A refused text takes the focus back through a zero timer: one pass of the event
        // loop runs it; then wait for the focus where it belongs.
        QCoreApplication::processEvents();
        QTRY_COMPARE(rate->hasFocus(), !accepted);
        QCOMPARE(rate->text(), after);
        if (!accepted) {
            QCOMPARE(rate->selectedText(), typed.trimmed());
            // Start does nothing with a refused text.
            clickButton(s, "cmdStartStop");
            QVERIFY(!s->isSampling());
        }
    }

    void failedSampleStopsSampling()
    {
        TestRun run;
        frmStatus *s = monitor(run);
        auto fake = std::make_shared<FailingStatus>();
        fake->answersLeft = 19 + 5; // one whole sample, then 5 counts of the next
        zel::ObjectPtr real = s->m_ZelStatus;
        s->m_ZelStatus = fake;
        setText(s, "txtSamplingRate", "10");
        clickButton(s, "cmdStartStop");
        qsizetype mark = run.logMark();
        QTRY_VERIFY_WITH_TIMEOUT(!s->isSampling(), 3000);
        QCOMPARE(run.logSince(mark), QStringList{"Failed. (0x80004005: Status unavailable)"});
        QCOMPARE(child<QPushButton>(s, "cmdStartStop")->text(), u"Start"_s);
        // The second sample updated the first five displays; the rest kept the first sample.
        QCOMPARE(textOf(s, "txtEngineCount"), u"100"_s);
        QCOMPARE(textOf(s, "txtStatusCount"), u"118"_s);
        s->m_ZelStatus = real;
    }
};

QTEST_MAIN(TestStatus)
#include "tst_status.moc"
