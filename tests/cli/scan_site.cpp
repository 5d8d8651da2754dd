#include "scan_site.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <numeric>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "cli/sha256.h"
#include "fileio/file_status.h"

namespace fs = std::filesystem;

void MakeInfectedSite(const TempDir& dir) {
    fs::create_directories(dir.Root() / "pages" / "deep");
    const std::string block = kBlock;
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"index.htm", "<html>\n" + block + "</html>\n"},
             {"pages/crlf.html",
              "<p>\r\n<script language=x>\r\nRem I am sorry! happy time\r\n</script>\r\n"},
             {"pages/two.vbs", "a\n" + block + "b\n" + block},
             {"pages/locked.hta", "x\n" + block},
             {"pages/.hidden.htt", "y\n" + block},
             {"pages/broken.htm", "Rem I am sorry! happy time\n"},
             {"pages/deep/clean.htm", "<html>\n</html>\n"},
             {"style.css", block}}) {
        DateLongAgo(dir.Write(name, bytes));
    }
    fs::permissions(dir.Path("pages/locked.hta"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

std::vector<std::string> ChangedFiles(const TempDir& dir) {
    std::vector<std::string> changed;
    for (const char* name : {"index.htm", "pages/crlf.html", "pages/two.vbs", "pages/locked.hta",
                             "pages/.hidden.htt", "pages/broken.htm"}) {
        changed.push_back(dir.Path(name));
    }
    return changed;
}

ProcessResult Scan(const std::vector<std::string>& args, const std::string& program) {
    ChildProcess scan(program, args);
    std::future<ProcessResult> ended =
        std::async(std::launch::async, [&scan] { return scan.Wait(); });
    const bool hung = ended.wait_for(std::chrono::minutes(2)) == std::future_status::timeout;
    if (hung) {
        scan.Kill();
    }
    ProcessResult result = ended.get();
    EXPECT_FALSE(hung) << program << " hung:\n" << result.m_stdout;
    return result;
}

std::vector<std::string> OutputLines(const std::string& output) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = output.substr(start, end - start);
#ifdef _WIN32
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
#endif
        lines.push_back(line);
    }
    EXPECT_EQ(start, output.size()) << "the last line has no line break";
    return lines;
}

std::string SnapshotOf(const fs::path& root, bool withChangeTime) {
    std::set<std::string> lines;  // sorted, whatever order the walk met them in
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            const std::string path = entry.path().string();
            std::string line =
                path + " " + Sha256Hex(ReadBytes(path)) + " mode " +
                std::to_string(static_cast<int>(entry.status().permissions())) + " written " +
                std::to_string(fs::last_write_time(entry.path()).time_since_epoch().count());
#ifndef _WIN32
            struct stat info {};
            if (withChangeTime && stat(path.c_str(), &info) == 0) {
                line += " changed " + std::to_string(info.st_ctim.tv_sec) + "." +
                        std::to_string(info.st_ctim.tv_nsec);
            }
#else
            (void)withChangeTime;  // Windows has no change time to compare
#endif
            lines.insert(line + "\n");
        }
    }
    return std::accumulate(lines.begin(), lines.end(), std::string());
}

void DateLongAgo(const std::string& path) {
    FileStatus status;
    if (GetFileStatus(path, status)) {
        status.m_lastWriteTime = 1000000000;  // 2001-09-09, whole seconds as the engine keeps them
        status.m_lastAccessTime = status.m_lastWriteTime;
        status.m_lastWriteNanos = status.m_lastAccessNanos = 0;
        SetFileStatus(path, status);
    }
}
