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

#include "scan/file_types.h"
#include "scan/scanner.h"
#include "support/capture_host.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using ::testing::AnyOf;
using ::testing::ElementsAre;

const char kInfected[] = "<script language>\nRem I am sorry! happy time\n</script>\nok\n";
using LogText::kReadError;

class RacingHost : public CaptureHost {
public:
    RacingHost(std::string path, std::function<void()> race)
        : m_path(std::move(path)), m_race(std::move(race)) {
        m_masks = ParseFileTypes("*.htm");
    }

    void AddLogLine(const std::string& line) override {
        CaptureHost::AddLogLine(line);
        if (line == m_path && !m_raced) {
            m_raced = true;  // once: the problem list logs the path again
            m_race();
        }
    }

private:
    std::string m_path;
    std::function<void()> m_race;
    bool m_raced = false;
};

class RaceTest : public ::testing::Test {
protected:
    // Scans the folder, in which the racer's file is one of three infected
    // files; the other two are cleaned whatever happens to it.
    std::vector<std::string> ScanWithRace(const std::function<void()>& race) {
        m_dir.Write("a.htm", kInfected);
        m_dir.Write("racer.htm", kInfected);
        m_dir.Write("z.htm", kInfected);
        RacingHost host(Racer(), race);
        ScanRoots({m_dir.Root().string()});
        EXPECT_EQ(ReadBytes(m_dir.Path("a.htm")), "ok\n");
        EXPECT_EQ(ReadBytes(m_dir.Path("z.htm")), "ok\n");
        return host.m_log;
    }

    // The log lines about the racer and the problem list.
    static std::vector<std::string> RacerLines(const std::vector<std::string>& log,
                                               const std::string& racer) {
        std::vector<std::string> lines;
        auto at = std::find(log.begin(), log.end(), racer);
        for (; at != log.end() && at->rfind("     ", 0) != 0; ++at) {
        }
        for (; at != log.end() && at->rfind("     ", 0) == 0; ++at) {
            lines.push_back(*at);
        }
        const auto list = std::find(log.begin(), log.end(), LogText::kProblemListHeading);
        lines.insert(lines.end(), list, log.end());
        return lines;
    }

    std::string Racer() const { return m_dir.Path("racer.htm"); }

    TempDir m_dir;
};

TEST_F(RaceTest, FileThatVanishesIsAProblemAndIsNotMadeAgain) {
    const std::vector<std::string> log = ScanWithRace([this] { fs::remove(Racer()); });
    EXPECT_THAT(RacerLines(log, Racer()),
                ElementsAre(kReadError, LogText::kProblemListHeading, Racer()));
    EXPECT_EQ(m_dir.Listing(), "a.htm\nz.htm\n");
}

// A directory is not a file: it is neither read nor given a file's status,
// and its times stay exact below the second.
TEST_F(RaceTest, FileReplacedByADirectoryIsAProblemAndTheDirectoryIsUntouched) {
    struct stat before {};
    const std::vector<std::string> log = ScanWithRace([this, &before] {
        fs::remove(Racer());
        fs::create_directory(Racer());
        m_dir.Write("racer.htm/inner.htm", kInfected);
        timespec times[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
        utimensat(AT_FDCWD, Racer().c_str(), times, 0);
        stat(Racer().c_str(), &before);
    });
    EXPECT_THAT(RacerLines(log, Racer()),
                ElementsAre(kReadError, LogText::kProblemListHeading, Racer()));
    struct stat after {};
    ASSERT_EQ(stat(Racer().c_str(), &after), 0);
    EXPECT_TRUE(S_ISDIR(after.st_mode));
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
TEST(FolderRaceTest, FolderSwappedDuringATreatmentNeverMixesTwoFiles) {
    const std::string block = "<script language>\nRem I am sorry! happy time\n</script>\n";
    TempDir dir;
    fs::create_directory(dir.Root() / "sub");
    dir.Write("sub/racer.htm", block + "walked\n");
    RacingHost host(dir.Path("sub/racer.htm"), [&dir, &block] {
        fs::rename(dir.Path("sub"), dir.Path("moved"));
        fs::create_directory(dir.Root() / "sub");
        dir.Write("sub/racer.htm", block + "put in place\n");
    });
    ScanRoots({dir.Root().string()});
    EXPECT_THAT(ReadBytes(dir.Path("moved/racer.htm")), AnyOf(block + "walked\n", "walked\n"));
    EXPECT_THAT(ReadBytes(dir.Path("sub/racer.htm")),
                AnyOf(block + "put in place\n", "put in place\n"));
}

}  // namespace
