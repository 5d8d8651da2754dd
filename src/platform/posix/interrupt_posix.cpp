#include <csignal>

#include "core/interrupt.h"
#include "core/stop_flag.h"

namespace {

extern "C" void RequestStop(int) {
    g_bStopScan.store(1);
}

}  // namespace

void StopScanOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}
