#pragma once

#include <windows.h>

#include <string>

// What the probe in the program under test and the test that asks it agree on. The test posts
// WindowProbeMessage() to a window, with a request number as wParam; the probe answers with
// one line per entry of the window's system menu, "id<TAB>state<TAB>text", in the file
// WindowProbeAnswerPath(request).

inline UINT WindowProbeMessage() {
    return RegisterWindowMessageA("KelvaneWindowProbe");
}

inline std::string WindowProbeAnswerPath(unsigned request) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "window-probe-" + std::to_string(request) + ".txt";
}

// The name of the hook procedure that the probe exports.
constexpr char kWindowProbeHook[] = "WindowProbeHook";
