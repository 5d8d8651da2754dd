#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Access to the windows of another process, by messages that the system carries across and,
// where it does not, through memory of that process.

// Long enough for a loaded machine: a wait that runs out is a failure, never a measure.
constexpr std::chrono::milliseconds kGuiTimeout{60000};

// Polls until the condition holds; false when it still does not after the timeout.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = kGuiTimeout);

// Sends a message and waits for the answer; throws when the window is gone or hangs.
LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Posts a message; throws when the window is gone.
void PostTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

std::string WindowText(HWND window);
void SetWindowTextTo(HWND window, const std::string& text);
std::string WindowClass(HWND window);

// The visible top-level windows of a process, other than those in except.
std::vector<HWND> VisibleTopLevelWindows(DWORD processId, const std::vector<HWND>& except = {});

// The texts of the items of a list-view control in process, from item first on.
std::vector<std::string> ListViewTexts(HANDLE process, HWND list, int first = 0);
