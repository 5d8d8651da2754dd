#include <gtest/gtest.h>

#include <vector>

#include "cli/glob.h"
#include "cli/path_text.h"

namespace {

// A case of a rule on two paths, and whether the rule holds.
struct PathCase {
    std::string m_first;
    std::string m_second;
    bool m_holds;
};

template <typename Rule>
void ExpectRule(Rule rule, const std::vector<PathCase>& cases) {
    for (const PathCase& c : cases) {
        EXPECT_EQ(rule(c.m_first, c.m_second), c.m_holds)
            << c.m_first << " " << c.m_second.substr(0, 80);
    }
}

// A star stays within one folder and a double star crosses them; a question
// mark is one character but no separator; the whole path must match; and
// many stars on a long path still answer.
TEST(GlobMatches, FollowsThePatternCharacters) {
    const std::string longPath = "/" + std::string(4000, 'a') + "b";
    const std::vector<PathCase> kCases = {
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
        {"/web\\*", "/web/index.htm", false},
#endif
    };
    ExpectRule(GlobMatches, kCases);
}

// Whole names only; on Windows names differing only in case, or in the
// separator, are one file.
TEST(IsAtOrBelow, TakesWholeNamesOnly) {
    const std::vector<PathCase> kCases = {
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
        {"/srv/www\\keep", "/srv/www", false},
#endif
    };
    ExpectRule(IsAtOrBelow, kCases);
}

}  // namespace
