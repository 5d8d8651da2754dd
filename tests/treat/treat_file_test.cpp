// The removal of blocks from a file's lines, the treatment of one file, and
// every use of every operating-system call of the file layer made to fail in
// turn during a scan of a small tree: whatever fails, no file is lost or
// half-written, every file keeps its own attributes and times, no temporary
// file stays behind, the report is logged and every file that did not end
// clean or cleaned is a problem file.
#include "treat/treat_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/backup.h"
#include "cli/manifest.h"
#include "fileio/fault_injection.h"
#include "fileio/file_status.h"
#include "scan/file_types.h"
#include "scan/scan_stats.h"
#include "scan/scanner.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"
#include "treat/remove_virus_block.h"

namespace {

namespace fs = std::filesystem;
using namespace LogText;
using ::testing::Contains;

const std::string kSig = "Rem I am sorry! happy time";
const char kFirst[] = "<script language=VBScript>";
const char kLast[] = "</script>";
const CodePage kShiftJis = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});

// The lines given, the result of each call the treatment's loop makes (again
// while a block was removed), and the lines left; the settings a row changes.
// What each call logs is the treatment table's.
struct Removal {
    const char* m_name;
    LineList m_lines;
    std::vector<int> m_results;
    LineList m_left;
    std::optional<std::string> m_first;
    std::optional<std::string> m_last;
    std::optional<std::string> m_signature;
    bool m_doubleByte = false;
};

Removal Cut(const char* name, LineList lines, std::vector<int> results, LineList left,
            std::optional<std::string> first = {}, std::optional<std::string> last = {},
            std::optional<std::string> signature = {}, bool doubleByte = false) {
    return {name, lines, results, left, first, last, signature, doubleByte};
}

const std::string kOneLineBlock = "<script language>" + kSig + "</script>";
const std::string kNoEndOnLastLine = "x<script language " + kSig;
// A lead byte, then the letter "A" as the second byte of its character.
const std::string kInCharacter = std::string("\x82") + "A";
const std::vector<Removal> kRemovals = {
    Cut("NoSignature", {"<html>", kFirst, kLast, "</html>"}, {0},
        {"<html>", kFirst, kLast, "</html>"}),
    Cut("EmptyList", {}, {0}, {}),
    Cut("WholeBlock", {"a", kFirst, kSig, "x", kLast, "b"}, {1, 0}, {"a", "b"}),
    Cut("TextBeforeFirstStringGoesToo", {"a", "<p><script language", kSig, kLast, "b"}, {1},
        {"a", "b"}),
    Cut("StartLineWithLastStringFirstEndsAtOnce",
        {"a", "x</script>y<script language", "z", kSig, kLast, "b"}, {1},
        {"a", "y<script language", kLast, "b"}),
    Cut("EmptyFirstStringStartsAtTheSignature", {"a", "keep", kSig, "x", kLast, "b"}, {1},
        {"a", "keep", "b"}, ""),
    Cut("TextAfterLastStringStays", {kFirst, kSig, "  </script><p>after", "b"}, {1},
        {"<p>after", "b"}),
    Cut("SpacesBeforeLastStringLeaveAnEmptyLine", {kFirst, kSig, "   </script>", "b"}, {1},
        {"", "b"}),
    Cut("LaterLastStringsStay", {kFirst, kSig, "</script>a</script>"}, {1}, {"a</script>"}),
    Cut("OneLineBlockAfterText", {"a", "text" + kOneLineBlock + "more", "b"}, {1},
        {"a", "more", "b"}),
    Cut("OneLineBlockAtZeroRunsOn", {"a", kOneLineBlock, "b", "c</script>d", "e"}, {1},
        {"a", "d", "e"}),
    Cut("OneLineBlockAtZeroWithoutLaterEnd", {"a", kOneLineBlock, "b"}, {2}, {"a"}),
    Cut("SignatureLineWithOnlyTheLastString", {kFirst, "x", kSig + "</script>", "y", "</script>z"},
        {1}, {"z"}),
    Cut("SecondSignatureInsideGoesWithIt", {kFirst, kSig, "x", kSig, kLast, "b"}, {1, 0}, {"b"}),
    Cut("TwoBlocksOneCallEach", {"a", kFirst, kSig, kLast, "b", kFirst, kSig, kLast, "c"},
        {1, 1, 0}, {"a", "b", "c"}),
    Cut("NoFirstStringRemovesBackToTheStart", {"a", "b", kSig, "c", kLast}, {2}, {"c", kLast}),
    Cut("NoLastStringRemovesToTheEnd", {"a", kFirst, kSig, "c"}, {2}, {"a"}),
    Cut("SignatureOnTheLastLine", {"a", kFirst, kSig}, {2}, {"a"}),
    Cut("SecondBlockFails", {kFirst, kSig, kLast, "b", kSig}, {1, 2}, {}),
    Cut("EmptyLastStringEndsAtTextUnchanged", {kFirst, kSig, "x", "y"}, {1}, {"x", "y"}, {}, ""),
    Cut("EmptyLastStringTakesAnEmptyLine", {kFirst, kSig, "", "y"}, {1}, {"y"}, {}, ""),
    Cut("EmptyLastStringDoubleByte", {kFirst, kSig, "", "", "y", "z"}, {1}, {"y", "z"}, {}, "", {},
        true),
    Cut("CallThatWouldChangeNothingFails", {"a", kNoEndOnLastLine, "b"}, {2},
        {"a", kNoEndOnLastLine, "b"}, {}, ""),
    Cut("OtherwiseEndlessLoopEnds", {kFirst, kSig, "x", kNoEndOnLastLine}, {1, 2},
        {"x", kNoEndOnLastLine}, {}, ""),
    Cut("SignatureInsideACharacter", {kFirst, kInCharacter, kLast}, {0},
        {kFirst, kInCharacter, kLast}, {}, {}, "A", true),
    Cut("SignatureAfterAWholeCharacter", {kFirst, "\x82" + kInCharacter}, {2}, {}, {}, {}, "A",
        true),
};

