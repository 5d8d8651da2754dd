// Names in the system's ANSI code page, read character by character (the
// path rules' own cases are with the rules): the window's names for its
// files, and the command's walk, backup and restore through a folder whose
// name ends in a trail byte 0x5C. Wine takes a program's code page from its
// locale, so this suite runs in a process of its own (see
// tests/CMakeLists.txt), and each test first checks that it runs in code
// page 932.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli/scan_site.h"
#include "code_page_932.h"
#include "core/log_text.h"
#include "framework/module_names.h"
#include "support/temp_dir.h"

namespace {

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
