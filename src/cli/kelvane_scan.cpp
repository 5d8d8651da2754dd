// kelvane-scan: the engine as a command. Standard output is the scan's log,
// exactly the lines the window would show; errors about the command line
// and paths that cannot be scanned go to standard error.
#include <iostream>

#include "cli/options.h"
#include "cli/path_check.h"
#include "core/interrupt.h"
#include "core/scan_host.h"
#include "scan/scanner.h"

namespace {

class ConsoleHost : public CScanHost {
public:
    explicit ConsoleHost(const ScanOptions& options) {
        static_cast<ScanSettings&>(*this) = options.m_settings;
        InstallScanHost(this);
    }
    ~ConsoleHost() override { InstallScanHost(nullptr); }

    void AddLogLine(const std::string& line) override {
        std::cout.write(line.data(), static_cast<std::streamsize>(line.size())) << '\n';
    }
};

// Tells the user of each path that cannot be scanned; true when all can.
// Such a path still gets its banner in the log, as a drive without a medium.
bool AllPathsScannable(const std::vector<std::string>& paths) {
    bool allScannable = true;
    for (const std::string& path : paths) {
        if (const std::optional<std::string> why = WhyUnscannable(path)) {
            std::cerr << "kelvane-scan: " << path << ": " << *why << "\n";
            allScannable = false;
        }
    }
    return allScannable;
}

// Every failed file is in the problem list, so the list alone tells.
int ExitStatus(const ScanTotals& totals, bool allPathsScanned) {
    if (totals.m_nProblemFiles > 0 || !allPathsScanned) {
        return kExitProblems;
    }
    return totals.m_nTreated > 0 ? kExitTreated : kExitClean;
}

}  // namespace

int main(int argc, char** argv) {
    ScanOptions options;
    if (const std::optional<int> exitNow = ParseOptions(argc, argv, options)) {
        return *exitNow;
    }
    ConsoleHost host(options);
    StopScanOnInterrupt();
    const bool allPathsScannable = options.m_allDrives || AllPathsScannable(options.m_paths);
    const ScanTotals totals = options.m_allDrives ? ScanAllDrives() : ScanRoots(options.m_paths);
    std::cout.flush();
    return ExitStatus(totals, allPathsScannable);
}
