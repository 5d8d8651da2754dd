#include "platform/posix/listed_folder.h"

#include <fcntl.h>

#include <climits>

#include <algorithm>
#include <vector>

namespace {

struct ListedFolder {
    std::string m_path;
    int m_descriptor;
};

// Per thread: each walk lists its own folders.
thread_local std::vector<ListedFolder> t_listed;

}  // namespace

void EnterListedFolder(const std::string& folder, int descriptor) {
    t_listed.push_back({folder, descriptor});
}

void LeaveListedFolder(int descriptor) {
    const auto listed =
        std::find_if(t_listed.rbegin(), t_listed.rend(),
                     [descriptor](const ListedFolder& f) { return f.m_descriptor == descriptor; });
    if (listed != t_listed.rend()) {
        t_listed.erase(std::next(listed).base());
    }
}

RelativePath RelativeToListedFolder(const std::string& path) {
    const std::size_t lastSlash = path.find_last_of('/');
    const bool named = lastSlash != std::string::npos && lastSlash + 1 < path.size();
    // A path too long for the system stays too long: what the walk reaches
    // must stay what a rewrite, a backup or a restore can name in full.
    const bool fits = path.size() < PATH_MAX;
    if (!named || !fits || t_listed.empty()) {
        return {AT_FDCWD, path.c_str()};
    }
    const ListedFolder& innermost = t_listed.back();
    const std::size_t parentLength = lastSlash == 0 ? 1 : lastSlash;  // "/name" lies in "/"
    const bool inside = innermost.m_path.size() == parentLength &&
                        path.compare(0, parentLength, innermost.m_path) == 0;
    return inside ? RelativePath{innermost.m_descriptor, path.c_str() + lastSlash + 1}
                  : RelativePath{AT_FDCWD, path.c_str()};
}
