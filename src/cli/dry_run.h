#pragma once

#include <set>
#include <string>

#include "treat/treatment_policy.h"

// A preview: every file is read and every block found and cut in memory,
// but nothing on disk changes. A file the preview rewrote reads as clean
// and one it deleted as missing, so a file met twice (by two masks, or
// under two PATHs) is logged as the real scan would log it.
class DryRunPolicy : public TreatmentPolicy {
public:
    bool MayChangeFiles() const override { return false; }
    bool StatusOf(const std::string& path, FileStatus& status) override;
    bool ReadLinesOf(const std::string& path, LineList& lines) override;
    void BeforeChange(const std::string& path, const FileStatus& saved,
                      const LineList* newLines) override;

private:
    std::set<std::string> m_rewritten;  // no block left in them
    std::set<std::string> m_deleted;
};
