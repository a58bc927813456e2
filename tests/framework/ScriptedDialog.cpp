#include "ScriptedDialog.h"

#include "tests/support/TestThread.h"

namespace {

constexpr UINT WM_RUN_SCRIPT = WM_APP + 50;

}  // namespace

BEGIN_MESSAGE_MAP(ScriptedDialog, CDialog)
    ON_MESSAGE(WM_RUN_SCRIPT, &ScriptedDialog::OnRunScript)
END_MESSAGE_MAP()

BOOL ScriptedDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::PostMessageW(m_hWnd, WM_RUN_SCRIPT, 0, 0);
    return TRUE;
}

void ScriptedDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TEST_PROGRESS, m_progress);
}

void ScriptedDialog::OnOK()
{
    ++okCalls;
    if (endOnOK)
        CDialog::OnOK();
}

void ScriptedDialog::OnCancel()
{
    ++cancelCalls;
    CDialog::OnCancel();
}

LRESULT ScriptedDialog::OnRunScript(WPARAM, LPARAM)
{
    if (script)
        script(*this);
    return 0;
}

INT_PTR RunWithWorker(ScriptedDialog& dialog, const std::function<void(HWND)>& work)
{
    TestThread worker;
    dialog.script = [&](ScriptedDialog& d) {
        const HWND hWnd = d.m_hWnd;
        worker.Start([hWnd, &work] {
            work(hWnd);
            ::PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
        });
    };
    const INT_PTR result = dialog.DoModal();
    worker.Join();
    return result;
}
