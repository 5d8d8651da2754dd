// What the command writes for others to read: strict JSON, the manifest's
// lines, and the digests that tell whether a file changed since.
#include "cli/json.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/manifest.h"
#include "cli/sha256.h"

namespace {

// What a strict reader takes, and what it reads: every kind of value, a
// surrogate pair as one four-byte character, numbers kept as written.
TEST(ParseJsonObject, ReadsValuesAsRfc8259WritesThem) {
    const std::optional<JsonObject> object = ParseJsonObject(
        R"( {"s": "x\u0041\/", "t": true, "z": null, "a": ["p", "q\"r"], "e": []} )");
    ASSERT_TRUE(object);
    EXPECT_EQ(object->at("s").m_kind, JsonValue::kString);
    EXPECT_EQ(object->at("z").m_kind, JsonValue::kLiteral);
    EXPECT_EQ(object->at("s").m_text + object->at("t").m_text, "xA/true");
    EXPECT_EQ(object->at("a").m_items, (std::vector<std::string>{"p", "q\"r"}));
    EXPECT_TRUE(object->at("e").m_items.empty());
    for (const auto& [value, text] : {std::pair{R"("\ud83d\ude00")", "\xf0\x9f\x98\x80"},
                                      {R"("\u00E9\u20ac")", "\xc3\xa9\xe2\x82\xac"},
                                      {"\"\xf0\x9f\x98\x80\"", "\xf0\x9f\x98\x80"},
                                      {"0", "0"},
                                      {"-0.5e+10", "-0.5e+10"},
                                      {"1E5", "1E5"},
                                      {"-12.5e1", "-12.5e1"}}) {
        const std::optional<JsonObject> read =
            ParseJsonObject(std::string("{\"k\":") + value + "}");
        EXPECT_EQ(read ? read->at("k").m_text : "refused", text) << value;
    }
}

TEST(ParseJsonObject, RefusesWhatIsNotOneFlatObject) {
    for (const char* line :
         {"", "{", "{\"a\":1", "{\"a\":1}x", "{\"a\"1}", "{\"a\":\"x}", "{\"a\":\"\n\"}",
          "{\"a\":\"\x1f\"}", "{\"a\":nope}", "{\"a\":\"\\q\"}", "[1]", "{\"a\":{}}",
          "{\"a\":\"\\u12\"}",
          // not strict JSON
          "{\"a\":\"\\u 123\"}", "{\"a\":\"\\u0x12\"}", "{\"a\":\"\\u-001\"}",
          "{\"a\":\"\\ud800\"}", "{\"a\":\"\\udc00\\ud800\"}", "{\"a\":\"\\ud800\\u0041\"}",
          "{\"a\":nan}", "{\"a\":01}", "{\"a\":+1}", "{\"a\":1.}", "{\"a\":.5}", "{\"a\":-}",
          "{\"a\":1e}", "{\"a\":truex}", "{\"a\":\"\xff\"}", "{\"a\":\"\xc0\xaf\"}",
          "{\"a\":\"\xed\xa0\x80\"}", "{\"a\":\"\xf4\x90\x80\x80\"}", "{\"a\":\"\xe2\x82\"}"}) {
        EXPECT_FALSE(ParseJsonObject(line)) << line;
    }
}

// Every name, whatever its bytes, comes back from its manifest line byte for
// byte, and the line is UTF-8 that a strict reader takes. A name that is
// not UTF-8 travels in base64 on POSIX; on Windows every name of the ANSI
// code page is text.
TEST(Manifest, EveryNameRoundTripsThroughAStrictLine) {
    std::string controls(0x1f, '\0');
    std::iota(controls.begin(), controls.end(), '\1');
    // Each name, and whether it is written as text on POSIX.
    for (const auto& [name, text] : {std::pair<std::string, bool>{"/srv/plain.htm", true},
                                     {"/srv/\xc3\xa9t\xc3\xa9.htm", true},
                                     {"/srv/\xf0\x9f\x98\x80.htm", true},
                                     {"/srv/" + controls + "\x7f.htm", true},
                                     {"/srv/\"q\"\\b.htm", true},
                                     {"/srv/bad\xff.htm", false},
                                     {"/srv/\xe9t\xe9.htm", false},
                                     {"/srv/\xed\xa0\x80.htm", false},
                                     {"/srv/\xc0\xaf.htm", false},
                                     {"/srv/cut\xe2\x82.htm", false}}) {
        SCOPED_TRACE(JsonString(name));
        const ManifestEntry entry{name, "/keep" + name, "aa", "bb", "rewrite", "t"};
        const std::string line = ManifestLine(entry);
        const std::optional<ManifestEntry> back = ParseManifestLine(line);
        ASSERT_TRUE(back) << line;
        EXPECT_EQ(back->m_original + back->m_backup, entry.m_original + entry.m_backup);
        EXPECT_EQ(ManifestLine(*back), line) << "every other member comes back too";
#ifndef _WIN32
        EXPECT_EQ(line.find("\"original_base64\"") == std::string::npos, text) << line;
#endif
    }
}

