// The resident memory of the benchmark's process, for the benchmarks' memory aims.
#pragma once

#include <cstdio>
#include <unistd.h>

// Resident set size in MB (from /proc/self/statm; 0 when it cannot be read).
inline double residentMB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}
