// What the handheld recorded: calls.log (every remote call) and started.txt (every program started).
// calls.log has one UTF-8 line per call, fields separated by tabs:
//   seq  startMicros  endMicros  function  arguments  result  ok|failed|faulted
// seq counts the calls of one connection (1 is its CeRapiInitEx); times are wall-clock microseconds
// since 1970-01-01 UTC, comparable between processes. started.txt: "program<TAB>command line".
#pragma once

#include "simhandheld/Folder.h"

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

long long WallClockMicros();

bool AppendCall(const std::wstring& folder, const CallRecord& call);
bool AppendCall(const Appender& log, const CallRecord& call);
std::vector<CallRecord> ReadCalls(const std::wstring& folder);

bool AppendStarted(const std::wstring& folder, const StartedProgram& started);
std::vector<StartedProgram> ReadStarted(const std::wstring& folder);

}  // namespace simhandheld
