// kelvane-scan --backup-dir and --restore: every file a scan rewrites or
// deletes comes back byte for byte with its mode and times, unless it
// changed since; a copy that cannot be made leaves the file alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/backup.h"
#include "cli/manifest.h"
#include "fileio/fault_injection.h"
#include "scan/scan_stats.h"
#include "scan_site.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "treat/treat_file.h"
#include "tree_snapshot.h"

namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

std::vector<std::string> ManifestOriginals(const std::string& backupDir) {
    std::ifstream in(ManifestPathIn(backupDir), std::ios::binary);
    std::vector<std::string> originals;
    for (std::string line; std::getline(in, line);) {
        const std::optional<ManifestEntry> entry = ParseManifestLine(line);
        EXPECT_TRUE(entry) << line;
        originals.push_back(entry ? entry->m_original : line);
    }
    return originals;
}

std::vector<std::string> Prefixed(const std::string& prefix, std::vector<std::string> paths) {
    for (std::string& path : paths) {
        path = prefix + path;
    }
    return paths;
}

class BackupRestoreTest : public ::testing::Test {
protected:
    BackupRestoreTest() : m_backupDir((m_keep.Root() / "backup").string()) {
        MakeInfectedSite(m_site);
        m_before = SnapshotOf(m_site.Root());
    }

    std::vector<std::string> ChangedFiles() const {
        std::vector<std::string> changed = RewrittenFiles(m_site);
        changed.push_back(DeletedFile(m_site));
        return changed;
    }

    ProcessResult ScanWithBackup() {
        return Scan({"--backup-dir", m_backupDir, m_site.Root().string()});
    }

    TempDir m_site;
    TempDir m_keep;
    const std::string m_backupDir;
    TreeSnapshot m_before;
};

TEST_F(BackupRestoreTest, RestoreGivesBackEveryRewrittenAndDeletedFile) {
    const ProcessResult scan = ScanWithBackup();
    ASSERT_EQ(scan.m_exitCode, 2) << scan.m_stderr;
    EXPECT_THAT(ManifestOriginals(m_backupDir), UnorderedElementsAreArray(ChangedFiles()));
    EXPECT_EQ(ReadBytes(MirrorPath(m_backupDir, DeletedFile(m_site))),
              "Rem I am sorry! happy time\n");
    ASSERT_NE(Differences(m_before, SnapshotOf(m_site.Root()), false), "");

    const ProcessResult restore = Scan({"--restore", m_backupDir});
    EXPECT_EQ(restore.m_exitCode, 0) << restore.m_stdout << restore.m_stderr;
    EXPECT_THAT(OutputLines(restore.m_stdout),
                UnorderedElementsAreArray(Prefixed("Restored ", ChangedFiles())));
    EXPECT_EQ(Differences(m_before, SnapshotOf(m_site.Root()), false), "");
}

TEST_F(BackupRestoreTest, FileChangedSinceIsRefusedUnlessForced) {
    ASSERT_EQ(ScanWithBackup().m_exitCode, 2);
    const std::string edited = RewrittenFiles(m_site)[0];
    std::ofstream(edited, std::ios::binary | std::ios::app) << "edited by hand\n";
    const std::string recreated = DeletedFile(m_site);
    std::ofstream(recreated, std::ios::binary) << "new page\n";

    const ProcessResult refused = Scan({"--restore", m_backupDir});
    EXPECT_EQ(refused.m_exitCode, 2);
    const std::vector<std::string> lines = OutputLines(refused.m_stdout);
    EXPECT_THAT(lines, Contains(HasSubstr("Refused " + edited + ": it changed since")));
    EXPECT_THAT(lines, Contains(HasSubstr("Refused " + recreated + ": it exists again")));
    EXPECT_THAT(lines, Contains("Restored " + RewrittenFiles(m_site)[1]));
    EXPECT_THAT(ReadBytes(edited), HasSubstr("edited by hand"));
    EXPECT_EQ(ReadBytes(recreated), "new page\n");

    const ProcessResult forced = Scan({"--restore", m_backupDir, "--force"});
    EXPECT_EQ(forced.m_exitCode, 0) << forced.m_stdout;
    EXPECT_EQ(Differences(m_before, SnapshotOf(m_site.Root()), false), "");
}

