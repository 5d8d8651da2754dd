#pragma once

#include <filesystem>
#include <string>

// What a test compares of every regular file below root, one line per file:
// its path, a digest of its bytes, its permission bits (the read-only
// attribute on Windows), its last-write time and, when asked on POSIX, its
// change time, which any chmod, utimensat or rename moves even when the old
// mode and times are put back.
std::string SnapshotOf(const std::filesystem::path& root, bool withChangeTime = true);

// Dates a file long ago, so a time that is put back can be told from "now".
void DateLongAgo(const std::string& path);
