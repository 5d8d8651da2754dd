// kelvane-scan on trees that try to break it: odd names, special files with
// a matching name, a directory mounted inside itself, one huge line.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

#include "cli/base64.h"
#include "cli/json_name.h"
#include "cli/scan_site.h"
#include "core/log_text.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Runs kelvane-scan under a wrapper command ("unshare -m ...", "setpriv
// ...", a shell with a lower limit) that ends by running its arguments:
// the wrapper's own values, if any, then the program and args.
ProcessResult ScanWrapped(const std::string& wrapper, std::vector<std::string> args,
                          std::vector<std::string> values = {}) {
    values.insert(values.begin(), {"-c", wrapper + " \"$@\"", "sh"});
    values.push_back(ProgramBesideTest("kelvane-scan"));
    args.insert(args.begin(), values.begin(), values.end());
    return Scan(args, "/bin/sh");
}

// Whether this machine lets a test make a private mount namespace.
bool CanMountPrivately() {
    return std::system("unshare -m true 2>/dev/null") == 0;
}

// Names of every kind through a scan with a report and a backup, and back
// through --restore. A name's bytes are logged as they are (with a newline
// the log line spans two lines of standard output) and the file is cleaned
// like any other; each report line is strict JSON naming its file byte for
// byte; every file, the deleted one (the first) included, comes back.
TEST(HostileTree, EveryNameIsCleanedLoggedReportedAndRestoredByteForByte) {
    std::string controls(0x1f, '\0');
    std::iota(controls.begin(), controls.end(), '\1');
    const std::vector<std::string> names = {
        "bad\xff.htm",
        "with  spaces .htm",
        ".leading-dot.htm",
        "-dash.htm",
        " .htm",
        "latin1-\xe9\xe8.htm",
        "utf8-\xc3\xa9\xf0\x9f\x98\x80.htm",
        "cesu-\xed\xa0\x80.htm",
        controls + "\x7f.htm",
        "quote\"back\\slash.htm",
        std::string(251, 'n') + ".htm",  // as long as a name can be
        "ends-in-backslash\\/page.htm",  // a backslash separates nothing here
    };
    const std::string infected = std::string("<p>\n") + kBlock;
    TempDir site;
    TempDir keep;
    fs::create_directory(site.Path("ends-in-backslash\\"));
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        paths.push_back(
            site.Write(name, paths.empty() ? "Rem I am sorry! happy time\n" : infected));
    }
    const std::string backup = keep.Path("backup");
    const std::string report = keep.Path("report.jsonl");
    const ProcessResult scan =
        Scan({"--backup-dir", backup, "--report", report, site.Root().string()});
    EXPECT_EQ(scan.m_exitCode, 2);
    for (std::size_t i = 1; i < paths.size(); ++i) {
        EXPECT_EQ(ReadBytes(paths[i]), "<p>\n") << JsonString(paths[i]);
        EXPECT_THAT(scan.m_stdout, HasSubstr(paths[i] + "\n" + LogText::kRemoveOk + "\n"));
    }
    EXPECT_EQ(site.Listing().find(".kelvane-tmp"), std::string::npos);
    std::istringstream lines(ReadBytes(report));
    std::vector<std::string> reported;
    JsonObject summary;
    for (std::string line; std::getline(lines, line);) {
        const std::optional<JsonObject> object = ParseJsonObject(line);
        ASSERT_TRUE(object) << line;
        if (const std::optional<std::string> path = NameMember(*object, "path")) {
            reported.push_back(*path);
        } else {
            summary = *object;
        }
    }
    EXPECT_THAT(reported, ::testing::UnorderedElementsAreArray(paths));
    // The deleted page, the one problem file, has no UTF-8 form.
    EXPECT_TRUE(summary.at("problem_files").m_items.empty());
    EXPECT_EQ(summary.at(Base64Key("problem_files")).m_items,
              std::vector<std::string>{Base64(paths[0])});
    const ProcessResult restore = Scan({"--restore", backup});
    EXPECT_EQ(restore.m_exitCode, 0) << restore.m_stdout << restore.m_stderr;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(ReadBytes(paths[i]), i == 0 ? "Rem I am sorry! happy time\n" : infected)
            << JsonString(paths[i]);
    }
}

