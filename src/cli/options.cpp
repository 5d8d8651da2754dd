#include "cli/options.h"

#include <filesystem>
#include <iostream>

#include "scan/file_types.h"

namespace {

const char kUsage[] =
    "Usage: kelvane-scan [OPTION]... PATH...\n"
    "       kelvane-scan [OPTION]... --all-drives\n"
    "Finds the script-virus block appended to web and script files below each\n"
    "PATH, cuts it out, and gives every file back its attributes and times.\n"
    "Standard output is the scan's log, ending with a report.\n"
    "\n"
    "  --signature TEXT     a line of the block contains TEXT\n"
    "                       (default \"Rem I am sorry! happy time\"; must not be empty)\n"
    "  --first-string TEXT  the block begins on the nearest line at or before the\n"
    "                       signature that contains TEXT (default \"<script language\")\n"
    "  --last-string TEXT   the block ends on the next line that contains TEXT\n"
    "                       (default \"</script>\")\n"
    "  --file-types TEXT    the masks of the files to treat, separated by blanks\n"
    "                       (default \"*.htm *.html *.hta *.vbs *.htt\"; \"*.*\" is every file)\n"
    "  --remove-on-error    delete a file whose block cannot be delimited (default)\n"
    "  --keep-on-error      keep such a file as it is\n"
    "  --all-drives         walk every drive (Windows) or every mounted file system\n"
    "                       (elsewhere) instead of the PATHs\n"
    "  --help               show this text\n"
    "  --version            show the version\n"
    "\n"
    "Ctrl+C stops the scan after the file being treated.\n"
    "\n"
    "Exit status: 0 nothing infected and no problem; 1 infected files found and\n"
    "all treated; 2 a file caused a problem, a PATH could not be scanned, or the\n"
    "command line was wrong.\n";

int UsageError(const std::string& message) {
    std::cerr << "kelvane-scan: " << message << "\nTry 'kelvane-scan --help'.\n";
    return kExitProblems;
}

// The options that take a text, and the setting each one fills.
std::string* TextOption(const std::string& name, ScanOptions& options, std::string& fileTypes) {
    ScanSettings& settings = options.m_settings;
    if (name == "--signature") return &settings.m_strSignature;
    if (name == "--first-string") return &settings.m_strFirstString;
    if (name == "--last-string") return &settings.m_strLastString;
    if (name == "--file-types") return &fileTypes;
    return nullptr;
}

}  // namespace

std::string NormalisePath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error).lexically_normal();
    std::string text = absolute.string();
    const std::string root = absolute.root_path().string();
    while (text.size() > root.size() && (text.back() == '/' || text.back() == '\\')) {
        text.pop_back();
    }
    return text;
}

std::optional<int> ParseOptions(int argc, char** argv, ScanOptions& options) {
    std::string fileTypes = kDefaultFileTypes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (std::string* text = TextOption(arg, options, fileTypes)) {
            if (++i == argc) {
                return UsageError(arg + " needs a TEXT");
            }
            *text = argv[i];
        } else if (arg == "--remove-on-error" || arg == "--keep-on-error") {
            options.m_settings.m_bRemoveOnError = arg == "--remove-on-error" ? 1 : 0;
        } else if (arg == "--all-drives") {
            options.m_allDrives = true;
        } else if (arg == "--help") {
            std::cout << kUsage;
            return kExitClean;
        } else if (arg == "--version") {
            std::cout << "kelvane-scan " KELVANE_VERSION "\n";
            return kExitClean;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            options.m_paths.push_back(NormalisePath(arg));
        }
    }
    if (options.m_settings.m_strSignature.empty()) {
        // With an empty signature every line of every file would be part of
        // a block, and nearly every file scanned would be cut or deleted.
        return UsageError("the signature must not be empty");
    }
    if (options.m_allDrives == !options.m_paths.empty()) {
        return UsageError("give either PATHs or --all-drives");
    }
    options.m_settings.m_masks = ParseFileTypes(fileTypes);
    return std::nullopt;
}
