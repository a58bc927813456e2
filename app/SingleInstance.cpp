#include "app/SingleInstance.h"

#include "app/QamoVupDlg.h"

namespace {

// In the session's namespace, which Windows XP has: a tool of another user's session is no
// concern of this one.
constexpr wchar_t kMutexName[] = L"Local\\qamovup-061b4180-0622-4dd0-a3aa-eded43052b9f";
// The window class of every dialog.
constexpr wchar_t kDialogClass[] = L"#32770";
// A tool started a moment earlier holds the mutex before its window shows: how long to look for
// it, and how often.
constexpr DWORD kLookForWindowMs = 5000;
constexpr DWORD kLookAgainMs = 50;

HWND FindShownMainDialog()
{
    const HWND main = ::FindWindowW(kDialogClass, kMainDialogTitle);
    return main != nullptr && ::IsWindowVisible(main) ? main : nullptr;
}

// The main dialog, or what the tool shows over it: the progress dialog or a message box.
void BringForward(HWND main)
{
    if (::IsIconic(main))
        ::ShowWindow(main, SW_RESTORE);
    const HWND top = ::GetLastActivePopup(main);
    ::SetForegroundWindow(top != nullptr ? top : main);
}

}  // namespace

bool CSingleInstance::Claim()
{
    ::SetLastError(ERROR_SUCCESS);
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kMutexName);
    const DWORD error = ::GetLastError();
    m_mutex.Attach(mutex);
    // A name held by another user's tool in this session cannot be opened; any other failure
    // says nothing about another tool, and must not keep this one from running.
    if (mutex != nullptr ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED)
        return true;

    const DWORD began = ::GetTickCount();
    for (;;) {
        if (const HWND main = FindShownMainDialog()) {
            BringForward(main);
            return false;
        }
        if (::GetTickCount() - began >= kLookForWindowMs)
            return false;
        ::Sleep(kLookAgainMs);
    }
}
