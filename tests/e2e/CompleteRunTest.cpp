// A revision-up that goes through: what the user sees on the way, and what the handheld holds after.
#include "ToolTest.h"

#include "framework/Handle.h"

#include <algorithm>

namespace e2e {
namespace {

using uidriver::Item;
using uidriver::Text;

class CompletedRun : public ToolTest {
protected:
    CompletedRun()
    {
        // Slow enough for every stage to be seen: the reading is held, each copy takes a while.
        handheld.Set(L"link-bps=16000000");
        handheld.Set(L"delay=CeReadFile:1:600");
    }
};

TEST_F(CompletedRun, MainDialogOffersTheRevisionUpWithTheCardCopyTicked)
{
    ToolSession tool(handheld.Folder());
    const HWND main = tool.MainDialog();
    EXPECT_EQ(Text(Item(main, IDOK)), expected::kStartButton);
    EXPECT_EQ(Text(Item(main, IDCANCEL)), expected::kExitButton);
    EXPECT_EQ(uidriver::CheckState(Item(main, expected::kCopyToCardId)), BST_CHECKED);
    EXPECT_TRUE(tool.Exit());
}

TEST_F(CompletedRun, WithTheCardCopyShowsEachStageThenLeavesBothCopiesAndStartsTheInstaller)
{
    ToolSession tool(handheld.Folder());
    RunLog log;
    CompleteRun(tool, true, &log);

    EXPECT_EQ(log.statuses, (std::vector<std::wstring>{expected::kReadingStatus, expected::kCardStatus,
                                                       expected::kInstallStatus}));
    // The bar shows the reports in order: it goes back only once, to start the second copy.
    std::vector<int> backwards;
    for (size_t i = 1; i < log.positions.size(); ++i) {
        if (log.positions[i] >= 0 && log.positions[i] < log.positions[i - 1])
            backwards.push_back(log.positions[i]);
    }
    EXPECT_EQ(backwards.size(), 1u) << testing::PrintToString(log.positions);
    ASSERT_FALSE(log.titles.empty());
    EXPECT_EQ(log.titles.front(), expected::kReadingTitle);
    for (const std::wstring& title : log.titles) {
        EXPECT_TRUE(title == expected::kReadingTitle || title == expected::kTransferTitle || PercentInTitle(title))
            << "unexpected title " << testing::PrintToString(title);
    }
    EXPECT_TRUE(std::any_of(log.titles.begin(), log.titles.end(), [](const std::wstring& title) {
        const std::optional<int> percent = PercentInTitle(title);
        return percent && *percent > 0 && *percent < 100;
    })) << "no percentage was shown on the way";
    EXPECT_TRUE(log.cancelEnabledSeen) << "Cancel was never offered during the copies";
    ExpectInstalled(handheld, true);
}

TEST_F(CompletedRun, WithoutTheCardCopyLeavesTheCardAlone)
{
    ToolSession tool(handheld.Folder());
    RunLog log;
    CompleteRun(tool, false, &log);

    EXPECT_EQ(log.statuses, (std::vector<std::wstring>{expected::kReadingStatus, expected::kInstallStatus}));
    ExpectInstalled(handheld, false);
}

// Reports that come faster than the bar is painted replace one another, but the latest is never
// lost: while a write stalls, the bar shows the last percentage reported before it, and the run
// ends with 100 % shown before the completion notice.
TEST_F(CompletedRun, WhileAWriteStallsTheBarShowsTheLastPercentageReported)
{
    // The 40th write takes seconds; before it, the worker has reported 39 chunks' share of the copy.
    const int lastReported = static_cast<int>(39 * expected::kChunkBytes * 100 / expected::kCabinetBytes);
    const CHandle stallBegins(::CreateEventW(nullptr, TRUE, FALSE, L"qamovup-e2e-write-39-done"));
    const CHandle stallEnds(::CreateEventW(nullptr, TRUE, FALSE, L"qamovup-e2e-write-40-done"));
    handheld.Set(L"signal=CeWriteFile:39:qamovup-e2e-write-39-done");
    handheld.Set(L"signal=CeWriteFile:40:qamovup-e2e-write-40-done");
    handheld.Set(L"delay=CeWriteFile:40:3000");
    const auto signalled = [](const CHandle& event) { return ::WaitForSingleObject(event.Get(), 0) == WAIT_OBJECT_0; };
    ToolSession tool(handheld.Folder());
    std::vector<int> shownDuringStall;
    const RunEnd end = StartRun(tool, false, nullptr, [&](HWND, const ProgressView& view) {
        if (signalled(stallBegins) && !signalled(stallEnds) &&
            (shownDuringStall.empty() || shownDuringStall.back() != view.position))
            shownDuringStall.push_back(view.position);
    });
    EXPECT_TRUE(std::find(shownDuringStall.begin(), shownDuringStall.end(), lastReported) != shownDuringStall.end())
        << "the bar during the stall: " << testing::PrintToString(shownDuringStall);
    ExpectCompletion(tool, end);
}

TEST_F(CompletedRun, CancelIsOfferedOnlyWhileACopyRuns)
{
    ToolSession tool(handheld.Folder());
    bool offeredWhileReading = false;
    const RunEnd end = StartRun(tool, true, nullptr, [&](HWND, const ProgressView& view) {
        offeredWhileReading = offeredWhileReading || (view.status == expected::kReadingStatus && view.cancelEnabled);
    });
    EXPECT_FALSE(offeredWhileReading);
    ExpectCompletion(tool, end);
}

TEST_F(CompletedRun, ANewerVersionAnsweredYesIsUpgraded)
{
    PrepareNewerVersion();
    ToolSession tool(handheld.Folder());
    const RunEnd question = StartRunToTheVersionQuestion(tool);
    ASSERT_EQ(question.kind, RunEnd::Kind::MessageBox);

    ASSERT_TRUE(uidriver::Answer(question.box, IDYES));
    ASSERT_TRUE(uidriver::WaitGone(question.box.window, kWindowTimeoutMs));
    RunLog log;
    ExpectCompletion(tool, tool.Follow(question.progress, log));
    ExpectInstalled(handheld, true);
}

// Keys reach the dialog the way the user's keyboard would; a dialog that ends on Enter or on
// Escape at the wrong moment loses the run.
class Keys : public ToolTest {};

TEST_F(Keys, EnterDuringACopyDoesNotEndTheProgressDialog)
{
    handheld.Set(L"link-bps=4000000");
    ToolSession tool(handheld.Folder());
    const RunEnd end = StartRunPressingOnce(tool, true, CopyUnderWay(expected::kCardStatus), Key(VK_RETURN));
    ExpectCompletion(tool, end);
    ExpectInstalled(handheld, true);
}

TEST_F(Keys, EscapeWhileCancelIsDisabledDoesNothing)
{
    // The reading stage is held long enough for the key to arrive while nothing can be cancelled.
    handheld.Set(L"delay=CeReadFile:1:1500");
    ToolSession tool(handheld.Folder());
    const When reading = [](const ProgressView& view) {
        return view.status == expected::kReadingStatus && !view.cancelEnabled;
    };
    const RunEnd end = StartRunPressingOnce(tool, true, reading, Key(VK_ESCAPE));
    ExpectCompletion(tool, end);
    ExpectInstalled(handheld, true);
}

TEST_F(Keys, EscapeDuringACopyCancelsItLikeTheButton)
{
    handheld.Set(L"link-bps=2000000");
    ToolSession tool(handheld.Folder());
    const RunEnd end = StartRunPressingOnce(tool, true, CopyUnderWay(expected::kCardStatus), Key(VK_ESCAPE));
    ASSERT_EQ(end.kind, RunEnd::Kind::Closed) << "Escape did not cancel the copy";
    ExpectBackAtMainDialog(tool);
    ExpectNothingInstalled();
    EXPECT_TRUE(tool.Exit());
}

}  // namespace
}  // namespace e2e
