// The performance check against variables of the engine: the field rules, the up-down, the
// patterns, the three modes, failures with and without Ignore Error, Check Data, St&op, the
// result rows, the tick counter's wrap, debugger output and the process priority.
#include "testsupport.h"

#include "services/platform.h"
#include "services/valuetext.h"
#include "tools/frmPerfChk.h"
#include "zel/engine.h"

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryFile>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

using zel::Value;

namespace {

// Answers every message box of the check with OK and keeps its text.
class MessageCatcher : public QObject {
public:
    QStringList texts;

    MessageCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                texts << box->text();
                QCOMPARE(box->buttons().size(), 1);
                box->button(QMessageBox::Ok)->click();
            }
        });
        m_timer.start(2);
    }

private:
    QTimer m_timer;
};

// A tick counter that starts just below the wrap and moves 1000 ms per reading.
quint32 g_fakeTick = 0;
quint32 fakeTick()
{
    const quint32 now = g_fakeTick;
    g_fakeTick += 1000;
    return now;
}

} // namespace

class TestPerfChk : public QObject {
    Q_OBJECT

    std::shared_ptr<zel::ZelEngine> m_engine;
    std::shared_ptr<zel::ZelController> m_ctrl;
    std::unique_ptr<frmPerfChk> m_dlg;

    frmPerfChk *open(const std::shared_ptr<zel::ZelVariable> &variable)
    {
        m_dlg = std::make_unique<frmPerfChk>();
        m_dlg->m_Variable = variable;
        m_dlg->show();
        return m_dlg.get();
    }

    template <typename T = QWidget>
    T *w(const char *name) const
    {
        return child<T>(m_dlg.get(), QLatin1String(name));
    }

    void choosePattern(int index) { w<QRadioButton>(qPrintable(u"optPattern_%1"_s.arg(index)))->click(); }
    void chooseMode(int index) { w<QRadioButton>(qPrintable(u"optReadWrite_%1"_s.arg(index)))->click(); }
    void chooseType(quint16 vt) { w<QComboBox>("cmbValueType")->setCurrentIndex(valuetext::typeToPosition(vt)); }

    // The result rows as "Action|Time|Required".
    QStringList rows() const
    {
        QStringList out;
        auto *list = child<QTreeWidget>(m_dlg.get(), "lvResult");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = list->topLevelItem(i);
            out << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(2);
        }
        return out;
    }
    QString lastAction() const { return rows().value(rows().size() - 1).section(QLatin1Char('|'), 0, 0); }

    // Clicks St&art and collects the messages it shows.
    QStringList start()
    {
        MessageCatcher catcher;
        QApplication::processEvents(); // what the typing left pending
        clickButton(m_dlg.get(), "cmdStart");
        QApplication::processEvents();
        return catcher.texts;
    }

    std::shared_ptr<zel::ZelVariable> counter() { return m_ctrl->addVariable("@Counter"); }

    // The enabled state of controls, as 1 and 0.
    QString enabled(std::initializer_list<const char *> names) const
    {
        QString states;
        for (const char *name : names)
            states += w(name)->isEnabled() ? u'1' : u'0';
        return states;
    }

