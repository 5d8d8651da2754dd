// kelvane-scan --backup-dir and --restore: every file a scan rewrites or
// deletes comes back byte for byte with its mode and times, unless it
// changed since; a copy that cannot be made leaves the file alone; neither
// the backup folder, the tree nor the manifest can steer a copy or a
// restore anywhere else, or let anyone read what they could not; and, with
// faults injected in process, the report names the step that failed first.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/backup.h"
#include "cli/json.h"
#include "cli/manifest.h"
#include "cli/scan_report.h"
#include "cli/sha256.h"
#include "fileio/fault_injection.h"
#include "scan/scan_stats.h"
#include "scan_site.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "treat/treat_file.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;

class BackupRestoreTest : public ::testing::Test {
protected:
    BackupRestoreTest() : m_backupDir((m_keep.Root() / "backup").string()) {
        MakeInfectedSite(m_site);
    }

    void ScanWithBackup() {
        const ProcessResult scan = Scan({"--backup-dir", m_backupDir, m_site.Root().string()});
        ASSERT_EQ(scan.m_exitCode, 2) << scan.m_stderr;
    }

    TempDir m_site;
    TempDir m_keep;
    const std::string m_backupDir;
};

// The manifest records every change. A PATH selects the entries at or below
// it, whole names only: "SITE/page" is no folder of "SITE/pages". A file
// changed or made again since is refused unless forced, and once forced
// every file is as it was before the scan.
TEST_F(BackupRestoreTest, RestoreOfGivenPathsThenOfTheRestRefusesChangesUnlessForced) {
    const std::vector<std::string> changed = ChangedFiles(m_site);
    const std::string& only = changed[0];
    const std::string& other = changed[1];
    const std::string& deleted = changed.back();
    const std::string original = ReadBytes(only);
    const std::string before = SnapshotOf(m_site.Root(), false);
    ScanWithBackup();

    const ProcessResult some = Scan({"--restore", m_backupDir, only, deleted});
    EXPECT_EQ(some.m_exitCode, 0);
    EXPECT_THAT(OutputLines(some.m_stdout),
                ::testing::UnorderedElementsAre("Restored " + only, "Restored " + deleted));
    EXPECT_EQ(ReadBytes(only), original);

    const std::string prefix = m_site.Path("page");
    const ProcessResult mistyped = Scan({"--restore", m_backupDir, prefix});
    EXPECT_EQ(mistyped.m_exitCode, 2);
    EXPECT_EQ(mistyped.m_stdout, "");
    EXPECT_THAT(mistyped.m_stderr, HasSubstr(prefix + ": no entry"));

    std::ofstream(only, std::ios::binary | std::ios::app) << "edited by hand\n";
    std::ofstream(deleted, std::ios::binary) << "new page\n";
    const ProcessResult refused = Scan({"--restore", m_backupDir});
    EXPECT_EQ(refused.m_exitCode, 2);
    const std::vector<std::string> lines = OutputLines(refused.m_stdout);
    EXPECT_THAT(lines, Contains(HasSubstr("Refused " + only + ": it changed since")));
    EXPECT_THAT(lines, Contains(HasSubstr("Refused " + deleted + ": it exists again")));
    EXPECT_THAT(lines, Contains("Restored " + other));
    EXPECT_EQ(ReadBytes(deleted), "new page\n");
    EXPECT_THAT(ReadBytes(only), HasSubstr("edited by hand"));

    const ProcessResult forced = Scan({"--restore", m_backupDir, "--force"});
    EXPECT_EQ(forced.m_exitCode, 0) << forced.m_stdout << forced.m_stderr;
    EXPECT_EQ(SnapshotOf(m_site.Root(), false), before);
}

// A manifest or a tree changed after the scan to steer a restore: the entry
// is refused, nothing is written outside the tree, and every other file
// still comes back. A row is the way of tampering and what the restore
// says of it.
using RestoreAttack = std::pair<std::string, std::string>;

