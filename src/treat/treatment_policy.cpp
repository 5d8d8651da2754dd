#include "treat/treatment_policy.h"

#include "fileio/text_file.h"

namespace {
TreatmentPolicy g_changeEverything;
TreatmentPolicy* g_pPolicy = &g_changeEverything;
}  // namespace

bool TreatmentPolicy::StatusOf(const std::string& path, FileStatus& status) {
    return GetFileStatus(path, status);
}

bool TreatmentPolicy::ReadLinesOf(const std::string& path, LineList& lines) {
    return ReadLines(path, lines);
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
