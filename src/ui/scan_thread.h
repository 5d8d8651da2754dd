#pragma once

#include <windows.h>

// The worker's entry: scans every drive, logging into the main window, then returns 0.
DWORD WINAPI ScanThreadProc(LPVOID lpParameter);
