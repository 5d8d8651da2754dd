#include "cli/options.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "cli/backup_dir.h"
#include "cli/manifest.h"
#include "cli/option_table.h"
#include "cli/path_text.h"
#include "core/blank_signature.h"
#include "core/code_page.h"
#include "fileio/native_path.h"
#include "scan/file_types.h"
#include "scan/mask_match.h"
#include "scan/search_ahead.h"

namespace {

int UsageError(const std::string& message) {
    std::cerr << "kelvane-scan: " << message << "\nTry 'kelvane-scan --help'.\n";
    return kExitProblems;
}

// The first option given that a command of this mode does not take, or null.
const OptionRow* OptionOutside(unsigned mode, const std::vector<const OptionRow*>& given) {
    for (const OptionRow* row : given) {
        if ((row->m_modes & mode) == 0) {
            return row;
        }
    }
    return nullptr;
}

// What is wrong with a restore's command line, or nothing.
std::optional<std::string> RestoreMistake(const std::vector<const OptionRow*>& given) {
    if (OptionOutside(kRestoreMode, given) != nullptr) {
        return "--restore takes only --force and PATHs";
    }
    return std::nullopt;
}

// What is wrong with the backup folder of a scan, or nothing.
std::optional<std::string> BackupDirMistake(const ScanOptions& options) {
    if (options.m_dryRun || options.m_allDrives) {
        return "--backup-dir goes with neither --dry-run nor --all-drives";
    }
    return UnfitBackupFolder(options.m_backupDir, options.m_paths);
}

bool MatchesAMask(const std::string& path, const MaskList& masks) {
    const std::string pattern = ExtensionPattern(path);
    return std::any_of(masks.begin(), masks.end(), [&pattern](const std::string& mask) {
        return MaskMatches(mask, pattern, SystemCodePage());
    });
}

// A file the scan would meet and treat: below a PATH (or on any drive) and
// matched by a mask.
bool TreatedByTheScan(const std::string& path, const ScanOptions& options) {
    const bool walked =
        options.m_allDrives ||
        std::any_of(options.m_paths.begin(), options.m_paths.end(),
                    [&path](const std::string& root) { return IsAtOrBelow(path, root); });
    return walked && MatchesAMask(path, options.m_settings.m_masks);
}

// What is wrong with the report file of a scan, or nothing. Opening the
// report empties it: it must not be a page of the site, nor the manifest
// that the backup appends to.
std::optional<std::string> ReportMistake(const ScanOptions& options) {
    const std::string& report = options.m_reportFile;
    if (!options.m_backupDir.empty() && IsAtOrBelow(report, ManifestPathIn(options.m_backupDir))) {
        return "the report " + report + " is the backup's manifest";
    }
    if (TreatedByTheScan(report, options)) {
        return "the report " + report + " is a file the scan would treat";
    }
    return std::nullopt;
}

// What is wrong with a scan's command line, or nothing.
std::optional<std::string> ScanMistake(const ScanOptions& options,
                                       const std::vector<const OptionRow*>& given) {
    if (IsBlankSignature(options.m_settings.m_strSignature)) {
        return "the signature must not be empty or only blanks";
    }
    if (options.m_allDrives == !options.m_paths.empty()) {
        return "give either PATHs or --all-drives";
    }
    if (const OptionRow* restoreOnly = OptionOutside(kScanMode, given)) {
        return std::string(restoreOnly->m_name) + " goes only with --restore";
    }
    if (!options.m_backupDir.empty()) {
        if (std::optional<std::string> mistake = BackupDirMistake(options)) {
            return mistake;
        }
    }
    return options.m_reportFile.empty() ? std::nullopt : ReportMistake(options);
}

// An option as "--name" or "--name=value".
struct OptionArgument {
    std::string m_name;
    std::optional<std::string> m_value;
};

OptionArgument SplitOption(const std::string& arg) {
    const std::size_t equals = arg.find('=');
    if (arg.compare(0, 2, "--") != 0 || equals == std::string::npos) {
        return {arg, std::nullopt};
    }
    return {arg.substr(0, equals), arg.substr(equals + 1)};
}

// The value of the option at argv[i]: the text after its "=", or else the
// next argument, which i then moves to; nothing when there is none.
std::optional<std::string> ValueOf(const OptionArgument& option, int argc, char** argv, int& i) {
    if (option.m_value) {
        return option.m_value;
    }
    if (i + 1 == argc) {
        return std::nullopt;
    }
    return std::string(argv[++i]);
}

// What an option needs that was not given, for its error.
std::string ValueWanted(OptionValue value) {
    switch (value) {
        case OptionValue::kGlob:
            return " needs a GLOB";
        case OptionValue::kCount:
            return " needs a number from 1 to " + std::to_string(kMostCount);
        default:
            return " needs a TEXT";
    }
}

bool IsCount(const std::string& value) {
    const bool digits =
        !value.empty() && value.size() <= 2 &&
        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int count = digits ? std::stoi(value) : 0;
    return count >= 1 && count <= kMostCount;
}

// Takes the option at argv[i] (and its value), noting it as given; returns
// the exit status when the command must end at once.
std::optional<int> TakeOption(int argc, char** argv, int& i, ScanOptions& options,
                              std::vector<const OptionRow*>& given) {
    const OptionArgument option = SplitOption(argv[i]);
    const std::string& name = option.m_name;
    const OptionRow* row = FindOption(name);
    if (row == nullptr) {
        return UsageError("unknown option " + name);
    }
    given.push_back(row);
    if (row->m_value == OptionValue::kNone) {
        return option.m_value ? UsageError(name + " takes no value") : row->m_take(options, "");
    }
    const std::optional<std::string> value = ValueOf(option, argc, argv, i);
    if (!value || (row->m_value == OptionValue::kCount && !IsCount(*value))) {
        return UsageError(name + ValueWanted(row->m_value));
    }
    // An empty name, a script's unset variable say, would otherwise mean the
    // current folder, or no backup, restore or report where one was asked for.
    if (value->empty() && row->m_value == OptionValue::kName) {
        return UsageError(name + " must not be empty");
    }
    return row->m_take(options, *value);
}

// A mask that is neither "*." and an extension nor "*.*" is kept as given,
// but is most likely a wildcard that the matching rule does not know.
void WarnOfMasksThatMatchNothing(const MaskList& masks) {
    for (const std::string& mask : masks) {
        if (!CanMatchAFile(mask)) {
            std::cerr << "kelvane-scan: warning: the mask " << mask
                      << " matches no file (a mask is \"*.\" and an extension, or \"*.*\")\n";
        }
    }
}

}  // namespace

