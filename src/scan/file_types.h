#pragma once

#include <string>

#include "core/scan_host.h"

// The masks of a File Types text, in order: its runs of bytes between
// blanks (tab, line feed, vertical tab, form feed, carriage return, space).
// Nothing else separates, and nothing is checked, cut or folded.
MaskList ParseFileTypes(const std::string& text);

// The File Types a user starts from.
constexpr char kDefaultFileTypes[] = "*.htm *.html *.hta *.vbs *.htt";