private Q_SLOTS:
    void init()
    {
        m_engine = zel::ZelEngine::create();
        m_ctrl = m_engine->workspaces()->at(0)->addController("C", "Zel.Virtual");
    }

    void cleanup()
    {
        m_dlg.reset();
        m_ctrl.reset();
        m_engine.reset();
    }

    void opensWithCountPatternAndReadModeAndEnablesBySelection()
    {
        open(m_ctrl->addVariable("V"));
        QVERIFY(w<QRadioButton>("optPattern_1")->isChecked() && w<QRadioButton>("optReadWrite_0")->isChecked());
        QCOMPARE(textOf(m_dlg.get(), "txtHour") + textOf(m_dlg.get(), "txtMinute") + textOf(m_dlg.get(), "txtPatternCount"), u"011"_s);
        const std::initializer_list<const char *> controls = {"txtHour", "lblTimeDelimiter", "txtMinute", "txtPatternCount",
                                                             "udPatternCount", "lblValue", "cmbValueType", "txtValue", "chkDataCheck",
                                                             "chkIgnore", "chkOutput", "cmdStart", "cmdStop", "cmdClear", "cmdExit"};
        QCOMPARE(enabled(controls), u"000110000111011"_s);

        // The selections: time fields with the time pattern, the value with the writing modes,
        // Check Data with Write && Read, Start not with "(Unkown)".
        choosePattern(0);
        QCOMPARE(enabled({"txtHour", "lblTimeDelimiter", "txtMinute", "txtPatternCount", "udPatternCount"}), u"11100"_s);
        chooseMode(1);
        QCOMPARE(enabled({"lblValue", "cmbValueType", "txtValue", "chkDataCheck"}), u"1110"_s);
        chooseMode(2);
        QCOMPARE(enabled({"chkDataCheck"}), u"1"_s);
        w<QComboBox>("cmbValueType")->setCurrentIndex(valuetext::kPosNull);
        QCOMPARE(enabled({"cmdStart", "txtValue"}), u"10"_s);
        w<QComboBox>("cmbValueType")->setCurrentIndex(valuetext::kPosUnknown);
        QCOMPARE(enabled({"cmdStart", "txtValue"}), u"00"_s);
        chooseMode(0); // reading needs no value
        QCOMPARE(enabled({"cmdStart", "cmbValueType", "chkDataCheck"}), u"100"_s);
    }

    void fieldLimits_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString hour = "Input the integer of 0 to 500 into the hour.";
        const QString minute = "Input the integer of 0 to 59 into the minute.";
        const QString count = "Input the integer of 1 to 65535 into the number of times.";
        QTest::newRow("hour 0") << 0 << "txtHour" << "0" << "";
        QTest::newRow("hour 500") << 0 << "txtHour" << "500" << "";
        QTest::newRow("hour 501") << 0 << "txtHour" << "501" << hour;
        QTest::newRow("minute 59") << 0 << "txtMinute" << "59" << "";
        QTest::newRow("minute 60") << 0 << "txtMinute" << "60" << minute;
        QTest::newRow("count 0") << 1 << "txtPatternCount" << "0" << count;
        QTest::newRow("count 1") << 1 << "txtPatternCount" << "1" << "";
        QTest::newRow("count 65535") << 1 << "txtPatternCount" << "65535" << "";
        QTest::newRow("count 65536") << 1 << "txtPatternCount" << "65536" << count;
        QTest::newRow("count empty") << 1 << "txtPatternCount" << "" << count;
    }

    // Through St&art: a refused field keeps the run from starting and keeps the focus; an
    // accepted one runs (long runs are stopped).
    void fieldLimits()
    {
        QFETCH(int, pattern);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        open(counter());
        choosePattern(pattern);
        if (pattern == 0) {
            fill(m_dlg.get(), {"txtHour=0", "txtMinute=0"});
        }
        setText(m_dlg.get(), field, text);
        // accepted times may be long: St&op ends them
        if (pattern == 0) {
            QTimer::singleShot(50, m_dlg.get(), [this] {
                if (m_dlg->isRunning())
                    clickButton(m_dlg.get(), "cmdStop");
            });
        }
        auto *edit = w<QLineEdit>(qPrintable(field));
        const QStringList messages = start();
        if (message.isEmpty()) {
            QCOMPARE(messages, QStringList());
            QCOMPARE(rows().size(), 2);
            if (pattern == 1)
                QCOMPARE(m_dlg->lastIterations(), quint64(text.toInt()));
        } else {
            QCOMPARE(messages, QStringList{message});
            QCOMPARE(rows().size(), 0);
            QCOMPARE(m_dlg->focusWidget(), edit);
            QCOMPARE(edit->selectedText(), text);
        }
    }

    // The same rules when the focus leaves a field for another control.
    void fieldCheckedWhenFocusLeaves()
    {
        open(counter());
        QApplication::setActiveWindow(m_dlg.get());
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
        choosePattern(0);
        auto *hour = w<QLineEdit>("txtHour");
        auto *minute = w<QLineEdit>("txtMinute");
        minute->setFocus();
        minute->setText("60");
        QApplication::processEvents();
        {
            MessageCatcher catcher;
            hour->setFocus(Qt::TabFocusReason);
            QTRY_COMPARE(catcher.texts, QStringList{"Input the integer of 0 to 59 into the minute."});
            QApplication::processEvents();
        }
        QCOMPARE(m_dlg->focusWidget(), minute);
        QCOMPARE(minute->selectedText(), u"60"_s);
    }

    // Every leave checks, also the first one after a refusal: a refused field typed over with
    // another bad number is refused again, and a good number then moves on.
    void everyLeaveChecksAgain_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("refused");
        QTest::addColumn<QString>("accepted");
        QTest::addColumn<QString>("message");
        QTest::newRow("count") << 1 << "txtPatternCount" << QStringList{"0", "65536"} << "007"
                               << "Input the integer of 1 to 65535 into the number of times.";
        QTest::newRow("hour") << 0 << "txtHour" << QStringList{"501", ""} << "500"
                              << "Input the integer of 0 to 500 into the hour.";
        QTest::newRow("minute") << 0 << "txtMinute" << QStringList{"60", "99"} << "05"
                                << "Input the integer of 0 to 59 into the minute.";
    }

    void everyLeaveChecksAgain()
    {
        QFETCH(int, pattern);
        QFETCH(QString, field);
        QFETCH(QStringList, refused);
        QFETCH(QString, accepted);
        QFETCH(QString, message);
        open(counter());
        QApplication::setActiveWindow(m_dlg.get());
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
        choosePattern(pattern);
        auto *edit = w<QLineEdit>(qPrintable(field));
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        MessageCatcher catcher;
        QStringList expected;
        for (const QString &text : refused) {
            edit->selectAll();
            QTest::keyClicks(edit, text);
            if (text.isEmpty())
                QTest::keyClick(edit, Qt::Key_Delete);
            QCOMPARE(edit->text(), text);
            QTest::keyClick(edit, Qt::Key_Tab);
            expected << message;
            QTRY_COMPARE(catcher.texts, expected);
            QTRY_COMPARE(QApplication::focusWidget(), edit);
            QCOMPARE(edit->selectedText(), text);
        }
        QTest::keyClicks(edit, accepted);
        QTest::keyClick(edit, Qt::Key_Tab);
        QTRY_VERIFY(QApplication::focusWidget() != edit);
        QCOMPARE(catcher.texts, expected);
        QCOMPARE(edit->text(), QString::number(accepted.toInt()));
    }

    void upDownDrivesTheCountField()
    {
        open(counter());
        auto *ud = w<UpDown>("udPatternCount");
        auto *count = w<QLineEdit>("txtPatternCount");
        clickButton(ud, "btnUp");
        QCOMPARE(count->text(), u"2"_s);
        count->setText("");
        clickButton(ud, "btnUp");
        QCOMPARE(count->text(), u"1"_s); // an empty field becomes 1, not the value
        count->setText("70000");
        clickButton(ud, "btnDown");
        QCOMPARE(ud->value(), 2);
        QCOMPARE(count->text(), u"65535"_s);
        // an accepted field hands its number to the up-down
        count->setText("0042");
        start();
        QCOMPARE(ud->value(), 42);
        QCOMPARE(count->text(), u"42"_s);
    }

    void countOneDoesOneIterationAndTimeZeroNone()
    {
        auto var = counter();
        open(var);
        QCOMPARE(start(), QStringList());
        QCOMPARE(m_dlg->lastIterations(), quint64(1));
        QCOMPARE(var->value(), Value::fromI4(2)); // one read before this one

        const QStringList r = rows();
        QCOMPARE(r.size(), 2);
        const QRegularExpression startRow(u"^START\\|\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\| $"_s);
        QVERIFY2(startRow.match(r[0]).hasMatch(), qPrintable(r[0]));
        QVERIFY2(QRegularExpression(u"^END\\|\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\|\\d{1,3}$"_s).match(r[1]).hasMatch(),
                 qPrintable(r[1]));
        QCOMPARE(frmPerfChk::timeText(QDateTime(QDate(2024, 1, 9), QTime(7, 5, 3, 42))), u"01/09 07:05:03.042"_s);

        choosePattern(0);
        fill(m_dlg.get(), {"txtHour=0", "txtMinute=0"});
        QCOMPARE(start(), QStringList());
        QCOMPARE(m_dlg->lastIterations(), quint64(0));
        QCOMPARE(var->value(), Value::fromI4(3)); // no read in between
        QCOMPARE(rows().size(), 4); // rows add up until cleared
        clickButton(m_dlg.get(), "cmdClear");
        QCOMPARE(rows().size(), 0);
    }

    void writeModesWriteTheConvertedValue()
    {
        auto var = m_ctrl->addVariable("V");
        open(var);
        chooseMode(1);
        chooseType(zel::VT_I4);
        fill(m_dlg.get(), {"txtValue=42", "txtPatternCount=10"});
        QCOMPARE(start(), QStringList());
        QCOMPARE(var->value(), Value::fromI4(42));
        QCOMPARE(lastAction(), u"END"_s);

        // a value that does not convert: its message, no rows, back to idle
        setText(m_dlg.get(), "txtValue", "forty-two");
        const QStringList messages = start();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains("forty-two"), qPrintable(messages[0]));
        QCOMPARE(rows().size(), 2);
        QVERIFY(w("cmdStart")->isEnabled() && !w("cmdStop")->isEnabled());
        // Write && Read with Check Data on a plain variable: the data agree
        chooseMode(2);
        chooseType(zel::VT_BSTR);
        setText(m_dlg.get(), "txtValue", "a,b");
        w<QCheckBox>("chkDataCheck")->setChecked(true);
        QCOMPARE(start(), QStringList());
        QCOMPARE(lastAction(), u"END"_s);
        QCOMPARE(m_dlg->lastIterations(), quint64(10));
        QCOMPARE(var->value(), Value::fromString("a,b"));
    }

    void aDataDifferenceEndsTheRun()
    {
        auto var = counter(); // reads give one more than was written
        open(var);
        chooseMode(2);
        chooseType(zel::VT_I4);
        setText(m_dlg.get(), "txtValue", "100");
        w<QCheckBox>("chkDataCheck")->setChecked(true);
        setText(m_dlg.get(), "txtPatternCount", "50");
        QCOMPARE(start(), QStringList{"Write data and read data are different."});
        QCOMPARE(lastAction(), u"ERROR"_s);
        QCOMPARE(m_dlg->lastIterations(), quint64(1));
        QCOMPARE(m_dlg->lastResult(), 3);
        // Check Data counts only in Write && Read
        chooseMode(1);
        QVERIFY(!w("chkDataCheck")->isEnabled());
        QCOMPARE(start(), QStringList());
        QCOMPARE(lastAction(), u"END"_s);
        QCOMPARE(m_dlg->lastIterations(), quint64(50));
    }

    void failuresWithAndWithoutIgnoreError()
    {
        auto var = m_ctrl->addVariable("V");
        open(var);
        m_ctrl->execute("InjectFault", Value::fromString("Object=V,Operation=put_Value,Count=-1"));
        chooseMode(1);
        fill(m_dlg.get(), {"txtValue=x", "txtPatternCount=200"});
        // without Ignore Error the first failure ends the run
        QCOMPARE(start(), QStringList{"'IZelVariable->put_Value' is failed."});
        QCOMPARE(m_dlg->lastIterations(), quint64(1));
        // with it every write fails, the run goes to its end, and one message reports it
        w<QCheckBox>("chkIgnore")->setChecked(true);
        QCOMPARE(start(), QStringList{"'IZelVariable->put_Value' is failed."});
        QCOMPARE(lastAction(), u"ERROR"_s);
        QCOMPARE(m_dlg->lastIterations(), quint64(200));

        // the last failure names the run's result: a read fails once, the writes to the end
        m_ctrl->execute("InjectFault", Value::fromString("Object=V,Operation=get_Value,Count=1"));
        chooseMode(2);
        QCOMPARE(start(), QStringList{"'IZelVariable->put_Value' is failed."});
        QCOMPARE(m_dlg->lastIterations(), quint64(200));
    }

    void stopDuringARunAndTheRunningState()
    {
        TestRun run;
        auto var = m_ctrl->addVariable("V");
        open(var);
        m_dlg->m_MDI = run.mdi();
        auto *status = run.mdi()->findChild<QLabel *>("stbrMain_1");
        choosePattern(2);
        chooseMode(2);
        setText(m_dlg.get(), "txtValue", "hello");
        w<QCheckBox>("chkDataCheck")->setChecked(true);
        QStringList during;
        QTimer::singleShot(100, m_dlg.get(), [&] {
            during << status->text();
            during << enabled({"fraPattern", "txtPatternCount", "fraReadWrite", "txtValue", "chkDataCheck", "chkIgnore",
                               "chkOutput", "cmdClear", "cmdExit", "cmdStart", "cmdStop"});
            during << rows().value(0).section(QLatin1Char('|'), 0, 0);
            clickButton(m_dlg.get(), "cmdStop");
        });
        QCOMPARE(start(), QStringList());
        QCOMPARE(during, (QStringList{"Runnning performance check...", "00000000001", "START"}));
        QCOMPARE(lastAction(), u"END"_s);
        QVERIFY(m_dlg->lastIterations() > 0);
        QCOMPARE(status->text(), QString());
        QCOMPARE(enabled({"cmdStart", "cmdStop", "txtValue", "chkDataCheck", "txtPatternCount"}), u"10110"_s);
    }

    // Priority is raised while open; closing during a run stops it, restores the priority and
    // lets the variable go; Exit closes as well.
    void closingStopsTheRunAndRestores()
    {
        const int before = platform::currentNice();
        open(m_ctrl->addVariable("V"));
        QVERIFY(platform::currentNice() <= before); // raised where the process may
        choosePattern(2);
        QTimer::singleShot(50, m_dlg.get(), [this] { m_dlg->close(); });
        QCOMPARE(start(), QStringList());
        QCOMPARE(lastAction(), u"END"_s);
        QVERIFY(!m_dlg->isVisible() && !m_dlg->m_Variable);
        QCOMPARE(platform::currentNice(), before);
        open(m_ctrl->addVariable("V"));
        clickButton(m_dlg.get(), "cmdExit");
        QVERIFY(!m_dlg->isVisible() && !m_dlg->m_Variable);
    }

    void elapsedTimeAcrossTheCounterWrap()
    {
        QCOMPARE(frmPerfChk::timeRequired(0xFFFFFFF0u, 0x10u), 0x20u);
        QCOMPARE(frmPerfChk::timeRequired(0xFFFFFFFFu, 0u), 1u);
        QCOMPARE(frmPerfChk::timeRequired(0u, 0xFFFFFFFFu), 0xFFFFFFFFu);

        // A run whose ticks wrap: one minute of 1000 ms ticks, starting 2.5 s before the wrap.
        open(counter());
        m_dlg->m_TickCount = &fakeTick;
        choosePattern(0);
        fill(m_dlg.get(), {"txtHour=0", "txtMinute=1"});
        g_fakeTick = 0xFFFFFFFFu - 2499u;
        QCOMPARE(start(), QStringList());
        QCOMPARE(m_dlg->lastIterations(), quint64(59)); // readings at +1 s ... +59 s run, +60 s ends
        QCOMPARE(rows().last(), rows().last().section(QLatin1Char('|'), 0, 1) + u"|61000"_s);
        choosePattern(1);
        g_fakeTick = 0xFFFFFFFFu - 499u;
        start();
        QCOMPARE(rows().last().section(QLatin1Char('|'), 2), u"1000"_s);
    }

    void debuggerOutputGivesEachReadValue()
    {
        auto var = m_ctrl->addVariable("V");
        var->setValue(Value::fromI4(7));
        open(var);
        w<QCheckBox>("chkOutput")->setChecked(true);
        setText(m_dlg.get(), "txtPatternCount", "3");

        QTemporaryFile capture;
        QVERIFY(capture.open());
        std::fflush(stderr);
        const int saved = dup(2);
        dup2(capture.handle(), 2);
        start();
        std::fflush(stderr);
        dup2(saved, 2);
        ::close(saved);
        capture.seek(0);
        const QStringList lines = QString::fromLocal8Bit(capture.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.filter(QRegularExpression(u"^3,7$"_s)).size(), 3);
    }
};

QTEST_MAIN(TestPerfChk)
#include "tst_perfchk.moc"
