// Arbitrary bytes through the line splitter and back out as lines that each
// end in LF: only the line breaks may change, by the reader's rules.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fileio/line_splitter.h"
#include "fuzz_support.h"

namespace {

// What the reader and writer make of the bytes, worked out from the break
// rules alone: CR LF and a lone CR each become LF, but a CR that is the last
// byte and follows a break (or nothing) ends no line; a last line without a
// break gains one.
std::string ExpectedRoundTrip(const std::string& bytes) {
    std::string expected;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool last = i + 1 == bytes.size();
        if (bytes[i] != '\r') {
            expected.push_back(bytes[i]);
        } else if (last ? !expected.empty() && expected.back() != '\n' : bytes[i + 1] != '\n') {
            expected.push_back('\n');
        }
    }
    if (!expected.empty() && expected.back() != '\n') {
        expected.push_back('\n');
    }
    return expected;
}

// Feeds the bytes in pieces of pieceSize, as a file is read in chunks.
std::string RoundTrip(const std::string& bytes, std::size_t pieceSize) {
    LineSplitter splitter;
    LineList lines;
    for (std::size_t pos = 0; pos < bytes.size(); pos += pieceSize) {
        splitter.Feed(bytes.data() + pos, std::min(pieceSize, bytes.size() - pos), lines);
    }
    splitter.Finish(lines);
    std::string written;
    for (const Line& line : lines) {
        written.append(line).push_back('\n');
    }
    return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string expected = ExpectedRoundTrip(bytes);
    Require(RoundTrip(bytes, bytes.size() + 1) == expected, "lines read in one piece");
    // The first byte picks a small piece size, 1 included, so that breaks
    // fall across piece boundaries.
    const std::size_t pieceSize = size == 0 ? 1 : 1 + data[0] % 8;
    Require(RoundTrip(bytes, pieceSize) == expected, "lines read in small pieces");
    return 0;
}
