#pragma once

#include <string>

#include "fileio/fault_injection.h"
#include "fileio/file_exception.h"

// The failure of an OS call, from its errno value.
CFileException FileErrorFromOs(int osError, std::string fileName = {});

// True, with errno set, when a test made this use of call fail.
bool InjectedFailure(FileCall call);