TEST_F(BackupRestoreTest, RestoreOfGivenPathsLeavesTheOthersCleaned) {
    ASSERT_EQ(ScanWithBackup().m_exitCode, 2);
    const std::string only = RewrittenFiles(m_site)[0];
    const ProcessResult restore = Scan({"--restore", m_backupDir, only});
    EXPECT_EQ(restore.m_exitCode, 0);
    EXPECT_THAT(OutputLines(restore.m_stdout), ::testing::ElementsAre("Restored " + only));
    EXPECT_EQ(ReadBytes(only), m_before.at(only).m_bytes);
    EXPECT_FALSE(fs::exists(DeletedFile(m_site)));
}

TEST_F(BackupRestoreTest, BackupFolderInsideAScannedPathIsAUsageError) {
    const ProcessResult result =
        Scan({"--backup-dir", (m_site.Root() / "keep").string(), m_site.Root().string()});
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(result.m_stdout, IsEmpty());
    EXPECT_THAT(result.m_stderr, HasSubstr("inside"));
    EXPECT_EQ(Differences(m_before, SnapshotOf(m_site.Root()), true), "");
}

TEST_F(BackupRestoreTest, ASecondScanIntoTheSameFolderIsAUsageError) {
    ASSERT_EQ(ScanWithBackup().m_exitCode, 2);
    const ProcessResult again = ScanWithBackup();
    EXPECT_EQ(again.m_exitCode, 2);
    EXPECT_THAT(again.m_stderr, HasSubstr("already holds a backup"));
    EXPECT_THAT(again.m_stdout, IsEmpty());
}

// In-process, so that the file layer's faults can be injected: the copy is
// made through the same layer as the treatment, and the copy comes first.
class BackupFaultTest : public ::testing::Test {
protected:
    BackupFaultTest() : m_backupDir((m_keep.Root() / "backup").string()), m_policy(m_backupDir) {
        InstallTreatmentPolicy(&m_policy);
    }
    ~BackupFaultTest() override {
        InstallTreatmentPolicy(nullptr);
        ClearFaults();
        g_scanStats.ReportAndReset();
    }

    void ExpectUntouchedProblem(const std::string& path, const std::string& bytes,
                                const std::string& errorLine) {
        EXPECT_EQ(ReadBytes(path), bytes);
        EXPECT_THAT(m_host.m_log, Contains(errorLine));
        EXPECT_EQ(g_scanStats.Totals().m_nProblemFiles, 1u);
        EXPECT_EQ(g_scanStats.Totals().m_nTreated, 0);
        EXPECT_FALSE(fs::exists(ManifestPathIn(m_backupDir))) << "no change to record";
        EXPECT_EQ(m_site.Listing(), m_listing) << "no temporary file left beside it";
    }

    CaptureHost m_host;
    TempDir m_site;
    TempDir m_keep;
    const std::string m_backupDir;
    BackupPolicy m_policy;
    std::string m_listing;
};

const char kInfected[] = "a\n<script language=x>\nRem I am sorry! happy time\n</script>\n";

TEST_F(BackupFaultTest, CopyThatCannotBeWrittenLeavesTheFileToRewriteAlone) {
    for (const FileCall call : {FileCall::CreateTemporary, FileCall::Write, FileCall::Flush,
                                FileCall::Replace, FileCall::OpenRead}) {
        const std::string path = m_site.Write("page.htm", kInfected);
        m_listing = m_site.Listing();
        InjectFault(call, call == FileCall::OpenRead ? 2 : 1, kDiskFullError);
        TreatFile(path);
        ExpectUntouchedProblem(path, kInfected, "     ...File write ore open error!!!");
        ClearFaults();
        g_scanStats.ReportAndReset();
        m_host.m_log.clear();
    }
}

