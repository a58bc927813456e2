// The program's entry: runs the application object that the program defines as a global.
#include "framework/WinApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    if (app->InitInstance())
        app->Run();
    return app->ExitInstance();
}
