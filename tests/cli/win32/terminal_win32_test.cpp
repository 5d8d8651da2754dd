#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <string>

#include "cli/terminal.h"

namespace {

// Runs with a handle in place of standard error.
void WithStandardError(HANDLE handle, const std::function<void()>& run) {
    const HANDLE saved = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, handle);
    run();
    SetStdHandle(STD_ERROR_HANDLE, saved);
}

// The progress line goes only to a console; a pipe, as a test runner or a
// script gives, gets nothing. In a console of another code page a name in
// the ANSI code page (1252 here: U+00C9, "t", U+00E9) shows as the same
// characters.
TEST(TerminalWin32, OnlyAConsoleIsATerminalAndShowsNamesAsTheyAre) {
    ASSERT_EQ(GetACP(), 1252u);
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    WithStandardError(writeEnd, [] { EXPECT_EQ(TerminalColumns(StandardStream::kError), 0); });
    CloseHandle(readEnd);
    CloseHandle(writeEnd);

    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    const HANDLE console =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetConsoleOutputCP(437));
    std::streambuf* const saved = std::cerr.rdbuf();
    WithStandardError(console, [] {
        EXPECT_GT(TerminalColumns(StandardStream::kError), 0);
        ShowErrorsInTheConsoleCodePage();
        std::cerr << "\xc9t\xe9" << std::flush;
    });
    std::cerr.rdbuf(saved);
    std::wstring shown(3, L' ');
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(console, shown.data(), 3, COORD{0, 0}, &read));
    EXPECT_EQ(shown, L"\u00c9t\u00e9");
    CloseHandle(console);
    FreeConsole();
}

}  // namespace
