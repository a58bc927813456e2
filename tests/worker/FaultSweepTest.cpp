// Every remote call of a complete run, made to fail in turn: the run ends with the notice that
// call calls for, or carries on to the end where its result does not matter, and in either
// case leaves no half-written cabinet and lets go of the link.
#include "WorkerHarness.h"
#include "simhandheld/Folder.h"

#include <gtest/gtest.h>

#include <iostream>
#include <optional>

namespace {

using namespace qamovup_test;
using simhandheld::CallRecord;

const std::wstring kCopies[] = {paths::kCardCopy6410, paths::kInstallerCopy};

// The notice a failure of this call must end the run with; none where the run goes on.
std::optional<WPARAM> NoticeFor(const CallRecord& call, const simhandheld::Handheld& fresh)
{
    const std::wstring& f = call.function;
    // Its result is ignored, but an installer folder the handheld lacks then stays missing.
    if (f == L"CeCreateDirectory")
        return fresh.Exists(ArgumentOf(call, L"path")) ? std::nullopt
                                                         : std::optional<WPARAM>(VUP_NOTICE_INSTALL_CREATE_FAILED);
    if (f == L"CeRapiInitEx")
        return VUP_NOTICE_LOAD_FAILED;
    if (f == L"CeRegOpenKeyEx" && ArgumentOf(call, L"key") == L"HKEY_LOCAL_MACHINE\\Platform")
        return VUP_NOTICE_WRONG_PLATFORM;
    if (f == L"CeRegQueryValueEx" && ArgumentOf(call, L"value") == L"HKEY_LOCAL_MACHINE\\Platform\\Name")
        return VUP_NOTICE_WRONG_PLATFORM;
    if (f == L"CeCreateFile" && ArgumentOf(call, L"path") == paths::kVersionFile)
        return VUP_NOTICE_NOT_INSTALLED;
    if (f == L"CeReadFile")
        return VUP_NOTICE_VERSION_TOO_OLD;
    if (f == L"CeCreateFile" && ArgumentOf(call, L"path") == paths::kCardCopy6410)
        return VUP_NOTICE_CARD_CREATE_FAILED;
    if (f == L"CeCreateFile" && ArgumentOf(call, L"path") == paths::kInstallerCopy)
        return VUP_NOTICE_INSTALL_CREATE_FAILED;
    if (f == L"CeWriteFile")
        return VUP_NOTICE_WRITE_FAILED;
    return std::nullopt;
}

const wchar_t* const kLauncherValues[] = {L"FileName", L"CommnadLine", L"Index"};

using LauncherEntry = std::vector<std::optional<simhandheld::RegValue>>;

LauncherEntry LauncherEntryAt(const simhandheld::Handheld& handheld, const wchar_t* key)
{
    LauncherEntry entry;
    for (const wchar_t* name : kLauncherValues)
        entry.push_back(handheld.GetValue(HKEY_CURRENT_USER, key, name));
    return entry;
}

// The launcher entry moves whole or not at all: the old one still holds every value it held, or
// the new one holds them all.
::testing::AssertionResult LauncherEntryWhole(const simhandheld::Handheld& handheld, const LauncherEntry& original)
{
    if (LauncherEntryAt(handheld, paths::kOldLauncherEntry) == original ||
        LauncherEntryAt(handheld, paths::kNewLauncherEntry) == original)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "neither the old nor the new launcher entry holds the old values";
}

class FaultSweep : public WorkerTest {};

TEST_F(FaultSweep, EveryFailingCallEndsWithItsNoticeOrIsIgnored)
{
    ASSERT_LT(EmbeddedCabinet().size(), 2u * 65535u) << "the sweep expects the small stand-in cabinet";
    const WorkerResult reference = Run(/*copyToCard=*/true);
    ASSERT_TRUE(reference.Notices().empty()) << Describe(reference.messages);
    ASSERT_TRUE(reference.messages.back().IsStage(VUP_STAGE_DONE));
    const std::vector<CallRecord> calls = reference.calls;
    ASSERT_GT(calls.size(), 30u);
    handheld.Prepare();
    const LauncherEntry launcherEntry = LauncherEntryAt(handheld, paths::kOldLauncherEntry);

    unsigned ended = 0;
    const DWORD start = ::GetTickCount();
    for (unsigned i = 1; i <= calls.size(); ++i) {
        const CallRecord& failing = calls[i - 1];
        SCOPED_TRACE(testing::Message() << "call " << i << ": " << testing::PrintToString(failing.function) << " "
                                        << testing::PrintToString(failing.arguments));
        handheld.Prepare();
        const std::optional<WPARAM> notice = NoticeFor(failing, handheld);
        handheld.Set(L"fail-nth=" + std::to_wstring(i));
        const WorkerResult run = Run(/*copyToCard=*/true);

        // Up to the failing call the run is the reference run.
        ASSERT_GE(run.calls.size(), i);
        EXPECT_EQ(failing.function, run.calls[i - 1].function);
        EXPECT_TRUE(run.calls[i - 1].faulted);

        if (notice) {
            ++ended;
            EXPECT_EQ(std::vector<WPARAM>{*notice}, run.Notices()) << Describe(run.messages);
            EXPECT_FALSE(run.messages.back().IsStage(VUP_STAGE_DONE));
            if (*notice == VUP_NOTICE_VERSION_TOO_OLD) {
                EXPECT_EQ("", run.messages.back().versionText);
            }
        } else {
            EXPECT_TRUE(run.Notices().empty()) << Describe(run.messages);
            EXPECT_TRUE(run.messages.back().IsStage(VUP_STAGE_DONE)) << Describe(run.messages);
        }
        for (const std::wstring& copy : kCopies)
            EXPECT_TRUE(!handheld.Exists(copy) || HoldsCabinet(handheld, copy)) << testing::PrintToString(copy);
        if (!run.started.empty()) {
            EXPECT_TRUE(HoldsCabinet(handheld, paths::kInstallerCopy)) << "the installer was started on it";
        }
        EXPECT_TRUE(LauncherEntryWhole(handheld, launcherEntry));
        EXPECT_EQ(i == 1 ? 0u : 1u, run.CountCalls(L"CeRapiUninit"));
        EXPECT_FALSE(run.libraryLoaded);
    }
    const DWORD elapsed = ::GetTickCount() - start;
    RecordProperty("runs", static_cast<int>(calls.size()));
    RecordProperty("milliseconds", static_cast<int>(elapsed));
    std::cout << "fault sweep: " << calls.size() << " runs in " << elapsed << " ms, " << ended
              << " ended by their notice, " << calls.size() - ended << " carried on to the end" << std::endl;
}

}  // namespace
