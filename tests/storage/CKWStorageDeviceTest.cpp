#include "CKWStorageDevice.h"
#include "KWTempDir.h"
#include "KWTestImage.h"
#include "StorageTestSupport.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
constexpr std::uint64_t kCylinderSectors = 255 * 63;

std::shared_ptr<const KWDriveList> Drives(KWDriveList list) {
    return std::make_shared<const KWDriveList>(std::move(list));
}

// Waits until the size probe has ended.
bool WaitForProbeEnd(CKWStorageDevice& device) {
    return KWWaitDeliveringSends(30000, [&device] { return !device.IsRunning(); });
}

TEST(CKWStorageDevice, ProbeOfAnImageOfWholeCylindersEndsAfterOneStep) {
    KWTempDir dir;
    KWTestImage image(dir / "disk.img", KWTestImage::CylinderBytes(1));
    KWRecordingTarget target;
    CKWStorageDevice device;
    device.AddListenerWindow(&target);
    device.SetDriveList(Drives({image.Path()}));
    ASSERT_EQ(device.Open(0, 4), 1);
    EXPECT_EQ(device.IsIdeDevice(), 0);
    ASSERT_TRUE(WaitForProbeEnd(device));
    EXPECT_FALSE(device.IsProbing());
    EXPECT_EQ(device.GetSectorCount(), kCylinderSectors);
    EXPECT_EQ(target.Received(), (std::vector<KWRecordingTarget::Message>{
                                     {CKWStorageDevice::kMessageSectorCount, 4, 0},
                                     {CKWStorageDevice::kMessageProbeEnded, 4, 0}}));
}

TEST(CKWStorageDevice, ProbeGrowsTheSizeBy63SectorsWhileTheLastSectorOfAStepReads) {
    KWTempDir dir;
    // Room for two whole probe steps beyond the geometry, not for a third.
    KWTestImage image(dir / "disk.img", KWTestImage::CylinderBytes(1) + (2 * 63 + 62) * 512);
    KWRecordingTarget target;
    CKWStorageDevice device;
    device.AddListenerWindow(&target);
    device.SetDriveList(Drives({image.Path()}));
    ASSERT_EQ(device.Open(0, 0), 1);
    ASSERT_TRUE(WaitForProbeEnd(device));
    EXPECT_EQ(device.GetSectorCount(), kCylinderSectors + 2 * 63);
    EXPECT_EQ(MessageNumbers(target), (std::vector<std::uint32_t>{0x460, 0x460, 0x460, 0x461}));
}

TEST(CKWStorageDevice, OpenOfAnOpenDeviceChangesNothing) {
    KWTempDir dir;
    KWTestImage first(dir / "first.img", KWTestImage::CylinderBytes(1));
    KWTestImage second(dir / "second.img", KWTestImage::CylinderBytes(2));
    CKWStorageDevice device;
    device.SetDriveList(Drives({first.Path(), second.Path()}));
    ASSERT_EQ(device.Open(0, 3), 1);
    ASSERT_TRUE(WaitForProbeEnd(device));
    EXPECT_EQ(device.Open(1, 5), 1);
    EXPECT_EQ(device.GetDriveNumber(), 0);
    EXPECT_EQ(device.GetDeviceIndex(), 3);
    EXPECT_EQ(device.GetDrivePath(), first.Path());
    EXPECT_EQ(device.GetSectorCount(), kCylinderSectors);
    EXPECT_FALSE(device.IsRunning());

    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.GetSectorCount(), 0u);
    EXPECT_EQ(device.GetMediaType(), 0u);
    EXPECT_EQ(device.GetDeviceIndex(), 0);
    EXPECT_EQ(device.Open(1, 5), 1);
    EXPECT_EQ(device.GetDrivePath(), second.Path());
}

TEST(CKWStorageDevice, MissingDrivesAndDirectoriesDoNotOpen) {
    KWTempDir dir;
    KWRecordingTarget target;
    CKWStorageDevice device;
    device.AddListenerWindow(&target);
    device.SetDriveList(Drives({"", dir / "missing.img", dir.Path().string()}));
    for (std::uint8_t drive = 0; drive < 4; ++drive) {
        EXPECT_EQ(device.Open(drive, 0), 0) << int(drive);
        EXPECT_FALSE(device.IsOpen());
    }
    EXPECT_EQ(target.Count(), 0u);
}

