#include "driver/Window.h"

#include <commctrl.h>

namespace uidriver {
namespace {

constexpr UINT kReplyTimeoutMs = 1000;
constexpr int kMessageBoxTextId = 0xFFFF;

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result)
{
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kReplyTimeoutMs,
                                 &result) != 0;
}

bool Matches(HWND window, const WindowQuery& query)
{
    if (query.visibleOnly && !::IsWindowVisible(window))
        return false;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (query.processId != 0 && processId != query.processId)
        return false;
    if (!query.className.empty() && ClassName(window) != query.className)
        return false;
    if (query.owner && Owner(window) != *query.owner)
        return false;
    return !query.title || Text(window) == query.title;
}

struct Search {
    const WindowQuery* query;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM lParam)
{
    Search& search = *reinterpret_cast<Search*>(lParam);
    if (Matches(window, *search.query))
        search.found.push_back(window);
    return TRUE;
}

bool HasButton(HWND box, int id)
{
    const HWND button = ::GetDlgItem(box, id);
    return button != nullptr && ::IsWindowVisible(button);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(kPollMs);
    }
}

std::vector<HWND> FindTopLevel(const WindowQuery& query)
{
    Search search{&query, {}};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopLevel(const WindowQuery& query, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> windows = FindTopLevel(query);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool WaitGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !::IsWindow(window); }, timeoutMs);
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    const int n = ::GetClassNameW(window, name, 256);
    return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

HWND Owner(HWND window)
{
    return ::GetWindow(window, GW_OWNER);
}

HWND Item(HWND dialog, int id)
{
    return ::GetDlgItem(dialog, id);
}

std::optional<std::wstring> Text(HWND window)
{
    DWORD_PTR length = 0;
    if (window == nullptr || !Ask(window, WM_GETTEXTLENGTH, 0, 0, length))
        return std::nullopt;
    // The text may grow between the two questions ("... (99%)" becomes "... (100%)"): a reply
    // that fills the buffer may have been cut, so ask again with more room.
    for (size_t room = length + 16;; room *= 2) {
        std::wstring text(room, L'\0');
        DWORD_PTR copied = 0;
        if (!Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), copied))
            return std::nullopt;
        if (copied + 1 < text.size()) {
            text.resize(copied);
            return text;
        }
    }
}

bool IsEnabled(HWND window)
{
    return window != nullptr && ::IsWindowEnabled(window);
}

std::optional<int> CheckState(HWND button)
{
    DWORD_PTR state = 0;
    if (button == nullptr || !Ask(button, BM_GETCHECK, 0, 0, state))
        return std::nullopt;
    return static_cast<int>(state);
}

std::optional<int> ProgressPosition(HWND bar)
{
    DWORD_PTR position = 0;
    if (bar == nullptr || !Ask(bar, PBM_GETPOS, 0, 0, position))
        return std::nullopt;
    return static_cast<int>(position);
}

bool Click(HWND button)
{
    return button != nullptr && ::PostMessageW(button, BM_CLICK, 0, 0);
}

bool PressKey(HWND dialog, UINT virtualKey)
{
    HWND target = dialog;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &gui) && gui.hwndFocus != nullptr &&
        (gui.hwndFocus == dialog || ::IsChild(dialog, gui.hwndFocus)))
        target = gui.hwndFocus;
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM released = (LPARAM{1} << 30) | (LPARAM{1} << 31);
    return ::PostMessageW(target, WM_KEYDOWN, virtualKey, scan | 1) &&
           ::PostMessageW(target, WM_KEYUP, virtualKey, scan | released | 1);
}

std::optional<MessageBoxView> ReadMessageBox(HWND box)
{
    const HWND textControl = ::GetDlgItem(box, kMessageBoxTextId);
    if (textControl == nullptr)
        return std::nullopt;
    const std::optional<std::wstring> text = Text(textControl);
    const std::optional<std::wstring> caption = Text(box);
    if (!text || !caption)
        return std::nullopt;
    MessageBoxView view;
    view.window = box;
    view.text = *text;
    view.caption = *caption;
    view.ok = HasButton(box, IDOK);
    view.yes = HasButton(box, IDYES);
    view.no = HasButton(box, IDNO);
    view.cancel = HasButton(box, IDCANCEL);
    return view;
}

std::optional<MessageBoxView> FindMessageBox(HWND owner)
{
    WindowQuery query;
    query.owner = owner;
    for (HWND window : FindTopLevel(query)) {
        if (std::optional<MessageBoxView> view = ReadMessageBox(window))
            return view;
    }
    return std::nullopt;
}

std::optional<MessageBoxView> WaitForMessageBox(HWND owner, DWORD timeoutMs)
{
    std::optional<MessageBoxView> view;
    WaitUntil(
        [&] {
            view = FindMessageBox(owner);
            return view.has_value();
        },
        timeoutMs);
    return view;
}

bool Answer(const MessageBoxView& box, int buttonId)
{
    return Click(::GetDlgItem(box.window, buttonId));
}

}  // namespace uidriver
