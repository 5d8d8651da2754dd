#include "scan/scanner.h"

#include <algorithm>

#include "core/code_page.h"
#include "core/log_text.h"
#include "core/scan_host.h"
#include "core/stop_flag.h"
#include "fileio/file_status.h"
#include "fileio/temporary_name.h"
#include "scan/drive_folders.h"
#include "scan/file_find.h"
#include "scan/mask_match.h"
#include "scan/scan_stats.h"
#include "scan/search_ahead.h"

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

int MatchingMasks(const std::string& fullPath) {
    const std::string pattern = ExtensionPattern(fullPath);
    const MaskList& masks = ScanHost().m_masks;
    return static_cast<int>(std::count_if(masks.begin(), masks.end(), [&](const std::string& mask) {
        return MaskMatches(mask, pattern, SystemCodePage());
    }));
}

// A file is logged and treated once for every mask that matches it. A
// temporary file of a rewrite is never treated, whatever the masks ("*.*"
// matches it): it is another scan's work in progress, or a killed scan's
// leftover that holds part of a file.
void HandleFile(SearchAhead& ahead, const std::string& fullPath) {
    if (IsTemporaryFile(fullPath)) {
        return;
    }
    const int matches = MatchingMasks(fullPath);
    if (matches > 0) {
        ahead.ThenFile(fullPath, matches);
    }
}

void ReportNotScanned(SearchAhead& ahead, const std::string& folder, const std::string& why) {
    ahead.Then([folder, why] { ScanHost().FolderNotScanned(folder, why); });
}

// A walk must end and stay on its drive: links are not followed, and a
// folder that is the root of another mount is not entered. Over every drive
// that mount is a drive of its own; in a scan of PATHs it is walked only when
// given as a PATH, so elsewhere it is reported as left out. A folder already
// on the current branch (a bind mount, a loop the links do not show), or not
// the folder its listing named (swapped meanwhile), is reported and not
// entered either. What the walk meets is reported and handled through ahead,
// in the order the walk met it.
class TreeWalk {
public:
    // drives: over every drive, the drives' root folders walked so far.
    TreeWalk(SearchAhead& ahead, DriveFolders* drives, const std::vector<std::string>& roots)
        : m_ahead(ahead), m_drives(drives), m_roots(roots) {}

    // listedId: the file id the parent's listing gave the folder; 0 for a
    // root, or where the platform's listing gives none.
    void Walk(const std::string& directory, uint64_t listedId = 0) {
        m_ahead.Then([directory] { ScanHost().WalkingFolder(directory); });
        CFileFind finder;
        if (!finder.FindFile(SearchPatternOf(directory))) {
            ReportListingError(directory, finder);
            return;
        }
        DirectoryId id;
        const bool known = finder.GetFolderId(id);
        if (known && !Enterable(directory, id, listedId)) {
            return;
        }
        if (known && m_drives != nullptr && !m_drives->FirstVisit(id)) {
            return;
        }
        if (known) {
            m_branch.push_back(id);
        }
        WalkEntries(finder);
        if (known) {
            m_branch.pop_back();
        }
        ReportListingError(directory, finder);
    }

private:
    bool Enterable(const std::string& directory, const DirectoryId& id, uint64_t listedId) const {
        if (std::find(m_branch.begin(), m_branch.end(), id) != m_branch.end()) {
            ReportNotScanned(m_ahead, directory, "it is one of the folders it lies in (a loop)");
            return false;
        }
        const bool otherMount =
            !m_branch.empty() && (m_branch.front().m_volume != id.m_volume || id.m_mountRoot);
        if (otherMount) {
            if (m_drives == nullptr &&
                std::find(m_roots.begin(), m_roots.end(), directory) == m_roots.end()) {
                ReportNotScanned(m_ahead, directory,
                                 "it is another file system: give it as a PATH");
            }
            return false;
        }
        if (listedId != 0 && listedId != id.m_file) {
            ReportNotScanned(m_ahead, directory, "it was replaced while the walk listed it");
            return false;
        }
        return true;
    }

    void ReportListingError(const std::string& directory, const CFileFind& finder) {
        if (finder.LastError() != 0) {
            ReportNotScanned(m_ahead, directory, ListingErrorText(finder.LastError()));
        }
    }

    void WalkEntries(CFileFind& finder) {
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
            if (finder.MatchesMask(kFindLink)) {
                m_ahead.Then([path] { ScanHost().LinkSkipped(path); });
            } else if (finder.MatchesMask(kFindDirectory)) {
                Walk(path, finder.GetFileId());
            } else {
                HandleFile(m_ahead, path);
            }
        }
    }

    SearchAhead& m_ahead;
    DriveFolders* m_drives;
    const std::vector<std::string>& m_roots;
    std::vector<DirectoryId> m_branch;
};

ScanTotals EndScan() {
    ScanHost().WalkEnded();
    Log(StopRequested() ? LogText::kBreakBanner : LogText::kEndBanner);
    const ScanTotals totals = g_scanStats.Totals();
    g_scanStats.ReportAndReset();
    return totals;
}

// An exception (out of memory, say) ends the walk as a stop does: the scan
// still gets its closing banner and report, which never claims a whole walk,
// and the statistics are cleared for the next scan. A rewrite is atomic, so
// no file is left half-written.
ScanTotals WalkRoots(const std::vector<std::string>& roots, DriveFolders* drives) {
    try {
        SearchAhead ahead(ScanHost().m_nSearchThreads);
        for (const std::string& root : roots) {
            if (StopRequested()) {
                break;
            }
            const std::string banner = LogText::DriveBanner(root);
            ahead.Then([banner] { Log(banner); });
            if (IsFileWithStatus(root)) {
                HandleFile(ahead, root);
            } else {
                TreeWalk(ahead, drives, roots).Walk(root);
            }
        }
        ahead.Finish();
    } catch (...) {
        g_bStopScan.store(1);
    }
    return EndScan();
}

}  // namespace

ScanTotals ScanRoots(const std::vector<std::string>& roots) {
    return WalkRoots(roots, nullptr);
}

ScanTotals ScanAllDrives() {
    const std::vector<std::string> roots = LogicalDriveRoots();
    DriveFolders drives(roots);
    return WalkRoots(roots, &drives);
}
