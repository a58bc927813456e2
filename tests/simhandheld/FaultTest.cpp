#include "RapiLibrary.h"

using simhandheld::CallRecord;

namespace {

const wchar_t kCab[] = L"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB";

class Faults : public RapiTest {
public:
    Faults() { handheld.CreateDirectory(L"\\Windows\\AppMgr\\Install"); }

    HANDLE OpenCab()
    {
        return rapi.CeCreateFile(kCab, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    BOOL Write(HANDLE file, const std::string& bytes)
    {
        DWORD written = 0;
        return rapi.CeWriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    std::vector<CallRecord> CallsOf(const wchar_t* function) const
    {
        std::vector<CallRecord> found;
        for (const CallRecord& c : handheld.Calls())
            if (c.function == function)
                found.push_back(c);
        return found;
    }
};

}  // namespace

TEST_F(Faults, TheNthWriteFailsAndWritesNothing)
{
    handheld.Set(L"fail-call=CeWriteFile:3");
    ConnectOrFail();
    HANDLE file = OpenCab();
    EXPECT_TRUE(Write(file, "one."));
    EXPECT_TRUE(Write(file, "two."));
    EXPECT_FALSE(Write(file, "three."));
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), GetLastError());
    EXPECT_TRUE(Write(file, "four."));
    rapi.CeCloseHandle(file);
    EXPECT_EQ(std::string("one.two.four."), handheld.ReadFile(kCab));
}

TEST_F(Faults, TheNthWriteTakesOnlyItsFirstBytesAndSaysSo)
{
    handheld.Set(L"short-write=2:3");
    ConnectOrFail();
    HANDLE file = OpenCab();
    EXPECT_TRUE(Write(file, "one."));
    DWORD written = 0;
    EXPECT_TRUE(rapi.CeWriteFile(file, "two.", 4, &written, nullptr));
    EXPECT_EQ(3u, written);
    EXPECT_TRUE(Write(file, "three."));
    rapi.CeCloseHandle(file);
    EXPECT_EQ(std::string("one.twothree."), handheld.ReadFile(kCab));
}

TEST_F(Faults, CallsAreCountedAgainForEachConnection)
{
    handheld.Set(L"fail-call=CeCreateDirectory:1");
    ConnectOrFail();
    EXPECT_FALSE(rapi.CeCreateDirectory(L"\\Storage Card", nullptr));
    EXPECT_TRUE(rapi.CeCreateDirectory(L"\\SD-MMC card", nullptr));
    ConnectOrFail();
    EXPECT_FALSE(rapi.CeCreateDirectory(L"\\Storage Card", nullptr));
    EXPECT_FALSE(handheld.Exists(L"\\Storage Card"));
}

TEST_F(Faults, TheNthCallFailsWhateverItIs)
{
    handheld.Set(L"fail-nth=3");
    ConnectOrFail();
    EXPECT_EQ(96, rapi.CeGetDesktopDeviceCaps(LOGPIXELSX));
    EXPECT_EQ(0, rapi.CeGetDesktopDeviceCaps(LOGPIXELSX));
    EXPECT_EQ(96, rapi.CeGetDesktopDeviceCaps(LOGPIXELSX));
}

TEST_F(Faults, TheFirstCallIsTheStart)
{
    handheld.Set(L"fail-nth=1");
    RAPIINIT init{sizeof(RAPIINIT), nullptr, S_OK};
    EXPECT_EQ(E_FAIL, rapi.CeRapiInitEx(&init));
}

TEST_F(Faults, ACallOnTheNamedPathFails)
{
    handheld.Set(L"fail-path=CeCreateFile:" + std::wstring(kCab));
    ConnectOrFail();
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenCab());
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), GetLastError());
    EXPECT_FALSE(handheld.Exists(kCab));
    EXPECT_TRUE(Put(L"\\Windows\\AppMgr\\Install\\other.CAB", "x"));
}

TEST_F(Faults, ARegistryCallOnTheNamedKeyFails)
{
    handheld.Set(L"fail-path=CeRegOpenKeyEx:HKEY_LOCAL_MACHINE\\Platform");
    handheld.SetValue(HKEY_LOCAL_MACHINE, L"Platform", L"Name", simhandheld::StringValue(L"SMDK6410"));
    ConnectOrFail();
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_GEN_FAILURE, rapi.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, L"platform", 0, 0, &key));
    EXPECT_EQ(ERROR_SUCCESS, rapi.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, L"", 0, 0, &key));
}

