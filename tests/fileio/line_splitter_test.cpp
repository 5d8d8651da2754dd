#include "fileio/line_splitter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

// Splits the bytes fed in pieces of pieceSize.
LineList Split(const std::string& bytes, std::size_t pieceSize) {
    LineSplitter splitter;
    LineList lines;
    for (std::size_t pos = 0; pos < bytes.size(); pos += pieceSize) {
        splitter.Feed(bytes.data() + pos, std::min(pieceSize, bytes.size() - pos), lines);
    }
    splitter.Finish(lines);
    return lines;
}

// LF, CR LF and a lone CR each end a line; a break at the end gives no
// extra line, nor does a lone CR after the last break; NUL is a byte like
// any other; long lines come whole. Pieces of any size give the same lines.
TEST(LineSplitter, BreaksEndLinesWhateverThePieces) {
    const std::string longLine(100000, 'x');
    const struct {
        std::string m_bytes;
        LineList m_lines;
    } cases[] = {
        {"", {}},
        {"abc", {"abc"}},
        {"abc\n", {"abc"}},
        {"abc\r\n", {"abc"}},
        {"\n\n", {"", ""}},
        {"\r", {}},
        {"a\n\r", {"a"}},
        {"a\r", {"a"}},
        {"x\r\ry", {"x", "", "y"}},
        {"\r\r\n", {"", ""}},
        {"one\r\ntwo\rthree\n\nfour\r\r\nfive\r", {"one", "two", "three", "", "four", "", "five"}},
        {std::string("a\0b\n\0", 5), {std::string("a\0b", 3), std::string("\0", 1)}},
        {std::string(128, 'x') + "\r\nz", {std::string(128, 'x'), "z"}},
        {std::string(256, 'x'), {std::string(256, 'x')}},
        {longLine + "\r\nz", {longLine, "z"}},
    };
    for (const auto& c : cases) {
        for (const std::size_t piece : {c.m_bytes.size() + 1, std::size_t{1}, std::size_t{2},
                                        std::size_t{3}, std::size_t{4096}}) {
            EXPECT_EQ(Split(c.m_bytes, piece), c.m_lines)
                << c.m_bytes.substr(0, 40) << " in pieces of " << piece;
        }
    }
}

}  // namespace
