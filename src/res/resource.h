#pragma once

// Resource ids of the program; plain macros so the resource script can use them.

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_KELVANE_DIALOG 102
#define IDR_MAINFRAME 128

// The About command that the main window adds to its system menu.
#define IDM_ABOUTBOX 0x0010

// Controls of the main window.
#define IDC_START 3
#define IDC_STOP 1001
#define IDC_SIGNATURE 1005
#define IDC_FIRST_STRING 1006
#define IDC_LAST_STRING 1008
#define IDC_FILE_TYPES 1010
#define IDC_HELP_BUTTON 1012
#define IDC_WEB_LINK 1013
#define IDC_LOG 1014
#define IDC_REMOVE_ON_ERROR 1015

#define IDC_STATIC (-1)
