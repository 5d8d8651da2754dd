#pragma once

#include "framework/win_app.h"

// The application: runs the main window and ends with it.
class CScanApp : public CWinApp {
public:
    ~CScanApp() override;

protected:
    DECLARE_MESSAGE_MAP()

    bool InitInstance() override;
};

extern CScanApp g_scanApp;
