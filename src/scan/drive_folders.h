#pragma once

#include <string>
#include <vector>

#include "scan/file_find.h"

// The folders at the roots of the drives of one walk over every drive, each
// walked once: a drive that mounts a folder again (a bind mount) shows
// files that another drive's walk may already have met, and a second walk
// would treat them twice.
class DriveFolders {
public:
    explicit DriveFolders(const std::vector<std::string>& roots);

    // False when the folder is a drive's root that was walked before (as a
    // drive, or met inside another); it counts as walked from now on.
    bool FirstVisit(const DirectoryId& id);

private:
    std::vector<DirectoryId> m_roots;
    std::vector<DirectoryId> m_walked;
};
