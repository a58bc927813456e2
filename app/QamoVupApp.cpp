#include "app/QamoVupApp.h"

#include "app/QamoVupDlg.h"
#include "app/SingleInstance.h"

BEGIN_MESSAGE_MAP(CQamoVupApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CQamoVupApp theApp;

BOOL CQamoVupApp::InitInstance()
{
    CSingleInstance instance;
    if (!instance.Claim())
        return FALSE;
    CQamoVupDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // Nothing is left to do once the main dialog has closed: no message loop.
    return FALSE;
}
