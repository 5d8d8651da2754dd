// Arbitrary File Types text: the masks are its runs of bytes between blanks,
// in order, and none holds a blank.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "scan/file_types.h"

namespace {

// Tab, line feed, vertical tab, form feed, carriage return and space.
const std::string kBlanks = "\t\n\v\f\r ";

bool IsBlank(char byte) {
    return kBlanks.find(byte) != std::string::npos;
}

// The runs of non-blank bytes, in order.
MaskList Runs(const std::string& text) {
    MaskList runs;
    bool inRun = false;
    for (const char byte : text) {
        if (IsBlank(byte)) {
            inRun = false;
            continue;
        }
        if (!inRun) {
            runs.emplace_back();
            inRun = true;
        }
        runs.back().push_back(byte);
    }
    return runs;
}

bool HoldsNoBlank(const MaskList& masks) {
    for (const std::string& mask : masks) {
        if (mask.empty() || mask.find_first_of(kBlanks) != std::string::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const MaskList masks = ParseFileTypes(text);
    Require(HoldsNoBlank(masks), "every mask is a non-empty word without a blank");
    Require(masks == Runs(text), "the masks are the text's runs between blanks, in order");
    return 0;
}
