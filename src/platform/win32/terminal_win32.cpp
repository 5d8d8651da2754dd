#include <windows.h>

#include "cli/terminal.h"

// Only a console has a console mode; a file, a pipe or a terminal emulator
// that talks through pipes does not.
int TerminalColumns(StandardStream stream) {
    const HANDLE handle =
        GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(handle, &mode)) {
        return 0;
    }
    // A console that does not tell its window's size gets the classic 80.
    CONSOLE_SCREEN_BUFFER_INFO info;
    const bool sized =
        GetConsoleScreenBufferInfo(handle, &info) && info.srWindow.Right > info.srWindow.Left;
    return sized ? info.srWindow.Right - info.srWindow.Left + 1 : 80;
}
