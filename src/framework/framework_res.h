#pragma once

// Identifiers the framework owns; plain macros so the resource script can use them.

// The help command that F1 sends to the main window.
#define ID_HELP 0xE146

// String table entry shown when the help engine cannot be started.
#define IDP_FAILED_TO_LAUNCH_HELP 61703

// A dialog's help context is this base plus its template id.
#define HID_BASE_RESOURCE 0x20000
