#include "scan/file_types.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "scan/mask_match.h"

namespace {

// Only the six ASCII blanks separate; a comma or a no-break space is part
// of a word, and a long word is kept whole.
TEST(ParseFileTypes, BlanksSeparateWordsAndNeverMakeEmptyMasks) {
    const std::string word(300, 'w');
    EXPECT_THAT(ParseFileTypes(" \t*.htm \t\r\n\v\f*.HTM  *.htm,*.html *.a\xA0*.b " + word),
                ::testing::ElementsAre("*.htm", "*.HTM", "*.htm,*.html", "*.a\xA0*.b", word));
    EXPECT_THAT(ParseFileTypes(" \t\r\n"), ::testing::IsEmpty());
}

TEST(ExtensionPattern, IsTakenFromTheLastDotOfTheWholePath) {
    EXPECT_EQ(ExtensionPattern("C:\\a\\page.old.HTM"), "*.HTM");
    EXPECT_EQ(ExtensionPattern("/w/.htaccess"), "*.htaccess");
    EXPECT_EQ(ExtensionPattern("C:\\my.site\\readme"), "*.site\\readme");
    EXPECT_EQ(ExtensionPattern("C:\\readme"), "");
}

// Whole strings, ignoring the case of ASCII letters and, in a double-byte
// code page, of its own letters by its upper-case table; "*.*" matches all.
TEST(MaskMatches, WholeStringsIgnoringCase) {
    // Full-width "a" (82 81) has the upper case full-width "A" (82 60); the
    // second byte of a character is never folded as an ASCII letter.
    const CodePage sjis = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x8281, 0x8260}});
    const CodePage sbcs = CodePage::SingleByte();
    // The mask, the pattern, the code page, whether the mask matches the pattern.
    const std::tuple<const char*, const char*, const CodePage&, bool> cases[] = {
        {"*.HtM", "*.hTm", sbcs, true},
        {"*.htm", "*.html", sbcs, false},
        {"*.ht?", "*.htm", sbcs, false},  // a mask is no wildcard
        {"htm", "*.htm", sbcs, false},
        {"*.\xE4", "*.\xC4", sbcs, false},  // only ASCII letters fold
        {"*.*", "", sbcs, true},
        {"*.*", "*.site\\readme", sbcs, true},
        {"*.htm", "", sbcs, false},
        {"*.\x82\x81", "*.\x82\x60", sjis, true},
        {"*.\x82\x60", "*.\x82\x81", sjis, true},
        {"*.\x82\x61X", "*.\x82\x61x", sjis, true},
        {"*.\x82\x61", "*.\x82\x41", sjis, false},
        {"*.\x82\x81", "*.\x82\x60", sbcs, false},
        {"*.\x82\x61", "*.\x82\x41", sbcs, true},
    };
    for (const auto& [mask, pattern, codePage, matches] : cases) {
        EXPECT_EQ(MaskMatches(mask, pattern, codePage), matches)
            << mask << " " << pattern << (&codePage == &sjis ? " sjis" : "");
    }
}

}  // namespace
