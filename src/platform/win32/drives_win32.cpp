#include <windows.h>

#include "scan/scanner.h"

std::vector<std::string> LogicalDriveRoots() {
    // At most 26 roots of four bytes ("C:\" and its zero) and the final zero.
    char buffer[128] = {};
    std::vector<std::string> roots;
    const DWORD length = GetLogicalDriveStringsA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer) {
        return roots;
    }
    for (const char* root = buffer; *root != '\0'; root += roots.back().size() + 1) {
        roots.emplace_back(root);
    }
    return roots;
}
