#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/file_types.h"
#include "scan/scanner.h"
#include "support/capture_host.h"
#include "support/temp_dir.h"

namespace {

using ::testing::ElementsAre;

TEST(PosixWalk, LinksAreNotFollowedSoALoopEnds) {
    CaptureHost host;
    host.m_masks = ParseFileTypes("*.htm");
    TempDir dir;
    std::filesystem::create_directory(dir.Root() / "sub");
    dir.Write("sub/a.htm", "x");
    ASSERT_EQ(symlink("..", dir.Path("sub/loop").c_str()), 0);
    ASSERT_EQ(symlink("sub", dir.Path("again").c_str()), 0);
    const ScanTotals totals = ScanRoots({dir.Root().string()});
    EXPECT_EQ(totals.m_nChecked, 1) << "the file is reached once, by its own path";
}

TEST(PosixWalk, LinkToAFileIsTreatedLikeTheFile) {
    CaptureHost host;
    host.m_masks = ParseFileTypes("*.htm");
    TempDir dir;
    dir.Write("real.txt", "<script language>\nRem I am sorry! happy time\n</script>\nok\n");
    ASSERT_EQ(symlink("real.txt", dir.Path("link.htm").c_str()), 0);
    ScanRoots({dir.Root().string()});
    EXPECT_EQ(ReadBytes(dir.Path("real.txt")), "ok\n");
}

// A chain of folders whose full path is longer than the system allows,
// made and removed one level at a time through descriptors.
class DeepChain {
public:
    DeepChain(const std::string& root, int levels) : m_root(root), m_levels(levels) {
        int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < levels && fd >= 0; ++i) {
            mkdirat(fd, kName, 0700);
            const int next = openat(fd, kName, O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = next;
        }
        if (fd >= 0) {
            const int file = openat(fd, "deep.htm", O_WRONLY | O_CREAT, 0600);
            m_complete = file >= 0;
            close(file);
            close(fd);
        }
    }
    ~DeepChain() { RemoveBelow(open(m_root.c_str(), O_RDONLY | O_DIRECTORY), m_levels); }

    bool Complete() const { return m_complete; }

    static constexpr const char* kName = "abcdefghijklmnopqrstuvwxyz";

private:
    static void RemoveBelow(int fd, int levels) {
        if (fd < 0) {
            return;
        }
        if (levels > 0) {
            RemoveBelow(openat(fd, kName, O_RDONLY | O_DIRECTORY), levels - 1);
            unlinkat(fd, kName, AT_REMOVEDIR);
        } else {
            unlinkat(fd, "deep.htm", 0);
        }
        close(fd);
    }

    std::string m_root;
    int m_levels;
    bool m_complete = false;
};

TEST(PosixWalk, PathLongerThanTheSystemAllowsEndsItsBranchQuietly) {
    CaptureHost host;
    host.m_masks = ParseFileTypes("*.htm");
    TempDir dir;
    const std::string shallow =
        dir.Write("top.htm", "<script language>\nRem I am sorry! happy time\n</script>\n");
    const DeepChain chain(dir.Root().string(), 8192 / 27);
    ASSERT_TRUE(chain.Complete());
    const ScanTotals totals = ScanRoots({dir.Root().string()});
    EXPECT_EQ(totals.m_nChecked, 1) << "only the file above the limit is reached";
    EXPECT_EQ(totals.m_nTreated, 1);
    EXPECT_EQ(ReadBytes(shallow), "");
    EXPECT_EQ(host.m_log.at(host.m_log.size() - 5),
              "==================== It is all !!! ===================");
}

}  // namespace
