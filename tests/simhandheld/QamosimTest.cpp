// qamosim as service staff run it, and the default handheld it prepares.
#include "simhandheld/Folder.h"
#include "simhandheld/SimHandheld.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace simhandheld;

namespace {

struct Outcome {
    DWORD exitCode = 0;
    std::wstring output;  // stdout and stderr
};

// Starts qamosim.exe from beside this test program and collects what it prints. A pipe, not a
// file: its end of output comes only once every copy of the write end is closed.
Outcome RunQamosim(const std::wstring& arguments)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe = self;
    exe = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"qamosim.exe";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    Outcome run;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ADD_FAILURE() << "no pipe";
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        ADD_FAILURE() << "cannot start qamosim.exe";
        return run;
    }
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(readEnd);
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    run.output = FromUtf8(bytes);
    return run;
}

bool Contains(const std::wstring& text, const std::wstring& part)
{
    return text.find(part) != std::wstring::npos;
}

class QamosimTool : public ::testing::Test {
public:
    QamosimTool() : folder(Handheld::TemporaryFolder(L"qamosim")), handheld(folder) {}
    ~QamosimTool() override { RemoveTree(folder); }
    std::wstring Quoted() const { return L"\"" + folder + L"\""; }

    std::wstring folder;
    Handheld handheld;
};

}  // namespace

TEST_F(QamosimTool, TheDefaultHandheldHasQamoVersion121WithItsShortcutAndLauncherEntry)
{
    handheld.WriteFile(L"\\Storage Card\\stale.cab", "left over");
    const Outcome run = RunQamosim(L"prepare " + Quoted());
    ASSERT_EQ(0u, run.exitCode) << ToUtf8(run.output);
    EXPECT_EQ(StringValue(L"SMDK6410"), handheld.GetValue(HKEY_LOCAL_MACHINE, L"Platform", L"Name"));
    EXPECT_EQ(std::string("qamo+ for Handheld\r\nVersion 1.2.1.0\r\n"), handheld.ReadFile(kVersionFile));
    const std::optional<std::string> shortcut = handheld.ReadFile(kShortcutFile);
    ASSERT_TRUE(shortcut.has_value());
    EXPECT_EQ(std::to_string(shortcut->size() - shortcut->find('#') - 1), shortcut->substr(0, shortcut->find('#')));
    EXPECT_EQ(StringValue(L"-gps"), handheld.GetValue(HKEY_CURRENT_USER, kLauncherKey, L"CommnadLine"));
    EXPECT_EQ(DwordValue(3), handheld.GetValue(HKEY_CURRENT_USER, kLauncherKey, L"Index"));
    EXPECT_TRUE(handheld.GetValue(HKEY_CURRENT_USER, kLauncherKey, L"FileName").has_value());
    EXPECT_TRUE(handheld.Exists(L"\\Windows"));
    EXPECT_TRUE(handheld.Exists(kMemoryCardFolder));
    EXPECT_FALSE(handheld.Exists(L"\\Storage Card\\stale.cab"));
    EXPECT_EQ(96u, handheld.Settings().dpi.Number());
    EXPECT_TRUE(handheld.Calls().empty());
}

TEST_F(QamosimTool, PrepareLeavesOutWhatItIsTold)
{
    const Outcome run = RunQamosim(L"prepare " + Quoted() +
                            L" --no-platform --version \"Version 1.3.0.0\" --no-card");
    ASSERT_EQ(0u, run.exitCode) << ToUtf8(run.output);
    EXPECT_FALSE(handheld.KeyExists(HKEY_LOCAL_MACHINE, L"Platform"));
    EXPECT_EQ(std::string("qamo+ for Handheld\r\nVersion 1.3.0.0\r\n"), handheld.ReadFile(kVersionFile));
    EXPECT_FALSE(handheld.Exists(kMemoryCardFolder));

    ASSERT_EQ(0u, RunQamosim(L"prepare " + Quoted() + L" --platform PXA270 --no-version-file").exitCode);
    EXPECT_EQ(StringValue(L"PXA270"), handheld.GetValue(HKEY_LOCAL_MACHINE, L"Platform", L"Name"));
    EXPECT_FALSE(handheld.Exists(kVersionFile));

    // The card where the tool looks for an SMDK2443's.
    ASSERT_EQ(0u, RunQamosim(L"prepare " + Quoted() + L" --platform SMDK2443").exitCode);
    EXPECT_TRUE(handheld.Exists(L"\\SD-MMC card"));
    EXPECT_FALSE(handheld.Exists(kMemoryCardFolder));
}

