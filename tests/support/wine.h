#pragma once

// True in a Windows test run under Wine. Wine leaves a file's last-access
// time to the Linux host, which moves it on a read whatever the handle asks,
// so that time can only be checked on Linux itself and on Windows.
bool RunsUnderWine();
