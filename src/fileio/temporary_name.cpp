#include "fileio/temporary_name.h"

#include <atomic>

std::string NextTemporaryName() {
    static std::atomic<unsigned> count{0};
    return ".kelvane-" + std::to_string(CurrentProcess()) + "-" + std::to_string(++count) +
           kTemporarySuffix;
}