class RestoreAttackTest : public BackupRestoreTest,
                          public ::testing::WithParamInterface<RestoreAttack> {
protected:
    // Tampers as the row says; returns the originals that must not come back.
    std::vector<std::string> Tamper() const {
        const std::string& how = GetParam().first;
        const std::string victim = ChangedFiles(m_site)[0];
        const std::string manifest = ManifestPathIn(m_backupDir);
        std::string text = ReadBytes(manifest);
        if (how == "LinkAtTheOriginal") {
            fs::remove(victim);
            fs::create_symlink(m_keep.Write("target", "mine\n"), victim);
            return {victim};
        }
        if (how == "LinkAtAFolder") {
            fs::rename(m_site.Path("pages"), m_keep.Path("pages"));
            fs::create_directory_symlink(m_keep.Path("pages"), m_site.Path("pages"));
            std::vector<std::string> below = ChangedFiles(m_site);
            below.erase(below.begin());
            return below;
        }
        if (how == "TornLastLine") {
            const std::size_t last = text.rfind('\n', text.size() - 2) + 1;
            const std::optional<ManifestEntry> torn =
                ParseManifestLine(text.substr(last, text.size() - last - 1));
            std::ofstream(manifest, std::ios::binary | std::ios::trunc)
                << text.substr(0, last + (text.size() - last) / 2);
            return {torn ? torn->m_original : std::string()};
        }
        // The victim's entry edited, as a hostile or careless hand could.
        std::istringstream lines(text);
        text.clear();
        for (std::string line; std::getline(lines, line); text += line + "\n") {
            std::optional<ManifestEntry> entry = ParseManifestLine(line);
            if (entry && entry->m_original == victim) {
                if (how == "CopyOutsideTheBackupFolder") {
                    entry->m_backup = m_keep.Write("evil.htm", "evil\n");
                    entry->m_shaBefore = Sha256Hex("evil\n");
                } else if (how == "DotDotOriginal") {  // its copy where it says
                    entry->m_original = (m_site.Root() / "pages" / ".." / "index.htm").string();
                    entry->m_backup = MirrorPath(m_backupDir, entry->m_original);
                } else {  // RelativeOriginal
                    entry->m_original = "evil.htm";
                }
                line = ManifestLine(*entry);
            }
        }
        std::ofstream(manifest, std::ios::binary | std::ios::trunc) << text;
        return {victim};
    }
};

TEST_P(RestoreAttackTest, IsRefusedAndTheOtherFilesComeBack) {
    ScanWithBackup();
    const std::vector<std::string> victims = Tamper();
    const std::string keep = SnapshotOf(m_keep.Root());
    const ProcessResult restore = Scan({"--restore", m_backupDir, "--force"});
    EXPECT_EQ(restore.m_exitCode, 2);
    EXPECT_THAT(restore.m_stdout + restore.m_stderr, HasSubstr(GetParam().second));
    for (const std::string& file : ChangedFiles(m_site)) {
        if (std::find(victims.begin(), victims.end(), file) == victims.end()) {
            EXPECT_THAT(OutputLines(restore.m_stdout), Contains("Restored " + file));
        }
    }
    EXPECT_EQ(SnapshotOf(m_keep.Root()), keep);
    EXPECT_FALSE(fs::exists("evil.htm"));
}

INSTANTIATE_TEST_SUITE_P(
    Portable, RestoreAttackTest,
    ::testing::Values(RestoreAttack{"CopyOutsideTheBackupFolder", "its copy is recorded at"},
                      RestoreAttack{"RelativeOriginal",
                                    "Refused evil.htm: it is not a normal absolute path"},
                      RestoreAttack{"DotDotOriginal", ": it is not a normal absolute path"},
                      RestoreAttack{"TornLastLine", ":6: not a manifest entry"}),
    [](const auto& info) { return info.param.first; });

// In-process, so that the file layer's faults can be injected: the copy is
// made through the same layer as the treatment, and the copy comes first.
class BackupFaultTest : public ::testing::Test {
protected:
    BackupFaultTest() : m_backupDir((m_keep.Root() / "backup").string()), m_policy(m_backupDir) {
        InstallTreatmentPolicy(&m_policy);
    }
    ~BackupFaultTest() override {
        InstallTreatmentPolicy(nullptr);
        Reset();
    }

    void Reset() {
        ClearFaults();
        g_scanStats.ReportAndReset();
        m_host.m_log.clear();
    }

