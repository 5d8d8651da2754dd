// Arbitrary File Types text: the masks are its runs of bytes between blanks,
// in order, so none is empty or holds a blank.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "scan/file_types.h"

namespace {

// The runs of bytes other than tab, line feed, vertical tab, form feed,
// carriage return and space, in order.
MaskList Runs(const std::string& text) {
    MaskList runs;
    bool inRun = false;
    for (const char byte : text) {
        if (std::string("\t\n\v\f\r ").find(byte) != std::string::npos) {
            inRun = false;
        } else if (inRun) {
            runs.back().push_back(byte);
        } else {
            runs.emplace_back(1, byte);
            inRun = true;
        }
    }
    return runs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Require(ParseFileTypes(text) == Runs(text),
            "the masks are the text's runs between blanks, in order");
    return 0;
}
