#pragma once

#include <cstdint>
#include <string>

#include "fileio/full_path.h"

constexpr uint32_t kFindDirectory = 0x10;
// A symbolic link, or on Windows a junction or mount point, which the walk
// never follows. Other reparse points (deduplicated files, cloud
// placeholders) are ordinary files and do not carry this bit.
constexpr uint32_t kFindLink = 0x400;

// The pattern that lists every entry of a directory: "dir\*.*" or "dir/*.*".
std::string SearchPatternOf(const std::string& directory);

// Identifies a directory across the paths that lead to it (volume and file
// id, or device and inode), so a walk can tell when it comes back to one.
struct DirectoryId {
    uint64_t m_volume = 0;
    uint64_t m_file = 0;
    bool m_mountRoot = false;  // the root of a mount other than its volume's own
    bool operator==(const DirectoryId& other) const {
        return m_volume == other.m_volume && m_file == other.m_file;
    }
};

// One directory listing, walked entry by entry with the next entry always
// fetched ahead, so that the last entry is known as the last while it is
// handled. Entries "." and ".." are listed like any other.
class CFileFind {
public:
    CFileFind() = default;
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;
    ~CFileFind() { Close(); }

    // Starts the listing of a pattern ("dir\*.*"); false, with nothing left
    // open, when the directory cannot be listed or its full path not formed.
    // A link is not followed to a folder, except for the pattern's own
    // folder when it is not inside a folder being listed (a PATH given by
    // the user).
    bool FindFile(const std::string& pattern);
    // Makes the entry fetched ahead current; false when no entry follows it.
    bool FindNextFile();
    bool MatchesMask(uint32_t mask) const;
    bool IsDots() const;
    // The root, one separator unless the root ends in one, and the name.
    std::string GetFilePath() const;
    const std::string& GetFileName() const { return m_current.m_name; }
    // The current entry's file id as the listing gave it; 0 where the
    // platform's listing gives none.
    uint64_t GetFileId() const { return m_current.m_fileId; }
    // The folder being listed; known only where the platform can tell.
    bool GetFolderId(DirectoryId& id) const;
    // Why the listing could not be started or ended early: an OS error, or
    // 0 when it did not fail (an empty drive, the end of the entries).
    int LastError() const { return m_error; }
    void Close();

private:
    struct Entry {
        std::string m_name;
        uint32_t m_attributes = 0;
        uint64_t m_fileId = 0;
    };

    // The platform's part.
    bool OpenListing(const std::string& pattern);  // fetches the first entry ahead
    bool FetchAhead();
    void CloseListing();

    std::intptr_t m_handle = 0;
    bool m_open = false;
    std::string m_folder;  // the folder being listed, as the pattern names it
    std::string m_root;
    Entry m_current;
    Entry m_ahead;
    bool m_hasCurrent = false;
    int m_error = 0;
};

// The OS error of a full path that is longer than the platform can form.
extern const int kNameTooLongError;

// The text of an error of LastError, for the user.
std::string ListingErrorText(int osError);
