#include "progress/InstCabDlg.h"

#include "framework/WaitCursor.h"
#include "progress/ProgressTexts.h"
#include "progress/TextFormat.h"
#include "progress/WorkerWait.h"
#include "worker/HandheldNames.h"
#include "worker/VupMessages.h"

namespace {

struct NoticeText {
    WPARAM code;
    const wchar_t* text;
    const wchar_t* caption;
};

using namespace progress_text;

// Notices 7 and 8 carry the installed version and are formatted on their own.
constexpr NoticeText kErrorNotices[] = {
    {VUP_NOTICE_LOAD_FAILED, kLoadFailed, kConnectionCaption},
    {VUP_NOTICE_START_FAILED, kStartFailed, kConnectionCaption},
    {VUP_NOTICE_NO_ANSWER, kNoAnswer, kConnectionCaption},
    {VUP_NOTICE_WRONG_PLATFORM, kWrongPlatform, kConnectionCaption},
    {VUP_NOTICE_NOT_INSTALLED, kNotInstalled, kVersionCaption},
    {VUP_NOTICE_INSTALL_CREATE_FAILED, kInstallCreateFailed, kTransferCaption},
    {VUP_NOTICE_WRITE_FAILED, kWriteFailed, kTransferCaption},
    {VUP_NOTICE_CARD_CREATE_FAILED, kCardCreateFailed, kTransferCaption},
};

// A progress report held back until the desktop has caught up with painting.
constexpr UINT_PTR kPaintTimerId = 1;

}  // namespace

BEGIN_MESSAGE_MAP(InstCabDlg, CDialog)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_VUP_STAGE, &InstCabDlg::OnVupStage)
    ON_MESSAGE(WM_VUP_NOTICE, &InstCabDlg::OnVupNotice)
    ON_MESSAGE(WM_VUP_PROGRESS, &InstCabDlg::OnVupProgress)
    ON_MESSAGE(WM_TIMER, &InstCabDlg::OnTimer)
END_MESSAGE_MAP()

InstCabDlg::InstCabDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

// The window's destruction has closed the handles already.
InstCabDlg::~InstCabDlg() = default;

void InstCabDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDCANCEL, m_cancelButton);
}

BOOL InstCabDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_bCopyToCard = GetParent().IsDlgButtonChecked(IDC_COPY_TO_CARD) == BST_CHECKED ? TRUE : FALSE;
    if (!StartWorker()) {
        ShowMessage(kWorkerNotStarted, kConnectionCaption, MB_ICONHAND);
        EndDialog(IDCANCEL);
    }
    return TRUE;
}

bool InstCabDlg::StartWorker()
{
    m_hReportWnd = m_hWnd;
    m_hCancelEvent.Attach(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_hCancelEvent.IsValid())
        return false;
    InstCabThreadParam* param = this;
    m_hThread.Attach(::CreateThread(nullptr, 0, InstCabThread, param, 0, nullptr));
    if (!m_hThread.IsValid()) {
        m_hCancelEvent.Close();
        return false;
    }
    return true;
}

void InstCabDlg::CloseWorkerHandles()
{
    if (m_hThread.IsValid())
        WaitForWorker(m_hThread.Get());
    m_hThread.Close();
    m_hCancelEvent.Close();
}

// Only the worker's completion ends this dialog with IDOK; the Enter key must not.
void InstCabDlg::OnOK() {}

void InstCabDlg::OnCancel()
{
    // The cancel key means nothing while the Cancel button is disabled: no copy is running.
    if (!m_cancelButton.IsWindowEnabled())
        return;
    CWaitCursor waitCursor;
    m_bCancelled = true;
    // The worker may take a chunk's time to see it: the button shows at once that it was taken.
    m_cancelButton.EnableWindow(FALSE);
    if (m_hCancelEvent.IsValid())
        ::SetEvent(m_hCancelEvent.Get());
    CloseWorkerHandles();
    CDialog::OnCancel();
}

void InstCabDlg::OnDestroy()
{
    CDialog::OnDestroy();
    CloseWorkerHandles();
}

// Whatever the dialog says next comes after the progress already reported, which stays shown.
int InstCabDlg::ShowMessage(const std::wstring& text, const wchar_t* caption, UINT style)
{
    ShowReportedProgress();
    return MessageBox(text.c_str(), caption, style);
}

