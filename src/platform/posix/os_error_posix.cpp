#include "platform/posix/os_error_posix.h"

#include <cerrno>

namespace {

int CauseOf(int osError) {
    switch (osError) {
        case ENOENT:
            return CFileException::fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return CFileException::badPath;
        case EMFILE:
        case ENFILE:
            return CFileException::tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
            return CFileException::accessDenied;
        case EBADF:
            return CFileException::invalidFile;
        case EIO:
            return CFileException::hardIO;
        case EBUSY:
        case ETXTBSY:
            return CFileException::sharingViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return CFileException::diskFull;
        default:
            return CFileException::genericException;
    }
}

}  // namespace

CFileException FileErrorFromOs(int osError, std::string fileName) {
    return CFileException(CauseOf(osError), osError, std::move(fileName));
}

bool InjectedFailure(FileCall call) {
    const int osError = TakeInjectedFault(call);
    if (osError != 0) {
        errno = osError;
    }
    return osError != 0;
}
