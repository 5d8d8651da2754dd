#include "tree_snapshot.h"

#include <numeric>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "cli/sha256.h"
#include "fileio/file_status.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

std::string SnapshotOf(const fs::path& root, bool withChangeTime) {
    std::set<std::string> lines;  // sorted, whatever order the walk met them in
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            const std::string path = entry.path().string();
            std::string line =
                path + " " + Sha256Hex(ReadBytes(path)) + " mode " +
                std::to_string(static_cast<int>(entry.status().permissions())) + " written " +
                std::to_string(fs::last_write_time(entry.path()).time_since_epoch().count());
#ifndef _WIN32
            struct stat info {};
            if (withChangeTime && stat(path.c_str(), &info) == 0) {
                line += " changed " + std::to_string(info.st_ctim.tv_sec) + "." +
                        std::to_string(info.st_ctim.tv_nsec);
            }
#else
            (void)withChangeTime;  // Windows has no change time to compare
#endif
            lines.insert(line + "\n");
        }
    }
    return std::accumulate(lines.begin(), lines.end(), std::string());
}

void DateLongAgo(const std::string& path) {
    FileStatus status;
    if (GetFileStatus(path, status)) {
        status.m_lastWriteTime = 1000000000;  // 2001-09-09, whole seconds as the engine keeps them
        status.m_lastAccessTime = status.m_lastWriteTime;
        status.m_lastWriteNanos = status.m_lastAccessNanos = 0;
        SetFileStatus(path, status);
    }
}
