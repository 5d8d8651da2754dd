#pragma once

#include <string>

// The folders a walk is listing, innermost last, each with the descriptor of
// its listing. A call on an entry directly inside the innermost one names
// the entry relative to that descriptor, so the kernel resolves one name
// instead of every folder of the path: on a deep tree that path walk is most
// of what a call costs. Any other path is used as it is.
struct RelativePath {
    int m_folder;        // AT_FDCWD when the path is used as it is
    const char* m_name;  // points into the path it was made from
};

void EnterListedFolder(const std::string& folder, int descriptor);
void LeaveListedFolder(int descriptor);
RelativePath RelativeToListedFolder(const std::string& path);
