#include <windows.h>

#include "app/scan_app.h"
#include "framework/win_app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    return AfxWinMain(g_scanApp, hInstance);
}
