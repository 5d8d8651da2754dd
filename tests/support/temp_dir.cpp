#include "support/temp_dir.h"

#include <fstream>
#include <numeric>
#include <random>
#include <set>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device seed;
    do {
        m_root = fs::temp_directory_path() / ("kelvane-test-" + std::to_string(seed()));
    } while (!fs::create_directory(m_root));
}

TempDir::~TempDir() {
    // A read-only file cannot be deleted on Windows; make every entry writable first.
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(m_root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_write,
                        fs::perm_options::add | fs::perm_options::nofollow, ignored);
    }
    fs::remove_all(m_root, ignored);
}

std::string TempDir::Path(const std::string& name) const {
    return (m_root / name).make_preferred().string();
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string TempDir::Listing() const {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_root)) {
        names.insert(entry.path().filename().string() + "\n");
    }
    return std::accumulate(names.begin(), names.end(), std::string());
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}
