#include "worker/InstCabThread.h"

#include "framework/WaitCursor.h"
#include "worker/Migration.h"
#include "worker/Qualification.h"
#include "worker/Transfer.h"

static_assert(int{VUP_NOTICE_LOAD_FAILED} == RAPI_LOAD_FAILED && int{VUP_NOTICE_START_FAILED} == RAPI_START_FAILED &&
                  int{VUP_NOTICE_NO_ANSWER} == RAPI_NO_ANSWER,
              "a failed connection is reported under its own result code");

namespace {

// The steps between connecting and the end of the run, with the cancellation polls between
// them. Every way out leaves the device link to the caller's scope.
void RunSteps(RunContext& run)
{
    if (run.CancelRequested() || !CheckPlatform(run))
        return;
    if (run.CancelRequested() || !CheckInstalledVersion(run))
        return;
    if (run.CancelRequested())
        return;
    RenameShortcut(run);
    if (run.CancelRequested())
        return;
    MigrateLauncherEntry(run);
    RecordDisplayDensity(run);
    if (TransferInstaller(run))
        run.Stage(VUP_STAGE_DONE);
}

// The user waits for the handheld to answer: the dialogs show the wait cursor meanwhile.
int ConnectShowingWaitCursor(RapiClass& rapi)
{
    CWaitCursor waitCursor;
    return rapi.Connect();
}

}  // namespace

DWORD WINAPI InstCabThread(LPVOID pParam)
{
    const InstCabThreadParam& dialog = *static_cast<const InstCabThreadParam*>(pParam);
    RapiClass rapi;
    RunContext run(rapi, dialog.m_hReportWnd, dialog.m_hCancelEvent.Get(), dialog.m_bCopyToCard != FALSE);

    run.Stage(VUP_STAGE_READING);
    if (run.CancelRequested())
        return 0;  // nothing loaded yet, nothing to say: the dialog set the event itself

    const int connected = ConnectShowingWaitCursor(rapi);
    if (connected != RAPI_CONNECTED) {
        run.Notice(static_cast<VupNotice>(connected));
        return 0;
    }
    RunSteps(run);
    return 0;
}
