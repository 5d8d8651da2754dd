#include "core/stop_flag.h"

std::atomic<int32_t> g_bStopScan{0};
