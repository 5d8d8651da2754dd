#include "framework/module_names.h"

#include "core/code_page.h"

namespace {

// Where the file name starts: after the last '\\', '/' or drive colon, read
// by the code page's characters, whose trail byte may be a '\\'.
std::size_t FileNameStart(const std::string& path) {
    const std::size_t separator = SystemCodePage().FindLastOf(path, "\\/:");
    return separator == std::string::npos ? 0 : separator + 1;
}

// Where the extension's dot is, or the end of the path.
std::size_t ExtensionStart(const std::string& path) {
    const std::size_t dot = SystemCodePage().FindLastOf(path, ".");
    return dot == std::string::npos || dot < FileNameStart(path) ? path.size() : dot;
}

}  // namespace

std::string ModuleFileName(HMODULE hModule) {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(hModule, path.data(), static_cast<DWORD>(path.size()));
        // A path that fills the buffer has been cut: try again with more room.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string BaseNameOf(const std::string& path) {
    const std::size_t start = FileNameStart(path);
    return path.substr(start, ExtensionStart(path) - start);
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    return path.substr(0, ExtensionStart(path)) + extension;
}

std::string BesideFile(const std::string& path, const std::string& fileName) {
    return path.substr(0, FileNameStart(path)) + fileName;
}
