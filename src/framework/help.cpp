#include "framework/help.h"

#include <initializer_list>

namespace {

DWORD AskWindowAndParents(HWND hWnd) {
    for (; hWnd != nullptr; hWnd = GetParent(hWnd)) {
        const LRESULT context = SendMessageA(hWnd, HelpContextMessage(), 0, 0);
        if (context != 0) {
            return static_cast<DWORD>(context);
        }
    }
    return 0;
}

}  // namespace

// A registered message cannot collide with any control's own messages.
UINT HelpContextMessage() {
    static const UINT message = RegisterWindowMessageA("Kelvane.HelpContext");
    return message;
}

DWORD FindHelpContext(HWND hMainWnd) {
    const HWND lastPopup = hMainWnd != nullptr ? GetLastActivePopup(hMainWnd) : nullptr;
    for (const HWND start : {GetCapture(), GetFocus(), lastPopup}) {
        if (const DWORD context = AskWindowAndParents(start)) {
            return context;
        }
    }
    return 0;
}
