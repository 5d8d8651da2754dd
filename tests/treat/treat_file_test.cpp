#include "treat/treat_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fileio/fault_injection.h"
#include "fileio/file_status.h"
#include "scan/scan_stats.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using LogText::kReadError;
using LogText::kStatusError;
using LogText::kWriteError;
const char* const kOkLine = LogText::kRemoveOk;
const char* const kFailLine = LogText::kBlockNotDelimited;
const char kBlock[] =
    "<script language=VBScript>\r\nRem I am sorry! happy time\r\nx = 1\r\n</script>\r\n";
const int64_t kOldTime = 1000000000;  // 2001-09-09, clearly not "now"

class TreatFileTest : public ::testing::Test {
protected:
    // Every test starts from an empty report, whatever ran before it in this process.
    TreatFileTest() { g_scanStats = CScanStats(); }
    void TearDown() override { ClearFaults(); }

    // A file with these bytes, read-only when asked, last written long ago.
    std::string MakeFile(const std::string& bytes, bool readOnly = false) {
        const std::string path = m_dir.Write("page.htm", bytes);
        FileStatus status;
        EXPECT_TRUE(GetFileStatus(path, status));
        status.m_lastWriteTime = kOldTime;
        status.m_attributes |= readOnly ? kAttrReadOnly : 0;
        SetFileStatus(path, status);
        EXPECT_TRUE(GetFileStatus(path, m_before));
        return path;
    }

    // The report the scan would log.
    std::vector<std::string> Report() {
        const std::size_t logged = m_host.m_log.size();
        g_scanStats.ReportAndReset();
        std::vector<std::string> report(m_host.m_log.begin() + logged, m_host.m_log.end());
        m_host.m_log.resize(logged);
        return report;
    }

    void ExpectStatusRestored(const std::string& path) {
        FileStatus after;
        ASSERT_TRUE(GetFileStatus(path, after));
        EXPECT_EQ(after.m_attributes, m_before.m_attributes);
        EXPECT_EQ(after.m_permissions, m_before.m_permissions);
        EXPECT_EQ(after.m_lastWriteTime, kOldTime);
    }

    CaptureHost m_host;
    TempDir m_dir;
    FileStatus m_before;
};

// --- nothing to remove ---------------------------------------------------------

TEST_F(TreatFileTest, CleanFileIsOnlyCheckedAndKeepsItsBytesAndStatus) {
    const std::string bytes = "<html>\r\n<script language>\r\n</script>\r\n</html>";
    const std::string path = MakeFile(bytes, true);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), bytes) << "a clean file keeps its CR LF";
    EXPECT_THAT(m_host.m_log, IsEmpty());
    EXPECT_EQ(Report(), ReportLines(1, 0, 0));
    ExpectStatusRestored(path);
}

TEST_F(TreatFileTest, FileThatCannotBeOpenedIsSkippedSilentlyWithItsStatusBack) {
    const std::string path = MakeFile(std::string("a\r\n") + kBlock, true);
    InjectFault(FileCall::OpenRead, 1, kAccessDeniedError);
    TreatFile(path);
    EXPECT_THAT(m_host.m_log, IsEmpty());
    EXPECT_EQ(Report(), ReportLines(1, 0, 0));
    ExpectStatusRestored(path);
}

// --- blocks removed ------------------------------------------------------------

// The longest name the system takes: 255 bytes on Linux; on Windows the whole
// path fills MAX_PATH with its NUL. The temporary file beside it must still fit.
TEST_F(TreatFileTest, FileWithTheLongestNameIsCleanedAndLeavesNothingBeside) {
#ifdef _WIN32
    const std::size_t length = 259 - m_dir.Root().string().size() - 1;
#else
    const std::size_t length = 255;
#endif
    const std::string name = std::string(length - 4, 'n') + ".htm";
    const std::string path = m_dir.Write(name, std::string("a\n") + kBlock);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), "a\n");
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine));
    EXPECT_EQ(m_dir.Listing(), name + "\n");
}

TEST_F(TreatFileTest, InfectedReadOnlyFileIsRewrittenWithLfAndKeepsItsStatus) {
    const std::string path = MakeFile(std::string("<html>\r\n") + kBlock + "</html>\r\n", true);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), "<html>\n</html>\n");
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine));
    EXPECT_EQ(Report(), ReportLines(1, 1, 0));
    ExpectStatusRestored(path);
    EXPECT_EQ(m_dir.Listing(), "page.htm\n");
}

