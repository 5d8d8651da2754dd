#include "cli/backup.h"

#include <iostream>

#include "cli/sha256.h"
#include "fileio/file_exception.h"
#include "fileio/whole_file.h"

namespace {

// The digest of the file as the treatment writes it: each line and an LF.
std::string ShaOfLines(const LineList& lines) {
    Sha256 sha;
    for (const Line& line : lines) {
        sha.Update(line);
        sha.Update("\n", 1);
    }
    return sha.HexDigest();
}

// On disk before the scan goes on, so that a crash after the change still
// leaves its record; a record that cannot be written whole leaves nothing.
bool AppendLine(const std::string& backupDir, const std::string& line) {
    try {
        ManifestPlaceIn(backupDir).Append(line + '\n');
        return true;
    } catch (const CFileException&) {
        return false;
    }
}

}  // namespace

void BackupPolicy::BeforeChange(const std::string& path, const FileStatus& saved,
                                const LineList* newLines) {
    m_pending.reset();
    const KeptFile original{ReadAllBytes(path), saved, OwnerOf(path)};
    CopyPlaceIn(m_backupDir, path).Create(original);
    ManifestEntry entry;
    entry.m_original = path;
    entry.m_backup = MirrorPath(m_backupDir, path);
    entry.m_shaBefore = Sha256Hex(original.m_bytes);
    entry.m_shaAfter = newLines != nullptr ? ShaOfLines(*newLines) : std::string();
    entry.m_action = newLines != nullptr ? "rewrite" : "delete";
    m_pending = std::move(entry);
}

void BackupPolicy::AfterChange(const std::string& path) {
    if (!m_pending || m_pending->m_original != path) {
        return;
    }
    m_pending->m_time = UtcTimeNow();
    if (!AppendLine(m_backupDir, ManifestLine(*m_pending))) {
        std::cerr << "kelvane-scan: " << path << ": the change could not be recorded in "
                  << ManifestPathIn(m_backupDir) << "; its copy is " << m_pending->m_backup << "\n";
        m_manifestComplete = false;
    }
    m_pending.reset();
}
