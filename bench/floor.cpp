// The least a faithful treatment must do to every matching file of a tree:
// walk, read the status, open, read the whole file, close, and write the
// times back twice (cleared and restored around the read). The benchmark's
// floor: what the kernel costs, with nothing of ours on top.
//
// With --rewrite, a file whose bytes hold the signature is also written anew
// as a safe cleaning must write it: to a new file beside it, flushed to
// disk, renamed over it, its folder flushed, its times set again. The bytes
// stay the same, so the tree stays as it was and every run does the same.
//   floor [--rewrite] ROOT
#include <fcntl.h>
#include <ftw.h>
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
long g_files = 0;
long g_rewritten = 0;

bool Matches(const char* path) {
    const char* dot = std::strrchr(path, '.');
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

void SyncFolderOf(const std::string& path) {
    const int fd = open(path.substr(0, path.rfind('/') + 1).c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

void RewriteDurably(const char* path, const struct stat& status) {
    const std::string temporary = std::string(path) + ".floor-tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    const bool written =
        write(fd, g_content.data(), g_content.size()) == static_cast<ssize_t>(g_content.size()) &&
        fchmod(fd, status.st_mode & 07777) == 0 && fsync(fd) == 0;
    close(fd);
    if (!written || rename(temporary.c_str(), path) != 0) {
        unlink(temporary.c_str());
        return;
    }
    SyncFolderOf(path);
    ++g_rewritten;
}

void Treat(const char* path) {
    struct stat status {};
    if (stat(path, &status) != 0) {
        return;
    }
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    ReadWhole(fd, static_cast<std::size_t>(status.st_size));
    close(fd);
    const timespec times[2] = {{status.st_atim.tv_sec, 0}, {status.st_mtim.tv_sec, 0}};
    utimensat(AT_FDCWD, path, times, 0);
    if (g_rewrite && HoldsSignature()) {
        RewriteDurably(path, status);
    }
    utimensat(AT_FDCWD, path, times, 0);
    ++g_files;
}

int Visit(const char* path, const struct stat*, int type, FTW*) {
    if (type == FTW_F && Matches(path)) {
        Treat(path);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    g_rewrite = argc == 3 && std::strcmp(argv[1], "--rewrite") == 0;
    if (argc != 2 && !g_rewrite) {
        std::fprintf(stderr, "usage: floor [--rewrite] ROOT\n");
        return 2;
    }
    const char* root = argv[argc - 1];
    if (nftw(root, Visit, 64, FTW_PHYS) != 0) {
        std::perror(root);
        return 2;
    }
    std::printf("%ld files, %ld rewritten\n", g_files, g_rewritten);
    return 0;
}
