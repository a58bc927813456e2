#include "framework/Dialog.h"

#include "framework/WaitCursor.h"
#include "framework/WinApp.h"

namespace {

// A dialog procedure returns these messages' results itself; every other result goes
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg)
{
    return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_INITDIALOG ||
           msg == WM_COMPAREITEM || msg == WM_VKEYTOITEM || msg == WM_CHARTOITEM ||
           msg == WM_QUERYDRAGICON;
}

// Dialog templates may hold a progress bar, whose window class comctl32 registers on request.
void RegisterCommonControls()
{
    static const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    static const BOOL registered = ::InitCommonControlsEx(&controls);
    (void)registered;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    rControl.Attach(::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC));
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    FW_MAP_ROW(WM_INITDIALOG, WM_INITDIALOG, 0, return self.OnInitDialog())
    ON_MESSAGE(WM_HELP, &CDialog::OnHelpMessage)
    ON_MESSAGE(WM_SETCURSOR, &CDialog::OnSetCursor)
    FW_MAP_ROW(fw::WM_SHOWWAITCURSOR, fw::WM_SHOWWAITCURSOR, 0, fw::RefreshCursor(); return 0)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal()
{
    RegisterCommonControls();
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (owner == nullptr) {
        const CWinApp* app = AfxGetApp();
        if (app != nullptr && app->m_pMainWnd != nullptr && app->m_pMainWnd != this)
            owner = app->m_pMainWnd->m_hWnd;
    }
    if (owner != nullptr && !::IsWindow(owner))
        return -1;
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog()
{
    CDataExchange dx(this);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

// F1 becomes ID_HELP for this dialog, then the application; it must not also travel on to
// the owner window, as the usual handling would send it.
LRESULT CDialog::OnHelpMessage(WPARAM, LPARAM)
{
    SendMessage(WM_COMMAND, ID_HELP, 0);
    return TRUE;
}

LRESULT CDialog::OnSetCursor(WPARAM, LPARAM)
{
    if (AfxGetWaitCursorCount() == 0) {
        m_bUsualHandling = true;
        return FALSE;
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
}

// True if a handler took the message and did not leave it to the usual handling.
bool CDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // A handler may send this dialog other messages before it returns: each has its own answer.
    const bool outer = m_bUsualHandling;
    m_bUsualHandling = false;
    bool handled = OnMapMessage(msg, wParam, lParam, result) && !m_bUsualHandling;
    m_bUsualHandling = outer;
    // A command no window handles goes to the application, as F1's ID_HELP does.
    if (!handled && msg == WM_COMMAND) {
        CWinApp* app = AfxGetApp();
        handled = app != nullptr && app->OnCmdMsg(wParam, lParam);
        *result = 0;
    }
    return handled;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog;
    if (msg == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    }
    if (dialog == nullptr)
        return FALSE;  // sent before WM_INITDIALOG, or after WM_NCDESTROY

    LRESULT result = 0;
    const bool handled = dialog->OnMessage(msg, wParam, lParam, &result);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    if (!handled)
        return FALSE;
    if (ReturnsResultDirectly(msg))
        return result;
    // Set last: the handler may have sent this dialog other messages, which overwrite it.
    ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
