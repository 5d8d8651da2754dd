// kelvane-scan --dry-run: the whole scan runs, nothing on disk changes, and
// the log is the one the real scan then prints.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan_site.h"
#include "tree_snapshot.h"

namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class DryRunTest : public ::testing::Test {
protected:
    DryRunTest() { MakeInfectedSite(m_dir); }

    // Runs the preview, checks that it changed nothing, then runs the real
    // scan and checks that the preview predicted its log and status.
    void ExpectPreviewPredictsScan(std::vector<std::string> args) {
        const TreeSnapshot before = SnapshotOf(m_dir.Root());
        args.push_back(m_dir.Root().string());
        std::vector<std::string> dryArgs = args;
        dryArgs.insert(dryArgs.begin(), "--dry-run");
        const ProcessResult preview = Scan(dryArgs);
        EXPECT_EQ(Differences(before, SnapshotOf(m_dir.Root()), true), "");
        EXPECT_EQ(Occurrences(preview.m_stderr, "no file was changed"), 1) << preview.m_stderr;

        const ProcessResult real = Scan(args);
        EXPECT_THAT(Differences(before, SnapshotOf(m_dir.Root()), false), HasSubstr("bytes"))
            << "the real scan changes the site, so the preview had something to predict";
        EXPECT_THAT(real.m_stderr, IsEmpty());
        EXPECT_EQ(preview.m_exitCode, real.m_exitCode);
        EXPECT_EQ(OutputLines(preview.m_stdout), OutputLines(real.m_stdout));
        EXPECT_THAT(real.m_stdout, HasSubstr("Remove OK"));
    }

    TempDir m_dir;
};

TEST_F(DryRunTest, ChangesNothingAndPrintsTheLogOfTheRealScan) {
    ExpectPreviewPredictsScan({});
}

TEST_F(DryRunTest, KeepOnErrorIsPredictedToo) {
    ExpectPreviewPredictsScan({"--keep-on-error"});
}

// Two masks that match the same files: the real scan meets each file twice,
// the second time cleaned or deleted, and the preview must say so.
TEST_F(DryRunTest, FileMetTwiceIsLoggedAsAfterItsFirstTreatment) {
    ExpectPreviewPredictsScan({"--file-types", "*.htm *.HTM *.html *.vbs *.hta *.htt *.vbs"});
}

}  // namespace
