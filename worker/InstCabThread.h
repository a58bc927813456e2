// The worker thread of one revision-up run. Its parameter is the InstCabDlg that started it;
// it reads the dialog's window, m_hCancelEvent and m_bCopyToCard, and nothing else.
#pragma once

#include <windows.h>

DWORD WINAPI InstCabThread(LPVOID pParam);
