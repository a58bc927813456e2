// The test dialog: runs a scenario on its own thread once its modal loop is running.
#pragma once

#include <functional>

#include "FrameworkTestIds.h"
#include "framework/Dialog.h"

class ScriptedDialog : public CDialog {
public:
    explicit ScriptedDialog(CWnd* parent = nullptr, UINT templateId = IDD_FRAMEWORK_TEST)
        : CDialog(templateId, parent) {}

    std::function<void(ScriptedDialog&)> script;
    CProgressCtrl m_progress;
    int okCalls = 0;
    int cancelCalls = 0;
    bool endOnOK = true;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;

protected:
    LRESULT OnRunScript(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};

// Runs work(dialog window) on another thread while the dialog is up, then cancels the dialog.
INT_PTR RunWithWorker(ScriptedDialog& dialog, const std::function<void(HWND)>& work);
