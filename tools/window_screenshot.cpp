// The window's picture for the documentation (tools/screenshot.sh): Kelvane.exe after a scan
// of every drive, in a sandbox whose only drive holds the sample site, copied from the screen
// into a BMP file. Runs only in that sandbox, on an X display of its own.
//   window_screenshot FILE.bmp
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <thread>

#include "core/log_text.h"
#include "gui/kelvane_app.h"

namespace {

// Copies the window's part of the screen into a bottom-up 24-bit bitmap of ours.
bool SaveScreenshot(HWND window, const char* path) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    void* pixels = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                            DIB_RGB_COLORS, &pixels, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    const auto pixelBytes = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
    // sizeof is 64 bits wide in the 64-bit build; the header's fields are 32.
    constexpr auto kHeaders = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header);
    const BITMAPFILEHEADER file{0x4D42, kHeaders + pixelBytes, 0, 0, kHeaders};  // "BM"
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file)
        .write(reinterpret_cast<const char*>(&header), sizeof header)
        .write(static_cast<const char*>(pixels), pixelBytes);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: window_screenshot FILE.bmp\n", stderr);
        return 2;
    }
    // Without a window manager nothing draws the caption bars, unless Wine is told to draw them
    // itself, before the window opens.
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Decorated", REG_SZ, "N", 2);
    try {
        const KelvaneApp app;
        app.StartScan();
        // The scan has ended once its report is logged and the log has stopped growing.
        std::size_t lines = 0;
        app.WaitForLog([&](const LogLines& log) {
            const bool still = log.size() == lines;
            lines = log.size();
            std::this_thread::sleep_for(std::chrono::seconds(1));
            return still && std::count(log.begin(), log.end(), LogText::kReportHeading) > 0;
        });
        // Time to paint what the last messages changed.
        SendTo(app.Window(), WM_NULL);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        if (!SaveScreenshot(app.Window(), argv[1])) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
