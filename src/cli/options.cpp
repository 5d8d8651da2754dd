#include "cli/options.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "cli/backup_dir.h"
#include "cli/manifest.h"
#include "cli/path_text.h"
#include "core/blank_signature.h"
#include "core/code_page.h"
#include "fileio/native_path.h"
#include "scan/file_types.h"
#include "scan/mask_match.h"

namespace {

const char kUsage[] =
    "Usage: kelvane-scan [OPTION]... PATH...\n"
    "       kelvane-scan [OPTION]... --all-drives\n"
    "       kelvane-scan --restore DIR [--force] [PATH]...\n"
    "Finds the script-virus block appended to web and script files below each\n"
    "PATH, cuts it out, and gives every file back its attributes and times.\n"
    "Standard output is the scan's log, ending with a report.\n"
    "\n"
    "  --signature TEXT     a line of the block contains TEXT\n"
    "                       (default \"Rem I am sorry! happy time\"; must not be\n"
    "                       empty or only blanks)\n"
    "  --first-string TEXT  the block begins on the nearest line at or before the\n"
    "                       signature that contains TEXT (default \"<script language\")\n"
    "  --last-string TEXT   the block ends on the next line that contains TEXT\n"
    "                       (default \"</script>\")\n"
    "  --file-types TEXT    the masks of the files to treat, separated by blanks\n"
    "                       (default \"*.htm *.html *.hta *.vbs *.htt\"; \"*.*\" is every file;\n"
    "                       a mask is not a wildcard: one that is not \"*.\" and an\n"
    "                       extension, nor \"*.*\", matches nothing and is warned of)\n"
    "  --remove-on-error    delete a file whose block cannot be delimited (default)\n"
    "  --keep-on-error      keep such a file as it is\n"
    "  --all-drives         walk every drive (Windows) or every mounted file system\n"
    "                       (elsewhere) instead of the PATHs\n"
    "  --exclude GLOB       do not enter a folder, nor treat a file, whose full path\n"
    "                       matches GLOB: \"?\" is a character and \"*\" any run of\n"
    "                       them within a folder name, \"**\" any run across folders;\n"
    "                       may be given again (e.g. --exclude '**/cache')\n"
    "  --quiet              print only the report at the end of the log\n"
    "  --dry-run            change nothing: every file is read and every block found,\n"
    "                       and the log is the one the scan would print\n"
    "  --backup-dir DIR     before a file is rewritten or deleted, copy it with its\n"
    "                       permissions or attributes and times to the same path\n"
    "                       below DIR (new, or empty and yours alone, outside every\n"
    "                       PATH), and record the change in DIR/manifest.jsonl\n"
    "  --restore DIR        put back the files recorded in DIR (all, or those at or\n"
    "                       below the PATHs); a file changed since is refused\n"
    "  --force              with --restore, put back files changed since too\n"
    "  --report FILE        write a JSON Lines report to FILE: one object per file\n"
    "                       and mask treated, then a summary; FILE must be neither\n"
    "                       a file the scan treats nor the backup's manifest\n"
    "  --                   end of the options: every argument after it is a PATH,\n"
    "                       even one that begins with \"-\"\n"
    "  --help               show this text\n"
    "  --version            show the version\n"
    "An option's value may also follow it after \"=\", as in --report=FILE or\n"
    "--file-types='*.htm *.php'.\n"
    "\n"
    "Ctrl+C, SIGTERM and SIGHUP (on Windows Ctrl+C, Ctrl+Break and closing the\n"
    "console) stop the scan after the file being treated, with its report. While\n"
    "standard error is a terminal, a status line there shows how far the scan has\n"
    "come.\n"
    "\n"
    "Exit status: 0 nothing infected and no problem; 1 infected files found and\n"
    "all treated; 2 a file caused a problem, a PATH could not be scanned, the scan\n"
    "was stopped before it finished, the report could not be written, or the\n"
    "command line was wrong. --restore: 0 every file restored, 2 some refused.\n"
    "\n"
    "Examples:\n"
    "  kelvane-scan --dry-run /srv/www\n"
    "  kelvane-scan --backup-dir /var/backups/kelvane-1 --report scan.jsonl /srv/www\n"
    "  kelvane-scan --restore /var/backups/kelvane-1 /srv/www/index.htm\n";

int UsageError(const std::string& message) {
    std::cerr << "kelvane-scan: " << message << "\nTry 'kelvane-scan --help'.\n";
    return kExitProblems;
}

// A switch that sets a flag, or null.
bool* FlagOption(const std::string& name, ScanOptions& options) {
    if (name == "--all-drives") return &options.m_allDrives;
    if (name == "--dry-run") return &options.m_dryRun;
    if (name == "--force") return &options.m_force;
    if (name == "--quiet") return &options.m_quiet;
    return nullptr;
}

bool IsSwitch(const std::string& name, ScanOptions& options) {
    return FlagOption(name, options) != nullptr || name == "--remove-on-error" ||
           name == "--keep-on-error" || name == "--help" || name == "--version";
}

// A switch (IsSwitch) taken; the exit status when it ends the command.
std::optional<int> TakeSwitch(const std::string& name, ScanOptions& options) {
    if (bool* flag = FlagOption(name, options)) {
        *flag = true;
    } else if (name == "--remove-on-error" || name == "--keep-on-error") {
        options.m_settings.m_bRemoveOnError = name == "--remove-on-error" ? 1 : 0;
    } else if (name == "--help") {
        std::cout << kUsage;
        return kExitClean;
    } else {
        std::cout << "kelvane-scan " KELVANE_VERSION "\n";
        return kExitClean;
    }
    return std::nullopt;
}

// What is wrong with a restore's command line, or nothing.
std::optional<std::string> RestoreMistake(const ScanOptions& options) {
    if (options.m_allDrives || options.m_dryRun || !options.m_backupDir.empty() ||
        !options.m_reportFile.empty()) {
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
std::optional<std::string> ScanMistake(const ScanOptions& options) {
    if (IsBlankSignature(options.m_settings.m_strSignature)) {
        return "the signature must not be empty or only blanks";
    }
    if (options.m_allDrives == !options.m_paths.empty()) {
        return "give either PATHs or --all-drives";
    }
    if (options.m_force) {
        return "--force goes only with --restore";
    }
    if (!options.m_backupDir.empty()) {
        if (std::optional<std::string> mistake = BackupDirMistake(options)) {
            return mistake;
        }
    }
    return options.m_reportFile.empty() ? std::nullopt : ReportMistake(options);
}

// An empty name, a script's unset variable say, would otherwise mean the
// current folder, or no backup, restore or report where one was asked for.
bool NamesAFileOrFolder(const std::string& option) {
    return option == "--backup-dir" || option == "--restore" || option == "--report";
}

// The options that take a text, and the setting each one fills.
std::string* TextOption(const std::string& name, ScanOptions& options, std::string& fileTypes) {
    ScanSettings& settings = options.m_settings;
    if (name == "--signature") return &settings.m_strSignature;
    if (name == "--first-string") return &settings.m_strFirstString;
    if (name == "--last-string") return &settings.m_strLastString;
    if (name == "--file-types") return &fileTypes;
    if (name == "--backup-dir") return &options.m_backupDir;
    if (name == "--restore") return &options.m_restoreDir;
    if (name == "--report") return &options.m_reportFile;
    return nullptr;
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

// Takes the option at argv[i] (and its value); returns the exit status when
// the command must end at once.
std::optional<int> TakeOption(int argc, char** argv, int& i, ScanOptions& options,
                              std::string& fileTypes) {
    const OptionArgument option = SplitOption(argv[i]);
    const std::string& name = option.m_name;
    std::string* text = TextOption(name, options, fileTypes);
    if (text != nullptr || name == "--exclude") {
        const std::optional<std::string> value = ValueOf(option, argc, argv, i);
        if (!value) {
            return UsageError(name + (text != nullptr ? " needs a TEXT" : " needs a GLOB"));
        }
        if (text == nullptr) {
            options.m_excludes.push_back(*value);
        } else if (value->empty() && NamesAFileOrFolder(name)) {
            return UsageError(name + " must not be empty");
        } else {
            *text = *value;
        }
        return std::nullopt;
    }
    if (!IsSwitch(name, options)) {
        return UsageError("unknown option " + name);
    }
    if (option.m_value) {
        return UsageError(name + " takes no value");
    }
    return TakeSwitch(name, options);
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
    std::string fileTypes = kDefaultFileTypes;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (std::optional<int> end = TakeOption(argc, argv, i, options, fileTypes)) {
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
    options.m_settings.m_masks = ParseFileTypes(fileTypes);
    const std::optional<std::string> mistake =
        options.m_restoreDir.empty() ? ScanMistake(options) : RestoreMistake(options);
    if (mistake) {
        return UsageError(*mistake);
    }
    if (options.m_restoreDir.empty()) {
        WarnOfMasksThatMatchNothing(options.m_settings.m_masks);
    }
    return std::nullopt;
}
