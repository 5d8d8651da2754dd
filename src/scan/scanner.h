#pragma once

#include <string>
#include <vector>

#include "scan/scan_stats.h"

// The worker's body: walks every drive of the machine, then logs the
// closing banner and the report.
ScanTotals ScanAllDrives();

// The same over the given roots, each walked like a drive, depth first; a
// root that is a file is handled like a file met in a walk. Every file a mask
// matches is treated once for every mask that matches it.
ScanTotals ScanRoots(const std::vector<std::string>& roots);

// The roots of every drive (Windows) or mounted file system (elsewhere); an
// empty list when they cannot be read.
std::vector<std::string> LogicalDriveRoots();
