// Searching ahead on several threads must not change what a scan does: the
// log, standard error, the report, the exit status and every file's end
// state are those of the scan that searches each file in its turn.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "cli/json.h"
#include "core/stop_flag.h"
#include "scan/file_types.h"
#include "scan/scanner.h"
#include "scan_site.h"
#include "support/capture_host.h"

namespace fs = std::filesystem;

namespace {

constexpr char kUndelimited[] = "<script language=x>\nRem I am sorry! happy time\n";

// Pages in folder, every nth holding block (none when nth is 0), all dated
// long ago so that two trees grown alike are alike.
void Pages(const TempDir& dir, const fs::path& folder, int pages, int nth,
           const std::string& block = kBlock) {
    fs::create_directories(dir.Root() / folder);
    for (int i = 0; i < pages; ++i) {
        const bool holds = nth != 0 && i % nth == 0;
        const std::string name = "p" + std::to_string(i) + (i % 2 == 0 ? ".htm" : ".vbs");
        DateLongAgo(dir.Write((folder / name).string(),
                              "<p>" + std::to_string(i) + "</p>\n" + (holds ? block : "")));
    }
}

// Pages spread over folders, a few of them side by side in each of five.
void Folders(const TempDir& dir, int folders, int pages, int nth) {
    for (int f = 0; f < folders; ++f) {
        Pages(dir, fs::path("f" + std::to_string(f % 5)) / ("g" + std::to_string(f)), pages, nth);
    }
}

// Links beside the pages of every folder below folder, where the system makes them.
void Links(const TempDir& dir, const fs::path& folder) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.Root() / folder)) {
        if (entry.is_directory()) {
            std::error_code unsupported;
            fs::create_symlink("p0.htm", entry.path() / "link.htm", unsupported);
            fs::create_directory_symlink("..", entry.path() / "up", unsupported);
        }
    }
}

// One tree holds every case a search ahead could get wrong: the infected
// site, a folder of many small clean files, folders of infected and of
// undelimited pages, links, and a chain of folders deeper than the queue.
void Grow(const TempDir& d) {
    MakeInfectedSite(d);
    Pages(d, "big", 300, 0);
    Folders(d, 30, 7, 3);
    for (int f = 0; f < 20; ++f) {
        Pages(d, fs::path("u") / std::to_string(f), 5, 2, kUndelimited);
    }
    Links(d, "f1");
    fs::path folder = "d";
    for (int depth = 0; depth < 40; ++depth, folder /= "d") {
        Pages(d, folder, 3, 2);
    }
}

// The ways to scan it: a row's options, and its PATHs below the tree ("" for
// the tree itself).
struct Way {
    const char* m_name;
    std::vector<std::string> m_options;
    std::vector<std::string> m_paths;
};

const Way kWays[] = {
    {"Removing", {}, {""}},
    {"DryRun", {"--dry-run"}, {""}},
    {"KeepingOnError", {"--keep-on-error"}, {""}},
    {"TwoMasksMatchOneFile", {"--file-types", "*.htm *.*"}, {""}},
    {"TwoPaths", {}, {"f1", "f0"}},
};

// The text with the tree's own folder named alike, as is and as JSON writes it.
std::string Rooted(std::string text, const std::string& root) {
    const std::string json = JsonString(root);
    for (const std::string& form : {root, json.substr(1, json.size() - 2)}) {
        for (std::size_t at; (at = text.find(form)) != std::string::npos;) {
            text.replace(at, form.size(), "ROOT");
        }
    }
    return text;
}

std::string WithoutDuration(std::string report) {
    const std::size_t at = report.rfind(",\"duration_s\":");
    return at == std::string::npos ? report : report.erase(at, report.find('}', at) - at);
}

