#include "fileio/file_status.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fileio/fault_injection.h"
#include "fileio/file_exception.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

class FileStatusTest : public ::testing::Test {
protected:
    void TearDown() override { ClearFaults(); }

    FileStatus Status(const std::string& path) {
        FileStatus status;
        EXPECT_TRUE(GetFileStatus(path, status));
        return status;
    }

    TempDir m_dir;
    const std::string m_path = m_dir.Write("page.htm", "text");
};

// Setting the times needs write access, which a read-only file refuses: a
// read-only bit is cleared before the times and set after them, and the
// times come back with 64-bit seconds and the fraction as fine as both
// systems keep it. When setting the times fails, the file shows which step
// came first.
TEST_F(FileStatusTest, ReadOnlyIsClearedBeforeTheTimesAndSetAfterThem) {
    const int64_t year2040 = 2208988800;
    for (const bool readOnlyBefore : {true, false}) {
        SCOPED_TRACE(readOnlyBefore ? "clearing" : "setting");
        FileStatus status = Status(m_path);
        status.m_attributes = readOnlyBefore ? kAttrReadOnly : 0;
        status.m_lastWriteTime = year2040;
        status.m_lastWriteNanos = 999999900;
        status.m_lastAccessTime = year2040 + 5;
        status.m_lastAccessNanos = 900000000;
        SetFileStatus(m_path, status);
        const FileStatus after = Status(m_path);
        ASSERT_EQ(after.m_attributes & kAttrReadOnly, status.m_attributes);
        EXPECT_EQ(after.m_lastWriteTime, year2040);
        EXPECT_EQ(after.m_lastWriteNanos, 999999900);
        EXPECT_EQ(after.m_lastAccessTime, year2040 + 5);
        EXPECT_EQ(after.m_lastAccessNanos, 900000000);

        status.m_attributes = readOnlyBefore ? 0 : kAttrReadOnly;
        InjectFault(FileCall::SetTimes, 1, kAccessDeniedError);
        EXPECT_THROW(SetFileStatus(m_path, status), CFileException);
        EXPECT_EQ(Status(m_path).m_attributes & kAttrReadOnly, 0);
    }
}

// A relative name gets its full path, even when it names nothing.
TEST_F(FileStatusTest, MissingFileHasNoStatusAndCannotBeChangedOrRemoved) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Root());
    FileStatus status;
    EXPECT_FALSE(GetFileStatus("missing.htm", status));
    EXPECT_EQ(status.m_fullPath, (std::filesystem::current_path() / "missing.htm").string());
    status.m_lastWriteTime = 1000000000;
    EXPECT_THROW(SetFileStatus("missing.htm", status), CFileException);
    EXPECT_THROW(RemoveFile("missing.htm"), CFileException);
    std::filesystem::current_path(previous);
}

}  // namespace
