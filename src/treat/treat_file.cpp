#include "treat/treat_file.h"

#include "core/scan_host.h"
#include "fileio/file_status.h"
#include "fileio/text_file.h"
#include "scan/scan_stats.h"
#include "treat/remove_virus_block.h"
#include "treat/treatment_policy.h"

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
        RunGuarded();
        m_policy.AfterTreatment(m_path, Record());
    }

private:
    void RunGuarded() {
        try {
            LiftProtectionAndTreat();
        } catch (...) {
            // Setting the status failed (the file vanished, or its medium
            // is read-only); the scan goes on with the next file.
            FailedAt(TreatmentRecord::kStatusError);
            Log(kStatusErrorLine);
            ListAsProblem();
            RetryRestoreStatus();
        }
    }

    void LiftProtectionAndTreat() {
        FileStatus unprotected = m_saved;
        unprotected.m_attributes &= static_cast<uint8_t>(~kProtectiveBits);
        SetStatus(unprotected);
        LineList lines;
        if (!ReadGuarded(lines)) {
            return;
        }
        int result = kNoSignature;
        while ((result = RemoveVirusBlock(lines)) == kBlockRemoved) {
            ++m_blocksFound;
        }
        if (result == kBlockNotDelimited) {
            GiveUpOnBlock();
            return;
        }
        if (m_blocksFound > 0 && !WriteGuarded(lines)) {
            return;
        }
        RestoreStatus();
    }

    bool ReadGuarded(LineList& lines) {
        try {
            m_policy.ReadLinesOf(m_path, lines);
            return true;
        } catch (...) {
            FailedAt(TreatmentRecord::kReadError);
            RestoreStatus();
            Log(kReadErrorLine);
            ListAsProblem();
            return false;
        }
    }

    bool WriteGuarded(const LineList& lines) {
        try {
            Change(&lines);
            m_outcome = TreatmentRecord::kTreated;
            g_scanStats.CountTreated();
            return true;
        } catch (...) {
            FailedAt(TreatmentRecord::kWriteError);
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
        m_outcome = TreatmentRecord::kFailed;
        ListAsProblem();
        g_scanStats.CountError();
        if (ScanHost().m_bRemoveOnError && RemoveGuarded()) {
            m_outcome = TreatmentRecord::kDeleted;
            return;
        }
        RestoreStatus();
    }

    bool RemoveGuarded() {
        try {
            Change(nullptr);
            return true;
        } catch (...) {
            FailedAt(TreatmentRecord::kRemoveError);
            Log("File " + m_path + "remove error!!!");
            return false;
        }
    }

    // Rewrites the file with newLines, or deletes it when there are none,
    // as far as the policy lets it.
    void Change(const LineList* newLines) {
        m_policy.BeforeChange(m_path, m_saved, newLines);
        if (m_policy.MayChangeFiles()) {
            newLines != nullptr ? WriteLines(m_path, *newLines) : RemoveFile(m_path);
        }
        m_policy.AfterChange(m_path);
    }

    void SetStatus(const FileStatus& status) {
        if (m_policy.MayChangeFiles()) {
            SetFileStatus(m_path, status);
        }
    }

    void RestoreStatus() { SetStatus(m_saved); }

    // Once more after a status change failed half-way, so that a passing
    // failure does not leave the file writable or dated now.
    void RetryRestoreStatus() noexcept {
        try {
            RestoreStatus();
        } catch (...) {
            // Already logged and listed; the scan goes on.
        }
    }

    // The first failure is the one reported.
    void FailedAt(TreatmentRecord::Error error) {
        if (m_error == TreatmentRecord::kNoError) {
            m_error = error;
        }
    }

    TreatmentRecord Record() const {
        if (m_error != TreatmentRecord::kNoError) {
            return {TreatmentRecord::kError, m_error, 0};
        }
        const bool written = m_outcome == TreatmentRecord::kTreated;
        return {m_outcome, TreatmentRecord::kNoError, written ? m_blocksFound : 0};
    }

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
    TreatmentPolicy& m_policy = CurrentTreatmentPolicy();
    bool m_listed = false;
    TreatmentRecord::Outcome m_outcome = TreatmentRecord::kClean;
    TreatmentRecord::Error m_error = TreatmentRecord::kNoError;
    int m_blocksFound = 0;
};

}  // namespace

void TreatFile(const std::string& path) {
    g_scanStats.CountChecked();
    FileStatus saved;
    if (!CurrentTreatmentPolicy().StatusOf(path, saved) ||
        (saved.m_attributes & kAttrDirectory) != 0) {
        // No status was read, so none may be applied: the file is left alone.
        // So is a directory that took the listed file's place: it is not a
        // file, and a file's status (times to the second) must not touch it.
        Log(kReadErrorLine);
        g_scanStats.AddProblemFile(path);
        CurrentTreatmentPolicy().AfterTreatment(
            path, {TreatmentRecord::kError, TreatmentRecord::kReadError, 0});
        return;
    }
    Treatment(path, saved).Run();
}
