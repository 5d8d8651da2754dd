#include "gui/scan_log.h"

namespace {

constexpr char kErrorsLine[] = "Error while treat files: ";

}  // namespace

LogLines Report(int checked, int treated, int errors) {
    return {kReportLine, "Total checked files: " + std::to_string(checked),
            "Infected and successful treat files: " + std::to_string(treated),
            kErrorsLine + std::to_string(errors)};
}

void ScanLog::AddFile(const std::string& path, int blocks) {
    m_files.push_back(path);
    m_files.insert(m_files.end(), static_cast<std::size_t>(blocks), kRemovedLine);
    ++m_checked;
    m_treated += blocks > 0 ? 1 : 0;
}

LogLines ScanLog::Complete() const {
    return ClosedBy(kEndBanner);
}

LogLines ScanLog::ClosedBy(const std::string& closingBanner) const {
    LogLines lines{kDriveCBanner};
    lines.insert(lines.end(), m_files.begin(), m_files.end());
    lines.push_back(closingBanner);
    const LogLines report = Report(m_checked, m_treated, 0);
    lines.insert(lines.end(), report.begin(), report.end());
    return lines;
}

std::function<bool(const LogLines&)> HasReports(int count) {
    return
        [count](const LogLines& log) { return CountLinesStartingWith(log, kErrorsLine) >= count; };
}
