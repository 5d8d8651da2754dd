#pragma once

#include <cstdint>
#include <string>

#include "fileio/owned_file.h"

// The system calls a FileReplacement is made of, one backend per platform.
// Those that may fail raise CFileException naming name.

// The file a rewrite replaces and what its new version keeps of it.
struct ReplacedFile {
    std::string m_path;
    // The owner, group and permission bits on POSIX; unused on Windows, where
    // the new file takes the folder's.
    uint32_t m_user = 0;
    uint32_t m_group = 0;
    uint32_t m_mode = 0;
};

// On POSIX a symbolic link the user named leads to the file replaced, so
// that the link stays a link; a link found in a listing raises. On Windows
// the path is taken as given.
ReplacedFile FindReplacedFile(const std::string& path);

// The folder part of a path, its last separator included; empty when none.
std::string FolderPartOf(const std::string& path);

// A new file, never one that exists, open for writing; on POSIX readable
// by its owner alone until KeepOwnerAndMode.
std::intptr_t CreateNewFile(const std::string& path, const std::string& name);
// Gives the new file the original's owner, group and mode (POSIX only).
void KeepOwnerAndMode(std::intptr_t file, const ReplacedFile& original, const std::string& name);
void FlushToDisk(std::intptr_t file, const std::string& name);
void CloseFile(std::intptr_t file, const std::string& name);
// Renames from over to, replacing it, and makes the rename durable.
void MoveOver(const std::string& from, const std::string& to, const std::string& name);

// For discarding: a failure is not reported.
void DeleteQuietly(const std::string& path) noexcept;