std::string NormalisePath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path absolute = fs::absolute(NativePath(path), error).lexically_normal();
    std::string text = NarrowPath(absolute);
    const std::string root = NarrowPath(absolute.root_path());
    while (text.size() > root.size() && SystemCodePage().EndsWithOneOf(text, "/\\")) {
        text.pop_back();
    }
    return text;
}

std::optional<int> ParseOptions(int argc, char** argv, ScanOptions& options) {
    options.m_settings.m_masks = ParseFileTypes(kDefaultFileTypes);
    options.m_settings.m_nSearchThreads = DefaultSearchThreads();
    std::vector<const OptionRow*> given;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (std::optional<int> end = TakeOption(argc, argv, i, options, given)) {
                return end;
            }
        } else if (arg.empty()) {
            return UsageError("a PATH must not be empty");
        } else {
            options.m_paths.push_back(NormalisePath(arg));
        }
    }
    for (std::string* path : {&options.m_backupDir, &options.m_restoreDir, &options.m_reportFile}) {
        *path = path->empty() ? *path : NormalisePath(*path);
    }
    const std::optional<std::string> mistake =
        options.m_restoreDir.empty() ? ScanMistake(options, given) : RestoreMistake(given);
    if (mistake) {
        return UsageError(*mistake);
    }
    if (options.m_restoreDir.empty()) {
        WarnOfMasksThatMatchNothing(options.m_settings.m_masks);
    }
    return std::nullopt;
}
