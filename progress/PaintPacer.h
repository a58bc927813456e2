// Keeps the progress display from holding up the worker. A progress report waits until the
// user-interface thread is free again, and painting the bar and the title takes that thread far
// longer than the report itself: a paint may start only once the thread has been free for twice
// as long as its last paint took, so that painting takes at most a third of the thread's time.
// Reports slower than that are each painted at once; faster ones replace one another until the
// next paint, and the worker mostly finds the thread free.
#pragma once

#include <windows.h>

class PaintPacer {
public:
    PaintPacer()
    {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        m_ticksPerMs = frequency.QuadPart / 1000 > 0 ? frequency.QuadPart / 1000 : 1;
    }

    // 0 to paint now, or the milliseconds until a paint may start.
    DWORD WaitBeforePaintMs() const
    {
        const LONGLONG readyAt = m_lastEnd + 2 * (m_lastEnd - m_lastStart);
        const LONGLONG now = Now();
        return now >= readyAt ? 0 : static_cast<DWORD>((readyAt - now) / m_ticksPerMs + 1);
    }

    void PaintStarts() { m_lastStart = Now(); }
    void PaintEnded() { m_lastEnd = Now(); }

private:
    static LONGLONG Now()
    {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return now.QuadPart;
    }

    LONGLONG m_ticksPerMs = 1;
    LONGLONG m_lastStart = 0;
    LONGLONG m_lastEnd = 0;
};
