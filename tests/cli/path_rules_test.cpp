#include <gtest/gtest.h>

#include "cli/glob.h"
#include "cli/path_text.h"

namespace {

// A star stays within one folder and a double star crosses them; a question
// mark is one character but no separator; the whole path must match; and
// many stars on a long path still answer.
TEST(GlobMatches, FollowsThePatternCharacters) {
    const std::string longPath = "/" + std::string(4000, 'a') + "b";
    const struct {
        const char* m_glob;
        std::string m_path;
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
        {"**a**a**a**a**a**a**a**a**a**a**c", longPath, false},
        {"**a**a**a**a**a**a**a**a**a**a**b", longPath, true},
#ifdef _WIN32
        {"C:\\WEB\\**", "c:\\web\\Index.htm", true},
        {"C:/web/*", "C:\\web\\index.htm", true},
#else
        {"/WEB/**", "/web/index.htm", false},
        {"/web\\*", "/web/index.htm", false}
#endif
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(GlobMatches(c.m_glob, c.m_path), c.m_matches)
            << c.m_glob << " " << c.m_path.substr(0, 80);
    }
}

// Whole names only; on Windows names differing only in case, or in the
// separator, are one file.
TEST(IsAtOrBelow, TakesWholeNamesOnly) {
    const struct {
        const char* m_path;
        const char* m_root;
        bool m_below;
    } kCases[] = {
        {"/srv/www", "/srv/www", true},
        {"/srv/www/keep", "/srv/www", true},
        {"/srv", "/", true},
        {"/srv/www-keep", "/srv/www", false},
        {"/srv", "/srv/www", false},
        {"/srv", "", false},
#ifdef _WIN32
        {"C:\\Site\\Keep", "c:\\site", true},
        {"c:/site/keep", "C:\\SITE", true},
        {"D:\\keep", "d:\\", true},
        {"C:\\Sites\\Keep", "c:\\site", false},
#else
        {"/Srv/www/keep", "/srv/www", false},
        {"/srv/www\\keep", "/srv/www", false}
#endif
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(IsAtOrBelow(c.m_path, c.m_root), c.m_below) << c.m_path << " " << c.m_root;
    }
}

}  // namespace
