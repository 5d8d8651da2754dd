#include "core/line_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using ::testing::ElementsAre;

TEST(LineList, RemovedLinesAreSkippedBothWaysAndTheRestStayWhereTheyAre) {
    LineList lines = {"first", "second", "", "fourth", "last"};
    LineList::iterator second = std::next(lines.begin());
    LineList::iterator fourth = std::next(second, 2);
    EXPECT_EQ(*lines.erase(lines.begin()), "second");
    EXPECT_EQ(lines.erase(std::prev(lines.end())), lines.end());
    EXPECT_EQ(*lines.erase(std::next(second)), "fourth") << "an empty line is a line";
    EXPECT_EQ(*fourth, "fourth");
    EXPECT_EQ(std::prev(fourth), second);
    EXPECT_EQ(std::prev(lines.end()), fourth);
    EXPECT_EQ(lines.begin(), second);
    EXPECT_THAT(lines, ElementsAre("second", "fourth"));
    lines.erase(second);
    lines.erase(fourth);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(lines.begin(), lines.end());
    // A short line is copied into the list's blocks (a long one is taken over whole, as the scan
    // of a line of a gigabyte shows), and the caller's buffer is left for the next line.
    std::string again = "again";
    lines.TakeOver(std::move(again));
    EXPECT_EQ(again, "again");
    EXPECT_THAT(lines, ElementsAre("again"));
}

// Every line keeps its bytes while the list grows, and a copy or a move
// leaves no line viewing another list's bytes.
TEST(LineList, CopyAndMoveLeaveNoLineViewingAnotherListsBytes) {
    // Lines of every kind of size: empty, short, filling a block, needing one of their own. Many
    // of them, so the bytes span several blocks and the index grows several times while earlier
    // lines are viewed.
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        const std::size_t size = i % 97 == 0 ? 40000 : static_cast<std::size_t>(i % 300);
        expected.push_back(std::string(size, static_cast<char>('a' + i % 26)));
    }
    auto original = std::make_unique<LineList>(expected.begin(), expected.end());
    const LineList copy = *original;
    LineList assigned = {"old"};
    assigned = *original;
    original.reset();
    ASSERT_EQ(copy.size(), expected.size());
    EXPECT_TRUE(std::equal(copy.begin(), copy.end(), expected.begin()));
    EXPECT_EQ(copy, assigned);

    LineList source = {"one", "two"};
    LineList moved = std::move(source);
    source.push_back("added after the move");  // a moved-from list is empty and usable
    EXPECT_THAT(moved, ElementsAre("one", "two"));
    EXPECT_THAT(source, ElementsAre("added after the move"));
    moved = std::move(source);
    EXPECT_THAT(moved, ElementsAre("added after the move"));
}

}  // namespace
