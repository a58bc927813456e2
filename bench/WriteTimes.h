// The benchmark's side of the times its rapi.dll notes in the tool's process: it makes the shared
// block, empties it before a run and reads it after.
#pragma once

#include "bench/WriteTimesBlock.h"
#include "framework/Handle.h"

#include <vector>

namespace bench {

struct TimedWrite {
    double entryMs;  // the tool's call came in
    double exitMs;   // the call went back to the tool
};

class WriteTimes {
public:
    WriteTimes();
    ~WriteTimes();
    WriteTimes(const WriteTimes&) = delete;
    WriteTimes& operator=(const WriteTimes&) = delete;

    void Clear();
    // Every write noted since Clear, in order; none if the block could not be made or overflowed.
    std::vector<TimedWrite> Read() const;

private:
    CHandle m_mapping;
    WriteTimesBlock* m_block = nullptr;
};

}  // namespace bench
