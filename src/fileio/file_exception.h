#pragma once

#include <cstdint>
#include <exception>
#include <string>

class CException : public std::exception {};

// One failed operating-system call of the file layer, with the error as
// the system gave it (errno on POSIX, GetLastError on Windows). The fields
// serve diagnosis only: the treatment catches every failure alike.
class CFileException : public CException {
public:
    // A write that wrote fewer bytes than it was given has no OS error.
    static constexpr int32_t kShortWrite = -1;

    // A path refused before any OS call was made has no OS error either.
    static constexpr int32_t kNoOsError = 0;

    explicit CFileException(int32_t osError, std::string fileName = {})
        : m_osError(osError), m_fileName(std::move(fileName)) {}
    const char* what() const noexcept override { return "file operation failed"; }

    int32_t m_osError;
    std::string m_fileName;  // the full path for write failures, else empty
};

// A line or a buffer could not be allocated.
class CMemoryException : public CException {
public:
    const char* what() const noexcept override { return "out of memory"; }
};
