// kelvane-scan: the engine as a command. Standard output is the scan's log,
// exactly the lines the window would show; errors about the command line
// and paths that cannot be scanned go to standard error.
#include <filesystem>
#include <iostream>

#include "cli/options.h"
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

// Tells the user of each path that does not exist; true when all do.
bool AllPathsExist(const std::vector<std::string>& paths) {
    bool allExist = true;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            std::cerr << "kelvane-scan: " << path << ": no such file or folder\n";
            allExist = false;
        }
    }
    return allExist;
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
    const bool allPathsExist = options.m_allDrives || AllPathsExist(options.m_paths);
    const ScanTotals totals = options.m_allDrives ? ScanAllDrives() : ScanRoots(options.m_paths);
    std::cout.flush();
    return ExitStatus(totals, allPathsExist);
}
