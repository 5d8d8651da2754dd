#include "cli/backup_dir.h"

#include <filesystem>

#include "cli/manifest.h"
#include "cli/path_text.h"
#include "fileio/native_path.h"
#include "fileio/placed_file.h"

namespace {

namespace fs = std::filesystem;

// The path with every link of its existing part resolved.
std::string RealPathOf(const std::string& path) {
    std::error_code error;
    const fs::path real = fs::weakly_canonical(NativePath(path), error);
    return error ? path : NarrowPath(real);
}

std::optional<std::string> UnfitExistingFolder(const std::string& dir) {
    std::error_code error;
    // A second scan into the same folder would overwrite the copies of the first.
    if (fs::exists(fs::symlink_status(NativePath(ManifestPathIn(dir)), error))) {
        return dir + " already holds a backup";
    }
    if (!IsPrivateFolder(dir)) {
        return dir + " must be a folder of yours that no one else can write into";
    }
    if (!fs::is_empty(NativePath(dir), error) || error) {
        return dir + " must be empty";
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> UnfitBackupFolder(const std::string& dir,
                                             const std::vector<std::string>& paths) {
    const std::string realDir = RealPathOf(dir);
    for (const std::string& path : paths) {
        if (IsAtOrBelow(realDir, RealPathOf(path))) {
            return "the backup folder " + dir + " is inside " + path;
        }
    }
    std::error_code error;
    if (fs::exists(fs::symlink_status(NativePath(dir), error))) {
        return UnfitExistingFolder(dir);
    }
    if (!fs::is_directory(NativePath(dir).parent_path(), error)) {
        return "the folder that is to hold " + dir + " does not exist";
    }
    return std::nullopt;
}
