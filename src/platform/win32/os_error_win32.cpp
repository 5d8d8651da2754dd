#include "platform/win32/os_error_win32.h"

#include <cstdint>
#include <utility>

namespace {

int CauseOf(DWORD osError) {
    switch (osError) {
        case ERROR_FILE_NOT_FOUND:
            return CFileException::fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return CFileException::badPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return CFileException::tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
            return CFileException::accessDenied;
        case ERROR_INVALID_HANDLE:
            return CFileException::invalidFile;
        case ERROR_SHARING_VIOLATION:
            return CFileException::sharingViolation;
        case ERROR_LOCK_VIOLATION:
            return CFileException::lockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return CFileException::diskFull;
        case ERROR_HANDLE_EOF:
            return CFileException::endOfFile;
        default:
            return CFileException::genericException;
    }
}

}  // namespace

CFileException FileErrorFromOs(DWORD osError, std::string fileName) {
    return CFileException(CauseOf(osError), static_cast<int32_t>(osError), std::move(fileName));
}

bool InjectedFailure(FileCall call) {
    const int osError = TakeInjectedFault(call);
    if (osError == 0) {
        return false;
    }
    SetLastError(static_cast<DWORD>(osError));
    return true;
}
