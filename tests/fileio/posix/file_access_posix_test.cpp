#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "fileio/file_status.h"
#include "fileio/text_file.h"
#include "platform/posix/listed_folder.h"
#include "support/temp_dir.h"

namespace {

struct stat StatOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0);
    return info;
}

class PosixFileAccessTest : public ::testing::Test {
protected:
    TempDir m_dir;
};

// Read-only is a mode without any write bit; lifted as a treatment lifts
// read-only, hidden and system, the owner may write; a writable mode is never
// changed; set, read-only takes every write bit; put back, the mode is
// exactly as it was.
TEST_F(PosixFileAccessTest, ModeComesBackExactlyThroughTheTreatment) {
    const std::string path = m_dir.Write("a.htm", "x");
    for (const mode_t mode : {0444, 0555, 0400, 04544, 0644, 0020, 0602, 0666}) {
        SCOPED_TRACE(::testing::Message() << std::oct << mode);
        chmod(path.c_str(), mode);
        const bool readOnly = (mode & 0222) == 0;
        FileStatus saved;
        ASSERT_TRUE(GetFileStatus(path, saved));
        EXPECT_EQ(saved.m_attributes & kAttrReadOnly, readOnly ? kAttrReadOnly : 0);
        FileStatus lifted = saved;
        lifted.m_attributes &= 0xF8;
        SetFileStatus(path, lifted);
        EXPECT_EQ(StatOf(path).st_mode & 07777, readOnly ? mode | S_IWUSR : mode);
        lifted.m_attributes |= kAttrReadOnly;
        SetFileStatus(path, lifted);
        EXPECT_EQ(StatOf(path).st_mode & 07777, mode & ~0222u) << "read-only takes every write bit";
        SetFileStatus(path, saved);
        EXPECT_EQ(StatOf(path).st_mode & 07777, mode);
    }
}

// Reading a file changes none of its times, not even the last access that
// the file system would note (relatime notes one older than the last write),
// nor its status-change time. A FIFO, whose open or read could block, is
// not read at all.
TEST_F(PosixFileAccessTest, ReadingAFileLeavesEveryTimeAsItWas) {
    const std::string path = m_dir.Write("a.htm", "Rem I am sorry! happy time\n");
    const timespec times[2] = {{1000, 5}, {2000, 7}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const struct stat before = StatOf(path);
    LineList lines;
    ASSERT_TRUE(ReadLines(path, lines, "happy"));
    const struct stat after = StatOf(path);
    EXPECT_EQ(after.st_atim.tv_sec, 1000);
    EXPECT_EQ(after.st_atim.tv_nsec, 5);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    ASSERT_EQ(mkfifo(m_dir.Path("pipe.htm").c_str(), 0644), 0);
    EXPECT_FALSE(ReadLines(m_dir.Path("pipe.htm"), lines));
}

// A PATH that is a link: the file it leads to is rewritten, with its owner,
// group and mode, and the link stays a link.
TEST_F(PosixFileAccessTest, RewriteThroughALinkKeepsTheLinkAndTheTargetsOwnerGroupAndMode) {
    const std::string target = m_dir.Write("target.htm", "old\n");
    ASSERT_EQ(chown(target.c_str(), 1234, 5678), 0);
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    const std::string link = m_dir.Path("link.htm");
    ASSERT_EQ(symlink("target.htm", link.c_str()), 0);
    WriteLines(link, {"new"});
    const struct stat after = StatOf(target);
    EXPECT_EQ(ReadBytes(target), "new\n");
    EXPECT_EQ(after.st_uid, 1234u);
    EXPECT_EQ(after.st_gid, 5678u);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(m_dir.Listing(), "link.htm\ntarget.htm\n");
}

// Only an entry directly inside the innermost folder is named relative to
// it, and only such an entry is protected from being followed as a link.
TEST_F(PosixFileAccessTest, OnlyAnEntryDirectlyInsideTheInnermostFolderIsNamedRelativeToIt) {
    std::filesystem::create_directories(m_dir.Root() / "site" / "news");
    const std::string root = m_dir.Root().string();
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
