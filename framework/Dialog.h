// Modal dialogs from the program's dialog templates, with their controls bound to members.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/Wnd.h"

class CDataExchange {
public:
    explicit CDataExchange(CWnd* pDlgWnd) : m_pDlgWnd(pDlgWnd) {}

    CWnd* m_pDlgWnd;
};

// Binds rControl to the dialog's control nIDC.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// A progress bar control (msctls_progress32), bound to its dialog's control with DDX_Control.
class CProgressCtrl : public CWnd {
public:
    int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos))); }
};

// What no handler takes, and what a handler leaves to the usual handling, the dialog procedure
// declines (returns FALSE), so that the dialog manager does its own work.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog; the EndDialog result, or -1 if it could not be created.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    void EndDialog(int nResult);

protected:
    // The usual handling, for derived handlers to ask for: the dialog manager's, once they return.
    void OnDestroy() { m_bUsualHandling = true; }
    void OnPaint() { m_bUsualHandling = true; }
    HBRUSH OnCtlColor(HDC, HWND, UINT) { return nullptr; }  // a null brush is the usual colours

    DECLARE_MESSAGE_MAP()

private:
    LRESULT OnHelpMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    bool m_bUsualHandling = false;  // set by a handler of the message being handled
};
