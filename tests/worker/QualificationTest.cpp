// Which handhelds the revision-up accepts: its platform name and the installed version.
#include "WorkerHarness.h"

#include <gtest/gtest.h>

namespace {

using namespace qamovup_test;

class Qualification : public WorkerTest {
protected:
    void SetPlatformName(const std::wstring& name)
    {
        handheld.SetValue(HKEY_LOCAL_MACHINE, L"Platform", L"Name", simhandheld::StringValue(name));
    }
    void SetVersionFile(const std::string& bytes) { handheld.WriteFile(paths::kVersionFile, bytes); }

    // Refused runs end with that one notice, after connecting, having changed nothing.
    void ExpectRefusedWith(WPARAM notice, const WorkerResult& run, const HandheldSnapshot& before)
    {
        EXPECT_EQ(std::vector<WPARAM>{notice}, run.Notices()) << Describe(run.messages);
        EXPECT_EQ(std::vector<WPARAM>{VUP_STAGE_READING}, run.Stages());
        EXPECT_TRUE(before == TakeSnapshot(handheld));
        EXPECT_TRUE(LinkReleased(run));
    }
    void ExpectAcceptedSilently(const WorkerResult& run)
    {
        EXPECT_TRUE(run.Notices().empty()) << Describe(run.messages);
        EXPECT_TRUE(run.messages.back().IsStage(VUP_STAGE_DONE));
        EXPECT_TRUE(LinkReleased(run));
    }
};

TEST_F(Qualification, AnSmdk6410CopiesToTheStorageCard)
{
    const WorkerResult run = Run(/*copyToCard=*/true);
    ExpectAcceptedSilently(run);
    EXPECT_TRUE(HoldsCabinet(handheld, paths::kCardCopy6410));
    EXPECT_FALSE(run.AnyCallMentions(L"SD-MMC card"));
}

TEST_F(Qualification, AnSmdk2443CopiesToTheSdMmcCard)
{
    SetPlatformName(L"SMDK2443");
    handheld.CreateDirectory(L"\\SD-MMC card");
    const WorkerResult run = Run(/*copyToCard=*/true);
    ExpectAcceptedSilently(run);
    EXPECT_TRUE(HoldsCabinet(handheld, paths::kCardCopy2443));
    EXPECT_TRUE(handheld.IsReadOnly(paths::kCardCopy2443));
    EXPECT_FALSE(run.AnyCallMentions(L"Storage Card"));
}

TEST_F(Qualification, OnlyTheFirstEightCharactersOfThePlatformNameCount)
{
    SetPlatformName(L"SMDK6410X");
    const WorkerResult run = Run(/*copyToCard=*/true);
    ExpectAcceptedSilently(run);
    EXPECT_TRUE(HoldsCabinet(handheld, paths::kCardCopy6410));
}

TEST_F(Qualification, APlatformNameFillingTheWholeBufferIsStillRead)
{
    SetPlatformName(L"SMDK6410" + std::wstring(251, L'X'));  // 520 bytes with the terminator
    ExpectAcceptedSilently(Run(/*copyToCard=*/false));
}

class RefusedPlatformName : public Qualification, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(RefusedPlatformName, IsReportedAsTheWrongHandheld)
{
    SetPlatformName(GetParam());
    const HandheldSnapshot before = TakeSnapshot(handheld);
    ExpectRefusedWith(VUP_NOTICE_WRONG_PLATFORM, Run(), before);
}

INSTANTIATE_TEST_SUITE_P(Names, RefusedPlatformName,
                         ::testing::Values(L"smdk6410", L"Smdk2443", L"SMDK641", L"SMDK2450", L"SMDK", L"",
                                           L" SMDK6410"));

TEST_F(Qualification, AHandheldWithoutAPlatformKeyIsTheWrongHandheld)
{
    handheld.DeleteKey(HKEY_LOCAL_MACHINE, L"Platform");
    const HandheldSnapshot before = TakeSnapshot(handheld);
    ExpectRefusedWith(VUP_NOTICE_WRONG_PLATFORM, Run(), before);
}

TEST_F(Qualification, APlatformKeyWithoutANameIsTheWrongHandheld)
{
    handheld.DeleteKey(HKEY_LOCAL_MACHINE, L"Platform");
    handheld.CreateKey(HKEY_LOCAL_MACHINE, L"Platform");
    const HandheldSnapshot before = TakeSnapshot(handheld);
    ExpectRefusedWith(VUP_NOTICE_WRONG_PLATFORM, Run(), before);
}

TEST_F(Qualification, APlatformNameLongerThan520BytesIsTheWrongHandheldWhateverItBeginsWith)
{
    SetPlatformName(L"SMDK6410" + std::wstring(252, L'X'));  // 522 bytes with the terminator
    const HandheldSnapshot before = TakeSnapshot(handheld);
    ExpectRefusedWith(VUP_NOTICE_WRONG_PLATFORM, Run(), before);
}

TEST_F(Qualification, AHandheldWithoutTheVersionFileHasNothingToUpgrade)
{
    handheld.Remove(paths::kVersionFile);
    const HandheldSnapshot before = TakeSnapshot(handheld);
    ExpectRefusedWith(VUP_NOTICE_NOT_INSTALLED, Run(), before);
}

TEST_F(Qualification, AnEmptyVersionFileIsTooOldWithAnEmptyVersion)
{
    SetVersionFile("");
    const HandheldSnapshot before = TakeSnapshot(handheld);
    const WorkerResult run = Run();
    ExpectRefusedWith(VUP_NOTICE_VERSION_TOO_OLD, run, before);
    ASSERT_FALSE(run.messages.empty());
    EXPECT_EQ("", run.messages.back().versionText);
}

TEST_F(Qualification, AnUnreadableVersionFileIsTooOldWithAnEmptyVersion)
{
    handheld.Set(L"fail-call=CeReadFile:1");
    const HandheldSnapshot before = TakeSnapshot(handheld);
    const WorkerResult run = Run();
    ExpectRefusedWith(VUP_NOTICE_VERSION_TOO_OLD, run, before);
    EXPECT_EQ("", run.messages.back().versionText);
}

TEST_F(Qualification, AVersionBelowTheRequiredOneIsReportedWithItsText)
{
    SetVersionFile("qamo+ for Handheld\r\nVersion 1.1.9.0\r\n");
    const HandheldSnapshot before = TakeSnapshot(handheld);
    const WorkerResult run = Run();
    ExpectRefusedWith(VUP_NOTICE_VERSION_TOO_OLD, run, before);
    EXPECT_EQ("Version 1.1.9.0", run.messages.back().versionText);
}

class AcceptedVersion : public Qualification, public ::testing::WithParamInterface<const char*> {};

TEST_P(AcceptedVersion, GoesOnWithoutAQuestion)
{
    SetVersionFile(GetParam());
    ExpectAcceptedSilently(Run(/*copyToCard=*/false));
}

// Versions compare as text: 1.2.10.0 sorts below 1.2.2.0 and is no newer version.
INSTANTIATE_TEST_SUITE_P(Texts, AcceptedVersion,
                         ::testing::Values("qamo+ for Handheld\r\nVersion 1.2.1.0\r\n",
                                           "qamo+ for Handheld\nVersion 1.2.1.0\n",
                                           "qamo+ for Handheld\r\nVersion 1.2.0.0\r\n",
                                           "qamo+ for Handheld\r\nVersion 1.2.2.0\r\nextra\r\n",
                                           "qamo+ for Handheld\r\nVersion 1.2.10.0\r\n"));

TEST_F(Qualification, ANewerVersionIsAskedAboutAndYesGoesOn)
{
    SetVersionFile("qamo+ for Handheld\r\nVersion 1.3.0.0\r\n");
    WorkerOptions options;
    options.newerVersionAnswer = 1;
    const WorkerResult run = Run(options);
    EXPECT_EQ(std::vector<WPARAM>{VUP_NOTICE_NEWER_VERSION}, run.Notices());
    EXPECT_EQ("Version 1.3.0.0", run.messages[1].versionText);
    EXPECT_TRUE(run.messages.back().IsStage(VUP_STAGE_DONE));
    EXPECT_TRUE(HoldsCabinet(handheld, paths::kInstallerCopy));
    EXPECT_TRUE(LinkReleased(run));
}

TEST_F(Qualification, ANewerVersionAnsweredNoEndsTheRunWithNothingChanged)
{
    SetVersionFile("qamo+ for Handheld\r\nVersion 1.3.0.0\r\n");
    const HandheldSnapshot before = TakeSnapshot(handheld);
    WorkerOptions options;
    options.newerVersionAnswer = 0;
    ExpectRefusedWith(VUP_NOTICE_NEWER_VERSION, Run(options), before);
}

TEST_F(Qualification, AVersionFileWithoutASecondLineFeedIsTakenWhole)
{
    SetVersionFile("qamo+ for Handheld\r\nVersion 1.3.0.0");
    const WorkerResult run = Run();
    ASSERT_EQ(std::vector<WPARAM>{VUP_NOTICE_VERSION_TOO_OLD}, run.Notices());
    EXPECT_EQ("qamo+ for Handheld\r\nVersion 1.3.0.0", run.messages.back().versionText);
}

TEST_F(Qualification, OnlyTheFirst260BytesOfTheVersionFileAreRead)
{
    const std::string first260 = "qamo+ for Handheld\r\nVersion 1.1.9.0" + std::string(225, ' ');
    ASSERT_EQ(260u, first260.size());
    SetVersionFile(first260 + "      \r\nsecond line\r\n");
    const WorkerResult run = Run();
    ASSERT_EQ(std::vector<WPARAM>{VUP_NOTICE_VERSION_TOO_OLD}, run.Notices());
    EXPECT_EQ(first260, run.messages.back().versionText);
    const std::vector<simhandheld::CallRecord> reads = run.CallsTo(L"CeReadFile");
    ASSERT_EQ(1u, reads.size());
    EXPECT_EQ(L"260", ArgumentOf(reads[0], L"bytes"));
}

}  // namespace
