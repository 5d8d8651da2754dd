#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fileio/fault_injection.h"
#include "fileio/file_exception.h"
#include "fileio/file_status.h"
#include "fileio/text_file.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

using ::testing::ElementsAre;

class FileIoTest : public ::testing::Test {
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
TEST_F(FileIoTest, ReadOnlyIsClearedBeforeTheTimesAndSetAfterThem) {
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
TEST_F(FileIoTest, MissingFileHasNoStatusAndCannotBeChangedOrRemoved) {
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

// Only a file that holds the text is read as lines; the text may straddle
// two of the reader's 64 KiB chunks.
TEST_F(FileIoTest, FileIsReadAsLinesOnlyWhenItHoldsTheText) {
    const std::string before(64 * 1024 - 5, 'a');  // "SIGNA" ends the first chunk
    for (const std::string& bytes :
         {before + "\nSIGNAL\n", before + "SIGNAL", std::string("SIGNAL"), before + "SIGNA\nL"}) {
        LineList lines;
        EXPECT_TRUE(ReadLines(m_dir.Write("in.htm", bytes), lines, "SIGNAL"));
        EXPECT_EQ(lines.empty(), bytes.find("SIGNAL") == std::string::npos) << bytes.size();
    }
    LineList lines;
    EXPECT_TRUE(ReadLines(m_dir.Write("in.htm", "a\nb"), lines, ""));
    EXPECT_THAT(lines, ElementsAre("a", "b")) << "every file holds the empty text";
    EXPECT_FALSE(ReadLines(m_dir.Path("missing.htm"), lines, "SIGNAL"));
    EXPECT_THAT(lines, ElementsAre("a", "b")) << "a missing file leaves the lines alone";
}

// The end of a file is known from a read that comes back short; asking the
// system once more for nothing would be one call more for every file.
TEST_F(FileIoTest, ShortReadEndsTheFileWithoutAnotherRead) {
    const std::size_t chunk = 64 * 1024;
    for (const auto& [size, reads] :
         {std::pair<std::size_t, int>{10, 1}, {chunk, 2}, {chunk + 1, 2}, {2 * chunk + 5, 3}}) {
        const std::string path = m_dir.Write("in.htm", std::string(size, 'x'));
        ClearFaults();
        LineList lines;
        ASSERT_TRUE(ReadLines(path, lines));
        EXPECT_EQ(UsesOf(FileCall::Read), reads) << size << " bytes";
        EXPECT_EQ(lines.begin()->size(), size);
        ClearFaults();
        ASSERT_TRUE(ReadLines(path, lines, "SIGNAL"));
        EXPECT_EQ(UsesOf(FileCall::Read), reads) << size << " bytes searched";
    }
}

// A read failure is the fault matrix's, whose scans see a file read in part be rewritten; a
// failed close after a whole read would pass there unseen, and so would a failed flush, which
// leaves a whole, cleaned file there. A temporary name that a file left behind holds is passed
// over for the next.
TEST_F(FileIoTest, FailedCloseOrFlushRaisesAndATakenTemporaryNameIsPassedOver) {
    const std::string path = m_dir.Write("page.htm", "old\r\n");
    InjectFault(FileCall::CloseRead, 1, kIoError);
    InjectFault(FileCall::CreateTemporary, 1, kFileExistsError);
    InjectFault(FileCall::Flush, 1, kDiskFullError);
    LineList lines;
    EXPECT_THROW(ReadLines(path, lines), CFileException);
    EXPECT_THROW(WriteLines(path, {"new"}), CFileException);
    EXPECT_EQ(UsesOf(FileCall::CreateTemporary), 2);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(m_dir.Listing(), "page.htm\n");
}

}  // namespace
