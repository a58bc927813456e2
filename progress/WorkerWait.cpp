#include "progress/WorkerWait.h"

namespace {

// Windows takes a window whose thread has not looked at its queue for five seconds for hung.
constexpr DWORD kQueueLookMs = 500;

void DropMessages(UINT first, UINT last)
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
    }
}

}  // namespace

void WaitForWorker(HANDLE hThread)
{
    for (;;) {
        const DWORD woke =
            ::MsgWaitForMultipleObjects(1, &hThread, FALSE, kQueueLookMs, QS_SENDMESSAGE | QS_PAINT | QS_INPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            ::DispatchMessageW(&msg);
        DropMessages(WM_KEYFIRST, WM_KEYLAST);
        DropMessages(WM_MOUSEFIRST, WM_MOUSELAST);
        DropMessages(WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK);
        if (woke != WAIT_OBJECT_0 + 1 && woke != WAIT_TIMEOUT)
            return;  // the worker has ended, or the wait cannot tell
    }
}
