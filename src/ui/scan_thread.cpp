#include "ui/scan_thread.h"

#include "scan/scanner.h"

// An exception must not leave the thread (it would end the process). A scan that fails this
// way, out of memory say, simply ends early: the rewrite of a file is atomic, so nothing is
// left half-written.
DWORD WINAPI ScanThreadProc(LPVOID) {
    try {
        ScanAllDrives();
    } catch (...) {
    }
    return 0;
}
