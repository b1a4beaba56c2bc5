// What the fuzz targets share: a failed property is a crash that libFuzzer reports with the
// input that caused it.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void fuzzFailure(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "fuzz property broken: %s\n%s\n", what, detail.left(2000).toLocal8Bit().constData());
    std::abort();
}

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fuzzFailure(#condition, detail);                                                       \
    } while (0)
