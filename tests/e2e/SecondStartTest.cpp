// A second start of the tool while one runs gives no second tool: the running one comes to the
// front as it was, showing whatever it showed, and the second ends at once without a word.
#include "ToolTest.h"

namespace e2e {
namespace {

using namespace uidriver;

// Polls like WaitUntil, serving this thread's windows meanwhile: activation moves away from them.
bool WaitServing(const std::function<bool()>& condition, DWORD timeoutMs)
{
    return WaitUntil(
        [&] {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
            return condition();
        },
        timeoutMs);
}

// Another program's window, in front of the tool as the user works in it.
class OtherWindow {
public:
    OtherWindow()
        : m_window(::CreateWindowExW(WS_EX_APPWINDOW, L"STATIC", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     40, 40, 300, 200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr))
    {
    }
    ~OtherWindow() { ::DestroyWindow(m_window); }
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;

    bool ToFront() const
    {
        ::SetForegroundWindow(m_window);
        return WaitServing([&] { return ::GetForegroundWindow() == m_window; }, kWindowTimeoutMs);
    }

private:
    HWND m_window;
};

class SecondStart : public ToolTest {
protected:
    // Starts the tool once more, as a user would, and waits for it to end: its exit code, if it did.
    std::optional<DWORD> StartAgain()
    {
        Environment environment = Environment::Current();
        environment.Set(L"QAMOVUP_HANDHELD", handheld.Folder());
        Process second = Process::Launch(ToolPath(), {}, &environment);
        std::optional<DWORD> exitCode;
        WaitServing([&] { return (exitCode = second.WaitExit(0)).has_value(); }, kWindowTimeoutMs);
        return exitCode;
    }
    bool InFront(HWND window) const
    {
        return WaitServing([&] { return ::GetForegroundWindow() == window; }, kWindowTimeoutMs);
    }

    OtherWindow other;
};

TEST_F(SecondStart, BringsTheRunningToolForwardAsItWasAndEnds)
{
    ToolSession tool(handheld.Folder());
    const HWND checkBox = Item(tool.MainDialog(), expected::kCopyToCardId);
    Click(checkBox);  // the user's own choice in the running tool
    ASSERT_TRUE(WaitUntil([&] { return CheckState(checkBox) == BST_UNCHECKED; }, kWindowTimeoutMs));
    ASSERT_TRUE(other.ToFront());

    EXPECT_EQ(StartAgain(), std::optional<DWORD>(0));
    EXPECT_TRUE(InFront(tool.MainDialog())) << "the running tool was not brought to the front";
    EXPECT_EQ(CheckState(checkBox), std::optional<int>(BST_UNCHECKED));
    EXPECT_TRUE(tool.OtherWindows().empty());
    EXPECT_TRUE(handheld.Calls().empty()) << "the second start reached the handheld";
    EXPECT_TRUE(tool.Exit());
}

TEST_F(SecondStart, WhileTheToolAsksItsQuestionBringsTheQuestionForward)
{
    PrepareNewerVersion();
    ToolSession tool(handheld.Folder());
    const RunEnd end = StartRunToTheVersionQuestion(tool);
    ASSERT_EQ(end.kind, RunEnd::Kind::MessageBox);
    ASSERT_TRUE(other.ToFront());

    EXPECT_EQ(StartAgain(), std::optional<DWORD>(0));
    EXPECT_TRUE(InFront(end.box.window)) << "the question was not brought to the front";
    ASSERT_TRUE(Answer(end.box, IDNO));
    EXPECT_TRUE(WaitGone(end.progress, kWindowTimeoutMs));
    ExpectBackAtMainDialog(tool);
    EXPECT_TRUE(tool.Exit());
}

// The one started first may not have its window yet when the other looks for it.
TEST_F(SecondStart, TwoStartedTogetherGiveOneTool)
{
    Environment environment = Environment::Current();
    environment.Set(L"QAMOVUP_HANDHELD", handheld.Folder());
    Process first = Process::Launch(ToolPath(), {}, &environment);
    Process second = Process::Launch(ToolPath(), {}, &environment);
    WindowQuery mainDialogs;
    mainDialogs.title = expected::kMainTitle;
    ASSERT_TRUE(WaitServing([&] { return first.WaitExit(0) || second.WaitExit(0); }, kWindowTimeoutMs));
    Process& left = first.Running() ? first : second;
    EXPECT_EQ((first.Running() ? second : first).WaitExit(0), std::optional<DWORD>(0));
    ASSERT_TRUE(WaitUntil([&] { return FindTopLevel(mainDialogs).size() == 1; }, kWindowTimeoutMs));
    const HWND main = FindTopLevel(mainDialogs)[0];
    ASSERT_TRUE(Click(Item(main, IDCANCEL)));
    EXPECT_EQ(left.WaitExit(kWindowTimeoutMs), std::optional<DWORD>(0));
}

// Whatever holds the tool's name without showing its window, such as a tool that is closing: a
// second start looks for the window a while, then ends all the same, having shown nothing.
TEST_F(SecondStart, WithNoWindowToBringForwardEndsAllTheSame)
{
    const CHandle held(::CreateMutexW(nullptr, FALSE, L"Local\\qamovup-061b4180-0622-4dd0-a3aa-eded43052b9f"));
    ASSERT_TRUE(held.IsValid());
    EXPECT_EQ(StartAgain(), std::optional<DWORD>(0));
    WindowQuery anyDialog;
    anyDialog.visibleOnly = false;
    anyDialog.title = expected::kMainTitle;
    EXPECT_TRUE(FindTopLevel(anyDialog).empty());
}

}  // namespace
}  // namespace e2e
