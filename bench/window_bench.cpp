// The window's speed: a scan of every drive of the sandbox in Kelvane.exe,
// timed from Start to the end of the report, with the log's lines a second
// and the longest the window took meanwhile to answer a message; or the same
// scan by kelvane-scan.exe, for the ratio. Runs only in a sandbox.
//   window_bench window | command
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "gui/kelvane_app.h"
#include "support/child_process.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kReportEnd[] = "Error while treat files: ";
constexpr DWORD kPollMs = 100;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// How long the window's thread takes to answer a message that asks nothing.
double AnswerMs(HWND window) {
    const Clock::time_point start = Clock::now();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result);
    return SecondsSince(start) * 1000;
}

// The report is the last part of the log; the bench's tree has no problem
// files, so its last line is the error count.
bool ReportLogged(const KelvaneApp& app, int count) {
    return count > 0 && app.LogFrom(count - 1, count).front().rfind(kReportEnd, 0) == 0;
}

int TimeWindowScan() {
    KelvaneApp app;
    const Clock::time_point start = Clock::now();
    app.StartScan();
    double longestAnswerMs = 0;
    int lines = 0;
    while (!ReportLogged(app, lines = app.LogLineCount())) {
        longestAnswerMs = std::max(longestAnswerMs, AnswerMs(app.Window()));
        Sleep(kPollMs);
    }
    const double seconds = SecondsSince(start);
    std::printf("window:  %8.2f s  %6d lines  %8.0f lines/s  longest answer %.0f ms\n", seconds,
                lines, lines / seconds, longestAnswerMs);
    return 0;
}

int TimeCommandScan() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    const std::string program = ProgramBesideTest("kelvane-scan");
    std::string commandLine = "\"" + program + "\" --all-drives";
    const Clock::time_point start = Clock::now();
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
        throw std::runtime_error("cannot start " + program);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    const double seconds = SecondsSince(start);
    std::printf("command: %8.2f s\n", seconds);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 2 ? argv[1] : "";
    try {
        if (mode == "window") {
            return TimeWindowScan();
        }
        if (mode == "command") {
            return TimeCommandScan();
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "window_bench: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: window_bench window | command\n");
    return 2;
}
