#include "cli/console_host.h"

#include <algorithm>
#include <iostream>

#include "cli/glob.h"
#include "cli/terminal.h"

ConsoleHost::ConsoleHost(const ScanOptions& options)
    : m_excludes(options.m_excludes),
      m_printing(!options.m_quiet),
      m_logOnTerminal(TerminalColumns(StandardStream::kOutput) > 0) {
    static_cast<ScanSettings&>(*this) = options.m_settings;
    if (const int columns = TerminalColumns(StandardStream::kError)) {
        m_progress.emplace(std::cerr, columns);
    }
    InstallScanHost(this);
}

ConsoleHost::~ConsoleHost() {
    WalkEnded();
    InstallScanHost(nullptr);
}

void ConsoleHost::AddLogLine(const std::string& line) {
    if (m_printing) {
        Print(line);
    }
    ShowProgress();
}

bool ConsoleHost::Excludes(const std::string& fullPath) const {
    return std::any_of(m_excludes.begin(), m_excludes.end(), [&fullPath](const std::string& glob) {
        return GlobMatches(glob, fullPath);
    });
}

void ConsoleHost::WalkingFolder(const std::string& fullPath) {
    m_folder = fullPath;
    ShowProgress();
}

void ConsoleHost::FolderNotScanned(const std::string& fullPath, const std::string& why) {
    m_walkComplete = false;
    if (m_progress) {
        m_progress->Hide();
    }
    std::cerr << "kelvane-scan: " << fullPath << ": not scanned: " << why << "\n";
    if (m_report != nullptr) {
        m_report->FolderNotScanned(fullPath);
    }
    ShowProgress();
}

void ConsoleHost::LinkSkipped(const std::string& fullPath) {
    if (m_report != nullptr) {
        m_report->LinkSkipped(fullPath);
    }
}

// Quiet, only the report is printed: from its heading to the end.
void ConsoleHost::ReportBegins() {
    m_printing = true;
}

// The closing banner and the report are the last lines; nothing may stand
// below them.
void ConsoleHost::WalkEnded() {
    if (m_progress) {
        m_progress->Hide();
        m_progress.reset();
    }
}

// On a shared terminal the line is flushed before the progress line comes
// back, or it would land in the middle of it.
void ConsoleHost::Print(const std::string& line) {
    if (m_progress && m_logOnTerminal) {
        m_progress->Hide();
    }
    std::cout.write(line.data(), static_cast<std::streamsize>(line.size())) << '\n';
    if (m_logOnTerminal) {
        std::cout.flush();
    }
}

void ConsoleHost::ShowProgress() {
    if (m_progress) {
        m_progress->Show(g_scanStats.Totals(), m_folder);
    }
}
