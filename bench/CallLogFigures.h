// What the simulated handheld's call log says about the copies of one run: how long the link
// itself took for the writes, how long the copies took as a whole, and the worker's own time
// between one chunk's write and the next.
#pragma once

#include "simhandheld/Records.h"

#include <vector>

namespace bench {

struct CopyFigures {
    double writeMs = 0;               // the CeWriteFile calls' own durations, summed
    double stageMs = 0;               // first write's start to last write's end, per copy, summed
    std::vector<double> gapsMs;       // end of one write to the start of the next in the same copy
    std::vector<double> writeTimesMs; // each write's duration
};

// A copy is the run of writes after one CeCreateFile.
CopyFigures FiguresOf(const std::vector<simhandheld::CallRecord>& calls);

double Median(std::vector<double> values);
double Largest(const std::vector<double>& values);

}  // namespace bench
