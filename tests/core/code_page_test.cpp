#include "core/code_page.h"

#include <gtest/gtest.h>

#include <tuple>

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

}  // namespace
