#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "fileio/os_file.h"
#include "platform/posix/listed_folder.h"
#include "platform/posix/os_error_posix.h"

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

// The file a rewrite replaces, with its status: the path itself, named as
// the reads named it, or where the symbolic links of a path the user gave
// lead, so that such a link stays a link. A link found in a listing is
// never written through.
std::string ReplacedFileOf(const std::string& path, struct stat& status) {
    const RelativePath at = RelativeToListedFolder(path);
    if (fstatat(at.m_folder, at.m_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
        throw FileErrorFromOs(errno, path);
    }
    if (!S_ISLNK(status.st_mode)) {
        return path;
    }
    if (at.m_listed) {
        throw FileErrorFromOs(ELOOP, path);
    }
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr || stat(resolved, &status) != 0) {
        throw FileErrorFromOs(errno, path);
    }
    return resolved;
}

// Beside the target, under a short name of its own: a name built from the
// target's would be too long for a target whose name is as long as the
// system allows.
std::string TemporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target.substr(0, target.find_last_of('/') + 1) + TemporaryFileName(getpid(), ++counter);
}

// Raises the failure, a short write being a full disk.
void WriteAll(int fd, const char* data, std::size_t size, const std::string& name) {
    while (size > 0) {
        const ssize_t count = InjectedFailure(FileCall::Write) ? -1 : write(fd, data, size);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            const bool shortWrite = count == 0;
            throw shortWrite
                ? CFileException(CFileException::diskFull, CFileException::kShortWrite, name)
                : FileErrorFromOs(errno, name);
        }
        data += count;
        size -= static_cast<std::size_t>(count);
    }
}

void SyncFolderOf(const std::string& path) {
    // Makes the rename itself durable; a folder that cannot be synced still
    // holds a complete file, so a failure here is not reported.
    const RelativePath at = RelativeToListedFolder(path);
    if (at.m_folder != AT_FDCWD) {
        fsync(at.m_folder);
        return;
    }
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
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

// The new file gets the original's owner, group and mode before it takes its
// place, so the replacement changes nothing but the content. Inside a
// folder being walked, every call names the file relative to the folder's
// listing, as the status and the reads did: should the folder be renamed
// and another put in its place meanwhile, the content read from one file is
// never written over another.
FileReplacement::FileReplacement(const std::string& path) {
    struct stat original {};
    m_target = ReplacedFileOf(path, original);
    m_temporary = TemporaryNameFor(m_target);
    const RelativePath temporary = RelativeToListedFolder(m_temporary);
    const int fd = InjectedFailure(FileCall::CreateTemporary)
                       ? -1
                       : openat(temporary.m_folder, temporary.m_name,
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw FileErrorFromOs(errno, m_target);
    }
    m_handle = fd;
    const bool sameOwner = original.st_uid == geteuid() && original.st_gid == getegid();
    if ((!sameOwner && fchown(fd, original.st_uid, original.st_gid) != 0) ||
        fchmod(fd, original.st_mode & 07777) != 0) {
        Abandon();
    }
}

FileReplacement::~FileReplacement() {
    Discard();
}

void FileReplacement::Write(const char* data, std::size_t size) {
    WriteAll(Fd(m_handle), data, size, m_target);
}

void FileReplacement::Commit() {
    if (InjectedFailure(FileCall::Flush) || fsync(Fd(m_handle)) != 0) {
        Abandon();
    }
    const int fd = Fd(m_handle);
    m_handle = -1;
    if (close(fd) != 0) {
        Abandon();
    }
    const RelativePath from = RelativeToListedFolder(m_temporary);
    const RelativePath to = RelativeToListedFolder(m_target);
    if (InjectedFailure(FileCall::Replace) ||
        renameat(from.m_folder, from.m_name, to.m_folder, to.m_name) != 0) {
        Abandon();
    }
    m_temporary.clear();
    SyncFolderOf(m_target);
}

void FileReplacement::Abandon() {
    const int osError = errno;
    Discard();
    throw FileErrorFromOs(osError, m_target);
}

void FileReplacement::Discard() noexcept {
    if (m_handle >= 0) {
        close(Fd(m_handle));
        m_handle = -1;
    }
    if (!m_temporary.empty()) {
        const RelativePath temporary = RelativeToListedFolder(m_temporary);
        unlinkat(temporary.m_folder, temporary.m_name, 0);
        m_temporary.clear();
    }
}
