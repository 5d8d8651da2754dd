// Every use of every operating-system call of the file layer, made to fail
// in turn during a scan of a small tree: whatever fails, no file is lost or
// half-written, every file keeps its own attributes and times, no temporary
// file stays behind, the report is logged and every file that did not end
// clean or cleaned is a problem file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <tuple>

#include "cli/backup.h"
#include "fileio/fault_injection.h"
#include "fileio/file_status.h"
#include "scan/file_types.h"
#include "scan/scanner.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"
#include "support/wine.h"

namespace {

namespace fs = std::filesystem;
using ::testing::Contains;

const std::string kBlock =
    "<script language=VBScript>\r\nRem I am sorry! happy time\r\nx = 1\r\n</script>\r\n";
const std::string kLongLine(100000, 'x');  // more than one read and one write
const int64_t kOldTime = 1000000000;

struct TreeFile {
    std::string m_name;  // relative, '/' between folders
    std::string m_bytes;
    std::optional<std::string> m_cleaned;  // none: a block that cannot be delimited
    uint8_t m_attributes = 0;
    bool m_matched = true;  // some mask matches its name
};

const std::vector<TreeFile> kTree = {
    {"clean.htm", "<html>\r\n<script language>\r\n</script>\r\n</html>",
     "<html>\r\n<script language>\r\n</script>\r\n</html>"},
    {"infected.html", "a\r\n" + kBlock + "b\r\n", "a\nb\n"},
    {"readonly.vbs", "r\n" + kBlock + kBlock, "r\n", kAttrReadOnly},
    {".hidden.hta", kBlock + "h", "h\n", kAttrHidden},
    {"broken.htt", "a\r\n" + kBlock + "<script language>\r\nRem I am sorry! happy time\r\n",
     std::nullopt, kAttrReadOnly},
    {"notes.txt", kBlock, kBlock, 0, false},
    {"sub/deep.htm", kLongLine + "\n" + kBlock + "z", kLongLine + "\nz\n"},
};

fs::path PathIn(const fs::path& root, const std::string& name) {
    return (root / fs::path(name)).make_preferred();
}

// The tree, each file with its attributes and a time of its own long ago.
void MakeTree(const TempDir& dir) {
    fs::create_directory(dir.Root() / "sub");
    int64_t time = kOldTime;
    for (const TreeFile& file : kTree) {
        const std::string path = dir.Write(PathIn(dir.Root(), file.m_name).string(), file.m_bytes);
        FileStatus status;
        ASSERT_TRUE(GetFileStatus(path, status));
        status.m_lastWriteTime = time;
        status.m_lastAccessTime = time + 50;
        status.m_attributes |= file.m_attributes;
        SetFileStatus(path, status);
        time += 100;
    }
}

// How the scan treats what it finds: undelimitable files kept or removed,
// or removed with a copy of every change kept in a backup folder.
enum class Mode { Keep, Remove, Backup };

class TreeScan {
public:
    // Scans with the nth use of call failing (none when nth is 0).
    TreeScan(Mode mode, FileCall call, int nth) : m_call(call), m_nth(nth) {
        m_host.m_masks = ParseFileTypes("*.htm *.html *.hta *.vbs *.htt");
        m_host.m_bRemoveOnError = mode == Mode::Keep ? 0 : 1;
        MakeTree(m_dir);
        BackupPolicy backup((m_backupParent.Root() / "backup").string());
        InstallTreatmentPolicy(mode == Mode::Backup ? &backup : nullptr);
        ClearFaults();
        InjectFault(call, nth, kIoError);  // the 0th use is none
        ScanRoots({m_dir.Root().string()});
        m_uses = UsesOf(call);
        ClearFaults();
        InstallTreatmentPolicy(nullptr);
    }

    int Uses() const { return m_uses; }

