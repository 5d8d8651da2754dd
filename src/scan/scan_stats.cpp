#include "scan/scan_stats.h"

#include "core/log_text.h"
#include "core/scan_host.h"

CScanStats g_scanStats;

ScanTotals CScanStats::Totals() const {
    return ScanTotals{m_nChecked, m_nTreated, m_nErrors, m_problemFiles.size()};
}

void CScanStats::ReportAndReset() {
    CScanHost& host = ScanHost();
    host.ReportBegins();
    host.AddLogLine(LogText::kReportHeading);
    host.AddLogLine(LogText::CheckedCount(m_nChecked));
    host.AddLogLine(LogText::TreatedCount(m_nTreated));
    host.AddLogLine(LogText::ErrorCount(m_nErrors));
    if (!m_problemFiles.empty()) {
        host.AddLogLine(LogText::kProblemListHeading);
    }
    for (const std::string& path : m_problemFiles) {
        host.AddLogLine(path);
    }
    *this = CScanStats();
}
