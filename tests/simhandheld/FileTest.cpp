#include "RapiLibrary.h"

namespace {

const wchar_t kCab[] = L"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB";

class Files : public RapiTest {
public:
    Files()
    {
        handheld.CreateDirectory(L"\\Windows\\AppMgr\\Install");
        handheld.CreateDirectory(L"\\Storage Card");
    }
    void SetUp() override { ConnectOrFail(); }

    HANDLE Open(const wchar_t* path, DWORD access, DWORD disposition)
    {
        return rapi.CeCreateFile(path, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    DWORD Error() const { return GetLastError(); }
};

}  // namespace

TEST_F(Files, WhatIsWrittenThroughTheLinkIsReadBackThroughIt)
{
    std::string payload(70000, '\0');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(Put(kCab, payload));
    EXPECT_EQ(payload, handheld.ReadFile(kCab));

    HANDLE file = Open(kCab, GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_NE(nullptr, file);
    std::string back(payload.size() + 10, 'x');
    DWORD read = 0;
    ASSERT_TRUE(rapi.CeReadFile(file, back.data(), static_cast<DWORD>(back.size()), &read, nullptr));
    EXPECT_EQ(payload.size(), read);
    back.resize(read);
    EXPECT_EQ(payload, back);
    EXPECT_TRUE(rapi.CeCloseHandle(file));
}

TEST_F(Files, CreatingAFileInAMissingFolderFails)
{
    handheld.Remove(L"\\Storage Card");
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(L"\\Storage Card\\qamo.cab", GENERIC_WRITE, CREATE_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), Error());
}

TEST_F(Files, AReadOnlyFileCannotBeReplacedNorDeleted)
{
    handheld.WriteFile(kCab, "old");
    handheld.SetReadOnly(kCab, true);
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kCab, GENERIC_WRITE, CREATE_ALWAYS));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), Error());
    EXPECT_FALSE(rapi.CeDeleteFile(kCab));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), Error());
    EXPECT_EQ(std::string("old"), handheld.ReadFile(kCab));

    ASSERT_TRUE(rapi.CeSetFileAttributes(kCab, FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(handheld.IsReadOnly(kCab));
    EXPECT_TRUE(rapi.CeDeleteFile(kCab));
    EXPECT_FALSE(handheld.Exists(kCab));
}

TEST_F(Files, SettingReadOnlyThroughTheLinkShowsOnTheHandheld)
{
    handheld.WriteFile(kCab, "x");
    ASSERT_TRUE(rapi.CeSetFileAttributes(kCab, FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(handheld.IsReadOnly(kCab));
    EXPECT_FALSE(rapi.CeSetFileAttributes(L"\\Windows\\missing.txt", FILE_ATTRIBUTE_NORMAL));
}

TEST_F(Files, ANewFileIsNotCreatedOverAnExistingOne)
{
    handheld.WriteFile(kCab, "keep");
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(kCab, GENERIC_WRITE, CREATE_NEW));
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(L"\\Windows\\none.txt", GENERIC_READ, OPEN_EXISTING));
    HANDLE file = Open(kCab, GENERIC_WRITE, OPEN_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), Error());
    rapi.CeCloseHandle(file);
    EXPECT_EQ(std::string("keep"), handheld.ReadFile(kCab));
}

TEST_F(Files, AMoveNeverReplacesAFile)
{
    handheld.WriteFile(L"\\Storage Card\\a.cab", "a");
    handheld.WriteFile(L"\\Storage Card\\b.cab", "b");
    EXPECT_FALSE(rapi.CeMoveFile(L"\\Storage Card\\a.cab", L"\\Storage Card\\b.cab"));
    EXPECT_EQ(std::string("b"), handheld.ReadFile(L"\\Storage Card\\b.cab"));
    EXPECT_FALSE(rapi.CeMoveFile(L"\\Storage Card\\none.cab", L"\\Storage Card\\c.cab"));
    EXPECT_TRUE(rapi.CeMoveFile(L"\\Storage Card\\a.cab", kCab));
    EXPECT_FALSE(handheld.Exists(L"\\Storage Card\\a.cab"));
    EXPECT_EQ(std::string("a"), handheld.ReadFile(kCab));
}

TEST_F(Files, DeletingAMissingFileFails)
{
    EXPECT_FALSE(rapi.CeDeleteFile(L"\\Storage Card\\none.cab"));
    EXPECT_FALSE(rapi.CeDeleteFile(L"\\Storage Card"));
    EXPECT_TRUE(handheld.Exists(L"\\Storage Card"));
}

