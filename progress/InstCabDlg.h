// The modal progress dialog behind which one revision-up runs. It owns the worker thread and
// its cancel event, shows what the worker reports and ends itself when the run is over.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "framework/Handle.h"
#include "progress/PaintPacer.h"
#include "res/resource.h"
#include "worker/InstCabThread.h"

// The worker's parameter is this dialog: the InstCabThreadParam part of it, which holds the cancel
// event (m_hCancelEvent) and the card flag (m_bCopyToCard).
class InstCabDlg : public CDialog, public InstCabThreadParam {
public:
    explicit InstCabDlg(CWnd* pParent = nullptr);
    ~InstCabDlg() override;

    enum { IDD = IDD_INSTCAB_DIALOG };

    CProgressCtrl m_progress;
    CHandle m_hThread;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnDestroy();
    LRESULT OnVupStage(WPARAM wParam, LPARAM lParam);
    LRESULT OnVupNotice(WPARAM wParam, LPARAM lParam);
    LRESULT OnVupProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    bool StartWorker();
    void CloseWorkerHandles();
    int ShowMessage(const std::wstring& text, const wchar_t* caption, UINT style);
    void ShowReportedProgress();

    // Bound like the bar: every progress report sets it, and looking a control up by its id
    // costs a round trip to the window server on some desktops.
    CWnd m_cancelButton;
    // Set once the user has cancelled: the run is over for the user, so whatever the worker
    // still reports while we wait for it shows nothing.
    bool m_bCancelled = false;
    // The percentage last reported and the one the bar and the title show; -1 while a stage's
    // title stands.
    int m_nReportedPercent = -1;
    int m_nShownPercent = -1;
    PaintPacer m_paintPacer;
    bool m_bPaintTimerSet = false;
};
