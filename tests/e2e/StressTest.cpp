// Many runs under random link timing, each cancelled at a random moment or left to complete:
// the tool never hangs, never speaks after Cancel, and never leaves half a copy on the handheld.
// E2E_STRESS_SEED repeats a run set; E2E_STRESS_RUNS changes its size.
#include "Expected.h"
#include "ToolSession.h"

#include "simhandheld/Folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>

namespace e2e {
namespace {

constexpr DWORD kRunLimitMs = 60000;
// Past this the copy may end before the click is handled; Cancel is pressed only before it.
constexpr int kLastCancelPercent = 90;

unsigned EnvironmentNumber(const char* name, unsigned fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

struct Plan {
    bool copyToCard = true;
    const wchar_t* cancelStatus = nullptr;  // the copy to cancel; none runs to completion
    DWORD cancelAfterMs = 0;                // after Cancel is first offered in that copy
};

class RandomRuns {
public:
    explicit RandomRuns(unsigned seed) : m_random(seed) {}

    // Link timing for one run: a base latency, a speed, and a few slow calls anywhere.
    void SpoilLink(simhandheld::Handheld& handheld)
    {
        handheld.Set(L"latency-ms=" + std::to_wstring(Between(0, 6)));
        handheld.Set(L"link-bps=" + std::to_wstring(Between(3000000, 12000000)));
        static const wchar_t* const kSlowCalls[] = {L"CeWriteFile", L"CeCreateFile", L"CeReadFile",
                                                    L"CeRegQueryValueEx", L"CeSetFileAttributes"};
        for (unsigned n = Between(0, 4); n > 0; --n) {
            const unsigned which = Between(0, 4);
            const unsigned nth = which == 0 ? Between(1, 250) : Between(1, 3);
            handheld.Set(L"delay=" + std::wstring(kSlowCalls[which]) + L":" + std::to_wstring(nth) + L":" +
                         std::to_wstring(Between(20, 400)));
        }
    }

    Plan NextPlan()
    {
        Plan plan;
        plan.copyToCard = Between(0, 3) != 0;
        const unsigned choice = Between(0, 4);
        if (choice == 0)
            return plan;
        plan.cancelStatus = plan.copyToCard && choice <= 2 ? expected::kCardStatus : expected::kInstallStatus;
        plan.cancelAfterMs = Between(0, 1500);
        return plan;
    }

private:
    unsigned Between(unsigned low, unsigned high) { return std::uniform_int_distribution<unsigned>(low, high)(m_random); }

    std::mt19937 m_random;
};

void RunOnce(simhandheld::Handheld& handheld, const Plan& plan)
{
    ToolSession tool(handheld.Folder());
    const HWND progress = tool.Start(plan.copyToCard);
    ASSERT_NE(progress, nullptr) << "no progress dialog";

    bool clicked = false;
    int clickedAt = -1;
    std::optional<DWORD> offeredAt;
    RunLog log;
    const RunEnd end = tool.Follow(
        progress, log,
        [&](const ProgressView& view) {
            if (clicked || plan.cancelStatus == nullptr || view.status != plan.cancelStatus || !view.cancelEnabled)
                return;
            const DWORD now = ::GetTickCount();
            if (!offeredAt)
                offeredAt = now;
            if (now - *offeredAt >= plan.cancelAfterMs && view.position < kLastCancelPercent) {
                clicked = uidriver::Click(uidriver::Item(progress, IDCANCEL));
                clickedAt = view.position;
            }
        },
        kRunLimitMs);
    ASSERT_NE(end.kind, RunEnd::Kind::TimedOut) << "the run did not end in time";
    if (clicked)
        std::cout << " cancelled at " << clickedAt << "%" << std::endl;
    else
        std::cout << " completed" << std::endl;

    if (clicked) {
        ASSERT_EQ(end.kind, RunEnd::Kind::Closed)
            << "a message box came after Cancel: " << testing::PrintToString(end.box.text);
        EXPECT_TRUE(tool.OtherWindows().empty());
        ExpectNoPartialCopy(handheld);
        if (!handheld.Exists(expected::kInstallerCopy)) {
            EXPECT_TRUE(handheld.StartedPrograms().empty()) << "the installer was started without its cabinet";
        }
        EXPECT_TRUE(tool.Exit()) << "the tool did not end on Exit";
        return;
    }
    ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox) << "the run ended without its completion notice";
    EXPECT_EQ(end.box.text, expected::kDoneText);
    ASSERT_TRUE(uidriver::Answer(end.box, IDOK));
    EXPECT_EQ(tool.Process().WaitExit(kWindowTimeoutMs), std::optional<DWORD>(0));
    ExpectInstalled(handheld, plan.copyToCard);
}

TEST(Stress, RandomTimingAndRandomCancelsNeverHangNorLeaveHalfACopy)
{
    const unsigned seed = EnvironmentNumber("E2E_STRESS_SEED", static_cast<unsigned>(::GetTickCount()));
    const unsigned runs = EnvironmentNumber("E2E_STRESS_RUNS", 20);
    std::cout << "E2E_STRESS_SEED=" << seed << " E2E_STRESS_RUNS=" << runs << std::endl;
    RecordProperty("seed", static_cast<int>(seed));

    RandomRuns random(seed);
    simhandheld::Handheld handheld(simhandheld::Handheld::TemporaryFolder(L"stress"));
    for (unsigned run = 1; run <= runs && !HasFatalFailure(); ++run) {
        handheld.Prepare();
        random.SpoilLink(handheld);
        const Plan plan = random.NextPlan();
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", run " << run);
        std::cout << "run " << run << ": card " << plan.copyToCard << ", cancel "
                  << (plan.cancelStatus == nullptr           ? "none"
                      : plan.cancelStatus == expected::kCardStatus ? "card copy"
                                                                   : "installer copy")
                  << " after " << plan.cancelAfterMs << " ms;" << std::flush;
        RunOnce(handheld, plan);
    }
    if (!HasFailure())
        simhandheld::RemoveTree(handheld.Folder());
}

}  // namespace
}  // namespace e2e
