#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"

// The commands an option belongs to: a scan, a restore, or both.
enum OptionMode : unsigned { kScanMode = 1u, kRestoreMode = 2u, kEveryMode = 3u };

// What follows an option's name.
enum class OptionValue {
    kNone,  // a switch
    kText,
    kName,  // a file or folder, which must not be empty
    kGlob,
    kCount,  // a whole number from 1 to kMostCount
};

constexpr int kMostCount = 64;

// One option of kelvane-scan: its name, its value, the commands it belongs
// to, where its value goes, and its lines in --help. Adding an option is
// one row here, plus its checks against other options in options.cpp.
struct OptionRow {
    const char* m_name;
    OptionValue m_value;
    const char* m_valueName;  // as --help shows it; "" for a switch
    unsigned m_modes;
    // Takes the value (empty for a switch); the exit status when the command
    // ends at once, as with --help.
    std::optional<int> (*m_take)(ScanOptions& options, const std::string& value);
    const char* m_help;  // its lines, broken where --help breaks them
};

// The row of an option named on the command line, or null. "--", which
// ends the options, is listed in --help but taken by the parser itself.
const OptionRow* FindOption(const std::string& name);

// The text of --help.
std::string UsageText();
