#include "platform/posix/listed_folder.h"

#include <fcntl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "support/temp_dir.h"

namespace {

// Only an entry directly inside the innermost folder is named relative to
// it, and only such an entry is protected from being followed as a link.
TEST(ListedFolderTest, OnlyAnEntryDirectlyInsideTheInnermostFolderIsNamedRelativeToIt) {
    TempDir dir;
    std::filesystem::create_directories(dir.Root() / "site" / "news");
    const std::string root = dir.Root().string();
    ListedFolder* outer = ListedFolder::Open(root);
    ListedFolder* inner = ListedFolder::Open(root + "/site");
    ASSERT_TRUE(outer != nullptr && inner != nullptr);
    // Each path below the test's folder, and whether it is named relative to the innermost
    // listing, by its name alone.
    const std::pair<const char*, bool> cases[] = {
        {"/site/a.htm", true},   {"/a.htm", false},     {"/site/news/a.htm", false},
        {"/sites/a.htm", false}, {"/sit/a.htm", false}, {"/site/", false},
    };
    for (const auto& [below, relative] : cases) {
        SCOPED_TRACE(below);
        const std::string path = root + below;
        const RelativePath at = RelativeToListedFolder(path);
        EXPECT_EQ(at.m_listed, relative);
        EXPECT_EQ(at.m_folder, relative ? inner->Descriptor() : AT_FDCWD);
        EXPECT_EQ(std::string(at.m_name), relative ? "a.htm" : path);
    }
    ListedFolder::Close(inner);
    EXPECT_EQ(RelativeToListedFolder(root + "/a.htm").m_folder, outer->Descriptor());
    ListedFolder::Close(outer);
    EXPECT_FALSE(RelativeToListedFolder(root + "/a.htm").m_listed);
}

}  // namespace
