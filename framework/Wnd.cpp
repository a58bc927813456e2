#include "framework/Wnd.h"

namespace {

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
