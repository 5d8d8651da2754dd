#include "gui/kelvane_app.h"

#include <commctrl.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "gui/remote_window.h"
#include "gui/scan_log.h"
#include "gui/site_tree.h"
#include "gui/window_probe.h"

namespace {

constexpr char kMainCaption[] = "Kelvane";
// Time for a click on Start to show its scan's banner before it is clicked again.
constexpr std::chrono::milliseconds kStartRetry{3000};

// Start scans every drive: outside the sandbox that would be the whole machine.
void RequireSandbox() {
    char drives[256] = "";
    const DWORD length = GetLogicalDriveStringsA(sizeof drives, drives);
    if (std::string(drives, length) != std::string("C:\\\0", 4)) {
        throw std::runtime_error(
            "C: is not the only drive: run this test in the sandbox (tools/sandbox-test-run.sh)");
    }
}

PROCESS_INFORMATION StartProgram(const std::string& path) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + path + "\"";
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        throw std::runtime_error("cannot start " + path);
    }
    return process;
}

// The main window is the one with the log; a message box may carry the same caption.
HWND FindMainWindow(DWORD processId) {
    for (const HWND window : VisibleTopLevelWindows(processId)) {
        if (WindowText(window) == kMainCaption && GetDlgItem(window, kLogList) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

std::vector<MenuEntry> ParseMenuEntries(const std::string& answer) {
    std::vector<MenuEntry> entries;
    std::istringstream lines(answer);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        MenuEntry entry;
        fields >> entry.m_id >> entry.m_state;
        fields.ignore(1);
        std::getline(fields, entry.m_text);
        entries.push_back(entry);
    }
    return entries;
}

// The probe's hook procedure; a pointer to any function goes through void (*)() without a
// warning.
HOOKPROC ProbeProcedure(HMODULE probe) {
    const FARPROC procedure = probe ? GetProcAddress(probe, kWindowProbeHook) : nullptr;
    return reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(procedure));
}

// Sets a message hook on thread with the probe, which the system loads into its process.
class ProbeHook {
public:
    explicit ProbeHook(DWORD thread)
        : m_module(LoadLibraryA(BesideTest("window_probe.dll").c_str())) {
        const HOOKPROC procedure = ProbeProcedure(m_module);
        m_hook =
            procedure ? SetWindowsHookExA(WH_GETMESSAGE, procedure, m_module, thread) : nullptr;
        if (m_hook == nullptr) {
            throw std::runtime_error("cannot set the window probe's hook");
        }
    }
    ~ProbeHook() {
        UnhookWindowsHookEx(m_hook);
        FreeLibrary(m_module);
    }
    ProbeHook(const ProbeHook&) = delete;
    ProbeHook& operator=(const ProbeHook&) = delete;

private:
    HMODULE m_module;
    HHOOK m_hook = nullptr;
};

}  // namespace

KelvaneApp::KelvaneApp() {
    RequireSandbox();
    m_process = StartProgram(BesideTest("Kelvane.exe"));
    WaitForInputIdle(m_process.hProcess, static_cast<DWORD>(kGuiTimeout.count()));
    WaitUntil([this] { return (m_window = FindMainWindow(m_process.dwProcessId)) != nullptr; });
    if (m_window == nullptr) {
        End();
        throw std::runtime_error("Kelvane.exe showed no main window");
    }
}

KelvaneApp::~KelvaneApp() {
    End();
}

void KelvaneApp::End() {
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, INFINITE);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

HWND KelvaneApp::Control(int id) const {
    const HWND control = GetDlgItem(m_window, id);
    if (control == nullptr) {
        throw std::runtime_error("the main window has no control " + std::to_string(id));
    }
    return control;
}

std::string KelvaneApp::Text(int id) const {
    return WindowText(Control(id));
}

void KelvaneApp::SetText(int id, const std::string& text) const {
    SetWindowTextTo(Control(id), text);
}

bool KelvaneApp::IsChecked(int id) const {
    return SendTo(Control(id), BM_GETCHECK) == BST_CHECKED;
}

