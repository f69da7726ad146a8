#include "KWSnapshotName.h"
#include "KWScopedEnvironment.h"

#include <gtest/gtest.h>

namespace {
// Local time is UTC while the test runs, so that calendar times are known.
class KWSnapshotNameTest : public ::testing::Test {
private:
    KWScopedEnvironment m_utc{"TZ", "UTC"};
};

constexpr std::uint32_t k20080304At050600 = 1204607160;
} // namespace

TEST_F(KWSnapshotNameTest, FolderTextIsAPrefixAsStored) {
    EXPECT_EQ(KWMakeSnapshotName("c:\\image", k20080304At050600, 90),
              "c:\\imageimages-2008-3-4-5-7-30");
    EXPECT_EQ(KWMakeSnapshotName("D:\\shots\\", k20080304At050600, 90),
              "D:\\shots\\images-2008-3-4-5-7-30");
    EXPECT_EQ(KWMakeSnapshotName("/home/u/Pictures/Reelback/", k20080304At050600, 0),
              "/home/u/Pictures/Reelback/images-2008-3-4-5-6-0");
    EXPECT_EQ(KWMakeSnapshotName("", k20080304At050600, 3600 * 24 * 30), "images-2008-4-3-5-6-0");
}

// The sum is taken in 32 bits and read as a signed number.
TEST_F(KWSnapshotNameTest, TimeWrapsIn32Bits) {
    EXPECT_EQ(KWMakeSnapshotName("", 0xFFFFFFF0u, 0x20), "images-1970-1-1-0-0-16");
    EXPECT_EQ(KWMakeSnapshotName("", 0x7FFFFFFFu, 1), "images-1901-12-13-20-45-52");
    EXPECT_EQ(KWMakeSnapshotName("", 0, -1), "images-1969-12-31-23-59-59");
}
