#include "CKWSystemOsInfo.h"
#include "KWFakeOsVersionSource.h"

#include <gtest/gtest.h>

namespace {
using Fake = KWFakeOsVersionSource;
constexpr auto kNt = KWOsPlatform::kNt;
constexpr auto k9x = KWOsPlatform::kWindows9x;

struct Case {
    KWOsPlatform platform;
    std::uint32_t major;
    std::uint32_t minor;
    const char* productType;
    std::uint32_t type;
    const char* name;
};
} // namespace

TEST(CKWSystemOsInfoTest, ClassifiesEveryVersionOfTheTable) {
    const Case cases[] = {
        {KWOsPlatform::kWin32s, 3, 10, "", 1, "Windows 3.1"},
        {k9x, 4, 0, "", 2, "Windows 95"},
        {k9x, 3, 95, "", 2, "Windows 95"},
        {k9x, 4, 10, "", 3, "Windows 98"},
        {k9x, 4, 89, "", 3, "Windows 98"},
        {k9x, 4, 90, "", 4, "Windows ME"},
        {kNt, 3, 51, "WinNT", 5, "Windows NT Workstation 3.51"},
        {kNt, 3, 51, "ServerNT", 6, "Windows NT Server 3.51"},
        {kNt, 3, 51, "LanmanNT", 7, "Windows NT Server 3.51 - Domain Controller"},
        {kNt, 4, 0, "WinNT", 8, "Windows NT Workstation 4.0"},
        {kNt, 4, 0, "servernt", 9, "Windows NT Server 4.0"},
        {kNt, 4, 0, "LanmanNT", 10, "Windows NT Server 4.0 - Domain Controller"},
        {kNt, 5, 0, "winnt", 11, "Windows 2000 Professional"},
        {kNt, 5, 0, "SERVERNT", 12, "Windows 2000 Server"},
        {kNt, 5, 0, "LanmanNT", 13, "Windows 2000 Server - Domain Controller"},
        {kNt, 5, 1, "WinNT", 14, "Windows XP"},
        {kNt, 5, 2, "ServerNT", 15, "Windows Server 2003"},
        {kNt, 5, 3, "WinNT", 0, ""},
        {kNt, 6, 1, "WinNT", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor) + " " + c.productType);
        CKWSystemOsInfo info(Fake::Make(c.platform, c.major, c.minor, 0, c.productType));
        EXPECT_EQ(info.GetOsType(), c.type);
        EXPECT_EQ(info.GetOsName(), c.name);
        EXPECT_EQ(info.Is9x(), c.platform == k9x);
    }
}

TEST(CKWSystemOsInfoTest, KeepsTheVersionAndTheServicePack) {
    CKWSystemOsInfo info(Fake::Make(kNt, 5, 0, 3));
    EXPECT_EQ(info.GetVersionText(), "5.0.2195");
    EXPECT_EQ(info.GetBuildNumber(), 2195u);
    EXPECT_EQ(info.GetServicePackMajor(), 3);
    EXPECT_EQ(info.GetServicePackText(), "Service Pack 3");
    EXPECT_FALSE(info.IsVersion5AfterFirst());
    EXPECT_TRUE(CKWSystemOsInfo(Fake::Make(kNt, 5, 1)).IsVersion5AfterFirst());
    EXPECT_TRUE(CKWSystemOsInfo(Fake::Make(kNt, 5, 2)).IsVersion5AfterFirst());
    EXPECT_FALSE(CKWSystemOsInfo(Fake::Make(kNt, 6, 1)).IsVersion5AfterFirst());
}

// Without the extended record the basic one serves, with no service pack numbers.
TEST(CKWSystemOsInfoTest, FallsBackToTheBasicRecord) {
    auto source = Fake::Make(kNt, 5, 0, 4);
    source->extended.reset();
    CKWSystemOsInfo info(source);
    EXPECT_EQ(info.GetOsType(), CKWSystemOsInfo::kWindows2000Professional);
    EXPECT_EQ(info.GetServicePackMajor(), 0);
}

// A failed detection is tried again by the next getter; the version read before the product
// type failed is kept.
TEST(CKWSystemOsInfoTest, AFailedDetectionIsRepeatedByTheGetters) {
    auto source = Fake::Make(kNt, 5, 1, 0, std::nullopt);
    CKWSystemOsInfo info(source);
    EXPECT_FALSE(info.Detect());
    EXPECT_EQ(info.GetOsType(), CKWSystemOsInfo::kUnknown);
    EXPECT_EQ(info.GetMajorVersion(), 5u);
    source->productType = "WinNT";
    EXPECT_EQ(info.GetOsType(), CKWSystemOsInfo::kWindowsXp);

    auto nothing = std::make_shared<Fake>();
    CKWSystemOsInfo unknown(nothing);
    EXPECT_EQ(unknown.GetOsType(), CKWSystemOsInfo::kUnknown);
    EXPECT_EQ(unknown.GetOsName(), "");
    EXPECT_EQ(unknown.GetMajorVersion(), 0u);
}

TEST(CKWSystemOsInfoTest, BigLbaNeedsTheValueOne) {
    auto source = Fake::Make(kNt, 5, 0, 4);
    CKWSystemOsInfo info(source);
    EXPECT_FALSE(info.IsBigLbaEnabled());
    source->enableBigLba = 0;
    EXPECT_FALSE(info.IsBigLbaEnabled());
    source->enableBigLba = 2;
    EXPECT_FALSE(info.IsBigLbaEnabled());
    source->enableBigLba = 1;
    EXPECT_TRUE(info.IsBigLbaEnabled());
}

// This system is an NT version later than every version of the table, whatever the kernel.
TEST(CKWSystemOsInfoTest, TheSystemIsALaterNtWithBigLba) {
    using System = KWSystemOsVersionSource;
    const KWOsVersionRecord current = System::VersionOfRelease("6.1.0-13-amd64");
    EXPECT_EQ(current.major, 6u);
    EXPECT_EQ(current.minor, 1u);
    EXPECT_EQ(current.build, 0u);
    EXPECT_EQ(System::VersionOfRelease("5.3.7").major, 5u);
    EXPECT_EQ(System::VersionOfRelease("5.3.7").minor, 3u);
    for (const char* old : {"4.19.0-25-amd64", "5.2.1", "3.10", "", "garbage"}) {
        SCOPED_TRACE(old);
        EXPECT_EQ(System::VersionOfRelease(old).major, 6u);
        EXPECT_EQ(System::VersionOfRelease(old).minor, 0u);
    }

    KWScopedOsVersionSource system(nullptr);
    CKWSystemOsInfo info;
    EXPECT_EQ(info.GetPlatform(), KWOsPlatform::kNt);
    EXPECT_EQ(info.GetOsType(), CKWSystemOsInfo::kUnknown);
    EXPECT_EQ(info.GetOsName(), "");
    EXPECT_TRUE(info.IsBigLbaEnabled());
    EXPECT_FALSE(System::KernelRelease().empty());
}
