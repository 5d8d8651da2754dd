#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "scan/file_types.h"
#include "scan/scanner.h"
#include "support/capture_host.h"
#include "support/temp_dir.h"

namespace {

using ::testing::UnorderedElementsAreArray;

const char kInfected[] = "<script language>\nRem I am sorry! happy time\n</script>\nok\n";

// A link found in a folder, to a file or a folder, inside the tree or out of
// it, is neither treated nor entered; the host learns of each, the log of
// none, and every link stays a link.
TEST(PosixWalk, LinksFoundInAWalkAreNeverFollowed) {
    CaptureHost host;
    host.m_masks = ParseFileTypes("*.htm");
    TempDir outside;
    outside.Write("page.htm", kInfected);
    TempDir dir;
    std::filesystem::create_directory(dir.Root() / "sub");
    dir.Write("sub/a.htm", kInfected);
    const std::vector<std::pair<std::string, std::string>> links = {
        {"sub/loop", ".."},
        {"again", "sub"},
        {"page.htm", outside.Path("page.htm")},
        {"out", outside.Root().string()},
    };
    for (const auto& [name, target] : links) {
        ASSERT_EQ(symlink(target.c_str(), dir.Path(name).c_str()), 0) << name;
    }
    const ScanTotals totals = ScanRoots({dir.Root().string()});
    EXPECT_EQ(totals.m_nChecked, 1) << "only sub/a.htm, by its own path";
    EXPECT_EQ(ReadBytes(outside.Path("page.htm")), kInfected);
    std::vector<std::string> expected;
    for (const auto& link : links) {
        expected.push_back(dir.Path(link.first));
        EXPECT_TRUE(std::filesystem::is_symlink(dir.Path(link.first))) << link.first;
    }
    EXPECT_THAT(host.m_linksSkipped, UnorderedElementsAreArray(expected));
}

}  // namespace
