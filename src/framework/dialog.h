#pragma once

#include <windows.h>

#include "framework/cmd_target.h"
#include "framework/data_exchange.h"

// A modal dialog built from a dialog template. One dialog procedure serves every dialog and
// hands each message to the handler in the class's table; what no table handles goes back to
// the dialog manager.
class CDialog : public CCmdTarget {
public:
    // Without a parent the dialog is owned by the application's main window, if that is open.
    explicit CDialog(UINT nIDTemplate, CDialog* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}
    ~CDialog() override = default;

    // Runs the dialog until it ends; returns its end code, or -1 when it could not be created.
    INT_PTR DoModal();

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }

    // True: controls into members; false: members into controls.
    void UpdateData(bool bSaveAndValidate);

protected:
    virtual void DoDataExchange(CDataExchange* pDX) = 0;
    // Puts the members into the controls; true gives the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Called by a handler: the dialog manager processes the current message after all.
    void Default() { m_bDefaultRequested = true; }

    HWND m_hWnd = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static CDialog* FromHandle(HWND hWnd);
    INT_PTR AttachAndInitialise(HWND hWnd);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnCommand(WPARAM wParam, LPARAM lParam);
    INT_PTR AnswerHelpContext();
    bool Handle(UINT message, UINT commandId, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    HWND ModalOwner() const;

    const UINT m_nIDTemplate;
    CDialog* const m_pParentWnd;
    bool m_bDefaultRequested = false;
};
