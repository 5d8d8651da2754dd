// The least a faithful treatment must do to every matching file of a tree:
// walk, read the status, open, read the whole file, close, and write the
// times back twice (cleared and restored around the read). The benchmark's
// floor: what the kernel costs, with nothing of ours on top. The walk takes
// each entry's type from the listing and names every file relative to its
// folder's descriptor, so no call pays for a walk of the full path; with
// --full-paths the calls on a file name it by its full path instead.
//
// With --rewrite, a file whose bytes hold the signature is also written anew
// as a safe cleaning must write it: to a new file beside it, flushed to
// disk, renamed over it, its folder flushed, its times set again. The bytes
// stay the same, so the tree stays as it was and every run does the same.
//   floor [--rewrite | --full-paths] ROOT
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kMasks[] = {".htm", ".html", ".hta", ".vbs", ".htt"};
const char kSignature[] = "Rem I am sorry! happy time";
std::string g_content;  // reused from file to file
bool g_rewrite = false;
bool g_fullPaths = false;
std::string g_path;  // the folder being walked, with a slash at the end
long g_files = 0;
long g_rewritten = 0;

bool Matches(const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (dot == nullptr) {
        return false;
    }
    for (const char* mask : kMasks) {
        if (strcasecmp(dot, mask) == 0) {
            return true;
        }
    }
    return false;
}

void ReadWhole(int fd, std::size_t expected) {
    g_content.resize(expected + 1);
    std::size_t size = 0;
    for (ssize_t got; (got = read(fd, &g_content[size], g_content.size() - size)) > 0;) {
        size += static_cast<std::size_t>(got);
        if (size == g_content.size()) {
            g_content.resize(size * 2);
        }
    }
    g_content.resize(size);
}

bool HoldsSignature() {
    return memmem(g_content.data(), g_content.size(), kSignature, sizeof kSignature - 1) != nullptr;
}

void RewriteDurably(int folder, const char* name, const struct stat& status) {
    const std::string temporary = std::string(name) + ".floor-tmp";
    const int fd = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    const bool written =
        write(fd, g_content.data(), g_content.size()) == static_cast<ssize_t>(g_content.size()) &&
        fchmod(fd, status.st_mode & 07777) == 0 && fsync(fd) == 0;
    close(fd);
    if (!written || renameat(folder, temporary.c_str(), folder, name) != 0) {
        unlinkat(folder, temporary.c_str(), 0);
        return;
    }
    fsync(folder);
    ++g_rewritten;
}

void Treat(int listed, const char* entry) {
    const std::string path = g_path + entry;
    const int folder = g_fullPaths ? AT_FDCWD : listed;
    const char* const name = g_fullPaths ? path.c_str() : entry;
    struct stat status {};
    if (fstatat(folder, name, &status, 0) != 0) {
        return;
    }
    const int fd = openat(folder, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    ReadWhole(fd, static_cast<std::size_t>(status.st_size));
    close(fd);
    const timespec times[2] = {{status.st_atim.tv_sec, 0}, {status.st_mtim.tv_sec, 0}};
    utimensat(folder, name, times, 0);
    if (g_rewrite && HoldsSignature()) {
        RewriteDurably(folder, name, status);
    }
    utimensat(folder, name, times, 0);
    ++g_files;
}

// Walks the folder open as fd, and closes it.
void Walk(int fd) {
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (entry->d_type == DT_DIR && std::strcmp(name, ".") != 0 &&
            std::strcmp(name, "..") != 0) {
            const int sub = openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
            if (sub >= 0) {
                const std::size_t length = g_path.size();
                g_path.append(name).push_back('/');
                Walk(sub);
                g_path.resize(length);
            }
        } else if (entry->d_type == DT_REG && Matches(name)) {
            Treat(fd, name);
        }
    }
    closedir(dir);
}

}  // namespace

int main(int argc, char** argv) {
    g_rewrite = argc == 3 && std::strcmp(argv[1], "--rewrite") == 0;
    g_fullPaths = argc == 3 && std::strcmp(argv[1], "--full-paths") == 0;
    if (argc != 2 && !g_rewrite && !g_fullPaths) {
        std::fprintf(stderr, "usage: floor [--rewrite | --full-paths] ROOT\n");
        return 2;
    }
    const char* root = argv[argc - 1];
    g_path = std::string(root) + "/";
    const int fd = open(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(root);
        return 2;
    }
    Walk(fd);
    std::printf("%ld files, %ld rewritten\n", g_files, g_rewritten);
    return 0;
}
