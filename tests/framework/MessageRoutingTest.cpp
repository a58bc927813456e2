#include <gtest/gtest.h>

#include <vector>

#include "ScriptedDialog.h"
#include "framework/WinApp.h"

namespace {

constexpr UINT WM_SHARED = WM_USER + 101;
constexpr UINT WM_BASE_ONLY = WM_USER + 102;
constexpr UINT WM_NESTING = WM_USER + 103;

class BaseDialog : public ScriptedDialog {
protected:
    LRESULT OnShared(WPARAM wParam, LPARAM) { return 1000 + static_cast<LRESULT>(wParam); }
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(~wParam); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseDialog, ScriptedDialog)
    ON_MESSAGE(WM_SHARED, &BaseDialog::OnShared)
    ON_MESSAGE(WM_BASE_ONLY, &BaseDialog::OnBaseOnly)
END_MESSAGE_MAP()

class DerivedDialog : public BaseDialog {
public:
    DerivedDialog() : m_ownBrush(::CreateSolidBrush(RGB(1, 2, 3))) {}
    ~DerivedDialog() override { ::DeleteObject(m_ownBrush); }

    const HBRUSH m_ownBrush;
    const HCURSOR m_dragIcon = ::LoadCursorW(nullptr, IDC_HAND);
    HDC probeDc = nullptr;
    std::vector<UINT> probedKinds;  // what OnCtlColor was told for probeDc
    int paints = 0;
    int destroys = 0;
    bool childrenAliveAtDestroy = false;

protected:
    LRESULT OnShared(WPARAM wParam, LPARAM) { return 2000 + static_cast<LRESULT>(wParam); }
    LRESULT OnNesting(WPARAM, LPARAM)
    {
        SendMessage(WM_SHARED, 1);
        SendMessage(WM_GETTEXTLENGTH);  // left to the dialog manager
        return 0x5EED;
    }
    // Asks for the usual painting, then sends itself a message that has an answer of its own.
    void OnPaint()
    {
        ++paints;
        CDialog::OnPaint();
        SendMessage(WM_SHARED, 1);
    }
    void OnDestroy()
    {
        ++destroys;
        childrenAliveAtDestroy = ::IsWindow(GetDlgItem(IDOK).m_hWnd) != FALSE;
        CDialog::OnDestroy();
    }
    HCURSOR OnQueryDragIcon() { return m_dragIcon; }
    HBRUSH OnCtlColor(HDC hdc, HWND control, UINT ctlColor)
    {
        if (hdc == probeDc)
            probedKinds.push_back(ctlColor);
        return ctlColor == CTLCOLOR_STATIC ? m_ownBrush : CDialog::OnCtlColor(hdc, control, ctlColor);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedDialog, BaseDialog)
    ON_MESSAGE(WM_SHARED, &DerivedDialog::OnShared)
    ON_MESSAGE(WM_NESTING, &DerivedDialog::OnNesting)
    ON_WM_PAINT()
    ON_WM_DESTROY()
    ON_WM_QUERYDRAGICON()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

// Sends one message to a running DerivedDialog from another thread, as the worker does.
LRESULT AnswerFromAnotherThread(decltype(&::SendMessageW) send, UINT msg, WPARAM wParam = 0)
{
    DerivedDialog dialog;
    LRESULT answer = 0;
    RunWithWorker(dialog, [&](HWND h) { answer = send(h, msg, wParam, 0); });
    return answer;
}

LRESULT Inverted(WPARAM wParam)
{
    return static_cast<LRESULT>(~wParam);
}

TEST(MessageMapChaining, TheDerivedHandlerAnswersInsteadOfTheBaseOne)
{
    EXPECT_EQ(AnswerFromAnotherThread(::SendMessageW, WM_SHARED, 5), 2005);
}

TEST(MessageMapChaining, AMessageOnlyTheBaseClassMapsReachesTheBaseHandler)
{
    EXPECT_EQ(AnswerFromAnotherThread(::SendMessageW, WM_BASE_ONLY, 5), Inverted(5));
}

TEST(MessageMapChaining, AMessageNoClassMapsGetsTheDialogsDefaultHandling)
{
    EXPECT_EQ(AnswerFromAnotherThread(::SendMessageW, DM_GETDEFID), MAKELRESULT(IDOK, DC_HASDEFID));
    EXPECT_EQ(AnswerFromAnotherThread(::SendMessageW, WM_GETTEXTLENGTH),
              static_cast<LRESULT>(wcslen(L"Framework test")));
}

TEST(HandlerResult, ReachesSendMessageAAndWFromAnotherThreadInFullWidth)
{
    EXPECT_EQ(AnswerFromAnotherThread(::SendMessageA, WM_BASE_ONLY, 0x1234), Inverted(0x1234));
    EXPECT_EQ(AnswerFromAnotherThread(::SendMessageW, WM_BASE_ONLY, 0x4321), Inverted(0x4321));
}

TEST(HandlerResult, IsKeptWhenTheHandlerSendsItselfMessagesHandledOrNot)
{
    EXPECT_EQ(AnswerFromAnotherThread(::SendMessageA, WM_NESTING), 0x5EED);
}

TEST(HandlerResult, QueryDragIconGivesTheHandlersCursor)
{
    EXPECT_EQ(AnswerFromAnotherThread(::SendMessageW, WM_QUERYDRAGICON),
              reinterpret_cast<LRESULT>(::LoadCursorW(nullptr, IDC_HAND)));
}

TEST(HandlerResult, CtlColorGivesTheHandlersBrushOrTheDefaultOne)
{
    DerivedDialog dialog;
    LRESULT staticBrush = 0;
    LRESULT buttonBrush = 0;
    LRESULT defaultButtonBrush = 0;
    const HDC dc = ::CreateCompatibleDC(nullptr);
    dialog.probeDc = dc;
    RunWithWorker(dialog, [&](HWND h) {
        const auto check = reinterpret_cast<LPARAM>(::GetDlgItem(h, IDC_TEST_CHECK));
        staticBrush = ::SendMessageW(h, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), check);
        buttonBrush = ::SendMessageW(h, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), check);
        defaultButtonBrush = ::DefWindowProcW(h, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), check);
    });
    ::DeleteDC(dc);
    EXPECT_EQ(staticBrush, reinterpret_cast<LRESULT>(dialog.m_ownBrush));
    EXPECT_EQ(dialog.probedKinds, (std::vector<UINT>{CTLCOLOR_STATIC, CTLCOLOR_BTN}));
    EXPECT_NE(buttonBrush, 0);
    EXPECT_EQ(buttonBrush, defaultButtonBrush);
}

