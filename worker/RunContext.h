// One revision-up run as its steps see it: the link to the handheld, the progress dialog to
// report to (only through the three messages) and the cancel event to poll.
#pragma once

#include "devicelink/RapiClass.h"
#include "worker/VupMessages.h"

class RunContext {
public:
    RunContext(RapiClass& rapi, HWND hDialog, HANDLE hCancelEvent, bool copyToCard)
        : m_rapi(rapi), m_hDialog(hDialog), m_hCancelEvent(hCancelEvent), m_copyToCard(copyToCard)
    {
    }

    RapiClass& Rapi() const { return m_rapi; }
    bool CopyToCard() const { return m_copyToCard; }

    // Only an event found signalled cancels; a failed wait means go on. The event is
    // auto-reset, so one press of Cancel is seen by exactly one poll.
    bool CancelRequested() const { return ::WaitForSingleObject(m_hCancelEvent, 0) == WAIT_OBJECT_0; }

    void Stage(VupStage stage) const { ::SendMessageA(m_hDialog, WM_VUP_STAGE, stage, 0); }
    // Returns the dialog's answer; only VUP_NOTICE_NEWER_VERSION has one.
    LRESULT Notice(VupNotice notice, const char* versionText = nullptr) const
    {
        return ::SendMessageA(m_hDialog, WM_VUP_NOTICE, notice, reinterpret_cast<LPARAM>(versionText));
    }
    void Progress(WPARAM percent, LPARAM state) const
    {
        ::SendMessageA(m_hDialog, WM_VUP_PROGRESS, percent, state);
    }

    // Set by the platform check; chooses the memory card's folder.
    bool m_bSmdk6410 = false;

private:
    RapiClass& m_rapi;
    HWND m_hDialog;
    HANDLE m_hCancelEvent;
    bool m_copyToCard;
};
