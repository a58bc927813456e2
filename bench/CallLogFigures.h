// What one run's copies cost, from the simulated handheld's call log and, where the benchmark's
// rapi.dll noted them, from the tool's side of each write: how long the copies took as a whole,
// how much of that the link model itself gave the writes, how much the tool spent between a
// write's return and its next call and whether its report there met a paint, and how much a call
// took beyond the link model's time.
#pragma once

#include "TimedCalls.h"

#include "simhandheld/Folder.h"

#include <vector>

namespace bench {

struct LinkModelTime {
    unsigned latencyMs = 0;
    unsigned bytesPerSecond = 0;  // 0: no limit

    // What the link model makes a call that moved `bytes` take.
    double CallMs(double bytes) const
    {
        return latencyMs + (bytesPerSecond != 0 ? bytes * 1000.0 / bytesPerSecond : 0);
    }
};

struct CopyFigures {
    double writeMs = 0;                // the CeWriteFile calls' durations in the log, summed
    double stageMs = 0;                // first write's start to last write's end in the log, per copy, summed
    double linkMs = 0;                 // the link model's own time for those writes
    std::vector<double> writeTimesMs;  // each write's duration in the log

    // From the tool's side: empty unless every write of the log was noted there.
    double toolMs = 0;                 // the tool's own time between writes, summed
    std::vector<double> toolGapsMs;    // a write's return to the next write's call in the same copy
    std::vector<double> beyondLinkMs;  // each write's time in the call beyond the link model's
    bool Timed() const { return !beyondLinkMs.empty(); }
    // Of toolGapsMs, those whose progress report was sent while the dialog was painting; known
    // only where paints were noted.
    size_t gapsMeetingPaint = 0;
    bool paintsNoted = false;
};

// A copy is the run of writes after one CeCreateFile.
CopyFigures FiguresOf(const std::vector<simhandheld::CallRecord>& calls, const LinkModelTime& link,
                      const ToolCalls& tool);

double Median(std::vector<double> values);
// The value that `percent` % of the values are at or below (nearest rank).
double Percentile(std::vector<double> values, unsigned percent);
double Largest(const std::vector<double>& values);
double Smallest(const std::vector<double>& values);

}  // namespace bench
