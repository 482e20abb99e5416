#include <gtest/gtest.h>

#include "pages/tools/Cfghis.h"

TEST(CfgFileNames, SaveNameGetsDcfUnlessItHoldsDcfAndUpdateSearchesTheWholePathInAnyCase) {
    EXPECT_EQ(dcfSaveName("backup"), "backup.dcf");
    EXPECT_EQ(dcfSaveName("backup.txt"), "backup.txt.dcf");
    EXPECT_EQ(dcfSaveName("x.Dcf"), "x.Dcf");
    EXPECT_EQ(dcfSaveName("a.dcf.old"), "a.dcf.old");
    EXPECT_TRUE(isDcfPath("/home/u/cfg.DCF"));
    EXPECT_TRUE(isDcfPath("/home/u/old.dcf/settings.txt"));
    EXPECT_FALSE(isDcfPath("/home/u/settings.txt"));
    EXPECT_FALSE(isDcfPath("/home/u/settings.dc"));
}
