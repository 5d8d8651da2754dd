#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <stdexcept>

#include "support/child_process.h"

struct ChildProcess::Os {
    PROCESS_INFORMATION m_process{};
    bool m_waited = false;
};

namespace {

// One argument quoted the way the C runtime splits a command line again.
std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
        return arg;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

HANDLE InheritableOutput(const std::string& path) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string ProgramBesideTest(const std::string& program) {
    // A path that does not fit is cut short, and the program found there fails to start.
    char self[MAX_PATH] = "";
    const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    return path.substr(0, path.find_last_of("\\/") + 1) + program + ".exe";
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : m_os(std::make_unique<Os>()) {
    const std::string path = ProgramBesideTest(program);
    std::string commandLine = QuoteArgument(path);
    for (const std::string& arg : args) {
        commandLine += " " + QuoteArgument(arg);
    }
    const HANDLE out = InheritableOutput(m_outputDir.Path("stdout"));
    const HANDLE err = InheritableOutput(m_outputDir.Path("stderr"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    const BOOL started = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &m_os->m_process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) {
        throw std::runtime_error("cannot start " + path);
    }
}

ChildProcess::~ChildProcess() {
    if (!m_os->m_waited) {
        TerminateProcess(m_os->m_process.hProcess, 1);
        WaitForSingleObject(m_os->m_process.hProcess, INFINITE);
    }
    CloseHandle(m_os->m_process.hThread);
    CloseHandle(m_os->m_process.hProcess);
}

void ChildProcess::Kill() {
    TerminateProcess(m_os->m_process.hProcess, 1);
}

ProcessResult ChildProcess::WaitForExit() {
    WaitForSingleObject(m_os->m_process.hProcess, INFINITE);
    m_os->m_waited = true;
    DWORD code = 0;
    GetExitCodeProcess(m_os->m_process.hProcess, &code);
    ProcessResult result;
    result.m_exitCode = static_cast<int>(code);
    PROCESS_MEMORY_COUNTERS memory{};
    if (GetProcessMemoryInfo(m_os->m_process.hProcess, &memory, sizeof memory)) {
        result.m_peakMemoryKb = static_cast<long>(memory.PeakWorkingSetSize / 1024);
    }
    return result;
}
