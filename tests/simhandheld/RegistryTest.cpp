#include "RapiLibrary.h"

#include "simhandheld/Folder.h"

using simhandheld::RegValue;

namespace {

const wchar_t kLauncher[] = L"Software\\Palvar-Ostrand\\Tarvek\\FileList\\qamo+(GPS)";

class RemoteRegistry : public RapiTest {
public:
    void SetUp() override { ConnectOrFail(); }

    HKEY Create(HKEY root, const wchar_t* path, DWORD* disposition = nullptr)
    {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, rapi.CeRegCreateKeyEx(root, path, 0, nullptr, 0, 0, nullptr, &key, disposition));
        return key;
    }
    LONG Set(HKEY key, const wchar_t* name, DWORD type, const std::string& bytes)
    {
        return rapi.CeRegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                    static_cast<DWORD>(bytes.size()));
    }
    std::optional<RegValue> Query(HKEY key, const wchar_t* name)
    {
        DWORD size = 0, type = 0;
        if (rapi.CeRegQueryValueEx(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::string bytes(size, '\0');
        const LONG status = rapi.CeRegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        bytes.resize(size);
        return RegValue{type, bytes};
    }
};

std::string Units(const std::wstring& text)
{
    return simhandheld::StringValue(text).bytes;
}

}  // namespace

TEST_F(RemoteRegistry, AMissingKeyCannotBeOpened)
{
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, rapi.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, L"Platform", 0, 0, &key));
    handheld.SetValue(HKEY_LOCAL_MACHINE, L"Platform", L"Name", simhandheld::StringValue(L"SMDK6410"));
    ASSERT_EQ(ERROR_SUCCESS, rapi.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, L"PLATFORM", 0, 0, &key));
    EXPECT_EQ(simhandheld::StringValue(L"SMDK6410"), Query(key, L"name"));
    DWORD size = 4;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, rapi.CeRegQueryValueEx(key, L"Version", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_SUCCESS, rapi.CeRegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, rapi.CeRegCloseKey(key));
}

TEST_F(RemoteRegistry, ATooSmallBufferGetsTheSizeAndNoData)
{
    handheld.SetValue(HKEY_CURRENT_USER, kLauncher, L"FileName", simhandheld::StringValue(L"\\Program Files\\qamo\\qamo.exe"));
    HKEY key = Create(HKEY_CURRENT_USER, kLauncher);
    BYTE buffer[8];
    memset(buffer, 0xAB, sizeof buffer);
    DWORD size = sizeof buffer, type = 0;
    EXPECT_EQ(ERROR_MORE_DATA, rapi.CeRegQueryValueEx(key, L"FileName", nullptr, &type, buffer, &size));
    EXPECT_EQ(Units(L"\\Program Files\\qamo\\qamo.exe").size(), size);
    for (BYTE b : buffer)
        EXPECT_EQ(0xAB, b);
}

TEST_F(RemoteRegistry, CreatingMakesTheParentsAndTellsWhetherTheKeyIsNew)
{
    DWORD disposition = 0;
    HKEY key = Create(HKEY_CURRENT_USER, kLauncher, &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    EXPECT_TRUE(handheld.KeyExists(HKEY_CURRENT_USER, L"Software\\Palvar-Ostrand\\Tarvek"));
    rapi.CeRegCloseKey(key);
    key = Create(HKEY_CURRENT_USER, L"software\\palvar-ostrand\\tarvek\\FILELIST\\qamo+(GPS)", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    HKEY child = Create(key, L"Child");
    EXPECT_TRUE(handheld.KeyExists(HKEY_CURRENT_USER, std::wstring(kLauncher) + L"\\Child"));
    rapi.CeRegCloseKey(child);
    rapi.CeRegCloseKey(key);
}

TEST_F(RemoteRegistry, OnlyAKeyWithoutSubkeysCanBeDeleted)
{
    handheld.CreateKey(HKEY_CURRENT_USER, std::wstring(kLauncher) + L"\\Child");
    EXPECT_NE(ERROR_SUCCESS, rapi.CeRegDeleteKey(HKEY_CURRENT_USER, kLauncher));
    EXPECT_TRUE(handheld.KeyExists(HKEY_CURRENT_USER, kLauncher));
    EXPECT_EQ(ERROR_SUCCESS, rapi.CeRegDeleteKey(HKEY_CURRENT_USER, (std::wstring(kLauncher) + L"\\Child").c_str()));
    EXPECT_EQ(ERROR_SUCCESS, rapi.CeRegDeleteKey(HKEY_CURRENT_USER, kLauncher));
    EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, kLauncher));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, rapi.CeRegDeleteKey(HKEY_CURRENT_USER, kLauncher));
}

