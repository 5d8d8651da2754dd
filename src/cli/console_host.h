#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/progress_line.h"
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

private:
    void Print(const std::string& line);
    void ShowProgress();

    const std::vector<std::string> m_excludes;
    bool m_printing;  // false until the report while quiet
    const bool m_logOnTerminal;
    std::optional<ProgressLine> m_progress;
    std::string m_folder;
};
