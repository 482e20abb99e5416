#include <gtest/gtest.h>

#include "pages/tools/Firmware.h"

// What the page tests leave out: backslash folders, and a certificate extension in a folder name.
TEST(FirmwareFileRules, BackslashFoldersCountLikeSlashes) {
    EXPECT_TRUE(isMissingFileName("C:\\ssl\\"));
    EXPECT_FALSE(isMissingFileName("C:\\ssl\\a.pem"));
    EXPECT_TRUE(isCertificatePath("C:\\keys.pem\\key.txt"));
    EXPECT_FALSE(isCertificatePath("C:\\keys\\key.PEM"));
}
