// kelvane-scan --report FILE: a JSON Lines report whose lines parse, one per
// treatment, and whose summary agrees with the log's report.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sstream>

#include "cli/json.h"
#include "cli/scan_report.h"
#include "fileio/fault_injection.h"
#include "fileio/file_status.h"
#include "scan/scan_stats.h"
#include "scan_site.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "treat/treat_file.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;

std::vector<JsonObject> ReadReport(const std::string& path) {
    std::vector<JsonObject> objects;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        std::optional<JsonObject> object = ParseJsonObject(line);
        EXPECT_TRUE(object) << "not a JSON object: " << line;
        if (object) {
            objects.push_back(std::move(*object));
        }
    }
    return objects;
}

// The value after "label: " on the log line that begins with it.
std::string LogValue(const std::vector<std::string>& log, const std::string& label) {
    for (const std::string& line : log) {
        if (line.rfind(label + ": ", 0) == 0) {
            return line.substr(label.size() + 2);
        }
    }
    return "missing";
}

// The problem files listed at the end of the log.
std::vector<std::string> LoggedProblemFiles(const std::vector<std::string>& log) {
    const auto heading = std::find(log.begin(), log.end(), "List of files causes problems:");
    return heading == log.end() ? std::vector<std::string>()
                                : std::vector<std::string>(heading + 1, log.end());
}

class ReportTest : public ::testing::Test {
protected:
    ReportTest() { MakeInfectedSite(m_site); }

    // Runs the scan with a report and returns its lines by path, the summary apart.
    void ScanWithReport(std::vector<std::string> args) {
        const std::string report = m_out.Path("report.jsonl");
        args.insert(args.begin(), {"--report", report});
        args.push_back(m_site.Root().string());
        const ProcessResult result = Scan(args);
        m_log = OutputLines(result.m_stdout);
        std::vector<JsonObject> objects = ReadReport(report);
        ASSERT_FALSE(objects.empty());
        m_summary = objects.back();
        objects.pop_back();
        for (JsonObject& object : objects) {
            m_files[object.at("path").m_text] = object;
            ++m_lines;
        }
    }

    std::string Field(const std::string& path, const std::string& name) {
        return m_files.at(path).at(name).m_text;
    }

    TempDir m_site;
    TempDir m_out;
    std::vector<std::string> m_log;
    JsonObject m_summary;
    std::map<std::string, JsonObject> m_files;
    int m_lines = 0;
};

TEST_F(ReportTest, SummaryAgreesWithTheLogsReport) {
    ScanWithReport({});
    EXPECT_EQ(m_summary.at("summary").m_text, "true");
    EXPECT_EQ(m_summary.at("checked").m_text, LogValue(m_log, "Total checked files"));
    EXPECT_EQ(m_summary.at("treated").m_text,
              LogValue(m_log, "Infected and successful treat files"));
    EXPECT_EQ(m_summary.at("errors").m_text, LogValue(m_log, "Error while treat files"));
    EXPECT_EQ(std::to_string(m_lines), LogValue(m_log, "Total checked files"));
    EXPECT_THAT(m_summary.at("problem_files").m_items, ElementsAreArray(LoggedProblemFiles(m_log)));
    EXPECT_EQ(m_summary.at("interrupted").m_text, "false");
    EXPECT_EQ(m_summary.at("duration_s").m_kind, JsonValue::kLiteral);
}

TEST_F(ReportTest, EachFileHasItsOutcomeBlocksAndBackup) {
    const std::string backupDir = (m_out.Root() / "backup").string();
    ScanWithReport({"--backup-dir", backupDir});
    const std::vector<std::string> rewritten = RewrittenFiles(m_site);
    EXPECT_EQ(Field(rewritten[0], "outcome"), "treated");
    EXPECT_EQ(Field(rewritten[0], "blocks_removed"), "1");
    EXPECT_EQ(Field(rewritten[2], "blocks_removed"), "2") << "two.vbs has two blocks";
    EXPECT_TRUE(fs::exists(Field(rewritten[0], "backup")));
    EXPECT_EQ(Field(DeletedFile(m_site), "outcome"), "deleted");
    EXPECT_TRUE(fs::exists(Field(DeletedFile(m_site), "backup")));
    const std::string clean = (m_site.Root() / "pages" / "deep" / "clean.htm").string();
    EXPECT_EQ(Field(clean, "outcome"), "clean");
    EXPECT_EQ(Field(clean, "blocks_removed"), "0");
    EXPECT_EQ(Field(clean, "backup"), "null");
}

TEST_F(ReportTest, KeptAndMissingFilesAreFailedAndErrors) {
    // Two masks for *.htm: the second meeting of the deleted file cannot read it.
    ScanWithReport({"--keep-on-error", "--file-types", "*.htm"});
    EXPECT_EQ(Field(DeletedFile(m_site), "outcome"), "failed");
    ScanWithReport({"--file-types", "*.htm *.htm"});
    EXPECT_EQ(Field(DeletedFile(m_site), "outcome"), "error") << "met again after its deletion";
    EXPECT_EQ(Field(DeletedFile(m_site), "error"), "read");
}

// A report lost to a full disk is said, and the scan ends with status 2
// although it found nothing.
TEST(ReportWriteFailure, FullDiskIsSaidAndTheStatusIsTwo) {
#ifdef _WIN32
    GTEST_SKIP() << "no full device on Windows";
#endif
    TempDir dir;
    const std::string page = dir.Write("page.htm", "clean\n");
    const ProcessResult result = Scan({"--report", "/dev/full", page});
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(result.m_stderr,
                ::testing::HasSubstr("/dev/full: the report could not be written"));
}

// A rewrite that fails and a protection that then cannot be put back: the
// report names the write, where the trouble began, not the status.
TEST(ReportInProcess, ErrorIsTheFirstStepThatFailed) {
    CaptureHost host;
    TempDir dir;
    const std::string path = dir.Write("page.htm", std::string("a\n") + kBlock);
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(path, status));
    status.m_attributes |= kAttrReadOnly;
    SetFileStatus(path, status);
    TreatmentPolicy plain;
    std::ostringstream out;
    ReportingPolicy reporting(plain, out, "");
    InstallTreatmentPolicy(&reporting);
    InjectFault(FileCall::Write, 1, kDiskFullError);
    InjectFault(FileCall::SetTimes, 1, kAccessDeniedError);
    TreatFile(path);
    InstallTreatmentPolicy(nullptr);
    ClearFaults();
    g_scanStats.ReportAndReset();
    const std::optional<JsonObject> line = ParseJsonObject(out.str());
    ASSERT_TRUE(line) << out.str();
    EXPECT_EQ(line->at("outcome").m_text, "error");
    EXPECT_EQ(line->at("error").m_text, "write");
    EXPECT_THAT(host.m_log,
                ::testing::Contains("     ...File attributes ore times restore error!!!"))
        << "both steps failed";
}

}  // namespace
