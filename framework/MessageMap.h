// A message map: a static table of {messages, handler} rows per class, chained to the base
// class's table, so that a class names the messages it handles and nothing else.
#pragma once

#include <windows.h>

#include <type_traits>

class CCmdTarget;

struct MessageMapEntry {
    UINT firstMessage;
    UINT lastMessage;
    UINT commandId;  // WM_COMMAND rows only
    LRESULT (*invoke)(CCmdTarget* target, UINT msg, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;  // ends with a row whose invoke is null
};

#define DECLARE_MESSAGE_MAP()                         \
protected:                                            \
    static const MessageMap* GetThisMessageMap();     \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap()                             \
    {                                                                           \
        typedef theClass ThisClass;                                             \
        typedef baseClass TheBaseClass;                                         \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                     \
            {0, 0, 0, nullptr}                                                                \
        };                                                                                    \
        static_assert(std::is_base_of<TheBaseClass, ThisClass>::value, "chain to a base class"); \
        static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries};            \
        return &map;                                                                          \
    }

namespace fw {
// A map's rows run only for objects of the class whose map holds them.
template <class T>
T& Self(CCmdTarget* target) { return *static_cast<T*>(target); }
}  // namespace fw

// Each row adapts the window message to its handler's own signature.
#define FW_MAP_ROW(first, last, id, call) \
    {(first), (last), static_cast<UINT>(id), \
     [](CCmdTarget* t, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         ThisClass& self = fw::Self<ThisClass>(t); \
         (void)self, (void)msg, (void)wParam, (void)lParam; \
         call; \
     }},

#define ON_MESSAGE(message, memberFxn) FW_MAP_ROW(message, message, 0, return (self.*(memberFxn))(wParam, lParam))
#define ON_COMMAND(id, memberFxn) FW_MAP_ROW(WM_COMMAND, WM_COMMAND, id, (self.*(memberFxn))(); return 0)
#define ON_WM_DESTROY() FW_MAP_ROW(WM_DESTROY, WM_DESTROY, 0, self.OnDestroy(); return 0)
#define ON_WM_PAINT() FW_MAP_ROW(WM_PAINT, WM_PAINT, 0, self.OnPaint(); return 0)
#define ON_WM_QUERYDRAGICON() \
    FW_MAP_ROW(WM_QUERYDRAGICON, WM_QUERYDRAGICON, 0, return reinterpret_cast<LRESULT>(self.OnQueryDragIcon()))
#define ON_WM_CTLCOLOR()                                                                                   \
    FW_MAP_ROW(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0,                                                   \
               return reinterpret_cast<LRESULT>(self.OnCtlColor(reinterpret_cast<HDC>(wParam),              \
                                                                reinterpret_cast<HWND>(lParam), msg - WM_CTLCOLORMSGBOX)))