    void ExpectEveryFileSound() const {
        const std::vector<std::string>& log = m_host.m_log;
        const auto list = std::find(log.begin(), log.end(), LogText::kProblemListHeading);
        ASSERT_THAT(log, Contains(LogText::kReportHeading)) << "the log reached the report";
        ExpectNoTemporaryFile();
        int silentlySkipped = 0;
        for (const TreeFile& file : kTree) {
            SCOPED_TRACE(file.m_name);
            const std::string path = PathIn(m_dir.Root(), file.m_name).string();
            const bool reached = std::find(log.begin(), log.end(), path) != log.end();
            const bool listed = std::find(list, log.end(), path) != log.end();
            EXPECT_TRUE(reached || !listed);
            // Unfaulted, every matched file is cleaned, or, undelimited, kept or deleted as asked.
            EXPECT_TRUE(m_nth > 0 ||
                        fs::exists(path) ==
                            (file.m_cleaned || !m_host.m_bRemoveOnError || !file.m_matched));
            if (!fs::exists(path)) {
                EXPECT_TRUE(!file.m_cleaned && m_host.m_bRemoveOnError && listed)
                    << "only an undelimitable file may be deleted";
                continue;
            }
            ExpectOwnStatus(path, file);  // before reading it moves the access time
            const std::string bytes = ReadBytes(path);
            const bool cleaned = file.m_cleaned && bytes == *file.m_cleaned;
            EXPECT_TRUE(bytes == file.m_bytes || (reached && cleaned))
                << "neither the old nor the cleaned content";
            EXPECT_TRUE(file.m_matched || !reached);
            EXPECT_TRUE(m_nth > 0 || !file.m_matched || !file.m_cleaned || cleaned);
            silentlySkipped += reached && !cleaned && !listed ? 1 : 0;
        }
        // A file that cannot be opened for reading is skipped without a word.
        EXPECT_LE(silentlySkipped, m_call == FileCall::OpenRead ? 1 : 0)
            << "a file neither clean nor cleaned is missing from the problem list";
    }

private:
    void ExpectOwnStatus(const std::string& path, const TreeFile& file) const {
        const int64_t time = kOldTime + 100 * (&file - kTree.data());  // as MakeTree gave it
        FileStatus after;
        ASSERT_TRUE(GetFileStatus(path, after));
        EXPECT_EQ(after.m_attributes & (kAttrReadOnly | kAttrHidden), file.m_attributes);
        EXPECT_EQ(after.m_lastWriteTime, time);
        if (!RunsUnderWine()) {
            EXPECT_EQ(after.m_lastAccessTime, time + 50);
        }
#ifndef _WIN32
        EXPECT_EQ(after.m_permissions, file.m_attributes & kAttrReadOnly ? 0444u : 0644u);
#endif
    }

    void ExpectNoTemporaryFile() const {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_dir.Root())) {
            EXPECT_EQ(entry.path().filename().string().find(".kelvane-tmp"), std::string::npos)
                << entry.path();
        }
    }

    FileCall m_call;
    int m_nth;
    CaptureHost m_host;
    TempDir m_dir;
    TempDir m_backupParent;
    int m_uses = 0;
};

using MatrixCase = std::tuple<int, Mode>;  // every call of the file layer in every mode

std::string CaseName(const ::testing::TestParamInfo<MatrixCase>& info) {
    static const char* const modes[] = {"Keep", "Remove", "Backup"};
    return std::string(kFileCallNames[std::get<0>(info.param)]) + "_" +
           modes[static_cast<int>(std::get<1>(info.param))];
}

class FaultMatrixTest : public ::testing::TestWithParam<MatrixCase> {};

TEST_P(FaultMatrixTest, EveryUseFailingLeavesEveryFileWholeWithItsStatus) {
    const auto [callIndex, mode] = GetParam();
    const FileCall call = static_cast<FileCall>(callIndex);
    const TreeScan unfaulted(mode, call, 0);
    unfaulted.ExpectEveryFileSound();
    const int uses = unfaulted.Uses();
    // The tree meets every call: a deletion only when removal is on, an
    // append only to a backup's manifest.
    EXPECT_EQ(uses > 0, (mode != Mode::Keep || call != FileCall::Delete) &&
                            (mode == Mode::Backup || call != FileCall::OpenAppend));
    for (int nth = 1; nth <= uses; ++nth) {
        SCOPED_TRACE("use " + std::to_string(nth) + " of " + std::to_string(uses) + " fails");
        TreeScan(mode, call, nth).ExpectEveryFileSound();
    }
    // Summed over the cases by tools/test-figures.sh.
    std::printf("Fault matrix %s: %d faults tried\n", CaseName({GetParam(), 0}).c_str(), uses);
}

INSTANTIATE_TEST_SUITE_P(EveryCall, FaultMatrixTest,
                         ::testing::Combine(::testing::Range(0, kFileCallCount),
                                            ::testing::Values(Mode::Keep, Mode::Remove,
                                                              Mode::Backup)),
                         CaseName);

}  // namespace
