// The window layer: CCmdTarget owns a message map; CWnd is a thin, copyable skin over one HWND.
#pragma once

#include <windows.h>

#include "framework/MessageMap.h"

class CObject {
public:
    virtual ~CObject() = default;
};

class CCmdTarget : public CObject {
public:
    virtual const MessageMap* GetMessageMap() const;

    // Runs this object's ON_COMMAND handler for the WM_COMMAND in wParam/lParam, if it has one.
    BOOL OnCmdMsg(WPARAM wParam, LPARAM lParam);

protected:
    static const MessageMap* GetThisMessageMap();
    // Runs the first handler of the map chain that takes the message; false if none does.
    bool OnMapMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}

    HWND GetSafeHwnd() const { return m_hWnd; }  // null while no window is attached
    void Attach(HWND hWnd) { m_hWnd = hWnd; }

    CWnd GetParent() const { return CWnd(::GetParent(m_hWnd)); }
    CWnd GetDlgItem(int id) const { return CWnd(::GetDlgItem(m_hWnd, id)); }
    CWnd GetWindow(UINT cmd) const { return CWnd(::GetWindow(m_hWnd, cmd)); }

    void SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
    void SetDlgItemText(int id, LPCWSTR text) { ::SetDlgItemTextW(m_hWnd, id, text); }
    // The button messages themselves: the documentation dates ::IsDlgButtonChecked and
    // ::CheckDlgButton from Vista, and the import test holds the tool to Windows XP.
    UINT IsDlgButtonChecked(int id) const
    {
        return static_cast<UINT>(::SendDlgItemMessageW(m_hWnd, id, BM_GETCHECK, 0, 0));
    }
    void CheckDlgButton(int id, UINT check) { ::SendDlgItemMessageW(m_hWnd, id, BM_SETCHECK, check, 0); }

    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    int MessageBox(LPCWSTR text, LPCWSTR caption, UINT type) const
    {
        return ::MessageBoxW(m_hWnd, text, caption, type);
    }
    HICON SetIcon(HICON icon, BOOL bigIcon)
    {
        return reinterpret_cast<HICON>(
            SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    void SetFont(HFONT font, BOOL redraw = TRUE)
    {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0));
    }
};
