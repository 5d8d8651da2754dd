#pragma once

#include <string>
#include <vector>

#include "scan/scan_stats.h"

// The worker's body: walks every drive of the machine, then logs the
// closing banner and the report.
ScanTotals ScanAllDrives();

// The same over the given roots, each walked like a drive; a root that is a
// file is handled like a file met in a walk.
ScanTotals ScanRoots(const std::vector<std::string>& roots);

// Walks one directory tree depth first, treating every file that a mask
// matches once per matching mask.
void ScanDirectory(const std::string& path);

// The roots of every drive (Windows) or mounted file system (elsewhere); an
// empty list when they cannot be read.
std::vector<std::string> LogicalDriveRoots();
