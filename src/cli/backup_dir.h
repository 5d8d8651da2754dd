#pragma once

#include <optional>
#include <string>
#include <vector>

// Why dir cannot take the copies of a scan of paths, or nothing. It must lie
// outside every path, links resolved, so that the scan never meets its own
// copies; it must not exist yet, or be an empty folder of the user running
// the scan that no one else can write into, so that no one else can read the
// copies or slip a link in among them.
std::optional<std::string> UnfitBackupFolder(const std::string& dir,
                                             const std::vector<std::string>& paths);
