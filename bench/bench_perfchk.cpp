// The performance check's own speed: "Write && Read" with Check Data on a Zel.Virtual variable
// over 100,000 iterations (two runs of 50,000, the most one run may count), inside the running
// program, against a bare loop of the same two engine calls and the same event pump.
// Goal: over 200,000 iterations per second, and no more than 1.5 times the bare loop's time.
#include "shell/frmMDI.h"
#include "shell/startup.h"
#include "shell/valuetext.h"
#include "tools/frmPerfChk.h"
#include "zel/engine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>
#include <algorithm>

using zel::CallKind;
using zel::Value;

namespace {

constexpr int kRunCount = 50000;
constexpr int kRunsPerRound = 2; // 100,000 iterations per round
constexpr int kRounds = 5;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    qputenv("ZELTESTER_REGISTRY", (dir.path() + QStringLiteral("/registry.ini")).toLocal8Bit());
    ZelTesterRun run({{}, [] { return zel::ObjectPtr(zel::ZelEngine::create()); }, dir.path()});
    if (!run.started()) {
        out << "FAIL: the program did not start\n";
        return 1;
    }
    auto engine = std::dynamic_pointer_cast<zel::ZelEngine>(run.state().engine);
    auto controller = engine->workspaces()->at(0)->addController("Bench", "Zel.Virtual");
    std::shared_ptr<zel::ZelVariable> variable = controller->addVariable("V");

    frmPerfChk dlg(run.window());
    dlg.m_Variable = variable;
    dlg.m_MDI = run.window();
    dlg.show();
    QApplication::processEvents();

    // Write && Read, Check Data, a text value, 50,000 times.
    dlg.findChild<QRadioButton *>("optPattern_1")->click();
    dlg.findChild<QRadioButton *>("optReadWrite_2")->click();
    dlg.findChild<QComboBox *>("cmbValueType")->setCurrentIndex(valuetext::kPosBstr);
    dlg.findChild<QLineEdit *>("txtValue")->setText(QStringLiteral("The quick brown fox"));
    dlg.findChild<QCheckBox *>("chkDataCheck")->setChecked(true);
    auto *count = dlg.findChild<QLineEdit *>("txtPatternCount");
    auto *startButton = dlg.findChild<QAbstractButton *>("cmdStart");
    auto *rows = dlg.findChild<QTreeWidget *>("lvResult");

    const Value writeValue = Value::fromString(QStringLiteral("The quick brown fox"));
    const QString member = QStringLiteral("Value");
    const QList<Value> putArgs{writeValue};
    const QList<Value> noArgs;
    Value sink;

    // The bare loop: the same two calls and the same event pump, nothing else.
    auto bare = [&](int iterations) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < iterations; ++i) {
            variable->invoke(member, CallKind::PropertyPut, putArgs);
            sink = variable->invoke(member, CallKind::PropertyGet, noArgs);
            QCoreApplication::processEvents();
        }
        return double(t.nsecsElapsed());
    };
    // The check's run through its St&art button; also sums the check's own ms column.
    qint64 reportedMs = 0;
    bool allEnded = true;
    auto check = [&](int iterations) {
        count->setText(QString::number(iterations));
        QElapsedTimer t;
        t.start();
        startButton->click();
        const double ns = double(t.nsecsElapsed());
        QTreeWidgetItem *end = rows->topLevelItem(rows->topLevelItemCount() - 1);
        allEnded = allEnded && end->text(0) == QLatin1String("END") && dlg.lastIterations() == quint64(iterations);
        reportedMs += end->text(2).toLongLong();
        return ns;
    };

    // Warm-up of both.
    bare(5000);
    check(5000);
    reportedMs = 0;

    QList<double> bareRates, checkRates;
    const double iterationsPerRound = double(kRunCount) * kRunsPerRound;
    for (int round = 0; round < kRounds; ++round) {
        double b = 0, c = 0;
        for (int r = 0; r < kRunsPerRound; ++r) {
            b += bare(kRunCount);
            c += check(kRunCount);
        }
        bareRates << iterationsPerRound * 1e9 / b;
        checkRates << iterationsPerRound * 1e9 / c;
    }

    const double bareRate = median(bareRates);
    const double checkRate = median(checkRates);
    const double ratio = bareRate / checkRate; // time of the check over time of the bare loop
    const double reportedRate = reportedMs > 0 ? iterationsPerRound * kRounds * 1000.0 / double(reportedMs) : 0.0;

    out << QStringLiteral("performance check, Write && Read + Check Data, 100000 iterations: %1 iterations/s (median of %2)\n")
               .arg(qint64(checkRate), 9)
               .arg(kRounds);
    out << QStringLiteral("  as its own Time Required column reports:                     %1 iterations/s\n")
               .arg(qint64(reportedRate), 9);
    out << QStringLiteral("bare loop, put + get + event pump, 100000 iterations:           %1 iterations/s\n")
               .arg(qint64(bareRate), 9);
    out << QStringLiteral("the check takes %1 times the bare loop's time\n").arg(ratio, 0, 'f', 3);

    const bool ok = allEnded && checkRate > 200000.0 && ratio <= 1.5;
    out << (ok ? "PASS" : "FAIL")
        << QStringLiteral(": goal over 200000 iterations/s and within 1.5 times the bare loop%1\n")
               .arg(allEnded ? QString() : QStringLiteral(" (a run did not end with END after its count)"));
    out.flush();
    dlg.done(0);
    return ok ? 0 : 1;
}
