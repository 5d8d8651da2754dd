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

}  // namespace
