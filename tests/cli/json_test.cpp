#include "cli/json.h"

#include <gtest/gtest.h>

#include "cli/manifest.h"

namespace {

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString(std::string("\n\t\x01\x1f", 4)), "\"\\u000a\\u0009\\u0001\\u001f\"");
    EXPECT_EQ(JsonString("C:\\web\\x.htm"), "\"C:\\\\web\\\\x.htm\"");
}

TEST(JsonString, HighBytesPassUnchanged) {
    EXPECT_EQ(JsonString("\xe9\x81\xa0"), "\"\xe9\x81\xa0\"");
}

// Whatever bytes a path holds, escaping and parsing give them back.
TEST(JsonString, RoundTripsEveryByte) {
    std::string every;
    for (int c = 1; c < 256; ++c) {
        every.push_back(static_cast<char>(c));
    }
    const std::optional<JsonObject> object = ParseJsonObject("{\"k\":" + JsonString(every) + "}");
    ASSERT_TRUE(object);
    EXPECT_EQ(object->at("k").m_text, every);
}

TEST(ParseJsonObject, ReadsStringsLiteralsAndStringArrays) {
    const std::optional<JsonObject> object = ParseJsonObject(
        R"( {"s": "x\u0041\/", "n": -12.5e1, "t": true, "z": null, "a": ["p", "q\"r"], "e": []} )");
    ASSERT_TRUE(object);
    EXPECT_EQ(object->at("s").m_kind, JsonValue::kString);
    EXPECT_EQ(object->at("s").m_text, "xA/");
    EXPECT_EQ(object->at("n").m_text, "-12.5e1");
    EXPECT_EQ(object->at("t").m_text, "true");
    EXPECT_EQ(object->at("z").m_kind, JsonValue::kLiteral);
    EXPECT_EQ(object->at("a").m_items, (std::vector<std::string>{"p", "q\"r"}));
    EXPECT_TRUE(object->at("e").m_items.empty());
}

TEST(ParseJsonObject, RefusesWhatIsNotOneFlatObject) {
    for (const char* line :
         {"", "{", "{\"a\":1", "{\"a\":1}x", "{\"a\"1}", "{\"a\":\"x}", "{\"a\":\"\n\"}",
          "{\"a\":nope}", "{\"a\":\"\\q\"}", "[1]", "{\"a\":{}}", "{\"a\":\"\\u12\"}"}) {
        EXPECT_FALSE(ParseJsonObject(line)) << line;
    }
}

TEST(MirrorPath, KeepsThePathBelowTheBackupFolder) {
#ifdef _WIN32
    EXPECT_EQ(MirrorPath("D:\\keep", "C:\\web\\index.htm"), "D:\\keep\\C\\web\\index.htm");
    EXPECT_EQ(MirrorPath("D:\\keep", "\\\\server\\share\\a.htm"),
              "D:\\keep\\UNC\\server\\share\\a.htm");
#else
    EXPECT_EQ(MirrorPath("/keep", "/srv/www/index.htm"), "/keep/srv/www/index.htm");
    EXPECT_EQ(MirrorPath("/keep/", "/a.htm"), "/keep/a.htm");
#endif
}

TEST(Manifest, EntryRoundTripsThroughItsLine) {
    const ManifestEntry entry{"/srv/\"odd\"\\name.htm", "/keep/srv/x.htm", "aa", "bb", "rewrite",
                              "2026-12-06T22:00:00Z"};
    const std::optional<ManifestEntry> back = ParseManifestLine(ManifestLine(entry));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_original, entry.m_original);
    EXPECT_EQ(back->m_backup, entry.m_backup);
    EXPECT_EQ(back->m_shaBefore, "aa");
    EXPECT_EQ(back->m_shaAfter, "bb");
    EXPECT_EQ(back->m_action, "rewrite");
    EXPECT_EQ(back->m_time, entry.m_time);
}

TEST(Manifest, DeletionHasNoDigestAfterAndUnknownActionsAreRefused) {
    ManifestEntry entry{"/a.htm", "/k/a.htm", "aa", "", "delete", "t"};
    EXPECT_NE(ManifestLine(entry).find("\"sha256_after\":null"), std::string::npos);
    EXPECT_TRUE(ParseManifestLine(ManifestLine(entry)));
    entry.m_action = "rewrite";
    EXPECT_FALSE(ParseManifestLine(ManifestLine(entry))) << "a rewrite needs its digest after";
    entry.m_action = "move";
    entry.m_shaAfter = "bb";
    EXPECT_FALSE(ParseManifestLine(ManifestLine(entry)));
}

}  // namespace
