// The platform's own cost of one report from the worker: a synchronous SendMessageA from one
// thread to a window of another that answers at once, on the same desktop as the tool. No
// report of the tool's can cost the worker less. The same send can also be made as the worker
// makes its reports, to see what each part of a report cycle costs.
#pragma once

namespace bench {

// How the receiving window answers a send.
enum class Answer {
    AtOnce,              // returns at once: the floor
    EarlyReplyAndYield,  // replies, then yields the processor, as the progress dialog does
    AsProgressDialog     // the same, then sets a progress bar and the window's title, which repaint
};

struct ReportPlan {
    unsigned sends = 500;
    Answer answer = Answer::AtOnce;
    // Before each send: 0 to sleep 1 ms, letting the receiver go idle; else the time a write takes
    // at the link, spent as the simulated handheld spends it, mostly yielding in a loop.
    double writeMs = 0;
    bool pollCancel = false;  // a cancellation poll before each send, as the worker's
};

// The median time of one report: the poll, if any, and the send.
double MeasureReportMs(const ReportPlan& plan);

// The median of `sends` bare round trips, each after the receiving thread has gone idle again.
inline double MeasureSendFloorMs(unsigned sends = 500)
{
    return MeasureReportMs({sends, Answer::AtOnce, 0, false});
}

}  // namespace bench
