// Loaded into the program under test by a message hook, so that the tests can read what no
// other process can reach under Wine: the window's system menu. The answer is a file, written
// whole and then renamed, that the test waits for.
#include <windows.h>

#include <string>

#include "gui/window_probe.h"

namespace {

std::string MenuEntryLine(HMENU menu, int position) {
    char text[256] = "";
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    const UINT state = GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
    const UINT id = GetMenuItemID(menu, position);
    return std::to_string(id) + "\t" + std::to_string(state) + "\t" + text + "\n";
}

std::string DescribeSystemMenu(HWND window) {
    const HMENU menu = GetSystemMenu(window, FALSE);
    std::string answer;
    for (int i = 0; menu != nullptr && i < GetMenuItemCount(menu); ++i) {
        answer += MenuEntryLine(menu, i);
    }
    return answer;
}

void WriteAnswer(const std::string& path, const std::string& answer) {
    const std::string part = path + ".part";
    const HANDLE file =
        CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    WindowProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WindowProbeMessage()) {
        WriteAnswer(WindowProbeAnswerPath(static_cast<unsigned>(msg->wParam)),
                    DescribeSystemMenu(msg->hwnd));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
