#pragma once

enum class StandardStream { kOutput, kError };

// The width in columns of the terminal (the console, on Windows) a standard
// stream writes to; 0 when it goes to a file, a pipe or anything else.
int TerminalColumns(StandardStream stream);

// Makes standard error show names as the console shows them: on Windows,
// when it is a console, text in the ANSI code page is written to it as the
// characters it stands for (a console reads bytes in its own code page);
// elsewhere bytes go out as they are.
void ShowErrorsInTheConsoleCodePage();
