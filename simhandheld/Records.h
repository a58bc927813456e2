// What the handheld recorded: calls.log, every remote call, and started.txt, every program started
// (README.md gives their lines).
#pragma once

#include <string>
#include <vector>

namespace simhandheld {

struct CallRecord {
    unsigned seq = 0;
    long long startMicros = 0;
    long long endMicros = 0;
    std::wstring function;
    std::wstring arguments;
    std::wstring result;
    bool failed = false;   // the call reported failure
    bool faulted = false;  // because device.ini told it to
};

struct StartedProgram {
    std::wstring program;
    std::wstring commandLine;
};

// Microseconds since 1970-01-01 UTC, comparable between processes.
long long WallClockMicros();

std::string CallLine(const CallRecord& call);  // one line of calls.log, in UTF-8
std::vector<CallRecord> ReadCalls(const std::wstring& folder);
bool AppendStarted(const std::wstring& folder, const StartedProgram& started);
std::vector<StartedProgram> ReadStarted(const std::wstring& folder);

}  // namespace simhandheld
