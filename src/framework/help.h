#pragma once

#include <windows.h>

// The message that asks a window for its help context; a dialog answers with
// HID_BASE_RESOURCE plus its template id, every other window with 0.
UINT HelpContextMessage();

// The help context of the window the user works in: asked of the window with the mouse
// capture and its parents, then of the focus window and its parents, then of the main window's
// last active pop-up and its parents. 0 when none answers.
DWORD FindHelpContext(HWND hMainWnd);
