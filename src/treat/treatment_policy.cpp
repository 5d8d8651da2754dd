#include "treat/treatment_policy.h"

#include "core/scan_host.h"
#include "fileio/text_file.h"

namespace {
TreatmentPolicy g_changeEverything;
TreatmentPolicy* g_pPolicy = &g_changeEverything;
}  // namespace

bool TreatmentPolicy::StatusOf(const std::string& path, FileStatus& status) {
    return GetFileStatus(path, status);
}

// A file without the signature has no signature line: its lines are not
// needed, and not building them is most of a scan's speed.
bool TreatmentPolicy::ReadLinesOf(const std::string& path, LineList& lines) {
    return ReadLines(path, lines, ScanHost().m_strSignature);
}

void TreatmentPolicy::BeforeChange(const std::string&, const FileStatus&, const LineList*) {}

void TreatmentPolicy::AfterChange(const std::string&) {}

void TreatmentPolicy::AfterTreatment(const std::string&, const TreatmentRecord&) {}

void InstallTreatmentPolicy(TreatmentPolicy* policy) {
    g_pPolicy = policy != nullptr ? policy : &g_changeEverything;
}

TreatmentPolicy& CurrentTreatmentPolicy() {
    return *g_pPolicy;
}
