#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The suffix every temporary file's name ends in; no file-type mask of a
// scan is expected to match it.
constexpr char kTemporarySuffix[] = ".kelvane-tmp";

// A new name for a temporary file, short and the same length whatever the
// name of the file it stands for: ".kelvane-PROCESS-N.kelvane-tmp".
std::string NextTemporaryName();

// Creates a file under the first free temporary name in folder (a path
// ending in a separator, or empty): a name that a file left behind holds
// is passed over for the next, up to 8 names. create makes the file it is
// given the path of, never one that exists, raising CFileException; path is
// set to the one it made.
std::intptr_t CreateUnderFreeName(const std::string& folder,
                                  const std::function<std::intptr_t(const std::string&)>& create,
                                  std::string& path);

// The backend's part: the id of this process, and the OS error of creating
// a file whose name is taken.
unsigned long CurrentProcess();
extern const int32_t kNameTakenError;
