// The verdict of a benchmark. Each aim is printed on a line of its own, "aim held: ..." or
// "AIM MISSED: ...", and the exit status tells the bench target what happened: 0 every aim
// held, 1 an aim was missed, 2 the benchmark could not run (bench/runall.cmake).
//
// Where an aim is given as a ratio to a baseline measured in the same run, the ratio decides;
// an absolute figure that depends on the machine's load is printed as a note beside it.
#pragma once

#include <QString>
#include <cstdio>

class Aims {
public:
    static constexpr int kCouldNotRun = 2;

    void check(bool held, const QString &aim)
    {
        line(held ? "aim held: " : "AIM MISSED: ", aim);
        m_missed += held ? 0 : 1;
    }
    void note(const QString &text) { line("note: ", text); }

    // The exit status of the benchmark.
    int result() const
    {
        if (m_missed)
            std::printf("%d aim%s missed\n", m_missed, m_missed == 1 ? "" : "s");
        std::fflush(stdout);
        return m_missed ? 1 : 0;
    }

private:
    static void line(const char *head, const QString &text)
    {
        std::printf("%s%s\n", head, text.toLocal8Bit().constData());
        std::fflush(stdout);
    }

    int m_missed = 0;
};
