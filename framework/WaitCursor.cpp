#include "framework/WaitCursor.h"

#include <atomic>

namespace {

std::atomic<int> g_waitCount{0};

// A worker thread may not send to the UI thread (it could be waiting for the worker), so it posts.
void RefreshCursor()
{
    POINT pt;
    if (!::GetCursorPos(&pt))
        return;
    const HWND hWnd = ::WindowFromPoint(pt);
    if (hWnd == nullptr)
        return;
    DWORD processId = 0;
    const DWORD threadId = ::GetWindowThreadProcessId(hWnd, &processId);
    if (threadId == ::GetCurrentThreadId())
        fw::ShowCurrentCursor();
    else if (processId == ::GetCurrentProcessId())
        ::PostMessageW(::GetAncestor(hWnd, GA_ROOT), fw::WM_SHOWWAITCURSOR, 0, 0);
}

}  // namespace

int AfxGetWaitCursorCount()
{
    return g_waitCount.load();
}

void fw::StepWaitCursor(int delta)
{
    int count = g_waitCount.load();
    int next;
    do {
        next = count + delta;
        if (next < 0)
            return;  // an End without its Begin
    } while (!g_waitCount.compare_exchange_weak(count, next));
    if ((count == 0) != (next == 0))
        RefreshCursor();
}

void fw::ShowCurrentCursor()
{
    POINT pt;
    if (!::GetCursorPos(&pt))
        return;
    const HWND hWnd = ::WindowFromPoint(pt);
    if (hWnd == nullptr || ::GetWindowThreadProcessId(hWnd, nullptr) != ::GetCurrentThreadId())
        return;
    const LRESULT hit = ::SendMessageW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hWnd), MAKELPARAM(hit, WM_MOUSEMOVE));
}

CWaitCursor::CWaitCursor()
{
    fw::StepWaitCursor(+1);
}

CWaitCursor::~CWaitCursor()
{
    fw::StepWaitCursor(-1);
}
