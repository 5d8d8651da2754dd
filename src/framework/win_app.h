#pragma once

#include <windows.h>

#include <string>

#include "framework/cmd_target.h"

class CDialog;

// The application: start-up, the main window and help. One object, run by AfxWinMain.
class CWinApp : public CCmdTarget {
public:
    ~CWinApp() override = default;

    // True when the application goes on in a message loop of its own; false when it is done
    // (an application whose windows are modal runs them here).
    virtual bool InitInstance() = 0;

    // Shows the topic of the application's help file with this context number; tells the user
    // when help cannot start.
    void ShowHelpContext(DWORD dwContext);

    // Set at start-up.
    HINSTANCE m_hInstance = nullptr;
    std::string m_strExeName;       // the program file's name without folder and extension
    std::string m_strAppName;       // caption of the framework's message boxes
    std::string m_strHelpFilePath;  // the program file's path with ".HLP"

    CDialog* m_pMainWnd = nullptr;

    // What the main window asks of the application it belongs to: the About
    // box, the contents of the help file (closed again when the window ends)
    // and the maker's site.
    virtual void ShowAboutBox() = 0;
    virtual void ShowHelpContents(HWND hOwner) = 0;
    virtual void CloseHelp(HWND hOwner) = 0;
    virtual void OpenWebSite() = 0;

protected:
    // Registers the list view's window class, which a dialog's list needs
    // before the dialog is created.
    void RegisterCommonControls();

    // The ID_HELP command: help on the window the user is working in.
    void OnHelp();

private:
    friend int AfxWinMain(CWinApp& app, HINSTANCE hInstance);
    void StartUp(HINSTANCE hInstance);
};

// Runs the application: start-up, then InitInstance.
int AfxWinMain(CWinApp& app, HINSTANCE hInstance);

// The application that AfxWinMain runs, and its program instance.
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
