#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The control ids and commands of Kelvane's main window.
constexpr int kExitButton = IDOK;
constexpr int kStopButton = 1001;
constexpr int kStartButton = 3;
constexpr int kSignatureEdit = 1005;
constexpr int kFirstStringEdit = 1006;
constexpr int kLastStringEdit = 1008;
constexpr int kFileTypesEdit = 1010;
constexpr int kHelpButton = 1012;
constexpr int kWebLinkButton = 1013;
constexpr int kLogList = 1014;
constexpr int kRemoveOnErrorCheck = 1015;
constexpr WPARAM kAboutCommand = 16;

using LogLines = std::vector<std::string>;

struct MenuEntry {
    UINT m_id = 0;
    UINT m_state = 0;
    std::string m_text;
};

// Kelvane.exe, found beside the test, running with its main window open. It scans every
// drive, so it is only started where C: is the only one: in the sandbox.
class KelvaneApp {
public:
    KelvaneApp();
    // A program still running is ended.
    ~KelvaneApp();
    KelvaneApp(const KelvaneApp&) = delete;
    KelvaneApp& operator=(const KelvaneApp&) = delete;

    HWND Window() const { return m_window; }
    HWND Control(int id) const;
    std::string Text(int id) const;
    void SetText(int id, const std::string& text) const;
    bool IsChecked(int id) const;
    // The id of the control with the keyboard focus; 0 when none has it.
    int FocusedControl() const;
    std::vector<MenuEntry> SystemMenu() const;

    // Clicks a button and returns once its handler has run.
    void Click(int id) const;
    // Clicks without waiting, for a button whose handler shows a modal box.
    void PostClick(int id) const;
    void PostSysCommand(WPARAM command) const;
    // A key pressed and released in the control, as the keyboard delivers it to the control
    // with the focus.
    void PressKey(int id, WPARAM virtualKey) const;

    LogLines Log() const;
    // One line, read alone: for a caller that must not load the window with reading.
    int LogLineCount() const;
    std::string LogLine(int index) const;
    // Reads the log as it grows until done holds for it; returns the log as then, or as at the
    // timeout.
    LogLines WaitForLog(const std::function<bool(const LogLines&)>& done) const;
    // Starts a scan and waits for its drive banner. A scan that has logged its report may not
    // have ended yet and then Start is ignored, so Start is clicked until a scan begins.
    void StartScan() const;

    // A visible window of the program other than the main window, once there is one; null when
    // none appears in time.
    HWND WaitForOtherWindow() const;
    // Repeats request until the process ends: Exit is refused while a scan runs, and a scan
    // that has logged its report may not have ended yet. False when it never ends.
    bool EndsAfter(const std::function<void()>& request) const;
    // Waits for the process to end; false when it still runs at the timeout.
    bool WaitForExit(DWORD& exitCode) const;

private:
    // Ends the program if it still runs, and lets go of it.
    void End();

    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
    mutable LogLines m_log;
};

// How many lines of the log begin with prefix.
int CountLinesStartingWith(const LogLines& log, const std::string& prefix);

// The full path of a file beside the test program.
std::string BesideTest(const std::string& name);
