// The one application object: wWinMain (AppMain.cpp) runs it.
#pragma once

#include <windows.h>

#include "framework/Wnd.h"

#ifndef ID_HELP
#define ID_HELP 0xE146  // 57670: the command that the F1 key (WM_HELP) becomes
#endif

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();  // FALSE ends the program without a message loop
    virtual int Run();            // the message loop, until WM_QUIT
    virtual int ExitInstance();   // the program's exit code

    void OnHelp();

    CWnd* m_pMainWnd = nullptr;

protected:
    int m_nExitCode = 0;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
