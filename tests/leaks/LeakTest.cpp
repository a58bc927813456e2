// One qamovup process taken through thirty runs that fail or are cancelled, each followed by a new
// start from the same main dialog, and then a complete run: what the failed runs took from the
// system (handles, GDI and USER objects, private memory) they must all have given back.
#include "ProcessCounters.h"

#include "Expected.h"
#include "HandheldTest.h"
#include "ToolSession.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

using counters::ProcessCounters;
using e2e::RunEnd;
using simhandheld::Handheld;

constexpr int kFailedRuns = 30;
// Counters settle once the worker and its dialog are gone; a reading is taken when two agree.
constexpr DWORD kSettleMs = 100;
constexpr DWORD kSettleLimitMs = 3000;
// Heap bookkeeping moves private memory by some pages over many runs; a leak of one copy
// buffer or thread stack per run goes far past this over 24 runs.
constexpr SIZE_T kPrivateSlackBytes = 512 * 1024;

struct FailedRun {
    const char* name;
    std::function<void(Handheld&)> spoil;
    const wchar_t* notice;  // none: the run is cancelled in the middle of a copy
};

void PrepareWith(Handheld& handheld, const std::function<void(simhandheld::PrepareOptions&)>& change)
{
    simhandheld::PrepareOptions options;
    change(options);
    handheld.Prepare(options);
}

// Each kind once per round; the silent handheld is last, as it costs the connection's five seconds.
const FailedRun kRound[] = {
    {"refused platform", [](Handheld& h) { PrepareWith(h, [](auto& o) { o.platform = L"SMDK2410"; }); },
     expected::kWrongDevice},
    {"missing version file", [](Handheld& h) { PrepareWith(h, [](auto& o) { o.version.reset(); }); },
     expected::kNotInstalled},
    {"connection refused", [](Handheld& h) { h.Set(L"connection=refuse"); },
     expected::kInitFailed},
    {"connection failed", [](Handheld& h) { h.Set(L"connection=fail"); },
     expected::kConnectFailed},
    // About two seconds per copy: time to press Cancel in the middle of the card copy.
    {"cancelled copy", [](Handheld& h) { h.Set(L"link-bps=4000000"); }, nullptr},
    {"silent handheld", [](Handheld& h) { h.Set(L"connection=silent"); },
     expected::kNotConnected},
};
constexpr int kRoundLength = static_cast<int>(sizeof(kRound) / sizeof(kRound[0]));

class Leaks : public qamovup_test::HandheldTest {
protected:

    // One failed or cancelled run, back to an idle main dialog.
    void FailOnce(e2e::ToolSession& tool, const FailedRun& run)
    {
        handheld.Prepare();
        run.spoil(handheld);
        const HWND progress = tool.Start(true);
        ASSERT_NE(progress, nullptr) << "no progress dialog";
        e2e::RunLog log;
        bool clicked = false;
        const RunEnd end = tool.Follow(progress, log, [&](const e2e::ProgressView& view) {
            if (run.notice == nullptr && !clicked && view.status == expected::kCardStatus && view.cancelEnabled &&
                view.position >= 10 && view.position < 60)
                clicked = uidriver::Click(uidriver::Item(progress, IDCANCEL));
        });
        if (run.notice == nullptr) {
            ASSERT_TRUE(clicked) << "the copy was never seen running";
            ASSERT_EQ(end.kind, RunEnd::Kind::Closed) << "the progress dialog stayed after Cancel";
        } else {
            ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox) << "no notice";
            EXPECT_EQ(end.box.text, run.notice);
            ASSERT_TRUE(uidriver::Answer(end.box, IDOK));
            ASSERT_TRUE(uidriver::WaitGone(progress, e2e::kWindowTimeoutMs));
        }
        ASSERT_TRUE(uidriver::WaitUntil(
            [&] { return ::IsWindowEnabled(tool.MainDialog()) && tool.OtherWindows().empty(); }, e2e::kWindowTimeoutMs))
            << "the main dialog did not come back alone";
    }
};

// Counters are compared once every kind of run has been through once (a first message box or
// dialog of a kind may set up things the process keeps for good), and then after each later
// round, which ends with the same kind of run: nothing may have grown.
TEST_F(Leaks, FailedAndCancelledRunsGiveBackEverythingTheyTook)
{
    e2e::ToolSession tool(handheld.Folder());
    const counters::ProcessWatch watch(tool.Process().Id());
    std::vector<ProcessCounters> after;
    for (int n = 0; n < kFailedRuns; ++n) {
        const FailedRun& run = kRound[n % kRoundLength];
        FailOnce(tool, run);
        ASSERT_FALSE(HasFatalFailure()) << "run " << n + 1 << ": " << run.name;
        const std::optional<ProcessCounters> counters = watch.ReadSettled(kSettleMs, kSettleLimitMs);
        ASSERT_TRUE(counters.has_value()) << "the tool's counters cannot be read";
        after.push_back(*counters);
        std::printf("after run %2d (%s): %lu handles, %lu GDI, %lu USER objects, %llu private bytes\n", n + 1,
                    run.name, counters->handles, counters->gdiObjects, counters->userObjects,
                    static_cast<unsigned long long>(counters->memory.privateBytes));
    }

    const ProcessCounters& warm = after[kRoundLength - 1];
    // Wine keeps no GDI or USER counts per process and answers 0: then only handles and memory
    // can show a leak.
    const bool guiCounted = warm.gdiObjects != 0 || warm.userObjects != 0;
    if (!guiCounted)
        std::printf("GDI and USER objects are not counted on this system (Wine): not compared\n");
    for (int n = 2 * kRoundLength - 1; n < kFailedRuns; n += kRoundLength) {
        EXPECT_LE(after[n].handles, warm.handles) << "handles grew by run " << n + 1;
        if (guiCounted) {
            EXPECT_LE(after[n].gdiObjects, warm.gdiObjects) << "GDI objects grew by run " << n + 1;
            EXPECT_LE(after[n].userObjects, warm.userObjects) << "USER objects grew by run " << n + 1;
        }
    }
    EXPECT_LE(after.back().memory.privateBytes, warm.memory.privateBytes + kPrivateSlackBytes)
        << "private memory grew by " << (after.back().memory.privateBytes - warm.memory.privateBytes) << " bytes";

    handheld.Prepare();
    const HWND progress = tool.Start(true);
    ASSERT_NE(progress, nullptr);
    e2e::RunLog log;
    const RunEnd end = tool.Follow(progress, log);
    ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox) << "the last run did not complete";
    EXPECT_EQ(end.box.text, expected::kDoneText);
    ASSERT_TRUE(uidriver::Answer(end.box, IDOK));
    EXPECT_EQ(tool.Process().WaitExit(e2e::kWindowTimeoutMs), std::optional<DWORD>(0));
}

}  // namespace
