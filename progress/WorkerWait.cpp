#include "progress/WorkerWait.h"

namespace {

// Windows takes a window whose thread has not looked at its queue for five seconds for hung.
constexpr DWORD kQueueLookMs = 500;
// How soon to ask the thread again when the wait on it cannot tell.
constexpr DWORD kAskAgainMs = 10;

void DropMessages(UINT first, UINT last)
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
    }
}

// Peeking serves the messages other threads send; paints are dispatched, input dropped.
void ServeQueue()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        ::DispatchMessageW(&msg);
    DropMessages(WM_KEYFIRST, WM_KEYLAST);
    DropMessages(WM_MOUSEFIRST, WM_MOUSELAST);
    DropMessages(WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK);
}

// Asked of the thread rather than waited on; the worker's exit code is 0, never STILL_ACTIVE.
bool HasEnded(HANDLE hThread)
{
    DWORD code = 0;
    return ::GetExitCodeThread(hThread, &code) && code != STILL_ACTIVE;
}

}  // namespace

void WaitForWorker(HANDLE hThread)
{
    for (;;) {
        const DWORD woke =
            ::MsgWaitForMultipleObjects(1, &hThread, FALSE, kQueueLookMs, QS_SENDMESSAGE | QS_PAINT | QS_INPUT);
        ServeQueue();
        if (woke == WAIT_OBJECT_0)
            return;
        // A wait that fails tells nothing, and the worker may still use the dialog: ask the thread,
        // and until it has ended, ask again shortly.
        if (woke != WAIT_OBJECT_0 + 1 && woke != WAIT_TIMEOUT) {
            if (HasEnded(hThread))
                return;
            ::Sleep(kAskAgainMs);
        }
    }
}
