// The folder's own files read and written without the library: what service staff edit by hand.
#include "simhandheld/Registry.h"
#include "simhandheld/Settings.h"
#include "simhandheld/Text.h"

#include <gtest/gtest.h>

using namespace simhandheld;

TEST(RegistryFile, ReadsWhatRegeditExports)
{
    const std::optional<Registry> r = Registry::Parse(
        L"\xFEFF" L"Windows Registry Editor Version 5.00\r\n\r\n"
        L"; comment\r\n"
        L"[HKEY_LOCAL_MACHINE\\Software\\Palvar-Ostrand]\r\n"
        L"\"Path\"=\"\\\\Storage Card\\\\\"\r\n"
        L"\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        L"  17,18\r\n"
        L"\"Expand\"=hex(2):25,00,41,00,00,00\r\n"
        L"\"Gone\"=dword:00000001\r\n"
        L"\"Gone\"=-\r\n"
        L"@=dword:0000002a\r\n\r\n"
        L"[HKEY_CURRENT_USER\\Old]\r\n\r\n"
        L"[-HKEY_CURRENT_USER\\Old]\r\n");
    ASSERT_TRUE(r.has_value());
    const RegRoot hklm = RegRoot::LocalMachine;
    EXPECT_EQ(StringValue(L"\\Storage Card\\"), r->GetValue(hklm, L"Software\\Palvar-Ostrand", L"Path"));
    const std::optional<RegValue> longValue = r->GetValue(hklm, L"software\\palvar-ostrand", L"long");
    ASSERT_TRUE(longValue.has_value());
    EXPECT_EQ(25u, longValue->bytes.size());
    EXPECT_EQ('\x18', longValue->bytes.back());
    EXPECT_EQ((RegValue{REG_EXPAND_SZ, std::string("%\0A\0\0\0", 6)}), r->GetValue(hklm, L"Software\\Palvar-Ostrand", L"Expand"));
    EXPECT_FALSE(r->GetValue(hklm, L"Software\\Palvar-Ostrand", L"Gone"));
    EXPECT_EQ(DwordValue(42), r->GetValue(hklm, L"Software\\Palvar-Ostrand", L""));
    EXPECT_FALSE(r->KeyExists(RegRoot::CurrentUser, L"Old"));
}

TEST(RegistryFile, ABrokenFileSaysWhere)
{
    std::wstring error;
    EXPECT_FALSE(Registry::Parse(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_NOWHERE\\x]\r\n", &error));
    EXPECT_EQ(L"line 3: unknown root key", error);
    EXPECT_FALSE(Registry::Parse(L"Windows Registry Editor Version 5.00\r\n\"a\"=\"b\"\r\n", &error));
    EXPECT_FALSE(Registry::Parse(L"[HKEY_USERS\\x]\r\n", &error));
    EXPECT_FALSE(Registry::Parse(L"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\x]\r\n\"a\"=hex:1g\r\n", &error));
}

TEST(RegistryFile, EveryValueSurvivesWritingAndReading)
{
    Registry r;
    r.CreateKey(RegRoot::Users, L"S-1\\Deep\\Key");
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
        r.SetValue(RegRoot::Users, L"S-1\\Deep\\Key", L"v" + std::to_wstring(i), v);
    }
    const std::optional<Registry> back = Registry::Parse(r.Format());
    ASSERT_TRUE(back.has_value());
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(values[i], back->GetValue(RegRoot::Users, L"S-1\\Deep\\Key", L"v" + std::to_wstring(i))) << i;
    EXPECT_EQ(r.Format(), back->Format());
}

TEST(RegistryFile, AnEmptyKeyIsKept)
{
    Registry r;
    r.CreateKey(RegRoot::ClassesRoot, L"Empty\\Child");
    const std::optional<Registry> back = Registry::Parse(r.Format());
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(back->KeyExists(RegRoot::ClassesRoot, L"Empty\\Child"));
}

TEST(DeviceSettingsFile, EverySettingSurvivesWritingAndReading)
{
    DeviceSettings s;
    for (const wchar_t* setting : {L"connection=silent", L"latency-ms=15", L"link-bps=512000", L"dpi=192",
                                   L"fail-nth=7", L"fail-call=cewritefile:3",
                                   L"fail-path=CeCreateFile:\\Windows\\スタート メニュー\\x.lnk",
                                   L"signal=CeMoveFile:1:Local\\qamovup:cancel", L"delay=CeReadFile:2:500"})
        ASSERT_TRUE(s.Apply(setting)) << simhandheld::ToUtf8(setting);
    const std::optional<DeviceSettings> back = DeviceSettings::Parse(s.Format());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(s.Format(), back->Format());
    EXPECT_EQ(ConnectionMode::Silent, back->connection);
    EXPECT_EQ(L"CeWriteFile", back->failCalls.at(0).function);
    EXPECT_EQ(L"Local\\qamovup:cancel", back->signals.at(0).eventName);
    EXPECT_EQ(500u, back->delays.at(0).ms);
}

TEST(DeviceSettingsFile, NonsenseIsRefusedWithTheReason)
{
    DeviceSettings s;
    std::wstring error;
    EXPECT_FALSE(s.Apply(L"connection=maybe", &error));
    EXPECT_NE(std::wstring::npos, error.find(L"answer, refuse, fail or silent"));
    EXPECT_FALSE(s.Apply(L"fail-call=CeFormatCard:1", &error));
    EXPECT_FALSE(s.Apply(L"fail-call=CeWriteFile:0", &error));
    EXPECT_FALSE(s.Apply(L"latency-ms=-3", &error));
    EXPECT_FALSE(s.Apply(L"speed=9", &error));
    EXPECT_TRUE(s.failCalls.empty());
}
