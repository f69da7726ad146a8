#include "CCamCommand.h"

#include <gtest/gtest.h>

namespace {
std::string Scrambled(const char* password) {
    char out[33];
    CCamCommand::ScramblePassword(password, out, sizeof(out));
    return out;
}
} // namespace

TEST(CCamCommand, EveryCommandTextIsByteExact) {
    EXPECT_EQ(CCamCommand::Query(), "KESTRAQUERY,0");
    EXPECT_EQ(CCamCommand::UpdateIp("00-11-22-33-44-55", "10.0.0.9", "255.0.0.0", "10.0.0.1",
                                    "admin", "xy"),
              "KESTRAQUERY,1,00-11-22-33-44-55,10.0.0.9,255.0.0.0,10.0.0.1,admin,xy");
    EXPECT_EQ(CCamCommand::UpdateMac("00-11-22-33-44-55", "00-11-22-33-44-66", "admin", "xy"),
              "KESTRAQUERY,2,00-11-22-33-44-55,00-11-22-33-44-66,admin,xy");
    EXPECT_EQ(CCamCommand::UpdateName("00-11-22-33-44-55", "100% cam", "admin", "xy"),
              "KESTRAQUERY,3,00-11-22-33-44-55,100% cam,admin,xy");
    EXPECT_EQ(CCamCommand::UpdatePort("00-11-22-33-44-55", 8080, "admin", "xy"),
              "KESTRAQUERY,4,00-11-22-33-44-55,8080,admin,xy");
    EXPECT_EQ(CCamCommand::UpdatePort("00-11-22-33-44-55", -1, "admin", "xy"),
              "KESTRAQUERY,4,00-11-22-33-44-55,-1,admin,xy");
    EXPECT_EQ(CCamCommand::SetDefault("00-11-22-33-44-55", "admin", "xy"),
              "KESTRAQUERY,6,00-11-22-33-44-55,admin,xy");
}

TEST(CCamCommand, EmptyPasswordKeepsItsSeparator) {
    EXPECT_EQ(CCamCommand::SetDefault("M", "admin", Scrambled("").c_str()),
              "KESTRAQUERY,6,M,admin,");
    EXPECT_EQ(CCamCommand::UpdateName("M", "n", "", ""), "KESTRAQUERY,3,M,n,,");
}

TEST(CCamCommand, ScramblingXorsWithTheMaskAndWrapsAfterEightBytes) {
    // 'p'^3C, 'a'^A7, 's'^19, 's'^E2
    EXPECT_EQ(Scrambled("pass"), "\x4C\xC6\x6A\x91");
    // The ninth byte uses mask byte 0 again: '9' (0x39) ^ 0x3C = 0x05.
    const std::string nine = Scrambled("123456789");
    ASSERT_EQ(nine.size(), 9u);
    EXPECT_EQ(nine[8], '\x05');
    EXPECT_EQ(nine[0], static_cast<char>('1' ^ 0x3C));
    EXPECT_EQ(nine[7], static_cast<char>('8' ^ 0x6F));
}

TEST(CCamCommand, PasswordByteEqualToItsMaskByteEndsTheScrambledText) {
    EXPECT_EQ(Scrambled("<abc"), ""); // '<' is 0x3C, the first mask byte
    EXPECT_EQ(Scrambled("a\xA7z"), "\x5D");
    EXPECT_EQ(CCamCommand::SetDefault("M", "admin", Scrambled("a\xA7z").c_str()),
              "KESTRAQUERY,6,M,admin,\x5D");
}

TEST(CCamCommand, OverlongPasswordIsCutToTheOutputBuffer) {
    char out[5];
    std::fill(std::begin(out), std::end(out), '\x7F');
    CCamCommand::ScramblePassword("abcdefgh", out, sizeof(out));
    EXPECT_EQ(std::string(out).size(), 4u);
    EXPECT_EQ(out[4], '\0');
}
