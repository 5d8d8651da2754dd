#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fileio/file_status.h"

// Who may use a file: on POSIX its owner and group, on Windows its security
// descriptor (self-relative, as bytes).
struct FileOwner {
    uint32_t m_user = 0;
    uint32_t m_group = 0;
    std::string m_securityDescriptor;
};

// A file's bytes with all that a copy of it keeps.
struct KeptFile {
    std::string m_bytes;
    FileStatus m_status;
    FileOwner m_owner;
};

// The owner of the file at path, its last component not followed. Raises
// CFileException.
FileOwner OwnerOf(const std::string& path);

// True when the folder at path belongs to the user running this and no one
// else can write into it, so that nothing can be slipped into it.
bool IsPrivateFolder(const std::string& path);

// A name inside a folder reached from a start folder one component at a
// time, no link followed and each folder held open: a link planted in the
// tree, before or during the walk, never redirects a read or a write. The
// start folder is taken as given. Every call raises CFileException on
// failure, a link met on the way being one.
class PlacedFile {
public:
    enum Kind { kMissing, kFile, kLink, kOther };

    // A "." or ".." component is refused; folders that are missing are
    // created, readable by their owner alone, only when a file is written.
    PlacedFile(const std::string& start, const std::string& relative);
    PlacedFile(const PlacedFile&) = delete;
    PlacedFile& operator=(const PlacedFile&) = delete;
    ~PlacedFile();

    Kind What() const;
    KeptFile Load() const;  // a regular file only
    // A new file, never one that exists; removed again when a step fails.
    void Create(const KeptFile& file);
    // Written beside the name, then put in its place, a link there included.
    void Replace(const KeptFile& file);
    // Added to the end in one write and flushed; when that fails the file is
    // cut back to its former end, so no part of bytes stays.
    void Append(const std::string& bytes);

private:
    void Walk(const std::string& start, const std::vector<std::string>& folders);
    void MakeMissingFolders();
    // The backend's part, each raising on failure: opens and holds the start
    // folder; enters the folder part below the innermost one held, no link
    // followed (false when it is missing); creates it, private.
    void HoldStart(const std::string& start);
    bool Enter(const std::string& part);
    void MakeFolder(const std::string& part);
    void Hold(std::intptr_t folder);  // raises, with the OS error, when it is not open
    void Release() noexcept;

    std::string m_path;                    // the folder reached so far, for messages
    std::vector<std::intptr_t> m_folders;  // held open, innermost last
    std::vector<std::string> m_missing;    // folders still to create
    std::string m_name;                    // the file's own name
};
