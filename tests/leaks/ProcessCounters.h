// What another process holds: kernel handles, GDI and USER objects and private memory, read
// from outside through a handle of our own. Under Wine the GDI and USER counts are always 0. Shared by the leak test and the benchmark.
#pragma once

#include "framework/Handle.h"

#include <windows.h>

#include <optional>

namespace counters {

struct ProcessMemory {
    SIZE_T privateBytes = 0;      // PrivateUsage
    SIZE_T peakPrivateBytes = 0;  // PeakPagefileUsage; Wine keeps no peak and reports the current value
};

struct ProcessCounters {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    ProcessMemory memory;
};

class ProcessWatch {
public:
    // Throws std::runtime_error if the process cannot be opened for reading.
    explicit ProcessWatch(DWORD processId);
    // None once the process has ended or refuses a query.
    std::optional<ProcessCounters> Read() const;
    std::optional<ProcessMemory> Memory() const;
    // Reads until two readings settleMs apart hold the same handles and objects, for at most
    // timeoutMs; the last reading. Memory moves a little all the time and is not waited for.
    std::optional<ProcessCounters> ReadSettled(DWORD settleMs, DWORD timeoutMs) const;

private:
    CHandle m_process;
};

}  // namespace counters
