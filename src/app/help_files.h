#pragma once

// The help engine finds this file itself; it is named without a folder.
inline constexpr char kHelpFileName[] = "kelvane.hlp";

// The program's manual, installed beside the program file.
inline constexpr char kManualFileName[] = "kelvane.html";
