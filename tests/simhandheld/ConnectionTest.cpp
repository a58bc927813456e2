#include "RapiLibrary.h"
#include "tests/support/TestThread.h"

namespace {

bool Signalled(HANDLE event, DWORD waitMs)
{
    return WaitForSingleObject(event, waitMs) == WAIT_OBJECT_0;
}

}  // namespace

TEST(RapiExports, TheLibraryExportsEveryEntryPointTheToolResolves)
{
    RapiLibrary rapi;
    ASSERT_TRUE(rapi.IsLoaded()) << "rapi.dll is not in system32";
#define QAMOVUP_TEST_EXPECT(fn, ret, params) EXPECT_NE(nullptr, rapi.fn) << #fn;
    QAMOVUP_RAPI_ENTRY_POINTS(QAMOVUP_TEST_EXPECT)
#undef QAMOVUP_TEST_EXPECT
}

TEST(RapiExports, TheIncompleteLibraryLacksOnlyRegDeleteKey)
{
    RapiLibrary rapi(L"rapi_incomplete.dll");
    ASSERT_TRUE(rapi.IsLoaded());
    EXPECT_EQ(nullptr, rapi.CeRegDeleteKey);
    EXPECT_NE(nullptr, rapi.CeRegSetValueEx);
    EXPECT_NE(nullptr, rapi.CeMoveFile);
    EXPECT_NE(nullptr, rapi.CeRapiInitEx);
}

using Connection = RapiTest;

TEST_F(Connection, AnAnsweringHandheldCompletesTheStartThroughItsEvent)
{
    RAPIINIT init{sizeof(RAPIINIT), nullptr, E_FAIL};
    ASSERT_EQ(S_OK, rapi.CeRapiInitEx(&init));
    ASSERT_NE(nullptr, init.heRapiInit);
    ASSERT_TRUE(Signalled(init.heRapiInit, 30000));
    EXPECT_EQ(S_OK, init.hrRapiInit);
    EXPECT_EQ(96, rapi.CeGetDesktopDeviceCaps(LOGPIXELSX));
    EXPECT_EQ(S_OK, rapi.CeRapiUninit());
}

TEST_F(Connection, TheStartCompletesOnlyAfterTheLatency)
{
    handheld.Set(L"latency-ms=60000");
    RAPIINIT init{sizeof(RAPIINIT), nullptr, E_FAIL};
    ASSERT_EQ(S_OK, rapi.CeRapiInitEx(&init));
    EXPECT_FALSE(Signalled(init.heRapiInit, 0));
    // Ends the pending start; the library can then go without a thread left behind.
    EXPECT_EQ(S_OK, rapi.CeRapiUninit());
    rapi.Unload();
    EXPECT_EQ(nullptr, GetModuleHandleW(L"rapi.dll"));
    rapi.Load();
    ASSERT_TRUE(rapi.IsLoaded());
    EXPECT_EQ(S_OK, rapi.CeRapiUninit());
}

TEST_F(Connection, ARefusingHandheldFailsTheCallItself)
{
    handheld.Set(L"connection=refuse");
    RAPIINIT init{sizeof(RAPIINIT), nullptr, S_OK};
    EXPECT_EQ(E_FAIL, rapi.CeRapiInitEx(&init));
    EXPECT_EQ(nullptr, init.heRapiInit);
}

TEST_F(Connection, ASettingsFileThatCannotBeReadFailsTheStartAndTheLogSaysWhere)
{
    // A value that does not parse, and a path in the desktop's code page (取説 in 932), not UTF-8.
    for (const std::string& settings : {std::string("connection=refuse\r\nlatency-ms=5s\r\n"),
                                        std::string("dpi=120\r\nfail-path=CeCreateFile:\\\x8E\xE6\x90\xE0.txt\r\n")}) {
        ASSERT_TRUE(simhandheld::ReplaceWholeFile(simhandheld::InFolder(handheld.Folder(), simhandheld::kSettingsFile), settings));
        handheld.ClearRecords();
        RAPIINIT init{sizeof(RAPIINIT), nullptr, S_OK};
        EXPECT_TRUE(FAILED(rapi.CeRapiInitEx(&init))) << settings;
        EXPECT_EQ(nullptr, init.heRapiInit);
        const std::vector<simhandheld::CallRecord> calls = handheld.Calls();
        ASSERT_EQ(1u, calls.size());
        EXPECT_NE(std::wstring::npos, calls[0].result.find(L"device.ini: line 2: ")) << simhandheld::ToUtf8(calls[0].result);
    }
}

