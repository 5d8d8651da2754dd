#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/scan_host.h"

constexpr int kExitClean = 0;     // nothing infected, no problem
constexpr int kExitTreated = 1;   // infected files found, all treated
constexpr int kExitProblems = 2;  // a problem file, a path not scanned, or a usage error

struct ScanOptions {
    ScanSettings m_settings;
    std::vector<std::string> m_paths;  // absolute and normalised
    bool m_allDrives = false;
    bool m_quiet = false;                 // print only the report lines of the log
    bool m_dryRun = false;                // change nothing, print the log a scan would print
    std::string m_backupDir;              // empty: keep no copies
    std::string m_restoreDir;             // not empty: restore from it instead of scanning
    bool m_force = false;                 // restore files changed since the scan too
    std::string m_reportFile;             // not empty: write the JSON Lines report there
    std::vector<std::string> m_excludes;  // globs of folders not entered and files not treated
};

// Fills options from the command line. Returns the exit status when the
// command must end at once (--help, --version, a usage error), else nothing.
std::optional<int> ParseOptions(int argc, char** argv, ScanOptions& options);

// The path made absolute and normalised, without a trailing separator
// unless it is a root ("/", "C:\").
std::string NormalisePath(const std::string& path);
