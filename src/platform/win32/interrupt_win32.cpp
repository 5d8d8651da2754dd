#include <windows.h>

#include "core/interrupt.h"
#include "core/stop_flag.h"

namespace {

// The system ends the process as soon as the handler of these returns.
bool EndsTheProcess(DWORD event) {
    return event == CTRL_CLOSE_EVENT || event == CTRL_SHUTDOWN_EVENT;
}

// Runs on a thread of its own. After a close or a shutdown it never returns:
// the main thread finishes the file in hand, writes the break banner, the
// report and the output, and its exit ends this thread with the process (or
// the system does, once its time for the event is up).
BOOL WINAPI RequestStop(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && !EndsTheProcess(event)) {
        return FALSE;
    }
    g_bStopScan.store(1);
    if (EndsTheProcess(event)) {
        Sleep(INFINITE);
    }
    return TRUE;
}

}  // namespace

void StopScanOnInterrupt() {
    SetConsoleCtrlHandler(RequestStop, TRUE);
}
