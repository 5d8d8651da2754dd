// kelvane-scan: the engine as a command. Standard output is the scan's log,
// exactly the lines the window would show; errors about the command line
// and paths that cannot be scanned go to standard error, and so does the
// progress line when that is a terminal.
#include <fstream>
#include <iostream>
#include <memory>

#include "cli/backup.h"
#include "cli/console_host.h"
#include "cli/dry_run.h"
#include "cli/options.h"
#include "cli/restore.h"
#include "cli/scan_report.h"
#include "cli/terminal.h"
#include "core/interrupt.h"
#include "core/stop_flag.h"
#include "scan/scanner.h"
#include "treat/treatment_policy.h"

namespace {

// Every failed file is in the problem list, so the list alone tells. A scan
// that did not look at everything never ends as "nothing infected".
int ExitStatus(const ScanTotals& totals, bool everythingScanned) {
    if (totals.m_nProblemFiles > 0 || !everythingScanned) {
        return kExitProblems;
    }
    return totals.m_nTreated > 0 ? kExitTreated : kExitClean;
}

// The policy a scan's options ask for, installed while it lives. A plain
// scan gets the base policy, which changes files as a scan always did.
class PolicyFromOptions {
public:
    PolicyFromOptions(const ScanOptions& options, std::ostream* report) {
        if (options.m_dryRun) {
            m_policy = std::make_unique<DryRunPolicy>();
        } else if (!options.m_backupDir.empty()) {
            auto backup = std::make_unique<BackupPolicy>(options.m_backupDir);
            m_backup = backup.get();
            m_policy = std::move(backup);
        } else {
            m_policy = std::make_unique<TreatmentPolicy>();
        }
        if (report != nullptr) {
            m_reporting =
                std::make_unique<ReportingPolicy>(*m_policy, *report, options.m_backupDir);
        }
        InstallTreatmentPolicy(m_reporting ? m_reporting.get() : m_policy.get());
    }
    ~PolicyFromOptions() { InstallTreatmentPolicy(nullptr); }
    PolicyFromOptions(const PolicyFromOptions&) = delete;
    PolicyFromOptions& operator=(const PolicyFromOptions&) = delete;

    ReportingPolicy* Reporting() const { return m_reporting.get(); }

    // Ends the report; false when a change was made that the manifest lacks.
    bool Finish(const ScanTotals& totals, bool interrupted) {
        if (m_reporting) {
            m_reporting->Finish(totals, interrupted);
        }
        return m_backup == nullptr || m_backup->ManifestComplete();
    }

private:
    std::unique_ptr<TreatmentPolicy> m_policy;
    BackupPolicy* m_backup = nullptr;
    std::unique_ptr<ReportingPolicy> m_reporting;
};

// The --report file, opened before the scan so that a report that cannot be
// written stops it before any file changes.
std::unique_ptr<std::ofstream> OpenReport(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    auto report = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
    if (!*report) {
        std::cerr << "kelvane-scan: " << path << ": cannot write the report\n";
        return nullptr;
    }
    return report;
}

// A disk that fills up, or /dev/full, fails a write only when the buffer is
// flushed or the file closed; true when every byte reached the file.
bool ReportWritten(std::ofstream& report, const std::string& path) {
    report.close();
    if (report.fail()) {
        std::cerr << "kelvane-scan: " << path << ": the report could not be written\n";
        return false;
    }
    return true;
}

// A stop from here on, even before the walk, ends the scan with its report.
int Scan(const ScanOptions& options) {
    StopScanOnInterrupt();
    const std::unique_ptr<std::ofstream> report = OpenReport(options.m_reportFile);
    if (!options.m_reportFile.empty() && !report) {
        return kExitProblems;
    }
    ConsoleHost host(options);
    PolicyFromOptions policy(options, report.get());
    host.ReportTo(policy.Reporting());
    const ScanTotals totals = options.m_allDrives ? ScanAllDrives() : ScanRoots(options.m_paths);
    // Read after the walk: a stop that came too late to cut it short still
    // counts, so that a stop request never ends as an all-clear.
    const bool interrupted = g_bStopScan.load() != 0;
    std::cout.flush();
    const bool recorded = policy.Finish(totals, interrupted);
    const bool reported = report == nullptr || ReportWritten(*report, options.m_reportFile);
    if (options.m_dryRun) {
        std::cerr << "kelvane-scan: dry run: no file was changed\n";
    }
    if (interrupted) {
        std::cerr << "kelvane-scan: interrupted: the scan did not finish\n";
    }
    const int status = ExitStatus(totals, host.WalkComplete() && !interrupted);
    return recorded && reported ? status : kExitProblems;
}

}  // namespace

int main(int argc, char** argv) {
    ShowErrorsInTheConsoleCodePage();
    ScanOptions options;
    if (const std::optional<int> exitNow = ParseOptions(argc, argv, options)) {
        return *exitNow;
    }
    if (!options.m_restoreDir.empty()) {
        return RestoreFromBackup(options.m_restoreDir, options.m_paths, options.m_force, std::cout);
    }
    return Scan(options);
}
