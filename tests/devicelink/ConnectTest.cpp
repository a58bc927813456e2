// How the device link loads the remote API library, starts a connection and lets go of both.
#include "WorkerHarness.h"
#include "devicelink/RapiClass.h"
#include "simhandheld/Folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qamovup_test::HandheldTest;

bool Loaded(const wchar_t* library)
{
    return ::GetModuleHandleW(library) != nullptr;
}

class ConnectTest : public HandheldTest {
protected:
    size_t CallsTo(const wchar_t* function) const
    {
        size_t n = 0;
        for (const simhandheld::CallRecord& call : handheld.Calls())
            n += call.function == function ? 1 : 0;
        return n;
    }
};

TEST_F(ConnectTest, AnAnsweringHandheldConnectsAndIsLetGoOnceWhenTheLinkEnds)
{
    {
        RapiClass rapi;
        ASSERT_EQ(RAPI_CONNECTED, rapi.Connect());
        EXPECT_TRUE(Loaded(L"rapi.dll"));
        EXPECT_NE(nullptr, rapi.CeRegDeleteKey);
        EXPECT_EQ(0u, CallsTo(L"CeRapiUninit"));
    }
    EXPECT_EQ(1u, CallsTo(L"CeRapiInitEx"));
    EXPECT_EQ(1u, CallsTo(L"CeRapiUninit"));
    EXPECT_FALSE(Loaded(L"rapi.dll"));
}

TEST_F(ConnectTest, AMissingLibraryIsALoadFailureAndTheLinkCallsNothingWhenItEnds)
{
    {
        RapiClass rapi(L"qamovup_no_such_rapi.dll");
        EXPECT_EQ(RAPI_LOAD_FAILED, rapi.Connect());
    }
    EXPECT_TRUE(handheld.Calls().empty());
    EXPECT_FALSE(Loaded(L"rapi.dll"));
}

TEST_F(ConnectTest, ALibraryLackingAnEntryPointIsALoadFailureNeverStartedAndUnloadedAtOnce)
{
    RapiClass rapi(L"rapi_incomplete.dll");
    EXPECT_EQ(RAPI_LOAD_FAILED, rapi.Connect());
    EXPECT_FALSE(Loaded(L"rapi_incomplete.dll"));
    EXPECT_TRUE(handheld.Calls().empty());
}

TEST_F(ConnectTest, ARefusedStartIsALoadFailureAndIsNeverEnded)
{
    handheld.Set(L"connection=refuse");
    {
        RapiClass rapi;
        EXPECT_EQ(RAPI_LOAD_FAILED, rapi.Connect());
    }
    EXPECT_EQ(1u, CallsTo(L"CeRapiInitEx"));
    EXPECT_EQ(0u, CallsTo(L"CeRapiUninit"));
    EXPECT_FALSE(Loaded(L"rapi.dll"));
}

TEST_F(ConnectTest, AStartThatCompletesWithAFailureIsReportedAndEndedOnceWhenTheLinkEnds)
{
    handheld.Set(L"connection=fail");
    {
        RapiClass rapi;
        EXPECT_EQ(RAPI_START_FAILED, rapi.Connect());
        EXPECT_EQ(0u, CallsTo(L"CeRapiUninit"));
    }
    EXPECT_EQ(1u, CallsTo(L"CeRapiUninit"));
    EXPECT_FALSE(Loaded(L"rapi.dll"));
}

TEST_F(ConnectTest, AHandheldThatNeverAnswersIsGivenFiveSecondsThenEndedOnceWhenTheLinkEnds)
{
    handheld.Set(L"connection=silent");
    {
        RapiClass rapi;
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(RAPI_NO_ANSWER, rapi.Connect());
        // The tick count may lag by one tick: allow for it, never for giving up early.
        EXPECT_GE(::GetTickCount() - start + 20, kRapiConnectTimeoutMs);
        EXPECT_EQ(0u, CallsTo(L"CeRapiUninit"));
    }
    EXPECT_EQ(1u, CallsTo(L"CeRapiUninit"));
    EXPECT_FALSE(Loaded(L"rapi.dll"));
}

