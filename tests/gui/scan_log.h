#pragma once

#include <functional>
#include <string>

#include "gui/kelvane_app.h"

// The lines of the log that the tests look for.
constexpr char kDriveBanner[] = "==================== Drive ";
constexpr char kDriveCBanner[] = "==================== Drive C:\\ ===================";
constexpr char kEndBanner[] = "==================== It is all !!! ===================";
constexpr char kBreakBanner[] = "==================== Break by user.===================";
constexpr char kRemovedLine[] = "       ==>>Infected. Remove OK!!!";
constexpr char kReportLine[] = "REPORT:";

// The report that closes every scan.
LogLines Report(int checked, int treated, int errors);

// The log of a complete scan of drive C:, file by file.
class ScanLog {
public:
    // A file logged and treated, with the number of blocks removed from it.
    void AddFile(const std::string& path, int blocks);
    // Banner, files, the closing banner of a complete scan and the report.
    LogLines Complete() const;
    // The same with the closing banner given.
    LogLines ClosedBy(const std::string& closingBanner) const;

private:
    LogLines m_files;
    int m_checked = 0;
    int m_treated = 0;
};

// True once the log holds count reports; the report's last line closes a scan's log.
std::function<bool(const LogLines&)> HasReports(int count);