TEST_F(TreatFileTest, TwoBlocksAreRemovedWithOneWrite) {
    const std::string path = MakeFile(std::string("a\n") + kBlock + "b\n" + kBlock + "c");
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), "a\nb\nc\n");
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kOkLine));
    EXPECT_EQ(UsesOf(FileCall::Replace), 1);
    EXPECT_EQ(Report(), ReportLines(1, 1, 0));
}

TEST_F(TreatFileTest, FileThatWasOnlyABlockBecomesEmptyAndStays) {
    const std::string path = MakeFile(kBlock);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), "");
    ExpectStatusRestored(path);
}

TEST_F(TreatFileTest, NulBytesOfAnInfectedFileAreWrittenBack) {
    const std::string path = MakeFile(std::string("a\0b\n", 4) + kBlock);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), std::string("a\0b\n", 4));
}

// --- a block that cannot be delimited ------------------------------------------

class UndelimitedBlockTest : public TreatFileTest {
protected:
    // The first block is removed in memory, the second has no end.
    const std::string m_bytes = std::string("a\r\n") + kBlock + "b\r\n" +
                                "<script language>\r\nRem I am sorry! happy time\r\n";
};

TEST_F(UndelimitedBlockTest, WithoutRemoveFlagFileStaysWholeWithItsStatus) {
    m_host.m_bRemoveOnError = 0;
    const std::string path = MakeFile(m_bytes, true);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), m_bytes) << "the first block is not written away either";
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kFailLine));
    EXPECT_EQ(Report(), ReportLines(1, 0, 1, {path}));
    ExpectStatusRestored(path);
}

TEST_F(UndelimitedBlockTest, WithRemoveFlagFileIsDeletedWithoutALineOfItsOwn) {
    const std::string path = MakeFile(m_bytes, true);
    TreatFile(path);
    EXPECT_EQ(m_dir.Listing(), "");
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kFailLine));
    EXPECT_EQ(Report(), ReportLines(1, 0, 1, {path}));
}

TEST_F(UndelimitedBlockTest, FailedDeletionIsLoggedAndTheFileKeepsItsStatus) {
    const std::string path = MakeFile(m_bytes, true);
    InjectFault(FileCall::Delete, 1, kAccessDeniedError);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), m_bytes);
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kFailLine, LogText::RemoveError(path)));
    EXPECT_EQ(Report(), ReportLines(1, 0, 1, {path}));
    ExpectStatusRestored(path);
}

// --- failures of the file layer ------------------------------------------------

TEST_F(TreatFileTest, ReadFailureIsReportedAndTheStatusComesBack) {
    const std::string path = MakeFile(std::string("a\n") + kBlock, true);
    InjectFault(FileCall::Read, 1, kIoError);
    TreatFile(path);
    EXPECT_THAT(m_host.m_log, ElementsAre(kReadError));
    EXPECT_EQ(Report(), ReportLines(1, 0, 0, {path}));
    ExpectStatusRestored(path);
}

// Whichever step of the rewrite fails, the file keeps its bytes and status
// and the failure is a write error, never a success.
class FailedWriteTest : public TreatFileTest, public ::testing::WithParamInterface<FileCall> {};

TEST_P(FailedWriteTest, IsAWriteErrorThatLeavesTheFileAsItWas) {
    const std::string bytes = std::string("a\r\n") + kBlock;
    const std::string path = MakeFile(bytes, true);
    InjectFault(GetParam(), 1, kDiskFullError);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kWriteError));
    EXPECT_EQ(Report(), ReportLines(1, 0, 1, {path}));
    ExpectStatusRestored(path);
    EXPECT_EQ(m_dir.Listing(), "page.htm\n");
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailedWriteTest,
                         ::testing::Values(FileCall::CreateTemporary, FileCall::Write,
                                           FileCall::Flush, FileCall::Replace));

