#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

// What a test compares of every file of a tree before and after a command:
// bytes, permission bits (the read-only attribute on Windows), last-write
// time and, on POSIX, the change time, which any chmod, utimensat or rename
// moves even when the old mode and times are put back.
struct FileSnapshot {
    std::string m_bytes;
    std::filesystem::perms m_perms{};
    std::filesystem::file_time_type m_lastWrite{};
    int64_t m_changeTimeNs = 0;
    bool operator==(const FileSnapshot& other) const;
};

using TreeSnapshot = std::map<std::string, FileSnapshot>;

// Every regular file below root, by path.
TreeSnapshot SnapshotOf(const std::filesystem::path& root);

// The differences of two snapshots, one line per path; empty when equal.
// Change times are compared only when withChangeTimes.
std::string Differences(const TreeSnapshot& before, const TreeSnapshot& after,
                        bool withChangeTimes);

// Dates a file long ago, so a time that is put back can be told from "now".
void DateLongAgo(const std::string& path);
