#include <windows.h>

#include "core/interrupt.h"
#include "core/stop_flag.h"

namespace {

BOOL WINAPI RequestStop(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    g_bStopScan.store(1);
    return TRUE;
}

}  // namespace

void StopScanOnInterrupt() {
    SetConsoleCtrlHandler(RequestStop, TRUE);
}