class RemoveVirusBlockTest : public ::testing::TestWithParam<Removal> {};

TEST_P(RemoveVirusBlockTest, RemovesWhatTheRulesSay) {
    const Removal& row = GetParam();
    CaptureHost host;
    host.m_strFirstString = row.m_first.value_or(host.m_strFirstString);
    host.m_strLastString = row.m_last.value_or(host.m_strLastString);
    host.m_strSignature = row.m_signature.value_or(host.m_strSignature);
    LineList lines = row.m_lines;
    for (const int result : row.m_results) {
        EXPECT_EQ(RemoveVirusBlock(lines, row.m_doubleByte ? kShiftJis : CodePage::SingleByte()),
                  result);
    }
    EXPECT_EQ(lines, row.m_left);
}

INSTANTIATE_TEST_SUITE_P(Rules, RemoveVirusBlockTest, ::testing::ValuesIn(kRemovals),
                         [](const auto& info) { return std::string(info.param.m_name); });

const std::string kBlock =
    "<script language=VBScript>\r\nRem I am sorry! happy time\r\nx = 1\r\n</script>\r\n";
const int64_t kOldTime = 1000000000;  // 2001-09-09, clearly not "now"

// Wine leaves a file's last-access time to the Linux host, which moves it on a read whatever the
// handle asks, so that time can only be checked on Linux itself and on Windows.
bool RunsUnderWine() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// Writes the file with these attributes added, last written at time and last read 50 s later.
std::string WriteAged(const TempDir& dir, const std::string& name, const std::string& bytes,
                      uint8_t attributes, int64_t time) {
    const std::string path = dir.Write(name, bytes);
    FileStatus status;
    EXPECT_TRUE(GetFileStatus(path, status));
    status.m_lastWriteTime = time;
    status.m_lastAccessTime = time + 50;
    status.m_attributes |= attributes;
    SetFileStatus(path, status);
    return path;
}

const std::string kInfected = "a\n" + kBlock;
// The first block is removed in memory, the second has no end.
const std::string kUndelimited =
    "a\r\n" + kBlock + "b\r\n<script language>\r\nRem I am sorry! happy time\r\n";

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
    Row("UndelimitedIsDeleted", kUndelimited, {}, std::nullopt,
        {kRemoveOk, LogText::kBlockNotDelimited}, 0, 1, true),
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

    CaptureHost m_host;
    TempDir m_dir;
    // The longest name the system takes, which the temporary file beside it must not outgrow:
    // 255 bytes on Linux; on Windows the whole path fills MAX_PATH with its NUL.
#ifdef _WIN32
    const std::string m_name = std::string(259 - m_dir.Root().string().size() - 5, 'n') + ".htm";
#else
    const std::string m_name = std::string(251, 'n') + ".htm";
#endif
};

// Whatever fails, a read-only file written long ago keeps its old bytes or
// gets its cleaned ones in one write, nothing is left beside it, and it is
// listed once when it did not end clean or cleaned. It keeps its status and
// every time to the fraction of a second; a file that is only read gets no
// status call at all.
TEST_P(TreatmentTest, LeavesTheFileLogsAndCountsAsItShould) {
    const Treatment& row = GetParam();
    const std::string path = WriteAged(m_dir, m_name, row.m_bytes, kAttrReadOnly, kOldTime);
    FileStatus before;
    ASSERT_TRUE(GetFileStatus(path, before));
    ClearFaults();  // count only the treatment's calls
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
        EXPECT_EQ(after.m_attributes, before.m_attributes);
        EXPECT_EQ(after.m_permissions, before.m_permissions);
        EXPECT_EQ(after.m_lastWriteTime, kOldTime);
        EXPECT_EQ(after.m_lastWriteNanos, before.m_lastWriteNanos);
        if (!RunsUnderWine()) {
            EXPECT_EQ(after.m_lastAccessTime, before.m_lastAccessTime);
            EXPECT_EQ(after.m_lastAccessNanos, before.m_lastAccessNanos);
        }
        EXPECT_EQ(ReadBytes(path), *row.m_after);  // last: it may move the access time
    }
}

