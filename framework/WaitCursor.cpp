#include "framework/WaitCursor.h"

#include <atomic>

namespace {

std::atomic<int> g_waitCount{0};

}  // namespace

int AfxGetWaitCursorCount()
{
    return g_waitCount.load();
}

// A worker thread may not send to the UI thread (it could be waiting for the worker), so it posts.
void fw::RefreshCursor()
{
    POINT pt;
    if (!::GetCursorPos(&pt))
        return;
    const HWND hWnd = ::WindowFromPoint(pt);
    if (hWnd == nullptr)
        return;
    DWORD processId = 0;
    if (::GetWindowThreadProcessId(hWnd, &processId) == ::GetCurrentThreadId()) {
        const LRESULT hit = ::SendMessageW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
        ::SendMessageW(hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hWnd), MAKELPARAM(hit, WM_MOUSEMOVE));
    } else if (processId == ::GetCurrentProcessId()) {
        ::PostMessageW(::GetAncestor(hWnd, GA_ROOT), fw::WM_SHOWWAITCURSOR, 0, 0);
    }
}

CWaitCursor::CWaitCursor()
{
    if (g_waitCount.fetch_add(1) == 0)
        fw::RefreshCursor();
}

CWaitCursor::~CWaitCursor()
{
    if (g_waitCount.fetch_sub(1) == 1)
        fw::RefreshCursor();
}