TEST_F(Connection, AFailingHandheldCompletesTheStartWithAFailure)
{
    handheld.Set(L"connection=fail");
    const HRESULT hr = Connect();
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_NE(E_PENDING, hr);
    EXPECT_EQ(0, rapi.CeGetDesktopDeviceCaps(LOGPIXELSX));
}

TEST_F(Connection, ASilentHandheldNeverSignals)
{
    handheld.Set(L"connection=silent");
    RAPIINIT init{sizeof(RAPIINIT), nullptr, E_FAIL};
    ASSERT_EQ(S_OK, rapi.CeRapiInitEx(&init));
    EXPECT_FALSE(Signalled(init.heRapiInit, 300));
    EXPECT_EQ(ERROR_NOT_CONNECTED, rapi.CeRegCloseKey(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(S_OK, rapi.CeRapiUninit());
}

TEST_F(Connection, WithoutAFolderNoHandheldIsConnected)
{
    SetEnvironmentVariableW(simhandheld::kHandheldVariable, (handheld.Folder() + L"\\missing").c_str());
    EXPECT_EQ(E_PENDING, Connect(300));
    SetEnvironmentVariableW(simhandheld::kHandheldVariable, nullptr);
    EXPECT_EQ(E_PENDING, Connect(300));
}

TEST_F(Connection, TheStartRecordMustHaveItsOwnSize)
{
    RAPIINIT init{sizeof(RAPIINIT) - 1, nullptr, S_OK};
    EXPECT_EQ(E_INVALIDARG, rapi.CeRapiInitEx(&init));
    EXPECT_EQ(E_INVALIDARG, rapi.CeRapiInitEx(nullptr));
}

TEST_F(Connection, NothingWorksBeforeAStart)
{
    DWORD written = 0;
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              rapi.CeCreateFile(L"\\x.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_FALSE(rapi.CeWriteFile(reinterpret_cast<HANDLE>(0x104), "x", 1, &written, nullptr));
    EXPECT_FALSE(rapi.CeCreateDirectory(L"\\Windows\\New", nullptr));
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, rapi.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, L"Platform", 0, 0, &key));
    EXPECT_FALSE(handheld.Exists(L"\\x.txt"));
}

TEST_F(Connection, AfterTheEndNothingWorksEither)
{
    ConnectOrFail();
    ASSERT_EQ(S_OK, rapi.CeRapiUninit());
    EXPECT_FALSE(rapi.CeCreateDirectory(L"\\Windows", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_CONNECTED), GetLastError());
}

TEST_F(Connection, SettingsAreReadAgainAtEveryStart)
{
    ConnectOrFail();
    handheld.Set(L"connection=refuse");
    handheld.Set(L"dpi=192");
    EXPECT_EQ(96, rapi.CeGetDesktopDeviceCaps(LOGPIXELSX));
    RAPIINIT init{sizeof(RAPIINIT), nullptr, S_OK};
    EXPECT_EQ(E_FAIL, rapi.CeRapiInitEx(&init));
    handheld.Set(L"connection=answer");
    ConnectOrFail();
    EXPECT_EQ(192, rapi.CeGetDesktopDeviceCaps(LOGPIXELSX));
}

TEST_F(Connection, TheDisplayLooksLikeAHandheldsDisplay)
{
    ConnectOrFail();
    EXPECT_EQ(480, rapi.CeGetDesktopDeviceCaps(HORZRES));
    EXPECT_EQ(640, rapi.CeGetDesktopDeviceCaps(VERTRES));
    EXPECT_EQ(16, rapi.CeGetDesktopDeviceCaps(BITSPIXEL));
    EXPECT_EQ(0, rapi.CeGetDesktopDeviceCaps(12345));
}

TEST_F(Connection, TheLibraryServesCallsFromAnyThread)
{
    ConnectOrFail();
    handheld.CreateDirectory(L"\\Storage Card");
    bool ok[4] = {};
    {
        TestThread threads[4];
        for (int i = 0; i < 4; ++i) {
            threads[i].Start([this, i, &ok] {
                const std::wstring path = L"\\Storage Card\\t" + std::to_wstring(i) + L".bin";
                ok[i] = true;
                for (int round = 0; round < 20; ++round)
                    ok[i] = ok[i] && Put(path.c_str(), std::string(1000, 'a' + i));
            });
        }
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(ok[i]);
        EXPECT_EQ(std::string(1000, 'a' + i), handheld.ReadFile(L"\\Storage Card\\t" + std::to_wstring(i) + L".bin"));
    }
}
