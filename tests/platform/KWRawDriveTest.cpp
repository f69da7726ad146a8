#include "KWRawDrive.h"
#include "KWDriveList.h"
#include "KWScopedEnvironment.h"
#include "KWTempDir.h"
#include "KWTestImage.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {
TEST(KWRawDrive, ImageFileGeometryCountsWholeCylindersOfAFixedDisk) {
    KWTempDir dir;
    // Two whole cylinders and a part of a third, which the geometry does not report.
    KWTestImage image(dir / "disk.img", KWTestImage::CylinderBytes(2) + 100 * 512);
    KWRawDrive drive;
    ASSERT_TRUE(drive.Open(image.Path()));
    KWDriveGeometry geometry;
    ASSERT_TRUE(drive.GetGeometry(geometry));
    EXPECT_EQ(geometry.cylinders, 2u);
    EXPECT_EQ(geometry.tracksPerCylinder, 255u);
    EXPECT_EQ(geometry.sectorsPerTrack, 63u);
    EXPECT_EQ(geometry.bytesPerSector, 512u);
    EXPECT_EQ(geometry.mediaType, KWRawDrive::kMediaFixed);

    KWRawDrive::IdentifyData identify;
    EXPECT_FALSE(drive.Identify(identify)); // image files are never ATA drives
    EXPECT_TRUE(drive.SetMediaRemoval(true));
    EXPECT_TRUE(drive.SetMediaRemoval(false));
}

TEST(KWRawDrive, ReadsEndLikeADisk) {
    KWTempDir dir;
    KWTestImage image(dir / "disk.img", 3 * 512);
    image.WriteHeader(0, KWTestImage::kDataHeader);
    KWRawDrive drive;
    ASSERT_TRUE(drive.Open(image.Path()));

    std::vector<std::uint8_t> buffer(4 * 512, 0xAA);
    // A read that crosses the end is short and moves the position to the end.
    ASSERT_TRUE(drive.Seek(512));
    EXPECT_EQ(drive.Read(buffer.data(), 4 * 512), 2 * 512);
    // A read at the end fails, and so does one past it.
    errno = 0;
    EXPECT_EQ(drive.Read(buffer.data(), 512), -1);
    EXPECT_EQ(errno, EIO);
    ASSERT_TRUE(drive.Seek(100 * 512));
    EXPECT_EQ(drive.Read(buffer.data(), 512), -1);
    // Reads advance the position.
    ASSERT_TRUE(drive.Seek(0));
    EXPECT_EQ(drive.Read(buffer.data(), 4), 4);
    EXPECT_EQ(buffer[0], 0x0C); // stored with its bytes exchanged
    EXPECT_EQ(drive.Read(buffer.data(), 4), 4);
    EXPECT_EQ(buffer[0], 0x2D);
}

TEST(KWRawDrive, OpensOnlyExistingFilesAndBlockDevices) {
    KWTempDir dir;
    KWRawDrive drive;
    EXPECT_FALSE(drive.Open(""));
    EXPECT_FALSE(drive.Open(dir / "missing.img"));
    EXPECT_FALSE(drive.Open(dir.Path().string())); // a directory is no drive
    EXPECT_FALSE(drive.IsOpen());
    KWDriveGeometry geometry;
    EXPECT_FALSE(drive.GetGeometry(geometry));
    std::uint8_t byte;
    EXPECT_EQ(drive.Read(&byte, 1), -1);
    EXPECT_FALSE(drive.SetMediaRemoval(true));

    KWTestImage image(dir / "disk.img", 512);
    ASSERT_TRUE(drive.Open(image.Path()));
    EXPECT_TRUE(drive.IsOpen());
    drive.Close();
    EXPECT_FALSE(drive.IsOpen());
}

TEST(KWDriveList, ParsesColonSeparatedPathsKeepingEmptyEntries) {
    EXPECT_EQ(KWParseDriveList("/a.img::/dev/sdb"), (KWDriveList{"/a.img", "", "/dev/sdb"}));
    EXPECT_EQ(KWParseDriveList("/a.img"), (KWDriveList{"/a.img"}));
}

TEST(KWDriveList, EnvironmentListReplacesTheMachinesDrives) {
    const KWScopedEnvironment drives("QUADVIEW_DRIVES", "/x.img:/y.img");
    EXPECT_EQ(KWSystemDriveList(), (KWDriveList{"/x.img", "/y.img"}));
}
} // namespace
