#pragma once

#include <cstdint>
#include <exception>
#include <string>

class CException : public std::exception {};

// One failed operating-system call of the file layer. The fields serve
// diagnosis only: the treatment catches every failure alike.
class CFileException : public CException {
public:
    enum Cause {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };
    // A write that wrote fewer bytes than it was given has no OS error.
    static constexpr int32_t kShortWrite = -1;

    CFileException(int cause, int32_t osError, std::string fileName = {})
        : m_errorCause(cause), m_osError(osError), m_fileName(std::move(fileName)) {}
    const char* what() const noexcept override { return "file operation failed"; }

    int m_errorCause;
    int32_t m_osError;
    std::string m_fileName;  // the full path for write failures, else empty
};

// A line or a buffer could not be allocated.
class CMemoryException : public CException {
public:
    const char* what() const noexcept override { return "out of memory"; }
};
