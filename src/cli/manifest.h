#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fileio/placed_file.h"

// One file that a scan with --backup-dir changed, as a line of
// DIR/manifest.jsonl.
struct ManifestEntry {
    std::string m_original;   // the file's path as the scan met it
    std::string m_backup;     // its copy below DIR
    std::string m_shaBefore;  // of the copy, the original bytes
    std::string m_shaAfter;   // of the rewritten file; empty for a deleted one
    std::string m_action;     // "rewrite" or "delete"
    std::string m_time;       // when it changed, UTC, ISO 8601
};

std::string ManifestPathIn(const std::string& backupDir);

// Where the copy of the file at fullPath goes: the same path below DIR, a
// drive "C:" becoming a folder "C" and a network path "\\server\share"
// becoming "UNC\server\share".
std::string MirrorPath(const std::string& backupDir, const std::string& fullPath);

// The manifest and the copy of the file at fullPath, as places reached from
// DIR's parent without following a link, DIR itself included.
PlacedFile ManifestPlaceIn(const std::string& backupDir);
PlacedFile CopyPlaceIn(const std::string& backupDir, const std::string& fullPath);

std::string ManifestLine(const ManifestEntry& entry);
std::optional<ManifestEntry> ParseManifestLine(const std::string& line);

// The current time as "2026-12-06T22:00:00Z".
std::string UtcTimeNow();
