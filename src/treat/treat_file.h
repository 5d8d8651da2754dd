#pragma once

#include <string>

// Cleans one file in place: every virus block is cut out, the file is
// rewritten once if anything was removed, and its attributes and times are
// given back. Every outcome is logged and counted; nothing is raised.
void TreatFile(const std::string& path);

// The treatment of a file that a search has just found readable, a file, and
// without the signature anywhere: such a treatment would only read it, so
// it is counted and reported clean without reading it again.
void TreatFileFoundClean(const std::string& path);
