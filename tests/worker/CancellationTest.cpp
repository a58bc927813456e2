// A press of Cancel is seen at the next poll: what the run has done by then stays done, what it
// was copying goes, and nothing after it happens.
#include "WorkerHarness.h"

#include <gtest/gtest.h>

namespace {

using namespace qamovup_test;

class Cancellation : public WorkerTest {
protected:
    // Cancels when the simulated handheld has answered that function's nth call.
    WorkerResult RunCancelledOn(const wchar_t* function, unsigned nth, bool copyToCard = true)
    {
        handheld.Set(L"signal=" + std::wstring(function) + L":" + std::to_wstring(nth) + L":" + CancelEventName());
        WorkerOptions options;
        options.copyToCard = copyToCard;
        return Run(options);
    }
    // Cancels while the dialog is being told the percentage.
    WorkerResult RunCancelledAtPercent(WPARAM percent, bool copyToCard)
    {
        WorkerOptions options;
        options.copyToCard = copyToCard;
        options.cancelWhen = [percent](const VupMessage& m) { return m.IsProgress(percent); };
        return Run(options);
    }

    // A cancellation before anything is changed: the run ends quietly and the handheld is as it was.
    WorkerResult ExpectUnchangedWhenCancelledOn(const wchar_t* function, unsigned nth)
    {
        const HandheldSnapshot before = TakeSnapshot(handheld);
        WorkerResult run = RunCancelledOn(function, nth);
        EXPECT_EQ(std::vector<WPARAM>{VUP_STAGE_READING}, run.Stages());
        EXPECT_TRUE(run.Notices().empty()) << Describe(run.messages);
        EXPECT_TRUE(before == TakeSnapshot(handheld));
        EXPECT_TRUE(LinkReleased(run));
        return run;
    }

    void ExpectLauncherEntryUnmoved()
    {
        EXPECT_TRUE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kOldLauncherEntry));
        EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kNewLauncherEntry));
    }
    bool DensityWritten() const
    {
        return handheld.GetValue(HKEY_LOCAL_MACHINE, paths::kMakerKey, L"DPI").has_value();
    }
};

const std::vector<WPARAM> kOnlyReading{VUP_STAGE_READING};

TEST_F(Cancellation, BeforeConnectingTheRunEndsWithoutLoadingOrCallingAnything)
{
    const HandheldSnapshot before = TakeSnapshot(handheld);
    WorkerOptions options;
    options.cancelBeforeStart = true;
    const WorkerResult run = Run(options);
    ASSERT_EQ(1u, run.messages.size()) << Describe(run.messages);
    EXPECT_TRUE(run.messages[0].IsStage(VUP_STAGE_READING));
    EXPECT_TRUE(run.calls.empty());
    EXPECT_FALSE(run.libraryLoaded);
    EXPECT_TRUE(before == TakeSnapshot(handheld));
}

TEST_F(Cancellation, AfterThePlatformCheckTheVersionFileIsNeverOpened)
{
    EXPECT_EQ(0u, ExpectUnchangedWhenCancelledOn(L"CeRegQueryValueEx", 1).CountCalls(L"CeCreateFile"));
}

TEST_F(Cancellation, AfterTheVersionCheckNothingOnTheHandheldChanges)
{
    EXPECT_EQ(0u, ExpectUnchangedWhenCancelledOn(L"CeReadFile", 1).CountCalls(L"CeMoveFile"));
}

