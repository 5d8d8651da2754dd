#include "tree_snapshot.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "fileio/file_status.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

int64_t ChangeTimeNs(const fs::path& path) {
#ifdef _WIN32
    (void)path;
    return 0;
#else
    struct stat info {};
    stat(path.c_str(), &info);
    return int64_t{info.st_ctim.tv_sec} * 1000000000 + info.st_ctim.tv_nsec;
#endif
}

std::string Describe(const std::string& path, const FileSnapshot* before,
                     const FileSnapshot* after) {
    if (before == nullptr || after == nullptr) {
        return path + (before == nullptr ? ": appeared\n" : ": vanished\n");
    }
    std::string what;
    what += before->m_bytes != after->m_bytes ? " bytes" : "";
    what += before->m_perms != after->m_perms ? " mode" : "";
    what += before->m_lastWrite != after->m_lastWrite ? " last-write-time" : "";
    what += before->m_changeTimeNs != after->m_changeTimeNs ? " change-time" : "";
    return what.empty() ? std::string() : path + ":" + what + "\n";
}

}  // namespace

bool FileSnapshot::operator==(const FileSnapshot& other) const {
    return m_bytes == other.m_bytes && m_perms == other.m_perms &&
           m_lastWrite == other.m_lastWrite && m_changeTimeNs == other.m_changeTimeNs;
}

TreeSnapshot SnapshotOf(const fs::path& root) {
    TreeSnapshot snapshot;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            const std::string path = entry.path().string();
            snapshot[path] = {ReadBytes(path), entry.status().permissions(),
                              fs::last_write_time(entry.path()), ChangeTimeNs(entry.path())};
        }
    }
    return snapshot;
}

std::string Differences(const TreeSnapshot& before, const TreeSnapshot& after,
                        bool withChangeTimes) {
    std::string differences;
    for (const auto& [path, was] : before) {
        const auto now = after.find(path);
        FileSnapshot compared = was;
        if (now != after.end() && !withChangeTimes) {
            compared.m_changeTimeNs = now->second.m_changeTimeNs;
        }
        differences += Describe(path, &compared, now == after.end() ? nullptr : &now->second);
    }
    for (const auto& [path, now] : after) {
        if (before.count(path) == 0) {
            differences += Describe(path, nullptr, &now);
        }
    }
    return differences;
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
