// Arbitrary bytes through the line splitter and back out as lines that each
// end in LF: only the line breaks may change, by the reader's rules.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fileio/line_splitter.h"
#include "fuzz_support.h"

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
}

// What the reader and writer make of the bytes, worked out from the break
// rules alone: a CR that is the last byte and follows a break (or nothing)
// ends no line; then CR LF and a lone CR each become LF; a last line without
// a break gains one.
std::string ExpectedRoundTrip(std::string bytes) {
    const std::size_t size = bytes.size();
    if (size > 0 && bytes[size - 1] == '\r' &&
        (size == 1 || bytes[size - 2] == '\n' || bytes[size - 2] == '\r')) {
        bytes.pop_back();
    }
    ReplaceAll(bytes, "\r\n", "\n");
    ReplaceAll(bytes, "\r", "\n");
    if (!bytes.empty() && bytes.back() != '\n') {
        bytes.push_back('\n');
    }
    return bytes;
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
