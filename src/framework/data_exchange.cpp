#include "framework/data_exchange.h"

#include "framework/dialog.h"
#include "framework/list_ctrl.h"

namespace {

std::string WindowText(HWND hWnd) {
    const int length = GetWindowTextLengthA(hWnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(hWnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

// Leaves an unchanged text alone, so the edit keeps its caret and selection.
void SetWindowTextIfChanged(HWND hWnd, const std::string& text) {
    if (WindowText(hWnd) != text) {
        SetWindowTextA(hWnd, text.c_str());
    }
}

}  // namespace

HWND CDataExchange::Control(int nIDC) const {
    return m_pDlgWnd->GetDlgItem(nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    const HWND hEdit = pDX->Control(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = WindowText(hEdit);
    } else {
        SetWindowTextIfChanged(hEdit, value);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int32_t& value) {
    const HWND hButton = pDX->Control(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int32_t>(SendMessageA(hButton, BM_GETCHECK, 0, 0));
    } else {
        SendMessageA(hButton, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CListCtrl& control) {
    if (control.GetSafeHwnd() == nullptr) {
        control.Attach(pDX->Control(nIDC));
    }
}