// A read-only medium holding a folder bind-mounted on the medium's own
// root, a loop no link shows: the walk sees the root again on its own
// branch, does not enter it, and says so, for the scan did not cover what
// the mount hides. So is another file system mounted below the PATH, unless
// it is a PATH too. A clean page is no problem at all; an infected one
// cannot be cleaned, and says so with the write error.
TEST(HostileTree, ReadOnlyMediumMountedInsideItselfIsWalkedOnceWithOnlyInfectedProblems) {
    if (!CanMountPrivately()) {
        GTEST_SKIP() << "no private mount namespace here (unshare -m)";
    }
    TempDir source;
    source.Write("clean.htm", "<p>clean</p>\n");
    source.Write("infected.htm", kBlock);
    TempDir medium;
    const std::string root = medium.Root().string();
    const ProcessResult result = ScanWrapped(
        "unshare -m sh -c 'mount -t tmpfs -o size=1m tmpfs \"$0\" && cp -p \"$1\"/* \"$0\" && "
        "mkdir -p \"$0/sub/loop\" \"$0/other\" \"$0/given\" && "
        "mount --bind \"$0\" \"$0/sub/loop\" && mount -t tmpfs tmpfs \"$0/other\" && "
        "mount -t tmpfs tmpfs \"$0/given\" && mount -o remount,ro \"$0\" && "
        "shift && exec \"$@\"'",
        {root, root + "/given"}, {root, source.Root().string()});
    EXPECT_EQ(result.m_exitCode, 2) << result.m_stdout;
    EXPECT_THAT(result.m_stderr, HasSubstr(root + "/sub/loop: not scanned: "));
    EXPECT_THAT(result.m_stderr,
                HasSubstr(root + "/other: not scanned: it is another file system"));
    EXPECT_THAT(result.m_stderr, ::testing::Not(HasSubstr("given: not scanned")));
    const std::string infected = root + "/infected.htm";
    EXPECT_THAT(result.m_stdout, HasSubstr(infected + "\n" + LogText::kRemoveOk + "\n" +
                                           LogText::kWriteError + "\n"));
    EXPECT_THAT(result.m_stdout, HasSubstr(LogText::CheckedCount(2) + "\n"));
    EXPECT_THAT(result.m_stdout, ::testing::EndsWith(std::string(LogText::kProblemListHeading) +
                                                     "\n" + infected + "\n"));
}

// --all-drives in a private mount namespace, chrooted into a tmpfs (no
// drive itself) that holds the program, so that the only drives are the
// test's bind mounts and the scan a dry run: a mount point with a blank, a
// tab, a newline and a backslash is a drive like any other, and a folder
// mounted again inside the walked drives is walked once.
TEST(HostileTree, AllDrivesFindsOddMountPointsAndWalksARemountedFolderOnce) {
    if (!CanMountPrivately()) {
        GTEST_SKIP() << "no private mount namespace here (unshare -m)";
    }
    TempDir dir;
    for (const char* page : {"site/page.htm", "site/inner/inner.htm", "odd/odd.htm"}) {
        fs::create_directories(fs::path(dir.Path(page)).parent_path());
        dir.Write(page, kBlock);
    }
    const std::string odd = "/odd \t\n\\ drive";
    const ProcessResult result = ScanWrapped(
        "unshare -m sh -c '"
        "set -e; r=\"$0/root\"; mkdir \"$r\"; mount -t tmpfs tmpfs \"$r\"; "
        "mkdir \"$r/proc\" \"$r/site\" \"$r/again\" \"$r$1\"; "
        "mount --bind \"$0/site\" \"$r/site\"; mount --bind \"$0/site/inner\" \"$r/again\"; "
        "mount --bind \"$0/odd\" \"$r$1\"; "
        "for f in \"$2\" $(ldd \"$2\" | grep -o \"/[^ ]*\"); do "
        "mkdir -p \"$r$(dirname \"$f\")\"; cp \"$f\" \"$r$f\"; done; "
        "mount -t proc proc \"$r/proc\"; shift; exec chroot \"$r\" \"$@\"'",
        {"--dry-run", "--all-drives"}, {dir.Root().string(), odd});
    EXPECT_EQ(result.m_exitCode, 1) << result.m_stdout << result.m_stderr;
    EXPECT_THAT(result.m_stdout, HasSubstr("\n/site/inner/inner.htm\n"));
    EXPECT_THAT(result.m_stdout, HasSubstr("\n" + odd + "/odd.htm\n"));
    EXPECT_THAT(result.m_stdout, HasSubstr(LogText::CheckedCount(3) + "\n"));
}

// A chain of folders far longer than a path may be, each made and entered
// from the last, with an infected page at the bottom.
void MakeDeepChain(const fs::path& root, int levels) {
    const fs::path cwd = fs::current_path();
    fs::current_path(root);
    for (int i = 0; i < levels; ++i) {
        fs::create_directory("abcdefghijklmnopqrstuvwxyz");
        fs::current_path("abcdefghijklmnopqrstuvwxyz");
    }
    std::ofstream("deep.htm", std::ios::binary) << kBlock;
    fs::current_path(cwd);
}

// Deeper than a path may be long, and than the descriptors the process may
// hold, even with its hard limit at 64: the page at the bottom is cleaned.
TEST(HostileTree, TreeDeeperThanPathsAndDescriptorsIsWalkedToTheBottom) {
    TempDir dir;
    dir.Write("top.htm", kBlock);
    MakeDeepChain(dir.Root(), 320);
    const ProcessResult result =
        ScanWrapped("sh -c 'ulimit -n 64 && exec \"$@\"' sh", {dir.Root().string()});
    EXPECT_EQ(result.m_exitCode, 1) << result.m_stderr;
    EXPECT_THAT(result.m_stdout, HasSubstr(LogText::TreatedCount(2) + "\n"));
    EXPECT_EQ(result.m_stderr, "");
    fs::remove_all(dir.Root());  // before the folder's own cleanup, which stops at PATH_MAX
}

