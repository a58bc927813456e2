// Where the benchmark's rapi.dll notes, inside the tool's process, when the tool's calls around a
// chunk began and ended: each CeWriteFile, each progress report the worker sends, and each paint
// of the bar and the title; a named block of shared memory that the benchmark makes before each
// run and reads after it. Both sides are programs of the same kind, but the layout is the same
// for either.
#pragma once

#include <windows.h>

namespace bench {

inline constexpr wchar_t kTimedCallsName[] = L"Local\\qamovup_bench_timed_calls";
// Two copies of 125 chunks, with room to spare.
inline constexpr LONG kTimedCallsCapacity = 1024;

struct TimedCallTicks {
    LONGLONG startTicks;  // performance counter as the call began
    LONGLONG endTicks;    // and as it returned
};

struct TimedCallList {
    volatile LONG count;  // calls noted, also those beyond the capacity
    LONG reserved;
    TimedCallTicks calls[kTimedCallsCapacity];
};

struct TimedCallsBlock {
    TimedCallList writes;   // CeWriteFile, from the tool's call to its return to the tool
    TimedCallList reports;  // the worker's progress reports, sent until answered
    TimedCallList paints;   // the bar's position set, until the window title set after it returns
};

}  // namespace bench
