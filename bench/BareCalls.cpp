#include "BareCalls.h"

#include "CallLogFigures.h"
#include "Clock.h"
#include "SendFloor.h"

#include "framework/Handle.h"
#include "worker/HandheldNames.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace bench {
namespace {

constexpr unsigned kBatches = 50;
constexpr unsigned kCallsPerBatch = 200;
constexpr unsigned kSends = 300;
constexpr const char* kProgram = sizeof(void*) == 4 ? "32-bit" : "64-bit";

// Microseconds per call: the median over batches, each timed as a whole.
double PerCallMicros(const std::function<void()>& call)
{
    std::vector<double> batches;
    for (unsigned b = 0; b < kBatches; ++b) {
        const double start = NowMs();
        for (unsigned i = 0; i < kCallsPerBatch; ++i)
            call();
        batches.push_back((NowMs() - start) * 1000.0 / kCallsPerBatch);
    }
    return Median(batches);
}

void Print(const char* call, double micros)
{
    std::printf("%s\t%s\t%.2f\n", kProgram, call, micros);
    std::fflush(stdout);
}

}  // namespace

void PrintBareCalls()
{
    LARGE_INTEGER counter;
    Print("QueryPerformanceCounter (the timed rapi.dll, twice a write)",
          PerCallMicros([&] { ::QueryPerformanceCounter(&counter); }));
    FILETIME now;
    Print("GetSystemTimePreciseAsFileTime (the simulated handheld's clock)",
          PerCallMicros([&] { ::GetSystemTimePreciseAsFileTime(&now); }));
    CRITICAL_SECTION lock;
    ::InitializeCriticalSection(&lock);
    Print("EnterCriticalSection + LeaveCriticalSection (the simulated handheld's lock)", PerCallMicros([&] {
              ::EnterCriticalSection(&lock);
              ::LeaveCriticalSection(&lock);
          }));
    ::DeleteCriticalSection(&lock);
    Print("SwitchToThread with nothing else to run (a system call, no Wine server)",
          PerCallMicros([] { ::SwitchToThread(); }));
    const CHandle cancel(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Print("WaitForSingleObject(event, 0) (the worker's cancellation poll, a Wine server request)",
          PerCallMicros([&] { ::WaitForSingleObject(cancel.Get(), 0); }));
    Print("SendMessageA to another thread's window answering at once (the floor)",
          MeasureReportMs({kSends, Answer::AtOnce, 0, false}) * 1000.0);
    Print("the same, the window replying early and yielding (as the progress dialog)",
          MeasureReportMs({kSends, Answer::EarlyReplyAndYield, 0, false}) * 1000.0);
    // The worker's report cycle at 20,000,000 B/s: a chunk's link time spent as the simulated
    // handheld spends it, then the report, with and without the poll before it.
    const double chunkMs = handheld::kChunkBytes * 1000.0 / 20000000;
    Print("after a chunk's time at 20,000,000 B/s: the send to a window answering at once",
          MeasureReportMs({kSends, Answer::AtOnce, chunkMs, false}) * 1000.0);
    Print("the same with the poll before the send",
          MeasureReportMs({kSends, Answer::AtOnce, chunkMs, true}) * 1000.0);
    Print("the same, the window replying early and yielding",
          MeasureReportMs({kSends, Answer::EarlyReplyAndYield, chunkMs, true}) * 1000.0);
    Print("the same, the window then setting its progress bar and title (as the progress dialog)",
          MeasureReportMs({kSends, Answer::AsProgressDialog, chunkMs, true}) * 1000.0);
}

}  // namespace bench