TEST_F(ConnectTest, ConnectingAgainEndsTheFirstConnectionBeforeTheSecondStarts)
{
    // The library reads the handheld's folder at each start: the first connection's calls stay
    // in the first folder, the second's go to the second.
    simhandheld::Handheld second(simhandheld::Handheld::TemporaryFolder(L"ConnectTest.second"));
    second.Prepare();
    {
        RapiClass rapi;
        ASSERT_EQ(RAPI_CONNECTED, rapi.Connect());
        second.MakeCurrent();
        ASSERT_EQ(RAPI_CONNECTED, rapi.Connect());

        const std::vector<simhandheld::CallRecord> first = handheld.Calls();
        ASSERT_EQ(2u, first.size());
        EXPECT_EQ(L"CeRapiInitEx", first[0].function);
        EXPECT_EQ(L"CeRapiUninit", first[1].function);
        const std::vector<simhandheld::CallRecord> now = second.Calls();
        ASSERT_EQ(1u, now.size());
        EXPECT_EQ(L"CeRapiInitEx", now[0].function);
        EXPECT_LE(first[1].endMicros, now[0].startMicros);
    }
    EXPECT_EQ(2u, second.Calls().size());
    EXPECT_EQ(2u, handheld.Calls().size());
    EXPECT_FALSE(Loaded(L"rapi.dll"));
    simhandheld::RemoveTree(second.Folder());
}

std::wstring SystemFolderFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, n) + L"\\" + name;
}

std::wstring LoadedPath(const wchar_t* library)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(library), path, MAX_PATH);
    return path;
}

// Both ways of naming the system folder to the loader: the search flag of current systems, and
// the full path that Windows XP, Vista and an unpatched 7 take. Copies of the library lacking an
// entry point are planted beside this program and in the working folder, as rapi.dll and under a
// name that the system folder does not have.
class SystemFolderOnly : public testing::TestWithParam<SystemLibrary::Lookup> {
protected:
    SystemFolderOnly() : working(simhandheld::Handheld::TemporaryFolder(L"ConnectTest.working"))
    {
        wchar_t program[MAX_PATH];
        const DWORD n = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
        const std::wstring beside(program, std::wstring(program, n).rfind(L'\\'));
        for (const std::wstring& folder : {beside, working}) {
            for (const wchar_t* name : {L"\\rapi.dll", L"\\qamovup_planted.dll"}) {
                planted.push_back(folder + name);
                if (!::CopyFileW(SystemFolderFile(L"rapi_incomplete.dll").c_str(), planted.back().c_str(), FALSE))
                    ADD_FAILURE() << "cannot plant " << simhandheld::ToUtf8(planted.back());
            }
        }
        ::GetCurrentDirectoryW(MAX_PATH, previous);
        ::SetCurrentDirectoryW(working.c_str());
    }
    ~SystemFolderOnly() override
    {
        ::SetCurrentDirectoryW(previous);
        for (const std::wstring& file : planted)
            ::DeleteFileW(file.c_str());
        simhandheld::RemoveTree(working);
    }

    std::wstring working;
    std::vector<std::wstring> planted;
    wchar_t previous[MAX_PATH] = {};
};

TEST_P(SystemFolderOnly, TheSystemFoldersCopyIsTheOneLoaded)
{
    {
        SystemLibrary library;
        ASSERT_TRUE(library.Load(L"rapi.dll", GetParam()));
        EXPECT_EQ(0, ::lstrcmpiW(SystemFolderFile(L"rapi.dll").c_str(), LoadedPath(L"rapi.dll").c_str()))
            << simhandheld::ToUtf8(LoadedPath(L"rapi.dll"));
        EXPECT_NE(nullptr, library.Find("CeRegDeleteKey"));
    }
    EXPECT_FALSE(Loaded(L"rapi.dll"));
}

TEST_P(SystemFolderOnly, ALibraryMissingThereIsNotLoadedFromElsewhere)
{
    SystemLibrary library;
    EXPECT_FALSE(library.Load(L"qamovup_planted.dll", GetParam()));
    EXPECT_FALSE(Loaded(L"qamovup_planted.dll"));
}

INSTANTIATE_TEST_SUITE_P(Lookups, SystemFolderOnly,
                         testing::Values(SystemLibrary::Lookup::SearchFlag, SystemLibrary::Lookup::FullPath),
                         [](const testing::TestParamInfo<SystemLibrary::Lookup>& info) {
                             return info.param == SystemLibrary::Lookup::SearchFlag ? "SearchFlag" : "FullPath";
                         });

}  // namespace
