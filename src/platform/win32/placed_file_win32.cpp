// Windows has no call that opens a name relative to a folder handle; each
// folder of the way is opened by its path instead, refused when it is a
// reparse point, and held open without delete sharing, so that it can be
// neither renamed nor replaced until the file is done.
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include <memory>

#include "core/code_page.h"
#include "fileio/owned_file.h"
#include "fileio/placed_file.h"
#include "fileio/temporary_name.h"
#include "fileio/write_all.h"
#include "platform/win32/os_error_win32.h"

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}
std::intptr_t FromHandle(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

std::string Joined(const std::string& folder, const std::string& name) {
    return SystemCodePage().EndsWithOneOf(folder, "\\/") ? folder + name : folder + '\\' + name;
}

// The path itself, a reparse point not followed.
HANDLE OpenOwnEntry(const std::string& path, DWORD access, DWORD flags) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

DWORD AttributesOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(handle, &info) ? info.dwFileAttributes
                                                     : INVALID_FILE_ATTRIBUTES;
}

bool IsPlainFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A folder of the way, or INVALID_HANDLE_VALUE with the last error set.
HANDLE OpenPlainFolder(const std::string& path) {
    const HANDLE folder = OpenOwnEntry(path, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS);
    if (folder != INVALID_HANDLE_VALUE && !IsPlainFolder(AttributesOf(folder))) {
        CloseHandle(folder);
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return INVALID_HANDLE_VALUE;
    }
    return folder;
}

// The security descriptor of a folder its creator alone can use.
std::string PrivateFolderSddl() {
    HANDLE token = nullptr;
    std::string sddl = "D:P(A;OICI;FA;;;SY)";
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return sddl;
    }
    char buffer[256];
    DWORD size = 0;
    char* sid = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
        sddl += std::string("(A;OICI;FA;;;") + sid + ")";
        LocalFree(sid);
    }
    CloseHandle(token);
    return sddl;
}

bool CreatePrivateFolder(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            PrivateFolderSddl().c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const bool created =
        CreateDirectoryA(path.c_str(), &attributes) || GetLastError() == ERROR_ALREADY_EXISTS;
    LocalFree(descriptor);
    return created;
}

std::string ReadWhole(HANDLE file, const std::string& name) {
    std::string bytes;
    const std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    for (;;) {
        DWORD count = 0;
        if (InjectedFailure(FileCall::Read) ||
            !ReadFile(file, buffer.get(), kChunkSize, &count, nullptr)) {
            throw FileErrorFromOs(GetLastError(), name);
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(buffer.get(), count);
    }
}

void Flush(HANDLE file, const std::string& name) {
    if (InjectedFailure(FileCall::Flush) || !FlushFileBuffers(file)) {
        throw FileErrorFromOs(GetLastError(), name);
    }
}

// A new file that carries the original's security descriptor from its
// creation: it is never, even for a moment, more open than the original.
HANDLE CreateExclusive(const std::string& path, const FileOwner& owner) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (!owner.m_securityDescriptor.empty()) {
        attributes.lpSecurityDescriptor = const_cast<char*>(owner.m_securityDescriptor.data());
    }
    const HANDLE file =
        InjectedFailure(FileCall::CreateTemporary)
            ? INVALID_HANDLE_VALUE
            : CreateFileA(path.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw FileErrorFromOs(GetLastError(), path);
    }
    return file;
}

// Writes a file just created, gives it its attributes and times; removes
// it when a step fails.
void Fill(const std::string& path, std::intptr_t created, const KeptFile& file) {
    try {
        {
            const OwnedFile handle(created);
            WriteAll(handle.Get(), file.m_bytes.data(), file.m_bytes.size(), path);
            Flush(AsHandle(handle.Get()), path);
        }
        SetFileStatus(path, file.m_status);
    } catch (const CFileException&) {
        // A read-only attribute, given with the status or by the copied access list, would keep
        // the part written from being deleted.
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        throw;
    }
}

std::string DescriptorOf(HANDLE file, const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                        nullptr, nullptr, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        throw FileErrorFromOs(error, path);
    }
    std::string bytes(static_cast<const char*>(descriptor),
                      GetSecurityDescriptorLength(descriptor));
    LocalFree(descriptor);
    return bytes;
}

}  // namespace

FileOwner OwnerOf(const std::string& path) {
    const OwnedFile owned(FromHandle(OpenOwnEntry(path, READ_CONTROL, 0)));
    const HANDLE file = AsHandle(owned.Get());
    if (InjectedFailure(FileCall::GetStatus) || file == INVALID_HANDLE_VALUE) {
        throw FileErrorFromOs(GetLastError(), path);
    }
    return FileOwner{0, 0, DescriptorOf(file, path)};
}

