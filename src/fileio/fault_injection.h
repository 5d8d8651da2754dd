#pragma once

// A seam through which tests make one use of one operating-system call of
// the file layer fail with a chosen error, as the OS would report it. The
// backends ask TakeInjectedFault before every call; outside tests nothing is
// injected and the check costs a counter increment.
enum class FileCall {
    OpenRead,
    Read,
    CloseRead,
    CreateTemporary,
    Write,
    Flush,
    Replace,
    GetStatus,
    GetAttributes,
    SetAttributes,
    SetTimes,
    Delete,
    ListDirectory,
    OpenAppend,
};
constexpr int kFileCallCount = static_cast<int>(FileCall::OpenAppend) + 1;

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
