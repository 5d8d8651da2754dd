#pragma once

#include <windows.h>

#include <string>

// A string of the program's string table; empty when there is none with this id.
std::string LoadResourceString(UINT nID);
