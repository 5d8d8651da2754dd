#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "core/interrupt.h"
#include "core/stop_flag.h"

namespace {

// What the console does with an event: it runs the handlers on a new thread, with the routine
// the system gives every program; no API lets a program send itself the close event. Exits with
// 3 when the event raised the stop flag and its handler returned (held false) or was still
// running half a second later (held true).
void DeliverAndExit(DWORD event, bool held) {
    StopScanOnInterrupt();
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CtrlRoutine")));
    const HANDLE handler = CreateThread(
        nullptr, 0, routine, reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(event)), 0, nullptr);
    const DWORD wait = WaitForSingleObject(handler, 500);
    const bool asExpected = wait == (held ? WAIT_TIMEOUT : WAIT_OBJECT_0) && g_bStopScan == 1;
    TerminateProcess(GetCurrentProcess(), asExpected ? 3 : 4);
}

// Ctrl+C and Ctrl+Break in the console of kelvane-scan.exe act as Stop (under Wine they do not
// reach a started program, so the handler is tested here alone). Closing the console ends the
// process as soon as the handler returns, so there the handler must not return before the scan
// has ended. Each event in a process of its own, since a handler that is not held lets the
// default one end the process, and a held one is never released.
TEST(InterruptWin32DeathTest, ConsoleEventsRaiseTheStopFlagAndACloseIsHeld) {
    // Each event, and whether its handler is held.
    const std::pair<DWORD, bool> kEvents[] = {
        {CTRL_C_EVENT, false}, {CTRL_BREAK_EVENT, false}, {CTRL_CLOSE_EVENT, true}};
    for (const auto& [event, held] : kEvents) {
        SCOPED_TRACE(event);
        EXPECT_EXIT(DeliverAndExit(event, held), ::testing::ExitedWithCode(3), "");
    }
}

}  // namespace