    // Treats the file, which must stay a problem file with its bytes, its
    // error line and nothing recorded or left beside it.
    void ExpectUntouchedProblem(const std::string& path, const std::string& errorLine) {
        const std::string bytes = ReadBytes(path);
        const std::string listing = m_site.Listing();
        TreatFile(path);
        EXPECT_EQ(ReadBytes(path), bytes);
        EXPECT_THAT(m_host.m_log, Contains(errorLine));
        EXPECT_EQ(g_scanStats.Totals().m_nProblemFiles, 1u);
        EXPECT_EQ(g_scanStats.Totals().m_nTreated, 0);
        EXPECT_FALSE(fs::exists(ManifestPathIn(m_backupDir))) << "no change to record";
        EXPECT_EQ(m_site.Listing(), listing) << "no temporary file left beside it";
        Reset();
    }

    CaptureHost m_host;
    TempDir m_site;
    TempDir m_keep;
    const std::string m_backupDir;
    BackupPolicy m_policy;
};

const char kInfected[] = "a\n<script language=x>\nRem I am sorry! happy time\n</script>\n";

// A copy whose flush fails is no copy: the file is left alone and nothing of the copy stays (the
// fault matrix fails every other step of the copy). The treatment's own replacement or write (the
// second) failing leaves a whole one, for the copy comes first. Each row starts without a backup
// folder, so that no copy left by an earlier row fails the next for it.
TEST_F(BackupFaultTest, CopyThatCannotBeMadeLeavesTheFileAlone) {
    for (const auto& [call, use] :
         {std::pair{FileCall::Flush, 1}, {FileCall::Replace, 1}, {FileCall::Write, 2}}) {
        SCOPED_TRACE(::testing::Message() << kFileCallNames[static_cast<int>(call)] << " " << use);
        fs::remove_all(m_backupDir);
        InjectFault(call, use, kDiskFullError);
        const std::string path = m_site.Write("page.htm", kInfected);
        ExpectUntouchedProblem(path, LogText::kWriteError);
        EXPECT_EQ(ReadBytes(MirrorPath(m_backupDir, path)),
                  call == FileCall::Flush ? "" : kInfected);
    }
    const std::string broken = m_site.Write("broken.htm", "Rem I am sorry! happy time\n");
    InjectFault(FileCall::Write, 1, kDiskFullError);
    ExpectUntouchedProblem(broken, LogText::RemoveError(broken));
}

// The record is flushed to disk like the copy; when it cannot be, the change
// stands, its copy stays, the manifest keeps only whole lines, and the scan
// ends saying that the manifest lacks it.
TEST_F(BackupFaultTest, ChangeThatCannotBeRecordedLeavesNoTornLine) {
    TreatFile(m_site.Write("first.htm", kInfected));
    const std::string recorded = ReadBytes(ManifestPathIn(m_backupDir));
    // The copy and the rewrite each flush once before the record does.
    for (const auto& [call, use] : {std::pair{FileCall::OpenAppend, 1}, {FileCall::Flush, 3}}) {
        BackupPolicy policy(m_backupDir);
        InstallTreatmentPolicy(&policy);
        const std::string path = m_site.Write(std::to_string(use) + ".htm", kInfected);
        InjectFault(call, use, kDiskFullError);
        TreatFile(path);
        EXPECT_EQ(ReadBytes(path), "a\n");
        EXPECT_EQ(ReadBytes(MirrorPath(m_backupDir, path)), kInfected);
        EXPECT_FALSE(policy.ManifestComplete());
        EXPECT_EQ(ReadBytes(ManifestPathIn(m_backupDir)), recorded);
        ClearFaults();
    }
}

// A rewrite that fails and a protection that then cannot be put back: the
// report names the write, where the trouble began, not the status.
TEST_F(BackupFaultTest, ReportNamesTheFirstStepThatFailed) {
    const std::string path = m_site.Write("page.htm", kInfected);
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    TreatmentPolicy plain;
    std::ostringstream out;
    ReportingPolicy reporting(plain, out, "");
    InstallTreatmentPolicy(&reporting);
    InjectFault(FileCall::Write, 1, kDiskFullError);
    InjectFault(FileCall::SetTimes, 1, kAccessDeniedError);
    TreatFile(path);
    const std::optional<JsonObject> line = ParseJsonObject(out.str());
    ASSERT_TRUE(line) << out.str();
    EXPECT_EQ(line->at("outcome").m_text + " " + line->at("error").m_text, "error write");
    EXPECT_THAT(m_host.m_log, Contains(LogText::kStatusError)) << "both steps failed";
}

