#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>

#include "cli/terminal.h"
#include "core/code_page.h"

namespace {

// Text in the ANSI code page, written to a console as wide characters.
class ConsoleTextBuffer : public std::streambuf {
public:
    explicit ConsoleTextBuffer(HANDLE console) : m_console(console) {}

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            m_pending.push_back(traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize size) override {
        m_pending.append(text, static_cast<std::size_t>(size));
        return size;
    }
    int sync() override {
        const std::size_t whole = WholeCharacters();
        const int length = static_cast<int>(whole);
        std::wstring wide(whole, L'\0');
        wide.resize(static_cast<std::size_t>(
            MultiByteToWideChar(CP_ACP, 0, m_pending.data(), length, wide.data(), length)));
        DWORD written = 0;
        const bool done = WriteConsoleW(m_console, wide.data(), static_cast<DWORD>(wide.size()),
                                        &written, nullptr);
        m_pending.erase(0, whole);
        return done || wide.empty() ? 0 : -1;
    }

private:
    // The bytes up to the last whole character: a lead byte at the end waits
    // for its trail byte.
    std::size_t WholeCharacters() const {
        const CodePage& codePage = SystemCodePage();
        std::size_t pos = 0;
        while (pos < m_pending.size() &&
               !(codePage.IsLeadByte(static_cast<unsigned char>(m_pending[pos])) &&
                 pos + 1 == m_pending.size())) {
            pos += codePage.CharacterSize(m_pending, pos);
        }
        return pos;
    }

    HANDLE m_console;
    std::string m_pending;
};

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

// Only a console has a console mode; a file, a pipe or a terminal emulator
// that talks through pipes does not.
int TerminalColumns(StandardStream stream) {
    const HANDLE handle =
        GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (!IsConsole(handle)) {
        return 0;
    }
    // A console that does not tell its window's size gets the classic 80.
    CONSOLE_SCREEN_BUFFER_INFO info;
    const bool sized =
        GetConsoleScreenBufferInfo(handle, &info) && info.srWindow.Right > info.srWindow.Left;
    return sized ? info.srWindow.Right - info.srWindow.Left + 1 : 80;
}

void ShowErrorsInTheConsoleCodePage() {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (IsConsole(error)) {
        // Never freed: the streams are flushed after every static object has gone.
        std::cerr.rdbuf(new ConsoleTextBuffer(error));
    }
}