TEST(FrameworkHandlers, APaintHandlerThatRunsTheFrameworksOnPaintLeavesNothingToRepaint)
{
    DerivedDialog dialog;
    int paintsBefore = -1;
    BOOL stillInvalid = TRUE;
    dialog.script = [&](ScriptedDialog& d) {
        paintsBefore = dialog.paints;
        ::InvalidateRect(d.m_hWnd, nullptr, TRUE);
        ::UpdateWindow(d.m_hWnd);
        stillInvalid = ::GetUpdateRect(d.m_hWnd, nullptr, FALSE);
        d.EndDialog(IDOK);
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_GT(dialog.paints, paintsBefore);
    EXPECT_FALSE(stillInvalid);
}

TEST(FrameworkHandlers, TheDestroyHandlerRunsOnceWhileTheControlsStillExist)
{
    DerivedDialog dialog;
    dialog.script = [](ScriptedDialog& d) { d.EndDialog(IDOK); };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.destroys, 1);
    EXPECT_TRUE(dialog.childrenAliveAtDestroy);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

class HelpCountingApp : public CWinApp {
public:
    int helpCalls = 0;

protected:
    void OnHelp() { ++helpCalls; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HelpCountingApp, CWinApp)
    ON_COMMAND(ID_HELP, &HelpCountingApp::OnHelp)
END_MESSAGE_MAP()

LRESULT PressF1(HWND control)
{
    HELPINFO info{};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = ::GetDlgCtrlID(control);
    info.hItemHandle = control;
    return ::SendMessageW(control, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

TEST(HelpKey, F1InANestedDialogReachesTheApplicationsHelpCommandOnce)
{
    HelpCountingApp app;
    ScriptedDialog outer;
    ScriptedDialog inner(&outer);
    outer.script = [&](ScriptedDialog& d) {
        RunWithWorker(inner, [](HWND h) { PressF1(::GetDlgItem(h, IDC_TEST_CHECK)); });
        d.EndDialog(IDOK);
    };
    ASSERT_EQ(outer.DoModal(), IDOK);
    EXPECT_EQ(app.helpCalls, 1);
}

TEST(HelpKey, F1WithoutAnApplicationObjectIsTakenAndHarmless)
{
    ASSERT_EQ(AfxGetApp(), nullptr);
    ScriptedDialog dialog;
    LRESULT answer = 0;
    EXPECT_EQ(RunWithWorker(dialog, [&](HWND h) { answer = PressF1(h); }), IDCANCEL);
    EXPECT_EQ(answer, TRUE);
}

}  // namespace
