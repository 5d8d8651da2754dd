#pragma once

enum class StandardStream { kOutput, kError };

// The width in columns of the terminal (the console, on Windows) a standard
// stream writes to; 0 when it goes to a file, a pipe or anything else.
int TerminalColumns(StandardStream stream);
