#pragma once

#include <ostream>
#include <string>
#include <vector>

// Puts back the files recorded in backupDir's manifest, all of them or
// those at or below one of paths, with their bytes, permission bits or
// attributes, owner, and times. A file that changed after the scan changed
// it (or, deleted by the scan, exists again) is refused unless force. The
// manifest is not trusted: an entry whose copy is not at its own place in
// backupDir, whose original is not a normal absolute path, or whose
// original's place or folders are links is refused, force or not; a damaged
// line is named and skipped. Tells each file's fate on out; returns the exit
// status: 0 all restored, 2 not (a damaged line or a path matching no entry
// included).
int RestoreFromBackup(const std::string& backupDir, const std::vector<std::string>& paths,
                      bool force, std::ostream& out);
