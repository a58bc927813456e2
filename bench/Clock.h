// The benchmark's clock: milliseconds from the performance counter.
#pragma once

#include <windows.h>

namespace bench {

// Ticks of the performance counter, of this process or of another on the same machine, in ms.
inline double TicksToMs(LONGLONG ticks)
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    return static_cast<double>(ticks) / ticksPerMs;
}

inline double NowMs()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return TicksToMs(now.QuadPart);
}

}  // namespace bench
