#pragma once

#include <string>

// The suffix every temporary file's name ends in; no file-type mask of a
// scan is expected to match it.
constexpr char kTemporarySuffix[] = ".kelvane-tmp";

// A new name for a temporary file, short and the same length whatever the
// name of the file it stands for: ".kelvane-PROCESS-N.kelvane-tmp".
std::string NextTemporaryName();

// The backend's part: the id of this process.
unsigned long CurrentProcess();
