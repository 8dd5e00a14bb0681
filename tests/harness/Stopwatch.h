// The performance counter, for the benchmarks: a start mark and the seconds since.
#pragma once
#include <windows.h>

inline LONGLONG StopwatchNow() {
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

inline double SecondsBetween(LONGLONG from, LONGLONG to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) / static_cast<double>(frequency.QuadPart);
}

inline double SecondsSince(LONGLONG start) {
    return SecondsBetween(start, StopwatchNow());
}
