#include "cli/sha256.h"

#include <gtest/gtest.h>

namespace {

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
