#include "cli/path_text.h"

#include <gtest/gtest.h>

namespace {

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
