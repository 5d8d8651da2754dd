#include "fileio/text_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "fileio/fault_injection.h"
#include "fileio/file_exception.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

using ::testing::ElementsAre;

class TextFileTest : public ::testing::Test {
protected:
    void TearDown() override { ClearFaults(); }

    TempDir m_dir;
};

// Only a file that holds the text is read as lines; the text may straddle
// two of the reader's 64 KiB chunks.
TEST_F(TextFileTest, FileIsReadAsLinesOnlyWhenItHoldsTheText) {
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
TEST_F(TextFileTest, ShortReadEndsTheFileWithoutAnotherRead) {
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
TEST_F(TextFileTest, FailedCloseOrFlushRaisesAndATakenTemporaryNameIsPassedOver) {
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
