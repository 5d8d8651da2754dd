#pragma once

#include <windows.h>

// Shows the wait cursor for as long as it exists.
class CWaitCursor {
public:
    CWaitCursor() : m_hRestore(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { SetCursor(m_hRestore); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_hRestore;
};
