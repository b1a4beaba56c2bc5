// The performance check on a Zel.Modbus variable: "Write && Read" with Check Data on a holding
// register of zelmodbus-sim over loopback TCP, inside the running program, against a bare
// libmodbus loop of the same write (function 6) and read (function 3) on the same server, in the
// same run. Aim: the check within 1.3 times the bare loop's time.
#include "aims.h"
#include "perfchkdriver.h"
#include "providers/providers.h"
#include "shell/startup.h"
#include "services/valuetext.h"
#include "zel/engine.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>

#include <modbus.h>

namespace {

// Rounds of a bare run and a check run side by side: the ratio of each round compares runs made
// under the same load of the machine, and the median of the rounds is reported.
constexpr int kRunCount = 2000;
constexpr int kRounds = 15;

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    qputenv("ZELTESTER_REGISTRY", (dir.path() + QStringLiteral("/registry.ini")).toLocal8Bit());

    // The simulator on a free loopback port, with one holding register.
    const QString map = dir.path() + QStringLiteral("/bench.map");
    QFile mapFile(map);
    if (!mapFile.open(QIODevice::WriteOnly) || mapFile.write("Speed holding 0 I2 value=1\n") <= 0) {
        out << "FAILED: cannot write the device map\n";
        return Aims::kCouldNotRun;
    }
    mapFile.close();
    QProcess sim;
    sim.start(QStringLiteral(ZELMODBUS_SIM_EXE), {QStringLiteral("--map"), map, QStringLiteral("--port"), QStringLiteral("0")});
    sim.waitForReadyRead(10000);
    const QRegularExpressionMatch port = QRegularExpression(QStringLiteral(" port (\\d+) ")).match(QString::fromUtf8(sim.readLine()));
    if (!port.hasMatch()) {
        out << "FAILED: zelmodbus-sim did not start\n";
        return Aims::kCouldNotRun;
    }
    const QString machine = QStringLiteral("127.0.0.1:") + port.captured(1);

    zelproviders::registerProviders();
    ZelTesterRun run({{}, [] { return zel::ObjectPtr(zel::ZelEngine::create()); }, dir.path()});
    if (!run.started()) {
        out << "FAILED: the program did not start\n";
        return Aims::kCouldNotRun;
    }
    auto engine = std::dynamic_pointer_cast<zel::ZelEngine>(run.state().engine);
    auto controller = engine->workspaces()->at(0)->addController("Bench", "Zel.Modbus", machine, "@Map=" + map);
    std::shared_ptr<zel::ZelVariable> variable = controller->addVariable("Speed");

    // Write && Read, Check Data, an I2 value.
    PerfChkDriver dlg(run.window(), variable, valuetext::typeToPosition(zel::VT_I2), QStringLiteral("1234"));

    // The bare loop: libmodbus on its own connection to the same server.
    modbus_t *ctx = modbus_new_tcp("127.0.0.1", port.captured(1).toInt());
    if (!ctx || modbus_connect(ctx) == -1) {
        out << "FAILED: the bare loop cannot connect\n";
        return Aims::kCouldNotRun;
    }
    bool bareOk = true;
    auto bare = [&](int iterations) {
        QElapsedTimer t;
        t.start();
        uint16_t value = 0;
        for (int i = 0; i < iterations; ++i) {
            bareOk = bareOk && modbus_write_register(ctx, 0, 1234) == 1 && modbus_read_registers(ctx, 0, 1, &value) == 1 && value == 1234;
        }
        return double(t.nsecsElapsed());
    };
    auto check = [&](int iterations) { return dlg.run(iterations); };

    bare(500);
    check(500);
    QList<double> bareRates, checkRates, ratios;
    for (int round = 0; round < kRounds; ++round) {
        const double b = bare(kRunCount);
        const double c = check(kRunCount);
        bareRates << kRunCount * 1e9 / b;
        checkRates << kRunCount * 1e9 / c;
        ratios << c / b;
    }
    modbus_close(ctx);
    modbus_free(ctx);

    const double bareRate = median(bareRates);
    const double checkRate = median(checkRates);
    const double ratio = median(ratios); // time of the check over time of the bare loop
    out << QStringLiteral("performance check, Write && Read + Check Data, holding register over loopback, %1 iterations: %2 iterations/s (median of %3)\n")
               .arg(kRunCount)
               .arg(qint64(checkRate), 7)
               .arg(kRounds);
    out << QStringLiteral("bare libmodbus loop, write_register + read_registers, %1 iterations:                  %2 iterations/s\n")
               .arg(kRunCount)
               .arg(qint64(bareRate), 7);
    out << QStringLiteral("the check takes %1 times the bare loop's time\n").arg(ratio, 0, 'f', 3);
    out.flush();
    sim.terminate();
    sim.waitForFinished(5000);
    Aims aims;
    aims.check(dlg.allEnded() && bareOk, QStringLiteral("every run of the check and of the bare loop completes"));
    aims.check(ratio <= 1.3, QStringLiteral("the check takes %1 times the bare loop's time, at most 1.3").arg(ratio, 0, 'f', 3));
    return aims.result();
}
