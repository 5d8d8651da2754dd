#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// The ids of the main window's controls and of its About command.
#include "res/resource.h"

// Kelvane.exe driven from another process, by the messages that the system carries across and,
// where it does not, through memory of that process.

// Long enough for a loaded machine: a wait that runs out is a failure, never a measure.
constexpr std::chrono::milliseconds kGuiTimeout{60000};

using LogLines = std::vector<std::string>;

// Polls until the condition holds; false when it still does not after the timeout.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = kGuiTimeout);
// Sends a message and waits for the answer; throws when the window is gone or hangs.
LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// The text of a window or control, that of another process's edit field too.
std::string WindowText(HWND window);

// The window probe (window_probe.cpp), loaded into Kelvane.exe, answers this message with one
// line per entry of the window's system menu, "id<TAB>state<TAB>text", in a file that appears
// whole at ProbeAnswerPath(): no other process can read the menu under Wine.
inline UINT ProbeMessage() {
    return RegisterWindowMessageA("KelvaneWindowProbe");
}
inline std::string ProbeAnswerPath() {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "window-probe.txt";
}

// Kelvane.exe, found beside the test, running with its main window open. It scans every
// drive, so it is only started where C: is the only one: in the sandbox.
class KelvaneApp {
public:
    KelvaneApp();

    HWND Window() const { return m_window; }
    HWND Control(int id) const;
    // A key pressed and released in the control, posted as the keyboard does, so that the
    // dialog's own loop sees it.
    void PressKey(int id, WPARAM virtualKey) const;
    // The window's system menu as the probe reads it, one line per entry.
    std::string SystemMenu() const;

    // The log, read as it grows: only the lines added since the last read are fetched.
    LogLines Log() const;
    // How many lines, and the lines [first, last) read alone: for a caller that must not load
    // the window with reading the whole log.
    int LogLineCount() const;
    LogLines LogFrom(int first, int last) const;
    // Reads the log until done holds for it; returns the log as then, or as at the timeout.
    LogLines WaitForLog(const std::function<bool(const LogLines&)>& done) const;
    // Starts a scan and waits for its first line. A scan that has logged its report may not
    // have ended yet and then Start is ignored, so Start is clicked until a scan begins.
    void StartScan() const;

    // A visible top-level window of the program that wanted accepts; null when none appears.
    HWND WaitForWindow(const std::function<bool(HWND)>& wanted) const;
    // Repeats request until the process ends: Exit is refused while a scan runs, and a scan
    // that has logged its report may not have ended yet. False when it never ends.
    bool EndsAfter(const std::function<void()>& request) const;
    // The process's exit code once it has ended; -1 when it still runs at the timeout.
    long ExitCode() const;

private:
    // Ended, if it still runs, when let go of.
    struct Process : PROCESS_INFORMATION {
        Process() : PROCESS_INFORMATION{} {}
        ~Process();
        Process(const Process&) = delete;
        Process& operator=(const Process&) = delete;
    };

    Process m_process;
    HWND m_window = nullptr;
    mutable LogLines m_log;
};