// POSIX alone: owners, file size limits and links (the Windows build
// cannot make links).
#ifndef _WIN32
// A full disk cuts the record's write short (the file size limit stands in
// for it): the part written is taken back.
TEST_F(BackupFaultTest, RecordCutShortLeavesNoTornLine) {
    TreatFile(m_site.Write("first.htm", kInfected));
    const std::string recorded = ReadBytes(ManifestPathIn(m_backupDir));
    const std::string path = m_site.Write("second.htm", kInfected);
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = fs::file_size(ManifestPathIn(m_backupDir)) + 100;
    setrlimit(RLIMIT_FSIZE, &limited);
    TreatFile(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(ReadBytes(path), "a\n");
    EXPECT_FALSE(m_policy.ManifestComplete());
    EXPECT_EQ(ReadBytes(ManifestPathIn(m_backupDir)), recorded);
}

// A copy of another user's file is theirs, with the same rights, in folders
// only root can enter; a copy that cannot be given to them must not let
// anyone run it with their rights.
TEST_F(BackupFaultTest, CopyKeepsItsOwnerOrLosesSetuidAndSetgid) {
    for (const bool ownerRefused : {false, true}) {
        SCOPED_TRACE(ownerRefused ? "owner refused" : "owner kept");
        fs::remove_all(m_backupDir);
        const std::string path = m_site.Write("tool", "#!/bin/sh\n");
        ASSERT_EQ(chown(path.c_str(), 4242, 4243), 0);
        ASSERT_EQ(chmod(path.c_str(), 06755), 0);
        FileStatus saved;
        ASSERT_TRUE(GetFileStatus(path, saved));
        ClearFaults();
        if (ownerRefused) {
            InjectFault(FileCall::SetAttributes, 1, EPERM);
        }
        m_policy.BeforeChange(path, saved, nullptr);
        struct stat copy {};
        ASSERT_EQ(lstat(MirrorPath(m_backupDir, path).c_str(), &copy), 0);
        EXPECT_EQ(copy.st_mode & 07777, ownerRefused ? 0755u : 06755u);
        EXPECT_EQ(copy.st_uid, ownerRefused ? 0u : 4242u);
        EXPECT_EQ(copy.st_gid, ownerRefused ? 0u : 4243u);
        for (fs::path folder = fs::path(MirrorPath(m_backupDir, path)).parent_path();
             folder != m_keep.Root(); folder = folder.parent_path()) {
            EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;
        }
    }
}

// Whoever could write below the backup folder could put a link where a copy
// or one of its folders goes: the copy is then not made, so neither is the
// change.
TEST_F(BackupFaultTest, LinkBelowTheBackupFolderLeavesTheFileAlone) {
    const std::string bait = m_keep.Write("bait", "mine\n");
    for (const bool atFolder : {false, true}) {
        SCOPED_TRACE(atFolder ? "a folder of the copy" : "the copy");
        const std::string path = m_site.Write("page.htm", kInfected);
        const fs::path copy = MirrorPath(m_backupDir, path);
        const fs::path link = atFolder ? copy.parent_path() : copy;
        fs::remove_all(m_backupDir);
        fs::create_directories(link.parent_path());
        fs::create_symlink(atFolder ? m_keep.Root() : fs::path(bait), link);
        ExpectUntouchedProblem(path, LogText::kWriteError);
        EXPECT_EQ(ReadBytes(bait), "mine\n");
        EXPECT_FALSE(fs::exists(m_keep.Path("page.htm")));
    }
}

// Links put into the tree after the scan: a restore writes through none.
INSTANTIATE_TEST_SUITE_P(
    Links, RestoreAttackTest,
    ::testing::Values(RestoreAttack{"LinkAtTheOriginal", "/index.htm: it is a symbolic link"},
                      RestoreAttack{"LinkAtAFolder",
                                    "/pages/broken.htm: one of its folders is a link"}),
    [](const auto& info) { return info.param.first; });

#endif

}  // namespace
