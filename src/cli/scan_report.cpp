#include "cli/scan_report.h"

#include <cstdio>

#include "cli/base64.h"
#include "cli/json.h"
#include "cli/json_name.h"
#include "cli/manifest.h"
#include "cli/name_encoding.h"

namespace {

const char* OutcomeName(TreatmentRecord::Outcome outcome) {
    static const char* const kNames[] = {"clean", "treated", "failed", "deleted", "error"};
    return kNames[outcome];
}

const char* ErrorName(TreatmentRecord::Error error) {
    static const char* const kNames[] = {"", "read", "write", "status", "remove"};
    return kNames[error];
}

std::string JsonArray(const std::vector<std::string>& items) {
    std::string array = "[";
    for (const std::string& item : items) {
        array += (array.size() > 1 ? "," : "") + JsonString(item);
    }
    return array + "]";
}

// The names as the member key, those without a UTF-8 form in base64 under
// the key's base64 twin, which is left out when there are none.
std::string JsonNameList(const std::string& key, const std::vector<std::string>& names) {
    std::vector<std::string> texts;
    std::vector<std::string> others;
    for (const std::string& name : names) {
        if (const std::optional<std::string> text = NameAsUtf8(name)) {
            texts.push_back(*text);
        } else {
            others.push_back(Base64(name));
        }
    }
    const std::string list = JsonString(key) + ":" + JsonArray(texts);
    return others.empty() ? list
                          : list + "," + JsonString(Base64Key(key)) + ":" + JsonArray(others);
}

}  // namespace

ReportingPolicy::ReportingPolicy(TreatmentPolicy& inner, std::ostream& out, std::string backupDir)
    : m_inner(inner), m_out(out), m_backupDir(std::move(backupDir)) {}

bool ReportingPolicy::StatusOf(const std::string& path, FileStatus& status) {
    m_changed = false;
    return m_inner.StatusOf(path, status);
}

bool ReportingPolicy::ReadLinesOf(const std::string& path, LineList& lines) {
    return m_inner.ReadLinesOf(path, lines);
}

void ReportingPolicy::BeforeChange(const std::string& path, const FileStatus& saved,
                                   const LineList* newLines) {
    m_inner.BeforeChange(path, saved, newLines);
}

void ReportingPolicy::AfterChange(const std::string& path) {
    m_inner.AfterChange(path);
    m_changed = true;
}

void ReportingPolicy::AfterTreatment(const std::string& path, const TreatmentRecord& record) {
    m_inner.AfterTreatment(path, record);
    const bool problem = record.m_outcome == TreatmentRecord::kFailed ||
                         record.m_outcome == TreatmentRecord::kDeleted ||
                         record.m_outcome == TreatmentRecord::kError;
    if (problem) {
        m_problemFiles.push_back(path);
    }
    const bool backedUp = m_changed && !m_backupDir.empty();
    m_out << "{" << JsonNameMember("path", path) << ",\"outcome\":\""
          << OutcomeName(record.m_outcome) << "\"";
    if (record.m_outcome == TreatmentRecord::kError) {
        m_out << ",\"error\":\"" << ErrorName(record.m_error) << "\"";
    }
    m_out << ",\"blocks_removed\":" << record.m_blocksRemoved << ","
          << (backedUp ? JsonNameMember("backup", MirrorPath(m_backupDir, path))
                       : "\"backup\":null")
          << "}\n";
    m_changed = false;
}

void ReportingPolicy::FolderNotScanned(const std::string& path) {
    m_out << "{" << JsonNameMember("path", path) << ",\"outcome\":\"error\",\"error\":\"list\"}\n";
}

void ReportingPolicy::LinkSkipped(const std::string& path) {
    m_out << "{" << JsonNameMember("path", path)
          << ",\"outcome\":\"skipped\",\"reason\":\"link\"}\n";
}

void ReportingPolicy::Finish(const ScanTotals& totals, bool interrupted) {
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - m_start;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", taken.count());
    m_out << "{\"summary\":true,\"checked\":" << totals.m_nChecked
          << ",\"treated\":" << totals.m_nTreated << ",\"errors\":" << totals.m_nErrors << ","
          << JsonNameList("problem_files", m_problemFiles)
          << ",\"interrupted\":" << (interrupted ? "true" : "false")
          << ",\"duration_s\":" << seconds << "}\n";
    m_out.flush();
}
