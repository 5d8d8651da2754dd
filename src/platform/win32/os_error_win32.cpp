#include "platform/win32/os_error_win32.h"

#include <cstdint>
#include <utility>

CFileException FileErrorFromOs(DWORD osError, std::string fileName) {
    return CFileException(static_cast<int32_t>(osError), std::move(fileName));
}

bool InjectedFailure(FileCall call) {
    const int osError = TakeInjectedFault(call);
    if (osError == 0) {
        return false;
    }
    SetLastError(static_cast<DWORD>(osError));
    return true;
}
