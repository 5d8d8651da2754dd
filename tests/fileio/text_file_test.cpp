#include "fileio/text_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "fileio/fault_injection.h"
#include "fileio/file_exception.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

class TextFileTest : public ::testing::Test {
protected:
    void TearDown() override { ClearFaults(); }

    // Lines of 1000 bytes enough to need several 64 KiB writes.
    static LineList ManyLines() {
        const std::vector<std::string> lines(300, std::string(1000, 'q'));
        return LineList(lines.begin(), lines.end());
    }

    TempDir m_dir;
};

// Only a file that holds the text is read as lines; the text may straddle
// two of the reader's 64 KiB chunks.
TEST_F(TextFileTest, FileIsReadAsLinesOnlyWhenItHoldsTheText) {
    const std::string before(64 * 1024 - 3, 'a');
    for (const std::string& bytes :
         {before + "\nSIGNAL\n", before + "SIGNAL", std::string("SIGNAL")}) {
        LineList lines;
        EXPECT_TRUE(ReadLines(m_dir.Write("in.htm", bytes), lines, "SIGNAL"));
        EXPECT_THAT(lines, Not(IsEmpty())) << bytes.size();
    }
    LineList lines;
    EXPECT_TRUE(ReadLines(m_dir.Write("in.htm", before + "SIGNA\nL"), lines, "SIGNAL"));
    EXPECT_THAT(lines, IsEmpty());
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

// Reading stops at the first failure, raised: after the first 64 KiB, which
// hold no complete line, no line has been read.
TEST_F(TextFileTest, ReadOrCloseFailureRaises) {
    const std::string path = m_dir.Write("big.htm", std::string(70000, 'a') + "\nb\n");
    for (const auto& [call, nth, text] :
         {std::make_tuple(FileCall::Read, 2, ""), std::make_tuple(FileCall::Read, 2, "SIGNAL"),
          std::make_tuple(FileCall::CloseRead, 1, "")}) {
        SCOPED_TRACE(kFileCallNames[static_cast<int>(call)] + std::string(" ") + text);
        InjectFault(call, nth, kIoError);
        LineList lines;
        try {
            ReadLines(path, lines, text);
            ADD_FAILURE() << "the failure was not raised";
        } catch (const CFileException& error) {
            EXPECT_EQ(error.m_osError, kIoError);
        }
        EXPECT_EQ(lines.size(), call == FileCall::Read ? 0u : 2u);
        ClearFaults();
    }
}

// Every line ends with one LF; other bytes, NUL included, stay as they are.
TEST_F(TextFileTest, WrittenLinesEndWithOneLfAndReadBackWhole) {
    const std::string path = m_dir.Write("out.htm", "old content\r\n");
    WriteLines(path, {"a", "", "b"});
    EXPECT_EQ(ReadBytes(path), "a\n\nb\n");
    WriteLines(path, {});
    EXPECT_EQ(ReadBytes(path), "");
    const std::string longLine(100000, 'L');
    for (const std::string& bytes :
         {std::string("<p>\0x</p>\n\n\xA0\xFF\n", 14), longLine + "\n" + longLine + "\n"}) {
        m_dir.Write("out.htm", bytes);
        LineList lines;
        ASSERT_TRUE(ReadLines(path, lines));
        WriteLines(path, lines);
        EXPECT_EQ(ReadBytes(path), bytes);
    }
    WriteLines(path, ManyLines());
    LineList lines;
    ASSERT_TRUE(ReadLines(path, lines));
    EXPECT_EQ(lines, ManyLines());
    EXPECT_EQ(m_dir.Listing(), "out.htm\n") << "no temporary file is left";
}

// A temporary name that a file left behind holds is passed over for the next.
TEST_F(TextFileTest, TakenTemporaryNameIsPassedOver) {
    const std::string path = m_dir.Write("page.htm", "old\n");
    InjectFault(FileCall::CreateTemporary, 1, kFileExistsError);
    WriteLines(path, {"new"});
    EXPECT_EQ(UsesOf(FileCall::CreateTemporary), 2);
    EXPECT_EQ(ReadBytes(path), "new\n");
}

// Whatever step of a rewrite fails, the original stays byte for byte, no
// temporary file is left, and one exception names the file.
class FailedRewriteTest : public TextFileTest,
                          public ::testing::WithParamInterface<std::pair<FileCall, int>> {};

TEST_P(FailedRewriteTest, LeavesTheOriginalUntouched) {
    const std::string original = "line one\r\n<script>\r\nlast";
    const std::string path = m_dir.Write("page.htm", original);
    const auto [call, nthUse] = GetParam();
    InjectFault(call, nthUse, kDiskFullError);
    try {
        WriteLines(path, ManyLines());
        FAIL() << "the failure was not raised";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.m_osError, kDiskFullError);
        EXPECT_THAT(error.m_fileName, ::testing::HasSubstr("page.htm"));
    }
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(m_dir.Listing(), "page.htm\n");
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailedRewriteTest,
                         ::testing::Values(std::make_pair(FileCall::CreateTemporary, 1),
                                           std::make_pair(FileCall::Write, 1),
                                           std::make_pair(FileCall::Write, 2),
                                           std::make_pair(FileCall::Write, 5),
                                           std::make_pair(FileCall::Flush, 1),
                                           std::make_pair(FileCall::Replace, 1)));

}  // namespace
