#include "ui/scan_dlg.h"

#include "framework/resource_string.h"
#include "framework/win_app.h"
#include "res/resource.h"
#include "scan/file_types.h"
#include "scan/search_ahead.h"

// The fields start empty; OnInitDialog fills in the defaults. The window
// has no field for the search threads: it uses one per core.
CScanDlg::CScanDlg() : CDialog(IDD_KELVANE_DIALOG) {
    m_strSignature.clear();
    m_strFirstString.clear();
    m_strLastString.clear();
    m_bRemoveOnError = 0;
    m_nSearchThreads = DefaultSearchThreads();
    InitializeCriticalSection(&m_logLock);
}

CScanDlg::~CScanDlg() {
    DeleteCriticalSection(&m_logLock);
}

BEGIN_MESSAGE_MAP(CScanDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_COMMAND(IDC_START, OnStart)
    ON_COMMAND(IDC_STOP, OnStop)
    ON_COMMAND(IDC_WEB_LINK, OnWebLink)
    ON_COMMAND(IDC_HELP_BUTTON, OnHelpButton)
END_MESSAGE_MAP()

void CScanDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_LOG, m_listLog);
    DDX_Text(pDX, IDC_FILE_TYPES, m_strFileTypes);
    DDX_Text(pDX, IDC_SIGNATURE, m_strSignature);
    DDX_Text(pDX, IDC_FIRST_STRING, m_strFirstString);
    DDX_Text(pDX, IDC_LAST_STRING, m_strLastString);
    DDX_Check(pDX, IDC_REMOVE_ON_ERROR, m_bRemoveOnError);
}

BOOL CScanDlg::OnInitDialog() {
    m_hIcon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    CDialog::OnInitDialog();
    AppendAboutToSystemMenu();
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_nLogLines = 0;
    SetDefaultSettings();
    SetUpLogList();
    UpdateData(false);
    return TRUE;  // the focus goes to the first tab stop, Exit
}

void CScanDlg::AppendAboutToSystemMenu() {
    const HMENU hSysMenu = GetSystemMenu(m_hWnd, FALSE);
    if (hSysMenu == nullptr) {
        return;
    }
    const std::string about = LoadResourceString(IDS_ABOUTBOX);
    if (!about.empty()) {
        AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(hSysMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
}

void CScanDlg::SetDefaultSettings() {
    const ScanSettings defaults;
    m_strFileTypes = kDefaultFileTypes;
    m_masks = ParseFileTypes(m_strFileTypes);
    m_strFirstString = defaults.m_strFirstString;
    m_strLastString = defaults.m_strLastString;
    m_bRemoveOnError = defaults.m_bRemoveOnError;
    m_strSignature = defaults.m_strSignature;
}

void CScanDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        AfxGetApp()->ShowAboutBox();
    } else {
        Default();  // the close command becomes IDCANCEL
    }
}

// Only while minimised: draws the icon in the middle of the client area.
void CScanDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) {
        Default();
        return;
    }
    PAINTSTRUCT paint{};
    const HDC hDC = BeginPaint(m_hWnd, &paint);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect{};
    GetClientRect(m_hWnd, &rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    DrawIcon(hDC, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
}

// The cursor shown while the minimised window is dragged.
HICON CScanDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CScanDlg::OnHelpButton() {
    AfxGetApp()->ShowHelpContents(m_hWnd);
}

void CScanDlg::OnWebLink() {
    AfxGetApp()->OpenWebSite();
}
