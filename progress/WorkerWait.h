// The user-interface thread's wait for the worker thread to end.
#pragma once

#include <windows.h>

// The worker may be blocked in a synchronous send to this very thread, so the wait serves sent
// messages; it also repaints the thread's windows and keeps the thread answering. Input is dropped,
// not dispatched: nothing pressed while the user waits acts, then or once the dialog has gone, and
// no handler of ours runs inside another. Other posted messages stay queued.
void WaitForWorker(HANDLE hThread);
