#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/code_page.h"
#include "fileio/file_status.h"
#include "fileio/full_path.h"
#include "fileio/status_calls.h"
#include "platform/win32/os_error_win32.h"

namespace {

// A FILETIME counts 100-nanosecond ticks since 1601-01-01 UTC.
constexpr uint64_t kUnixEpochTicks = 116444736000000000;
constexpr int64_t kTicksPerSecond = 10000000;
// The seconds a FILETIME can hold: 1601 up to the largest tick count that
// is still positive as a 64-bit signed number.
constexpr int64_t kFirstSecond = -static_cast<int64_t>(kUnixEpochTicks) / kTicksPerSecond;
constexpr int64_t kLastSecond =
    (INT64_MAX - static_cast<int64_t>(kUnixEpochTicks)) / kTicksPerSecond;

// The attribute byte keeps the bits below FILE_ATTRIBUTE_NORMAL (0x80).
constexpr DWORD kAttributeByteMask = 0x7F;

constexpr int32_t kNanosPerTick = 100;

// Seconds since 1970 and the fraction in nanoseconds; 0 ("not set") for a
// zero FILETIME.
struct Time {
    int64_t m_seconds = 0;
    int32_t m_nanos = 0;
};

Time TimeFromFileTime(const FILETIME& time) {
    const uint64_t ticks = (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    if (ticks == 0) {
        return {};
    }
    // Wraps to a negative difference for times before 1970; the fraction is
    // then counted back up from the second below.
    const int64_t sinceEpoch = static_cast<int64_t>(ticks - kUnixEpochTicks);
    int64_t seconds = sinceEpoch / kTicksPerSecond;
    int64_t fraction = sinceEpoch % kTicksPerSecond;
    if (fraction < 0) {
        seconds -= 1;
        fraction += kTicksPerSecond;
    }
    return {seconds, static_cast<int32_t>(fraction) * kNanosPerTick};
}

// Raises, as SetFileTime would, for seconds that no FILETIME can hold.
FILETIME FileTimeFromTime(int64_t seconds, int32_t nanos) {
    if (seconds < kFirstSecond || seconds > kLastSecond) {
        throw FileErrorFromOs(ERROR_INVALID_PARAMETER);
    }
    const uint64_t ticks = static_cast<uint64_t>(seconds * kTicksPerSecond) + kUnixEpochTicks +
                           static_cast<uint64_t>(nanos / kNanosPerTick);
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// SetFileTime leaves a time alone when it gets no pointer for it.
std::optional<FILETIME> OptionalFileTime(int64_t seconds, int32_t nanos) {
    if (seconds == 0) {
        return std::nullopt;
    }
    return FileTimeFromTime(seconds, nanos);
}

const FILETIME* PointerTo(const std::optional<FILETIME>& time) {
    return time ? &*time : nullptr;
}

// Offset of the first backslash at or after from that begins a character:
// in a double-byte code page 0x5C may also be the second byte of one.
std::size_t FindSeparator(std::string_view path, std::size_t from) {
    const std::size_t found = SystemCodePage().Find(path.substr(from), "\\");
    return found == CodePage::npos ? found : from + found;
}

// "C:\" for a drive path, "\\server\share\" for a network path, else empty.
std::string VolumeRoot(const std::string& fullPath) {
    if (fullPath.size() >= 3 && fullPath[1] == ':' && fullPath[2] == '\\') {
        return fullPath.substr(0, 3);
    }
    if (fullPath.rfind("\\\\", 0) != 0) {
        return {};
    }
    const std::size_t afterServer = FindSeparator(fullPath, 2);
    if (afterServer == CodePage::npos) {
        return {};
    }
    const std::size_t afterShare = FindSeparator(fullPath, afterServer + 1);
    return afterShare == CodePage::npos ? std::string() : fullPath.substr(0, afterShare + 1);
}

bool VolumeIsReadable(const std::string& fullPath) {
    const std::string root = VolumeRoot(fullPath);
    DWORD flags = 0;
    return !root.empty() &&
           GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0);
}

bool FindFile(const std::string& path, WIN32_FIND_DATAA& found) {
    if (InjectedFailure(FileCall::GetStatus)) {
        return false;
    }
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
}

void TakeFoundStatus(const WIN32_FIND_DATAA& found, FileStatus& status) {
    status.m_attributes = static_cast<uint8_t>(found.dwFileAttributes & kAttributeByteMask);
    status.m_fileSize =
        static_cast<int64_t>((uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow);
    const Time lastWrite = TimeFromFileTime(found.ftLastWriteTime);
    const Time creation = TimeFromFileTime(found.ftCreationTime);
    const Time lastAccess = TimeFromFileTime(found.ftLastAccessTime);
    status.m_lastWriteTime = lastWrite.m_seconds;
    status.m_lastWriteNanos = lastWrite.m_nanos;
    status.m_creationTime = creation.m_seconds;
    status.m_creationNanos = creation.m_nanos;
    status.m_lastAccessTime = lastAccess.m_seconds;
    status.m_lastAccessNanos = lastAccess.m_nanos;
    // File systems without these times report them as 0.
    DefaultUnsetTimes(status);
}

}  // namespace

bool GetFileStatus(const std::string& path, FileStatus& status) {
    status.m_fullPath = FullPathOf(path);
    if (status.m_fullPath.empty() || !VolumeIsReadable(status.m_fullPath)) {
        status.m_fullPath.clear();
        return false;
    }
    WIN32_FIND_DATAA found;
    if (!FindFile(path, found)) {
        return false;
    }
    TakeFoundStatus(found, status);
    return true;
}

uint32_t AttributeWordOf(const std::string& path) {
    const DWORD attributes = InjectedFailure(FileCall::GetAttributes)
                                 ? INVALID_FILE_ATTRIBUTES
                                 : GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw FileErrorFromOs(GetLastError());
    }
    return attributes;
}

uint32_t AttributeWordFor(const FileStatus& status) {
    return status.m_attributes;
}

bool IsReadOnlyWord(uint32_t word) {
    return (word & FILE_ATTRIBUTE_READONLY) != 0;
}

// A word of 0 is taken as FILE_ATTRIBUTE_NORMAL.
void SetAttributeWord(const std::string& path, uint32_t word) {
    if (InjectedFailure(FileCall::SetAttributes) || !SetFileAttributesA(path.c_str(), word)) {
        throw FileErrorFromOs(GetLastError());
    }
}

void SetFileTimes(const std::string& path, const FileStatus& status) {
    const FILETIME lastWrite = FileTimeFromTime(status.m_lastWriteTime, status.m_lastWriteNanos);
    const std::optional<FILETIME> creation =
        OptionalFileTime(status.m_creationTime, status.m_creationNanos);
    const std::optional<FILETIME> lastAccess =
        OptionalFileTime(status.m_lastAccessTime, status.m_lastAccessNanos);
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw FileErrorFromOs(GetLastError());
    }
    const bool set = !InjectedFailure(FileCall::SetTimes) &&
                     SetFileTime(file, PointerTo(creation), PointerTo(lastAccess), &lastWrite);
    const DWORD setError = GetLastError();
    // Closed whatever happened; a failure to set the times is the one raised.
    const bool closed = CloseHandle(file);
    if (!set) {
        throw FileErrorFromOs(setError);
    }
    if (!closed) {
        throw FileErrorFromOs(GetLastError());
    }
}

void RemoveFile(const std::string& path) {
    if (InjectedFailure(FileCall::Delete) || !DeleteFileA(path.c_str())) {
        throw FileErrorFromOs(GetLastError());
    }
}
