#include "scan/scanner.h"

#include <algorithm>

#include "core/code_page.h"
#include "core/scan_host.h"
#include "core/stop_flag.h"
#include "fileio/file_status.h"
#include "fileio/os_file.h"
#include "scan/file_find.h"
#include "scan/mask_match.h"
#include "scan/scan_stats.h"
#include "treat/treat_file.h"

namespace {

bool StopRequested() {
    return g_bStopScan.load() != 0;
}

void Log(const std::string& line) {
    ScanHost().AddLogLine(line);
}

bool IsTemporaryFile(const std::string& path) {
    const std::size_t length = sizeof kTemporarySuffix - 1;
    return path.size() >= length &&
           path.compare(path.size() - length, length, kTemporarySuffix) == 0;
}

// A file is logged and treated once for every mask that matches it. A
// temporary file of a rewrite is never treated, whatever the masks ("*.*"
// matches it): it is another scan's work in progress, or a killed scan's
// leftover that holds part of a file.
void HandleFile(const std::string& fullPath) {
    if (IsTemporaryFile(fullPath)) {
        return;
    }
    const std::string pattern = ExtensionPattern(fullPath);
    const MaskList& masks = ScanHost().m_masks;
    for (std::size_t i = 0; i < masks.size(); ++i) {
        if (MaskMatches(masks[i], pattern, SystemCodePage())) {
            Log(fullPath);
            TreatFile(fullPath);
        }
    }
}

// A walk must end and stay on its drive: links are not followed, and a
// directory that is on another volume (a mount, walked as a drive of its
// own) or already on the current branch (a bind mount, a loop the links do
// not show) is not entered.
class TreeWalk {
public:
    void Walk(const std::string& directory) {
        DirectoryId id;
        const bool known = GetDirectoryId(directory, id);
        if (known && !Enterable(id)) {
            return;
        }
        if (known) {
            m_branch.push_back(id);
        }
        WalkEntries(directory);
        if (known) {
            m_branch.pop_back();
        }
    }

private:
    bool Enterable(const DirectoryId& id) const {
        const bool sameVolume = m_branch.empty() || m_branch.front().m_volume == id.m_volume;
        return sameVolume && std::find(m_branch.begin(), m_branch.end(), id) == m_branch.end();
    }

    void WalkEntries(const std::string& directory) {
        ScanHost().WalkingFolder(directory);
        CFileFind finder;
        if (!finder.FindFile(SearchPatternOf(directory))) {
            return;
        }
        bool more = true;
        while (more && !StopRequested()) {
            more = finder.FindNextFile();
            if (finder.IsDots()) {
                continue;
            }
            const std::string path = finder.GetFilePath();
            if (ScanHost().Excludes(path)) {
                continue;
            }
            if (!finder.MatchesMask(kFindDirectory)) {
                HandleFile(path);
            } else if (!finder.MatchesMask(kFindReparsePoint)) {
                Walk(path);
            }
        }
    }

    std::vector<DirectoryId> m_branch;
};

bool IsFile(const std::string& path) {
    FileStatus status;
    return GetFileStatus(path, status) && (status.m_attributes & kAttrDirectory) == 0;
}

ScanTotals EndScan() {
    ScanHost().WalkEnded();
    Log(StopRequested() ? "==================== Break by user.==================="
                        : "==================== It is all !!! ===================");
    const ScanTotals totals = g_scanStats.Totals();
    g_scanStats.ReportAndReset();
    return totals;
}

}  // namespace

void ScanDirectory(const std::string& path) {
    TreeWalk().Walk(path);
}

// An exception (out of memory, say) ends the walk as a stop does: the scan
// still gets its closing banner and report, which never claims a whole walk,
// and the statistics are cleared for the next scan. A rewrite is atomic, so
// no file is left half-written.
ScanTotals ScanRoots(const std::vector<std::string>& roots) {
    try {
        for (const std::string& root : roots) {
            if (StopRequested()) {
                break;
            }
            Log("==================== Drive " + root + " ===================");
            if (IsFile(root)) {
                HandleFile(root);
            } else {
                ScanDirectory(root);
            }
        }
    } catch (...) {
        g_bStopScan.store(1);
    }
    return EndScan();
}

ScanTotals ScanAllDrives() {
    return ScanRoots(LogicalDriveRoots());
}