bool IsPrivateFolder(const std::string& path) {
    return IsPlainFolder(GetFileAttributesA(path.c_str()));
}

void PlacedFile::HoldStart(const std::string& start) {
    Hold(reinterpret_cast<std::intptr_t>(
        CreateFileA(start.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
}

bool PlacedFile::Enter(const std::string& part) {
    const std::string path = Joined(m_path, part);
    const HANDLE folder = OpenPlainFolder(path);
    const DWORD error = GetLastError();
    if (folder == INVALID_HANDLE_VALUE &&
        (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
        return false;
    }
    m_path = path;
    Hold(reinterpret_cast<std::intptr_t>(folder));
    return true;
}

void PlacedFile::MakeFolder(const std::string& part) {
    const std::string path = Joined(m_path, part);
    if (!CreatePrivateFolder(path)) {
        throw FileErrorFromOs(GetLastError(), path);
    }
}

void PlacedFile::Release() noexcept {
    for (const std::intptr_t folder : m_folders) {
        CloseHandle(AsHandle(folder));
    }
    m_folders.clear();
}

void PlacedFile::Hold(std::intptr_t folder) {
    if (AsHandle(folder) == INVALID_HANDLE_VALUE) {
        throw FileErrorFromOs(GetLastError(), m_path);
    }
    m_folders.push_back(folder);
}

PlacedFile::Kind PlacedFile::What() const {
    if (!m_missing.empty()) {
        return kMissing;
    }
    const DWORD attributes = GetFileAttributesA(Joined(m_path, m_name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return kMissing;
    }
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? kLink
           : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? kOther
                                                       : kFile;
}

KeptFile PlacedFile::Load() const {
    const std::string path = Joined(m_path, m_name);
    if (What() != kFile || InjectedFailure(FileCall::OpenRead)) {
        throw FileErrorFromOs(ERROR_FILE_NOT_FOUND, path);
    }
    const OwnedFile owned(FromHandle(OpenOwnEntry(path, GENERIC_READ | READ_CONTROL, 0)));
    const HANDLE file = AsHandle(owned.Get());
    if (file == INVALID_HANDLE_VALUE) {
        throw FileErrorFromOs(GetLastError(), path);
    }
    KeptFile kept;
    kept.m_bytes = ReadWhole(file, path);
    kept.m_owner.m_securityDescriptor = DescriptorOf(file, path);
    if (!GetFileStatus(path, kept.m_status)) {
        throw FileErrorFromOs(GetLastError(), path);
    }
    return kept;
}

void PlacedFile::Create(const KeptFile& file) {
    MakeMissingFolders();
    const std::string path = Joined(m_path, m_name);
    Fill(path, FromHandle(CreateExclusive(path, file.m_owner)), file);
}

void PlacedFile::Replace(const KeptFile& file) {
    MakeMissingFolders();
    const std::string path = Joined(m_path, m_name);
    std::string temporary;
    const std::intptr_t created = CreateUnderFreeName(
        Joined(m_path, ""),
        [&](const std::string& name) { return FromHandle(CreateExclusive(name, file.m_owner)); },
        temporary);
    Fill(temporary, created, file);
    if (InjectedFailure(FileCall::Replace) ||
        !MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileA(temporary.c_str());
        throw FileErrorFromOs(error, path);
    }
}

void PlacedFile::Append(const std::string& bytes) {
    MakeMissingFolders();
    const std::string path = Joined(m_path, m_name);
    const OwnedFile owned(
        FromHandle(InjectedFailure(FileCall::OpenAppend)
                       ? INVALID_HANDLE_VALUE
                       : CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    const HANDLE file = AsHandle(owned.Get());
    LARGE_INTEGER end{};
    if (file == INVALID_HANDLE_VALUE || (AttributesOf(file) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END)) {
        throw FileErrorFromOs(GetLastError(), path);
    }
    DWORD written = 0;
    const bool wrote =
        !InjectedFailure(FileCall::Write) &&
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const bool whole = wrote && written == bytes.size();
    if (whole && !InjectedFailure(FileCall::Flush) && FlushFileBuffers(file)) {
        return;
    }
    const CFileException failure = wrote && !whole
                                       ? CFileException(CFileException::kShortWrite, path)
                                       : FileErrorFromOs(GetLastError(), path);
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file)) {
        FlushFileBuffers(file);
    }
    throw failure;
}
