#include "fileio/fault_injection.h"

#include <array>
#include <atomic>

namespace {

struct InjectedFault {
    int m_nthUse = 0;
    int m_osError = 0;
};

// Counted from every thread that uses the file layer (a scan searches files
// on several), so that the nth use is exactly one use. The faults themselves
// are set and cleared only while no scan runs.
std::array<std::atomic<int>, kFileCallCount> g_uses{};
std::array<InjectedFault, kFileCallCount> g_faults{};

int Index(FileCall call) {
    return static_cast<int>(call);
}

}  // namespace

void InjectFault(FileCall call, int nthUse, int osError) {
    g_faults[Index(call)] = {g_uses[Index(call)] + nthUse, osError};
}

void ClearFaults() {
    for (std::atomic<int>& uses : g_uses) {
        uses.store(0);
    }
    g_faults = {};
}

int UsesOf(FileCall call) {
    return g_uses[Index(call)].load();
}

int TakeInjectedFault(FileCall call) {
    const int use = ++g_uses[Index(call)];
    const InjectedFault& fault = g_faults[Index(call)];
    return use == fault.m_nthUse ? fault.m_osError : 0;
}
