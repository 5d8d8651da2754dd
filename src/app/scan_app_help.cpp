#include "app/scan_app.h"

#include <shellapi.h>

#include "app/help_files.h"
#include "framework/module_names.h"

namespace {

// The help file is the window's; when it cannot start, the message
// announces online help: the manual beside the program.
void OpenManual() {
    const std::string manual = BesideFile(ModuleFileName(AfxGetInstanceHandle()), kManualFileName);
    ShellExecuteA(nullptr, "open", manual.c_str(), nullptr, "", SW_SHOW);
}

}  // namespace

void CScanApp::ShowHelpContents(HWND hOwner) {
    if (WinHelpA(hOwner, kHelpFileName, HELP_CONTENTS, 0)) {
        return;
    }
    MessageBoxA(nullptr,
                "Inside help system error.\n Help window is not created. \nOnline help opens.",
                "Error", MB_ICONINFORMATION);
    OpenManual();
}

void CScanApp::CloseHelp(HWND hOwner) {
    WinHelpA(hOwner, kHelpFileName, HELP_QUIT, 0);
}
