#include "fileio/temporary_name.h"

#include <atomic>

#include "fileio/file_exception.h"

namespace {

// A temporary name may be taken by a file that an earlier process with the
// same id left behind; so many names are tried before giving up.
constexpr int kTemporaryNameAttempts = 8;

}  // namespace

std::string NextTemporaryName() {
    static std::atomic<unsigned> count{0};
    return ".kelvane-" + std::to_string(CurrentProcess()) + "-" + std::to_string(++count) +
           kTemporarySuffix;
}

std::intptr_t CreateUnderFreeName(const std::string& folder,
                                  const std::function<std::intptr_t(const std::string&)>& create,
                                  std::string& path) {
    for (int attempt = 1;; ++attempt) {
        const std::string candidate = folder + NextTemporaryName();
        try {
            const std::intptr_t file = create(candidate);
            path = candidate;
            return file;
        } catch (const CFileException& error) {
            if (error.m_osError != kNameTakenError || attempt == kTemporaryNameAttempts) {
                throw;
            }
        }
    }
}
