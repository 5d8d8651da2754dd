#include "support/wine.h"

#ifdef _WIN32
#include <windows.h>

bool RunsUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}
#else
bool RunsUnderWine() {
    return false;
}
#endif
