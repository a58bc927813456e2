// One revision-up of the real qamovup.exe against the simulated handheld, driven through its
// windows, with what can only be seen from outside while it runs: how fast its UI thread
// answers, how much private memory it holds, and how long a Cancel takes to end the copy.
#pragma once

#include "CallLogFigures.h"
#include "TimedCalls.h"

#include "simhandheld/SimHandheld.h"

#include <optional>

namespace bench {

struct RunOutcome {
    bool ok = false;
    CopyFigures copies;
    double slowestAnswerMs = 0;   // the UI thread's slowest answer to WM_NULL, message boxes aside
    double idlePrivateBytes = 0;  // at the main dialog before the start
    double peakPrivateBytes = 0;  // the most seen while the run went on
    double cancelToGoneMs = 0;    // Cancel pressed to progress dialog gone (cancelled runs)
    bool cancelMissed = false;    // the copy ended before a Cancel in its middle came
    unsigned skippedPercents = 0; // percentages the bar passed over between two looks at it
};

struct RunPlan {
    unsigned linkBytesPerSecond = 0;
    bool copyToCard = true;
    bool cancel = false;  // press Cancel in the middle of the installer copy
};

// The handheld is prepared afresh; a failed run says why on stderr. The tool's side of its writes,
// reports and paints is read from `timed`, if the benchmark's rapi.dll is in place.
RunOutcome DriveRun(simhandheld::Handheld& handheld, const RunPlan& plan, TimedCalls& timed);

}  // namespace bench
