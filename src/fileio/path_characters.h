#pragma once

#include <string>
#include <string_view>

// A path read as the file system reads it: one code for each character of
// the system's code page (a lead byte and its trail byte are one character,
// so a trail byte is never a separator), equal codes for characters the
// file system takes as the same. On Windows "\" reads as "/" and every
// letter as its upper case, as NTFS ignores case for all of them; elsewhere
// each byte is its own code and case matters.
std::u32string PathCharacters(std::string_view path);

// The code of the separator between folders.
inline constexpr char32_t kSeparatorCode = U'/';
