// How the device link loads the remote API library, starts a connection and lets go of both.
#include "WorkerHarness.h"
#include "devicelink/RapiClass.h"
#include "simhandheld/Folder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qamovup_test::HandheldTest;
using simhandheld::ConnectionMode;

bool Loaded(const wchar_t* library)
{
    return ::GetModuleHandleW(library) != nullptr;
}

class ConnectTest : public HandheldTest {
protected:
    size_t CallsTo(const wchar_t* function) const
    {
        size_t n = 0;
        for (const simhandheld::CallRecord& call : handheld->Calls())
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
    EXPECT_TRUE(handheld->Calls().empty());
    EXPECT_FALSE(Loaded(L"rapi.dll"));
}

TEST_F(ConnectTest, ALibraryLackingAnEntryPointIsALoadFailureNeverStartedAndUnloadedAtOnce)
{
    RapiClass rapi(L"rapi_incomplete.dll");
    EXPECT_EQ(RAPI_LOAD_FAILED, rapi.Connect());
    EXPECT_FALSE(Loaded(L"rapi_incomplete.dll"));
    EXPECT_TRUE(handheld->Calls().empty());
}

TEST_F(ConnectTest, ARefusedStartIsALoadFailureAndIsNeverEnded)
{
    handheld->SetConnectionMode(ConnectionMode::Refuse);
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
    handheld->SetConnectionMode(ConnectionMode::Fail);
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
    handheld->SetConnectionMode(ConnectionMode::Silent);
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
    second.PrepareDefault();
    {
        RapiClass rapi;
        ASSERT_EQ(RAPI_CONNECTED, rapi.Connect());
        second.MakeCurrent();
        ASSERT_EQ(RAPI_CONNECTED, rapi.Connect());

        const std::vector<simhandheld::CallRecord> first = handheld->Calls();
        ASSERT_EQ(2u, first.size());
        EXPECT_EQ(L"CeRapiInitEx", first[0].function);
        EXPECT_EQ(L"CeRapiUninit", first[1].function);
        const std::vector<simhandheld::CallRecord> now = second.Calls();
        ASSERT_EQ(1u, now.size());
        EXPECT_EQ(L"CeRapiInitEx", now[0].function);
        EXPECT_LE(first[1].endMicros, now[0].startMicros);
    }
    EXPECT_EQ(2u, second.Calls().size());
    EXPECT_EQ(2u, handheld->Calls().size());
    EXPECT_FALSE(Loaded(L"rapi.dll"));
    simhandheld::RemoveTree(second.Folder());
}

std::wstring SystemFolderFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, n) + L"\\" + name;
}

TEST_F(ConnectTest, ALibraryPlantedInTheWorkingFolderIsNeverLoaded)
{
    const std::wstring planted = simhandheld::Handheld::TemporaryFolder(L"ConnectTest.planted");
    ASSERT_TRUE(::CopyFileW(SystemFolderFile(L"rapi_incomplete.dll").c_str(), (planted + L"\\rapi.dll").c_str(), FALSE));
    wchar_t previous[MAX_PATH];
    ASSERT_NE(0u, ::GetCurrentDirectoryW(MAX_PATH, previous));
    ASSERT_TRUE(::SetCurrentDirectoryW(planted.c_str()));
    {
        RapiClass rapi;
        EXPECT_EQ(RAPI_CONNECTED, rapi.Connect());
        wchar_t loaded[MAX_PATH] = {};
        ::GetModuleFileNameW(::GetModuleHandleW(L"rapi.dll"), loaded, MAX_PATH);
        EXPECT_EQ(0, ::lstrcmpiW(SystemFolderFile(L"rapi.dll").c_str(), loaded));
    }
    ::SetCurrentDirectoryW(previous);
    EXPECT_FALSE(Loaded(L"rapi.dll"));
    simhandheld::RemoveTree(planted);
}

}  // namespace
