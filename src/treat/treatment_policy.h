#pragma once

#include <string>

#include "core/line_list.h"
#include "fileio/file_status.h"

// How one treatment of one file ended.
struct TreatmentRecord {
    enum Outcome { kClean, kTreated, kFailed, kDeleted, kError };
    // The first step that failed, for kError.
    enum Error { kNoError, kReadError, kWriteError, kStatusError, kRemoveError };
    Outcome m_outcome = kClean;
    Error m_error = kNoError;
    int m_blocksRemoved = 0;  // cut out of the file on disk
};

// What a treatment may do to the files it treats. The base class is what a
// treatment has always done: read, rewrite, delete, set the status. A front
// end installs another one for a preview, which changes nothing, or to keep
// a copy of every file before it changes.
class TreatmentPolicy {
public:
    virtual ~TreatmentPolicy() = default;

    // False for a preview: no file's content, status or existence changes,
    // and every step that would change one is taken as having succeeded.
    virtual bool MayChangeFiles() const { return true; }

    // How the treatment sees a file; a preview answers for the files it
    // pretended to rewrite or delete.
    virtual bool StatusOf(const std::string& path, FileStatus& status);
    virtual bool ReadLinesOf(const std::string& path, LineList& lines);

    // Before the file, whose status before its treatment was saved, is
    // rewritten with newLines or, when newLines is null, deleted. Raising
    // refuses the change: the file stays as it is and is a problem file.
    virtual void BeforeChange(const std::string& path, const FileStatus& saved,
                              const LineList* newLines);
    // After that change was made (or, in a preview, taken as made).
    virtual void AfterChange(const std::string& path);

    // At the end of every treatment, whatever happened.
    virtual void AfterTreatment(const std::string& path, const TreatmentRecord& record);
};

// The policy the next treatments follow; null puts back the base class.
// Installed, like the scan host, only while no scan runs, and used from the
// scan's own thread only.
void InstallTreatmentPolicy(TreatmentPolicy* policy);
TreatmentPolicy& CurrentTreatmentPolicy();