TEST_F(TreatFileTest, FileWhoseStatusCannotBeReadIsLeftAlone) {
    const std::string path = MakeFile(std::string("a\n") + kBlock, true);
    ClearFaults();  // count only the treatment's calls
    InjectFault(FileCall::GetStatus, 1, kIoError);
    TreatFile(path);
    EXPECT_THAT(m_host.m_log, ElementsAre(kReadError));
    EXPECT_EQ(Report(), ReportLines(1, 0, 0, {path}));
    EXPECT_EQ(UsesOf(FileCall::SetAttributes) + UsesOf(FileCall::SetTimes), 0);
    EXPECT_EQ(UsesOf(FileCall::OpenRead), 0);
}

TEST_F(TreatFileTest, VanishedFileIsReportedWithoutBeingCreated) {
    TreatFile(m_dir.Path("gone.htm"));
    EXPECT_THAT(m_host.m_log, ElementsAre(kReadError));
    EXPECT_EQ(m_dir.Listing(), "");
}

// The status of a rewritten file that cannot be put back makes it a problem
// file, and is tried once more so that a passing failure leaves no trace.
TEST_F(TreatFileTest, StatusThatCannotBePutBackIsAProblemButNotTheEndOfTheScan) {
    const std::string path = MakeFile(std::string("a\n") + kBlock, true);
    InjectFault(FileCall::SetTimes, 1, kAccessDeniedError);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), "a\n");
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kStatusError));
    EXPECT_EQ(Report(), ReportLines(1, 1, 0, {path}));
    ExpectStatusRestored(path);
}

TEST_F(TreatFileTest, StatusFailureAfterAWriteErrorListsTheFileOnce) {
    const std::string path = MakeFile(std::string("a\n") + kBlock, true);
    InjectFault(FileCall::Write, 1, kDiskFullError);
    InjectFault(FileCall::SetTimes, 1, kAccessDeniedError);
    TreatFile(path);
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kWriteError, kStatusError));
    EXPECT_EQ(Report(), ReportLines(1, 0, 1, {path}));
}

// A file that is only read keeps every time to the fraction of a second and
// gets no status call at all; a rewritten one gets its times back exactly.
// A protection that cannot be lifted (a read-only medium) is a write error.
struct Untouched {
    const char* m_name;
    bool m_infected;
    bool m_readOnly;
};

class UntouchedStatusTest : public TreatFileTest,
                            public ::testing::WithParamInterface<Untouched> {};

TEST_P(UntouchedStatusTest, TimesComeBackExactlyAndOnlyAChangeSetsAStatus) {
    const Untouched& c = GetParam();
    const std::string path =
        MakeFile(c.m_infected ? std::string("a\n") + kBlock : "a\n", c.m_readOnly);
    ClearFaults();
    TreatFile(path);
    FileStatus after;
    ASSERT_TRUE(GetFileStatus(path, after));
    EXPECT_EQ(after.m_lastWriteTime, m_before.m_lastWriteTime);
    EXPECT_EQ(after.m_lastWriteNanos, m_before.m_lastWriteNanos);
    if (!RunsUnderWine()) {
        EXPECT_EQ(after.m_lastAccessTime, m_before.m_lastAccessTime);
        EXPECT_EQ(after.m_lastAccessNanos, m_before.m_lastAccessNanos);
    }
    EXPECT_EQ(after.m_attributes, m_before.m_attributes);
    const int statusCalls = UsesOf(FileCall::SetAttributes) + UsesOf(FileCall::SetTimes);
    EXPECT_EQ(statusCalls > 0, c.m_infected);
    EXPECT_EQ(ReadBytes(path), "a\n");
}

INSTANTIATE_TEST_SUITE_P(Files, UntouchedStatusTest,
                         ::testing::Values(Untouched{"Clean", false, false},
                                           Untouched{"CleanReadOnly", false, true},
                                           Untouched{"Infected", true, false},
                                           Untouched{"InfectedReadOnly", true, true}),
                         [](const auto& info) { return std::string(info.param.m_name); });

TEST_F(TreatFileTest, ProtectionThatCannotBeLiftedIsAWriteError) {
    const std::string bytes = std::string("a\n") + kBlock;
    const std::string path = MakeFile(bytes, true);
    InjectFault(FileCall::SetAttributes, 1, kAccessDeniedError);
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kWriteError));
    ExpectStatusRestored(path);
}

}  // namespace
