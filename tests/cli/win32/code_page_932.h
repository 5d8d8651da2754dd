#pragma once

#include <initializer_list>
#include <string>

// Characters of code page 932, written as their bytes. 0x5C, the backslash, as a trail byte:
// U+8868, U+8868 U+793A, and U+30BD.
inline constexpr char kHyo[] = "\x95\x5c";
inline constexpr char kHyoji[] = "\x95\x5c\x8e\xa6";
inline constexpr char kSo[] = "\x83\x5c";
// U+30A2 and U+30C2, whose trail bytes are "A" and "a".
inline constexpr char kA[] = "\x83\x41";
inline constexpr char kDi[] = "\x83\x61";

// A Windows path of its parts.
inline std::string Join(std::initializer_list<std::string> parts) {
    std::string path;
    for (const std::string& part : parts) {
        path += path.empty() ? part : "\\" + part;
    }
    return path;
}
