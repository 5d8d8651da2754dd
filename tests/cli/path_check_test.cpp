#include "cli/path_check.h"

#include <gtest/gtest.h>

#include "fileio/fault_injection.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

class PathCheckTest : public ::testing::Test {
protected:
    ~PathCheckTest() override { ClearFaults(); }
    TempDir m_dir;
};

TEST_F(PathCheckTest, FolderAndFileThatExistCanBeScanned) {
    EXPECT_EQ(WhyUnscannable(m_dir.Root().string()), std::nullopt);
    EXPECT_EQ(WhyUnscannable(m_dir.Write("page.htm", "x")), std::nullopt);
}

TEST_F(PathCheckTest, MissingPathCannotBeFound) {
    EXPECT_EQ(WhyUnscannable(m_dir.Path("gone")), "cannot find or read it");
}

TEST_F(PathCheckTest, FolderThatCannotBeListedIsNamedSo) {
    InjectFault(FileCall::ListDirectory, 1, kAccessDeniedError);
    EXPECT_EQ(WhyUnscannable(m_dir.Root().string()), "cannot list the folder");
}

TEST_F(PathCheckTest, FileIsNeverListed) {
    InjectFault(FileCall::ListDirectory, 1, kAccessDeniedError);
    EXPECT_EQ(WhyUnscannable(m_dir.Write("page.htm", "x")), std::nullopt);
}

}  // namespace
