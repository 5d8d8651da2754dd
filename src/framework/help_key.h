#pragma once

#include <windows.h>

// While it exists, F1 without Shift, Ctrl or Alt in any dialog box of this thread (the modal
// loops of our dialogs and message boxes) sends ID_HELP to the application's main window.
class CHelpKeyFilter {
public:
    CHelpKeyFilter();
    ~CHelpKeyFilter();
    CHelpKeyFilter(const CHelpKeyFilter&) = delete;
    CHelpKeyFilter& operator=(const CHelpKeyFilter&) = delete;

private:
    HHOOK m_hHook;
};
