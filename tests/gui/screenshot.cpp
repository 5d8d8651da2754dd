#include "gui/screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "gui/remote_window.h"

namespace {

const char* ScreenshotPath() {
    const char* path = std::getenv("KELVANE_SCREENSHOT");
    return path != nullptr && *path != '\0' ? path : nullptr;
}

// Without a window manager nothing draws the caption bars, unless Wine is told that it must
// draw them itself. Only for the picture: the checks run with Wine as it comes.
class CaptionsForScreenshot : public ::testing::Environment {
public:
    void SetUp() override {
        if (ScreenshotPath() != nullptr) {
            RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Decorated", REG_SZ,
                            "N", 2);
        }
    }
};

::testing::Environment* const kCaptionsForScreenshot =
    ::testing::AddGlobalTestEnvironment(new CaptionsForScreenshot);

// Time for the window to paint what its last messages changed.
constexpr std::chrono::milliseconds kSettle{1000};

struct Size {
    LONG m_width;
    LONG m_height;
};

BITMAPINFOHEADER BottomUpRgb(Size size) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = size.m_width;
    header.biHeight = size.m_height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    return header;
}

DWORD RowBytes(Size size) {
    return (static_cast<DWORD>(size.m_width) * 3 + 3) & ~3u;
}

void WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const void* pixels,
              DWORD pixelBytes) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + pixelBytes;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(static_cast<const char*>(pixels), pixelBytes);
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

// Copies the window's part of the screen into a bitmap of ours.
void CaptureWindow(HWND window, const std::string& path) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const Size size{frame.right - frame.left, frame.bottom - frame.top};
    BITMAPINFOHEADER header = BottomUpRgb(size);
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    void* pixels = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                            DIB_RGB_COLORS, &pixels, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, size.m_width, size.m_height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    WriteBmp(path, header, pixels, RowBytes(size) * static_cast<DWORD>(size.m_height));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace

void SaveScreenshotIfAsked(HWND window) {
    const char* path = ScreenshotPath();
    if (path == nullptr) {
        return;
    }
    SendTo(window, WM_NULL);
    std::this_thread::sleep_for(kSettle);
    CaptureWindow(window, path);
}
