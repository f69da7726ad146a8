#include "CCamReply.h"

#include <gtest/gtest.h>

TEST(CCamReply, DiscoveryAnswerFillsEveryFieldButStatus) {
    CameraRecord record;
    const int kind = CCamReply::Parse(
        "KESTRAREPLY,0,00-11-22-33-44-55,10.0.0.5:81,255.255.255.0,10.0.0.1,front,ignored", record);
    ASSERT_EQ(kind, 0);
    EXPECT_STREQ(record.mac, "00-11-22-33-44-55");
    EXPECT_STREQ(record.address, "10.0.0.5:81");
    EXPECT_STREQ(record.netMask, "255.255.255.0");
    EXPECT_STREQ(record.gateway, "10.0.0.1");
    EXPECT_STREQ(record.name, "front");
    EXPECT_STREQ(record.status, "");
    EXPECT_EQ(record.port, 81);
}

TEST(CCamReply, StatusIsReadForAcknowledgementsOnly) {
    for (char kind : std::string("12346")) {
        CameraRecord record;
        const std::string text = std::string("KESTRAREPLY,") + kind + ",M,1.2.3.4:80,m,g,n,OK";
        ASSERT_EQ(CCamReply::Parse(text.c_str(), record), kind - '0');
        EXPECT_STREQ(record.status, "OK") << kind;
    }
    for (char kind : std::string("07")) {
        CameraRecord record;
        const std::string text = std::string("KESTRAREPLY,") + kind + ",M,1.2.3.4:80,m,g,n,OK";
        ASSERT_EQ(CCamReply::Parse(text.c_str(), record), kind - '0');
        EXPECT_STREQ(record.status, "") << kind;
    }
}

TEST(CCamReply, SpacesInTheMacBecomeZeros) {
    CameraRecord record;
    ASSERT_EQ(CCamReply::Parse("KESTRAREPLY,0,12-34-56- 7-89-AB,1.2.3.4:80,m,g,n", record), 0);
    EXPECT_STREQ(record.mac, "12-34-56-07-89-AB");
}

TEST(CCamReply, TokensSplitLikeStrtok) {
    CCamReply::Slots slots;
    EXPECT_EQ(CCamReply::Tokenize(",,a,,b,", slots), 2u);
    EXPECT_STREQ(slots[0].data(), "a");
    EXPECT_STREQ(slots[1].data(), "b");
    EXPECT_STREQ(slots[2].data(), "");

    // An empty field vanishes and the later fields move up: the name lands in the gateway.
    CameraRecord record;
    ASSERT_EQ(CCamReply::Parse("KESTRAREPLY,0,M,1.2.3.4:80,,g,n", record), 0);
    EXPECT_STREQ(record.netMask, "g");
    EXPECT_STREQ(record.gateway, "n");
    EXPECT_STREQ(record.name, "");
}

TEST(CCamReply, KeepsEightTokensOfAtMostTwentyCharacters) {
    CCamReply::Slots slots;
    EXPECT_EQ(CCamReply::Tokenize("1,2,3,4,5,6,7,8,9,10", slots), 8u);
    EXPECT_STREQ(slots[7].data(), "8");

    CameraRecord record;
    ASSERT_EQ(CCamReply::Parse("KESTRAREPLY,3,M,1.2.3.4:80,m,g,"
                               "abcdefghijklmnopqrstu,status,extra",
                               record),
              3);
    EXPECT_STREQ(record.name, "abcdefghijklmnopqrst"); // the 21st character is cut
    EXPECT_STREQ(record.status, "status");
}

TEST(CCamReply, ForeignPrefixesAndUnknownKindsAreDropped) {
    CameraRecord record;
    EXPECT_EQ(CCamReply::Parse("KESTRAREPLYX,0,M,1.2.3.4:80,m,g,n", record), -1);
    EXPECT_EQ(CCamReply::Parse("KESTRAREPL,0,M,1.2.3.4:80,m,g,n", record), -1);
    EXPECT_EQ(CCamReply::Parse("KESTRAREPLY,10,M,1.2.3.4:80,m,g,n", record), -1);
    EXPECT_EQ(CCamReply::Parse("KESTRAREPLY,5,M,1.2.3.4:80,m,g,n", record), -1);
    EXPECT_EQ(CCamReply::Parse("KESTRAREPLY,8,M,1.2.3.4:80,m,g,n", record), -1);
    EXPECT_EQ(CCamReply::Parse("KESTRAREPLY", record), -1);
    EXPECT_EQ(CCamReply::Parse("", record), -1);
}

TEST(CCamReply, PortIsTheNumberAfterTheFirstColon) {
    EXPECT_EQ(CCamReply::PortOf("10.0.0.5:8080"), 8080);
    EXPECT_EQ(CCamReply::PortOf("10.0.0.5"), 0);
    EXPECT_EQ(CCamReply::PortOf("10.0.0.5:"), 0);
    EXPECT_EQ(CCamReply::PortOf("10.0.0.5:80x:90"), 80);
    EXPECT_EQ(CCamReply::PortOf("10.0.0.5: -7"), -7);
    EXPECT_EQ(CCamReply::PortOf("1:99999999999999999"), INT32_MAX);

    CameraRecord record;
    ASSERT_EQ(CCamReply::Parse("KESTRAREPLY,0,M,10.0.0.5,m,g,n", record), 0);
    EXPECT_EQ(record.port, 0);
    EXPECT_STREQ(record.address, "10.0.0.5");
    EXPECT_STREQ(record.name, "n");
}
