#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What a scan found, taken before its report clears it.
struct ScanTotals {
    int32_t m_nChecked = 0;
    int32_t m_nTreated = 0;
    int32_t m_nErrors = 0;
    std::size_t m_nProblemFiles = 0;
};

// The counts and problem files of the scan that is running; printed and
// cleared at the end of every scan. Used from the scan's own thread only.
class CScanStats {
public:
    void CountChecked() { ++m_nChecked; }
    void CountTreated() { ++m_nTreated; }
    void CountError() { ++m_nErrors; }
    void AddProblemFile(std::string path) { m_problemFiles.push_back(std::move(path)); }

    // The counts so far, for a front end that reports an exit status.
    ScanTotals Totals() const;

    // Logs the report through the scan host, then starts again from zero.
    void ReportAndReset();

private:
    int32_t m_nChecked = 0;
    int32_t m_nTreated = 0;
    int32_t m_nErrors = 0;
    std::vector<std::string> m_problemFiles;
};

extern CScanStats g_scanStats;
