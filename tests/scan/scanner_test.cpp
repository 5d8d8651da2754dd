#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <tuple>

#include "core/stop_flag.h"
#include "fileio/fault_injection.h"
#include "scan/file_types.h"
#include "scan/mask_match.h"
#include "scan/scan_stats.h"
#include "scan/scanner.h"
#include "support/capture_host.h"
#include "support/os_errors.h"
#include "support/temp_dir.h"

namespace {

using namespace LogText;
// Only the six ASCII blanks separate; a comma or a no-break space is part
// of a word, and a long word is kept whole.
TEST(ParseFileTypes, BlanksSeparateWordsAndNeverMakeEmptyMasks) {
    const std::string word(300, 'w');
    EXPECT_THAT(ParseFileTypes(" \t*.htm \t\r\n\v\f*.HTM  *.htm,*.html *.a\xA0*.b " + word),
                ::testing::ElementsAre("*.htm", "*.HTM", "*.htm,*.html", "*.a\xA0*.b", word));
    EXPECT_THAT(ParseFileTypes(" \t\r\n"), ::testing::IsEmpty());
}

TEST(ExtensionPattern, IsTakenFromTheLastDotOfTheWholePath) {
    EXPECT_EQ(ExtensionPattern("C:\\a\\page.old.HTM"), "*.HTM");
    EXPECT_EQ(ExtensionPattern("/w/.htaccess"), "*.htaccess");
    EXPECT_EQ(ExtensionPattern("C:\\my.site\\readme"), "*.site\\readme");
    EXPECT_EQ(ExtensionPattern("C:\\readme"), "");
}

// Whole strings, ignoring the case of ASCII letters and, in a double-byte
// code page, of its own letters by its upper-case table; "*.*" matches all.
TEST(MaskMatches, WholeStringsIgnoringCase) {
    // Full-width "a" (82 81) has the upper case full-width "A" (82 60); the
    // second byte of a character is never folded as an ASCII letter.
    const CodePage sjis = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x8281, 0x8260}});
    const CodePage sbcs = CodePage::SingleByte();
    // The mask, the pattern, the code page, whether the mask matches the pattern.
    const std::tuple<const char*, const char*, const CodePage&, bool> cases[] = {
        {"*.HtM", "*.hTm", sbcs, true},
        {"*.htm", "*.html", sbcs, false},
        {"*.ht?", "*.htm", sbcs, false},  // a mask is no wildcard
        {"htm", "*.htm", sbcs, false},
        {"*.\xE4", "*.\xC4", sbcs, false},  // only ASCII letters fold
        {"*.*", "", sbcs, true},
        {"*.*", "*.site\\readme", sbcs, true},
        {"*.htm", "", sbcs, false},
        {"*.\x82\x81", "*.\x82\x60", sjis, true},
        {"*.\x82\x60", "*.\x82\x81", sjis, true},
        {"*.\x82\x61X", "*.\x82\x61x", sjis, true},
        {"*.\x82\x61", "*.\x82\x41", sjis, false},
        {"*.\x82\x81", "*.\x82\x60", sbcs, false},
        {"*.\x82\x61", "*.\x82\x41", sbcs, true},
    };
    for (const auto& [mask, pattern, codePage, matches] : cases) {
        EXPECT_EQ(MaskMatches(mask, pattern, codePage), matches)
            << mask << " " << pattern << (&codePage == &sjis ? " sjis" : "");
    }
}

const char kInfected[] = "<script language>\nRem I am sorry! happy time\n</script>\n";
const char kUndelimited[] = "Rem I am sorry! happy time\n";

// A scan of a fresh folder by a host of the given kind.
template <typename Host>
class ScanWith : public ::testing::Test {
protected:
    ScanWith() { m_host.m_masks = ParseFileTypes("*.htm *.html"); }
    ~ScanWith() override { g_bStopScan = 0; }

    std::string Root() const { return m_dir.Root().string(); }
    std::string Banner() const { return DriveBanner(Root()); }

    Host m_host;
    TempDir m_dir;
};

using ScannerTest = ScanWith<CaptureHost>;

