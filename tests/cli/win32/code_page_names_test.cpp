// Names in the system's ANSI code page, read character by character: in code
// page 932 the trail byte of a character may be 0x5C, the backslash, or an
// ASCII letter; in every code page case is ignored for all letters. Wine
// takes a program's code page from its locale, so the cases of each code
// page run in a process of their own (see tests/CMakeLists.txt). Japanese
// characters are written as their bytes in code page 932.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
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

template <typename Case>
std::vector<Case> InCodePage(const std::vector<Case>& cases, unsigned codePage) {
    std::vector<Case> chosen;
    for (const Case& row : cases) {
        if (row.m_codePage == codePage) {
            chosen.push_back(row);
        }
    }
    return chosen;
}

template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.m_name;
}

// Each row's code page must be the process's, or the row proves nothing.
template <typename Case>
class CodePageTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { ASSERT_EQ(GetACP(), this->GetParam().m_codePage); }
};

// The glob of --exclude, and the rule behind "the backup folder lies outside
// every PATH" and the PATH filter of a restore. Rows are shown by their
// names: their bytes are no text in a test's log.
struct PathRuleCase {
    std::string m_name;
    unsigned m_codePage;
    bool (*m_rule)(const std::string& path, const std::string& pattern);
    std::string m_path;
    std::string m_pattern;
    bool m_holds;
};

void PrintTo(const PathRuleCase& row, std::ostream* out) {
    *out << row.m_name;
}

bool Glob(const std::string& path, const std::string& glob) {
    return GlobMatches(glob, path);
}

using PathRuleTest = CodePageTest<PathRuleCase>;

TEST_P(PathRuleTest, ComparesWholeCharacters) {
    EXPECT_EQ(GetParam().m_rule(GetParam().m_path, GetParam().m_pattern), GetParam().m_holds);
}

const std::vector<PathRuleCase> kPathRuleCases = {
    {"GlobStarRunsOverATrailBackslash", 932, Glob, Join({"C:", "web", kHyoji, "x.htm"}),
     "C:\\web\\*\\x.htm", true},
    {"GlobQuestionMarkIsADoubleByteCharacter", 932, Glob, Join({"C:", "web", kHyo, "x.htm"}),
     "C:\\web\\?\\x.htm", true},
    {"GlobTrailLettersKeepTheirCase", 932, Glob, Join({"C:", "web", kDi}), Join({"C:", "web", kA}),
     false},
    {"GlobAccentedLettersFoldAlike", 1252, Glob,
     Join({"c:", "web", kELower + std::string("t.htm")}),
     Join({"C:", "web", kEUpper + std::string("T.HTM")}), true},
    {"BelowTrailBackslashEndsNoFolder", 932, IsAtOrBelow, Join({"C:", "web", kHyoji, "bk"}),
     Join({"C:", "web", kHyo}), false},
    {"BelowFolderEndingInATrailBackslash", 932, IsAtOrBelow, Join({"C:", "web", kHyo, "bk"}),
     Join({"C:", "web", kHyo}), true},
    {"BelowTrailLettersKeepTheirCase", 932, IsAtOrBelow, Join({"C:", "web", kDi, "bk"}),
     Join({"C:", "web", kA}), false},
    {"BelowAccentedLettersFoldAlike", 1252, IsAtOrBelow,
     Join({"C:", "WEB", kEUpper + std::string("T"), "x.htm"}),
     Join({"c:", "web", kELower + std::string("t")}), true},
};

INSTANTIATE_TEST_SUITE_P(CodePage932, PathRuleTest,
                         ::testing::ValuesIn(InCodePage(kPathRuleCases, 932)),
                         CaseName<PathRuleCase>);
INSTANTIATE_TEST_SUITE_P(CodePage1252, PathRuleTest,
                         ::testing::ValuesIn(InCodePage(kPathRuleCases, 1252)),
                         CaseName<PathRuleCase>);

// The names the window derives from its own program file's.
struct ModuleNameCase {
    std::string m_name;
    unsigned m_codePage;
    std::string (*m_derive)(const std::string& programPath);
    std::string m_derived;
};

void PrintTo(const ModuleNameCase& row, std::ostream* out) {
    *out << row.m_name;
}

using ModuleNameTest = CodePageTest<ModuleNameCase>;

TEST_P(ModuleNameTest, FileNameEndsAtTheLastWholeSeparator) {
    const std::string program = Join({"C:", "dir", kSo + std::string(".exe")});
    EXPECT_EQ(GetParam().m_derive(program), GetParam().m_derived);
}

std::string ManualBeside(const std::string& programPath) {
    return BesideFile(programPath, "kelvane.html");
}

INSTANTIATE_TEST_SUITE_P(CodePage932, ModuleNameTest,
                         ::testing::Values(ModuleNameCase{"BaseName", 932, BaseNameOf, kSo},
                                           ModuleNameCase{"ManualBeside", 932, ManualBeside,
                                                          "C:\\dir\\kelvane.html"}),
                         CaseName<ModuleNameCase>);

// The walk, through the command (the window walks with the same code): from
// the folder above, or from a PATH that is the folder itself; and the copy a
// backup keeps of the page, in a backup folder that lies in such a folder
// too, which a restore of that PATH puts back. The page's own name holds the
// same byte, which must split neither its temporary file's name nor its
// copy's path.
struct WalkCase {
    std::string m_name;
    unsigned m_codePage;
    bool m_pathIsTheFolder;
};

void PrintTo(const WalkCase& row, std::ostream* out) {
    *out << row.m_name;
}

using WalkTest = CodePageTest<WalkCase>;

// Makes a folder named kHyo in parent; returns its path.
std::string HyoFolderIn(const TempDir& parent) {
    const std::string folder = Join({parent.Root().string(), kHyo});
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
    return folder;
}

TEST_P(WalkTest, InfectedPageInAFolderEndingInATrailBackslashIsCleanedAndRestored) {
    const TempDir dir;
    const TempDir backupParent;
    const std::string backup = Join({HyoFolderIn(backupParent), "bk"});
    const std::string folder = HyoFolderIn(dir);
    const std::string page = Join({folder, kHyo + std::string(".htm")});
    const std::string infected = std::string("<html>\n") + kBlock;
    const HANDLE file = CreateFileA(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file, infected.data(), static_cast<DWORD>(infected.size()), &written, nullptr));
    CloseHandle(file);
    const std::string path = GetParam().m_pathIsTheFolder ? folder : dir.Root().string();
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

INSTANTIATE_TEST_SUITE_P(CodePage932, WalkTest,
                         ::testing::Values(WalkCase{"EnteredByTheWalk", 932, false},
                                           WalkCase{"GivenAsThePath", 932, true}),
                         CaseName<WalkCase>);

}  // namespace