// What a scan left, but for the time it took: its exit status, log, standard
// error, report and files, one part after another.
std::string ScanWithJobs(const Way& way, int jobs) {
    TempDir site;
    TempDir out;
    Grow(site);
    const std::string root = site.Root().string();
    std::vector<std::string> args = way.m_options;
    args.insert(args.end(), {"--jobs", std::to_string(jobs), "--report", out.Path("r.jsonl")});
    for (const std::string& path : way.m_paths) {
        args.push_back(site.Path(path));
    }
    const ProcessResult result = Scan(args);
    return Rooted("status " + std::to_string(result.m_exitCode) + "\nlog:\n" + result.m_stdout +
                      "errors:\n" + result.m_stderr + "report:\n" +
                      WithoutDuration(ReadBytes(out.Path("r.jsonl"))) + "files:\n" +
                      SnapshotOf(site.Root(), false),
                  root);
}

class SameScanTest : public ::testing::TestWithParam<Way> {};

TEST_P(SameScanTest, AsTheScanThatSearchesEachFileInItsTurn) {
    const std::string serial = ScanWithJobs(GetParam(), 1);
    ASSERT_NE(serial.find(LogText::kEndBanner), std::string::npos) << serial;
    for (const int jobs : {2, 8}) {
        EXPECT_EQ(ScanWithJobs(GetParam(), jobs), serial) << jobs << " threads";
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, SameScanTest, ::testing::ValuesIn(kWays),
                         [](const auto& info) { return std::string(info.param.m_name); });

// The infected page of every folder (of eight pages) that vanishes as the
// walk meets it.
constexpr char kVanishing[] = "p6.htm";

// Deletes the vanishing pages as the walk meets them, before anything reads
// them, and stops the scan as the given line is logged.
class SteeringHost : public CaptureHost {
public:
    bool Excludes(const std::string& path) const override {
        if (path.find(kVanishing) != std::string::npos) {
            fs::remove(path);
        }
        return false;
    }
    void AddLogLine(const std::string& line) override {
        CaptureHost::AddLogLine(line);
        if (!m_stopAt.empty() && line.find(m_stopAt) != std::string::npos) {
            g_bStopScan = 1;
        }
    }
    std::string m_stopAt;
};

// The log (the tree's folder named ROOT) and the tree an in-process scan leaves.
std::pair<std::vector<std::string>, std::string> ScanInProcess(int threads,
                                                               const std::string& stopAt) {
    TempDir site;
    Folders(site, 12, 8, 3);
    SteeringHost host;
    host.m_masks = ParseFileTypes(kDefaultFileTypes);
    host.m_nSearchThreads = threads;
    host.m_stopAt = stopAt;
    ScanRoots({site.Root().string()});
    g_bStopScan = 0;
    std::vector<std::string> log;
    for (const std::string& line : host.m_log) {
        log.push_back(Rooted(line, site.Root().string()));
    }
    // How far ahead the walk deleted pages is not the scan's doing.
    std::string files;
    std::istringstream snapshot(Rooted(SnapshotOf(site.Root(), false), site.Root().string()));
    for (std::string line; std::getline(snapshot, line);) {
        files += line.find(kVanishing) == std::string::npos ? line + "\n" : "";
    }
    return {log, files};
}

TEST(SameScanInProcess, FilesThatVanishAndStopsAtRandomFilesEndAsInTheirTurn) {
    const std::vector<std::string> fullLog = ScanInProcess(1, "").first;
    ASSERT_EQ(std::count(fullLog.begin(), fullLog.end(), LogText::kReadError), 12);
    std::vector<std::string> files;  // as the log names them, up to its closing banner
    for (auto line = fullLog.begin(); *line != LogText::kEndBanner; ++line) {
        if (line->rfind("ROOT", 0) == 0) {
            files.push_back(line->substr(4));
        }
    }
    std::mt19937 random(20261207);
    for (int i = 0; i <= 6; ++i) {  // once without a stop, then at six random files
        const std::string stopAt = i == 0 ? "" : files[random() % files.size()];
        SCOPED_TRACE("stopped at " + stopAt);
        const auto serial = ScanInProcess(1, stopAt);
        for (int threads : {2, 8}) {
            EXPECT_EQ(ScanInProcess(threads, stopAt), serial) << threads << " threads";
        }
    }
}

}  // namespace
