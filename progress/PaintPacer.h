// Keeps the progress display from holding up the worker. A progress report waits until the
// user-interface thread is free again, and painting the bar and the title takes that thread far
// longer than the report itself, so the dialog paints no faster than a person can follow: paints
// start at least 50 ms apart, as changes closer than that fuse into one even for the quickest eye
// (a perceptual cycle of 50 to 200 ms, Card, Moran and Newell 1983), and a bar less than 0.1 s
// behind still looks immediate (Nielsen 1993). On a desktop that paints slowly, painting also
// takes at most a tenth of the thread's time. Reports slower than that are each painted at once;
// faster ones replace one another until the next paint, and the worker seldom finds the thread
// painting.
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
        const LONGLONG nextByRate = m_lastStart + kPaintIntervalMs * m_ticksPerMs;
        const LONGLONG nextByShare = m_lastEnd + kFreeTimePerPaintTime * (m_lastEnd - m_lastStart);
        const LONGLONG readyAt = nextByRate > nextByShare ? nextByRate : nextByShare;
        const LONGLONG now = Now();
        return now >= readyAt ? 0 : static_cast<DWORD>((readyAt - now) / m_ticksPerMs + 1);
    }

    void PaintStarts() { m_lastStart = Now(); }
    void PaintEnded() { m_lastEnd = Now(); }

private:
    static constexpr LONGLONG kPaintIntervalMs = 50;
    // Free nine times as long as the last paint took: painting takes at most a tenth.
    static constexpr LONGLONG kFreeTimePerPaintTime = 9;

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
