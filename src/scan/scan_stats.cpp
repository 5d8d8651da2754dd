#include "scan/scan_stats.h"

#include "core/scan_host.h"

CScanStats g_scanStats;

ScanTotals CScanStats::Totals() const {
    return ScanTotals{m_nChecked, m_nTreated, m_nErrors, m_problemFiles.size()};
}

void CScanStats::ReportAndReset() {
    CScanHost& host = ScanHost();
    host.AddLogLine("REPORT:");
    host.AddLogLine("Total checked files: " + std::to_string(m_nChecked));
    host.AddLogLine("Infected and successful treat files: " + std::to_string(m_nTreated));
    host.AddLogLine("Error while treat files: " + std::to_string(m_nErrors));
    if (!m_problemFiles.empty()) {
        host.AddLogLine("List of files causes problems:");
    }
    for (const std::string& path : m_problemFiles) {
        host.AddLogLine(path);
    }
    *this = CScanStats();
}
