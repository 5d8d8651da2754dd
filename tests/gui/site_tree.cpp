#include "gui/site_tree.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char kRoot[] = "C:\\site";

bool IsDots(const char* name) {
    return std::string(name) == "." || std::string(name) == "..";
}

void ListFiles(const std::string& directory, std::vector<std::string>& files) {
    WIN32_FIND_DATAA entry;
    const HANDLE find = FindFirstFileA((directory + "\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string path = directory + "\\" + entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            files.push_back(path);
        } else if (!IsDots(entry.cFileName)) {
            ListFiles(path, files);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

}  // namespace

SiteTree::SiteTree() : m_root(kRoot) {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
    if (!fs::create_directory(m_root)) {
        throw std::runtime_error(std::string("cannot create ") + kRoot);
    }
}

SiteTree::~SiteTree() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

std::string SiteTree::Path(const std::string& relative) const {
    return m_root + "\\" + relative;
}

std::string SiteTree::Write(const std::string& relative, const std::string& bytes) const {
    const std::string path = Path(relative);
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    if (!file.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

std::vector<std::string> SiteTree::FilesInWalkOrder() const {
    std::vector<std::string> files;
    ListFiles(m_root, files);
    return files;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}
