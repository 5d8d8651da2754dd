#include <windows.h>

#include <gtest/gtest.h>

#include "core/interrupt.h"
#include "core/stop_flag.h"

namespace {

// Ctrl+C and Ctrl+Break in the console of kelvane-scan.exe act as Stop. The
// test takes a console of its own so that the events have somewhere to go.
TEST(InterruptWin32, CtrlCAndCtrlBreakInTheConsoleRaiseTheStopFlag) {
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    StopScanOnInterrupt();
    for (const DWORD event : {CTRL_C_EVENT, CTRL_BREAK_EVENT}) {
        SCOPED_TRACE(event);
        g_bStopScan = 0;
        ASSERT_TRUE(GenerateConsoleCtrlEvent(event, 0));
        // The handler runs on a thread of its own.
        for (int i = 0; i < 500 && g_bStopScan == 0; ++i) {
            Sleep(10);
        }
        EXPECT_EQ(g_bStopScan.load(), 1);
    }
    g_bStopScan = 0;
}

// What the console does when its window closes: it runs the handlers on a new thread with the
// routine the system gives every program, which no API lets a program call for this event.
HANDLE DeliverConsoleEvent(DWORD event) {
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CtrlRoutine")));
    return routine == nullptr
               ? nullptr
               : CreateThread(nullptr, 0, routine,
                              reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(event)), 0, nullptr);
}

// The process ends as soon as the handler of a close returns, so the handler must not return
// before the scan has ended. In a process of its own, since the held thread is never released.
TEST(InterruptWin32DeathTest, ClosingTheConsoleRaisesTheStopFlagAndHoldsTheProcess) {
    EXPECT_EXIT(
        {
            StopScanOnInterrupt();
            const HANDLE handler = DeliverConsoleEvent(CTRL_CLOSE_EVENT);
            const bool held =
                handler != nullptr && WaitForSingleObject(handler, 500) == WAIT_TIMEOUT;
            TerminateProcess(GetCurrentProcess(), held && g_bStopScan == 1 ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "");
}

}  // namespace
