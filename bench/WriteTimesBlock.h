// Where the benchmark's rapi.dll notes, inside the tool's process, when each CeWriteFile came in
// from the tool and when it went back: a named block of shared memory that the benchmark makes
// before each run and reads after it. Both sides are programs of the same kind, but the layout is
// the same for either.
#pragma once

#include <windows.h>

namespace bench {

inline constexpr wchar_t kWriteTimesName[] = L"Local\\qamovup_bench_write_times";
// Two copies of 125 chunks, with room to spare.
inline constexpr LONG kWriteTimesCapacity = 1024;

struct WriteTime {
    LONGLONG entryTicks;  // performance counter as the tool's call came in
    LONGLONG exitTicks;   // and as it went back to the tool
};

struct WriteTimesBlock {
    volatile LONG count;  // calls noted, also those beyond the capacity
    LONG reserved;
    WriteTime writes[kWriteTimesCapacity];
};

}  // namespace bench
