// kelvane-scan killed (SIGKILL, as a crash or the OOM killer would) at random
// moments while it rewrites large infected files: every file is always its
// old or its new content, byte for byte, and what a kill leaves behind is a
// temporary file that says what it is and that no later scan treats.
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <thread>

#include "cli/scan_site.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 4;
constexpr std::size_t kHalfSize = 5 << 19;  // 5 MB a file, 20 MB in all
constexpr auto kKillingTime = std::chrono::seconds(15);

struct Versions {
    std::string m_old;
    std::string m_new;
};

// Short lines, a block in the middle and one at the end.
Versions MakeVersions(int index) {
    const std::string line = std::string(99, static_cast<char>('a' + index)) + "\n";
    std::string half;
    half.reserve(kHalfSize + line.size());
    while (half.size() < kHalfSize) {
        half += line;
    }
    return {half + kBlock + half + kBlock, half + half};
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

unsigned SeedOfThisRun() {
    const char* given = std::getenv("KELVANE_KILL_SEED");
    return given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                            : std::random_device()();
}

class KillTest : public ::testing::Test {
protected:
    KillTest() {
        for (int i = 0; i < kFiles; ++i) {
            m_versions.push_back(MakeVersions(i));
            WriteFile(PathOf(i), m_versions.back().m_old);
        }
    }

    fs::path PathOf(int index) const {
        return m_dir.Root() / ("page" + std::to_string(index) + ".htm");
    }

    void RestoreOldContents() const {
        for (int i = 0; i < kFiles; ++i) {
            if (fs::file_size(PathOf(i)) != m_versions[i].m_old.size()) {
                WriteFile(PathOf(i), m_versions[i].m_old);
            }
        }
    }

    // Every file old or new; every other entry a temporary file named
    // .kelvane-PID-N.kelvane-tmp, holding the start of one file's new
    // content. Returns the temporary files.
    std::vector<fs::path> CheckTree() const {
        static const std::regex temporary(R"(\.kelvane-[1-9]\d*-[1-9]\d*\.kelvane-tmp)");
        std::vector<fs::path> leftovers;
        int files = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(m_dir.Root())) {
            const std::string name = entry.path().filename().string();
            if (std::regex_match(name, temporary)) {
                const std::string bytes = ReadBytes(entry.path().string());
                EXPECT_TRUE(std::any_of(m_versions.begin(), m_versions.end(),
                                        [&bytes](const Versions& versions) {
                                            return versions.m_new.compare(0, bytes.size(), bytes) ==
                                                   0;
                                        }))
                    << name << " is not new content";
                leftovers.push_back(entry.path());
                continue;
            }
            ++files;
            ExpectOldOrNew(entry.path());
        }
        EXPECT_EQ(files, kFiles) << "a file was lost";
        return leftovers;
    }

    void ExpectOldOrNew(const fs::path& path) const {
        const std::string name = path.filename().string();
        ASSERT_TRUE(name.size() == 9 && name.rfind("page", 0) == 0) << "unexpected entry " << name;
        const Versions& versions = m_versions.at(static_cast<std::size_t>(name[4] - '0'));
        const std::string bytes = ReadBytes(path.string());
        EXPECT_TRUE(bytes == versions.m_old || bytes == versions.m_new)
            << name << " is neither old nor new: " << bytes.size() << " bytes";
    }

    std::string Root() const { return m_dir.Root().string(); }

    TempDir m_dir;
    std::vector<Versions> m_versions;
};

// Keeps the first leftovers for the scan that follows, removes the others
// so that the disk does not fill.
void KeepOrRemove(const std::vector<fs::path>& leftovers, std::vector<fs::path>& kept) {
    for (const fs::path& leftover : leftovers) {
        if (std::find(kept.begin(), kept.end(), leftover) != kept.end()) {
            continue;
        }
        if (kept.size() < 2) {
            kept.push_back(leftover);
        } else {
            fs::remove(leftover);
        }
    }
}

// A kill between a file's unprotection and the restoring of its status can
// leave its times changed; its bytes are always whole.
TEST_F(KillTest, EveryFileIsOldOrNewAfterEveryKillAndLeftoversAreNeverTreated) {
    const unsigned seed = SeedOfThisRun();
    std::printf("Kill test seed %u (KELVANE_KILL_SEED=%u repeats it)\n", seed, seed);
    std::mt19937 random(seed);
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(RunProgram("kelvane-scan", {Root()}).m_exitCode, 1);
    const auto wholeScan =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    std::uniform_int_distribution<long> moment(0, wholeScan.count() * 6 / 5);
    int kills = 0;
    std::vector<fs::path> kept;
    for (const Clock::time_point end = Clock::now() + kKillingTime;
         Clock::now() < end && !HasFailure();) {
        RestoreOldContents();
        ChildProcess scan("kelvane-scan", {Root()});
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        scan.Kill();
        kills += scan.Wait().m_exitCode == 128 + SIGKILL ? 1 : 0;
        KeepOrRemove(CheckTree(), kept);
    }
    std::printf("Kill test: %d kills survived, a whole scan taking %ld ms; %zu leftovers kept\n",
                kills, static_cast<long>(wholeScan.count() / 1000), kept.size());
    EXPECT_GT(kills, 0);
    if (kept.empty()) {
        // No kill left one this time: make one as a kill would.
        kept.push_back(m_dir.Root() / ".kelvane-99999-1.kelvane-tmp");
        WriteFile(kept.back(), m_versions[0].m_new.substr(0, 4096));
    }

    // Even with a mask that matches every file, a later scan does not treat
    // or log a leftover, and leaves it where it is.
    const ProcessResult after = RunProgram("kelvane-scan", {"--file-types", "*.*", Root()});
    EXPECT_EQ(after.m_stdout.find(".kelvane-tmp"), std::string::npos) << after.m_stdout;
    for (const fs::path& leftover : kept) {
        EXPECT_TRUE(fs::exists(leftover)) << leftover;
    }
    for (int i = 0; i < kFiles; ++i) {
        EXPECT_EQ(ReadBytes(PathOf(i).string()), m_versions[i].m_new);
    }
}

}  // namespace
