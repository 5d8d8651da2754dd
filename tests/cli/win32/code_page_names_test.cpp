// Names in the system's ANSI code page, read character by character: in code
// page 932 the trail byte of a character may be 0x5C, the backslash, or an
// ASCII letter; in every code page case is ignored for all letters. Wine
// takes a program's code page from its locale, so each code page's suite runs
// in a process of its own (see tests/CMakeLists.txt), and each test first
// checks that it runs in its own. Japanese characters are written as their
// bytes in code page 932.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli/glob.h"
#include "cli/path_text.h"
#include "cli/scan_site.h"
#include "core/log_text.h"
#include "framework/module_names.h"
#include "support/temp_dir.h"

namespace {

// 0x5C as a trail byte: U+8868, U+8868 U+793A, and U+30BD.
constexpr char kHyo[] = "\x95\x5c";
constexpr char kHyoji[] = "\x95\x5c\x8e\xa6";
constexpr char kSo[] = "\x83\x5c";
// U+30A2 and U+30C2, whose trail bytes are "A" and "a".
constexpr char kA[] = "\x83\x41";
constexpr char kDi[] = "\x83\x61";
// U+00C9 and U+00E9 in code page 1252.
constexpr char kEUpper[] = "\xc9";
constexpr char kELower[] = "\xe9";

std::string Join(std::initializer_list<std::string> parts) {
    std::string path;
    for (const std::string& part : parts) {
        path += path.empty() ? part : "\\" + part;
    }
    return path;
}

// The glob of --exclude, and the rule behind "the backup folder lies outside
// every PATH" and the PATH filter of a restore. Rows are traced by their
// names: their bytes are no text in a test's log.
struct PathRuleCase {
    const char* m_name;
    bool (*m_rule)(const std::string& path, const std::string& pattern);
    std::string m_path;
    std::string m_pattern;
    bool m_holds;
};

bool Glob(const std::string& path, const std::string& glob) {
    return GlobMatches(glob, path);
}

void ExpectPathRules(const std::vector<PathRuleCase>& rows) {
    for (const PathRuleCase& row : rows) {
        SCOPED_TRACE(row.m_name);
        EXPECT_EQ(row.m_rule(row.m_path, row.m_pattern), row.m_holds);
    }
}

TEST(CodePage932, PathRulesCompareWholeCharacters) {
    ASSERT_EQ(GetACP(), 932u);
    ExpectPathRules({
        {"GlobStarRunsOverATrailBackslash", Glob, Join({"C:", "web", kHyoji, "x.htm"}),
         "C:\\web\\*\\x.htm", true},
        {"GlobQuestionMarkIsADoubleByteCharacter", Glob, Join({"C:", "web", kHyo, "x.htm"}),
         "C:\\web\\?\\x.htm", true},
        {"GlobTrailLettersKeepTheirCase", Glob, Join({"C:", "web", kDi}), Join({"C:", "web", kA}),
         false},
        {"BelowTrailBackslashEndsNoFolder", IsAtOrBelow, Join({"C:", "web", kHyoji, "bk"}),
         Join({"C:", "web", kHyo}), false},
        {"BelowFolderEndingInATrailBackslash", IsAtOrBelow, Join({"C:", "web", kHyo, "bk"}),
         Join({"C:", "web", kHyo}), true},
        {"BelowTrailLettersKeepTheirCase", IsAtOrBelow, Join({"C:", "web", kDi, "bk"}),
         Join({"C:", "web", kA}), false},
    });
}

TEST(CodePage1252, PathRulesFoldAccentedLetters) {
    ASSERT_EQ(GetACP(), 1252u);
    ExpectPathRules({
        {"Glob", Glob, Join({"c:", "web", kELower + std::string("t.htm")}),
         Join({"C:", "web", kEUpper + std::string("T.HTM")}), true},
        {"Below", IsAtOrBelow, Join({"C:", "WEB", kEUpper + std::string("T"), "x.htm"}),
         Join({"c:", "web", kELower + std::string("t")}), true},
    });
}

// The names the window derives from its own program file's.
TEST(CodePage932, ModuleNamesEndAtTheLastWholeSeparator) {
    ASSERT_EQ(GetACP(), 932u);
    const std::string program = Join({"C:", "dir", kSo + std::string(".exe")});
    EXPECT_EQ(BaseNameOf(program), kSo);
    EXPECT_EQ(BesideFile(program, "kelvane.html"), "C:\\dir\\kelvane.html");
}

// The walk, through the command (the window walks with the same code): from
// the folder above, or from a PATH that is the folder itself; and the copy a
// backup keeps of the page, in a backup folder that lies in such a folder
// too, which a restore of that PATH puts back. The page's own name holds the
// same byte, which must split neither its temporary file's name nor its
// copy's path.
TEST(CodePage932, InfectedPageInAFolderEndingInATrailBackslashIsCleanedAndRestored) {
    ASSERT_EQ(GetACP(), 932u);
    for (const bool pathIsTheFolder : {false, true}) {
        SCOPED_TRACE(pathIsTheFolder ? "given as the PATH" : "entered by the walk");
        const TempDir dir;
        const TempDir backupParent;
        const std::string backupFolder = Join({backupParent.Root().string(), kHyo});
        const std::string backup = Join({backupFolder, "bk"});
        const std::string folder = Join({dir.Root().string(), kHyo});
        ASSERT_TRUE(CreateDirectoryA(backupFolder.c_str(), nullptr) &&
                    CreateDirectoryA(folder.c_str(), nullptr));
        const std::string page = Join({folder, kHyo + std::string(".htm")});
        const std::string infected = std::string("<html>\n") + kBlock;
        ASSERT_TRUE(std::ofstream(page, std::ios::binary) << infected);
        const std::string path = pathIsTheFolder ? folder : dir.Root().string();
        const ProcessResult result = Scan({"--backup-dir", backup, path});
        const std::vector<std::string> log = OutputLines(result.m_stdout);
        ASSERT_GE(log.size(), 2u) << result.m_stderr;
        EXPECT_THAT(std::vector<std::string>(log.begin(), log.begin() + 2),
                    ::testing::ElementsAre(LogText::DriveBanner(path), page));
        EXPECT_EQ(ReadBytes(page), "<html>\n");
        // The copy lies at the page's own path below the backup folder ("C:\" as "C\").
        EXPECT_EQ(ReadBytes(Join({backup, "C", page.substr(3)})), infected);
        const ProcessResult restore = Scan({"--restore", backup, folder});
        EXPECT_THAT(OutputLines(restore.m_stdout), ::testing::ElementsAre("Restored " + page))
            << restore.m_stderr;
        EXPECT_EQ(ReadBytes(page), infected);
    }
}

}  // namespace