INSTANTIATE_TEST_SUITE_P(Files, TreatmentTest, ::testing::ValuesIn(kTreatments),
                         [](const auto& info) { return std::string(info.param.m_name); });

const std::string kLongLine(100000, 'x');  // more than one read and one write

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

// Each file of the tree was last written at a time of its own long ago.
int64_t TimeOf(const TreeFile& file) {
    return kOldTime + 100 * (&file - kTree.data());
}

// How the scan treats what it finds: undelimitable files kept or removed,
// or removed with a copy of every change kept in a backup folder.
enum class Mode { Keep, Remove, Backup };

class TreeScan {
public:
    // Scans with the nth use of call failing (none when nth is 0).
    TreeScan(Mode mode, FileCall call, int nth)
        : m_call(call), m_nth(nth), m_backupDir(mode == Mode::Backup ? m_keep.Path("backup") : "") {
        m_host.m_masks = ParseFileTypes("*.htm *.html *.hta *.vbs *.htt");
        m_host.m_bRemoveOnError = mode == Mode::Keep ? 0 : 1;
        fs::create_directory(m_dir.Root() / "sub");
        for (const TreeFile& file : kTree) {
            WriteAged(m_dir, file.m_name, file.m_bytes, file.m_attributes, TimeOf(file));
        }
        BackupPolicy backup(m_backupDir);
        InstallTreatmentPolicy(m_backupDir.empty() ? nullptr : &backup);
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
        const auto list = std::find(log.begin(), log.end(), kProblemListHeading);
        ASSERT_THAT(log, Contains(kReportHeading)) << "the log reached the report";
        ExpectNoTemporaryFile();
        int silentlySkipped = 0;
        for (const TreeFile& file : kTree) {
            SCOPED_TRACE(file.m_name);
            const std::string path = m_dir.Path(file.m_name);
            const bool reached = std::find(log.begin(), log.end(), path) != log.end();
            const bool listed = std::find(list, log.end(), path) != log.end();
            // Unfaulted, every matched file is cleaned, or, undelimited, kept or deleted as asked.
            EXPECT_TRUE(m_nth > 0 ||
                        fs::exists(path) ==
                            (file.m_cleaned || !m_host.m_bRemoveOnError || !file.m_matched));
            if (!fs::exists(path)) {
                EXPECT_TRUE(!file.m_cleaned && m_host.m_bRemoveOnError && listed)
                    << "only an undelimitable file may be deleted";
                ExpectCopied(path, file, true);
                continue;
            }
            ExpectOwnStatus(path, file);  // before reading it moves the access time
            const std::string bytes = ReadBytes(path);
            const bool cleaned = file.m_cleaned && bytes == *file.m_cleaned;
            EXPECT_TRUE(bytes == file.m_bytes || (reached && cleaned))
                << "neither the old nor the cleaned content";
            ExpectCopied(path, file, bytes != file.m_bytes);
            EXPECT_TRUE(m_nth > 0 || !file.m_matched || !file.m_cleaned || cleaned);
            silentlySkipped += reached && !cleaned && !listed ? 1 : 0;
        }
        // A file that cannot be opened for reading is skipped without a word.
        EXPECT_LE(silentlySkipped, m_call == FileCall::OpenRead ? 1 : 0)
            << "a file neither clean nor cleaned is missing from the problem list";
    }

private:
    void ExpectOwnStatus(const std::string& path, const TreeFile& file) const {
        FileStatus after;
        ASSERT_TRUE(GetFileStatus(path, after));
        EXPECT_EQ(after.m_attributes & (kAttrReadOnly | kAttrHidden), file.m_attributes);
        EXPECT_EQ(after.m_lastWriteTime, TimeOf(file));
        if (!RunsUnderWine()) {
            EXPECT_EQ(after.m_lastAccessTime, TimeOf(file) + 50);
        }
#ifndef _WIN32
        EXPECT_EQ(after.m_permissions, file.m_attributes & kAttrReadOnly ? 0444u : 0644u);
#endif
    }

    // With a backup, a file the scan changed has a whole copy of its old bytes, and no file a part
    // of one.
    void ExpectCopied(const std::string& path, const TreeFile& file, bool changed) const {
        const std::string copy = m_backupDir.empty() ? "" : MirrorPath(m_backupDir, path);
        EXPECT_TRUE(copy.empty() || (!changed && !fs::exists(copy)) ||
                    ReadBytes(copy) == file.m_bytes)
            << "no whole copy of the old bytes";
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
    TempDir m_keep;
    const std::string m_backupDir;  // empty: no backup
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
