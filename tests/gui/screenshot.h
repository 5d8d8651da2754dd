#pragma once

#include <windows.h>

// Saves a picture of the window, as the screen shows it, as a BMP file at the path that the
// environment variable KELVANE_SCREENSHOT names; does nothing when it is not set. The picture
// is for the documentation (tools/screenshot.sh), not a check.
void SaveScreenshotIfAsked(HWND window);
