#pragma once

#include <windows.h>

// Centres a pop-up over its owner, or in the work area of the screen when it has no visible
// owner; keeps it inside the work area.
void CenterWindow(HWND hWnd);
