#include "platform/posix/listed_folder.h"

#include <fcntl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

struct Naming {
    std::string m_path;  // below the test's folder
    bool m_relative;     // to the innermost listing, by its name alone
};

// Only an entry directly inside the innermost folder is named relative to
// it, and only such an entry is protected from being followed as a link.
TEST(ListedFolderTest, OnlyAnEntryDirectlyInsideTheInnermostFolderIsNamedRelativeToIt) {
    TempDir dir;
    std::filesystem::create_directories(dir.Root() / "site" / "news");
    const std::string root = dir.Root().string();
    ListedFolder* outer = ListedFolder::Open(root);
    ListedFolder* inner = ListedFolder::Open(root + "/site");
    ASSERT_TRUE(outer != nullptr && inner != nullptr);
    const Naming cases[] = {
        {"/site/a.htm", true},   {"/a.htm", false},     {"/site/news/a.htm", false},
        {"/sites/a.htm", false}, {"/sit/a.htm", false}, {"/site/", false},
    };
    for (const Naming& naming : cases) {
        SCOPED_TRACE(naming.m_path);
        const std::string path = root + naming.m_path;
        const RelativePath at = RelativeToListedFolder(path);
        EXPECT_EQ(at.m_listed, naming.m_relative);
        EXPECT_EQ(at.m_folder, naming.m_relative ? inner->Descriptor() : AT_FDCWD);
        EXPECT_EQ(std::string(at.m_name), naming.m_relative ? "a.htm" : path);
    }
    ListedFolder::Close(inner);
    EXPECT_EQ(RelativeToListedFolder(root + "/a.htm").m_folder, outer->Descriptor());
    ListedFolder::Close(outer);
    EXPECT_FALSE(RelativeToListedFolder(root + "/a.htm").m_listed);
}

}  // namespace
