#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/terminal.h"

int TerminalColumns(StandardStream stream) {
    const int fd = stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO;
    if (isatty(fd) == 0) {
        return 0;
    }
    // A terminal that does not tell its size (a bare pty) gets the classic 80.
    winsize size{};
    return ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

// A terminal shows the bytes of a name as they are.
void ShowErrorsInTheConsoleCodePage() {}
