// The application's wait cursor: one process-wide count, shown by the framework's dialogs while it
// is above zero. A guard may live on any thread: the worker's shows it while the handheld answers.
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

// Posted to a framework dialog to have it set the cursor afresh on its own thread.
constexpr UINT WM_SHOWWAITCURSOR = WM_AFXFIRST + 1;

// Has the window under the cursor set it afresh, if it belongs to this process.
void RefreshCursor();

}  // namespace fw
