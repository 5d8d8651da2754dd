#include "treat/remove_virus_block.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/capture_host.h"

namespace {

const std::string kSig = "Rem I am sorry! happy time";
const char kFirst[] = "<script language=VBScript>";
const char kLast[] = "</script>";
const CodePage kShiftJis = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});

// The lines given, the result of each call the treatment's loop makes (again
// while a block was removed), and the lines left; the settings a row changes.
// What each call logs is the treatment table's.
struct Removal {
    const char* m_name;
    LineList m_lines;
    std::vector<int> m_results;
    LineList m_left;
    std::optional<std::string> m_first;
    std::optional<std::string> m_last;
    std::optional<std::string> m_signature;
    bool m_doubleByte = false;
};

Removal Row(const char* name, LineList lines, std::vector<int> results, LineList left,
            std::optional<std::string> first = {}, std::optional<std::string> last = {},
            std::optional<std::string> signature = {}, bool doubleByte = false) {
    return {name, lines, results, left, first, last, signature, doubleByte};
}

const std::string kOneLineBlock = "<script language>" + kSig + "</script>";
const std::string kNoEndOnLastLine = "x<script language " + kSig;
// A lead byte, then the letter "A" as the second byte of its character.
const std::string kInCharacter = std::string("\x82") + "A";
const std::vector<Removal> kRemovals = {
    Row("NoSignature", {"<html>", kFirst, kLast, "</html>"}, {0},
        {"<html>", kFirst, kLast, "</html>"}),
    Row("EmptyList", {}, {0}, {}),
    Row("WholeBlock", {"a", kFirst, kSig, "x", kLast, "b"}, {1, 0}, {"a", "b"}),
    Row("TextBeforeFirstStringGoesToo", {"a", "<p><script language", kSig, kLast, "b"}, {1},
        {"a", "b"}),
    Row("StartLineWithLastStringFirstEndsAtOnce",
        {"a", "x</script>y<script language", "z", kSig, kLast, "b"}, {1},
        {"a", "y<script language", kLast, "b"}),
    Row("EmptyFirstStringStartsAtTheSignature", {"a", "keep", kSig, "x", kLast, "b"}, {1},
        {"a", "keep", "b"}, ""),
    Row("TextAfterLastStringStays", {kFirst, kSig, "  </script><p>after", "b"}, {1},
        {"<p>after", "b"}),
    Row("SpacesBeforeLastStringLeaveAnEmptyLine", {kFirst, kSig, "   </script>", "b"}, {1},
        {"", "b"}),
    Row("LaterLastStringsStay", {kFirst, kSig, "</script>a</script>"}, {1}, {"a</script>"}),
    Row("OneLineBlockAfterText", {"a", "text" + kOneLineBlock + "more", "b"}, {1},
        {"a", "more", "b"}),
    Row("OneLineBlockAtZeroRunsOn", {"a", kOneLineBlock, "b", "c</script>d", "e"}, {1},
        {"a", "d", "e"}),
    Row("OneLineBlockAtZeroWithoutLaterEnd", {"a", kOneLineBlock, "b"}, {2}, {"a"}),
    Row("SignatureLineWithOnlyTheLastString", {kFirst, "x", kSig + "</script>", "y", "</script>z"},
        {1}, {"z"}),
    Row("SecondSignatureInsideGoesWithIt", {kFirst, kSig, "x", kSig, kLast, "b"}, {1, 0}, {"b"}),
    Row("TwoBlocksOneCallEach", {"a", kFirst, kSig, kLast, "b", kFirst, kSig, kLast, "c"},
        {1, 1, 0}, {"a", "b", "c"}),
    Row("NoFirstStringRemovesBackToTheStart", {"a", "b", kSig, "c", kLast}, {2}, {"c", kLast}),
    Row("NoLastStringRemovesToTheEnd", {"a", kFirst, kSig, "c"}, {2}, {"a"}),
    Row("SignatureOnTheLastLine", {"a", kFirst, kSig}, {2}, {"a"}),
    Row("SecondBlockFails", {kFirst, kSig, kLast, "b", kSig}, {1, 2}, {}),
    Row("EmptyLastStringEndsAtTextUnchanged", {kFirst, kSig, "x", "y"}, {1}, {"x", "y"}, {}, ""),
    Row("EmptyLastStringTakesAnEmptyLine", {kFirst, kSig, "", "y"}, {1}, {"y"}, {}, ""),
    Row("EmptyLastStringDoubleByte", {kFirst, kSig, "", "", "y", "z"}, {1}, {"y", "z"}, {}, "", {},
        true),
    Row("CallThatWouldChangeNothingFails", {"a", kNoEndOnLastLine, "b"}, {2},
        {"a", kNoEndOnLastLine, "b"}, {}, ""),
    Row("OtherwiseEndlessLoopEnds", {kFirst, kSig, "x", kNoEndOnLastLine}, {1, 2},
        {"x", kNoEndOnLastLine}, {}, ""),
    Row("SignatureInsideACharacter", {kFirst, kInCharacter, kLast}, {0},
        {kFirst, kInCharacter, kLast}, {}, {}, "A", true),
    Row("SignatureAfterAWholeCharacter", {kFirst, "\x82" + kInCharacter}, {2}, {}, {}, {}, "A",
        true),
};

class RemoveVirusBlockTest : public ::testing::TestWithParam<Removal> {};

TEST_P(RemoveVirusBlockTest, RemovesWhatTheRulesSay) {
    const Removal& row = GetParam();
    CaptureHost host;
    host.m_strFirstString = row.m_first.value_or(host.m_strFirstString);
    host.m_strLastString = row.m_last.value_or(host.m_strLastString);
    host.m_strSignature = row.m_signature.value_or(host.m_strSignature);
    LineList lines = row.m_lines;
    for (const int result : row.m_results) {
        EXPECT_EQ(RemoveVirusBlock(lines, row.m_doubleByte ? kShiftJis : CodePage::SingleByte()),
                  result);
    }
    EXPECT_EQ(lines, row.m_left);
}

INSTANTIATE_TEST_SUITE_P(Rules, RemoveVirusBlockTest, ::testing::ValuesIn(kRemovals),
                         [](const auto& info) { return std::string(info.param.m_name); });

}  // namespace
