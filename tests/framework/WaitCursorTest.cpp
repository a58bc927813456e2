#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ScriptedDialog.h"
#include "framework/Handle.h"
#include "framework/WaitCursor.h"
#include "tests/support/TestThread.h"

namespace {

constexpr UINT WM_READ_CURSOR = WM_USER + 201;

const HCURSOR kWait = ::LoadCursorW(nullptr, IDC_WAIT);
const HCURSOR kArrow = ::LoadCursorW(nullptr, IDC_ARROW);

// What the dialog's thread shows after asking the dialog for its cursor.
HCURSOR AskForCursor(HWND dialog)
{
    ::SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
}

class CursorReadingDialog : public ScriptedDialog {
public:
    std::vector<HCURSOR> seen;
    std::function<void()> afterFirstRead;

protected:
    LRESULT OnReadCursor(WPARAM, LPARAM)
    {
        seen.push_back(::GetCursor());
        if (seen.size() == 1 && afterFirstRead)
            afterFirstRead();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CursorReadingDialog, ScriptedDialog)
    ON_MESSAGE(WM_READ_CURSOR, &CursorReadingDialog::OnReadCursor)
END_MESSAGE_MAP()

TEST(WaitCursor, ShowsWhileAnyNestedGuardLives)
{
    std::vector<HCURSOR> shown;
    ScriptedDialog dialog;
    dialog.script = [&](ScriptedDialog& d) {
        {
            CWaitCursor outer;
            {
                CWaitCursor inner;
                shown.push_back(AskForCursor(d.m_hWnd));
            }
            shown.push_back(AskForCursor(d.m_hWnd));
        }
        shown.push_back(AskForCursor(d.m_hWnd));
        d.EndDialog(IDOK);
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(shown, (std::vector<HCURSOR>{kWait, kWait, kArrow}));
    EXPECT_EQ(AfxGetWaitCursorCount(), 0);
}

TEST(WaitCursor, TheCountIsNestedAcrossThreadsAndNeverBlocks)
{
    std::vector<int> counts;
    DWORD waited = WAIT_FAILED;
    ScriptedDialog dialog;
    dialog.script = [&](ScriptedDialog& d) {
        CHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        // This thread serves no messages meanwhile: a worker that sent to it would hang.
        TestThread worker([&] {
            {
                CWaitCursor outer;
                {
                    CWaitCursor inner;
                }
                counts.push_back(AfxGetWaitCursorCount());
            }
            counts.push_back(AfxGetWaitCursorCount());
            ::SetEvent(done.Get());
        });
        waited = ::WaitForSingleObject(done.Get(), 60000);
        worker.Join();
        d.EndDialog(IDOK);
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(counts, (std::vector<int>{1, 0}));
}

// A worker's guard begins and ends while the dialog's thread is busy elsewhere.
TEST(WaitCursor, AWorkersGuardChangesTheCursorOverTheDialog)
{
    std::optional<CWaitCursor> workersGuard;
    CursorReadingDialog dialog;
    HWND hWnd = nullptr;
    bool cursorOverDialog = false;
    dialog.script = [&](ScriptedDialog& d) {
        hWnd = d.m_hWnd;
        RECT frame;
        ::GetWindowRect(hWnd, &frame);
        const POINT middle{(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
        ::SetCursorPos(middle.x, middle.y);
        cursorOverDialog = ::GetAncestor(::WindowFromPoint(middle), GA_ROOT) == hWnd;
        TestThread([&] {
            workersGuard.emplace();
            ::PostMessageW(hWnd, WM_READ_CURSOR, 0, 0);
        }).Join();
    };
    dialog.afterFirstRead = [&] {
        TestThread([&] {
            workersGuard.reset();
            ::PostMessageW(hWnd, WM_READ_CURSOR, 0, 0);
            ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
        }).Join();
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_TRUE(cursorOverDialog);
    EXPECT_EQ(dialog.seen, (std::vector<HCURSOR>{kWait, kArrow}));
}

}  // namespace
