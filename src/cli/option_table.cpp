#include "cli/option_table.h"

#include <iostream>

#include "scan/file_types.h"

namespace {

std::optional<int> ShowUsage(ScanOptions&, const std::string&) {
    std::cout << UsageText();
    return kExitClean;
}

std::optional<int> ShowVersion(ScanOptions&, const std::string&) {
    std::cout << "kelvane-scan " KELVANE_VERSION "\n";
    return kExitClean;
}

// A row's action that stores its value, or sets its flag, and goes on.
#define KELVANE_STORE(statement)                                               \
    [](ScanOptions& options, const std::string& value) -> std::optional<int> { \
        static_cast<void>(value);                                              \
        statement;                                                             \
        return std::nullopt;                                                   \
    }

// Every option, in the order --help lists them.
const std::vector<OptionRow> kOptions = {
    {"--signature", OptionValue::kText, "TEXT", kScanMode,
     KELVANE_STORE(options.m_settings.m_strSignature = value),
     "a line of the block contains TEXT\n"
     "(default \"Rem I am sorry! happy time\"; must not be\n"
     "empty or only blanks)"},
    {"--first-string", OptionValue::kText, "TEXT", kScanMode,
     KELVANE_STORE(options.m_settings.m_strFirstString = value),
     "the block begins on the nearest line at or before the\n"
     "signature that contains TEXT (default \"<script language\")"},
    {"--last-string", OptionValue::kText, "TEXT", kScanMode,
     KELVANE_STORE(options.m_settings.m_strLastString = value),
     "the block ends on the next line that contains TEXT\n"
     "(default \"</script>\")"},
    {"--file-types", OptionValue::kText, "TEXT", kScanMode,
     KELVANE_STORE(options.m_settings.m_masks = ParseFileTypes(value)),
     "the masks of the files to treat, separated by blanks\n"
     "(default \"*.htm *.html *.hta *.vbs *.htt\"; \"*.*\" is every file;\n"
     "a mask is not a wildcard: one that is not \"*.\" and an\n"
     "extension, nor \"*.*\", matches nothing and is warned of)"},
    {"--remove-on-error", OptionValue::kNone, "", kScanMode,
     KELVANE_STORE(options.m_settings.m_bRemoveOnError = 1),
     "delete a file whose block cannot be delimited (default)"},
    {"--keep-on-error", OptionValue::kNone, "", kScanMode,
     KELVANE_STORE(options.m_settings.m_bRemoveOnError = 0), "keep such a file as it is"},
    {"--all-drives", OptionValue::kNone, "", kScanMode, KELVANE_STORE(options.m_allDrives = true),
     "walk every drive (Windows) or every mounted file system\n"
     "(elsewhere) instead of the PATHs"},
    {"--exclude", OptionValue::kGlob, "GLOB", kScanMode,
     KELVANE_STORE(options.m_excludes.push_back(value)),
     "do not enter a folder, nor treat a file, whose full path\n"
     "matches GLOB: \"?\" is a character and \"*\" any run of\n"
     "them within a folder name, \"**\" any run across folders;\n"
     "may be given again (e.g. --exclude '**/cache')"},
    {"--quiet", OptionValue::kNone, "", kScanMode, KELVANE_STORE(options.m_quiet = true),
     "print only the report at the end of the log"},
    {"--dry-run", OptionValue::kNone, "", kScanMode, KELVANE_STORE(options.m_dryRun = true),
     "change nothing: every file is read and every block found,\n"
     "and the log is the one the scan would print"},
    {"--backup-dir", OptionValue::kName, "DIR", kScanMode,
     KELVANE_STORE(options.m_backupDir = value),
     "before a file is rewritten or deleted, copy it with its\n"
     "permissions or attributes and times to the same path\n"
     "below DIR (new, or empty and yours alone, outside every\n"
     "PATH), and record the change in DIR/manifest.jsonl"},
    {"--restore", OptionValue::kName, "DIR", kRestoreMode,
     KELVANE_STORE(options.m_restoreDir = value),
     "put back the files recorded in DIR (all, or those at or\n"
     "below the PATHs); a file changed since is refused"},
    {"--force", OptionValue::kNone, "", kRestoreMode, KELVANE_STORE(options.m_force = true),
     "with --restore, put back files changed since too"},
    {"--jobs", OptionValue::kCount, "N", kScanMode,
     KELVANE_STORE(options.m_settings.m_nSearchThreads = std::stoi(value)),
     "search files for the signature on N threads ahead of the\n"
     "log (default: one per core, at most 8); the log, the\n"
     "treatment and the report are the same for every N, and\n"
     "1 searches each file in its turn"},
    {"--report", OptionValue::kName, "FILE", kScanMode, KELVANE_STORE(options.m_reportFile = value),
     "write a JSON Lines report to FILE: one object per file\n"
     "and mask treated, then a summary; FILE must be neither\n"
     "a file the scan treats nor the backup's manifest"},
    {"--", OptionValue::kNone, "", kEveryMode, nullptr,
     "end of the options: every argument after it is a PATH,\n"
     "even one that begins with \"-\""},
    {"--help", OptionValue::kNone, "", kEveryMode, ShowUsage, "show this text"},
    {"--version", OptionValue::kNone, "", kEveryMode, ShowVersion, "show the version"},
};

#undef KELVANE_STORE

const char kUsageHead[] =
    "Usage: kelvane-scan [OPTION]... PATH...\n"
    "       kelvane-scan [OPTION]... --all-drives\n"
    "       kelvane-scan --restore DIR [--force] [PATH]...\n"
    "Finds the script-virus block appended to web and script files below each\n"
    "PATH, cuts it out, and gives every file back its attributes and times.\n"
    "Standard output is the scan's log, ending with a report.\n"
    "\n";

const char kUsageTail[] =
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

// The column where every option's help begins.
constexpr std::size_t kHelpColumn = 23;

// An option's lines in --help: its name and value, then its help, each
// further line of help indented to the same column.
std::string UsageLines(const OptionRow& row) {
    std::string head = std::string("  ") + row.m_name;
    if (*row.m_valueName != '\0') {
        head += std::string(" ") + row.m_valueName;
    }
    std::string lines = head + std::string(kHelpColumn - head.size(), ' ');
    for (const char* c = row.m_help; *c != '\0'; ++c) {
        lines += *c;
        if (*c == '\n') {
            lines += std::string(kHelpColumn, ' ');
        }
    }
    return lines + "\n";
}

}  // namespace

const OptionRow* FindOption(const std::string& name) {
    for (const OptionRow& row : kOptions) {
        if (name == row.m_name && row.m_take != nullptr) {
            return &row;
        }
    }
    return nullptr;
}

std::string UsageText() {
    std::string text = kUsageHead;
    for (const OptionRow& row : kOptions) {
        text += UsageLines(row);
    }
    return text + kUsageTail;
}
