// The tool's main window: the background picture, the start button, the notes, the check box
// that also copies the installer to the memory card, and Exit.
#pragma once

#include "app/BackgroundPicture.h"
#include "framework/Dialog.h"
#include "framework/Font.h"
#include "res/resource.h"

// The main dialog's title; a second start of the tool finds the running one by it.
inline constexpr wchar_t kMainDialogTitle[] = L"qamo+ for Handheld";

class CQamoVupDlg : public CDialog {
public:
    explicit CQamoVupDlg(CWnd* pParent = nullptr);
    ~CQamoVupDlg() override = default;

    enum { IDD = IDD_VUP_DIALOG };

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    HBRUSH OnCtlColor(HDC hdc, HWND hwndControl, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()

    HICON m_hIcon;
    CFont m_fontBold;
    CBackgroundPicture m_picture;
};
