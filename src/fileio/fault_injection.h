#pragma once

// A seam through which tests make one use of one operating-system call of
// the file layer fail with a chosen error, as the OS would report it. The
// backends ask TakeInjectedFault before every call; outside tests nothing is
// injected and the check costs a counter increment. Uses are counted
// exactly from any thread; faults are injected and cleared between scans.

// Every call of the file layer, listed once: the enum, the count and the
// names come from here, and the fault matrix tries each one, so a call added
// to this list is counted, named and faulted without another edit.
#define KELVANE_FILE_CALLS(X) \
    X(OpenRead)               \
    X(Read)                   \
    X(CloseRead)              \
    X(CreateTemporary)        \
    X(Write)                  \
    X(Flush)                  \
    X(Replace)                \
    X(GetStatus)              \
    X(GetAttributes)          \
    X(SetAttributes)          \
    X(SetTimes)               \
    X(Delete)                 \
    X(ListDirectory)          \
    X(OpenAppend)

#define KELVANE_FILE_CALL_ENUMERATOR(call) call,
enum class FileCall { KELVANE_FILE_CALLS(KELVANE_FILE_CALL_ENUMERATOR) };
#undef KELVANE_FILE_CALL_ENUMERATOR

#define KELVANE_FILE_CALL_NAME(call) #call,
constexpr const char* kFileCallNames[] = {KELVANE_FILE_CALLS(KELVANE_FILE_CALL_NAME)};
#undef KELVANE_FILE_CALL_NAME

constexpr int kFileCallCount = static_cast<int>(sizeof kFileCallNames / sizeof kFileCallNames[0]);

// From now on, the nth use (1 for the next one) of call fails with osError
// (an errno value on POSIX, a GetLastError code on Windows).
void InjectFault(FileCall call, int nthUse, int osError);
// Forgets every injected fault and restarts the counts.
void ClearFaults();
// How often call was used since the last ClearFaults.
int UsesOf(FileCall call);

// For the backends: counts one use of call and returns the error to fail it
// with, or 0 when it must run.
int TakeInjectedFault(FileCall call);
