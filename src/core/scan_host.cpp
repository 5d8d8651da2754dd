#include "core/scan_host.h"

#include <cassert>

namespace {
CScanHost* g_pScanHost = nullptr;
}

void InstallScanHost(CScanHost* host) {
    g_pScanHost = host;
}

CScanHost& ScanHost() {
    assert(g_pScanHost != nullptr && "the front end installs a host before it scans");
    return *g_pScanHost;
}
