#include <gtest/gtest.h>

#include <vector>

#include "cli/glob.h"
#include "cli/path_text.h"

#ifdef _WIN32
#include <windows.h>

#include "win32/code_page_932.h"
#endif

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
        // Escaped: a name in a double-byte code page is no text in a test's log.
        EXPECT_EQ(rule(c.m_first, c.m_second), c.m_holds)
            << ::testing::PrintToString(c.m_first) << " "
            << ::testing::PrintToString(c.m_second.substr(0, 80));
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

#ifdef _WIN32
// Rules compare whole characters of the ANSI code page, which Wine takes from the locale: code
// page 932 runs in a process of its own (see tests/CMakeLists.txt). There a trail byte may be the
// backslash or an ASCII letter.
TEST(CodePage932, PathRulesCompareWholeCharacters) {
    ASSERT_EQ(GetACP(), 932u);
    ExpectRule(GlobMatches, {{"C:\\web\\*\\x.htm", Join({"C:", "web", kHyoji, "x.htm"}), true},
                             {"C:\\web\\?\\x.htm", Join({"C:", "web", kHyo, "x.htm"}), true},
                             {Join({"C:", "web", kA}), Join({"C:", "web", kDi}), false}});
    ExpectRule(IsAtOrBelow, {{Join({"C:", "web", kHyoji, "bk"}), Join({"C:", "web", kHyo}), false},
                             {Join({"C:", "web", kHyo, "bk"}), Join({"C:", "web", kHyo}), true},
                             {Join({"C:", "web", kDi, "bk"}), Join({"C:", "web", kA}), false}});
}

// In code page 1252 case is ignored for accented letters too (U+00C9 and U+00E9).
TEST(CodePage1252, PathRulesFoldAccentedLetters) {
    ASSERT_EQ(GetACP(), 1252u);
    ExpectRule(GlobMatches, {{"C:\\WEB\\\xc9T.HTM", "c:\\web\\\xe9t.htm", true}});
    ExpectRule(IsAtOrBelow, {{"C:\\WEB\\\xc9T\\x.htm", "c:\\web\\\xe9t", true}});
}
#endif

}  // namespace
