// The rehearsal as the README and the users' guide tell service staff to type it: every command
// they show is typed at an interactive cmd prompt, one line at a time once the prompt is back, in a
// copy of the release folder's layout. The prompt waits for each run of the tool, and each run
// shows what the guide's table says it shows.
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

// A line to type and, for a line that starts the tool, what its run must show: the words of the
// guide's table row before it, or the completion notice where no row says otherwise.
struct Typed {
    std::wstring command;
    std::wstring shows = expected::kDoneCaption;
};

bool StartsTheTool(const std::wstring& command)
{
    const std::wstring tool = L"qamovup.exe";
    return command.size() >= tool.size() && command.compare(command.size() - tool.size(), tool.size(), tool) == 0;
}

// The lines of the README's ```bat block on the simulated handheld.
std::vector<Typed> ReadmeLines()
{
    std::vector<Typed> lines;
    bool inSection = false, inBlock = false;
    for (const std::wstring& line : simhandheld::Lines(Document(QAMOVUP_E2E_README))) {
        if (line.rfind(L"## ", 0) == 0)
            inSection = line == L"## The simulated handheld";
        else if (inSection && line.rfind(L"```", 0) == 0)
            inBlock = !inBlock && line == L"```bat";
        else if (inBlock)
            lines.push_back({line});
    }
    return lines;
}

// What chapter 9 of the guide shows to type: its indented lines, and each row of its table followed
// by the line that starts the tool, as the text above the table says.
std::vector<Typed> GuideLines()
{
    const std::wstring indent(7, L' ');
    std::vector<Typed> lines;
    std::wstring startTool;
    bool inChapter = false;
    for (const std::wstring& line : simhandheld::Lines(Document(QAMOVUP_E2E_GUIDE))) {
        if (line.rfind(L"## ", 0) == 0) {
            inChapter = line.rfind(L"## 9. ", 0) == 0;
        } else if (inChapter && line.rfind(indent, 0) == 0 && line.size() > indent.size() && line[indent.size()] != L' ') {
            lines.push_back({line.substr(indent.size())});
            startTool = StartsTheTool(lines.back().command) ? lines.back().command : startTool;
        } else if (inChapter && line.rfind(L"| simhandheld\\", 0) == 0) {
            const size_t end = line.find(L" | ", 2);
            lines.push_back({line.substr(2, end - 2)});
            lines.push_back({startTool, line.substr(end + 3, line.rfind(L" |") - end - 3)});
        }
    }
    return lines;
}

// What the guide says a run shows is what its message box says: a line of its text, or for the
// completion notice its caption.
bool SaysWhatTheGuideSays(const std::wstring& shows, const MessageBoxView& box)
{
    bool found = box.caption == expected::kDoneCaption && shows.find(box.caption) != std::wstring::npos;
    for (const std::wstring& line : simhandheld::Lines(box.text))
        found = found || (!line.empty() && shows.find(line) != std::wstring::npos);
    return found;
}

