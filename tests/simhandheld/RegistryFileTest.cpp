// The folder's own files read and written without the library.
#include "simhandheld/Registry.h"
#include "simhandheld/Settings.h"
#include "simhandheld/Folder.h"
#include "simhandheld/SimHandheld.h"

#include <gtest/gtest.h>

using namespace simhandheld;

TEST(RegistryFile, ABrokenFileSaysWhere)
{
    std::wstring error;
    EXPECT_FALSE(Registry::Parse(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_NOWHERE\\x]\r\n", &error));
    EXPECT_EQ(0u, error.find(L"line 3: "));
    EXPECT_FALSE(Registry::Parse(L"Windows Registry Editor Version 5.00\r\n\"a\"=\"b\"\r\n", &error));
    EXPECT_FALSE(Registry::Parse(L"[HKEY_USERS\\x]\r\n", &error));
    EXPECT_FALSE(Registry::Parse(L"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\x]\r\n\"a\"=hex(3):1g\r\n", &error));
    EXPECT_FALSE(Registry::Parse(L"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\x]\r\n\"a\"=\"b\r\n", &error));
}

TEST(RegistryFile, EveryValueSurvivesWritingAndReading)
{
    Registry r;
    r.CreateKey(L"HKEY_USERS\\S-1\\Deep\\Key");
    unsigned seed = 12345;
    std::vector<RegValue> values;
    for (int i = 0; i < 200; ++i) {
        RegValue v;
        seed = seed * 1103515245 + 12345;
        v.type = (seed >> 8) % 12;
        const unsigned length = (seed >> 16) % 300;
        for (unsigned b = 0; b < length; ++b) {
            seed = seed * 1103515245 + 12345;
            v.bytes += static_cast<char>(seed >> 16);
        }
        values.push_back(v);
        r.SetValue(L"HKEY_USERS\\S-1\\Deep\\Key", L"v\"\\" + std::to_wstring(i), v);
    }
    r.SetValue(L"HKEY_USERS\\S-1\\Deep\\Key", L"", StringValue(L"C:\\\"x\" ; [y]"));
    r.CreateKey(L"HKEY_CLASSES_ROOT\\Empty\\Child");
    const std::optional<Registry> back = Registry::Parse(r.Format());
    ASSERT_TRUE(back.has_value());
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(values[i], back->GetValue(L"HKEY_USERS\\S-1\\Deep\\Key", L"v\"\\" + std::to_wstring(i))) << i;
    EXPECT_EQ(StringValue(L"C:\\\"x\" ; [y]"), back->GetValue(L"hkey_users\\s-1\\deep\\key", L""));
    EXPECT_TRUE(back->KeyExists(L"HKEY_CLASSES_ROOT\\Empty\\Child"));
    EXPECT_EQ(r.Format(), back->Format());
}

TEST(DeviceSettingsFile, EverySettingSurvivesWritingAndReading)
{
    DeviceSettings s;
    for (const wchar_t* setting : {L"connection=silent", L"latency-ms=15", L"link-bps=512000", L"dpi=192",
                                   L"fail-nth=7", L"fail-call=cewritefile:3",
                                   L"fail-path=CeCreateFile:\\Windows\\スタート メニュー\\x.lnk",
                                   L"signal=CeMoveFile:1:Local\\qamovup:cancel", L"delay=CeReadFile:2:500"})
        ASSERT_TRUE(s.Apply(setting)) << ToUtf8(setting);
    const std::wstring folder = Handheld::TemporaryFolder(L"settings");
    ASSERT_TRUE(s.Save(folder));
    const std::optional<DeviceSettings> back = DeviceSettings::Load(folder);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(s.Format(), back->Format());
    EXPECT_EQ(L"silent", back->connection.Word());
    EXPECT_TRUE(back->failCall.values.at(0).IsFor(L"CeWriteFile", 3));
    EXPECT_EQ(L"Local\\qamovup:cancel", back->signal.values.at(0).parts.at(2));
    EXPECT_EQ(500u, back->delay.values.at(0).Number(2));
    EXPECT_EQ(192u, back->dpi.Number());
}

TEST(DeviceSettingsFile, NonsenseIsRefusedWithTheReason)
{
    DeviceSettings s;
    std::wstring error;
    EXPECT_FALSE(s.Apply(L"connection=maybe", &error));
    EXPECT_NE(std::wstring::npos, error.find(L"answer/refuse/fail/silent"));
    for (const wchar_t* nonsense : {L"fail-call=CeFormatCard:1", L"fail-call=CeWriteFile:0", L"fail-call=CeWriteFile:1:2",
                                    L"latency-ms=-3", L"speed=9", L"dpi", L"fail-path=CeCreateFile:", L"delay=CeReadFile:1:x"})
        EXPECT_FALSE(s.Apply(nonsense, &error)) << ToUtf8(nonsense);
    EXPECT_TRUE(s.failCall.values.empty());
    EXPECT_EQ(L"answer", s.connection.Word());
}
