// Loaded into Kelvane.exe by a message hook, so that the tests can read what no other process
// can reach under Wine: the window's system menu. The answer is written whole and then renamed,
// since the test takes it as soon as it appears.
#include <fstream>

#include "gui/kelvane_app.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK
    WindowProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == ProbeMessage()) {
        const HMENU menu = GetSystemMenu(msg->hwnd, FALSE);
        const std::string part = ProbeAnswerPath() + ".part";
        std::ofstream answer(part);
        for (int i = 0; menu != nullptr && i < GetMenuItemCount(menu); ++i) {
            char text[256] = "";
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            answer << GetMenuItemID(menu, i) << '\t'
                   << GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) << '\t' << text
                   << '\n';
        }
        answer.close();
        MoveFileExA(part.c_str(), ProbeAnswerPath().c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
