#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The file-type masks ("*.htm", ...) in the order the user typed them.
using MaskList = std::vector<std::string>;

// What the engine reads while it scans, with the defaults a user starts from. The settings change
// only while no scan runs, so the engine reads them without a lock.
struct ScanSettings {
    std::string m_strSignature = "Rem I am sorry! happy time";
    std::string m_strFirstString = "<script language";
    std::string m_strLastString = "</script>";
    int32_t m_bRemoveOnError = 1;
    MaskList m_masks;
    // Files are searched for the signature on this many threads ahead of the
    // log; 1 searches each in its turn, on the scan's own thread.
    int32_t m_nSearchThreads = 1;
};

// The front end that runs a scan: the window on Windows, the command line
// elsewhere. The engine reads its settings and reports every step to it as
// one log line; it never knows which front end listens. Every call comes
// from the thread that runs the scan; the threads that search files ahead
// of it read the settings only.
class CScanHost : public ScanSettings {
public:
    virtual ~CScanHost() = default;
    virtual void AddLogLine(const std::string& line) = 0;
    // A folder the scan must not enter, or a file it must not treat; the
    // window excludes nothing.
    virtual bool Excludes(const std::string& /*fullPath*/) const { return false; }
    // Where the walk is, for a front end that shows progress: each folder as
    // the walk begins to list it, and the end of the walk, before its
    // closing banner and report.
    virtual void WalkingFolder(const std::string& /*fullPath*/) {}
    virtual void WalkEnded() {}
    // The report's lines follow, after the closing banner.
    virtual void ReportBegins() {}
    // What the walk left out, which the log does not show: a folder it could
    // not list or enter, and why; a link, which it neither follows nor treats.
    virtual void FolderNotScanned(const std::string& /*fullPath*/, const std::string& /*why*/) {}
    virtual void LinkSkipped(const std::string& /*fullPath*/) {}
};

// The engine talks to exactly one host at a time; the front end installs it
// before the scan starts and keeps it alive until the scan has ended.
void InstallScanHost(CScanHost* host);
CScanHost& ScanHost();
