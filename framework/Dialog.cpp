#include "framework/Dialog.h"

#include <commctrl.h>

#include "framework/WinApp.h"

namespace {

// The message that Default() hands back to DefDlgProc: the dialog procedure must decline it
// once, or DefDlgProc would call the handler again instead of doing its own work.
struct DeclinedMessage {
    HWND hWnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

thread_local const DeclinedMessage* t_declined = nullptr;

bool TakeDeclined(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const DeclinedMessage* d = t_declined;
    if (d == nullptr || d->hWnd != hWnd || d->msg != msg || d->wParam != wParam || d->lParam != lParam)
        return false;
    t_declined = nullptr;
    return true;
}

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
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    rControl.Attach(::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC));
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, &CDialog::OnInitDialogMessage)
    ON_MESSAGE(WM_HELP, &CDialog::OnHelpMessage)
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
    UpdateData(FALSE);
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

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

void CDialog::OnDestroy()
{
    Default();
}

void CDialog::OnPaint()
{
    Default();
}

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT)
{
    return reinterpret_cast<HBRUSH>(Default());
}

LRESULT CDialog::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const DeclinedMessage declined{m_hWnd, msg, wParam, lParam};
    const DeclinedMessage* outer = t_declined;
    t_declined = &declined;
    const LRESULT result = ::DefDlgProcW(m_hWnd, msg, wParam, lParam);
    t_declined = outer;
    return result;
}

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM)
{
    return OnInitDialog();
}

// F1 becomes ID_HELP for this dialog, then the application; it must not also travel on to
// the owner window, as DefWindowProc would send it.
LRESULT CDialog::OnHelpMessage(WPARAM, LPARAM)
{
    SendMessage(WM_COMMAND, ID_HELP, 0);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (TakeDeclined(hWnd, msg, wParam, lParam))
        return FALSE;
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

    const LRESULT result = dialog->HandleMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    if (ReturnsResultDirectly(msg))
        return result;
    // Set last: the handler may have sent this dialog other messages, which overwrite it.
    ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
