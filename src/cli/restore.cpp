#include "cli/restore.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>

#include "cli/manifest.h"
#include "cli/options.h"
#include "cli/path_text.h"
#include "cli/sha256.h"
#include "fileio/file_exception.h"
#include "fileio/native_path.h"

namespace {

// Why an entry is not restored, as its "Refused" line tells it.
struct Refusal {
    std::string m_why;
};

bool Selects(const std::string& root, const ManifestEntry& entry) {
    return IsAtOrBelow(entry.m_original, root);
}

bool Selected(const ManifestEntry& entry, const std::vector<std::string>& paths) {
    return paths.empty() || std::any_of(paths.begin(), paths.end(), [&](const std::string& root) {
               return Selects(root, entry);
           });
}

// The manifest is read like any file of the tree: its entries decide where
// files are written, so one that points anywhere but its own place in DIR,
// or at a path that is not absolute, is not followed.
void CheckConfined(const ManifestEntry& entry, const std::string& backupDir) {
    const std::filesystem::path original = NativePath(entry.m_original);
    if (!original.is_absolute() || original.lexically_normal() != original) {
        throw Refusal{"it is not a normal absolute path"};
    }
    if (entry.m_backup != MirrorPath(backupDir, entry.m_original)) {
        throw Refusal{"its copy is recorded at " + entry.m_backup + ", not at " +
                      MirrorPath(backupDir, entry.m_original)};
    }
}

KeptFile LoadCopy(const ManifestEntry& entry, const std::string& backupDir) {
    KeptFile copy;
    try {
        copy = CopyPlaceIn(backupDir, entry.m_original).Load();
    } catch (const CFileException&) {
        throw Refusal{"its copy " + entry.m_backup + " is missing"};
    }
    if (Sha256Hex(copy.m_bytes) != entry.m_shaBefore) {
        throw Refusal{"its copy " + entry.m_backup + " is damaged"};
    }
    return copy;
}

// Why the file is not as the scan left it, or nothing when it is.
std::optional<std::string> ChangeSinceScan(const ManifestEntry& entry, const PlacedFile& place) {
    const bool exists = place.What() != PlacedFile::kMissing;
    if (entry.m_action == "delete") {
        return exists ? std::optional<std::string>("it exists again") : std::nullopt;
    }
    if (!exists) {
        return "it was deleted since";
    }
    try {
        if (Sha256Hex(place.Load().m_bytes) == entry.m_shaAfter) {
            return std::nullopt;
        }
        return "it changed since";
    } catch (const CException&) {
        return "it cannot be read";
    }
}

// The original's folders, walked from its root.
PlacedFile PlaceOf(const std::string& original) {
    const std::filesystem::path path = NativePath(original);
    try {
        return PlacedFile(NarrowPath(path.root_path()), NarrowPath(path.relative_path()));
    } catch (const CFileException&) {
        throw Refusal{"one of its folders is a link or cannot be opened"};
    }
}

void PutBack(const ManifestEntry& entry, const std::string& backupDir, bool force) {
    CheckConfined(entry, backupDir);
    const KeptFile copy = LoadCopy(entry, backupDir);
    PlacedFile place = PlaceOf(entry.m_original);
    const PlacedFile::Kind kind = place.What();
    if (kind == PlacedFile::kLink || kind == PlacedFile::kOther) {
        throw Refusal{kind == PlacedFile::kLink ? "it is a symbolic link" : "it is not a file"};
    }
    const std::optional<std::string> change = ChangeSinceScan(entry, place);
    if (change && !force) {
        throw Refusal{*change + " (--force restores it)"};
    }
    try {
        place.Replace(copy);
    } catch (const CFileException&) {
        throw Refusal{"it cannot be written"};
    }
}

// Restores one file; false when refused.
bool Restore(const ManifestEntry& entry, const std::string& backupDir, bool force,
             std::ostream& out) {
    try {
        PutBack(entry, backupDir, force);
    } catch (const Refusal& refusal) {
        out << "Refused " << entry.m_original << ": " << refusal.m_why << "\n";
        return false;
    } catch (const CException&) {
        out << "Refused " << entry.m_original << ": its place cannot be read\n";
        return false;
    }
    out << "Restored " << entry.m_original << "\n";
    return true;
}

// The manifest's whole entries, in order, and whether every line was one.
// A damaged line (torn by a crash, or edited) is named and skipped, so that
// the entries around it can still be restored.
bool ReadManifest(const std::string& backupDir, std::vector<ManifestEntry>& entries) {
    const std::string path = ManifestPathIn(backupDir);
    std::string text;
    try {
        text = ManifestPlaceIn(backupDir).Load().m_bytes;
    } catch (const CFileException&) {
        std::cerr << "kelvane-scan: " << path << ": cannot read the manifest\n";
        return false;
    }
    std::istringstream in(text);
    bool whole = true;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (std::optional<ManifestEntry> entry = ParseManifestLine(line)) {
            entries.push_back(std::move(*entry));
        } else {
            std::cerr << "kelvane-scan: " << path << ":" << number << ": not a manifest entry\n";
            whole = false;
        }
    }
    return whole;
}

// A PATH that selects nothing is most likely mistyped: saying nothing would
// pass for a restore.
bool EveryPathMatches(const std::vector<ManifestEntry>& entries,
                      const std::vector<std::string>& paths) {
    bool all = true;
    for (const std::string& root : paths) {
        if (std::none_of(entries.begin(), entries.end(),
                         [&](const ManifestEntry& entry) { return Selects(root, entry); })) {
            std::cerr << "kelvane-scan: " << root
                      << ": no entry of the manifest is at or below it\n";
            all = false;
        }
    }
    return all;
}

}  // namespace

int RestoreFromBackup(const std::string& backupDir, const std::vector<std::string>& paths,
                      bool force, std::ostream& out) {
    std::vector<ManifestEntry> entries;
    bool allRestored = ReadManifest(backupDir, entries);
    allRestored = EveryPathMatches(entries, paths) && allRestored;
    // Newest first, so that a file recorded twice ends as it was first.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (Selected(*entry, paths) && !Restore(*entry, backupDir, force, out)) {
            allRestored = false;
        }
    }
    return allRestored ? kExitClean : kExitProblems;
}
