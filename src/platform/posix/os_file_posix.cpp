#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "fileio/os_file.h"
#include "fileio/replacement_calls.h"
#include "fileio/temporary_name.h"
#include "fileio/write_all.h"
#include "platform/posix/listed_folder.h"
#include "platform/posix/os_error_posix.h"

const int32_t kNameTakenError = EEXIST;
const bool kReadingKeepsOthersOut = false;

namespace {

// Only a regular file is read: opening a FIFO or a device could block the
// scan for ever or read without end. Non-blocking, so that the open itself
// cannot hang; the flag stays, since it has no effect on a regular file.
// Without touching the last-access time where the system lets us, so that
// a file that is only read keeps every time it had.
int OpenRegularFile(const std::string& path) {
    const RelativePath at = RelativeToListedFolder(path);
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | NoFollowFlag(at);
    int fd = openat(at.m_folder, at.m_name, flags | O_NOATIME);
    if (fd < 0 && errno == EPERM) {
        fd = openat(at.m_folder, at.m_name, flags);  // O_NOATIME is only for the owner
    }
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    return fd;
}

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

void SyncFolderOf(const std::string& path) {
    // Makes the rename itself durable; a folder that cannot be synced still
    // holds a complete file, so a failure here is not reported.
    const RelativePath at = RelativeToListedFolder(path);
    if (at.m_folder != AT_FDCWD) {
        fsync(at.m_folder);
        return;
    }
    const std::string folder = FolderPartOf(path);
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

ReadOnlyFile::~ReadOnlyFile() {
    if (m_handle >= 0) {
        close(Fd(m_handle));
    }
}

bool ReadOnlyFile::Open(const std::string& path) {
    if (InjectedFailure(FileCall::OpenRead)) {
        return false;
    }
    m_handle = OpenRegularFile(path);
    return m_handle >= 0;
}

std::size_t ReadOnlyFile::Read(char* buffer, std::size_t size) {
    if (m_atEnd) {
        return 0;
    }
    ssize_t count = 0;
    do {
        count = InjectedFailure(FileCall::Read) ? -1 : read(Fd(m_handle), buffer, size);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        throw FileErrorFromOs(errno);
    }
    m_atEnd = static_cast<std::size_t>(count) < size;
    return static_cast<std::size_t>(count);
}

void ReadOnlyFile::Rewind() {
    if (InjectedFailure(FileCall::Read) || lseek(Fd(m_handle), 0, SEEK_SET) != 0) {
        throw FileErrorFromOs(errno);
    }
    m_atEnd = false;
}

void ReadOnlyFile::Close() {
    // The descriptor is gone even when closing fails, injected or not.
    const bool closed = close(Fd(m_handle)) == 0;
    m_handle = -1;
    if (InjectedFailure(FileCall::CloseRead) || !closed) {
        throw FileErrorFromOs(errno);
    }
}

// The file itself, named as the reads named it, or where the symbolic
// links of a path the user gave lead. A link found in a listing is never
// written through.
ReplacedFile FindReplacedFile(const std::string& path) {
    const RelativePath at = RelativeToListedFolder(path);
    struct stat status {};
    if (fstatat(at.m_folder, at.m_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
        throw FileErrorFromOs(errno, path);
    }
    std::string target = path;
    if (S_ISLNK(status.st_mode)) {
        if (at.m_listed) {
            throw FileErrorFromOs(ELOOP, path);
        }
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved) == nullptr || stat(resolved, &status) != 0) {
            throw FileErrorFromOs(errno, path);
        }
        target = resolved;
    }
    return ReplacedFile{target, status.st_uid, status.st_gid, status.st_mode & 07777u};
}

std::string FolderPartOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/') + 1);
}

unsigned long CurrentProcess() {
    return static_cast<unsigned long>(getpid());
}

// Inside a folder being walked, every call names the file relative to the
// folder's listing, as the status and the reads did: should the folder be
// renamed and another put in its place meanwhile, the content read from one
// file is never written over another.
std::intptr_t CreateNewFile(const std::string& path, const std::string& name) {
    const RelativePath at = RelativeToListedFolder(path);
    const int fd =
        InjectedFailure(FileCall::CreateTemporary)
            ? -1
            : openat(at.m_folder, at.m_name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw FileErrorFromOs(errno, name);
    }
    return fd;
}

// Before it takes the original's place, so that the replacement changes
// nothing but the content.
void KeepOwnerAndMode(std::intptr_t file, const ReplacedFile& original, const std::string& name) {
    const bool sameOwner = original.m_user == geteuid() && original.m_group == getegid();
    if ((!sameOwner && fchown(Fd(file), original.m_user, original.m_group) != 0) ||
        fchmod(Fd(file), original.m_mode) != 0) {
        throw FileErrorFromOs(errno, name);
    }
}

std::size_t WriteSome(std::intptr_t file, const char* data, std::size_t size,
                      const std::string& name) {
    ssize_t count = 0;
    do {
        count = InjectedFailure(FileCall::Write) ? -1 : write(Fd(file), data, size);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        throw FileErrorFromOs(errno, name);
    }
    return static_cast<std::size_t>(count);
}

void FlushToDisk(std::intptr_t file, const std::string& name) {
    if (InjectedFailure(FileCall::Flush) || fsync(Fd(file)) != 0) {
        throw FileErrorFromOs(errno, name);
    }
}

void CloseFile(std::intptr_t file, const std::string& name) {
    if (close(Fd(file)) != 0) {
        throw FileErrorFromOs(errno, name);
    }
}

void MoveOver(const std::string& from, const std::string& to, const std::string& name) {
    const RelativePath source = RelativeToListedFolder(from);
    const RelativePath target = RelativeToListedFolder(to);
    if (InjectedFailure(FileCall::Replace) ||
        renameat(source.m_folder, source.m_name, target.m_folder, target.m_name) != 0) {
        throw FileErrorFromOs(errno, name);
    }
    SyncFolderOf(to);
}

void CloseQuietly(std::intptr_t file) noexcept {
    close(Fd(file));
}

void DeleteQuietly(const std::string& path) noexcept {
    const RelativePath at = RelativeToListedFolder(path);
    unlinkat(at.m_folder, at.m_name, 0);
}
