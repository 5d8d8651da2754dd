#pragma once

#include "framework/win_app.h"

// The application: runs the main window and ends with it.
class CScanApp : public CWinApp {
public:
    ~CScanApp() override;

    void ShowAboutBox() override;
    void ShowHelpContents(HWND hOwner) override;
    void CloseHelp(HWND hOwner) override;
    void OpenWebSite() override;

protected:
    DECLARE_MESSAGE_MAP()

    bool InitInstance() override;
};

extern CScanApp g_scanApp;
