// The benchmark's side of the times its rapi.dll notes in the tool's process: it makes the shared
// block, empties it before a run and reads it after.
#pragma once

#include "bench/TimedCallsBlock.h"
#include "framework/Handle.h"

#include <vector>

namespace bench {

struct TimedCall {
    double startMs;
    double endMs;
};

struct ToolCalls {
    std::vector<TimedCall> writes;
    std::vector<TimedCall> reports;
    std::vector<TimedCall> paints;
};

class TimedCalls {
public:
    TimedCalls();
    ~TimedCalls();
    TimedCalls(const TimedCalls&) = delete;
    TimedCalls& operator=(const TimedCalls&) = delete;

    void Clear();
    // Every call noted since Clear, in order; a list stays empty if the block could not be made or
    // the list overflowed.
    ToolCalls Read() const;

private:
    CHandle m_mapping;
    TimedCallsBlock* m_block = nullptr;
};

}  // namespace bench
