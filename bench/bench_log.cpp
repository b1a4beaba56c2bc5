// Log pane throughput: 1,000,000 lines written through clsLogMsg into a real QPlainTextEdit.
// Prints the overall rate and the rate of the last 10,000 lines against the first 10,000,
// which shows whether appending slows down as the pane grows, and how much the process's
// resident memory grew. Then, on a pane of 100,000 lines, how long a find over the whole log
// takes (the find bar's count and its filter) and how long scrolling through it takes.
//
// Between writes the pending window events run whenever a frame's time (16 ms) has passed,
// as they would in the running program, so painting and scrolling are part of the measure.
// Rates are given in wall-clock time and in the process's CPU time; the second is steadier on
// a busy machine and decides the aim.
//
// bench_log [LINES] writes another number of lines (at least 20,000).
#include "aims.h"
#include "panelkit/logfindbar.h"
#include "panelkit/logpane.h"
#include "services/clsLogMsg.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// The process's resident memory in MB.
double residentMB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

const QString kRequest = QStringLiteral("Ws1.Controllers(\"RC1\").Variables(\"I1\").get_Value()");
const QString kResult = QStringLiteral("Succeeded. (<3,42>)");
const QString kFailure = QStringLiteral("Failed. (0x8004A205: Drive: axis 7 does not exist)");

// The message of line i: requests and results by turns, a failure now and then.
const QString &message(int i)
{
    return i % 2 ? kRequest : (i % 100 == 0 ? kFailure : kResult);
}

// A window like the program's: the lines come from a button press in another control, which
// has the focus, while the pane shows them.
struct Window {
    QWidget widget;
    QPlainTextEdit *pane;
    LogFindBar *bar;
    Window()
    {
        auto *button = new QPushButton(QStringLiteral("&Get"), &widget);
        button->setObjectName(QStringLiteral("cmdGetValue"));
        pane = new QPlainTextEdit(&widget);
        pane->setObjectName(QStringLiteral("txtLog"));
        pane->setReadOnly(true);
        pane->setLineWrapMode(QPlainTextEdit::NoWrap);
        bar = new LogFindBar(pane, &widget);
        auto *layout = new QVBoxLayout(&widget);
        layout->addWidget(button);
        layout->addWidget(pane);
        layout->addWidget(bar);
        widget.resize(900, 340);
        widget.show();
        button->setFocus();
        QApplication::processEvents();
    }
};

