#include "treat/treat_file.h"

#include "core/scan_host.h"
#include "fileio/file_status.h"
#include "fileio/text_file.h"
#include "scan/scan_stats.h"
#include "treat/remove_virus_block.h"

namespace {

const char kReadErrorLine[] = "     ...File read ore open error!!!";
const char kWriteErrorLine[] = "     ...File write ore open error!!!";
const char kStatusErrorLine[] = "     ...File attributes ore times restore error!!!";
constexpr uint8_t kProtectiveBits = kAttrReadOnly | kAttrHidden | kAttrSystem;

void Log(const std::string& line) {
    ScanHost().AddLogLine(line);
}

// One file's treatment. Whatever fails, a file that still exists gets its
// saved attributes and times back, so a read-only, hidden or system file
// never loses those bits because the treatment failed on it.
class Treatment {
public:
    Treatment(const std::string& path, const FileStatus& saved) : m_path(path), m_saved(saved) {}

    void Run() {
        try {
            LiftProtectionAndTreat();
        } catch (...) {
            // Setting the status failed (the file vanished, or its medium
            // is read-only); the scan goes on with the next file.
            Log(kStatusErrorLine);
            ListAsProblem();
        }
    }

private:
    void LiftProtectionAndTreat() {
        FileStatus unprotected = m_saved;
        unprotected.m_attributes &= static_cast<uint8_t>(~kProtectiveBits);
        SetFileStatus(m_path, unprotected);
        LineList lines;
        if (!ReadGuarded(lines)) {
            return;
        }
        int removed = 0;
        int result = kNoSignature;
        while ((result = RemoveVirusBlock(lines)) == kBlockRemoved) {
            ++removed;
        }
        if (result == kBlockNotDelimited) {
            GiveUpOnBlock();
            return;
        }
        if (removed > 0 && !WriteGuarded(lines)) {
            return;
        }
        RestoreStatus();
    }

    bool ReadGuarded(LineList& lines) {
        try {
            ReadLines(m_path, lines);
            return true;
        } catch (...) {
            RestoreStatus();
            Log(kReadErrorLine);
            ListAsProblem();
            return false;
        }
    }

    bool WriteGuarded(const LineList& lines) {
        try {
            WriteLines(m_path, lines);
            g_scanStats.CountTreated();
            return true;
        } catch (...) {
            ListAsProblem();
            Log(kWriteErrorLine);
            g_scanStats.CountError();
            RestoreStatus();
            return false;
        }
    }

    // A block that cannot be delimited: nothing is written, and the file is
    // deleted when the user asked for that.
    void GiveUpOnBlock() {
        ListAsProblem();
        g_scanStats.CountError();
        if (ScanHost().m_bRemoveOnError && RemoveGuarded()) {
            return;
        }
        RestoreStatus();
    }

    bool RemoveGuarded() {
        try {
            RemoveFile(m_path);
            return true;
        } catch (...) {
            Log("File " + m_path + "remove error!!!");
            return false;
        }
    }

    void RestoreStatus() { SetFileStatus(m_path, m_saved); }

    // A file enters the problem list once per treatment, however many of
    // its steps fail.
    void ListAsProblem() {
        if (!m_listed) {
            g_scanStats.AddProblemFile(m_path);
            m_listed = true;
        }
    }

    const std::string& m_path;
    const FileStatus& m_saved;
    bool m_listed = false;
};

}  // namespace

void TreatFile(const std::string& path) {
    g_scanStats.CountChecked();
    FileStatus saved;
    if (!GetFileStatus(path, saved)) {
        // No status was read, so none may be applied: the file is left alone.
        Log(kReadErrorLine);
        g_scanStats.AddProblemFile(path);
        return;
    }
    Treatment(path, saved).Run();
}
