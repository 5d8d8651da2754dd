#include "treat/remove_virus_block.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/capture_host.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char* const kOkLine = LogText::kRemoveOk;
const char* const kFailLine = LogText::kBlockNotDelimited;
const char kSig[] = "Rem I am sorry! happy time";
const char kFirst[] = "<script language=VBScript>";
const char kLast[] = "</script>";

class RemoveVirusBlockTest : public ::testing::Test {
protected:
    int Remove() { return RemoveVirusBlock(m_lines, m_codePage); }

    CaptureHost m_host;
    CodePage m_codePage = CodePage::SingleByte();
    LineList m_lines;
};

// --- no block --------------------------------------------------------------

TEST_F(RemoveVirusBlockTest, ListWithoutSignatureStaysAsItIsAndNothingIsLogged) {
    m_lines = {"<html>", kFirst, kLast, "</html>"};
    EXPECT_EQ(Remove(), kNoSignature);
    EXPECT_THAT(m_lines, ElementsAre("<html>", kFirst, kLast, "</html>"));
    EXPECT_THAT(m_host.m_log, IsEmpty());
}

TEST_F(RemoveVirusBlockTest, EmptyListHasNoSignature) {
    EXPECT_EQ(Remove(), kNoSignature);
    EXPECT_THAT(m_host.m_log, IsEmpty());
}

// --- the start line ----------------------------------------------------------

TEST_F(RemoveVirusBlockTest, BlockFromFirstToLastStringIsRemovedWhole) {
    m_lines = {"<html>", "<script language=VBScript>", kSig, "x = 1", kLast, "</html>"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("<html>", "</html>"));
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine));
    EXPECT_EQ(Remove(), kNoSignature);
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine));
}

TEST_F(RemoveVirusBlockTest, StartLineWithTextBeforeFirstStringIsRemovedByTheForwardWalk) {
    m_lines = {"a", "<p><script language=VBScript>", kSig, kLast, "b"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("a", "b")) << "the text before the first string is lost too";
}

TEST_F(RemoveVirusBlockTest, StartLineHoldingLastStringBeforeFirstStringEndsTheBlockAtOnce) {
    m_lines = {"a", "x</script>y<script language", "z", kSig, kLast, "b"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("a", "y<script language", kLast, "b"))
        << "the lines after the signature line are not visited";
}

TEST_F(RemoveVirusBlockTest, EmptyFirstStringMakesTheSignatureLineTheStartLine) {
    m_host.m_strFirstString = "";
    m_lines = {"a", "keep", kSig, "x", kLast, "b"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("a", "keep", "b"));
}

// --- the end line ------------------------------------------------------------

TEST_F(RemoveVirusBlockTest, EndLineWithTextAfterLastStringKeepsThatText) {
    m_lines = {"<script language", kSig, "  </script><p>after", "b"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("<p>after", "b"));
}

TEST_F(RemoveVirusBlockTest, EndLineWithOnlySpacesBeforeLastStringBecomesAnEmptyLine) {
    m_lines = {"<script language", kSig, "   </script>", "b"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("", "b"));
}

TEST_F(RemoveVirusBlockTest, EndLineAfterTheFirstOccurrenceKeepsLaterLastStrings) {
    m_lines = {"<script language", kSig, "</script>a</script>"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("a</script>"));
}

// --- blocks on one line ------------------------------------------------------

TEST_F(RemoveVirusBlockTest, OneLineBlockAfterOtherTextLeavesTheTextAfterIt) {
    m_lines = {"a", std::string("text<script language>") + kSig + "</script>more", "b"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("a", "more", "b"));
}

TEST_F(RemoveVirusBlockTest, OneLineBlockAtPositionZeroRunsOnToTheNextLastString) {
    m_lines = {"a", std::string("<script language>") + kSig + "</script>", "b", "c</script>d", "e"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("a", "d", "e"));
}

TEST_F(RemoveVirusBlockTest, OneLineBlockAtPositionZeroWithNoLaterLastStringFails) {
    m_lines = {"a", std::string("<script language>") + kSig + "</script>", "b"};
    EXPECT_EQ(Remove(), kBlockNotDelimited);
    EXPECT_THAT(m_lines, ElementsAre("a"));
    EXPECT_THAT(m_host.m_log, ElementsAre(kFailLine));
}

TEST_F(RemoveVirusBlockTest, SignatureLineHoldingOnlyTheLastStringIsRemovedInTheBackwardWalk) {
    m_lines = {"<script language", "x", std::string(kSig) + "</script>", "y", "</script>z"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("z"));
}

// --- several signatures and blocks -------------------------------------------

TEST_F(RemoveVirusBlockTest, SecondSignatureInsideTheBlockGoesWithIt) {
    m_lines = {"<script language", kSig, "x", kSig, kLast, "b"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("b"));
    EXPECT_EQ(Remove(), kNoSignature);
}