// Runs the callback with the window events it caused (painting included) and returns the
// milliseconds it took, in wall-clock time and in the process's CPU time.
struct Took {
    double wall;
    double cpu;
};
template <typename F>
Took timed(F &&f)
{
    QElapsedTimer t;
    const double cpu = cpuSeconds();
    t.start();
    f();
    QApplication::processEvents();
    return {t.nsecsElapsed() / 1e6, (cpuSeconds() - cpu) * 1e3};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Aims aims;

    constexpr int kChunk = 10000;
    const int lines = argc > 1 ? std::max(2 * kChunk, QByteArray(argv[1]).toInt()) : 1'000'000;
    constexpr qint64 kFrameNs = 16'000'000;

    double rssStart = 0;
    {
        Window window;
        clsLogMsg log;
        log.OutputTextBox(window.pane);
        rssStart = residentMB();

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
        for (int i = 1; i <= lines; ++i) {
            log.WriteLogMsg(message(i));
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
        const double rssGrowth = residentMB() - rssStart;

        std::printf("bench_log: %d lines in %.3f s (%.3f s CPU), %d frames painted\n", lines, wall, cpu, frames);
        std::printf("bench_log: %.0f lines/s (%.0f lines/s of CPU time)\n", lines / wall, lines / cpu);
        const int step = std::max(1, int(chunks.size()) / 10);
        for (int c = 0; c < chunks.size(); c += step)
            std::printf("  lines %7d-%7d: %8.0f lines/s  (%8.0f lines/s of CPU time)\n", c * kChunk + 1,
                        (c + 1) * kChunk, kChunk / chunks[c].wall, kChunk / chunks[c].cpu);
        const Chunk &first = chunks.first();
        const Chunk &last = chunks.last();
        std::printf("bench_log: first 10,000 %.0f lines/s, last 10,000 %.0f lines/s, last/first %.2f "
                    "(CPU time: %.0f, %.0f, %.2f)\n",
                    kChunk / first.wall, kChunk / last.wall, first.wall / last.wall, kChunk / first.cpu,
                    kChunk / last.cpu, first.cpu / last.cpu);
        QScrollBar *bar = window.pane->verticalScrollBar();
        std::printf("bench_log: pane holds %d blocks; caret at end: %s; view at bottom: %s\n",
                    window.pane->document()->blockCount(), window.pane->textCursor().atEnd() ? "yes" : "no",
                    bar->value() == bar->maximum() ? "yes" : "no");
        std::printf("bench_log: resident memory grew by %.0f MB over %d lines\n", rssGrowth, lines);

        aims.check(first.cpu / last.cpu >= 0.9,
                   QStringLiteral("the last 10,000 of %1 lines append at %2 times the speed of the first 10,000 "
                                  "(CPU time; at least 0.9)")
                       .arg(lines)
                       .arg(first.cpu / last.cpu, 0, 'f', 2));
        // The first 10,000 also pay for what is done once (fonts, the first frames); against
        // the next 10,000 the slope of the document's own trees shows alone.
        const Chunk &second = chunks[1];
        aims.note(QStringLiteral("against lines 10,001 to 20,000 (CPU time): %1 times").arg(second.cpu / last.cpu, 0, 'f', 2));
        aims.note(QStringLiteral("in wall-clock time %1 times (%2 and %3 lines/s)")
                      .arg(first.wall / last.wall, 0, 'f', 2)
                      .arg(kChunk / first.wall, 0, 'f', 0)
                      .arg(kChunk / last.wall, 0, 'f', 0));
        aims.check(rssGrowth < 300, QStringLiteral("resident memory grew by %1 MB over %2 lines (under 300 MB)")
                                        .arg(rssGrowth, 0, 'f', 0)
                                        .arg(lines));

        // Scrolling the full pane: to the top, the middle and back to the bottom, each painted.
        double scrollMs = 0;
        for (double at : {0.0, 0.5, 1.0})
            scrollMs = std::max(scrollMs, timed([&] {
                           bar->setValue(int(bar->maximum() * at));
                           window.pane->viewport()->repaint();
                       }).wall);
        aims.check(scrollMs < 50, QStringLiteral("scrolling the pane of %1 lines takes %2 ms at most (under 50 ms)")
                                      .arg(lines)
                                      .arg(scrollMs, 0, 'f', 1));
    }

    // Finding in 100,000 lines: the count of every match of a text, of a regular expression,
    // and the filter that shows only the matching lines.
    {
        constexpr int kFindLines = 100000;
        Window window;
        clsLogMsg log;
        log.OutputTextBox(window.pane);
        for (int i = 1; i <= kFindLines; ++i)
            log.WriteLogMsg(message(i));
        QApplication::processEvents();
        window.bar->open();
        auto *text = window.bar->findChild<QLineEdit *>(QStringLiteral("txtLogFind"));
        auto *regex = window.bar->findChild<QCheckBox *>(QStringLiteral("chkLogFindRegex"));
        auto *filter = window.bar->findChild<QCheckBox *>(QStringLiteral("chkLogFilter"));
        auto *count = window.bar->findChild<QLabel *>(QStringLiteral("lblLogFindCount"));

        const Took find = timed([&] { text->setText(QStringLiteral("RC1")); });
        const QString found = count->text();
        const Took caseless = timed([&] { text->setText(QStringLiteral("succeeded")); });
        const QString foundCaseless = count->text();
        regex->setChecked(true);
        const Took expression = timed([&] { text->setText(QStringLiteral("0x8004A2\\d\\d")); });
        const QString foundExpression = count->text();
        const Took filterOn = timed([&] { filter->setChecked(true); });
        const Took filterOff = timed([&] { filter->setChecked(false); });
        const QList<std::pair<QString, Took>> figures = {{QStringLiteral("text \"RC1\" (%1)").arg(found), find},
                                                        {QStringLiteral("text \"succeeded\", any case (%1)").arg(foundCaseless), caseless},
                                                        {QStringLiteral("regular expression (%1)").arg(foundExpression), expression},
                                                        {QStringLiteral("filter on"), filterOn},
                                                        {QStringLiteral("filter off"), filterOff}};
        double worstCpu = 0;
        double worstWall = 0;
        for (const auto &[what, took] : figures) {
            std::printf("bench_log: find over %d lines, %s: %.1f ms (%.1f ms CPU)\n", kFindLines, qPrintable(what),
                        took.wall, took.cpu);
            worstCpu = std::max(worstCpu, took.cpu);
            worstWall = std::max(worstWall, took.wall);
        }
        aims.check(worstCpu < 100, QStringLiteral("a find or filter over %1 lines takes %2 ms at most (CPU time; under 100 ms)")
                                       .arg(kFindLines)
                                       .arg(worstCpu, 0, 'f', 1));
        aims.note(QStringLiteral("in wall-clock time %1 ms at most").arg(worstWall, 0, 'f', 1));
    }
    return aims.result();
}
