#include "treat/treat_file.h"

#include <gtest/gtest.h>

#include <optional>

#include "fileio/fault_injection.h"
#include "fileio/file_status.h"
#include "scan/scan_stats.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace {

using namespace LogText;

const std::string kBlock =
    "<script language=VBScript>\r\nRem I am sorry! happy time\r\nx = 1\r\n</script>\r\n";
const std::string kInfected = "a\n" + kBlock;
// The first block is removed in memory, the second has no end.
const std::string kUndelimited =
    "a\r\n" + kBlock + "b\r\n<script language>\r\nRem I am sorry! happy time\r\n";
const int64_t kOldTime = 1000000000;  // 2001-09-09, clearly not "now"

using Injected = std::pair<FileCall, int>;  // fails at its first use, with this error

// A file, the failures of the file layer, and what the treatment leaves.
struct Treatment {
    const char* m_name;
    std::string m_bytes;
    std::vector<Injected> m_faults;
    std::optional<std::string> m_after;  // none: deleted
    std::vector<std::string> m_log;
    int m_treated;
    int m_errors;
    bool m_problem;
};

Treatment Row(const char* name, std::string bytes, std::vector<Injected> faults,
              std::optional<std::string> after, std::vector<std::string> log, int treated,
              int errors, bool problem) {
    return {name, bytes, faults, after, log, treated, errors, problem};
}

const std::vector<Treatment> kTreatments = {
    Row("CleanKeepsItsCrLf", "<html>\r\n</html>", {}, "<html>\r\n</html>", {}, 0, 0, false),
    Row("UnopenableIsSkippedSilently", kInfected, {{FileCall::OpenRead, kAccessDeniedError}},
        kInfected, {}, 0, 0, false),
    Row("NulBytesAreWrittenBack", std::string("a\0b\n", 4) + kBlock, {}, std::string("a\0b\n", 4),
        {kRemoveOk}, 1, 0, false),
    Row("UndelimitedIsDeleted", kUndelimited, {}, std::nullopt, {kRemoveOk, kBlockNotDelimited}, 0,
        1, true),
    Row("ReadFails", kInfected, {{FileCall::Read, kIoError}}, kInfected, {kReadError}, 0, 0, true),
    // Tried once more, so that a passing failure leaves no trace.
    Row("StatusNotPutBack", kInfected, {{FileCall::SetTimes, kAccessDeniedError}}, "a\n",
        {kRemoveOk, kStatusError}, 1, 0, true),
    Row("StatusNotPutBackAfterWriteError", kInfected,
        {{FileCall::Write, kDiskFullError}, {FileCall::SetTimes, kAccessDeniedError}}, kInfected,
        {kRemoveOk, kWriteError, kStatusError}, 0, 1, true),
};

class TreatmentTest : public ::testing::TestWithParam<Treatment> {
protected:
    // Every test starts from an empty report, whatever ran before it in this process.
    TreatmentTest() { g_scanStats = CScanStats(); }
    void TearDown() override { ClearFaults(); }

    // A read-only file with these bytes, last written long ago.
    std::string MakeFile(const std::string& bytes) {
        const std::string path = m_dir.Write(m_name, bytes);
        FileStatus status;
        EXPECT_TRUE(GetFileStatus(path, status));
        status.m_lastWriteTime = kOldTime;
        status.m_attributes |= kAttrReadOnly;
        SetFileStatus(path, status);
        EXPECT_TRUE(GetFileStatus(path, m_before));
        ClearFaults();  // count only the treatment's calls
        return path;
    }

    CaptureHost m_host;
    TempDir m_dir;
    // The longest name the system takes, which the temporary file beside it must not outgrow:
    // 255 bytes on Linux; on Windows the whole path fills MAX_PATH with its NUL.
#ifdef _WIN32
    const std::string m_name = std::string(259 - m_dir.Root().string().size() - 5, 'n') + ".htm";
#else
    const std::string m_name = std::string(251, 'n') + ".htm";
#endif
    FileStatus m_before;
};

// Whatever fails, the file keeps its old bytes or gets its cleaned ones in
// one write, nothing is left beside it, and it is listed once when it did
// not end clean or cleaned. It keeps its status and every time to the
// fraction of a second; a file that is only read gets no status call at all.
TEST_P(TreatmentTest, LeavesTheFileLogsAndCountsAsItShould) {
    const Treatment& row = GetParam();
    const std::string path = MakeFile(row.m_bytes);
    for (const Injected& fault : row.m_faults) {
        InjectFault(fault.first, 1, fault.second);
    }
    TreatFile(path);
    g_scanStats.ReportAndReset();  // the report the scan would log
    EXPECT_LE(UsesOf(FileCall::Replace), 1);
    const std::vector<std::string> problems(row.m_problem ? 1 : 0, path);
    EXPECT_EQ(m_host.m_log,
              LogThenReport(row.m_log, ReportLines(1, row.m_treated, row.m_errors, problems)));
    EXPECT_EQ(m_dir.Listing(), row.m_after ? m_name + "\n" : "");
    if (row.m_treated + row.m_errors == 0) {
        EXPECT_EQ(UsesOf(FileCall::SetAttributes) + UsesOf(FileCall::SetTimes), 0);
    }
    if (row.m_after) {
        FileStatus after;
        ASSERT_TRUE(GetFileStatus(path, after));
        EXPECT_EQ(after.m_attributes, m_before.m_attributes);
        EXPECT_EQ(after.m_permissions, m_before.m_permissions);
        EXPECT_EQ(after.m_lastWriteTime, kOldTime);
        EXPECT_EQ(after.m_lastWriteNanos, m_before.m_lastWriteNanos);
        if (!RunsUnderWine()) {
            EXPECT_EQ(after.m_lastAccessTime, m_before.m_lastAccessTime);
            EXPECT_EQ(after.m_lastAccessNanos, m_before.m_lastAccessNanos);
        }
        EXPECT_EQ(ReadBytes(path), *row.m_after);  // last: it may move the access time
    }
}

INSTANTIATE_TEST_SUITE_P(Files, TreatmentTest, ::testing::ValuesIn(kTreatments),
                         [](const auto& info) { return std::string(info.param.m_name); });

}  // namespace
