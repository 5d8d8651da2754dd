#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

// The virus block as a scan with the default settings finds it.
inline constexpr char kBlock[] =
    "<script language=VBScript>\nRem I am sorry! happy time\n</script>\n";

// A small site with every case a treatment meets: CR LF and LF files, two
// blocks in one file, a read-only file, a hidden one, a block without its
// first line (deleted by default), clean files and a file no mask matches;
// every file dated long ago.
void MakeInfectedSite(const TempDir& dir);

// The paths of the site's files that a scan changes: those it rewrites, then
// the one it deletes.
std::vector<std::string> ChangedFiles(const TempDir& dir);

// Runs kelvane-scan (or another program) to its end; one still running
// after two minutes is taken for hung and killed, so that the test fails
// instead of hanging.
ProcessResult Scan(const std::vector<std::string>& args,
                   const std::string& program = "kelvane-scan");

// The lines of a program's output, without a Windows console's CR; the
// last line must end with a line break.
std::vector<std::string> OutputLines(const std::string& output);

// What a test compares of every regular file below root, one line per file:
// its path, a digest of its bytes, its permission bits (the read-only
// attribute on Windows), its last-write time and, when asked on POSIX, its
// change time, which any chmod, utimensat or rename moves even when the old
// mode and times are put back.
std::string SnapshotOf(const std::filesystem::path& root, bool withChangeTime = true);

// Dates a file long ago, so a time that is put back can be told from "now".
void DateLongAgo(const std::string& path);
