#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/progress_line.h"
#include "cli/scan_report.h"
#include "core/scan_host.h"

// The command's scan host: the log goes to standard output, and while the
// walk runs a progress line goes to standard error when that is a
// terminal. When the log shares the terminal, the progress line steps
// aside for each log line and comes back below it.
class ConsoleHost : public CScanHost {
public:
    explicit ConsoleHost(const ScanOptions& options);
    ~ConsoleHost() override;
    ConsoleHost(const ConsoleHost&) = delete;
    ConsoleHost& operator=(const ConsoleHost&) = delete;

    void AddLogLine(const std::string& line) override;
    bool Excludes(const std::string& fullPath) const override;
    void WalkingFolder(const std::string& fullPath) override;
    void WalkEnded() override;
    void ReportBegins() override;
    // Said on standard error and in the report; the scan then never ends
    // as an all-clear.
    void FolderNotScanned(const std::string& fullPath, const std::string& why) override;
    void LinkSkipped(const std::string& fullPath) override;

    // The --report that also lists what the walk left out; null for none.
    void ReportTo(ReportingPolicy* report) { m_report = report; }
    // False when a folder could not be listed or entered.
    bool WalkComplete() const { return m_walkComplete; }

private:
    void Print(const std::string& line);
    void ShowProgress();

    const std::vector<std::string> m_excludes;
    bool m_printing;  // false until the report while quiet
    const bool m_logOnTerminal;
    std::optional<ProgressLine> m_progress;
    std::string m_folder;
    ReportingPolicy* m_report = nullptr;
    bool m_walkComplete = true;
};
