#include <csignal>
#include <initializer_list>

#include "core/interrupt.h"
#include "core/stop_flag.h"

namespace {

extern "C" void RequestStop(int) {
    g_bStopScan.store(1);
}

bool IsIgnored(int signal) {
    struct sigaction current {};
    return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

}  // namespace

// Restarted calls: a signal must not make the read or write of the file in
// hand fail, since that file is finished before the scan stops.
void StopScanOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (!IsIgnored(signal)) {
            sigaction(signal, &action, nullptr);
        }
    }
}
