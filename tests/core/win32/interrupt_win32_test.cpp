#include <windows.h>

#include <gtest/gtest.h>

#include "core/interrupt.h"
#include "core/stop_flag.h"

namespace {

// Ctrl+C in the console of kelvane-scan.exe acts as Stop. The test takes a
// console of its own so that the event has somewhere to go.
TEST(InterruptWin32, CtrlCInTheConsoleRaisesTheStopFlag) {
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    g_bStopScan = 0;
    StopScanOnInterrupt();
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    // The handler runs on a thread of its own.
    for (int i = 0; i < 500 && g_bStopScan == 0; ++i) {
        Sleep(10);
    }
    EXPECT_EQ(g_bStopScan.load(), 1);
    g_bStopScan = 0;
}

}  // namespace