TEST_F(RemoveVirusBlockTest, TwoBlocksTakeOneCallEach) {
    m_lines = {"a", kFirst, kSig, kLast, "b", kFirst, kSig, kLast, "c"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("a", "b", kFirst, kSig, kLast, "c"));
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("a", "b", "c"));
    EXPECT_EQ(Remove(), kNoSignature);
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kOkLine));
}

// --- failures keep what the walks removed ------------------------------------

TEST_F(RemoveVirusBlockTest, NoFirstStringRemovesEverythingFromTheSignatureLineBack) {
    m_lines = {"a", "b", kSig, "c", kLast};
    EXPECT_EQ(Remove(), kBlockNotDelimited);
    EXPECT_THAT(m_lines, ElementsAre("c", kLast));
    EXPECT_THAT(m_host.m_log, ElementsAre(kFailLine));
}

TEST_F(RemoveVirusBlockTest, NoLastStringRemovesEverythingFromTheStartOfTheForwardWalk) {
    m_lines = {"a", kFirst, kSig, "c"};
    EXPECT_EQ(Remove(), kBlockNotDelimited);
    EXPECT_THAT(m_lines, ElementsAre("a"));
    EXPECT_THAT(m_host.m_log, ElementsAre(kFailLine));
}

TEST_F(RemoveVirusBlockTest, SignatureOnTheLastLineFailsUnlessTheStartLineEndsTheBlock) {
    m_lines = {"a", kFirst, kSig};
    EXPECT_EQ(Remove(), kBlockNotDelimited);
    EXPECT_THAT(m_lines, ElementsAre("a"));
}

TEST_F(RemoveVirusBlockTest, FirstBlockRemovedThenSecondFailsLogsBothLines) {
    m_lines = {kFirst, kSig, kLast, "b", kSig};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_EQ(Remove(), kBlockNotDelimited);
    EXPECT_THAT(m_lines, IsEmpty());
    EXPECT_THAT(m_host.m_log, ElementsAre(kOkLine, kFailLine));
}

// --- an empty last string ----------------------------------------------------

TEST_F(RemoveVirusBlockTest, EmptyLastStringEndsTheBlockAtTheFirstNonEmptyLineUnchanged) {
    m_host.m_strLastString = "";
    m_lines = {"<script language", kSig, "x", "y"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("x", "y"));
}

TEST_F(RemoveVirusBlockTest, EmptyLastStringRemovesAnEmptyFirstLine) {
    m_host.m_strLastString = "";
    m_lines = {"<script language", kSig, "", "y"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("y"));
}

TEST_F(RemoveVirusBlockTest, EmptyLastStringInDoubleByteCodePageRemovesEmptyLinesUpToText) {
    m_codePage = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
    m_host.m_strLastString = "";
    m_lines = {"<script language", kSig, "", "", "y", "z"};
    EXPECT_EQ(Remove(), kBlockRemoved);
    EXPECT_THAT(m_lines, ElementsAre("y", "z"));
}

TEST_F(RemoveVirusBlockTest, CallThatWouldChangeNothingIsAFailureSoTheCallerEnds) {
    m_host.m_strLastString = "";
    m_lines = {"a", std::string("x<script language ") + kSig, "b"};
    EXPECT_EQ(Remove(), kBlockNotDelimited);
    EXPECT_THAT(m_lines, ElementsAre("a", std::string("x<script language ") + kSig, "b"));
    EXPECT_THAT(m_host.m_log, ElementsAre(kFailLine));
}

TEST_F(RemoveVirusBlockTest, TreatmentLoopEndsOnTheOtherwiseEndlessBlock) {
    m_host.m_strLastString = "";
    m_lines = {kFirst, kSig, "x", std::string("y<script language ") + kSig};
    int calls = 0;
    int result = kBlockRemoved;
    while (result == kBlockRemoved && calls < 10) {
        result = Remove();
        ++calls;
    }
    EXPECT_EQ(result, kBlockNotDelimited);
    EXPECT_EQ(calls, 2);
    EXPECT_THAT(m_lines, ElementsAre("x", std::string("y<script language ") + kSig));
}

// --- code page ---------------------------------------------------------------

TEST_F(RemoveVirusBlockTest, SignatureInsideDoubleByteCharactersIsNoSignature) {
    m_codePage = CodePage::DoubleByte({{0x81, 0x9F}, {0xE0, 0xFC}});
    m_host.m_strSignature = "A";
    m_lines = {"<script language",
               "\x82"
               "A",
               kLast};
    EXPECT_EQ(Remove(), kNoSignature);
    m_lines.push_back(
        "\x82\x82"
        "A");
    EXPECT_EQ(Remove(), kBlockNotDelimited) << "after a whole character the byte is a character";
}

}  // namespace
