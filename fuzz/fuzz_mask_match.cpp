// Arbitrary masks, paths and code pages through the extension pattern and the
// mask match: "*.*" matches everything, a mask matches the pattern of a path
// that ends in it, case is ignored alike on both sides, and nothing is read
// out of bounds whatever the lead bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "scan/mask_match.h"

namespace {

// Records: the code page, the mask, the path.
constexpr std::size_t kRecords = 3;

// "*." and what follows the last dot, found from the end by hand.
std::string PatternOf(const std::string& path) {
    for (std::size_t end = path.size(); end > 0; --end) {
        if (path[end - 1] == '.') {
            return "*." + path.substr(end);
        }
    }
    return "";
}

// Every ASCII letter in the other case; or, lowering, only the upper-case ones.
std::string ChangeCase(std::string text, bool lowering) {
    for (char& byte : text) {
        if ((byte >= 'A' && byte <= 'Z') || (!lowering && byte >= 'a' && byte <= 'z')) {
            byte = static_cast<char>(byte ^ 0x20);
        }
    }
    return text;
}

// A mask of the form "*.EXT" with no further dot.
bool IsExtensionMask(const std::string& mask) {
    return mask.size() >= 2 && mask.compare(0, 2, "*.") == 0 &&
           mask.find('.', 2) == std::string::npos;
}

void CheckAnyCodePage(const std::string& mask, const std::string& path, const CodePage& page) {
    const std::string pattern = ExtensionPattern(path);
    Require(pattern == PatternOf(path), "the pattern is \"*.\" and what follows the last dot");
    Require(MaskMatches("*.*", pattern, page) && MaskMatches("*.*", path, page),
            "\"*.*\" matches everything");
    Require(MaskMatches(mask, mask, page), "a mask matches itself");
    Require(
        !IsExtensionMask(mask) || MaskMatches(mask, ExtensionPattern("x" + mask.substr(1)), page),
        "a mask matches the pattern of a path that ends in its extension");
    // Either order, only for the bounds: the second side may end in a lead byte.
    MaskMatches(pattern, mask, page);
    MaskMatches(mask, pattern, page);
}

void CheckSingleByte(const std::string& mask, const std::string& text, const CodePage& page) {
    const bool matches = MaskMatches(mask, text, page);
    Require(matches == (mask == "*.*" || ChangeCase(mask, true) == ChangeCase(text, true)),
            "a mask matches a text equal to it but for ASCII case, or is \"*.*\"");
    Require(MaskMatches(ChangeCase(mask, false), text, page) == matches &&
                MaskMatches(mask, ChangeCase(text, false), page) == matches,
            "changing the ASCII case of either side changes nothing");
    Require(mask == "*.*" || text == "*.*" || MaskMatches(text, mask, page) == matches,
            "the match is symmetric");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::vector<std::string> records = SplitRecords(data, size);
    if (records.size() < kRecords) {
        return 0;
    }
    const CodePage page = CodePageFrom(records[0]);
    const std::string& mask = records[1];
    const std::string& path = records[2];
    CheckAnyCodePage(mask, path, page);
    if (!page.IsDoubleByte()) {
        CheckSingleByte(mask, path, page);
        CheckSingleByte(mask, ExtensionPattern(path), page);
    }
    return 0;
}
