#include "cli/dry_run.h"

bool DryRunPolicy::StatusOf(const std::string& path, FileStatus& status) {
    return m_deleted.count(path) == 0 && TreatmentPolicy::StatusOf(path, status);
}

bool DryRunPolicy::ReadLinesOf(const std::string& path, LineList& lines) {
    // What is left after the treatment holds no signature line; no line
    // stands for it just as well.
    return m_rewritten.count(path) != 0 || TreatmentPolicy::ReadLinesOf(path, lines);
}

void DryRunPolicy::BeforeChange(const std::string& path, const FileStatus&,
                                const LineList* newLines) {
    (newLines != nullptr ? m_rewritten : m_deleted).insert(path);
}