TEST(CKWStorageDevice, ReadSectorsRefusesABufferTooSmallForTheCount) {
    KWTempDir dir;
    KWTestImage image(dir / "disk.img", KWTestImage::CylinderBytes(1));
    image.WriteHeader(0, KWTestImage::kDataHeader);
    CKWStorageDevice device;
    device.SetDriveList(Drives({image.Path()}));
    ASSERT_EQ(device.Open(0, 0), 1);
    std::vector<std::uint8_t> buffer(4096, 0xAA);
    EXPECT_EQ(device.ReadSectors(8, buffer.data(), 4000, nullptr), 0u);
    EXPECT_EQ(buffer[0], 0xAA);
    // Nothing was read: the position is still at sector 0.
    EXPECT_EQ(device.ReadSectors(8, buffer.data(), 4096, nullptr), 4096u);
    EXPECT_EQ(buffer[0], 0x0C);
    // A read at the end of the drive fails; one crossing it is short.
    ASSERT_EQ(device.SeekSector(kCylinderSectors, nullptr), 1);
    EXPECT_EQ(device.ReadSectors(1, buffer.data(), 512, nullptr), 0u);
    ASSERT_EQ(device.SeekSector(kCylinderSectors - 2, nullptr), 1);
    EXPECT_EQ(device.ReadSectors(8, buffer.data(), 4096, nullptr), 1024u);
}

TEST(CKWStorageDevice, IdentifyDataGiveThe48BitCountWhenWord83AnnouncesIt) {
    // A 500 GB drive: words 60-61 hold the 28-bit maximum, words 100-103 the real size.
    const KWRawDrive::IdentifyData large = IdentifyData(0x0FFFFFFF, true, 976773168);
    EXPECT_EQ(CKWStorageDevice::SectorCountFromIdentify(large), 976773168u);
    const KWRawDrive::IdentifyData without48 = IdentifyData(0x0FFFFFFF, false, 976773168);
    EXPECT_EQ(CKWStorageDevice::SectorCountFromIdentify(without48), 0x0FFFFFFFu);
    // All four words of the 48-bit count take part.
    const KWRawDrive::IdentifyData huge = IdentifyData(0, true, 0x0001000200030004ull);
    EXPECT_EQ(CKWStorageDevice::SectorCountFromIdentify(huge), 0x0001000200030004ull);
}

TEST(CKWStorageDevice, AnAtaDriveTakesItsSizeFromIdentifyAndIsNotProbed) {
    KWTempDir dir;
    KWTestImage image(dir / "disk.img", KWTestImage::CylinderBytes(1));
    KWRecordingTarget target;
    IdeStorageDevice device(IdentifyData(0x0FFFFFFF, true, 20000));
    device.AddListenerWindow(&target);
    device.SetDriveList(Drives({image.Path()}));
    ASSERT_EQ(device.Open(0, 2), 1);
    EXPECT_EQ(device.IsIdeDevice(), 1);
    EXPECT_FALSE(device.IsProbing());
    ASSERT_TRUE(WaitUntilIdle(device));
    EXPECT_EQ(CountOf(target, CKWStorageDevice::kMessageProbeEnded), 0u);
    EXPECT_EQ(device.GetSectorCount(), 20000u);
}

TEST(CKWStorageDevice, MediaTypeNames) {
    EXPECT_STREQ(CKWStorageDevice::MediaTypeName(0), "Unknown Format");
    EXPECT_STREQ(CKWStorageDevice::MediaTypeName(11), "Removable media other than floppy");
    EXPECT_STREQ(CKWStorageDevice::MediaTypeName(12), "Fixed hard disk media");
    EXPECT_STREQ(CKWStorageDevice::MediaTypeName(25), "3.5', 32Mb Floppy");
    EXPECT_STREQ(CKWStorageDevice::MediaTypeName(26), "Unknown Format");

    KWTempDir dir;
    KWTestImage image(dir / "disk.img", KWTestImage::CylinderBytes(1));
    CKWStorageDevice device;
    device.SetDriveList(Drives({image.Path()}));
    ASSERT_EQ(device.Open(0, 0), 1);
    EXPECT_EQ(device.GetMediaType(), 12u);
    EXPECT_STREQ(device.GetMediaTypeName(), "Fixed hard disk media");
}
} // namespace