// What the walk leaves out is never an all-clear: a folder it may not list
// is said on standard error and in the report, and the exit status is 2; a
// link is in the report alone; a FIFO with no writer, a device and a socket
// named like pages are not read, so they neither hang the scan nor change.
// Nothing outside the tree changes; the page the scan may write is cleaned.
TEST(HostileTree, WhatTheWalkLeavesOutIsReportedAndNothingOutsideChanges) {
    TempDir outside;
    const std::string target = outside.Write("page.htm", kBlock);
    TempDir dir;
    fs::create_directory(dir.Root() / "locked");
    dir.Write("locked/page.htm", kBlock);
    fs::permissions(dir.Root() / "locked", fs::perms::owner_all);
    ASSERT_EQ(symlink(target.c_str(), dir.Path("link.htm").c_str()), 0);
    ASSERT_EQ(symlink(outside.Root().c_str(), dir.Path("out").c_str()), 0);
    const std::string page = dir.Write("page.htm", std::string(kBlock) + "ok\n");
    ASSERT_EQ(mkfifo(dir.Path("fifo.htm").c_str(), 0644), 0);
    const bool device = mknod(dir.Path("null.htm").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    ASSERT_EQ(mknod(dir.Path("sock.htm").c_str(), S_IFSOCK | 0644, 0), 0);
    // Another user, for root reads every folder; the tree and its page are
    // theirs, the locked folder is not.
    ASSERT_EQ(chown(dir.Root().c_str(), 4242, 4242) + chown(page.c_str(), 4242, 4242), 0);
    const std::string report = outside.Write("report.jsonl", "");
    fs::permissions(report, fs::perms::all);
    const ProcessResult result = ScanWrapped("setpriv --reuid=4242 --regid=4242 --clear-groups",
                                             {"--report", report, dir.Root().string()});
    const std::string lines = ReadBytes(report);
    EXPECT_EQ(result.m_exitCode, 2) << result.m_stderr;
    EXPECT_THAT(result.m_stderr, HasSubstr(dir.Path("locked") + ": not scanned: "));
    for (const std::string& line :
         {"{\"path\":\"" + dir.Path("locked") + "\",\"outcome\":\"error\",\"error\":\"list\"}",
          "{\"path\":\"" + dir.Path("link.htm") + "\",\"outcome\":\"skipped\",\"reason\":\"link\"}",
          "{\"path\":\"" + dir.Path("out") + "\",\"outcome\":\"skipped\",\"reason\":\"link\"}"}) {
        EXPECT_THAT(lines, HasSubstr(line + "\n"));
    }
    EXPECT_EQ(ReadBytes(target), kBlock);
    EXPECT_TRUE(fs::is_symlink(dir.Path("link.htm")));
    EXPECT_EQ(ReadBytes(page), "ok\n");
    EXPECT_TRUE(fs::is_fifo(dir.Path("fifo.htm")));
    EXPECT_TRUE(!device || fs::is_character_file(dir.Path("null.htm")));
    EXPECT_TRUE(fs::is_socket(dir.Path("sock.htm")));
}

// The engine holds a file as its lines, so one line of a gigabyte needs a
// gigabyte; it must not need two (a copy while writing, a doubled buffer).
TEST(HostileTree, OneLineOfAGigabyteIsCleanedWithinOnceItsSizeOfMemory) {
#if defined(__SANITIZE_ADDRESS__)
    constexpr off_t kLineSize = off_t{64} << 20;  // the sanitizer's memory is not the program's
#else
    constexpr off_t kLineSize = off_t{1} << 30;
#endif
    TempDir dir;
    // Sparse: the line is all NUL bytes, which are not line breaks.
    const std::string path = dir.Write("huge.htm", "");
    fs::resize_file(path, kLineSize);
    std::ofstream(path, std::ios::binary | std::ios::app) << "\n" << kBlock;
    const ProcessResult result = Scan({path});
    EXPECT_EQ(result.m_exitCode, 1) << result.m_stdout;
    EXPECT_EQ(fs::file_size(path), static_cast<std::uintmax_t>(kLineSize) + 1);
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(
        std::count_if(std::istreambuf_iterator<char>(file), {}, [](char b) { return b != 0; }), 1)
        << "the line and its line break, nothing else";
    const long sizeKb = static_cast<long>(kLineSize >> 10);
    std::printf("One line of %ld MB: peak memory %ld MB\n", sizeKb >> 10,
                result.m_peakMemoryKb >> 10);
#if !defined(__SANITIZE_ADDRESS__)
    if (result.m_peakMemoryKb > 0) {
        EXPECT_LT(result.m_peakMemoryKb, sizeKb + sizeKb / 4 + 64 * 1024);
    }
#endif
}

}  // namespace
