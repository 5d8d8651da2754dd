#include "platform/posix/os_error_posix.h"

#include <cerrno>
#include <utility>

CFileException FileErrorFromOs(int osError, std::string fileName) {
    return CFileException(osError, std::move(fileName));
}

bool InjectedFailure(FileCall call) {
    const int osError = TakeInjectedFault(call);
    if (osError != 0) {
        errno = osError;
    }
    return osError != 0;
}
