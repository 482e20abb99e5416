#include <gtest/gtest.h>

#include "library/tftp/TftpProtocol.h"

using namespace tftp;

TEST(TftpProtocol, RequestParsing_IgnoresOptionsAndRejectsUnterminatedFields) {
    const std::string withOptions = requestPacket(1, "cfg.dcf", "netascii") + std::string(
                                                                                  "blksize\0"
                                                                                  "1428\0tsize\0"
                                                                                  "0\0",
                                                                                  20);
    const auto request = parseRequest(withOptions);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, 1);
    EXPECT_EQ(request->fileName, "cfg.dcf");
    EXPECT_EQ(request->mode, "netascii");
    EXPECT_EQ(parseRequest(requestPacket(2, "a", "octet"))->kind, 2);
    EXPECT_FALSE(parseRequest(std::string("\0\1name", 6)));
    EXPECT_FALSE(parseRequest(std::string("\0\1name\0octet", 12)));
    EXPECT_FALSE(parseRequest(std::string("\0\1name\0\0", 8))) << "empty mode";
    EXPECT_FALSE(parseRequest(ackPacket(1)));
    EXPECT_FALSE(parseRequest(std::string(1, '\1')));
}

TEST(TftpProtocol, PlainFileNames_StayInsideTheRoot) {
    for (const char* good : {"cfg.dcf", "LogFile.RD", "a..b", "..hidden", "x y", "fw:1.bin"})
        EXPECT_TRUE(isPlainFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "../x", "a/b", "/etc/passwd", "a\\b", "\\x", "C:x",
                            "c:\\x", "a\nb", "\x7f"})
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
}
