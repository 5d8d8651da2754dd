#pragma once

// OS error codes that tests inject, as each platform reports them.
#ifdef _WIN32
constexpr int kDiskFullError = 112;    // ERROR_DISK_FULL
constexpr int kIoError = 1117;         // ERROR_IO_DEVICE
constexpr int kAccessDeniedError = 5;  // ERROR_ACCESS_DENIED
constexpr int kFileExistsError = 80;   // ERROR_FILE_EXISTS
#else
#include <cerrno>
constexpr int kDiskFullError = ENOSPC;
constexpr int kIoError = EIO;
constexpr int kAccessDeniedError = EACCES;
constexpr int kFileExistsError = EEXIST;
#endif
