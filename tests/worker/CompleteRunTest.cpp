// A run that nothing interrupts: what the dialog hears, what crosses the link and what the
// handheld holds afterwards.
#include "WorkerHarness.h"

#include <gtest/gtest.h>

namespace {

using namespace qamovup_test;

constexpr size_t kCabinetBytes = 8158840;
constexpr size_t kChunksPerPass = 125;  // 124 of 65,535 bytes and one of 32,500
constexpr size_t kRunningReports = kChunksPerPass + 1;
constexpr size_t kPassMessages = 1 + 1 + kRunningReports + 1;  // stage, 0, running..., 100 complete

// One pass from its stage on: stage, progress 0, then a rising report before each chunk and
// after the last, then 100 marked complete.
::testing::AssertionResult IsCompletePass(const std::vector<VupMessage>& messages, size_t at, VupStage stage)
{
    if (messages.size() < at + kPassMessages)
        return ::testing::AssertionFailure() << "too few messages: " << Describe(messages);
    if (!messages[at].IsStage(stage))
        return ::testing::AssertionFailure() << "message " << at << " is not stage " << stage;
    if (!messages[at + 1].IsProgress(0))
        return ::testing::AssertionFailure() << "the pass does not start at 0%";
    WPARAM last = 0;
    for (size_t i = 0; i < kRunningReports; ++i) {
        const VupMessage& m = messages[at + 2 + i];
        if (!m.IsProgress() || m.lParam != VUP_PROGRESS_RUNNING || m.wParam < last || m.wParam > 100)
            return ::testing::AssertionFailure() << "report " << i << " of the pass is out of line: "
                                                 << Describe({m});
        last = m.wParam;
    }
    if (messages[at + 2].wParam != 0 || last != 100)
        return ::testing::AssertionFailure() << "the reports do not run from 0 to 100";
    if (!messages[at + 2 + kRunningReports].IsProgress(100, VUP_PROGRESS_COMPLETE))
        return ::testing::AssertionFailure() << "the pass does not end with 100% complete";
    return ::testing::AssertionSuccess();
}

// The sizes of the writes made between the creation of target and the next file creation.
std::vector<unsigned long> WritesInto(const WorkerResult& result, const std::wstring& target)
{
    std::vector<unsigned long> writes;
    bool inside = false;
    for (const simhandheld::CallRecord& call : result.calls) {
        if (call.function == L"CeCreateFile")
            inside = ArgumentOf(call, L"path") == target;
        else if (inside && call.function == L"CeWriteFile")
            writes.push_back(std::wcstoul(ArgumentOf(call, L"bytes").c_str(), nullptr, 10));
    }
    return writes;
}

class CompleteRun : public WorkerTest {};

TEST_F(CompleteRun, TheCarriedCabinetIsTheDefaultInstaller)
{
    ASSERT_EQ(kCabinetBytes, EmbeddedCabinet().size());
    EXPECT_EQ(0, EmbeddedCabinet().compare(0, 4, "MSCF"));
}

TEST_F(CompleteRun, WithTheCardPassTheDialogHearsBothPassesAndTheEnd)
{
    const WorkerResult run = Run(/*copyToCard=*/true);
    const std::vector<VupMessage>& m = run.messages;
    ASSERT_EQ(1 + 2 * kPassMessages + 1, m.size()) << Describe(m);
    EXPECT_TRUE(m.front().IsStage(VUP_STAGE_READING));
    EXPECT_TRUE(IsCompletePass(m, 1, VUP_STAGE_COPY_TO_CARD));
    EXPECT_TRUE(IsCompletePass(m, 1 + kPassMessages, VUP_STAGE_INSTALL));
    EXPECT_TRUE(m.back().IsStage(VUP_STAGE_DONE));
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(CompleteRun, WithoutTheCardPassTheDialogHearsOnlyTheInstallerPass)
{
    const WorkerResult run = Run(/*copyToCard=*/false);
    const std::vector<VupMessage>& m = run.messages;
    ASSERT_EQ(1 + kPassMessages + 1, m.size()) << Describe(m);
    EXPECT_TRUE(m.front().IsStage(VUP_STAGE_READING));
    EXPECT_TRUE(IsCompletePass(m, 1, VUP_STAGE_INSTALL));
    EXPECT_TRUE(m.back().IsStage(VUP_STAGE_DONE));
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(CompleteRun, EachPassWritesTheCabinetIn65535ByteChunks)
{
    const WorkerResult run = Run(/*copyToCard=*/true);
    std::vector<unsigned long> expected(kChunksPerPass - 1, 65535);
    expected.push_back(32500);
    EXPECT_EQ(expected, WritesInto(run, paths::kCardCopy6410));
    EXPECT_EQ(expected, WritesInto(run, paths::kInstallerCopy));
    EXPECT_EQ(2 * kChunksPerPass, run.CountCalls(L"CeWriteFile"));
}

TEST_F(CompleteRun, BothCopiesEqualTheCabinetAndOnlyTheCardCopyIsReadOnly)
{
    Run(/*copyToCard=*/true);
    ASSERT_TRUE(HoldsCabinet(handheld, paths::kCardCopy6410));
    ASSERT_TRUE(HoldsCabinet(handheld, paths::kInstallerCopy));
    EXPECT_TRUE(handheld.IsReadOnly(paths::kCardCopy6410));
    EXPECT_FALSE(handheld.IsReadOnly(paths::kInstallerCopy));
}

TEST_F(CompleteRun, TheInstallerIsStartedOnceOnTheFinishedCopy)
{
    const WorkerResult run = Run(/*copyToCard=*/false);
    ASSERT_EQ(1u, run.started.size());
    EXPECT_EQ(L"wceload", run.started[0].program);
    EXPECT_EQ(paths::kInstallerCommandLine, run.started[0].commandLine);
    EXPECT_EQ(59u, run.started[0].commandLine.size());

    // Started only after the last chunk is on the handheld.
    size_t lastWrite = 0, start = 0;
    for (size_t i = 0; i < run.calls.size(); ++i) {
        if (run.calls[i].function == L"CeWriteFile")
            lastWrite = i;
        if (run.calls[i].function == L"CeCreateProcess")
            start = i;
    }
    EXPECT_GT(start, lastWrite);
}

TEST_F(CompleteRun, WithoutTheCardPassNoCallNamesACardPath)
{
    const WorkerResult run = Run(/*copyToCard=*/false);
    EXPECT_FALSE(run.AnyCallMentions(L"Storage Card"));
    EXPECT_FALSE(run.AnyCallMentions(L"SD-MMC card"));
    EXPECT_FALSE(handheld.Exists(paths::kCardCopy6410));
    EXPECT_TRUE(HoldsCabinet(handheld, paths::kInstallerCopy));
}

TEST_F(CompleteRun, AHandheldWithoutAMemoryCardEndsTheRunAtTheCardPass)
{
    simhandheld::PrepareOptions options;
    options.memoryCard = false;
    handheld.Prepare(options);
    const WorkerResult run = Run(/*copyToCard=*/true);
    EXPECT_EQ(std::vector<WPARAM>{VUP_NOTICE_CARD_CREATE_FAILED}, run.Notices());
    EXPECT_EQ((std::vector<WPARAM>{VUP_STAGE_READING, VUP_STAGE_COPY_TO_CARD}), run.Stages());
    EXPECT_FALSE(handheld.Exists(paths::kCardCopy6410));
    EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
    EXPECT_EQ(0u, run.CountCalls(L"CeWriteFile"));
    EXPECT_TRUE(run.started.empty());
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(CompleteRun, ARunWhoseInstallerCannotBeCreatedLeavesNoCopyBehind)
{
    handheld.Set(L"fail-path=CeCreateFile:" + std::wstring(paths::kInstallerCopy));
    const WorkerResult run = Run(/*copyToCard=*/false);
    EXPECT_EQ(std::vector<WPARAM>{VUP_NOTICE_INSTALL_CREATE_FAILED}, run.Notices());
    EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
    EXPECT_TRUE(run.started.empty());
    EXPECT_TRUE(LinkReleased(run));
}

// A write that takes fewer bytes than it was handed, and says so, failed as much as one that says so.
TEST_F(CompleteRun, AFailedWriteEndsTheRunWithoutAPartialCopy)
{
    for (const wchar_t* fault : {L"fail-call=CeWriteFile:60", L"short-write=60:1000"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(fault)));
        handheld.Prepare();
        handheld.Set(fault);
        const WorkerResult run = Run(/*copyToCard=*/false);
        EXPECT_EQ(std::vector<WPARAM>{VUP_NOTICE_WRITE_FAILED}, run.Notices());
        EXPECT_EQ(60u, run.CountCalls(L"CeWriteFile"));
        EXPECT_FALSE(handheld.Exists(paths::kInstallerCopy));
        EXPECT_TRUE(run.started.empty());
        EXPECT_FALSE(run.messages.back().IsStage(VUP_STAGE_DONE));
        EXPECT_TRUE(LinkReleased(run));
    }
}

}  // namespace