// A value that is there but cannot be read: not the "not found" of a missing value.
TEST_F(Faults, AReadOfTheNamedValueFailsAsAGlitchNotAsMissing)
{
    handheld.Set(L"fail-path=CeRegQueryValueEx:HKEY_LOCAL_MACHINE\\Platform\\Name");
    handheld.SetValue(HKEY_LOCAL_MACHINE, L"Platform", L"Name", simhandheld::StringValue(L"SMDK6410"));
    handheld.SetValue(HKEY_LOCAL_MACHINE, L"Platform", L"Other", simhandheld::DwordValue(1));
    ConnectOrFail();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, rapi.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, L"Platform", 0, 0, &key));
    BYTE data[64];
    DWORD size = sizeof(data);
    EXPECT_EQ(ERROR_GEN_FAILURE, rapi.CeRegQueryValueEx(key, L"Name", nullptr, nullptr, data, &size));
    size = sizeof(data);
    EXPECT_EQ(ERROR_SUCCESS, rapi.CeRegQueryValueEx(key, L"Other", nullptr, nullptr, data, &size));
}

TEST_F(Faults, TheNamedEventIsSetOnceTheChosenCallIsDone)
{
    HANDLE cancel = CreateEventW(nullptr, TRUE, FALSE, L"qamovup-test-cancel-sim");
    handheld.Set(L"signal=CeMoveFile:2:qamovup-test-cancel-sim");
    handheld.WriteFile(L"\\Windows\\a", "a");
    ConnectOrFail();
    EXPECT_TRUE(rapi.CeMoveFile(L"\\Windows\\a", L"\\Windows\\b"));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(cancel, 0));
    EXPECT_TRUE(rapi.CeMoveFile(L"\\Windows\\b", L"\\Windows\\c"));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(cancel, 0));
    EXPECT_TRUE(handheld.Exists(L"\\Windows\\c"));
    CloseHandle(cancel);
}

TEST_F(Faults, ClearingFaultsKeepsTheOtherSettings)
{
    handheld.Set(L"dpi=131");
    handheld.Set(L"fail-nth=2");
    handheld.Set(L"clear-faults");
    ConnectOrFail();
    EXPECT_EQ(131, rapi.CeGetDesktopDeviceCaps(LOGPIXELSX));
}

TEST_F(Faults, TheLogNamesEveryCallWithItsArgumentsAndResult)
{
    handheld.Set(L"fail-call=CeDeleteFile:1");
    ConnectOrFail();
    HANDLE file = OpenCab();
    Write(file, std::string(1234, 'x'));
    rapi.CeCloseHandle(file);
    rapi.CeDeleteFile(kCab);
    rapi.CeRapiUninit();
    const std::vector<CallRecord> calls = handheld.Calls();
    ASSERT_EQ(6u, calls.size());
    const wchar_t* expected[] = {L"CeRapiInitEx", L"CeCreateFile", L"CeWriteFile",
                                 L"CeCloseHandle", L"CeDeleteFile", L"CeRapiUninit"};
    for (unsigned i = 0; i < 6; ++i) {
        EXPECT_EQ(expected[i], calls[i].function);
        EXPECT_EQ(i + 1, calls[i].seq);
        EXPECT_LE(calls[i].startMicros, calls[i].endMicros);
        if (i > 0) {
            EXPECT_LE(calls[i - 1].endMicros, calls[i].startMicros);
        }
    }
    EXPECT_NE(std::wstring::npos, calls[1].arguments.find(L"\"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB\""));
    EXPECT_NE(std::wstring::npos, calls[1].arguments.find(L"0x40000000"));
    EXPECT_NE(std::wstring::npos, calls[2].arguments.find(L"bytes=1234"));
    EXPECT_NE(std::wstring::npos, calls[2].result.find(L"written=1234"));
    EXPECT_FALSE(calls[2].failed);
    EXPECT_TRUE(calls[4].failed);
    EXPECT_TRUE(calls[4].faulted);
    EXPECT_EQ(L"FALSE error=31", calls[4].result);
}

TEST_F(Faults, WritingTakesAtLeastTheLinksTime)
{
    handheld.Set(L"link-bps=100000");
    ConnectOrFail();
    HANDLE file = OpenCab();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Write(file, std::string(10000, 'z')));
    rapi.CeCloseHandle(file);
    long long total = 0;
    for (const CallRecord& c : CallsOf(L"CeWriteFile")) {
        EXPECT_GE(c.endMicros - c.startMicros, 100000);  // 10,000 bytes at 100,000 bytes/s
        total += c.endMicros - c.startMicros;
    }
    EXPECT_GE(total, 300000);
}

TEST_F(Faults, EveryCallTakesAtLeastTheLatency)
{
    handheld.Set(L"latency-ms=30");
    handheld.Set(L"delay=CeCreateDirectory:2:50");
    ConnectOrFail();
    rapi.CeCreateDirectory(L"\\A", nullptr);
    rapi.CeCreateDirectory(L"\\B", nullptr);
    const std::vector<CallRecord> calls = CallsOf(L"CeCreateDirectory");
    ASSERT_EQ(2u, calls.size());
    EXPECT_GE(calls[0].endMicros - calls[0].startMicros, 30000);
    EXPECT_GE(calls[1].endMicros - calls[1].startMicros, 80000);
}
