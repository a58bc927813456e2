#include "ToolSession.h"

#include "Expected.h"
#include "worker/Cabinet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace e2e {
namespace {

using namespace uidriver;

template <typename T>
void AddIfNew(std::vector<T>& seen, const T& value)
{
    if (seen.empty() || seen.back() != value)
        seen.push_back(value);
}

std::string ReadCabinet()
{
    const HMODULE tool = ::LoadLibraryExW(ToolPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (tool == nullptr)
        throw std::runtime_error("cannot open qamovup.exe as data");
    std::string bytes;
    CabinetBytes found;
    if (FindCabinet(tool, found))
        bytes.assign(reinterpret_cast<const char*>(found.bytes), found.size);
    ::FreeLibrary(tool);
    if (bytes.empty())
        throw std::runtime_error("qamovup.exe carries no CABFILE");
    return bytes;
}

}  // namespace

std::wstring ToolPath()
{
    // The release tests point the same runs at a signed copy of the program.
    const std::optional<std::wstring> chosen = Environment::Current().Get(L"QAMOVUP_E2E_TOOL");
    if (!chosen || chosen->empty())
        return HostPath(QAMOVUP_E2E_TOOL);
    const int wide = static_cast<int>(chosen->size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, chosen->c_str(), wide, nullptr, 0, nullptr, nullptr);
    std::string path(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, chosen->c_str(), wide, &path[0], n, nullptr, nullptr);
    return HostPath(path);
}

const std::string& Cabinet()
{
    static const std::string cabinet = ReadCabinet();
    return cabinet;
}

void RunLog::Add(const ProgressView& view)
{
    AddIfNew(titles, view.title);
    AddIfNew(statuses, view.status);
    AddIfNew(positions, view.position);
    cancelEnabledSeen = cancelEnabledSeen || view.cancelEnabled;
}

bool RunLog::SawStatus(const std::wstring& status) const
{
    return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
}

ProgressView ReadProgress(HWND progress)
{
    ProgressView view;
    // Cancel first: the status moves on before Cancel is offered, so an enabled Cancel is
    // never paired with an older status.
    view.cancelEnabled = IsEnabled(Item(progress, IDCANCEL));
    view.title = Text(progress).value_or(L"");
    view.status = Text(Item(progress, expected::kStatusTextId)).value_or(L"");
    view.position = ProgressPosition(Item(progress, expected::kProgressBarId)).value_or(-1);
    return view;
}

ToolSession::ToolSession(const std::wstring& handheldFolder, const std::wstring& program,
                         const std::wstring& workingFolder, const std::function<void(Environment&)>& adjust)
{
    Environment environment = Environment::Current();
    environment.Set(L"QAMOVUP_HANDHELD", handheldFolder);
    if (adjust)
        adjust(environment);
    m_process = Process::Launch(program, {}, &environment, workingFolder);

    WindowQuery query;
    query.processId = m_process.Id();
    query.title = expected::kMainTitle;
    m_main = WaitForTopLevel(query, kWindowTimeoutMs);
    if (m_main == nullptr)
        throw std::runtime_error("the main dialog did not appear");
}

HWND ToolSession::Start(bool copyToCard)
{
    const HWND checkBox = Item(m_main, expected::kCopyToCardId);
    const int wanted = copyToCard ? BST_CHECKED : BST_UNCHECKED;
    if (CheckState(checkBox) != wanted) {
        Click(checkBox);
        if (!WaitUntil([&] { return CheckState(checkBox) == wanted; }, kWindowTimeoutMs))
            return nullptr;
    }
    // The dialog may still be ending an earlier run: the start button is back once it has.
    const HWND start = Item(m_main, IDOK);
    if (!WaitUntil([&] { return IsEnabled(m_main) && IsEnabled(start); }, kWindowTimeoutMs))
        return nullptr;
    Click(start);

    WindowQuery query;
    query.processId = m_process.Id();
    query.owner = m_main;
    query.visibleOnly = false;
    return WaitForTopLevel(query, kWindowTimeoutMs);
}

RunEnd ToolSession::Follow(HWND progress, RunLog& log, const std::function<void(const ProgressView&)>& onPoll,
                           DWORD timeoutMs)
{
    RunEnd end;
    end.progress = progress;
    const DWORD start = ::GetTickCount();
    while (::IsWindow(progress)) {
        const ProgressView view = ReadProgress(progress);
        log.Add(view);
        if (std::optional<MessageBoxView> box = FindMessageBox(progress)) {
            end.kind = RunEnd::Kind::MessageBox;
            end.box = *box;
            end.last = ReadProgress(progress);
            return end;
        }
        if (onPoll)
            onPoll(view);
        if (::GetTickCount() - start >= timeoutMs)
            return end;
        ::Sleep(kPollMs);
    }
    end.kind = RunEnd::Kind::Closed;
    return end;
}

std::vector<HWND> ToolSession::OtherWindows() const
{
    WindowQuery query;
    query.processId = m_process.Id();
    query.className.clear();
    std::vector<HWND> windows = FindTopLevel(query);
    windows.erase(std::remove(windows.begin(), windows.end(), m_main), windows.end());
    return windows;
}

bool ToolSession::Exit()
{
    return Click(Item(m_main, IDCANCEL)) && m_process.WaitExit(kWindowTimeoutMs).has_value();
}

void ExpectCompleteCopy(const simhandheld::Handheld& handheld, const wchar_t* path)
{
    const std::optional<std::string> copy = handheld.ReadFile(path);
    ASSERT_TRUE(copy.has_value()) << "no file " << testing::PrintToString(std::wstring(path));
    EXPECT_EQ(copy->size(), Cabinet().size());
    EXPECT_TRUE(*copy == Cabinet()) << "the copy differs from the cabinet the tool carries";
}

void ExpectInstalled(const simhandheld::Handheld& handheld, bool cardCopy)
{
    ExpectCompleteCopy(handheld, expected::kInstallerCopy);
    if (cardCopy) {
        ExpectCompleteCopy(handheld, expected::kCardCopy);
        EXPECT_TRUE(handheld.IsReadOnly(expected::kCardCopy));
    } else {
        EXPECT_FALSE(handheld.Exists(expected::kCardCopy));
    }
    const std::vector<simhandheld::StartedProgram> started = handheld.StartedPrograms();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].program, expected::kInstaller);
    EXPECT_EQ(started[0].commandLine, expected::kInstallerCommandLine);
}

void ExpectNoPartialCopy(const simhandheld::Handheld& handheld)
{
    for (const wchar_t* path : {expected::kCardCopy, expected::kInstallerCopy}) {
        if (handheld.Exists(path))
            ExpectCompleteCopy(handheld, path);
    }
}

}  // namespace e2e
