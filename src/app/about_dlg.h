#pragma once

#include "framework/dialog.h"

// The About box: the program's name, version and copyright; OK and Cancel close it.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

protected:
    DECLARE_MESSAGE_MAP()

    void DoDataExchange(CDataExchange* pDX) override;
};
