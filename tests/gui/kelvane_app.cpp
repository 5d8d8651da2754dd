#include "gui/kelvane_app.h"

#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "support/child_process.h"

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 30000, &result)) {
        throw std::runtime_error("no answer to message " + std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

// By message: GetWindowTextA does not read another process's edit fields.
std::string WindowText(HWND window) {
    char text[4096] = "";
    return std::string(text, static_cast<std::size_t>(SendTo(window, WM_GETTEXT, sizeof text,
                                                             reinterpret_cast<LPARAM>(text))));
}

KelvaneApp::KelvaneApp() {
    // Start scans every drive: outside the sandbox that would be the whole machine.
    char drives[256] = "";
    if (std::string(drives, GetLogicalDriveStringsA(sizeof drives, drives)) !=
        std::string("C:\\\0", 4)) {
        throw std::runtime_error("C: is not the only drive: run in the sandbox");
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const std::string program = ProgramBesideTest("Kelvane");
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &m_process)) {
        throw std::runtime_error("cannot start " + program);
    }
    // The main window is the one with the log; a message box may carry the same caption.
    m_window = WaitForWindow([](HWND window) { return GetDlgItem(window, IDC_LOG) != nullptr; });
    if (m_window == nullptr) {
        throw std::runtime_error("Kelvane.exe showed no main window");
    }
}

KelvaneApp::Process::~Process() {
    if (WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(hProcess, 1);
        WaitForSingleObject(hProcess, INFINITE);
    }
    CloseHandle(hThread);
    CloseHandle(hProcess);
}

HWND KelvaneApp::WaitForWindow(const std::function<bool(HWND)>& wanted) const {
    HWND window = nullptr;
    WaitUntil([&] {
        while ((window = FindWindowExA(nullptr, window, nullptr, nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == m_process.dwProcessId && IsWindowVisible(window) && wanted(window)) {
                return true;
            }
        }
        return false;
    });
    return window;
}

HWND KelvaneApp::Control(int id) const {
    const HWND control = GetDlgItem(m_window, id);
    if (control == nullptr) {
        throw std::runtime_error("the main window has no control " + std::to_string(id));
    }
    return control;
}

void KelvaneApp::PressKey(int id, WPARAM virtualKey) const {
    PostMessageA(Control(id), WM_KEYDOWN, virtualKey, 1);
    PostMessageA(Control(id), WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

// The system loads the probe into Kelvane.exe to run a message hook on the window's thread.
std::string KelvaneApp::SystemMenu() const {
    std::string library = ProgramBesideTest("window_probe");
    const HMODULE probe = LoadLibraryA(library.replace(library.size() - 3, 3, "dll").c_str());
    // Any function pointer goes through void (*)() without a warning.
    const auto procedure = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void (*)()>(GetProcAddress(probe, "WindowProbeHook")));
    const HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, procedure, probe,
                                         GetWindowThreadProcessId(m_window, nullptr));
    const std::string answer = ProbeAnswerPath();
    DeleteFileA(answer.c_str());
    const bool answered =
        hook != nullptr && PostMessageA(m_window, ProbeMessage(), 0, 0) &&
        WaitUntil([&] { return GetFileAttributesA(answer.c_str()) != INVALID_FILE_ATTRIBUTES; });
    UnhookWindowsHookEx(hook);
    FreeLibrary(probe);
    if (!answered) {
        throw std::runtime_error("the window probe gave no answer");
    }
    std::ifstream file(answer);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

LogLines KelvaneApp::Log() const {
    const LogLines added = LogFrom(static_cast<int>(m_log.size()), LogLineCount());
    m_log.insert(m_log.end(), added.begin(), added.end());
    return m_log;
}

int KelvaneApp::LogLineCount() const {
    return static_cast<int>(SendTo(Control(IDC_LOG), LVM_GETITEMCOUNT));
}

// LVM_GETITEMTEXTA takes a pointer, which the system does not carry across processes: the item
// and its text go through memory allocated in Kelvane.exe.
LogLines KelvaneApp::LogFrom(int first, int last) const {
    constexpr int kMaxText = 4096;
    char* const remote = static_cast<char*>(VirtualAllocEx(
        m_process.hProcess, nullptr, sizeof(LVITEMA) + kMaxText, MEM_COMMIT, PAGE_READWRITE));
    if (remote == nullptr) {
        throw std::runtime_error("cannot allocate memory in Kelvane.exe");
    }
    LogLines lines;
    for (int i = first; i < last; ++i) {
        LVITEMA item{};
        item.pszText = remote + sizeof item;
        item.cchTextMax = kMaxText;
        const bool written =
            WriteProcessMemory(m_process.hProcess, remote, &item, sizeof item, nullptr);
        std::string text(static_cast<std::size_t>(SendTo(Control(IDC_LOG), LVM_GETITEMTEXTA,
                                                         static_cast<WPARAM>(i),
                                                         reinterpret_cast<LPARAM>(remote))),
                         '\0');
        if (!written || !ReadProcessMemory(m_process.hProcess, item.pszText, text.data(),
                                           text.size(), nullptr)) {
            throw std::runtime_error("cannot read the log of Kelvane.exe");
        }
        lines.push_back(text);
    }
    VirtualFreeEx(m_process.hProcess, remote, 0, MEM_RELEASE);
    return lines;
}

LogLines KelvaneApp::WaitForLog(const std::function<bool(const LogLines&)>& done) const {
    LogLines log;
    WaitUntil([&] { return done(log = Log()); });
    return log;
}

void KelvaneApp::StartScan() const {
    const std::size_t before = Log().size();
    const bool started = WaitUntil([&] {
        SendTo(Control(IDC_START), BM_CLICK);
        // Time for the scan's banner to show before Start is clicked again.
        return WaitUntil([&] { return Log().size() > before; }, std::chrono::seconds(3));
    });
    if (!started) {
        throw std::runtime_error("Start began no scan");
    }
}

bool KelvaneApp::EndsAfter(const std::function<void()>& request) const {
    return WaitUntil([&] {
        try {
            request();
        } catch (const std::runtime_error&) {
            // The window went away in the meantime; the process is ending.
        }
        return WaitForSingleObject(m_process.hProcess, 1000) == WAIT_OBJECT_0;
    });
}

long KelvaneApp::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(kGuiTimeout.count()));
    GetExitCodeProcess(m_process.hProcess, &code);
    return code == STILL_ACTIVE ? -1 : static_cast<long>(code);
}
