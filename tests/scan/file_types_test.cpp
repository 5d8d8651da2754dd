#include "scan/file_types.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scan/mask_match.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ParseFileTypes, DefaultTextGivesTheFiveMasksInOrder) {
    EXPECT_THAT(ParseFileTypes("*.htm *.html *.hta *.vbs *.htt"),
                ElementsAre("*.htm", "*.html", "*.hta", "*.vbs", "*.htt"));
}

TEST(ParseFileTypes, BlanksOfEveryKindSeparateAndNeverMakeEmptyMasks) {
    EXPECT_THAT(ParseFileTypes(" \t*.htm \t\r\n\v\f*.HTM  "), ElementsAre("*.htm", "*.HTM"));
    EXPECT_THAT(ParseFileTypes(""), IsEmpty());
    EXPECT_THAT(ParseFileTypes(" \t\r\n"), IsEmpty());
}

TEST(ParseFileTypes, EverythingElseBelongsToAWord) {
    EXPECT_THAT(ParseFileTypes("*.htm,*.html"), ElementsAre("*.htm,*.html"));
    EXPECT_THAT(ParseFileTypes("*.htm\xA0*.vbs"), ElementsAre("*.htm\xA0*.vbs"));
    EXPECT_THAT(ParseFileTypes("*.htm *.htm"), ElementsAre("*.htm", "*.htm"));
}

TEST(ParseFileTypes, LongWordIsKeptWhole) {
    const std::string word(300, 'w');
    EXPECT_THAT(ParseFileTypes("a " + word + " b"), ElementsAre("a", word, "b"));
}

TEST(ExtensionPattern, IsTakenFromTheLastDotOfTheWholePath) {
    EXPECT_EQ(ExtensionPattern("C:\\a\\INDEX.HTM"), "*.HTM");
    EXPECT_EQ(ExtensionPattern("C:\\a\\page.old.htm"), "*.htm");
    EXPECT_EQ(ExtensionPattern("/w/.htaccess"), "*.htaccess");
    EXPECT_EQ(ExtensionPattern("C:\\my.site\\readme"), "*.site\\readme");
    EXPECT_EQ(ExtensionPattern("C:\\readme"), "");
}

TEST(MaskMatches, WholeStringsIgnoringAsciiCaseAndStarDotStarForEverything) {
    const CodePage sbcs = CodePage::SingleByte();
    EXPECT_TRUE(MaskMatches("*.htm", "*.HTM", sbcs));
    EXPECT_TRUE(MaskMatches("*.HtM", "*.htm", sbcs));
    EXPECT_FALSE(MaskMatches("*.htm", "*.html", sbcs));
    EXPECT_FALSE(MaskMatches("*.ht?", "*.htm", sbcs)) << "a mask is no wildcard";
    EXPECT_FALSE(MaskMatches("htm", "*.htm", sbcs));
    EXPECT_FALSE(MaskMatches("*.htm,*.html", "*.htm", sbcs));
    EXPECT_FALSE(MaskMatches("*.\xE4", "*.\xC4", sbcs)) << "only ASCII letters fold";
    EXPECT_TRUE(MaskMatches("*.*", "", sbcs));
    EXPECT_TRUE(MaskMatches("*.*", "*.site\\readme", sbcs));
    EXPECT_FALSE(MaskMatches("*.htm", "", sbcs));
}

TEST(MaskMatches, DoubleByteCharactersCompareByTheCodePagesUpperCase) {
    // Full-width "a" (82 81) has the upper case full-width "A" (82 60); the
    // second byte of a character is never folded as an ASCII letter.
    const CodePage sjis = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x8281, 0x8260}});
    EXPECT_TRUE(MaskMatches("*.\x82\x81", "*.\x82\x60", sjis));
    EXPECT_TRUE(MaskMatches("*.\x82\x60", "*.\x82\x81", sjis));
    EXPECT_TRUE(MaskMatches("*.\x82\x61X", "*.\x82\x61x", sjis));
    EXPECT_FALSE(MaskMatches("*.\x82\x61", "*.\x82\x41", sjis));
    EXPECT_FALSE(MaskMatches("*.\x82\x81", "*.\x82\x60", CodePage::SingleByte()));
    EXPECT_TRUE(MaskMatches("*.\x82\x61", "*.\x82\x41", CodePage::SingleByte()));
}

}  // namespace
