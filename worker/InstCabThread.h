// The worker thread of one revision-up run. Its parameter is the progress dialog that started it,
// seen through the part it reads: the window its reports go to, the cancel event it polls and the
// copy-to-card flag, all set before the thread starts and only read by it.
#pragma once

#include <windows.h>

#include "framework/Handle.h"

class InstCabThreadParam {
public:
    HWND m_hReportWnd = nullptr;
    CHandle m_hCancelEvent;  // auto-reset; owned here, so closed with its owner
    BOOL m_bCopyToCard = FALSE;

protected:
    ~InstCabThreadParam() = default;
};

// pParam: the InstCabThreadParam of the dialog. Always returns 0.
DWORD WINAPI InstCabThread(LPVOID pParam);
