#pragma once

// Makes the requests to end a console program act as Stop: they raise
// g_bStopScan, and the scan ends after the file it is treating, with its
// closing banner and report. On POSIX: SIGINT (Ctrl+C), SIGTERM (kill,
// timeout, systemctl stop) and SIGHUP (the terminal closed), each unless
// the program was started with it ignored (nohup). On Windows: Ctrl+C,
// Ctrl+Break, and the console window closing or the system shutting down,
// which end the process as soon as the handler returns: the handler then
// holds the process until the program ends it itself.
void StopScanOnInterrupt();
