#pragma once

#include <optional>
#include <string>

#include "cli/manifest.h"
#include "treat/treatment_policy.h"

// Keeps a copy of every file before the scan rewrites or deletes it: its
// bytes, permission bits or attributes, times and owner, below DIR at the
// file's own path, written and flushed before the file changes. DIR and the
// folders below it are private to their owner and no link in them is
// followed: a copy can be read by no one who could not read the original. Each change that
// was made is then recorded in DIR/manifest.jsonl, for --restore.
class BackupPolicy : public TreatmentPolicy {
public:
    explicit BackupPolicy(std::string backupDir) : m_backupDir(std::move(backupDir)) {}

    // Raises when the copy cannot be made, so the file is left alone.
    void BeforeChange(const std::string& path, const FileStatus& saved,
                      const LineList* newLines) override;
    void AfterChange(const std::string& path) override;

    // False when a change was made that the manifest could not record.
    bool ManifestComplete() const { return m_manifestComplete; }

private:
    std::string m_backupDir;
    std::optional<ManifestEntry> m_pending;  // copied, not yet changed
    bool m_manifestComplete = true;
};
