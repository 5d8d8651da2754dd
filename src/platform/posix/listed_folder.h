#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fileio/entry_folder.h"
#include "scan/file_find.h"

// The folders a walk is listing, innermost last, each with a descriptor of
// its own. A call on an entry directly inside the folder this thread names
// through (an EntryFolder hold), or else inside the innermost one, names the
// entry relative to that descriptor: the kernel then resolves one name
// instead of every folder of the path, a path of any length can be named,
// and a folder renamed meanwhile never makes the call land elsewhere. Such
// an entry is never followed when it is a symbolic link. Any other path (a
// PATH the user gave, a backup, a report) is used as it is.
struct RelativePath {
    int m_folder;        // AT_FDCWD when the path is used as it is
    const char* m_name;  // points into the path it was made from
    bool m_listed;       // an entry of a listing: a link there is not followed
};
RelativePath RelativeToListedFolder(const std::string& path);

// The flag that keeps a call from following a listed entry that is a link.
int NoFollowFlag(const RelativePath& at);    // O_NOFOLLOW or 0
int NoFollowAtFlag(const RelativePath& at);  // AT_SYMLINK_NOFOLLOW or 0

struct ListedEntry {
    std::string m_name;
    uint32_t m_attributes = 0;  // kFindDirectory, kFindLink, and hidden for a dot name
    uint64_t m_inode = 0;
};

// One folder being listed. A walk deeper than the descriptors the process
// may hold does not stop: the outermost open listing reads the rest of its
// entries into memory and gives up its descriptor, and gets one again when
// the walk comes back to it, through ".." of the folder below it, provided
// that is still the same folder.
class ListedFolder {
public:
    // Opens the folder at path and makes it the innermost; null, with errno
    // set, when it cannot be listed.
    static ListedFolder* Open(const std::string& path);
    // Leaves the folder, whichever it is, and hands its descriptor's place
    // to the folder it lies in.
    static void Close(ListedFolder* folder);

    // The next entry; false at the end, with errno 0, or when listing
    // failed, with errno set.
    bool Next(ListedEntry& entry);
    const DirectoryId& Id() const { return m_id; }
    const std::string& Path() const { return m_path; }
    int Descriptor() const { return m_descriptor; }  // -1 while parked
    // One hold for every entry of the folder while any is alive; null when
    // no descriptor is left for it.
    EntryFolderHold Hold();

    ListedFolder(const ListedFolder&) = delete;
    ListedFolder& operator=(const ListedFolder&) = delete;

private:
    ListedFolder() = default;
    ~ListedFolder();

    static int OpenDescriptor(const RelativePath& at);
    static std::size_t OpenDescriptors();  // of the listings not parked, and the holds
    static bool ParkOutermost();
    bool Parked() const { return m_descriptor < 0; }
    void Park();
    void ReopenFrom(int childDescriptor);

    std::string m_path;
    int m_descriptor = -1;            // -1 while parked
    void* m_stream = nullptr;         // the DIR, null once parked
    std::vector<ListedEntry> m_rest;  // read ahead when parked
    std::size_t m_next = 0;           // the first of m_rest not taken yet
    DirectoryId m_id;
    int m_error = 0;  // met while parking or reopening; given once the entries are taken
    std::weak_ptr<const EntryFolder> m_hold;
};

// The OS error of a folder that moved away while the walk was inside it.
constexpr int kFolderMovedError = -1;