// A deletion has no digest after; a line that names nothing, lacks a digest
// its action needs or has an action of its own is refused.
TEST(Manifest, LineThatNamesNothingOrLacksADigestIsRefused) {
    const std::string deletion = ManifestLine({"/a.htm", "/k/a.htm", "aa", "", "delete", "t"});
    EXPECT_NE(deletion.find("\"sha256_after\":null"), std::string::npos);
    EXPECT_TRUE(ParseManifestLine(deletion));
    const std::string names = R"({"original":"/a","backup":"/k/a",)";
    const std::string rest = R"(,"sha256_before":"aa","sha256_after":null,"action":"delete"})";
    for (const std::string& line : {
             names + R"("sha256_before":"aa","sha256_after":null,"action":"rewrite"})",
             names + R"("sha256_before":"","sha256_after":"bb","action":"rewrite"})",
             names + R"("sha256_before":"aa","sha256_after":"bb","action":"move"})",
             R"({"original":"/a\u0000b","backup":"/k/a")" + rest,
             R"({"original":"","backup":"/k/a")" + rest,
             R"({"original":null,"original_base64":"L2EA","backup":"/k/a")" + rest,
             R"({"original":null,"original_base64":"L2E","backup":"/k/a")" + rest,
             R"({"original":null,"original_base64":"L2F=","backup":"/k/a")" + rest,
             R"({"original":null,"backup":"/k/a")" + rest,
             R"({"original":null,"original_base64":"","backup":"/k")" + rest,
             R"({"original":"/a","original_base64":"L2E=","backup":"/k/a")" + rest,
#ifdef _WIN32
             // A name that the ANSI code page cannot hold is not replaced by a
             // look-alike or "?": its entry names nothing on this system.
             R"({"original":"C:\\\ud83d\ude00.htm","backup":"D:\\k\\C\\\ud83d\ude00.htm")" + rest,
#endif
         }) {
        EXPECT_FALSE(ParseManifestLine(line)) << line;
    }
}

#ifdef _WIN32
// A name in the ANSI code page is written as its UTF-8 text, a trail byte
// 0x5C included; the rows of the code page the test runs in are checked.
TEST(Manifest, AnsiNamesAreWrittenAsUtf8Text) {
    const struct {
        UINT m_codePage;
        const char* m_ansi;
        const char* m_utf8;
    } kNames[] = {{932, "\x95\x5c", "\xe8\xa1\xa8"},  // a trail byte that is a backslash
                  {932, "\x83\x41\x83\x61", "\xe3\x82\xa2\xe3\x83\x82"},  // two kana apart
                  {1252, "\xc9\xe9", "\xc3\x89\xc3\xa9"},
                  {1252, "\x95\x80", "\xe2\x80\xa2\xe2\x82\xac"}};
    bool checked = false;
    for (const auto& c : kNames) {
        if (c.m_codePage != GetACP()) {
            continue;
        }
        SCOPED_TRACE(c.m_utf8);
        const std::string name = std::string("C:\\web\\") + c.m_ansi + "\\x.htm";
        const std::string line = ManifestLine({name, name, "aa", "", "delete", "t"});
        EXPECT_NE(line.find(std::string("\"C:\\\\web\\\\") + c.m_utf8 + "\\\\x.htm\""),
                  std::string::npos)
            << line;
        const std::optional<ManifestEntry> back = ParseManifestLine(line);
        EXPECT_EQ(back ? back->m_original : "refused", name);
        checked = true;
    }
    if (!checked) {
        GTEST_SKIP() << "no case for code page " << GetACP();
    }
}

// A drive letter and a server's share each get a folder of their own in DIR
// (on POSIX the copies' own tests find every copy where this puts it).
TEST(MirrorPath, KeepsThePathBelowTheBackupFolder) {
    EXPECT_EQ(MirrorPath("D:\\keep", "C:\\web\\index.htm"), "D:\\keep\\C\\web\\index.htm");
    EXPECT_EQ(MirrorPath("D:\\keep", "\\\\server\\share\\a.htm"),
              "D:\\keep\\UNC\\server\\share\\a.htm");
}
#endif

// The test vectors of FIPS 180-2 and NIST's examples, and lengths around the
// 55/56/64-byte edges of the padding; a million bytes fed in odd pieces.
TEST(Sha256, MatchesTheStandardVectors) {
    const struct {
        std::string m_input;
        const char* m_digest;
    } kCases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {"\xff", "a8100ae6aa1940d0b663bb31cd466142ebbdbd5187131b92d93818987832eb89"}};
    for (const auto& c : kCases) {
        EXPECT_EQ(Sha256Hex(c.m_input), c.m_digest) << c.m_input.size() << " bytes";
    }
    Sha256 sha;
    const std::string piece(997, 'a');
    for (std::size_t left = 1000000; left > 0; left -= std::min(left, piece.size())) {
        sha.Update(piece.data(), std::min(left, piece.size()));
    }
    EXPECT_EQ(sha.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
