#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CDialog;
class CListCtrl;

// One run of a dialog's data exchange: which dialog, and which way the data goes.
class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, bool bSaveAndValidate)
        : m_pDlgWnd(pDlgWnd), m_bSaveAndValidate(bSaveAndValidate) {}

    // The control with the given id in the dialog.
    HWND Control(int nIDC) const;

    CDialog* const m_pDlgWnd;
    // True: controls into members; false: members into controls.
    const bool m_bSaveAndValidate;
};

// An edit's whole text.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);

// A check box's state, 0 or 1.
void DDX_Check(CDataExchange* pDX, int nIDC, int32_t& value);

// Attaches the control object to its window on the first exchange; later ones leave it be.
void DDX_Control(CDataExchange* pDX, int nIDC, CListCtrl& control);
