#include "CCamMacText.h"
#include "CCamBatchPlan.h"

#include <gtest/gtest.h>

using Check = CCamMacText::Check;

TEST(CCamMacText, AcceptsEitherCaseAndNamesTheFirstFault) {
    EXPECT_EQ(CCamMacText::Validate("12-34-56-78-9A-bc"), Check::Valid);
    EXPECT_EQ(CCamMacText::Validate("12-34-56-78-9A-bcd"), Check::WrongFormat);
    EXPECT_EQ(CCamMacText::Validate("12-34-56-78-9A-b"), Check::WrongFormat);
    EXPECT_EQ(CCamMacText::Validate(""), Check::WrongFormat);
    EXPECT_EQ(CCamMacText::Validate("12:34:56:78:9A:BC"), Check::WrongFormat);
    EXPECT_EQ(CCamMacText::Validate("12-34-56-78-9G-BC"), Check::NotHex);
    // Left to right, the first failure wins.
    EXPECT_EQ(CCamMacText::Validate("1G:34-56-78-9A-BC"), Check::NotHex);
    EXPECT_EQ(CCamMacText::Validate("12:3G-56-78-9A-BC"), Check::WrongFormat);
    EXPECT_EQ(CCamMacText::Validate("12-34-56-78-9A- C"), Check::NotHex);
}

TEST(CCamMacText, NextIncreasesTheLastGroupAndWrapsInUpperCase) {
    EXPECT_EQ(CCamMacText::Next("00-11-22-33-44-FE"), "00-11-22-33-44-FF");
    EXPECT_EQ(CCamMacText::Next("00-11-22-33-44-FF"), "00-11-22-33-44-00");
    EXPECT_EQ(CCamMacText::Next("aa-bb-cc-dd-ee-0f"), "aa-bb-cc-dd-ee-10");
    EXPECT_EQ(CCamMacText::Next("aa-bb-cc-dd-ee-0a"), "aa-bb-cc-dd-ee-0B");
}

namespace {
CameraRecord OldCamera(const char* mac) {
    CameraRecord record;
    CameraRecord::SetText(record.mac, mac);
    CameraRecord::SetText(record.address, "10.0.0.9:81");
    record.port = 81;
    return record;
}

CCamBatchPlan::Input Entered() {
    CCamBatchPlan::Input input;
    input.address = "192.168.0.254";
    input.netMask = "255.255.255.0";
    input.gateway = "192.168.0.1";
    input.mac = "00-11-22-33-44-FE";
    input.name = "cam";
    input.port = 80;
    return input;
}
} // namespace

TEST(CCamBatchPlan, AddressesWrapAbove255ToOneAndNamesCarryTheirIndex) {
    const std::vector<CameraRecord> oldList = {OldCamera("A"), OldCamera("B"), OldCamera("C")};
    const std::vector<CameraRecord> newList = CCamBatchPlan::BuildNewList(oldList, Entered());
    ASSERT_EQ(newList.size(), 3u);
    const char* addresses[] = {"192.168.0.254:80", "192.168.0.255:80", "192.168.0.1:80"};
    const char* names[] = {"cam0", "cam1", "cam2"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_STREQ(newList[i].address, addresses[i]);
        EXPECT_STREQ(newList[i].name, names[i]);
        EXPECT_EQ(newList[i].port, 80);
        EXPECT_STREQ(newList[i].netMask, "255.255.255.0");
        EXPECT_STREQ(newList[i].gateway, "192.168.0.1");
        EXPECT_STREQ(newList[i].status, "");
    }
    // Without the MAC box camera 0 keeps the MAC text entered (its own) and the others theirs.
    EXPECT_STREQ(newList[0].mac, "00-11-22-33-44-FE");
    EXPECT_STREQ(newList[1].mac, "B");
    EXPECT_STREQ(newList[2].mac, "C");
    EXPECT_TRUE(CCamBatchPlan::BuildNewList({}, Entered()).empty());
}

TEST(CCamBatchPlan, TickedMacBoxCountsTheMacsOnFromTheFirst) {
    CCamBatchPlan::Input input = Entered();
    input.changeMac = true;
    const auto newList =
        CCamBatchPlan::BuildNewList({OldCamera("A"), OldCamera("B"), OldCamera("C")}, input);
    ASSERT_EQ(newList.size(), 3u);
    EXPECT_STREQ(newList[0].mac, "00-11-22-33-44-FE");
    EXPECT_STREQ(newList[1].mac, "00-11-22-33-44-FF");
    EXPECT_STREQ(newList[2].mac, "00-11-22-33-44-00");
}

TEST(CCamBatchPlan, NextAddressIgnoresThePortAndWraps) {
    EXPECT_EQ(CCamBatchPlan::NextAddress("10.0.0.5:81"), "10.0.0.6");
    EXPECT_EQ(CCamBatchPlan::NextAddress("10.0.0.255"), "10.0.0.1");
    EXPECT_EQ(CCamBatchPlan::NextAddress("10.0.0.0"), "10.0.0.1");
}
