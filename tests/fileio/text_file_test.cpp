#include "fileio/text_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fileio/fault_injection.h"
#include "fileio/file_exception.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;

class TextFileTest : public ::testing::Test {
protected:
    void TearDown() override { ClearFaults(); }

    LineList Read(const std::string& bytes) {
        LineList lines;
        EXPECT_TRUE(ReadLines(m_dir.Write("in.htm", bytes), lines));
        return lines;
    }

    // Lines of 1000 bytes enough to need several 64 KiB writes.
    static LineList ManyLines() {
        const std::vector<std::string> lines(300, std::string(1000, 'q'));
        return LineList(lines.begin(), lines.end());
    }

    TempDir m_dir;
};

TEST_F(TextFileTest, ReadingFollowsTheLineRules) {
    EXPECT_THAT(Read(""), IsEmpty());
    EXPECT_THAT(Read("abc"), ElementsAre("abc"));
    EXPECT_THAT(Read("a\r\nb\nc\r\rd\r"), ElementsAre("a", "b", "c", "", "d"));
    EXPECT_THAT(Read(std::string("x\0y\n", 4)), ElementsAre(std::string("x\0y", 3)));
    const std::string longLine(100000, 'L');
    EXPECT_THAT(Read(longLine + "\r\n" + longLine), ElementsAre(longLine, longLine));
}

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

TEST_F(TextFileTest, ReadFailureWhileLookingForTheTextRaises) {
    InjectFault(FileCall::Read, 2, kIoError);
    LineList lines;
    EXPECT_THROW(ReadLines(m_dir.Write("in.htm", std::string(200000, 'x')), lines, "SIGNAL"),
                 CFileException);
}

TEST_F(TextFileTest, MissingFileIsNotReadAndLeavesTheLinesAlone) {
    LineList lines = {"kept"};
    EXPECT_FALSE(ReadLines(m_dir.Path("missing.htm"), lines));
    EXPECT_THAT(lines, ElementsAre("kept"));
}

TEST_F(TextFileTest, ReadFailureRaisesAndKeepsTheLinesReadBefore) {
    const std::string path = m_dir.Write("big.htm", std::string(70000, 'a') + "\nb\n");
    InjectFault(FileCall::Read, 2, kIoError);
    LineList lines;
    try {
        ReadLines(path, lines);
        FAIL() << "the read error was not raised";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.m_osError, kIoError);
        EXPECT_TRUE(error.m_fileName.empty());
    }
    EXPECT_THAT(lines, IsEmpty()) << "the first 64 KiB held no complete line";
}

TEST_F(TextFileTest, CloseFailureRaises) {
    const std::string path = m_dir.Write("a.htm", "a\n");
    InjectFault(FileCall::CloseRead, 1, kIoError);
    LineList lines;
    EXPECT_THROW(ReadLines(path, lines), CFileException);
}

TEST_F(TextFileTest, WritingEndsEveryLineWithOneLf) {
    const std::string path = m_dir.Write("out.htm", "old content\r\n");
    WriteLines(path, {"a", "", "b"});
    EXPECT_EQ(ReadBytes(path), "a\n\nb\n");
    WriteLines(path, {});
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(m_dir.Listing(), "out.htm\n") << "no temporary file is left";
}

TEST_F(TextFileTest, FileWithLfBreaksAndNulBytesSurvivesTheRoundTripByteForByte) {
    const std::string bytes("<p>\0x</p>\n\n\xA0\xFF\n", 14);
    const std::string path = m_dir.Write("zeros.htm", bytes);
    LineList lines;
    ASSERT_TRUE(ReadLines(path, lines));
    WriteLines(path, lines);
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(TextFileTest, LargeFilesAreWrittenWhole) {
    const std::string path = m_dir.Write("large.htm", "");
    WriteLines(path, ManyLines());
    LineList lines;
    ASSERT_TRUE(ReadLines(path, lines));
    EXPECT_THAT(lines, SizeIs(300));
    EXPECT_EQ(lines, ManyLines());
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
