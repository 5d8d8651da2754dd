// A name of the ANSI API is in the active code page: it goes through UTF-16
// to UTF-8 and back. Only an exact round trip counts, so that a name is
// never replaced by a look-alike (best fit) or a default character.
#include <windows.h>

#include "cli/name_encoding.h"

namespace {

std::optional<std::wstring> Widened(UINT codePage, const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(text.size());
    const int length =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, &wide[0], length);
    return wide;
}

// CP_UTF8 takes neither WC_NO_BEST_FIT_CHARS nor a default character: it has
// an exact form for everything but a lone surrogate, which the round trip
// in Converted catches.
std::optional<std::string> Narrowed(UINT codePage, const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    BOOL* defaultUsed = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int length =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, defaultUsed);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, &text[0], length, nullptr, nullptr);
    return text;
}

std::optional<std::string> Converted(const std::string& text, UINT from, UINT to) {
    const std::optional<std::wstring> wide = Widened(from, text);
    const std::optional<std::string> converted = wide ? Narrowed(to, *wide) : std::nullopt;
    const std::optional<std::wstring> back = converted ? Widened(to, *converted) : std::nullopt;
    if (!back || *back != *wide) {
        return std::nullopt;
    }
    const std::optional<std::string> original = Narrowed(from, *back);
    return original && *original == text ? converted : std::nullopt;
}

}  // namespace

std::optional<std::string> NameAsUtf8(const std::string& name) {
    return Converted(name, CP_ACP, CP_UTF8);
}

std::optional<std::string> NameFromUtf8(const std::string& text) {
    return Converted(text, CP_UTF8, CP_ACP);
}
