#include "core/code_page.h"

#include <gtest/gtest.h>

namespace {

const CodePage kShiftJis = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});

TEST(SingleByteFind, MatchMayBeginAtAnyByte) {
    const CodePage sbcs = CodePage::SingleByte();
    EXPECT_EQ(sbcs.Find("ab</script>cd", "</script>"), 2u);
    EXPECT_EQ(sbcs.Find("\x82\x61", "\x61"), 1u);
    EXPECT_EQ(sbcs.Find("abc", "abd"), CodePage::npos);
    EXPECT_EQ(sbcs.Find("Script", "script"), CodePage::npos) << "the search is case-sensitive";
}

TEST(SingleByteFind, EmptyTextIsFoundAtZeroOfEveryLine) {
    const CodePage sbcs = CodePage::SingleByte();
    EXPECT_EQ(sbcs.Find("", ""), 0u);
    EXPECT_EQ(sbcs.Find("abc", ""), 0u);
}

TEST(SingleByteFind, NulIsAnOrdinaryByte) {
    const std::string line("a\0b</script>", 12);
    EXPECT_EQ(CodePage::SingleByte().Find(line, "</script>"), 3u);
    EXPECT_EQ(CodePage::SingleByte().Find(line, std::string("\0b", 2)), 1u);
}

TEST(DoubleByteFind, MatchMustNotBeginInsideACharacter) {
    // 0x82 0x61 is one character whose second byte is the letter 'a'.
    EXPECT_EQ(kShiftJis.Find("\x82\x61", "a"), CodePage::npos);
    EXPECT_EQ(kShiftJis.Find("\x82\x61xa", "a"), 3u);
    EXPECT_EQ(kShiftJis.Find("\xE0\x81\x81\x40", "\x81\x40"), 2u)
        << "a second byte that looks like a lead byte is still a second byte";
}

TEST(DoubleByteFind, MatchMayBeginAtEveryCharacterStart) {
    EXPECT_EQ(kShiftJis.Find("\x82\xA0</script>", "</script>"), 2u);
    EXPECT_EQ(kShiftJis.Find("\x82\xA0\x82\xA1", "\x82\xA1"), 2u);
    EXPECT_EQ(kShiftJis.Find("ab", "b"), 1u);
}

TEST(DoubleByteFind, EmptyTextIsFoundOnlyInNonEmptyLines) {
    EXPECT_EQ(kShiftJis.Find("", ""), CodePage::npos);
    EXPECT_EQ(kShiftJis.Find("x", ""), 0u);
}

TEST(DoubleByteFind, LeadByteAtTheEndOfALineIsACharacterOfItsOwn) {
    EXPECT_EQ(kShiftJis.Find("a\x82", "\x82"), 1u);
    EXPECT_EQ(kShiftJis.Find("a\x82", "\x82x"), CodePage::npos);
}

TEST(CodePageKind, LeadBytesAreThoseOfTheRanges) {
    EXPECT_FALSE(CodePage::SingleByte().IsDoubleByte());
    EXPECT_TRUE(kShiftJis.IsDoubleByte());
    EXPECT_TRUE(kShiftJis.IsLeadByte(0x81));
    EXPECT_TRUE(kShiftJis.IsLeadByte(0xFC));
    EXPECT_FALSE(kShiftJis.IsLeadByte(0xA0));
    EXPECT_FALSE(kShiftJis.IsLeadByte(0x80));
}

}  // namespace
