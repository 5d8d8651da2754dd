#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/code_page.h"
#include "core/line_list.h"

namespace {

// In a single-byte code page a match may begin at any byte; in a double-byte
// one only where a character begins, a lead byte at the end of a line being
// a character of its own. The search is case-sensitive and NUL is a byte.
TEST(CodePageFind, MatchBeginsOnlyWhereACharacterBegins) {
    const CodePage sbcs = CodePage::SingleByte();
    const CodePage sjis = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
    const std::size_t none = CodePage::npos;
    // The code page, the line, the text, where the text is found in the line.
    const std::tuple<const CodePage&, std::string, std::string, std::size_t> cases[] = {
        {sbcs, "ab</script>cd", "</script>", 2},
        {sbcs, "\x82\x61", "\x61", 1},
        {sbcs, "abc", "abd", none},
        {sbcs, "Script", "script", none},
        {sbcs, "", "", 0},
        {sbcs, "abc", "", 0},
        {sbcs, std::string("a\0b</script>", 12), "</script>", 3},
        {sbcs, std::string("a\0b", 3), std::string("\0b", 2), 1},
        {sjis, "\x82\x61", "a", none},  // one character whose second byte is 'a'
        {sjis, "\x82\x61xa", "a", 3},
        {sjis, "\xE0\x81\x81\x40", "\x81\x40", 2},  // a second byte that looks like a lead byte
        {sjis, "\x82\xA0\x82\xA1", "\x82\xA1", 2},
        {sjis, "ab", "b", 1},
        {sjis, "", "", none},
        {sjis, "x", "", 0},
        {sjis, "a\x82", "\x82", 1},
        {sjis, "a\x82", "\x82x", none},
        {sjis, "\xFC\x61", "a", none},  // the ends of the lead ranges, and bytes just past them
        {sjis, "\x9F\x61", "a", none},
        {sjis, "\x80\x61", "a", 1},
        {sjis, "\xA0\x61", "a", 1},
    };
    for (const auto& [codePage, line, text, at] : cases) {
        EXPECT_EQ(codePage.Find(line, text), at)
            << line << " / " << text << (&codePage == &sjis ? " (double-byte)" : "");
    }
}

using ::testing::ElementsAre;

TEST(LineList, RemovedLinesAreSkippedBothWaysAndTheRestStayWhereTheyAre) {
    LineList lines = {"first", "second", "", "fourth", "last"};
    LineList::iterator second = std::next(lines.begin());
    LineList::iterator fourth = std::next(second, 2);
    EXPECT_EQ(*lines.erase(lines.begin()), "second");
    EXPECT_EQ(lines.erase(std::prev(lines.end())), lines.end());
    EXPECT_EQ(*lines.erase(std::next(second)), "fourth") << "an empty line is a line";
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
    EXPECT_TRUE(std::equal(copy.begin(), copy.end(), expected.begin(), expected.end()));
    EXPECT_EQ(copy, assigned);

    LineList source = {"one", "two"};
    LineList moved = std::move(source);
    source.push_back("added after the move");  // a moved-from list is empty and usable
    EXPECT_THAT(moved, ElementsAre("one", "two"));
    EXPECT_THAT(source, ElementsAre("added after the move"));
    const char* const bytes = source.begin()->data();
    moved = std::move(source);
    EXPECT_THAT(moved, ElementsAre("added after the move"));
    EXPECT_EQ(moved.begin()->data(), bytes) << "taken over, not copied";
}

}  // namespace
