// Wall-clock time for the benchmarks, from the performance counter.
#ifndef VEILQUILL_BENCH_CLOCK_H
#define VEILQUILL_BENCH_CLOCK_H

#include <windows.h>

// Seconds since some fixed moment.
inline double Now() {
    static const double perSecond = [] {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / perSecond;
}

// How long `work` takes, in seconds.
template <typename Work> double Seconds(Work work) {
    const double start = Now();
    work();
    return Now() - start;
}

#endif
