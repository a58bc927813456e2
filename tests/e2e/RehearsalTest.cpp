// The rehearsal as the README and the users' guide tell service staff to type it: every command
// they show runs as written in cmd, from a copy of the release folder's layout, and each run of the
// tool they start completes.
#include "Expected.h"
#include "ToolSession.h"

#include "simhandheld/Folder.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

using namespace uidriver;

std::wstring Document(const char* path)
{
    std::string bytes;
    EXPECT_TRUE(simhandheld::ReadWholeFile(HostPath(path), bytes)) << path;
    return simhandheld::FromUtf8(bytes);
}

// The lines of the README's ```bat block on the simulated handheld.
std::vector<std::wstring> ReadmeCommands()
{
    const std::vector<std::wstring> lines = simhandheld::Lines(Document(QAMOVUP_E2E_README));
    std::vector<std::wstring> commands;
    bool inSection = false, inBlock = false;
    for (const std::wstring& line : lines) {
        if (line.rfind(L"## ", 0) == 0)
            inSection = line == L"## The simulated handheld";
        else if (inSection && line.rfind(L"```", 0) == 0)
            inBlock = !inBlock && line == L"```bat";
        else if (inBlock)
            commands.push_back(line);
    }
    return commands;
}

// What chapter 9 of the guide shows to type: its indented lines and the commands of its tables.
std::vector<std::wstring> GuideCommands()
{
    const std::wstring indent(7, L' ');
    std::vector<std::wstring> commands;
    bool inChapter = false;
    for (const std::wstring& line : simhandheld::Lines(Document(QAMOVUP_E2E_GUIDE))) {
        if (line.rfind(L"## ", 0) == 0)
            inChapter = line.rfind(L"## 9. ", 0) == 0;
        else if (inChapter && line.rfind(indent, 0) == 0 && line.size() > indent.size() && line[indent.size()] != L' ')
            commands.push_back(line.substr(indent.size()));
        else if (inChapter && line.rfind(L"| simhandheld\\", 0) == 0)
            commands.push_back(line.substr(2, line.find(L" |", 2) - 2));
    }
    return commands;
}

class Rehearsal : public testing::Test {
protected:
    Rehearsal() : root(simhandheld::Handheld::TemporaryFolder(L"rehearsal")) { simhandheld::RemoveTree(kHandheld); }
    ~Rehearsal() override
    {
        simhandheld::RemoveTree(root);
        simhandheld::RemoveTree(kHandheld);
    }

    void Place(const char* built, const std::wstring& where)
    {
        const std::wstring target = root + L'\\' + where;
        simhandheld::CreateDirectories(target.substr(0, target.rfind(L'\\')));
        EXPECT_TRUE(::CopyFileW(HostPath(built).c_str(), target.c_str(), FALSE)) << simhandheld::ToUtf8(target);
    }

    // Follows one run of the tool that cmd started, to its completion notice.
    void CompleteRun(HWND main)
    {
        const HWND start = Item(main, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main) && IsEnabled(start); }, kWindowTimeoutMs));
        Click(start);
        WindowQuery progressQuery;
        progressQuery.owner = main;
        progressQuery.visibleOnly = false;
        const HWND progress = WaitForTopLevel(progressQuery, kWindowTimeoutMs);
        ASSERT_NE(progress, nullptr);
        const std::optional<MessageBoxView> box = WaitForMessageBox(progress, kRunTimeoutMs);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, expected::kDoneText);
        Answer(*box, IDOK);
        EXPECT_TRUE(WaitGone(main, kWindowTimeoutMs));
    }

    const std::wstring kHandheld = L"C:\\handheld";
    std::wstring root;
};

TEST_F(Rehearsal, TheDocumentedCommandsRunAsWrittenInCmd)
{
    // The 64-bit tool's rehearsal: the same lines with its own folders, as both documents say.
    const bool is64 = sizeof(void*) == 8;
    const std::wstring kind = is64 ? L"x64" : L"x86";
    Place(QAMOVUP_E2E_TOOL_BUILT, is64 ? L"x64\\qamovup.exe" : L"qamovup.exe");
    Place(QAMOVUP_E2E_QAMOSIM, L"simhandheld\\" + kind + L"\\qamosim.exe");
    Place(QAMOVUP_E2E_RAPI, L"simhandheld\\" + kind + L"\\rapi.dll");
    Place(QAMOVUP_E2E_LINK, L"simhandheld\\" + kind + L"\\qamosimlink.dll");

    std::vector<std::wstring> commands = ReadmeCommands();
    ASSERT_GE(commands.size(), 4u) << "no commands in the README";
    const std::vector<std::wstring> guide = GuideCommands();
    ASSERT_GE(guide.size(), 10u) << "no commands in the guide";
    commands.insert(commands.end(), guide.begin(), guide.end());
    std::string script = "@echo off\r\n";
    int toolRuns = 0;
    for (std::wstring command : commands) {
        if (is64 && command.rfind(L"simhandheld\\x86\\", 0) == 0)
            command.replace(0, 16, L"simhandheld\\x64\\");
        if (command == L"qamovup.exe") {
            ++toolRuns;
            command = is64 ? L"x64\\qamovup.exe" : command;
        }
        script += simhandheld::ToUtf8(command) + "\r\nif errorlevel 1 exit /b 1\r\n";
    }
    ASSERT_TRUE(simhandheld::ReplaceWholeFile(root + L"\\rehearsal.cmd", script + "exit /b 0\r\n"));

    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    Process cmd = Process::Launch(std::wstring(system) + L"\\cmd.exe", L"/c rehearsal.cmd", nullptr, root);
    WindowQuery mainQuery;
    mainQuery.title = expected::kMainTitle;
    int completed = 0;
    std::optional<DWORD> exitCode;
    const DWORD began = ::GetTickCount();
    while (!(exitCode = cmd.WaitExit(0)) && ::GetTickCount() - began < 5 * kRunTimeoutMs) {
        if (const HWND main = WaitForTopLevel(mainQuery, 200)) {
            CompleteRun(main);
            ASSERT_FALSE(HasFatalFailure()) << "run " << completed + 1 << " of the tool";
            ++completed;
        }
    }
    EXPECT_EQ(exitCode, std::optional<DWORD>(0)) << "a documented command failed:\n" << script;
    EXPECT_EQ(completed, toolRuns);
    EXPECT_GE(toolRuns, 2);
}

}  // namespace
}  // namespace e2e