int KelvaneApp::FocusedControl() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(m_window, nullptr), &info) ||
        info.hwndFocus == nullptr) {
        return 0;
    }
    return GetDlgCtrlID(info.hwndFocus);
}

std::vector<MenuEntry> KelvaneApp::SystemMenu() const {
    static unsigned requests = 0;
    const unsigned request = GetCurrentProcessId() * 100 + ++requests;
    const std::string answer = WindowProbeAnswerPath(request);
    const ProbeHook hook(GetWindowThreadProcessId(m_window, nullptr));
    PostTo(m_window, WindowProbeMessage(), request);
    if (!WaitUntil([&] { return GetFileAttributesA(answer.c_str()) != INVALID_FILE_ATTRIBUTES; })) {
        throw std::runtime_error("the window probe gave no answer");
    }
    const std::string entries = ReadWholeFile(answer);
    DeleteFileA(answer.c_str());
    return ParseMenuEntries(entries);
}

void KelvaneApp::Click(int id) const {
    SendTo(Control(id), BM_CLICK);
}

void KelvaneApp::PostClick(int id) const {
    PostTo(Control(id), BM_CLICK);
}

void KelvaneApp::PostSysCommand(WPARAM command) const {
    PostTo(m_window, WM_SYSCOMMAND, command);
}

// Posted, as the keyboard's messages are, so that the dialog's own loop sees them.
void KelvaneApp::PressKey(int id, WPARAM virtualKey) const {
    const HWND control = Control(id);
    PostTo(control, WM_KEYDOWN, virtualKey, 1);
    PostTo(control, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

LogLines KelvaneApp::Log() const {
    // Lines are only ever added, so only the new ones are read.
    const LogLines added =
        ListViewTexts(m_process.hProcess, Control(kLogList), static_cast<int>(m_log.size()));
    m_log.insert(m_log.end(), added.begin(), added.end());
    return m_log;
}

int KelvaneApp::LogLineCount() const {
    return static_cast<int>(SendTo(Control(kLogList), LVM_GETITEMCOUNT));
}

std::string KelvaneApp::LogLine(int index) const {
    const LogLines from = ListViewTexts(m_process.hProcess, Control(kLogList), index);
    return from.empty() ? std::string() : from.front();
}

LogLines KelvaneApp::WaitForLog(const std::function<bool(const LogLines&)>& done) const {
    LogLines log;
    WaitUntil([&] { return done(log = Log()); });
    return log;
}

void KelvaneApp::StartScan() const {
    const int before = CountLinesStartingWith(Log(), kDriveBanner);
    const auto begun = [&] { return CountLinesStartingWith(Log(), kDriveBanner) > before; };
    const bool started = WaitUntil([&] {
        Click(kStartButton);
        return WaitUntil(begun, kStartRetry);
    });
    if (!started) {
        throw std::runtime_error("Start began no scan");
    }
}

HWND KelvaneApp::WaitForOtherWindow() const {
    HWND other = nullptr;
    WaitUntil([&] {
        const std::vector<HWND> windows = VisibleTopLevelWindows(m_process.dwProcessId, {m_window});
        other = windows.empty() ? nullptr : windows.front();
        return other != nullptr;
    });
    return other;
}

bool KelvaneApp::EndsAfter(const std::function<void()>& request) const {
    constexpr DWORD kGraceMs = 1000;
    return WaitUntil([&] {
        try {
            request();
        } catch (const std::runtime_error&) {
            // The window went away in the meantime; the process is ending.
        }
        return WaitForSingleObject(m_process.hProcess, kGraceMs) == WAIT_OBJECT_0;
    });
}

bool KelvaneApp::WaitForExit(DWORD& exitCode) const {
    if (WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(kGuiTimeout.count())) !=
        WAIT_OBJECT_0) {
        return false;
    }
    return GetExitCodeProcess(m_process.hProcess, &exitCode) != 0;
}

int CountLinesStartingWith(const LogLines& log, const std::string& prefix) {
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
        return line.compare(0, prefix.size(), prefix) == 0;
    }));
}

std::string BesideTest(const std::string& name) {
    char self[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}