TEST_F(Files, AFolderIsCreatedOnlyOnceAndOnlyInAnExistingOne)
{
    EXPECT_TRUE(rapi.CeCreateDirectory(L"\\SD-MMC card", nullptr));
    EXPECT_FALSE(rapi.CeCreateDirectory(L"\\SD-MMC card", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), Error());
    EXPECT_FALSE(rapi.CeCreateDirectory(L"\\sd-mmc CARD", nullptr));
    EXPECT_FALSE(rapi.CeCreateDirectory(L"\\No Card\\Install", nullptr));
    EXPECT_FALSE(handheld.Exists(L"\\No Card"));
}

TEST_F(Files, NamesAreJapaneseAndCaseInsensitive)
{
    const std::wstring shortcut = simhandheld::kShortcutFile;
    handheld.WriteFile(shortcut, "46#\"\\Program Files\\qamo\\qamo.exe\"");
    EXPECT_TRUE(rapi.CeSetFileAttributes(L"\\WINDOWS\\スタート メニュー\\プログラム\\QAMO+(gps).LNK", FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(handheld.IsReadOnly(shortcut));
    EXPECT_TRUE(rapi.CeCreateDirectory(L"\\Windows\\スタート メニュー\\プログラム\\新しいフォルダ", nullptr));
    EXPECT_TRUE(Put(L"\\Windows\\スタート メニュー\\プログラム\\新しいフォルダ\\説明.txt", "abc"));
    EXPECT_EQ(std::string("abc"), handheld.ReadFile(L"\\Windows\\スタート メニュー\\プログラム\\新しいフォルダ\\説明.txt"));
}

TEST_F(Files, PathsOutsideTheHandheldAreRefused)
{
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(L"\\..\\device.ini", GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(L"Windows\\x.txt", GENERIC_WRITE, CREATE_ALWAYS));
    EXPECT_FALSE(rapi.CeDeleteFile(L"\\Windows\\..\\..\\registry.reg"));
    EXPECT_FALSE(rapi.CeCreateDirectory(L"C:\\outside", nullptr));
}

TEST_F(Files, CountsMustBeGivenAPlace)
{
    HANDLE file = Open(kCab, GENERIC_WRITE | GENERIC_READ, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    char buffer[4] = "abc";
    EXPECT_FALSE(rapi.CeWriteFile(file, buffer, 3, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Error());
    EXPECT_FALSE(rapi.CeReadFile(file, buffer, 3, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Error());
    EXPECT_TRUE(rapi.CeCloseHandle(file));
    EXPECT_EQ(std::string(), handheld.ReadFile(kCab));
}

TEST_F(Files, OnlyHandlesTheLinkGaveOutCanBeClosed)
{
    HANDLE file = Open(kCab, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_TRUE(rapi.CeCloseHandle(file));
    EXPECT_FALSE(rapi.CeCloseHandle(file));
    EXPECT_FALSE(rapi.CeCloseHandle(reinterpret_cast<HANDLE>(0x7777)));
    DWORD n = 0;
    EXPECT_FALSE(rapi.CeWriteFile(file, "x", 1, &n, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), Error());
}

TEST_F(Files, AnEndedConnectionLeavesNoFileOpen)
{
    HANDLE file = Open(kCab, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    ASSERT_EQ(S_OK, rapi.CeRapiUninit());
    EXPECT_NO_THROW(handheld.Remove(kCab));
    EXPECT_FALSE(handheld.Exists(kCab));
}

TEST_F(Files, AStartedProgramIsRecordedAndItsHandlesClose)
{
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(rapi.CeCreateProcess(L"\\Windows\\wceload.exe", L"/noui \"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB\"",
                                     nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi));
    EXPECT_NE(nullptr, pi.hProcess);
    EXPECT_NE(pi.hProcess, pi.hThread);
    EXPECT_TRUE(rapi.CeCloseHandle(pi.hThread));
    EXPECT_TRUE(rapi.CeCloseHandle(pi.hProcess));
    const auto started = handheld.StartedPrograms();
    ASSERT_EQ(1u, started.size());
    EXPECT_EQ(L"\\Windows\\wceload.exe", started[0].program);
    EXPECT_EQ(L"/noui \"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB\"", started[0].commandLine);
}