void InstCabDlg::ShowReportedProgress()
{
    if (m_bCancelled || m_nReportedPercent == m_nShownPercent)
        return;
    m_paintPacer.PaintStarts();
    m_progress.SetPos(m_nReportedPercent);
    SetWindowText(FormatText(kPercentTitle, {std::to_wstring(m_nReportedPercent)}).c_str());
    m_paintPacer.PaintEnded();
    m_nShownPercent = m_nReportedPercent;
}

LRESULT InstCabDlg::OnVupStage(WPARAM wParam, LPARAM)
{
    // After a Cancel the dialog keeps what it showed when the user pressed it.
    if (m_bCancelled)
        return 0;
    const wchar_t* status = nullptr;
    const wchar_t* title = nullptr;
    switch (wParam) {
    case VUP_STAGE_READING:
        status = kReadingStatus;
        title = kReadingTitle;
        break;
    case VUP_STAGE_COPY_TO_CARD:
        status = kCardStatus;
        title = kTransferTitle;
        break;
    case VUP_STAGE_INSTALL:
        status = kInstallStatus;
        title = kTransferTitle;
        break;
    case VUP_STAGE_DONE:
        ShowMessage(kDoneText, kDoneCaption, MB_ICONINFORMATION);
        EndDialog(IDOK);
        return 0;
    default:
        return 0;
    }
    ShowReportedProgress();
    SetDlgItemText(IDC_STATUS_TEXT, status);
    SetWindowText(title);
    m_nReportedPercent = m_nShownPercent = -1;
    return 0;
}

LRESULT InstCabDlg::OnVupNotice(WPARAM wParam, LPARAM lParam)
{
    // The user has cancelled: whatever the worker still has to say is no longer news.
    if (m_bCancelled)
        return 0;

    const char* version = reinterpret_cast<const char*>(lParam);
    if (wParam == VUP_NOTICE_NEWER_VERSION) {
        const std::wstring text = FormatText(kNewerVersion, {FromAnsi(version)});
        if (ShowMessage(text, kVersionCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
            return 1;
    } else if (wParam == VUP_NOTICE_VERSION_TOO_OLD) {
        const std::wstring text =
            FormatText(kVersionTooOld, {FromAnsi(version), FromAnsi(handheld::kRequiredVersion)});
        ShowMessage(text, kVersionCaption, MB_ICONHAND);
    } else {
        for (const NoticeText& notice : kErrorNotices) {
            if (notice.code == wParam) {
                ShowMessage(notice.text, notice.caption, MB_ICONHAND);
                break;
            }
        }
    }
    EndDialog(IDCANCEL);
    return 0;
}

// The worker waits in its report only for what it and the Cancel button depend on: the answer and
// Cancel's state. The bar and the title repaint as they are set, which takes several times as
// long as the report itself, so they are set once the worker has its answer and is writing its
// next chunk, at the pace PaintPacer sets; reports that come faster replace one another.
LRESULT InstCabDlg::OnVupProgress(WPARAM wParam, LPARAM lParam)
{
    // A cancelled run stays cancelled: its last reports neither offer Cancel again nor move the bar.
    const bool offerCancel = lParam == VUP_PROGRESS_RUNNING && !m_bCancelled;
    if ((m_cancelButton.IsWindowEnabled() != FALSE) != offerCancel)
        m_cancelButton.EnableWindow(offerCancel ? TRUE : FALSE);
    ::ReplyMessage(0);
    // The answer has woken the worker: let it have the processor before the painting does.
    ::SwitchToThread();
    if (m_bCancelled)
        return 0;
    m_nReportedPercent = static_cast<int>(wParam);
    const DWORD waitMs = m_paintPacer.WaitBeforePaintMs();
    if (waitMs == 0)
        ShowReportedProgress();
    else if (!m_bPaintTimerSet)
        m_bPaintTimerSet = ::SetTimer(m_hWnd, kPaintTimerId, waitMs, nullptr) != 0;
    return 0;
}

LRESULT InstCabDlg::OnTimer(WPARAM wParam, LPARAM)
{
    if (wParam == kPaintTimerId) {
        ::KillTimer(m_hWnd, kPaintTimerId);
        m_bPaintTimerSet = false;
        ShowReportedProgress();
    }
    return 0;
}
