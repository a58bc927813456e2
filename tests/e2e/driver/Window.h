// Finding, reading and pressing another program's windows as a user would, without ever
// blocking on it: reads time out on a busy target and clicks are posted, never sent.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace uidriver {

// How often the waits below look again.
constexpr DWORD kPollMs = 15;

// Polls until condition holds; false if it still does not after timeoutMs.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// A top-level window; every field left empty matches anything.
struct WindowQuery {
    DWORD processId = 0;
    // A modal dialog shows itself only once its queue is idle; its message box may come first.
    bool visibleOnly = true;
    std::wstring className = L"#32770";
    std::optional<std::wstring> title;
    std::optional<HWND> owner;
};

std::vector<HWND> FindTopLevel(const WindowQuery& query);
HWND WaitForTopLevel(const WindowQuery& query, DWORD timeoutMs);
bool WaitGone(HWND window, DWORD timeoutMs);

std::wstring ClassName(HWND window);
HWND Owner(HWND window);
HWND Item(HWND dialog, int id);
// None if the window is gone or does not answer within a second.
std::optional<std::wstring> Text(HWND window);
bool IsEnabled(HWND window);
std::optional<int> CheckState(HWND button);       // BST_CHECKED, BST_UNCHECKED
std::optional<int> ProgressPosition(HWND bar);    // PBM_GETPOS

// Posts BM_CLICK: the click may open a message box, so nothing waits for it.
bool Click(HWND button);
// A key press as the dialog's own loop sees it: down and up, posted to the focused control.
bool PressKey(HWND dialog, UINT virtualKey);

// A standard message box: a dialog with the static 65535 that holds its text.
struct MessageBoxView {
    HWND window = nullptr;
    std::wstring text;
    std::wstring caption;
    bool ok = false;
    bool yes = false;
    bool no = false;
    bool cancel = false;
};

std::optional<MessageBoxView> ReadMessageBox(HWND box);
// A message box owned by owner: now, or within timeoutMs.
std::optional<MessageBoxView> FindMessageBox(HWND owner);
std::optional<MessageBoxView> WaitForMessageBox(HWND owner, DWORD timeoutMs);
// Presses one of its buttons (IDOK, IDYES, IDNO).
bool Answer(const MessageBoxView& box, int buttonId);

// Saves what the screen shows of window (the whole desktop for null) as a 24-bit .bmp.
bool SaveScreenshot(HWND window, const std::wstring& bmpPath);

}  // namespace uidriver