TEST_F(QamosimTool, APrepareThatCannotFinishLeavesTheOldHandheldAsItWas)
{
    handheld.Prepare();
    handheld.Set(L"dpi=120");
    handheld.WriteFile(L"\\Windows\\AppMgr\\Install\\kept.CAB", "kept");
    ASSERT_TRUE(ReplaceWholeFile(InFolder(folder, L"notes.txt"), "not the handheld's"));
    const std::wstring registryFile = InFolder(folder, kRegistryFile);
    std::string registry;
    ASSERT_TRUE(ReadWholeFile(registryFile, registry));
    // Held open by another program, registry.reg can be neither replaced nor moved.
    HANDLE held = CreateFileW(registryFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const Outcome run = RunQamosim(L"prepare " + Quoted() + L" --no-card");
    CloseHandle(held);
    EXPECT_EQ(1u, run.exitCode) << ToUtf8(run.output);
    EXPECT_EQ(std::string("kept"), handheld.ReadFile(L"\\Windows\\AppMgr\\Install\\kept.CAB"));
    EXPECT_TRUE(handheld.Exists(kMemoryCardFolder));
    EXPECT_EQ(120u, handheld.Settings().dpi.Number());
    std::string after;
    EXPECT_TRUE(ReadWholeFile(registryFile, after) && after == registry);
    std::vector<std::wstring> names;
    for (const WIN32_FIND_DATAW& entry : FolderEntries(folder))
        names.emplace_back(entry.cFileName);
    EXPECT_EQ(4u, names.size()) << ToUtf8(run.output);  // files, registry.reg, device.ini, notes.txt

    ASSERT_EQ(0u, RunQamosim(L"prepare " + Quoted()).exitCode);
    EXPECT_FALSE(handheld.Exists(L"\\Windows\\AppMgr\\Install\\kept.CAB"));
    std::string notes;
    EXPECT_TRUE(ReadWholeFile(InFolder(folder, L"notes.txt"), notes) && notes == "not the handheld's");
}

TEST_F(QamosimTool, ShowPrintsTheHandheldInJapaneseWhereItIsJapanese)
{
    handheld.Prepare();
    handheld.WriteFile(L"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB", std::string(2048, 'c'));
    handheld.SetReadOnly(L"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB", true);
    handheld.SetValue(HKEY_LOCAL_MACHINE, L"Software\\Palvar-Ostrand", L"LogPixels", simhandheld::DwordValue(192));
    const Outcome run = RunQamosim(L"show " + Quoted());
    ASSERT_EQ(0u, run.exitCode) << ToUtf8(run.output);
    EXPECT_TRUE(Contains(run.output, L"SMDK6410"));
    EXPECT_TRUE(Contains(run.output, L"スタート メニュー\\"));
    EXPECT_TRUE(Contains(run.output, L"qamo+(GPS).lnk"));
    EXPECT_TRUE(Contains(run.output, L"\"CommnadLine\"=\"-gps\""));
    EXPECT_TRUE(Contains(run.output, L"qamo+ for Handheld.CAB  2048 bytes  read-only"));
    EXPECT_TRUE(Contains(run.output, L"\"LogPixels\"=dword:000000c0"));
}

TEST_F(QamosimTool, ShowRefusesAFileItCannotReadAndSaysWhichLine)
{
    handheld.Prepare();
    const std::wstring registry = InFolder(folder, kRegistryFile), settings = InFolder(folder, kSettingsFile);
    // Saved by Notepad as "ANSI": 山田 in code page 932 is not UTF-8.
    const std::string ansi = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Owner]\r\n\"Name\"=\"\x8E\x52\x93\x63\"\r\n";
    for (const auto& [file, bytes, where] : {std::tuple(registry, ansi, L"registry.reg: line 4: "),
                                             std::tuple(settings, std::string("dpi=120\r\nlatency-ms=5s\r\n"), L"device.ini: line 2: ")}) {
        std::string before;
        ASSERT_TRUE(ReadWholeFile(file, before));
        ASSERT_TRUE(ReplaceWholeFile(file, bytes));
        const Outcome run = RunQamosim(L"show " + Quoted());
        EXPECT_EQ(1u, run.exitCode) << ToUtf8(run.output);
        EXPECT_TRUE(Contains(run.output, where)) << ToUtf8(run.output);
        ASSERT_TRUE(ReplaceWholeFile(file, before));
    }
}

TEST_F(QamosimTool, SetChangesWhatTheLibraryWillDo)
{
    handheld.Prepare();
    const Outcome run = RunQamosim(L"set " + Quoted() +
                            L" connection=fail latency-ms=5 link-bps=1000 dpi=120 fail-call=CeWriteFile:3 fail-nth=9"
                            L" \"fail-path=CeCreateFile:\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB\"");
    ASSERT_EQ(0u, run.exitCode) << ToUtf8(run.output);
    const DeviceSettings s = handheld.Settings();
    EXPECT_EQ(L"fail", s.connection.Word());
    EXPECT_EQ(5u, s.latencyMs.Number());
    EXPECT_EQ(1000u, s.linkBps.Number());
    EXPECT_EQ(120u, s.dpi.Number());
    ASSERT_EQ(1u, s.failPath.values.size());
    EXPECT_EQ(L"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB", s.failPath.values[0].parts[1]);
    ASSERT_EQ(0u, RunQamosim(L"set " + Quoted() + L" clear-faults").exitCode);
    EXPECT_TRUE(handheld.Settings().failPath.values.empty());
    EXPECT_EQ(L"fail", handheld.Settings().connection.Word());
}

TEST_F(QamosimTool, BadUsageSaysWhatIsWrongAndChangesNothing)
{
    handheld.Prepare();
    const std::wstring before = handheld.Settings().Format();
    for (const std::wstring& args : {std::wstring(L""), std::wstring(L"show"), L"launch " + Quoted(), L"set " + Quoted(),
                                     L"set " + Quoted() + L" dpi=120 connection=sometimes",
                                     L"prepare " + Quoted() + L" --version", L"show " + Quoted() + L" extra"}) {
        const Outcome run = RunQamosim(args);
        EXPECT_EQ(2u, run.exitCode) << ToUtf8(args);
        EXPECT_TRUE(Contains(run.output, L"usage:")) << ToUtf8(args);
    }
    EXPECT_EQ(before, handheld.Settings().Format());
    const Outcome missing = RunQamosim(L"show \"" + folder + L"\\none\"");
    EXPECT_EQ(1u, missing.exitCode);
    EXPECT_TRUE(Contains(missing.output, L"no handheld folder")) << ToUtf8(missing.output);
}
