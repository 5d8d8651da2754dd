#include "cli/restore.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include "cli/manifest.h"
#include "cli/options.h"
#include "cli/path_text.h"
#include "cli/sha256.h"
#include "fileio/file_exception.h"
#include "fileio/whole_file.h"

namespace {

bool Selected(const ManifestEntry& entry, const std::vector<std::string>& paths) {
    return paths.empty() || std::any_of(paths.begin(), paths.end(), [&](const std::string& root) {
               return IsAtOrBelow(entry.m_original, root);
           });
}

// Why the file is not as the scan left it, or nothing when it is.
std::optional<std::string> ChangeSinceScan(const ManifestEntry& entry) {
    FileStatus status;
    const bool exists = GetFileStatus(entry.m_original, status);
    if (entry.m_action == "delete") {
        return exists ? std::optional<std::string>("it exists again") : std::nullopt;
    }
    if (!exists) {
        return "it was deleted since";
    }
    try {
        if (Sha256Hex(ReadAllBytes(entry.m_original)) == entry.m_shaAfter) {
            return std::nullopt;
        }
        return "it changed since";
    } catch (const CException&) {
        return "it cannot be read";
    }
}

// Why the copy could not be put back, or nothing when it was.
std::optional<std::string> PutBack(const ManifestEntry& entry) {
    try {
        FileStatus status;
        if (!GetFileStatus(entry.m_backup, status)) {
            return "its copy " + entry.m_backup + " is missing";
        }
        const std::string bytes = ReadAllBytes(entry.m_backup);
        if (Sha256Hex(bytes) != entry.m_shaBefore) {
            return "its copy " + entry.m_backup + " is damaged";
        }
        WriteAllBytes(entry.m_original, bytes, status);
        return std::nullopt;
    } catch (const CException&) {
        return "it cannot be written";
    }
}

// Restores one file; false when refused.
bool Restore(const ManifestEntry& entry, bool force, std::ostream& out) {
    std::optional<std::string> why = ChangeSinceScan(entry);
    if (why && !force) {
        out << "Refused " << entry.m_original << ": " << *why << " (--force restores it)\n";
        return false;
    }
    why = PutBack(entry);
    if (why) {
        out << "Refused " << entry.m_original << ": " << *why << "\n";
        return false;
    }
    out << "Restored " << entry.m_original << "\n";
    return true;
}

// The manifest's entries, or nothing (with a message) when it is unreadable.
std::optional<std::vector<ManifestEntry>> ReadManifest(const std::string& backupDir) {
    const std::string path = ManifestPathIn(backupDir);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "kelvane-scan: " << path << ": cannot read the manifest\n";
        return std::nullopt;
    }
    std::vector<ManifestEntry> entries;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (std::optional<ManifestEntry> entry = ParseManifestLine(line)) {
            entries.push_back(std::move(*entry));
        } else {
            std::cerr << "kelvane-scan: " << path << ":" << number << ": not a manifest entry\n";
            return std::nullopt;
        }
    }
    return entries;
}

}  // namespace

int RestoreFromBackup(const std::string& backupDir, const std::vector<std::string>& paths,
                      bool force, std::ostream& out) {
    const std::optional<std::vector<ManifestEntry>> entries = ReadManifest(backupDir);
    if (!entries) {
        return kExitProblems;
    }
    bool allRestored = true;
    // Newest first, so that a file recorded twice ends as it was first.
    for (auto entry = entries->rbegin(); entry != entries->rend(); ++entry) {
        if (Selected(*entry, paths) && !Restore(*entry, force, out)) {
            allRestored = false;
        }
    }
    return allRestored ? kExitClean : kExitProblems;
}
