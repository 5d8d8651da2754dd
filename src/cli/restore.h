#pragma once

#include <ostream>
#include <string>
#include <vector>

// Puts back the files recorded in backupDir's manifest, all of them or
// those at or below one of paths, with their bytes, permission bits or
// attributes, and times. A file that changed after the scan changed it (or,
// deleted by the scan, exists again) is refused unless force. Tells each
// file's fate on out; returns the exit status: 0 all restored, 2 not.
int RestoreFromBackup(const std::string& backupDir, const std::vector<std::string>& paths,
                      bool force, std::ostream& out);