TEST_F(BackupFaultTest, CopyThatCannotBeWrittenLeavesTheFileToDeleteInPlace) {
    const std::string path = m_site.Write("broken.htm", "Rem I am sorry! happy time\n");
    m_listing = m_site.Listing();
    InjectFault(FileCall::Write, 1, kDiskFullError);
    TreatFile(path);
    ExpectUntouchedProblem(path, "Rem I am sorry! happy time\n",
                           "File " + path + "remove error!!!");
}

TEST_F(BackupFaultTest, CopyIsCompleteBeforeTheFileChanges) {
    const std::string path = m_site.Write("page.htm", kInfected);
    InjectFault(FileCall::Write, 2, kDiskFullError);  // the treatment's own write
    TreatFile(path);
    EXPECT_EQ(ReadBytes(path), kInfected);
    EXPECT_EQ(ReadBytes(MirrorPath(m_backupDir, path)), kInfected);
    EXPECT_FALSE(fs::exists(ManifestPathIn(m_backupDir))) << "the change was not made";
}

// The record is flushed to disk like the copy; when it cannot be, the change
// stands, its copy stays, and the scan ends saying that the manifest lacks it.
TEST_F(BackupFaultTest, ChangeThatCannotBeRecordedIsReportedAndKeepsItsCopy) {
    // The copy and the rewrite each flush once before the record does.
    for (const auto& [call, use] : {std::pair{FileCall::OpenAppend, 1}, {FileCall::Flush, 3}}) {
        BackupPolicy policy(m_backupDir);
        InstallTreatmentPolicy(&policy);
        const std::string path = m_site.Write("page.htm", kInfected);
        InjectFault(call, use, kDiskFullError);
        TreatFile(path);
        EXPECT_EQ(ReadBytes(path), "a\n");
        EXPECT_EQ(ReadBytes(MirrorPath(m_backupDir, path)), kInfected);
        EXPECT_FALSE(policy.ManifestComplete());
        ClearFaults();
    }
}

}  // namespace

namespace {

// The new options in combinations that make no sense: status 2, a hint, and
// nothing scanned, copied or restored.
class UndoOptionMistakeTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(UndoOptionMistakeTest, ScansNothingAndSaysWhy) {
    TempDir site;
    TempDir keep;
    MakeInfectedSite(site);
    const TreeSnapshot before = SnapshotOf(site.Root());
    std::vector<std::string> args = GetParam();
    for (std::string& arg : args) {
        arg = arg == "SITE" ? site.Root().string() : arg == "KEEP" ? keep.Path("b") : arg;
    }
    const ProcessResult result = Scan(args);
    EXPECT_EQ(result.m_exitCode, 2);
    EXPECT_THAT(result.m_stdout, IsEmpty());
    EXPECT_THAT(result.m_stderr, HasSubstr("--help"));
    EXPECT_EQ(Differences(before, SnapshotOf(site.Root()), true), "");
    EXPECT_FALSE(fs::exists(keep.Path("b")));
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, UndoOptionMistakeTest,
    ::testing::Values(std::vector<std::string>{"--dry-run", "--backup-dir", "KEEP", "SITE"},
                      std::vector<std::string>{"--force", "SITE"},
                      std::vector<std::string>{"--restore", "KEEP", "--dry-run"},
                      std::vector<std::string>{"--backup-dir", "KEEP", "--all-drives"},
                      std::vector<std::string>{"--backup-dir", "SITE", "SITE"},
                      std::vector<std::string>{"SITE", "--report"}));

TEST(UndoOptionHelp, NamesTheNewOptions) {
    const ProcessResult result = Scan({"--help"});
    EXPECT_EQ(result.m_exitCode, 0);
    for (const char* text : {"--dry-run", "--backup-dir DIR", "--restore DIR", "--force",
                             "--report FILE", "manifest.jsonl", "Examples:"}) {
        EXPECT_THAT(result.m_stdout, HasSubstr(text));
    }
}

}  // namespace
