#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/log_text.h"
#include "core/scan_host.h"

// A scan host that keeps every log line, installed for the test's lifetime.
class CaptureHost : public CScanHost {
public:
    CaptureHost() { InstallScanHost(this); }
    ~CaptureHost() override { InstallScanHost(nullptr); }
    CaptureHost(const CaptureHost&) = delete;
    CaptureHost& operator=(const CaptureHost&) = delete;

    void AddLogLine(const std::string& line) override {
        m_log.push_back(line);
        m_onLine(line);
    }
    void FolderNotScanned(const std::string& path, const std::string& why) override {
        m_notScanned.push_back(path + ": " + why);
    }

    std::vector<std::string> m_log;
    std::vector<std::string> m_notScanned;  // "PATH: why"
    // Acts on each line once it is kept, as another part of the program would.
    std::function<void(const std::string&)> m_onLine = [](const std::string&) {};
};

// The report as the log shows it, from its heading on.
inline std::vector<std::string> ReportLines(int32_t checked, int32_t treated, int32_t errors,
                                            const std::vector<std::string>& problems = {}) {
    std::vector<std::string> lines = {LogText::kReportHeading, LogText::CheckedCount(checked),
                                      LogText::TreatedCount(treated), LogText::ErrorCount(errors)};
    if (!problems.empty()) {
        lines.push_back(LogText::kProblemListHeading);
        lines.insert(lines.end(), problems.begin(), problems.end());
    }
    return lines;
}

// What a log holds: its lines up to the closing banner, then the report.
inline std::vector<std::string> LogThenReport(std::vector<std::string> lines,
                                              const std::vector<std::string>& report) {
    lines.insert(lines.end(), report.begin(), report.end());
    return lines;
}
