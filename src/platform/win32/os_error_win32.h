#pragma once

#include <windows.h>

#include <string>

#include "fileio/fault_injection.h"
#include "fileio/file_exception.h"

// The failure of a Win32 call, from the code GetLastError gave right after it.
CFileException FileErrorFromOs(DWORD osError, std::string fileName = {});

// Counts one use of call; true, with the last error set, when a test made
// this use fail. Checked before the OS call, so that an injected failure
// takes the same path as a real one:
//   if (InjectedFailure(FileCall::Read) || !ReadFile(...)) throw ...
bool InjectedFailure(FileCall call);
