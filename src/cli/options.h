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
};

// Fills options from the command line. Returns the exit status when the
// command must end at once (--help, --version, a usage error), else nothing.
std::optional<int> ParseOptions(int argc, char** argv, ScanOptions& options);

// The path made absolute and normalised, without a trailing separator
// unless it is a root ("/", "C:\").
std::string NormalisePath(const std::string& path);