TEST_F(Cancellation, AfterTheShortcutRenameTheLauncherEntryAndDensityAreUntouched)
{
    const WorkerResult run = RunCancelledOn(L"CeMoveFile", 1);
    EXPECT_EQ(kOnlyReading, run.Stages());
    EXPECT_TRUE(handheld.Exists(paths::kNewShortcut));
    EXPECT_FALSE(handheld.Exists(paths::kOldShortcut));
    ExpectLauncherEntryUnmoved();
    EXPECT_FALSE(DensityWritten());
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(Cancellation, DuringTheLauncherMigrationItAndTheDensityAreFinishedButNothingIsCopied)
{
    const WorkerResult run = RunCancelledOn(L"CeRegSetValueEx", 1);
    EXPECT_EQ(kOnlyReading, run.Stages());
    EXPECT_TRUE(run.Progress().empty());
    EXPECT_TRUE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kNewLauncherEntry));
    EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, paths::kOldLauncherEntry));
    EXPECT_TRUE(DensityWritten());
    EXPECT_EQ(0u, run.CountCalls(L"CeWriteFile"));
    EXPECT_FALSE(handheld.Exists(paths::kCardCopy6410));
    EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(Cancellation, AtTheHeadOfTheInstallerPassTheCardCopyIsCompleteAndNothingFollows)
{
    WorkerOptions options;
    options.cancelWhen = [](const VupMessage& m) { return m.IsProgress(100, VUP_PROGRESS_COMPLETE); };
    const WorkerResult run = Run(options);
    EXPECT_EQ((std::vector<WPARAM>{VUP_STAGE_READING, VUP_STAGE_COPY_TO_CARD}), run.Stages());
    EXPECT_TRUE(run.messages.back().IsProgress(100, VUP_PROGRESS_COMPLETE)) << Describe(run.messages);
    EXPECT_TRUE(HoldsCabinet(handheld, paths::kCardCopy6410));
    EXPECT_TRUE(handheld.IsReadOnly(paths::kCardCopy6410));
    EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
    EXPECT_TRUE(run.started.empty());
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(Cancellation, InsideTheCardCopyThePartialFileGoesAndNothingFollows)
{
    const WorkerResult run = RunCancelledAtPercent(50, /*copyToCard=*/true);
    EXPECT_TRUE(run.messages.back().IsProgress(50)) << Describe(run.messages);
    EXPECT_EQ((std::vector<WPARAM>{VUP_STAGE_READING, VUP_STAGE_COPY_TO_CARD}), run.Stages());
    EXPECT_TRUE(run.Notices().empty());
    EXPECT_FALSE(handheld.Exists(paths::kCardCopy6410));
    EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
    EXPECT_TRUE(run.started.empty());
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(Cancellation, InsideTheInstallerCopyThePartialFileGoesAndTheInstallerNeverStarts)
{
    const WorkerResult run = RunCancelledAtPercent(50, /*copyToCard=*/false);
    EXPECT_TRUE(run.messages.back().IsProgress(50)) << Describe(run.messages);
    EXPECT_TRUE(run.Notices().empty());
    EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
    EXPECT_EQ(0u, run.CountCalls(L"CeCreateProcess"));
    EXPECT_TRUE(run.started.empty());
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(Cancellation, RightAfterTheLastChunkOfTheCardCopyTheWholeCopyStillGoes)
{
    const WorkerResult run = RunCancelledAtPercent(99, /*copyToCard=*/true);
    EXPECT_EQ(125u, run.CountCalls(L"CeWriteFile"));  // every byte reached the handheld
    EXPECT_TRUE(run.messages.back().IsProgress(99)) << Describe(run.messages);
    EXPECT_EQ((std::vector<WPARAM>{VUP_STAGE_READING, VUP_STAGE_COPY_TO_CARD}), run.Stages());
    EXPECT_FALSE(handheld.Exists(paths::kCardCopy6410));
    EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
    EXPECT_TRUE(run.started.empty());
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(Cancellation, RightAfterTheLastChunkOfTheInstallerCopyTheInstallerNeverStarts)
{
    const WorkerResult run = RunCancelledAtPercent(99, /*copyToCard=*/false);
    EXPECT_EQ(125u, run.CountCalls(L"CeWriteFile"));
    EXPECT_TRUE(run.messages.back().IsProgress(99)) << Describe(run.messages);
    EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
    EXPECT_EQ(0u, run.CountCalls(L"CeCreateProcess"));
    EXPECT_TRUE(LinkReleased(run));
}

// The dialog offers Cancel until the report that the copy is complete has been handled: a Cancel
// taken while the worker reports the last 100, after its last poll, still stops the installer.
TEST_F(Cancellation, DuringTheLastReportsOfTheInstallerCopyTheInstallerNeverStarts)
{
    for (const LPARAM state : {VUP_PROGRESS_RUNNING, VUP_PROGRESS_COMPLETE}) {
        SCOPED_TRACE(state == VUP_PROGRESS_RUNNING ? "during 100" : "during 100 complete");
        handheld.Prepare();
        WorkerOptions options;
        options.copyToCard = false;
        options.cancelWhen = [state](const VupMessage& m) { return m.IsProgress(100, state); };
        const WorkerResult run = Run(options);
        EXPECT_TRUE(run.messages.back().IsProgress(100, VUP_PROGRESS_COMPLETE)) << Describe(run.messages);
        EXPECT_TRUE(run.Notices().empty());
        EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
        EXPECT_EQ(0u, run.CountCalls(L"CeCreateProcess"));
        EXPECT_TRUE(LinkReleased(run));
    }
}

}  // namespace
