#pragma once

#include <windows.h>

class CCmdTarget;

// One row of a class's table of handled messages: a window message (for WM_COMMAND also the
// command id) and a thunk that unpacks the parameters and calls the member handler. The
// thunk's result is what the dialog procedure returns for the message.
struct MessageMapEntry {
    UINT message;
    UINT commandId;
    INT_PTR (*call)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
};

// A class's rows end with a row whose thunk is null; the base class's table is searched next.
struct MessageMap {
    const MessageMap* (*baseMap)();
    const MessageMapEntry* entries;
};

namespace message_map_detail {

// The class that declares a member handler, so that the thunk can cast the target to it.
template <class Handler>
struct DeclaringClass;
template <class T, class R, class... Args>
struct DeclaringClass<R (T::*)(Args...)> {
    using type = T;
};

template <auto handler>
auto& Owner(CCmdTarget& target) {
    return static_cast<typename DeclaringClass<decltype(handler)>::type&>(target);
}

template <auto handler>
INT_PTR CallVoid(CCmdTarget& target, WPARAM, LPARAM) {
    (Owner<handler>(target).*handler)();
    return TRUE;
}

template <auto handler>
INT_PTR CallSysCommand(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    (Owner<handler>(target).*handler)(static_cast<UINT>(wParam), lParam);
    return TRUE;
}

template <auto handler>
INT_PTR CallTimer(CCmdTarget& target, WPARAM wParam, LPARAM) {
    (Owner<handler>(target).*handler)(static_cast<UINT_PTR>(wParam));
    return TRUE;
}

// WM_QUERYDRAGICON is one of the messages whose result the dialog procedure returns directly.
template <auto handler>
INT_PTR CallQueryDragIcon(CCmdTarget& target, WPARAM, LPARAM) {
    return reinterpret_cast<INT_PTR>((Owner<handler>(target).*handler)());
}

}  // namespace message_map_detail

// In the class declaration.
#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const MessageMap* GetThisMessageMap(); \
    const MessageMap* GetMessageMap() const override;

// In the class's source file, around its rows.
// clang-format off
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap() {                                 \
        using ThisClass [[maybe_unused]] = theClass; /* unused in an empty map */     \
        using TheBaseClass = baseClass;                                               \
        static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                          \
            {0, 0, nullptr}};                                                      \
        static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                               \
    }
// clang-format on

// The rows. A command is a WM_COMMAND whose notification code is 0: a button click, a menu
// item, Enter (IDOK) or Escape (IDCANCEL).
#define ON_COMMAND(id, memberFn) \
    {WM_COMMAND, id, &message_map_detail::CallVoid<&ThisClass::memberFn>},
#define ON_WM_PAINT() {WM_PAINT, 0, &message_map_detail::CallVoid<&ThisClass::OnPaint>},
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, &message_map_detail::CallSysCommand<&ThisClass::OnSysCommand>},
#define ON_WM_TIMER() {WM_TIMER, 0, &message_map_detail::CallTimer<&ThisClass::OnTimer>},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, &message_map_detail::CallQueryDragIcon<&ThisClass::OnQueryDragIcon>},
