#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "scan/scan_stats.h"
#include "treat/treatment_policy.h"

// The machine-readable report of --report FILE, JSON Lines: one object per
// treatment (a file met once per matching mask), then a summary. It wraps
// the policy the scan follows and hands every call on to it.
class ReportingPolicy : public TreatmentPolicy {
public:
    // backupDir: where the copies go, or empty when none are kept.
    ReportingPolicy(TreatmentPolicy& inner, std::ostream& out, std::string backupDir);

    bool MayChangeFiles() const override { return m_inner.MayChangeFiles(); }
    bool StatusOf(const std::string& path, FileStatus& status) override;
    bool ReadLinesOf(const std::string& path, LineList& lines) override;
    void BeforeChange(const std::string& path, const FileStatus& saved,
                      const LineList* newLines) override;
    void AfterChange(const std::string& path) override;
    void AfterTreatment(const std::string& path, const TreatmentRecord& record) override;

    // What the walk left out: a folder it could not list or enter, a link.
    void FolderNotScanned(const std::string& path);
    void LinkSkipped(const std::string& path);

    // The summary line: the report's counts, the problem files, whether the
    // scan was stopped before it finished, the time taken.
    void Finish(const ScanTotals& totals, bool interrupted);

private:
    TreatmentPolicy& m_inner;
    std::ostream& m_out;
    std::string m_backupDir;
    bool m_changed = false;  // by the treatment running now
    std::vector<std::string> m_problemFiles;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};
