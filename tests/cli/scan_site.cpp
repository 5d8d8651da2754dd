#include "scan_site.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>

#include "tree_snapshot.h"

namespace fs = std::filesystem;

void MakeInfectedSite(const TempDir& dir) {
    fs::create_directories(dir.Root() / "pages" / "deep");
    const fs::path pages = "pages";
    const std::string block = kBlock;
    for (const auto& [name, bytes] : std::vector<std::pair<fs::path, std::string>>{
             {"index.htm", "<html>\n" + block + "</html>\n"},
             {pages / "crlf.html",
              "<p>\r\n<script language=x>\r\nRem I am sorry! happy time\r\n</script>\r\n"},
             {pages / "two.vbs", "a\n" + block + "b\n" + block},
             {pages / "locked.hta", "x\n" + block},
             {pages / ".hidden.htt", "y\n" + block},
             {pages / "broken.htm", "Rem I am sorry! happy time\n"},
             {pages / "deep" / "clean.htm", "<html>\n</html>\n"},
             {"style.css", block}}) {
        DateLongAgo(dir.Write(name.string(), bytes));
    }
    fs::permissions(dir.Root() / pages / "locked.hta",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

std::vector<std::string> ChangedFiles(const TempDir& dir) {
    std::vector<std::string> changed = {dir.Path("index.htm")};
    for (const char* name : {"crlf.html", "two.vbs", "locked.hta", ".hidden.htt", "broken.htm"}) {
        changed.push_back((dir.Root() / "pages" / name).string());
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
