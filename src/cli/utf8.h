#pragma once

#include <cstdint>
#include <string>

// Whether text is well-formed UTF-8: no stray or missing continuation byte,
// no overlong form, no surrogate, nothing above U+10FFFF.
bool IsUtf8(const std::string& text);

// Appends the code point (at most U+10FFFF, not a surrogate) as UTF-8.
void AppendUtf8(uint32_t code, std::string& out);