// A matching file is taken wherever it is, hidden or below a folder named
// like a page, once for each mask it matches.
TEST_F(ScannerTest, MatchingFilesAreTreatedWhereverTheyAreOncePerMask) {
    std::filesystem::create_directories(m_dir.Root() / "pages.htm" / "deep");
    const std::string infected =
        m_dir.Write((m_dir.Root() / "pages.htm" / "deep" / ".INDEX.HTM").string(), kInfected);
    m_dir.Write("index.htm.bak", kInfected);
    m_host.m_masks = ParseFileTypes("*.htm *.HTM");
    EXPECT_EQ(ScanRoots({Root()}).m_nTreated, 1);
    EXPECT_EQ(m_host.m_log, LogThenReport({Banner(), infected, kRemoveOk, infected, kEndBanner},
                                          ReportLines(2, 1, 0)));
    EXPECT_EQ(ReadBytes(infected), "");
}

// A folder that cannot be listed is told to the host, which may say so; the
// log stays the window's, and the walk goes on with the next entry.
TEST_F(ScannerTest, FolderThatCannotBeListedIsReportedAndTheWalkGoesOn) {
    for (const char* folder : {"one", "two"}) {
        std::filesystem::create_directory(m_dir.Root() / folder);
        m_dir.Write((m_dir.Root() / folder / "a.htm").string(), kInfected);
    }
    ClearFaults();
    InjectFault(FileCall::ListDirectory, 2, kIoError);
    EXPECT_EQ(ScanRoots({Root()}).m_nTreated, 1);
    ClearFaults();
    ASSERT_EQ(m_host.m_notScanned.size(), 1u);
    EXPECT_EQ(m_host.m_log.size(), 8u) << "the banners, one file and its line, the report";
}

// A stop before the scan, or during the first of several files, or during
// the very last file of the last root (the request is looked at once more
// after it): the file in hand finishes, nothing further is begun, and the
// log ends with the break banner and the report.
TEST_F(ScannerTest, FileBeingTreatedFinishesAndNoFurtherEntryIsTaken) {
    m_host.m_onLine = [](const std::string& line) {
        if (line == kRemoveOk) {
            g_bStopScan = 1;
        }
    };
    // Whether the stop comes before the scan, the files, the roots.
    const std::tuple<bool, int, std::size_t> cases[] = {{true, 1, 1}, {false, 3, 2}, {false, 1, 1}};
    for (const auto& [before, files, roots] : cases) {
        SCOPED_TRACE(std::to_string(files) + " files, " + std::to_string(roots) + " roots");
        TempDir dir;
        for (int i = 0; i < files; ++i) {
            dir.Write(std::to_string(i) + ".htm", kInfected);
        }
        m_host.m_log.clear();
        g_bStopScan = before ? 1 : 0;
        ScanRoots(std::vector<std::string>(roots, dir.Root().string()));
        EXPECT_EQ(m_host.m_log, before
                                    ? LogThenReport({kBreakBanner}, ReportLines(0, 0, 0))
                                    : LogThenReport({DriveBanner(dir.Root().string()),
                                                     m_host.m_log.at(1), kRemoveOk, kBreakBanner},
                                                    ReportLines(1, 1, 0)));
    }
}

// Fails as an allocation would, whenever the walk begins to list a folder.
class ThrowingHost : public CaptureHost {
public:
    void WalkingFolder(const std::string& /*fullPath*/) override { throw std::bad_alloc(); }
};

using ScannerException = ScanWith<ThrowingHost>;

// An exception out of the walk still ends the scan with the break banner,
// never the all-clear, and the report, whose problem files come in the
// order the log met them, and the next scan counts from zero.
TEST_F(ScannerException, EndsTheScanWithTheBreakAndTheReportAndClearsTheStatistics) {
    std::vector<std::string> roots;
    std::vector<std::string> log;
    std::vector<std::string> problems;
    for (const char* name : {"b.htm", "c.htm", "x.htm", "a.htm"}) {
        const bool cleanable = name[0] == 'x';
        const std::string path = m_dir.Write(name, cleanable ? kInfected : kUndelimited);
        roots.push_back(path);
        log.insert(log.end(),
                   {DriveBanner(path), path, cleanable ? kRemoveOk : kBlockNotDelimited});
        problems.insert(problems.end(), cleanable ? 0 : 1, path);
    }
    roots.push_back(Root());
    ScanRoots(roots);
    log.insert(log.end(), {Banner(), kBreakBanner});
    EXPECT_EQ(m_host.m_log, LogThenReport(log, ReportLines(4, 1, 3, problems)));
    EXPECT_EQ(g_scanStats.Totals().m_nChecked, 0);
}

}  // namespace
