#include "platform/posix/listed_folder.h"

#include <fcntl.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// The descriptors are only compared, never used, so any numbers will do.
constexpr int kOuter = 101;
constexpr int kInner = 102;

class ListedFolderTest : public ::testing::Test {
protected:
    ~ListedFolderTest() override {
        LeaveListedFolder(kInner);
        LeaveListedFolder(kOuter);
    }

    static void ExpectRelative(const std::string& path, int folder, const std::string& name) {
        const RelativePath at = RelativeToListedFolder(path);
        EXPECT_EQ(at.m_folder, folder) << path;
        EXPECT_EQ(std::string(at.m_name), name) << path;
    }

    static void ExpectWhole(const std::string& path) { ExpectRelative(path, AT_FDCWD, path); }
};

TEST_F(ListedFolderTest, OnlyAnEntryDirectlyInsideTheInnermostFolderIsNamedRelativeToIt) {
    ExpectWhole("/site/a.htm");
    EnterListedFolder("/site", kOuter);
    ExpectRelative("/site/a.htm", kOuter, "a.htm");
    ExpectWhole("/site/news/a.htm");
    ExpectWhole("/sites/a.htm");
    ExpectWhole("/sit/a.htm");
    ExpectWhole("/a.htm");
    ExpectWhole("/site/");
    ExpectWhole("site/a.htm");
}

TEST_F(ListedFolderTest, TheInnermostFolderAnswersUntilItIsLeftInWhateverOrder) {
    EnterListedFolder("/site", kOuter);
    EnterListedFolder("/site/news", kInner);
    ExpectWhole("/site/a.htm");
    ExpectRelative("/site/news/a.htm", kInner, "a.htm");
    LeaveListedFolder(kInner);
    ExpectRelative("/site/a.htm", kOuter, "a.htm");

    EnterListedFolder("/site/news", kInner);
    LeaveListedFolder(kOuter);
    ExpectRelative("/site/news/a.htm", kInner, "a.htm");
    LeaveListedFolder(kInner);
    ExpectWhole("/site/news/a.htm");
}

TEST_F(ListedFolderTest, TheRootFolderHoldsItsEntries) {
    EnterListedFolder("/", kOuter);
    ExpectRelative("/a.htm", kOuter, "a.htm");
    ExpectWhole("/site/a.htm");
}

// A name the system could not take in full is not made short enough by
// the folder's descriptor: the walk reaches no further than before.
TEST_F(ListedFolderTest, PathTooLongForTheSystemIsUsedAsItIs) {
    const std::string folder = "/" + std::string(PATH_MAX - 8, 'd');
    EnterListedFolder(folder, kOuter);
    ExpectRelative(folder + "/a.htm", kOuter, "a.htm");
    ExpectWhole(folder + "/abcdefgh.htm");
}

}  // namespace
