#pragma once

#include <windows.h>

#include <string>

// The full path of a module's file (the program's, for the program's instance).
std::string ModuleFileName(HMODULE hModule);

// "C:\dir\Kelvane.exe" -> "Kelvane".
std::string BaseNameOf(const std::string& path);

// "C:\dir\Kelvane.exe", ".HLP" -> "C:\dir\Kelvane.HLP"; a path without an extension gets one.
std::string WithExtension(const std::string& path, const std::string& extension);

// "C:\dir\Kelvane.exe", "kelvane.html" -> "C:\dir\kelvane.html".
std::string BesideFile(const std::string& path, const std::string& fileName);
