#include "cli/glob.h"

#include <gtest/gtest.h>

namespace {

// A star stays within one folder and a double star crosses them; a question
// mark is one character but no separator; the whole path must match.
TEST(GlobMatches, FollowsThePatternCharacters) {
    const struct {
        const char* m_glob;
        const char* m_path;
        bool m_matches;
    } kCases[] = {
        {"/srv/*/cache", "/srv/www/cache", true},
        {"/srv/*/cache", "/srv/www/old/cache", false},
        {"/srv/**/cache", "/srv/www/old/cache", true},
        {"**/cache", "/srv/cache/x.htm", false},
        {"**/cache/**", "/srv/cache/x.htm", true},
        {"/srv/*", "/srv/", true},
        {"*.htm", "/srv/x.htm", false},
        {"**.htm", "/srv/x.htm", true},
        {"/a?c", "/abc", true},
        {"/a?c", "/ac", false},
        {"/a?c", "/a/c", false},
        {"", "/", false},
        {"**/cache", "/srv/cache", true},
#ifdef _WIN32
        {"C:\\WEB\\**", "c:\\web\\Index.htm", true},
        {"C:/web/*", "C:\\web\\index.htm", true},
#else
        {"/WEB/**", "/web/index.htm", false},
        {"/web\\*", "/web/index.htm", false}
#endif
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(GlobMatches(c.m_glob, c.m_path), c.m_matches) << c.m_glob << " " << c.m_path;
    }
}

TEST(GlobMatches, ManyStarsOnALongPathStillAnswer) {
    const std::string path = "/" + std::string(4000, 'a') + "b";
    EXPECT_FALSE(GlobMatches("**a**a**a**a**a**a**a**a**a**a**c", path));
    EXPECT_TRUE(GlobMatches("**a**a**a**a**a**a**a**a**a**a**b", path));
}

}  // namespace
