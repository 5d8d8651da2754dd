// kelvane-scan --report FILE: a JSON Lines report whose lines parse, one per
// treatment, and whose summary agrees with the log's report; and --dry-run,
// which changes nothing and prints the log of the real scan.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/json.h"
#include "scan_site.h"
#include "support/capture_host.h"

namespace {

namespace fs = std::filesystem;

// Scans of the infected site with a backup of every change, each after its
// dry run, in which its undelimited page ends each way a problem file can:
// deleted, kept, and met again after its deletion (two masks for *.htm),
// which cannot read it; so the preview must foretell a second meeting with a
// file cleaned or deleted.
TEST(ReportTest, EachFileHasItsOutcomeAndTheSummaryAgreesWithTheDryRunAndTheLog) {
    const struct {
        std::vector<std::string> m_args;
        const char* m_outcome;
        const char* m_error;
    } kScans[] = {
        {{}, "deleted", ""},
        {{"--keep-on-error"}, "failed", ""},
        {{"--file-types", "*.htm *.htm"}, "error", "read"},
    };
    for (const auto& scan : kScans) {
        SCOPED_TRACE(scan.m_outcome);
        TempDir site;
        TempDir out;
        MakeInfectedSite(site);
        const std::string before = SnapshotOf(site.Root());
        std::vector<std::string> args = scan.m_args;
        args.insert(args.end(), {"--dry-run", site.Root().string()});
        const ProcessResult preview = Scan(args);
        EXPECT_EQ(SnapshotOf(site.Root()), before);
        EXPECT_THAT(OutputLines(preview.m_stderr),
                    ::testing::ElementsAre("kelvane-scan: dry run: no file was changed"));

        args.erase(args.end() - 2);
        args.insert(args.begin(),
                    {"--report", out.Path("report.jsonl"), "--backup-dir", out.Path("backup")});
        const ProcessResult real = Scan(args);
        EXPECT_EQ(real.m_stderr, "");
        EXPECT_EQ(real.m_exitCode, preview.m_exitCode);
        const std::vector<std::string> log = OutputLines(real.m_stdout);
        EXPECT_EQ(log, OutputLines(preview.m_stdout));

        std::istringstream lines(ReadBytes(out.Path("report.jsonl")));
        std::map<std::string, JsonObject> files;
        JsonObject summary;
        int fileLines = 0;
        for (std::string line; std::getline(lines, line);) {
            std::optional<JsonObject> object = ParseJsonObject(line);
            ASSERT_TRUE(object) << "not a JSON object: " << line;
            fileLines += object->count("path") != 0;
            (object->count("path") ? files[object->at("path").m_text] : summary) = *object;
        }
        ASSERT_EQ(summary.at("summary").m_text, "true");
        const auto Count = [&summary](const char* name) {
            return std::stoi(summary.at(name).m_text);
        };
        EXPECT_THAT(std::vector<std::string>(
                        std::find(log.begin(), log.end(), LogText::kReportHeading), log.end()),
                    ::testing::ElementsAreArray(ReportLines(Count("checked"), Count("treated"),
                                                            Count("errors"),
                                                            summary.at("problem_files").m_items)));
        EXPECT_EQ(fileLines, Count("checked"));
        EXPECT_EQ(summary.at("interrupted").m_text, "false");
        EXPECT_EQ(summary.at("duration_s").m_kind, JsonValue::kLiteral);

        const JsonObject& deleted = files.at(ChangedFiles(site).back());
        EXPECT_EQ(deleted.at("outcome").m_text, scan.m_outcome);
        EXPECT_EQ(deleted.count("error") ? deleted.at("error").m_text : "", scan.m_error);
        if (scan.m_args.empty()) {
            EXPECT_TRUE(fs::exists(deleted.at("backup").m_text));
            const JsonObject& twoBlocks = files.at(ChangedFiles(site)[2]);
            EXPECT_EQ(twoBlocks.at("outcome").m_text, "treated");
            EXPECT_EQ(twoBlocks.at("blocks_removed").m_text, "2");
            EXPECT_TRUE(fs::exists(twoBlocks.at("backup").m_text));
            const JsonObject& clean =
                files.at((site.Root() / "pages" / "deep" / "clean.htm").string());
            EXPECT_EQ(clean.at("outcome").m_text + clean.at("blocks_removed").m_text +
                          clean.at("backup").m_text,
                      "clean0null");
        }
    }
}

}  // namespace
