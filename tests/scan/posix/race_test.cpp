// Files that change between the directory listing and their treatment: the
// scan logs a file's path just before it treats it, so a host that acts on
// that line plays another process racing the scan.
#include <fcntl.h>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <utility>

#include "scan/file_types.h"
#include "scan/scanner.h"
#include "support/capture_host.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using ::testing::AnyOf;
using ::testing::ElementsAre;

const char kInfected[] = "<script language>\nRem I am sorry! happy time\n</script>\nok\n";

class RaceTest : public ::testing::Test {
protected:
    // Scans the folder and runs race once, as the scan logs path just before
    // it treats the file (the problem list logs the path again).
    void ScanRacing(const std::string& path, const std::function<void()>& race) {
        m_host.m_masks = ParseFileTypes("*.htm");
        m_host.m_onLine = [path, race, raced = false](const std::string& line) mutable {
            if (line == path && !std::exchange(raced, true)) {
                race();
            }
        };
        ScanRoots({m_dir.Root().string()});
    }

    // Scans the folder, in which the racer's file is one of three infected
    // files; the other two are cleaned whatever happens to it. The racer gets
    // the read error line and ends the log as its only problem file.
    void ScanWithRace(const std::function<void()>& race) {
        m_dir.Write("a.htm", kInfected);
        m_dir.Write("racer.htm", kInfected);
        m_dir.Write("z.htm", kInfected);
        ScanRacing(Racer(), race);
        EXPECT_EQ(ReadBytes(m_dir.Path("a.htm")), "ok\n");
        EXPECT_EQ(ReadBytes(m_dir.Path("z.htm")), "ok\n");
        const auto racer = std::find(m_host.m_log.begin(), m_host.m_log.end(), Racer());
        ASSERT_GE(std::distance(racer, m_host.m_log.end()), 3);
        EXPECT_THAT(std::vector<std::string>(racer + 1, racer + 3),
                    ElementsAre(LogText::kReadError, ::testing::Not(::testing::StartsWith(" "))));
        EXPECT_THAT(std::vector<std::string>(m_host.m_log.end() - 2, m_host.m_log.end()),
                    ElementsAre(LogText::kProblemListHeading, Racer()));
    }

    std::string Racer() const { return m_dir.Path("racer.htm"); }

    CaptureHost m_host;
    TempDir m_dir;
};

TEST_F(RaceTest, FileThatVanishesIsAProblemAndIsNotMadeAgain) {
    ScanWithRace([this] { fs::remove(Racer()); });
    EXPECT_EQ(m_dir.Listing(), "a.htm\nz.htm\n");
}

// A directory is not a file: it is neither read nor given a file's status,
// and its times stay exact below the second.
TEST_F(RaceTest, FileReplacedByADirectoryIsAProblemAndTheDirectoryIsUntouched) {
    struct stat before {};
    ScanWithRace([this, &before] {
        fs::remove(Racer());
        fs::create_directory(Racer());
        m_dir.Write("racer.htm/inner.htm", kInfected);
        timespec times[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
        utimensat(AT_FDCWD, Racer().c_str(), times, 0);
        stat(Racer().c_str(), &before);
    });
    struct stat after {};
    ASSERT_EQ(stat(Racer().c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(ReadBytes(m_dir.Path("racer.htm/inner.htm")), kInfected)
        << "the walk took it for a file and does not enter it";
}

// A folder renamed while one of its files is treated, and another folder
// with a file of the same name put in its place: the file read is the file
// written, so each file ends as it was or as its own content cleaned, and
// neither ever gets the other's content.
TEST_F(RaceTest, FolderSwappedDuringATreatmentNeverMixesTwoFiles) {
    fs::create_directory(m_dir.Root() / "sub");
    m_dir.Write("sub/racer.htm", kInfected);
    ScanRacing(m_dir.Path("sub/racer.htm"), [this] {
        fs::rename(m_dir.Path("sub"), m_dir.Path("moved"));
        fs::create_directory(m_dir.Root() / "sub");
        m_dir.Write("sub/racer.htm", "put in place\n" + std::string(kInfected));
    });
    EXPECT_THAT(ReadBytes(m_dir.Path("moved/racer.htm")), AnyOf(kInfected, "ok\n"));
    EXPECT_THAT(ReadBytes(m_dir.Path("sub/racer.htm")),
                AnyOf("put in place\n" + std::string(kInfected), "put in place\nok\n"));
}

}  // namespace
