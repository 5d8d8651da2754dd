#include "fileio/line_splitter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Splits the bytes fed in pieces of pieceSize (all at once when 0).
LineList Split(const std::string& bytes, std::size_t pieceSize = 0) {
    LineSplitter splitter;
    LineList lines;
    const std::size_t step = pieceSize == 0 ? bytes.size() + 1 : pieceSize;
    for (std::size_t pos = 0; pos < bytes.size(); pos += step) {
        splitter.Feed(bytes.data() + pos, std::min(step, bytes.size() - pos), lines);
    }
    splitter.Finish(lines);
    return lines;
}

TEST(LineSplitter, BreaksAtTheEndGiveNoExtraLine) {
    EXPECT_THAT(Split(""), IsEmpty());
    EXPECT_THAT(Split("abc"), ElementsAre("abc"));
    EXPECT_THAT(Split("abc\n"), ElementsAre("abc"));
    EXPECT_THAT(Split("abc\r\n"), ElementsAre("abc"));
    EXPECT_THAT(Split("\n"), ElementsAre(""));
    EXPECT_THAT(Split("\n\n"), ElementsAre("", ""));
}

TEST(LineSplitter, LoneCrAtTheEndGivesNoLineOfItsOwn) {
    EXPECT_THAT(Split("\r"), IsEmpty());
    EXPECT_THAT(Split("a\n\r"), ElementsAre("a"));
    EXPECT_THAT(Split("a\r"), ElementsAre("a"));
}

TEST(LineSplitter, CrBeforeAnyOtherByteEndsTheLineAndKeepsTheByte) {
    EXPECT_THAT(Split("x\r\ry"), ElementsAre("x", "", "y"));
    EXPECT_THAT(Split("a\rb\r\nc\nd"), ElementsAre("a", "b", "c", "d"));
    EXPECT_THAT(Split("\r\r\n"), ElementsAre("", ""));
}

TEST(LineSplitter, NulIsKeptAsAByteOfItsLine) {
    EXPECT_THAT(Split(std::string("a\0b\n\0", 5)),
                ElementsAre(std::string("a\0b", 3), std::string("\0", 1)));
}

TEST(LineSplitter, PiecesOfAnySizeGiveTheSameLines) {
    const std::string bytes = "one\r\ntwo\rthree\n\nfour\r\r\nfive\r";
    const LineList whole = Split(bytes);
    EXPECT_THAT(whole, ElementsAre("one", "two", "three", "", "four", "", "five"));
    for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
        EXPECT_EQ(Split(bytes, piece), whole) << "pieces of " << piece;
    }
}

TEST(LineSplitter, LongLinesAreReturnedWhole) {
    for (std::size_t length : {128u, 256u, 1000u, 100000u}) {
        const std::string line(length, 'x');
        EXPECT_THAT(Split(line, 4096), ElementsAre(line));
        EXPECT_THAT(Split(line + "\r\nz", 4096), ElementsAre(line, "z"));
    }
}

}  // namespace
