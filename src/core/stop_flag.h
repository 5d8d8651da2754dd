#pragma once

#include <atomic>
#include <cstdint>

// Set by the user (Stop, Exit, Ctrl+C) and polled by the scan; 0 or 1.
extern std::atomic<int32_t> g_bStopScan;
