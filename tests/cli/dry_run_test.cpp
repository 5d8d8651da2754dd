// kelvane-scan --dry-run: the whole scan runs, nothing on disk changes, and
// the log is the one the real scan then prints.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan_site.h"
#include "tree_snapshot.h"

namespace {

using ::testing::HasSubstr;

// With --keep-on-error too, and with two masks that match the same files:
// the real scan meets each file twice, the second time cleaned or deleted,
// and the preview must say so.
class DryRunTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(DryRunTest, ChangesNothingAndPrintsTheLogOfTheRealScan) {
    TempDir dir;
    MakeInfectedSite(dir);
    const std::string before = SnapshotOf(dir.Root());
    std::vector<std::string> args = GetParam();
    args.push_back(dir.Root().string());
    std::vector<std::string> dryArgs = args;
    dryArgs.insert(dryArgs.begin(), "--dry-run");
    const ProcessResult preview = Scan(dryArgs);
    EXPECT_EQ(SnapshotOf(dir.Root()), before);
    EXPECT_EQ(preview.m_stderr.find("no file was changed"),
              preview.m_stderr.rfind("no file was changed"));
    EXPECT_THAT(preview.m_stderr, HasSubstr("no file was changed"));

    const ProcessResult real = Scan(args);
    EXPECT_NE(SnapshotOf(dir.Root()), before)
        << "the real scan changes the site, so the preview had something to predict";
    EXPECT_EQ(real.m_stderr, "");
    EXPECT_EQ(preview.m_exitCode, real.m_exitCode);
    EXPECT_EQ(OutputLines(preview.m_stdout), OutputLines(real.m_stdout));
}

INSTANTIATE_TEST_SUITE_P(
    Options, DryRunTest,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"--keep-on-error"},
                      std::vector<std::string>{"--file-types",
                                               "*.htm *.HTM *.html *.vbs *.hta *.htt *.vbs"}));

}  // namespace
