#include "core/blank_signature.h"
#include "core/stop_flag.h"
#include "framework/win_app.h"
#include "scan/file_types.h"
#include "ui/scan_dlg.h"
#include "ui/scan_thread.h"

namespace {

// The worker logs with SendMessage, which waits for this thread to take the message; so this
// thread must keep taking sent messages while it waits, or each would wait for the other.
void WaitServingSentMessages(HANDLE hThread) {
    while (MsgWaitForMultipleObjects(1, &hThread, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

// Collects a worker that has ended (or whose state cannot be read).
bool CScanDlg::IsScanRunning() {
    if (m_hScanThread == nullptr) {
        return false;
    }
    DWORD exitCode = 0;
    if (GetExitCodeThread(m_hScanThread, &exitCode) && exitCode == STILL_ACTIVE) {
        return true;
    }
    CloseScanThread();
    return false;
}

void CScanDlg::CloseScanThread() {
    CloseHandle(m_hScanThread);
    m_hScanThread = nullptr;
}

// True, after telling the user, when the signature is empty or only blanks.
bool CScanDlg::RefuseBlankSignature() const {
    if (!IsBlankSignature(m_strSignature)) {
        return false;
    }
    MessageBoxA(m_hWnd, "The Unique Virus Signature must not be empty.", "Kelvane",
                MB_ICONEXCLAMATION);
    return true;
}

void CScanDlg::OnStart() {
    if (IsScanRunning()) {
        return;
    }
    UpdateData(true);
    if (RefuseBlankSignature()) {
        return;
    }
    m_masks = ParseFileTypes(m_strFileTypes);
    g_bStopScan = 0;
    InstallScanHost(this);
    m_hScanThread = CreateThread(nullptr, 0, ScanThreadProc, nullptr, 0, nullptr);
    if (m_hScanThread != nullptr) {
        PaintLogPeriodically();
    }
}

void CScanDlg::OnStop() {
    g_bStopScan = 1;
}

// Exit stops a running scan but closes the window only once no scan runs.
void CScanDlg::OnOK() {
    g_bStopScan = 1;
    if (IsScanRunning()) {
        return;
    }
    AfxGetApp()->CloseHelp(m_hWnd);
    CDialog::OnOK();
}

// Cancel closes the window at once, even while a scan runs (which ends after the window).
void CScanDlg::OnCancel() {
    CloseLog();
    CDialog::OnCancel();
}

// The worker finishes the file it is treating before it looks at the stop request.
void CScanDlg::StopScanAndWait() {
    if (!IsScanRunning()) {
        return;
    }
    g_bStopScan = 1;
    WaitServingSentMessages(m_hScanThread);
    CloseScanThread();
}
