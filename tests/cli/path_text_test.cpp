#include "cli/path_text.h"

#include <gtest/gtest.h>

namespace {

TEST(IsAtOrBelow, TakesWholeNamesOnly) {
    EXPECT_TRUE(IsAtOrBelow("/srv/www", "/srv/www"));
    EXPECT_TRUE(IsAtOrBelow("/srv/www/keep", "/srv/www"));
    EXPECT_TRUE(IsAtOrBelow("/srv", "/"));
    EXPECT_FALSE(IsAtOrBelow("/srv/www-keep", "/srv/www"));
    EXPECT_FALSE(IsAtOrBelow("/srv", "/srv/www"));
    EXPECT_FALSE(IsAtOrBelow("/srv", ""));
}

#ifdef _WIN32
// Names differing only in case, or in the separator, are one file on Windows.
TEST(IsAtOrBelow, IgnoresCaseAndTheKindOfSeparatorOnWindows) {
    EXPECT_TRUE(IsAtOrBelow("C:\\Site\\Keep", "c:\\site"));
    EXPECT_TRUE(IsAtOrBelow("c:/site/keep", "C:\\SITE"));
    EXPECT_TRUE(IsAtOrBelow("D:\\keep", "d:\\"));
    EXPECT_FALSE(IsAtOrBelow("C:\\Sites\\Keep", "c:\\site"));
}
#else
TEST(IsAtOrBelow, HeedsCaseAndTakesOnlySlashAsSeparatorOnPosix) {
    EXPECT_FALSE(IsAtOrBelow("/Srv/www/keep", "/srv/www"));
    EXPECT_FALSE(IsAtOrBelow("/srv/www\\keep", "/srv/www"));
}
#endif

}  // namespace
