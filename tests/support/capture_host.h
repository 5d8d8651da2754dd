#pragma once

#include <string>
#include <vector>

#include "core/scan_host.h"

// A scan host that keeps every log line, installed for the test's lifetime.
class CaptureHost : public CScanHost {
public:
    CaptureHost() { InstallScanHost(this); }
    ~CaptureHost() override { InstallScanHost(nullptr); }
    CaptureHost(const CaptureHost&) = delete;
    CaptureHost& operator=(const CaptureHost&) = delete;

    void AddLogLine(const std::string& line) override { m_log.push_back(line); }
    void FolderNotScanned(const std::string& path, const std::string& why) override {
        m_notScanned.push_back(path + ": " + why);
    }
    void LinkSkipped(const std::string& path) override { m_linksSkipped.push_back(path); }

    std::vector<std::string> m_log;
    std::vector<std::string> m_notScanned;  // "PATH: why"
    std::vector<std::string> m_linksSkipped;
};
