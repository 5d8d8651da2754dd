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

// What the console does with an event: it runs the handlers on a new thread, with the routine
// the system gives every program. No API lets a program send itself the close event.
HANDLE DeliverConsoleEvent(DWORD event) {
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CtrlRoutine")));
    return routine == nullptr
               ? nullptr
               : CreateThread(nullptr, 0, routine,
                              reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(event)), 0, nullptr);
}

// Exits with 3 when the event raised the stop flag and its handler returned (held false) or was
// still running half a second later (held true).
void DeliverAndExit(DWORD event, bool held) {
    g_bStopScan = 0;
    StopScanOnInterrupt();
    const HANDLE handler = DeliverConsoleEvent(event);
    const DWORD wait = handler == nullptr ? WAIT_FAILED : WaitForSingleObject(handler, 500);
    const bool asExpected = wait == (held ? WAIT_TIMEOUT : WAIT_OBJECT_0) && g_bStopScan == 1;
    TerminateProcess(GetCurrentProcess(), asExpected ? 3 : 4);
}

// Ctrl+Break acts as Stop, as Ctrl+C does. Closing the console ends the process as soon as the
// handler returns, so there the handler must not return before the scan has ended. Each case in
// a process of its own, since a handler that is not held lets the default one end the process,
// and a held one is never released.
TEST(InterruptWin32DeathTest, CtrlBreakAndClosingTheConsoleRaiseTheStopFlagAndACloseIsHeld) {
    EXPECT_EXIT(DeliverAndExit(CTRL_BREAK_EVENT, false), ::testing::ExitedWithCode(3), "");
    EXPECT_EXIT(DeliverAndExit(CTRL_CLOSE_EVENT, true), ::testing::ExitedWithCode(3), "");
}

}  // namespace
