#include "DrivenRun.h"

#include "Clock.h"
#include "Expected.h"
#include "ToolSession.h"
#include "tests/leaks/ProcessCounters.h"
#include "tests/support/TestThread.h"

#include "simhandheld/Settings.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>

namespace bench {
namespace {

constexpr DWORD kProbeEveryMs = 20;
constexpr UINT kProbeLimitMs = 10000;
// The main dialog has painted and settled by then.
constexpr DWORD kIdleSettleMs = 500;
// Cancel is pressed in this part of the installer copy.
constexpr int kCancelFromPercent = 20;
constexpr int kCancelBeforePercent = 80;

// Asks the window's thread for an answer every 20 ms from a thread of its own and keeps the
// slowest; stops when told or when the window is gone.
class AnswerProbe {
public:
    explicit AnswerProbe(HWND window) : m_thread([this, window] { Probe(window); }) {}
    ~AnswerProbe() { Stop(); }

    double Stop()
    {
        m_stop = true;
        m_thread.Join();
        return m_slowestMs;
    }

private:
    void Probe(HWND window)
    {
        while (!m_stop && ::IsWindow(window)) {
            DWORD_PTR result = 0;
            const double start = NowMs();
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kProbeLimitMs, &result);
            m_slowestMs = std::max(m_slowestMs, NowMs() - start);
            ::Sleep(kProbeEveryMs);
        }
    }

    std::atomic<bool> m_stop{false};
    double m_slowestMs = 0;
    TestThread m_thread;
};

bool Fail(const char* why)
{
    std::fprintf(stderr, "qamovup_bench: %s\n", why);
    return false;
}

double PrivateBytes(const counters::ProcessWatch& watch)
{
    const std::optional<counters::ProcessMemory> memory = watch.Memory();
    return memory ? static_cast<double>(memory->privateBytes) : 0;
}

// Each percentage a copy passes is reported; one the bar never showed while the driver looked at
// it every few milliseconds came and went unseen.
unsigned SkippedPercents(const std::vector<int>& positions)
{
    unsigned skipped = 0;
    for (size_t i = 1; i < positions.size(); ++i) {
        if (positions[i - 1] >= 0 && positions[i] > positions[i - 1] + 1)
            skipped += static_cast<unsigned>(positions[i] - positions[i - 1] - 1);
    }
    return skipped;
}

bool Drive(simhandheld::Handheld& handheld, const RunPlan& plan, TimedCalls& timed, RunOutcome& outcome)
{
    handheld.Prepare();
    handheld.Set(L"link-bps=" + std::to_wstring(plan.linkBytesPerSecond));
    const std::optional<simhandheld::DeviceSettings> settings = simhandheld::DeviceSettings::Load(handheld.Folder());
    if (!settings)
        return Fail("the handheld's settings do not read");
    timed.Clear();
    e2e::ToolSession tool(handheld.Folder());
    const counters::ProcessWatch watch(tool.Process().Id());
    ::Sleep(kIdleSettleMs);
    outcome.idlePrivateBytes = PrivateBytes(watch);
    outcome.peakPrivateBytes = outcome.idlePrivateBytes;

    const HWND progress = tool.Start(plan.copyToCard);
    if (progress == nullptr)
        return Fail("no progress dialog");
    AnswerProbe probe(progress);
    bool cancelled = false;
    e2e::RunLog log;
    const e2e::RunEnd end = tool.Follow(progress, log, [&](const e2e::ProgressView& view) {
        outcome.peakPrivateBytes = std::max(outcome.peakPrivateBytes, PrivateBytes(watch));
        if (!plan.cancel || cancelled || view.status != expected::kInstallStatus || !view.cancelEnabled ||
            view.position < kCancelFromPercent || view.position >= kCancelBeforePercent)
            return;
        const double pressed = NowMs();
        cancelled = uidriver::Click(uidriver::Item(progress, IDCANCEL));
        if (cancelled && uidriver::WaitUntil([&] { return !::IsWindow(progress); }, e2e::kWindowTimeoutMs))
            outcome.cancelToGoneMs = NowMs() - pressed;
    });
    outcome.slowestAnswerMs = probe.Stop();
    outcome.skippedPercents = SkippedPercents(log.positions);

    if (plan.cancel) {
        // A click that came after the copy's last poll finds the run complete, as it should: the
        // bar is painted behind the copy, and an unthrottled copy can end between two paints.
        outcome.cancelMissed =
            !cancelled || (end.kind == e2e::RunEnd::Kind::MessageBox && end.box.text == expected::kDoneText);
        if (!cancelled || end.kind != e2e::RunEnd::Kind::Closed || outcome.cancelToGoneMs == 0)
            return Fail("the copy was not cancelled in the middle");
        if (!tool.Exit())
            return Fail("the tool did not exit after the cancelled run");
    } else {
        if (end.kind != e2e::RunEnd::Kind::MessageBox || end.box.text != expected::kDoneText)
            return Fail("the run ended without its completion notice");
        uidriver::Answer(end.box, IDOK);
        if (tool.Process().WaitExit(e2e::kWindowTimeoutMs) != std::optional<DWORD>(0))
            return Fail("the tool did not end well after the completion notice");
    }
    outcome.copies = FiguresOf(handheld.Calls(), {settings->latencyMs.Number(), settings->linkBps.Number()}, timed.Read());
    return true;
}

}  // namespace

RunOutcome DriveRun(simhandheld::Handheld& handheld, const RunPlan& plan, TimedCalls& timed)
{
    RunOutcome outcome;
    try {
        outcome.ok = Drive(handheld, plan, timed, outcome);
    } catch (const std::exception& error) {
        outcome.ok = Fail(error.what());
    }
    return outcome;
}

}  // namespace bench
