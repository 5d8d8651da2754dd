// Arbitrary masks, paths and code pages through the extension pattern and the
// mask match: "*.*" matches everything, a mask matches itself and the
// pattern of a path that ends in it, and nothing is read out of bounds
// whatever the lead bytes. What a match means in detail is the unit tests'.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "scan/mask_match.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // Records: the code page, the mask, the path.
    const std::vector<std::string> records = SplitRecords(data, size);
    if (records.size() < 3) {
        return 0;
    }
    const CodePage page = CodePageFrom(records[0]);
    const std::string& mask = records[1];
    const std::string& path = records[2];
    const std::string pattern = ExtensionPattern(path);
    Require(MaskMatches("*.*", pattern, page) && MaskMatches("*.*", path, page),
            "\"*.*\" matches everything");
    Require(MaskMatches(mask, mask, page), "a mask matches itself");
    const bool extensionMask =
        mask.compare(0, 2, "*.") == 0 && mask.find('.', 2) == std::string::npos;
    Require(!extensionMask || MaskMatches(mask, ExtensionPattern("x" + mask.substr(1)), page),
            "a mask matches the pattern of a path that ends in its extension");
    // Either order, only for the bounds: the second side may end in a lead byte.
    MaskMatches(pattern, mask, page);
    MaskMatches(mask, pattern, page);
    return 0;
}
