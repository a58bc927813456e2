// The application object: runs the main dialog and ends when it closes.
#pragma once

#include "framework/WinApp.h"

class CQamoVupApp : public CWinApp {
public:
    CQamoVupApp() = default;
    ~CQamoVupApp() override = default;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CQamoVupApp theApp;
