#pragma once

#include "core/code_page.h"
#include "core/line_list.h"

// What one call of RemoveVirusBlock did; the values are part of the
// treatment's contract (0, 1, 2).
enum RemovalResult : int {
    kNoSignature = 0,
    kBlockRemoved = 1,
    kBlockNotDelimited = 2,
};

// Removes the virus block around the first line that holds the host's
// signature, searching by the system's code page, and logs the outcome.
int RemoveVirusBlock(LineList& lines);
int RemoveVirusBlock(LineList& lines, const CodePage& codePage);