// cmd at an interactive prompt, its input and output pipes standing for the keyboard and the
// window: a line is typed once the prompt is back, as a person types it, and the next prompt says
// that the line is done.
class Prompt {
public:
    explicit Prompt(const std::wstring& folder)
    {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE ends[4] = {};
        if (!::CreatePipe(&ends[0], &ends[1], &inherited, 0) || !::CreatePipe(&ends[2], &ends[3], &inherited, 0))
            throw std::runtime_error("no pipes for cmd");
        const CHandle keyboard(ends[0]), screen(ends[3]);
        m_keys.Attach(ends[1]);
        m_screen.Attach(ends[2]);
        ::SetHandleInformation(m_keys.Get(), HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(m_screen.Get(), HANDLE_FLAG_INHERIT, 0);
        wchar_t system[MAX_PATH];
        ::GetSystemDirectoryW(system, MAX_PATH);
        m_cmd = Process::Launch(std::wstring(system) + L"\\cmd.exe", {}, nullptr, folder, keyboard.Get(), screen.Get());
        // A prompt of its own, whatever the folder's name: cmd sets the PROMPT it starts with.
        Type(L"prompt rehearsal$G");
    }

    void Type(const std::wstring& line)
    {
        const std::string bytes = simhandheld::ToUtf8(line) + "\r\n";
        DWORD written = 0;
        ::WriteFile(m_keys.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    // How many times cmd has shown its prompt so far.
    size_t Prompts()
    {
        char buffer[4096];
        DWORD available = 0, got = 0;
        while (::PeekNamedPipe(m_screen.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ::ReadFile(m_screen.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
            m_shown.append(buffer, got);
        size_t count = 0;
        for (size_t at = m_shown.find(kPrompt); at != std::string::npos; at = m_shown.find(kPrompt, at + 1))
            ++count;
        return count;
    }
    bool WaitForPrompt(size_t count, DWORD timeoutMs)
    {
        return WaitUntil([&] { return Prompts() >= count; }, timeoutMs);
    }
    const std::string& Shown() const { return m_shown; }

private:
    static constexpr char kPrompt[] = "rehearsal>";

    CHandle m_keys;
    CHandle m_screen;
    std::string m_shown;
    Process m_cmd;
};

class Rehearsal : public testing::Test {
protected:
    Rehearsal() : root(simhandheld::Handheld::TemporaryFolder(L"rehearsal")) { simhandheld::RemoveTree(kHandheld); }
    ~Rehearsal() override
    {
        // A rehearsal that went wrong may leave tools open: none outlives it.
        WindowQuery mainQuery;
        mainQuery.title = expected::kMainTitle;
        mainQuery.visibleOnly = false;
        for (const HWND main : FindTopLevel(mainQuery)) {
            DWORD id = 0;
            ::GetWindowThreadProcessId(main, &id);
            if (const CHandle tool(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)); tool.IsValid()) {
                ::TerminateProcess(tool.Get(), 1);
                ::WaitForSingleObject(tool.Get(), kWindowTimeoutMs);
            }
        }
        simhandheld::RemoveTree(root);
        simhandheld::RemoveTree(kHandheld);
    }

    void Place(const char* built, const std::wstring& where)
    {
        const std::wstring target = root + L'\\' + where;
        simhandheld::CreateDirectories(target.substr(0, target.rfind(L'\\')));
        EXPECT_TRUE(::CopyFileW(HostPath(built).c_str(), target.c_str(), FALSE)) << simhandheld::ToUtf8(target);
    }

    // Follows the run of the tool that the line just typed started, from its main dialog to its end,
    // answering as the guide's row says; the prompt must not come back before the tool has gone.
    static void Rehearse(const Typed& line, Prompt& prompt, size_t prompts)
    {
        WindowQuery mainQuery;
        mainQuery.title = expected::kMainTitle;
        const HWND main = WaitForTopLevel(mainQuery, kWindowTimeoutMs);
        ASSERT_NE(main, nullptr) << "no main dialog";
        const auto promptWaits = [&] { return prompt.Prompts() == prompts; };
        ASSERT_TRUE(promptWaits()) << "the prompt came back while the tool was open: the next line typed runs beside it";
        const HWND start = Item(main, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main) && IsEnabled(start); }, kWindowTimeoutMs));
        Click(start);
        WindowQuery progressQuery;
        progressQuery.owner = main;
        progressQuery.visibleOnly = false;
        const HWND progress = WaitForTopLevel(progressQuery, kWindowTimeoutMs);
        ASSERT_NE(progress, nullptr);
        bool completed = false;
        if (line.shows.find(L"キャンセル") != std::wstring::npos) {
            ASSERT_TRUE(WaitUntil([&] { return ReadProgress(progress).cancelEnabled || FindMessageBox(progress); },
                                  kRunTimeoutMs));
            const std::optional<MessageBoxView> box = FindMessageBox(progress);
            ASSERT_FALSE(box.has_value()) << "a notice instead of a copy to cancel: " << simhandheld::ToUtf8(box->text);
            Click(Item(progress, IDCANCEL));
        } else {
            const std::optional<MessageBoxView> box = WaitForMessageBox(progress, kRunTimeoutMs);
            ASSERT_TRUE(box.has_value()) << "no message box";
            EXPECT_TRUE(SaysWhatTheGuideSays(line.shows, *box))
                << "the guide says \"" << simhandheld::ToUtf8(line.shows) << "\", the tool \""
                << simhandheld::ToUtf8(box->caption + L": " + box->text) << "\"";
            completed = box->caption == expected::kDoneCaption;
            Answer(*box, box->no ? IDNO : IDOK);
        }
        ASSERT_TRUE(WaitGone(progress, kWindowTimeoutMs));
        // After the completion notice the tool ends by itself; otherwise it is still open here.
        if (!completed) {
            EXPECT_TRUE(promptWaits()) << "the prompt came back while the tool was open";
            Click(Item(main, IDCANCEL));
        }
        EXPECT_TRUE(WaitGone(main, kWindowTimeoutMs));
    }

    const std::wstring kHandheld = L"C:\\handheld";
    std::wstring root;
};

TEST_F(Rehearsal, TheDocumentedCommandsWorkTypedAtAPrompt)
{
    // The 64-bit tool's rehearsal: the same lines with its own folders, as both documents say.
    const bool is64 = sizeof(void*) == 8;
    const std::wstring kind = is64 ? L"x64" : L"x86";
    Place(QAMOVUP_E2E_TOOL_BUILT, is64 ? L"x64\\qamovup.exe" : L"qamovup.exe");
    Place(QAMOVUP_E2E_QAMOSIM, L"simhandheld\\" + kind + L"\\qamosim.exe");
    Place(QAMOVUP_E2E_RAPI, L"simhandheld\\" + kind + L"\\rapi.dll");
    Place(QAMOVUP_E2E_LINK, L"simhandheld\\" + kind + L"\\qamosimlink.dll");

    std::vector<Typed> lines = ReadmeLines();
    ASSERT_GE(lines.size(), 4u) << "no commands in the README";
    const std::vector<Typed> guide = GuideLines();
    ASSERT_GE(guide.size(), 20u) << "no commands in the guide";
    lines.insert(lines.end(), guide.begin(), guide.end());

    Prompt prompt(root);
    ASSERT_TRUE(prompt.WaitForPrompt(1, kWindowTimeoutMs)) << "no prompt from cmd: " << prompt.Shown();
    int runs = 0;
    for (Typed line : lines) {
        if (is64 && line.command.rfind(L"simhandheld\\x86\\", 0) == 0)
            line.command.replace(0, 16, L"simhandheld\\x64\\");
        const bool tool = StartsTheTool(line.command);
        if (is64 && tool)
            line.command.insert(line.command.size() - 11, L"x64\\");
        const std::string typed = simhandheld::ToUtf8(line.command);
        SCOPED_TRACE("typed: " + typed);
        const size_t prompts = prompt.Prompts();
        prompt.Type(line.command);
        if (tool) {
            ++runs;
            Rehearse(line, prompt, prompts);
            ASSERT_FALSE(HasFatalFailure()) << "run " << runs << " of the tool, after typing: " << typed;
        }
        ASSERT_TRUE(prompt.WaitForPrompt(prompts + 1, kRunTimeoutMs)) << "no prompt after: " << typed;
        if (!tool) {
            const size_t shown = prompt.Shown().size();
            prompt.Type(L"echo rehearsal-status=%errorlevel%.");
            ASSERT_TRUE(prompt.WaitForPrompt(prompts + 2, kWindowTimeoutMs));
            EXPECT_NE(prompt.Shown().find("rehearsal-status=0.", shown), std::string::npos)
                << "a documented command failed: " << typed << "\n" << prompt.Shown().substr(shown);
        }
    }
    EXPECT_GE(runs, 12);
}

}  // namespace
}  // namespace e2e
