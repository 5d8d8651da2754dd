// The "drives" of a POSIX machine: the mount point of every file system that
// holds files of its own, on a block device or across the network; virtual
// file systems (proc, sysfs, tmpfs, cgroup, ...) are left out.
#include <mntent.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "scan/scanner.h"

namespace {

const std::set<std::string> kNetworkFileSystems = {"nfs", "nfs4", "cifs", "smb3",      "smbfs",
                                                   "9p",  "afs",  "ceph", "fuse.sshfs"};

// The file system types that need no device, as /proc/filesystems marks them.
std::set<std::string> DevicelessTypes() {
    std::set<std::string> types;
    std::ifstream list("/proc/filesystems");
    for (std::string line; std::getline(list, line);) {
        std::istringstream fields(line);
        std::string flag, type;
        if (fields >> flag >> type && flag == "nodev") {
            types.insert(type);
        }
    }
    return types;
}

// Closes the mount table however the reading ends.
struct MountTable {
    explicit MountTable(const char* path) : m_file(setmntent(path, "r")) {}
    ~MountTable() {
        if (m_file != nullptr) {
            endmntent(m_file);
        }
    }
    MountTable(const MountTable&) = delete;
    MountTable& operator=(const MountTable&) = delete;
    FILE* m_file;
};

}  // namespace

// The C library undoes the table's octal escapes (a blank in a path is
// written \040, and tab, newline and backslash likewise).
std::vector<std::string> LogicalDriveRoots() {
    const std::set<std::string> deviceless = DevicelessTypes();
    std::vector<std::string> roots;
    MountTable table("/proc/self/mounts");
    if (table.m_file == nullptr) {
        return roots;
    }
    mntent entry{};
    std::vector<char> buffer(1 << 16);
    while (getmntent_r(table.m_file, &entry, buffer.data(), static_cast<int>(buffer.size()))) {
        const std::string type = entry.mnt_type;
        if (deviceless.count(type) == 0 || kNetworkFileSystems.count(type) != 0) {
            roots.emplace_back(entry.mnt_dir);
        }
    }
    return roots;
}
