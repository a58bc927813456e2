// Cancel during a copy: the run ends quietly, nothing half-written stays on the handheld and the
// tool is ready for another start.
#include "ToolTest.h"

#include <vector>

namespace e2e {
namespace {

BOOL CALLBACK AddWindow(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The window and every control in it.
std::vector<HWND> WithChildren(HWND window)
{
    std::vector<HWND> windows{window};
    ::EnumChildWindows(window, AddWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool NothingLeftToPaint(const std::vector<HWND>& windows)
{
    for (HWND window : windows) {
        if (::GetUpdateRect(window, nullptr, FALSE))
            return false;
    }
    return true;
}

// A click as the mouse gives it, rather than BM_CLICK, which is not input.
void MouseClick(HWND button)
{
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

class Cancel : public ToolTest {
protected:
    // About four seconds per copy: time enough to press Cancel in the middle of one.
    Cancel() { handheld.Set(L"link-bps=2000000"); }

    // Presses Cancel once the copy with this status is under way; the dialog must close
    // without any message box.
    void CancelDuring(ToolSession& tool, const wchar_t* status)
    {
        const RunEnd end = StartRunPressingOnce(tool, true, CopyUnderWay(status), CancelButton());
        ASSERT_NE(end.kind, RunEnd::Kind::MessageBox)
            << "a message box came after Cancel: " << testing::PrintToString(end.box.text);
        ASSERT_EQ(end.kind, RunEnd::Kind::Closed) << "the progress dialog stayed after Cancel";
        ExpectBackAtMainDialog(tool);
    }
};

TEST_F(Cancel, DuringTheCardCopyLeavesNoFileAndStartsNoInstaller)
{
    ToolSession tool(handheld.Folder());
    CancelDuring(tool, expected::kCardStatus);
    ExpectNothingInstalled();
    EXPECT_TRUE(tool.Exit());
}

TEST_F(Cancel, DuringTheInstallerCopyKeepsTheFinishedCardCopyOnly)
{
    ToolSession tool(handheld.Folder());
    CancelDuring(tool, expected::kInstallStatus);
    ExpectCompleteCopy(handheld, expected::kCardCopy);
    EXPECT_TRUE(handheld.IsReadOnly(expected::kCardCopy));
    EXPECT_FALSE(handheld.Exists(expected::kInstallerCopy));
    EXPECT_TRUE(handheld.StartedPrograms().empty());
    EXPECT_TRUE(tool.Exit());
}

// The worker finishes the chunk it is writing before it sees Cancel; a slow link makes that take
// seconds, during which both dialogs must keep painting and answering, and take no input.
TEST_F(Cancel, WhileTheWorkerFinishesItsChunkBothDialogsPaintAnswerAndTakeNoInput)
{
    handheld.Set(L"link-bps=8000");  // about eight seconds per chunk
    ToolSession tool(handheld.Folder());
    const HWND main = tool.MainDialog();
    bool waitStarted = false;
    bool painted = false;
    bool stillWritingAfterPaint = false;
    bool hung = true;
    bool stillWritingWhenAsked = false;
    bool cancelStillOffered = true;
    std::wstring titleAtPress;
    std::vector<std::wstring> titlesSince;
    const When copyStarted = [](const ProgressView& view) {
        return view.status == expected::kCardStatus && view.cancelEnabled;
    };
    const RunEnd end = StartRunPressingOnce(tool, true, copyStarted, [&](HWND progress) {
        const DWORD pressed = ::GetTickCount();
        titleAtPress = uidriver::Text(progress).value_or(L"");
        if (!uidriver::Click(uidriver::Item(progress, IDCANCEL)))
            return false;
        // Time for the click to be taken; the chunk takes far longer.
        ::Sleep(1000);
        waitStarted = ::IsWindow(progress) && handheld.Exists(expected::kCardCopy);
        // The button says at once that Cancel was taken, long before the chunk ends.
        cancelStillOffered = uidriver::IsEnabled(uidriver::Item(progress, IDCANCEL));
        titlesSince.push_back(uidriver::Text(progress).value_or(L""));
        std::vector<HWND> windows = WithChildren(main);
        for (HWND window : WithChildren(progress))
            windows.push_back(window);
        for (HWND dialog : {main, progress})
            ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        painted = uidriver::WaitUntil([&] { return NothingLeftToPaint(windows); }, 200);
        stillWritingAfterPaint = ::IsWindow(progress) && handheld.Exists(expected::kCardCopy);

        uidriver::Click(uidriver::Item(progress, IDCANCEL));
        MouseClick(uidriver::Item(progress, IDCANCEL));
        uidriver::PressKey(progress, VK_RETURN);
        uidriver::PressKey(progress, VK_ESCAPE);
        ::PostMessageW(progress, WM_SYSKEYDOWN, VK_F4, LPARAM{1} << 29 | 1);
        MouseClick(uidriver::Item(main, IDCANCEL));

        // Windows calls a window whose thread has not looked at its queue for five seconds hung.
        ::Sleep(6000 - (::GetTickCount() - pressed));
        hung = ::IsHungAppWindow(main) || ::IsHungAppWindow(progress);
        stillWritingWhenAsked = ::IsWindow(progress) && handheld.Exists(expected::kCardCopy);
        titlesSince.push_back(uidriver::Text(progress).value_or(L""));
        return true;
    });
    ASSERT_TRUE(waitStarted) << "the worker was not writing when the test began";
    EXPECT_TRUE(painted) << "a dialog was left unpainted while Cancel waited";
    EXPECT_TRUE(stillWritingAfterPaint);
    EXPECT_FALSE(hung) << "a dialog was reported hung while Cancel waited";
    EXPECT_TRUE(stillWritingWhenAsked) << "the chunk ended before the question: make the link slower";
    EXPECT_FALSE(cancelStillOffered) << "Cancel still looked pressable after it was taken";
    EXPECT_EQ(titlesSince, std::vector<std::wstring>(2, titleAtPress)) << "the title moved after Cancel";
    ASSERT_NE(end.kind, RunEnd::Kind::MessageBox) << testing::PrintToString(end.box.text);
    ASSERT_EQ(end.kind, RunEnd::Kind::Closed);
    ExpectNothingInstalled();
    // Nothing pressed during the wait acts afterwards: the tool stays at its main dialog.
    ::Sleep(500);
    ExpectBackAtMainDialog(tool);
    size_t runs = 0;
    for (const simhandheld::CallRecord& call : handheld.Calls())
        runs += call.function == L"CeRapiInitEx" ? 1 : 0;
    EXPECT_EQ(runs, 1u);
    EXPECT_TRUE(tool.Exit());
}

TEST_F(Cancel, LeavesTheToolReadyForAnotherStartThatCompletes)
{
    ToolSession tool(handheld.Folder());
    CancelDuring(tool, expected::kCardStatus);
    handheld.Set(L"link-bps=0");
    CompleteRun(tool, true);
    ExpectInstalled(handheld, true);
}

}  // namespace
}  // namespace e2e