TEST_F(RemoteRegistry, ValuesKeepTheirExactBytesAcrossAReload)
{
    const std::string unterminated = Units(L"1.2.1.0").substr(0, 14);
    const std::string oddLength = Units(L"abc").substr(0, 5);
    const std::string embeddedNull = Units(L"a") + Units(L"b");
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    std::string longValue;
    for (int i = 0; i < 20000; ++i)
        longValue += static_cast<char>(i * 31 + 7);
    const std::string multi = Units(L"one") + Units(L"二") + std::string(2, '\0');
    const std::string shortDword = "\x01\x02";
    const struct {
        const wchar_t* name;
        DWORD type;
        std::string bytes;
    } values[] = {
        {L"Unterminated", REG_SZ, unterminated},   {L"OddLength", REG_SZ, oddLength},
        {L"EmbeddedNull", REG_SZ, embeddedNull},   {L"Empty", REG_SZ, ""},
        {L"Quoted \"\\ name", REG_SZ, Units(L"C:\\\"x\" ; [y]")},
        {L"Binary", REG_BINARY, binary},           {L"Long", REG_BINARY, longValue},
        {L"Multi", REG_MULTI_SZ, multi},           {L"Expand", REG_EXPAND_SZ, Units(L"%windir%")},
        {L"None", REG_NONE, "\x00\x01"},           {L"Dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
        {L"ShortDword", REG_DWORD, shortDword},    {L"Odd type", 0x12345, "xyz"},
        {L"", REG_SZ, Units(L"default")},          {L"日本語の名前", REG_SZ, Units(L"ＧＰＳ付き")},
    };
    HKEY key = Create(HKEY_LOCAL_MACHINE, L"Software\\Palvar-Ostrand");
    for (const auto& v : values)
        ASSERT_EQ(ERROR_SUCCESS, Set(key, v.name, v.type, v.bytes)) << simhandheld::ToUtf8(v.name);
    ASSERT_EQ(S_OK, rapi.CeRapiUninit());
    rapi.Load();
    ConnectOrFail();
    HKEY again = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, rapi.CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, L"Software\\Palvar-Ostrand", 0, 0, &again));
    for (const auto& v : values) {
        const std::optional<RegValue> back = Query(again, v.name);
        ASSERT_TRUE(back.has_value()) << simhandheld::ToUtf8(v.name);
        EXPECT_EQ(v.type, back->type) << simhandheld::ToUtf8(v.name);
        EXPECT_EQ(v.bytes, back->bytes) << simhandheld::ToUtf8(v.name);
    }
}

TEST_F(RemoteRegistry, TheRegistryFileIsWhatRegeditWrites)
{
    HKEY key = Create(HKEY_LOCAL_MACHINE, L"Platform");
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Name", REG_SZ, Units(L"SMDK6410")));
    std::string bytes;
    ASSERT_TRUE(simhandheld::ReadWholeFile(simhandheld::InFolder(handheld.Folder(), simhandheld::kRegistryFile), bytes));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
    const std::wstring text = simhandheld::DecodeTextFile(bytes).value_or(L"");
    EXPECT_EQ(0u, text.find(L"Windows Registry Editor Version 5.00\r\n"));
    EXPECT_NE(std::wstring::npos, text.find(L"[HKEY_LOCAL_MACHINE\\Platform]\r\n\"Name\"=\"SMDK6410\"\r\n"));
}

TEST_F(RemoteRegistry, ADeletedKeyCannotTakeValues)
{
    HKEY key = Create(HKEY_CURRENT_USER, kLauncher);
    ASSERT_EQ(ERROR_SUCCESS, rapi.CeRegDeleteKey(HKEY_CURRENT_USER, kLauncher));
    EXPECT_NE(ERROR_SUCCESS, Set(key, L"Index", REG_DWORD, std::string(4, '\0')));
    EXPECT_FALSE(handheld.KeyExists(HKEY_CURRENT_USER, kLauncher));
}

TEST_F(RemoteRegistry, AnotherProcessSeesTheChangesAtOnce)
{
    HKEY key = Create(HKEY_CURRENT_USER, kLauncher);
    ASSERT_EQ(ERROR_SUCCESS, Set(key, L"Index", REG_DWORD, std::string("\x03\0\0\0", 4)));
    // The helper reads the folder itself, as another process would.
    EXPECT_EQ(simhandheld::DwordValue(3), handheld.GetValue(HKEY_CURRENT_USER, kLauncher, L"Index"));
    handheld.SetValue(HKEY_CURRENT_USER, kLauncher, L"Index", simhandheld::DwordValue(4));
    EXPECT_EQ(simhandheld::DwordValue(4), Query(key, L"Index"));
}
