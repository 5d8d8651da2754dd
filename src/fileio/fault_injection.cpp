#include "fileio/fault_injection.h"

#include <array>

namespace {

struct InjectedFault {
    int m_nthUse = 0;
    int m_osError = 0;
};

// Only the scan's one thread touches these.
std::array<int, kFileCallCount> g_uses{};
std::array<InjectedFault, kFileCallCount> g_faults{};

int Index(FileCall call) {
    return static_cast<int>(call);
}

}  // namespace

void InjectFault(FileCall call, int nthUse, int osError) {
    g_faults[Index(call)] = {g_uses[Index(call)] + nthUse, osError};
}

void ClearFaults() {
    g_uses = {};
    g_faults = {};
}

int UsesOf(FileCall call) {
    return g_uses[Index(call)];
}

int TakeInjectedFault(FileCall call) {
    const int use = ++g_uses[Index(call)];
    const InjectedFault& fault = g_faults[Index(call)];
    return use == fault.m_nthUse ? fault.m_osError : 0;
}
