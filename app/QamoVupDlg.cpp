#include "app/QamoVupDlg.h"

#include "progress/InstCabDlg.h"

BEGIN_MESSAGE_MAP(CQamoVupDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CQamoVupDlg::CQamoVupDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
}

BOOL CQamoVupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetWindowText(kMainDialogTitle);
    CheckDlgButton(IDC_COPY_TO_CARD, BST_CHECKED);

    LOGFONTW description{};
    const HFONT dialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (dialogFont != nullptr && ::GetObjectW(dialogFont, sizeof(description), &description) != 0) {
        description.lfWeight = FW_BOLD;
        m_fontBold.CreateFontIndirect(&description);
    }
    // Every child gets it, the picture and the empty group box included: all texts are bold.
    for (CWnd child = GetWindow(GW_CHILD); child.GetSafeHwnd() != nullptr; child = child.GetWindow(GW_HWNDNEXT))
        child.SetFont(m_fontBold.GetSafeHandle(), TRUE);
    // The picture is the first control.
    m_picture.FitToScale(m_hWnd, GetWindow(GW_CHILD).GetSafeHwnd());
    return TRUE;
}

void CQamoVupDlg::OnOK()
{
    InstCabDlg progress(this);
    if (progress.DoModal() == IDOK)
        CDialog::OnOK();
}

void CQamoVupDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}

HCURSOR CQamoVupDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

// The static texts, the check box and the group box draw their text straight onto the picture.
HBRUSH CQamoVupDlg::OnCtlColor(HDC hdc, HWND hwndControl, UINT nCtlColor)
{
    const HBRUSH brush = CDialog::OnCtlColor(hdc, hwndControl, nCtlColor);
    if (nCtlColor != CTLCOLOR_STATIC)
        return brush;
    ::SetBkMode(hdc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}
