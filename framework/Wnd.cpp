#include "framework/Wnd.h"

#include "framework/WaitCursor.h"
#include "framework/WinApp.h"

namespace {

// The message each thread is handling, innermost first, for Default().
struct CurrentMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    const CurrentMessage* outer;
};

thread_local const CurrentMessage* t_current = nullptr;

// ON_COMMAND takes button clicks, menu items and accelerators, not other control notifications.
bool IsCommand(const MessageMapEntry& entry, WPARAM wParam, LPARAM lParam)
{
    return entry.commandId == LOWORD(wParam) && (HIWORD(wParam) == 0 || lParam == 0);
}

}  // namespace

const MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMap* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

bool CCmdTarget::OnMapMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->invoke != nullptr; ++entry) {
            if (msg < entry->firstMessage || msg > entry->lastMessage)
                continue;
            if (msg == WM_COMMAND && !IsCommand(*entry, wParam, lParam))
                continue;
            *result = entry->invoke(this, msg, wParam, lParam);
            return true;
        }
    }
    return false;
}

BOOL CCmdTarget::OnCmdMsg(WPARAM wParam, LPARAM lParam)
{
    LRESULT ignored;
    return OnMapMessage(WM_COMMAND, wParam, lParam, &ignored) ? TRUE : FALSE;
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    ON_MESSAGE(WM_SETCURSOR, &CWnd::OnSetCursor)
    ON_MESSAGE(fw::WM_SHOWWAITCURSOR, &CWnd::OnShowWaitCursor)
END_MESSAGE_MAP()

HWND CWnd::Detach()
{
    const HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

std::wstring CWnd::GetWindowText() const
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(m_hWnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

void CWnd::SetFont(HFONT font, BOOL redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0));
}

HFONT CWnd::GetFont() const
{
    return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
}

LRESULT CWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const CurrentMessage current{msg, wParam, lParam, t_current};
    t_current = &current;
    const LRESULT result = WindowProc(msg, wParam, lParam);
    t_current = current.outer;
    return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (OnMapMessage(msg, wParam, lParam, &result))
        return result;
    // A command no window handles goes to the application, as F1's ID_HELP does.
    if (msg == WM_COMMAND) {
        if (CWinApp* app = AfxGetApp(); app != nullptr && app->OnCmdMsg(wParam, lParam))
            return 0;
    }
    return Default();
}

LRESULT CWnd::Default()
{
    return t_current ? DefWindowProc(t_current->msg, t_current->wParam, t_current->lParam) : 0;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::OnSetCursor(WPARAM, LPARAM)
{
    if (AfxGetWaitCursorCount() > 0) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return Default();
}

LRESULT CWnd::OnShowWaitCursor(WPARAM, LPARAM)
{
    fw::ShowCurrentCursor();
    return 0;
}
