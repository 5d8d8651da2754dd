#include "framework/dialog.h"

#include <utility>

#include "framework/center_window.h"
#include "framework/framework_res.h"
#include "framework/help.h"
#include "framework/win_app.h"

BEGIN_MESSAGE_MAP(CDialog, CCmdTarget)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
    const INT_PTR result =
        DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), ModalOwner(),
                        &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

// A dialog without a parent belongs to the pop-up the user last worked in over the main window.
HWND CDialog::ModalOwner() const {
    if (m_pParentWnd != nullptr) {
        return m_pParentWnd->GetSafeHwnd();
    }
    const CWinApp* app = AfxGetApp();
    const HWND hMain =
        app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    return hMain != nullptr ? GetLastActivePopup(hMain) : nullptr;
}

void CDialog::UpdateData(bool bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(true);
    EndDialog(m_hWnd, IDOK);
}

void CDialog::OnCancel() {
    EndDialog(m_hWnd, IDCANCEL);
}

CDialog* CDialog::FromHandle(HWND hWnd) {
    return reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
}

// No exception may unwind through the dialog manager: a failed handler leaves the message
// to the default processing.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            return reinterpret_cast<CDialog*>(lParam)->AttachAndInitialise(hWnd);
        }
        CDialog* dialog = FromHandle(hWnd);
        return dialog != nullptr ? dialog->OnMessage(message, wParam, lParam) : FALSE;
    } catch (...) {
        return FALSE;
    }
}

// A template placed at (0, 0) without DS_CENTER would open in the corner: the dialog is
// centred unless its initialisation has shown or moved it.
INT_PTR CDialog::AttachAndInitialise(HWND hWnd) {
    m_hWnd = hWnd;
    SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    RECT before{};
    GetWindowRect(hWnd, &before);
    const INT_PTR result = OnInitDialog();
    RECT after{};
    GetWindowRect(hWnd, &after);
    const bool moved = before.left != after.left || before.top != after.top;
    if (!IsWindowVisible(hWnd) && !moved) {
        CenterWindow(hWnd);
    }
    return result;
}

INT_PTR CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        return OnCommand(wParam, lParam);
    }
    if (message == HelpContextMessage()) {
        return AnswerHelpContext();
    }
    INT_PTR result = FALSE;
    Handle(message, 0, wParam, lParam, result);
    return result;
}

// Commands the dialog does not handle go on to the application's table (F1's ID_HELP).
INT_PTR CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != 0) {
        return FALSE;  // a control's notification, not a command
    }
    const UINT commandId = LOWORD(wParam);
    INT_PTR result = FALSE;
    if (Handle(WM_COMMAND, commandId, wParam, lParam, result)) {
        return result;
    }
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->OnCmdMsg(WM_COMMAND, commandId, wParam, lParam, result)) {
        return result;
    }
    return FALSE;
}

INT_PTR CDialog::AnswerHelpContext() {
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, HID_BASE_RESOURCE + m_nIDTemplate);
    return TRUE;
}

// A handler may run a modal loop that handles other messages, so each message keeps its own
// request for default processing.
bool CDialog::Handle(UINT message, UINT commandId, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    const bool outerRequest = std::exchange(m_bDefaultRequested, false);
    const bool handled = OnCmdMsg(message, commandId, wParam, lParam, result);
    if (std::exchange(m_bDefaultRequested, outerRequest)) {
        result = FALSE;
    }
    return handled;
}
