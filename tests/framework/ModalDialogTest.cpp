#include <gtest/gtest.h>

#include <functional>

#include "ScriptedDialog.h"

namespace {

struct Ending {
    INT_PTR result;
    int okCalls;
    int cancelCalls;
};

// Runs the test dialog, does action to it once it is up, and tells how it ended.
Ending EndBy(const std::function<void(HWND)>& action, bool endOnOK = true)
{
    ScriptedDialog dialog;
    dialog.endOnOK = endOnOK;
    dialog.script = [&](ScriptedDialog& d) { action(d.m_hWnd); };
    const INT_PTR result = dialog.DoModal();
    return {result, dialog.okCalls, dialog.cancelCalls};
}

void Click(HWND dialog, int button)
{
    ::PostMessageW(::GetDlgItem(dialog, button), BM_CLICK, 0, 0);
}

void PressKey(HWND dialog, WPARAM key)
{
    ::PostMessageW(::GetDlgItem(dialog, IDC_TEST_CHECK), WM_KEYDOWN, key, 1);
}

TEST(ModalDialog, ReturnsTheResultGivenToEndDialog)
{
    EXPECT_EQ(EndBy([](HWND h) { ::EndDialog(h, 42); }).result, 42);
}

TEST(ModalDialog, TheOkButtonAndTheEnterKeyEndWithIdokThroughOnOK)
{
    for (const Ending& end : {EndBy([](HWND h) { Click(h, IDOK); }), EndBy([](HWND h) { PressKey(h, VK_RETURN); })}) {
        EXPECT_EQ(end.result, IDOK);
        EXPECT_EQ(end.okCalls, 1);
        EXPECT_EQ(end.cancelCalls, 0);
    }
}

TEST(ModalDialog, TheCancelButtonTheEscapeKeyAndClosingEndWithIdcancelThroughOnCancel)
{
    for (const Ending& end : {EndBy([](HWND h) { Click(h, IDCANCEL); }), EndBy([](HWND h) { PressKey(h, VK_ESCAPE); }),
                              EndBy([](HWND h) { ::PostMessageW(h, WM_CLOSE, 0, 0); })}) {
        EXPECT_EQ(end.result, IDCANCEL);
        EXPECT_EQ(end.cancelCalls, 1);
        EXPECT_EQ(end.okCalls, 0);
    }
}

TEST(ModalDialog, AnOnOKThatDoesNotEndLeavesTheDialogOpen)
{
    const Ending end = EndBy(
        [](HWND h) {
            PressKey(h, VK_RETURN);
            Click(h, IDOK);
            ::PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
        },
        false);
    EXPECT_EQ(end.result, IDCANCEL);
    EXPECT_EQ(end.okCalls, 2);
}

TEST(ModalDialog, AMissingTemplateGivesMinusOne)
{
    ScriptedDialog dialog(nullptr, IDD_NOT_IN_RESOURCES);
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(ModalDialog, ADialogWithAParentIsOwnedByItAndDisablesIt)
{
    ScriptedDialog outer;
    ScriptedDialog inner(&outer);
    HWND outerWindow = nullptr;
    HWND innerParent = nullptr;
    BOOL outerEnabled = TRUE;
    inner.script = [&](ScriptedDialog& d) {
        innerParent = d.GetParent().m_hWnd;
        outerEnabled = outer.IsWindowEnabled();
        d.EndDialog(IDOK);
    };
    outer.script = [&](ScriptedDialog& d) {
        outerWindow = d.m_hWnd;
        d.EndDialog(static_cast<int>(inner.DoModal()));
    };
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_NE(innerParent, nullptr);
    EXPECT_EQ(innerParent, outerWindow);
    EXPECT_FALSE(outerEnabled);
}

TEST(ModalDialog, DdxControlBindsTheProgressBarOfEachRun)
{
    ScriptedDialog dialog;
    int previous = -1;
    LRESULT shown = -1;
    dialog.script = [&](ScriptedDialog& d) {
        EXPECT_EQ(d.m_progress.m_hWnd, d.GetDlgItem(IDC_TEST_PROGRESS).m_hWnd);
        previous = d.m_progress.SetPos(40);
        shown = ::SendMessageW(d.GetDlgItem(IDC_TEST_PROGRESS).m_hWnd, PBM_GETPOS, 0, 0);
        d.EndDialog(IDOK);
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(previous, 0);
    EXPECT_EQ(shown, 40);

    shown = -1;
    ASSERT_EQ(dialog.DoModal(), IDOK);  // a new window: the binding must follow it
    EXPECT_EQ(shown, 40);
}

}  // namespace
