#include "gui/remote_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <thread>

namespace {

constexpr UINT kAnswerTimeoutMs = 30000;
constexpr std::chrono::milliseconds kPollInterval{20};
constexpr std::size_t kMaxItemText = 4096;

std::string Describe(HWND window, UINT message) {
    return "message " + std::to_string(message) + " to window " +
           std::to_string(reinterpret_cast<std::uintptr_t>(window));
}

// A block of memory inside another process, for messages whose pointers the system does not
// carry across.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, std::size_t size)
        : m_process(process),
          m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {
        if (m_address == nullptr) {
            throw std::runtime_error("cannot allocate memory in the program under test");
        }
    }
    ~RemoteMemory() { VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE); }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* At(std::size_t offset) const { return static_cast<char*>(m_address) + offset; }

    void Write(std::size_t offset, const void* data, std::size_t size) const {
        if (!WriteProcessMemory(m_process, At(offset), data, size, nullptr)) {
            throw std::runtime_error("cannot write memory of the program under test");
        }
    }

    std::string Read(std::size_t offset, std::size_t size) const {
        std::string bytes(size, '\0');
        if (!ReadProcessMemory(m_process, At(offset), bytes.data(), size, nullptr)) {
            throw std::runtime_error("cannot read memory of the program under test");
        }
        return bytes;
    }

private:
    HANDLE m_process;
    void* m_address;
};

struct WindowSearch {
    DWORD m_processId;
    const std::vector<HWND>* m_except;
    std::vector<HWND> m_found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    const bool excepted = std::find(search.m_except->begin(), search.m_except->end(), window) !=
                          search.m_except->end();
    if (owner == search.m_processId && IsWindowVisible(window) && !excepted) {
        search.m_found.push_back(window);
    }
    return TRUE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs,
                             &result)) {
        throw std::runtime_error("no answer to " + Describe(window, message));
    }
    return static_cast<LRESULT>(result);
}

void PostTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageA(window, message, wParam, lParam)) {
        throw std::runtime_error("cannot post " + Describe(window, message));
    }
}

std::string WindowText(HWND window) {
    const auto length = static_cast<std::size_t>(SendTo(window, WM_GETTEXTLENGTH));
    std::string text(length + 1, '\0');
    const auto copied = static_cast<std::size_t>(
        SendTo(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(copied, length));
    return text;
}

void SetWindowTextTo(HWND window, const std::string& text) {
    SendTo(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string WindowClass(HWND window) {
    char name[256] = "";
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, static_cast<std::size_t>(std::max(length, 0)));
}

std::vector<HWND> VisibleTopLevelWindows(DWORD processId, const std::vector<HWND>& except) {
    WindowSearch search{processId, &except, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.m_found;
}

std::vector<std::string> ListViewTexts(HANDLE process, HWND list, int first) {
    const RemoteMemory memory(process, sizeof(LVITEMA) + kMaxItemText);
    const int count = static_cast<int>(SendTo(list, LVM_GETITEMCOUNT));
    std::vector<std::string> texts;
    for (int i = first; i < count; ++i) {
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = memory.At(sizeof item);
        item.cchTextMax = static_cast<int>(kMaxItemText);
        memory.Write(0, &item, sizeof item);
        const auto length =
            static_cast<std::size_t>(SendTo(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i),
                                            reinterpret_cast<LPARAM>(memory.At(0))));
        texts.push_back(memory.Read(sizeof item, length));
    }
    return texts;
}
