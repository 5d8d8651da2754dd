// The "drives" of a POSIX machine: the mount point of every file system that
// holds files of its own, on a block device or across the network; virtual
// file systems (proc, sysfs, tmpfs, cgroup, ...) are left out.
#include <fstream>
#include <set>
#include <sstream>

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

// /proc/self/mounts writes a blank in a path as \040 (and tab, newline and
// backslash likewise, in octal).
std::string UnescapeMountPath(const std::string& field) {
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            path += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            path += field[i];
        }
    }
    return path;
}

}  // namespace

std::vector<std::string> LogicalDriveRoots() {
    const std::set<std::string> deviceless = DevicelessTypes();
    std::vector<std::string> roots;
    std::ifstream mounts("/proc/self/mounts");
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        fields >> device >> mountPoint >> type;
        if (deviceless.count(type) == 0 || kNetworkFileSystems.count(type) != 0) {
            roots.push_back(UnescapeMountPath(mountPoint));
        }
    }
    return roots;
}
