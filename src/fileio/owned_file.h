#pragma once

#include <cstdint>

// What no open file is: -1, or INVALID_HANDLE_VALUE.
constexpr std::intptr_t kNoFile = -1;

// The backend's part: closes an open file or folder, a failure not reported.
void CloseQuietly(std::intptr_t file) noexcept;

// An open file or folder, closed when it goes out of scope.
class OwnedFile {
public:
    explicit OwnedFile(std::intptr_t file) : m_file(file) {}
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    ~OwnedFile() {
        if (m_file != kNoFile) {
            CloseQuietly(m_file);
        }
    }
    std::intptr_t Get() const { return m_file; }

private:
    std::intptr_t m_file;
};
