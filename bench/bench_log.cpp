// Log pane throughput: 100,000 lines written through clsLogMsg into a real QPlainTextEdit.
// Prints the overall rate and the rate of the last 10,000 lines against the first 10,000,
// which shows whether appending slows down as the pane grows.
//
// Between writes the pending window events run whenever a frame's time (16 ms) has passed,
// as they would in the running program, so painting and scrolling are part of the measure.
// Rates are given in wall-clock time and in the process's CPU time (the second is steadier on
// a busy machine).
#include "panelkit/logpane.h"
#include "services/clsLogMsg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QScrollBar>
#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // As in the program, the lines come from a button press in another control, which has
    // the focus, while the pane shows them.
    QWidget window;
    auto *button = new QPushButton(QStringLiteral("&Get"), &window);
    button->setObjectName(QStringLiteral("cmdGetValue"));
    auto *paneWidget = new QPlainTextEdit(&window);
    paneWidget->setObjectName(QStringLiteral("txtLog"));
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(button);
    layout->addWidget(paneWidget);
    QPlainTextEdit &pane = *paneWidget;
    window.resize(900, 340);
    window.show();
    button->setFocus();
    QApplication::processEvents();

    clsLogMsg log;
    log.OutputTextBox(&pane);

    constexpr int kLines = 100000;
    constexpr int kChunk = 10000;
    constexpr qint64 kFrameNs = 16'000'000;
    const QString request = QStringLiteral("Ws1.Controllers(\"RC1\").Variables(\"I1\").get_Value()");
    const QString result = QStringLiteral("Succeeded. (<3,42>)");

    struct Chunk {
        double wall;
        double cpu;
    };
    QList<Chunk> chunks;
    QElapsedTimer total;
    QElapsedTimer chunkWall;
    QElapsedTimer frame;
    int frames = 0;
    double cpuStart = cpuSeconds();
    double chunkCpu = cpuStart;
    total.start();
    chunkWall.start();
    frame.start();
    for (int i = 1; i <= kLines; ++i) {
        log.WriteLogMsg(i % 2 ? request : result);
        if (frame.nsecsElapsed() >= kFrameNs) {
            QApplication::processEvents();
            ++frames;
            frame.restart();
        }
        if (i % kChunk == 0) {
            double now = cpuSeconds();
            chunks.append({chunkWall.nsecsElapsed() / 1e9, now - chunkCpu});
            chunkCpu = now;
            chunkWall.restart();
        }
    }
    QApplication::processEvents();
    const double wall = total.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuStart;

    std::printf("bench_log: %d lines in %.3f s (%.3f s CPU), %d frames painted\n", kLines, wall, cpu, frames);
    std::printf("bench_log: %.0f lines/s (%.0f lines/s of CPU time)\n", kLines / wall, kLines / cpu);
    for (int c = 0; c < chunks.size(); ++c)
        std::printf("  lines %6d-%6d: %8.0f lines/s  (%8.0f lines/s of CPU time)\n", c * kChunk + 1, (c + 1) * kChunk,
                    kChunk / chunks[c].wall, kChunk / chunks[c].cpu);
    const Chunk &first = chunks.first();
    const Chunk &last = chunks.last();
    std::printf("bench_log: first 10,000 %.0f lines/s, last 10,000 %.0f lines/s, last/first %.2f "
                "(CPU time: %.0f, %.0f, %.2f)\n",
                kChunk / first.wall, kChunk / last.wall, first.wall / last.wall, kChunk / first.cpu,
                kChunk / last.cpu, first.cpu / last.cpu);
    QScrollBar *bar = pane.verticalScrollBar();
    std::printf("bench_log: pane holds %d blocks; caret at end: %s; view at bottom: %s\n",
                pane.document()->blockCount(), pane.textCursor().atEnd() ? "yes" : "no",
                bar->value() == bar->maximum() ? "yes" : "no");
    return 0;
}
