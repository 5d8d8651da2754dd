#pragma once

// Makes Ctrl+C (SIGINT, or the console's control handler) act as Stop: it
// raises g_bStopScan, and the scan ends after the file it is treating.
void StopScanOnInterrupt();
