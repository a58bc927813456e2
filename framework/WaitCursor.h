// The application's wait cursor: one process-wide count, shown by the framework's windows
// while it is above zero. CWinApp's Begin/EndWaitCursor and CWaitCursor share it.
#pragma once

#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

int AfxGetWaitCursorCount();

namespace fw {

// Posted to a framework window to have it set the cursor afresh on its own thread.
constexpr UINT WM_SHOWWAITCURSOR = WM_AFXFIRST + 1;

void StepWaitCursor(int delta);  // never blocks, from any thread
void ShowCurrentCursor();        // on the thread that owns the window under the cursor

}  // namespace fw
