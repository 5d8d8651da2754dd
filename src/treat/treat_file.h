#pragma once

#include <string>

// Cleans one file in place: every virus block is cut out, the file is
// rewritten once if anything was removed, and its attributes and times are
// given back. Every outcome is logged and counted; nothing is raised.
void TreatFile(const std::string& path);
