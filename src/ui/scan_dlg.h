#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/scan_host.h"
#include "framework/dialog.h"
#include "framework/list_ctrl.h"

// The main window: the scan settings, Start, Stop, Help, the web link, Exit and the log. It is
// the scan's host: the worker reads the settings from it and logs into its list.
class CScanDlg : public CDialog, public CScanHost {
public:
    CScanDlg();
    ~CScanDlg() override;

    // Appends a line to the log and scrolls it into view; once the window is closing, drops it.
    // Called on the worker thread.
    void AddLogLine(const std::string& line) override;

    // Once the window has closed: stops a scan that still runs and waits until it has ended,
    // so that it never outlives the objects it uses.
    void StopScanAndWait();

protected:
    DECLARE_MESSAGE_MAP()

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    // Initialisation.
    void AppendAboutToSystemMenu();
    void SetDefaultSettings();
    void SetUpLogList();

    // The log's painting while a scan runs.
    void PaintLogPeriodically();
    void OnTimer(UINT_PTR nIDEvent);
    void ScrollLogToEnd();
    void ScrollLogToLine(int32_t line);  // the line comes into view, with every line after it
    void AppendToLog(const std::string& line);
    void CloseLog();

    // Scan control.
    bool IsScanRunning();
    void CloseScanThread();
    bool RefuseBlankSignature() const;
    void OnStart();
    void OnStop();

    // Help and the maker's site.
    void OnHelpButton();
    void OnWebLink();

    // Window-level messages.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();

    CListCtrl m_listLog;
    std::string m_strFileTypes;  // the File Types text that m_masks is built from
    HICON m_hIcon = nullptr;
    HANDLE m_hScanThread = nullptr;
    int32_t m_nLogLines = 0;  // lines in the log, and the index of the next one
    // Held by the worker while it sends a line to the list; m_bLogClosed, set as the window
    // closes, makes it drop every later line.
    CRITICAL_SECTION m_logLock;
    bool m_bLogClosed = false;
};

extern CScanDlg g_scanDlg;
