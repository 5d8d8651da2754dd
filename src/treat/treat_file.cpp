#include "treat/treat_file.h"

#include "core/log_text.h"
#include "core/scan_host.h"
#include "fileio/file_status.h"
#include "fileio/text_file.h"
#include "scan/scan_stats.h"
#include "treat/remove_virus_block.h"
#include "treat/treatment_policy.h"

namespace {

constexpr uint8_t kProtectiveBits = kAttrReadOnly | kAttrHidden | kAttrSystem;

void Log(const std::string& line) {
    ScanHost().AddLogLine(line);
}

// One file's treatment. A file that is only read keeps everything it had,
// its times and its status-change time included: its protection
// (read-only, hidden, system) is lifted only right before the file
// changes, and given back right after, whether the change was made or not.
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
            Treat();
        } catch (...) {
            // The status of a changed file could not be put back (it
            // vanished, or its medium is read-only); the scan goes on.
            FailedAt(TreatmentRecord::kStatusError);
            Log(LogText::kStatusError);
            ListAsProblem();
            if (m_lifted || m_outcome == TreatmentRecord::kTreated) {
                RetryRestoreStatus();
            }
        }
    }

    void Treat() {
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
        } else if (m_blocksFound > 0 && WriteGuarded(lines)) {
            RestoreStatus();  // the new content is a new file, dated now
        }
    }

    bool ReadGuarded(LineList& lines) {
        try {
            m_policy.ReadLinesOf(m_path, lines);
            return true;
        } catch (...) {
            FailedAt(TreatmentRecord::kReadError);
            Log(LogText::kReadError);
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
            Log(LogText::kWriteError);
            g_scanStats.CountError();
            GiveProtectionBack();
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
        }
    }

    bool RemoveGuarded() {
        try {
            Change(nullptr);
            return true;
        } catch (...) {
            FailedAt(TreatmentRecord::kRemoveError);
            Log(LogText::RemoveError(m_path));
            GiveProtectionBack();
            return false;
        }
    }

    // Rewrites the file with newLines, or deletes it when there are none,
    // as far as the policy lets it. A protection that cannot be lifted is a
    // failure of the change: on a read-only medium the change could not be
    // made anyway.
    void Change(const LineList* newLines) {
        m_policy.BeforeChange(m_path, m_saved, newLines);
        if (m_policy.MayChangeFiles()) {
            LiftProtection();
            newLines != nullptr ? WriteLines(m_path, *newLines) : RemoveFile(m_path);
        }
        m_policy.AfterChange(m_path);
    }

    // The attributes alone: the times stay the file's own until it changes.
    void LiftProtection() {
        if ((m_saved.m_attributes & kProtectiveBits) == 0) {
            return;
        }
        FileStatus unprotected = m_saved;
        unprotected.m_attributes &= static_cast<uint8_t>(~kProtectiveBits);
        unprotected.m_lastWriteTime = 0;
        SetFileStatus(m_path, unprotected);
        m_lifted = true;
    }

    // After a change that failed, the file is as it was but for the
    // protection lifted for it.
    void GiveProtectionBack() {
        if (m_lifted) {
            RestoreStatus();
            m_lifted = false;
        }
    }

    void RestoreStatus() {
        if (m_policy.MayChangeFiles()) {
            SetFileStatus(m_path, m_saved);
        }
    }

    // Once more after putting the status back failed half-way, so that a
    // passing failure does not leave the file writable or dated now.
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
    bool m_lifted = false;
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
        // file, and a file's status must not touch it.
        Log(LogText::kReadError);
        g_scanStats.AddProblemFile(path);
        CurrentTreatmentPolicy().AfterTreatment(
            path, {TreatmentRecord::kError, TreatmentRecord::kReadError, 0});
        return;
    }
    Treatment(path, saved).Run();
}

void TreatFileFoundClean(const std::string& path) {
    g_scanStats.CountChecked();
    CurrentTreatmentPolicy().AfterTreatment(path, TreatmentRecord{});
}
