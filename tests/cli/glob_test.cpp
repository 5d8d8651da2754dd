#include "cli/glob.h"

#include <gtest/gtest.h>

namespace {

TEST(GlobMatches, StarStaysWithinOneFolderAndDoubleStarCrossesThem) {
    EXPECT_TRUE(GlobMatches("/srv/*/cache", "/srv/www/cache"));
    EXPECT_FALSE(GlobMatches("/srv/*/cache", "/srv/www/old/cache"));
    EXPECT_TRUE(GlobMatches("/srv/**/cache", "/srv/www/old/cache"));
    EXPECT_TRUE(GlobMatches("**/cache", "/srv/cache"));
    EXPECT_FALSE(GlobMatches("**/cache", "/srv/cache/x.htm")) << "the whole path must match";
    EXPECT_TRUE(GlobMatches("**/cache/**", "/srv/cache/x.htm"));
    EXPECT_TRUE(GlobMatches("/srv/*", "/srv/"));
    EXPECT_FALSE(GlobMatches("*.htm", "/srv/x.htm")) << "a star does not cross a separator";
    EXPECT_TRUE(GlobMatches("**.htm", "/srv/x.htm"));
}

TEST(GlobMatches, QuestionMarkIsOneCharacterButNoSeparator) {
    EXPECT_TRUE(GlobMatches("/a?c", "/abc"));
    EXPECT_FALSE(GlobMatches("/a?c", "/ac"));
    EXPECT_FALSE(GlobMatches("/a?c", "/a/c"));
    EXPECT_TRUE(GlobMatches("", ""));
    EXPECT_FALSE(GlobMatches("", "/"));
}

TEST(GlobMatches, ManyStarsOnALongPathStillAnswer) {
    const std::string path = "/" + std::string(4000, 'a') + "b";
    EXPECT_FALSE(GlobMatches("**a**a**a**a**a**a**a**a**a**a**c", path));
    EXPECT_TRUE(GlobMatches("**a**a**a**a**a**a**a**a**a**a**b", path));
}

TEST(GlobMatches, CaseFollowsThePlatform) {
#ifdef _WIN32
    EXPECT_TRUE(GlobMatches("C:\\WEB\\**", "c:\\web\\Index.htm"));
    EXPECT_TRUE(GlobMatches("C:/web/*", "C:\\web\\index.htm"));
#else
    EXPECT_FALSE(GlobMatches("/WEB/**", "/web/index.htm"));
    EXPECT_FALSE(GlobMatches("/web\\*", "/web/index.htm"));
#endif
}

}  // namespace
