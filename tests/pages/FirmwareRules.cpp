#include <gtest/gtest.h>

#include "pages/tools/Firmware.h"

TEST(FirmwareFileRules, ExtensionChecksAreCaseSensitive) {
    EXPECT_TRUE(isFirmwarePath("/fw/image.bin"));
    EXPECT_TRUE(isFirmwarePath("/fw/image.tfp"));
    EXPECT_FALSE(isFirmwarePath("/fw/image.BIN"));
    EXPECT_FALSE(isFirmwarePath("/fw/image.Tfp"));
    EXPECT_TRUE(isCertificatePath("/ssl/a.pem"));
    EXPECT_TRUE(isCertificatePath("/ssl/a.der"));
    EXPECT_FALSE(isCertificatePath("/ssl/a.PEM"));
}

TEST(FirmwareFileRules, ExtensionMayStandInAFolderName) {
    EXPECT_TRUE(isFirmwarePath("/fw/old.bin/readme.txt"));
    EXPECT_TRUE(isCertificatePath("C:\\keys.pem\\key.txt"));
}

TEST(FirmwareFileRules, EmptyPathOrFolderHasNoFileName) {
    EXPECT_TRUE(isMissingFileName(""));
    EXPECT_TRUE(isMissingFileName("/ssl/"));
    EXPECT_TRUE(isMissingFileName("C:\\ssl\\"));
    EXPECT_FALSE(isMissingFileName("/ssl/a.pem"));
}
