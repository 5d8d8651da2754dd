#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "fileio/owned_file.h"
#include "fileio/placed_file.h"
#include "fileio/temporary_name.h"
#include "fileio/write_all.h"
#include "platform/posix/listed_folder.h"
#include "platform/posix/os_error_posix.h"

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr mode_t kPrivateFolderMode = 0700;
constexpr std::size_t kChunkSize = 64 * 1024;

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

std::string ReadWhole(int fd, const std::string& name) {
    std::string bytes;
    char buffer[kChunkSize];
    for (;;) {
        const ssize_t count =
            InjectedFailure(FileCall::Read) ? -1 : read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            throw FileErrorFromOs(errno, name);
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

// The copy keeps who may use the original. When it cannot be given the
// original's owner, it is not allowed to run with that owner's rights.
void GiveOwnerAndMode(int fd, const KeptFile& file) {
    mode_t mode = file.m_status.m_permissions & 07777;
    if (InjectedFailure(FileCall::SetAttributes) ||
        fchown(fd, file.m_owner.m_user, file.m_owner.m_group) != 0) {
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    }
    if (fchmod(fd, mode) != 0) {
        throw FileErrorFromOs(errno);
    }
}

void GiveTimes(int fd, const FileStatus& status) {
    const struct timespec times[2] = {{status.m_lastAccessTime, status.m_lastAccessNanos},
                                      {status.m_lastWriteTime, status.m_lastWriteNanos}};
    if (InjectedFailure(FileCall::SetTimes) || futimens(fd, times) != 0) {
        throw FileErrorFromOs(errno);
    }
}

void Flush(int fd, const std::string& name) {
    if (InjectedFailure(FileCall::Flush) || fsync(fd) != 0) {
        throw FileErrorFromOs(errno, name);
    }
}

// Fills a file just created: bytes, owner, mode, times, then flushes it.
void Fill(int fd, const KeptFile& file, const std::string& name) {
    WriteAll(fd, file.m_bytes.data(), file.m_bytes.size(), name);
    GiveOwnerAndMode(fd, file);
    GiveTimes(fd, file.m_status);
    Flush(fd, name);
}

int CreateExclusive(int folder, const std::string& name, const std::string& path) {
    const int fd = InjectedFailure(FileCall::CreateTemporary)
                       ? -1
                       : openat(folder, name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        throw FileErrorFromOs(errno, path);
    }
    return fd;
}

}  // namespace

FileOwner OwnerOf(const std::string& path) {
    const RelativePath at = RelativeToListedFolder(path);
    struct stat info {};
    if (InjectedFailure(FileCall::GetStatus) ||
        fstatat(at.m_folder, at.m_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        throw FileErrorFromOs(errno, path);
    }
    return FileOwner{info.st_uid, info.st_gid, {}};
}

bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

void PlacedFile::HoldStart(const std::string& start) {
    Hold(open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool PlacedFile::Enter(const std::string& part) {
    const int fd = openat(Fd(m_folders.back()), part.c_str(), kFolderFlags);
    if (fd < 0 && errno == ENOENT) {
        return false;
    }
    m_path += "/" + part;
    Hold(fd);
    return true;
}

void PlacedFile::MakeFolder(const std::string& part) {
    if (mkdirat(Fd(m_folders.back()), part.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) {
        throw FileErrorFromOs(errno, m_path + "/" + part);
    }
}

void PlacedFile::Release() noexcept {
    for (const std::intptr_t folder : m_folders) {
        close(Fd(folder));
    }
    m_folders.clear();
}

void PlacedFile::Hold(std::intptr_t folder) {
    if (folder < 0) {
        throw FileErrorFromOs(errno, m_path);
    }
    m_folders.push_back(folder);
}

PlacedFile::Kind PlacedFile::What() const {
    struct stat info {};
    if (!m_missing.empty()) {
        return kMissing;
    }
    if (fstatat(Fd(m_folders.back()), m_name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {
            throw FileErrorFromOs(errno, m_path + "/" + m_name);
        }
        return kMissing;
    }
    return S_ISLNK(info.st_mode) ? kLink : S_ISREG(info.st_mode) ? kFile : kOther;
}

KeptFile PlacedFile::Load() const {
    const std::string path = m_path + "/" + m_name;
    const OwnedFile owned(m_missing.empty() && !InjectedFailure(FileCall::OpenRead)
                              ? openat(Fd(m_folders.back()), m_name.c_str(),
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)
                              : -1);
    const int fd = Fd(owned.Get());
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        throw FileErrorFromOs(m_missing.empty() ? errno : ENOENT, path);
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileErrorFromOs(EINVAL, path);
    }
    KeptFile file;
    file.m_bytes = ReadWhole(fd, path);
    file.m_status.m_permissions = info.st_mode & 07777;
    file.m_status.m_lastWriteTime = info.st_mtim.tv_sec;
    file.m_status.m_lastWriteNanos = static_cast<int32_t>(info.st_mtim.tv_nsec);
    file.m_status.m_lastAccessTime = info.st_atim.tv_sec;
    file.m_status.m_lastAccessNanos = static_cast<int32_t>(info.st_atim.tv_nsec);
    file.m_owner = FileOwner{info.st_uid, info.st_gid, {}};
    return file;
}

void PlacedFile::Create(const KeptFile& file) {
    MakeMissingFolders();
    const int folder = Fd(m_folders.back());
    const std::string path = m_path + "/" + m_name;
    const OwnedFile fd(CreateExclusive(folder, m_name, path));
    try {
        Fill(Fd(fd.Get()), file, path);
    } catch (const CFileException&) {
        unlinkat(folder, m_name.c_str(), 0);
        throw;
    }
}

void PlacedFile::Replace(const KeptFile& file) {
    MakeMissingFolders();
    const int folder = Fd(m_folders.back());
    const std::string path = m_path + "/" + m_name;
    std::string temporary;
    const OwnedFile fd(CreateUnderFreeName(
        "", [&](const std::string& name) { return CreateExclusive(folder, name, path); },
        temporary));
    try {
        Fill(Fd(fd.Get()), file, path);
        if (InjectedFailure(FileCall::Replace) ||
            renameat(folder, temporary.c_str(), folder, m_name.c_str()) != 0) {
            throw FileErrorFromOs(errno, path);
        }
    } catch (const CFileException&) {
        unlinkat(folder, temporary.c_str(), 0);
        throw;
    }
    fsync(folder);  // the rename's durability; the file is whole either way
}

void PlacedFile::Append(const std::string& bytes) {
    MakeMissingFolders();
    const std::string path = m_path + "/" + m_name;
    const OwnedFile owned(InjectedFailure(FileCall::OpenAppend)
                              ? -1
                              : openat(Fd(m_folders.back()), m_name.c_str(),
                                       O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                                       0600));
    const int fd = Fd(owned.Get());
    struct stat before {};
    if (fd < 0 || fstat(fd, &before) != 0) {
        throw FileErrorFromOs(errno, path);
    }
    const ssize_t count =
        InjectedFailure(FileCall::Write) ? -1 : write(fd, bytes.data(), bytes.size());
    const bool whole = count >= 0 && static_cast<std::size_t>(count) == bytes.size();
    if (whole && !InjectedFailure(FileCall::Flush) && fsync(fd) == 0) {
        return;
    }
    const CFileException failure = count >= 0 && !whole
                                       ? CFileException(CFileException::kShortWrite, path)
                                       : FileErrorFromOs(errno, path);
    if (ftruncate(fd, before.st_size) == 0) {
        fsync(fd);
    }
    throw failure;
}
