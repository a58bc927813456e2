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

// Adapters from the window message to each handler's own signature, one per kind of row.
namespace fw {

template <class>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
    using type = C;
};

template <auto F>
auto& Target(CCmdTarget* target)
{
    return *static_cast<typename MemberOf<decltype(F)>::type*>(target);
}

template <auto F>
LRESULT CallMessage(CCmdTarget* t, UINT, WPARAM wParam, LPARAM lParam)
{
    return (Target<F>(t).*F)(wParam, lParam);
}

template <auto F>
LRESULT CallVoid(CCmdTarget* t, UINT, WPARAM, LPARAM)
{
    (Target<F>(t).*F)();
    return 0;
}

template <auto F>
LRESULT CallQueryDragIcon(CCmdTarget* t, UINT, WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>((Target<F>(t).*F)());
}

template <auto F>
LRESULT CallCtlColor(CCmdTarget* t, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return reinterpret_cast<LRESULT>((Target<F>(t).*F)(reinterpret_cast<HDC>(wParam),
                                                       reinterpret_cast<HWND>(lParam),
                                                       msg - WM_CTLCOLORMSGBOX));
}

}  // namespace fw

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

#define ON_MESSAGE(message, memberFxn) {(message), (message), 0, &fw::CallMessage<memberFxn>},
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, WM_COMMAND, static_cast<UINT>(id), &fw::CallVoid<memberFxn>},
#define ON_WM_DESTROY() {WM_DESTROY, WM_DESTROY, 0, &fw::CallVoid<&ThisClass::OnDestroy>},
#define ON_WM_PAINT() {WM_PAINT, WM_PAINT, 0, &fw::CallVoid<&ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, WM_QUERYDRAGICON, 0, &fw::CallQueryDragIcon<&ThisClass::OnQueryDragIcon>},
#define ON_WM_CTLCOLOR() {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, &fw::CallCtlColor<&ThisClass::OnCtlColor>},
