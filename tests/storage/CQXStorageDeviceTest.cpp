#include "CQXStorageDevice.h"
#include "KWTempDir.h"
#include "KWTestImage.h"
#include "StorageTestSupport.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
using Message = KWRecordingTarget::Message;

// Scans an image on a drive that is not ATA (probe, then the deferred scan) and records every
// notification.
struct ScannedImage {
    KWTempDir dir;
    KWTestImage image;
    KWRecordingTarget target;
    CQXStorageDevice device;

    explicit ScannedImage(std::uint64_t bytes) : image(dir / "disk.img", bytes) {}

    void Scan(bool paced = true) {
        device.SetPacing(paced);
        device.AddListenerWindow(&target);
        device.SetDriveList(std::make_shared<const KWDriveList>(KWDriveList{image.Path()}));
        ASSERT_EQ(device.Open(0, 0), 1);
        ASSERT_TRUE(WaitUntilIdle(device));
    }
};

TEST(CQXStorageDevice, OnlyPacketZeroRecordedGivesLengthZeroAndNotFormatted) {
    ScannedImage disk(KWTestImage::CylinderBytes(1));
    disk.image.WriteDataPackets(0, 1);
    disk.Scan();
    EXPECT_EQ(disk.device.GetStreamLength(), 0u);
    EXPECT_FALSE(disk.device.IsFormatted());
    EXPECT_EQ(CountOf(disk.target, CQXStorageDevice::kMessageScanHit), 1u);
    EXPECT_EQ(CountOf(disk.target, CQXStorageDevice::kMessageScanEnded), 1u);
}

TEST(CQXStorageDevice, ScanStartsAfterTheProbeAndEndsOnceWithTheFormattedFlagFinal) {
    ScannedImage disk(KWTestImage::CylinderBytes(1));
    disk.image.WriteDataPackets(0, 3);
    disk.Scan();
    EXPECT_TRUE(disk.device.IsFormatted());
    EXPECT_EQ(disk.device.GetStreamLength(), 2u);
    EXPECT_EQ(disk.device.GetPacketCount(), 255u * 63 / 8);
    EXPECT_EQ(disk.target.Received(), (std::vector<Message>{{0x460, 0, 0},
                                                            {0x461, 0, 0},
                                                            {0x1470, 0, 0},
                                                            {0x1470, 0, 0},
                                                            {0x1470, 0, 0},
                                                            {0x1471, 0, 0}}));
    // The scan leaves the device at packet 0.
    EXPECT_EQ(disk.device.GetPosition(), 0u);
    EXPECT_TRUE(disk.device.IsAtStart());
}

TEST(CQXStorageDevice, MissWithStepFourRetriesOnePacketAfterTheLengthAndMissWithStepOneEnds) {
    ScannedImage disk(KWTestImage::CylinderBytes(1));
    disk.image.WriteDataPackets(0, 6);
    disk.Scan();
    // Hits 0, 1, 3; miss 7 (step 4); hit 4; miss 6 (step 2); hit 5; miss 7 (step 2); miss 6
    // (step 1) ends.
    EXPECT_EQ(disk.device.GetStreamLength(), 5u);
    EXPECT_EQ(disk.device.GetScanReadCount(), 9u);
    EXPECT_EQ(CountOf(disk.target, CQXStorageDevice::kMessageScanHit), 5u);
}

TEST(CQXStorageDevice, AnUnpacedProbeAndScanFindWhatPacedOnesFind) {
    ScannedImage paced(KWTestImage::CylinderBytes(1));
    ScannedImage unpaced(KWTestImage::CylinderBytes(1));
    paced.image.WriteDataPackets(0, 6);
    unpaced.image.WriteDataPackets(0, 6);
    paced.Scan(true);
    unpaced.Scan(false);
    EXPECT_EQ(unpaced.device.GetStreamLength(), 5u);
    EXPECT_EQ(unpaced.device.GetScanReadCount(), paced.device.GetScanReadCount());
    EXPECT_EQ(unpaced.device.GetPacketCount(), paced.device.GetPacketCount());
    EXPECT_EQ(unpaced.target.Received(), paced.target.Received());
}

TEST(CQXStorageDevice, ScanReadsLogarithmicallyManyPackets) {
    ScannedImage disk(KWTestImage::CylinderBytes(8));
    const std::uint32_t packets = 8 * 255 * 63 / 8;
    disk.image.WriteDataPackets(0, packets);
    disk.Scan();
    EXPECT_EQ(disk.device.GetStreamLength(), packets - 1);
    EXPECT_LT(disk.device.GetScanReadCount(), 200u);
}

TEST(CQXStorageDevice, AudioPacketsWithoutValidTimeDoNotEndTheStream) {
    ScannedImage disk(KWTestImage::CylinderBytes(1));
    for (std::uint64_t p = 0; p < 200; ++p)
        disk.image.WriteHeader(p, p % 2 ? KWTestImage::kAudioHeader : KWTestImage::kDataHeader);
    disk.Scan();
    EXPECT_EQ(disk.device.GetStreamLength(), 199u);
    EXPECT_TRUE(disk.device.IsFormatted());
}

TEST(CQXStorageDevice, AudioPacketsWithValidTimeScanAsBefore) {
    ScannedImage disk(KWTestImage::CylinderBytes(1));
    for (std::uint64_t p = 0; p < 200; ++p)
        disk.image.WriteHeader(p,
                               p % 2 ? KWTestImage::kTimedAudioHeader : KWTestImage::kDataHeader);
    disk.Scan();
    EXPECT_EQ(disk.device.GetStreamLength(), 199u);
}

TEST(CQXStorageDevice, StreamRunningPastTheReportedSizeGrowsItOnePacketAtATime) {
    KWTempDir dir;
    KWTestImage image(dir / "disk.img", 64 * 4096);
    image.WriteDataPackets(0, 40);
    KWRecordingTarget target;
    // The drive reports 32 packets; the stream runs to packet 39.
    IdeStorageDevice device(IdentifyData(32 * 8, false, 0));
    device.AddListenerWindow(&target);
    device.SetDriveList(std::make_shared<const KWDriveList>(KWDriveList{image.Path()}));
    ASSERT_EQ(device.Open(0, 1), 1);
    ASSERT_TRUE(WaitUntilIdle(device));
    EXPECT_EQ(device.GetStreamLength(), 39u);
    EXPECT_EQ(device.GetSectorCount(), 40u * 8);
    EXPECT_EQ(device.GetPacketCount(), 40u);
    // One from the geometry, one from identify, one for each of the packets 32-39.
    EXPECT_EQ(CountOf(target, CKWStorageDevice::kMessageSectorCount), 2u + 8);
    EXPECT_EQ(CountOf(target, CKWStorageDevice::kMessageProbeEnded), 0u);
}

TEST(CQXStorageDevice, ScanNeverWritesToTheDrive) {
    ScannedImage disk(KWTestImage::CylinderBytes(1));
    disk.image.WriteDataPackets(0, 100);
    const std::uint64_t before = disk.image.Checksum();
    disk.Scan();
    disk.device.Close();
    EXPECT_EQ(disk.image.Checksum(), before);
}

TEST(CQXStorageDevice, ReadPacketUndoesTheByteExchangeAndMovesThePositionOfTheMainHandleOnly) {
    ScannedImage disk(KWTestImage::CylinderBytes(1));
    disk.image.WriteDataPackets(0, 10);
    disk.Scan();
    CQXStorageDevice& device = disk.device;
    ASSERT_EQ(device.GetStreamLength(), 9u);

    CQX4KPacket packet;
    ASSERT_EQ(device.ReadPacket(packet, nullptr), 1);
    EXPECT_EQ(device.GetPosition(), 1u);
    EXPECT_TRUE(packet.IsValid());
    EXPECT_EQ(packet.GetTimestamp(), (QXTimestamp{6, 12, 27, 15, 30, 45}));

    ASSERT_EQ(device.SeekPacket(9), 1);
    EXPECT_EQ(device.GetPosition(), 9u);
    EXPECT_TRUE(device.IsAtEnd());
    ASSERT_EQ(device.SeekPacket(8), 1);
    EXPECT_FALSE(device.IsAtEnd());

    // Reading by index moves the position past the packet.
    disk.image.WriteHeader(7, KWTestImage::kAudioHeader);
    ASSERT_EQ(device.ReadPacket(7, packet), 1);
    EXPECT_EQ(packet.GetType(), CQX4KPacket::kTypeAudio);
    EXPECT_EQ(device.GetPosition(), 8u);

    // A handle of its own reads without moving the device's position.
    KWRawDrive handle;
    ASSERT_TRUE(device.OpenDriveHandle(handle));
    ASSERT_EQ(device.SeekSector(5 * 8, &handle), 1);
    ASSERT_EQ(device.ReadPacket(packet, &handle), 1);
    EXPECT_EQ(device.GetPosition(), 8u);

    // Past the end of the drive nothing is read and the position stays.
    const std::uint32_t last = device.GetPacketCount();
    ASSERT_EQ(device.SeekPacket(last + 1), 1);
    EXPECT_EQ(device.ReadPacket(packet, nullptr), 0);
    EXPECT_EQ(device.GetPosition(), last + 1);
}

TEST(CQXStorageDevice, CloseForgetsTheStreamAndTheDriveCanBeOpenedAgain) {
    ScannedImage disk(KWTestImage::CylinderBytes(1));
    disk.image.WriteDataPackets(0, 10);
    disk.Scan();
    disk.device.Close();
    EXPECT_FALSE(disk.device.IsOpen());
    EXPECT_FALSE(disk.device.IsFormatted());
    EXPECT_EQ(disk.device.GetStreamLength(), 0u);
    EXPECT_EQ(disk.device.GetPacketCount(), 0u);
    EXPECT_FALSE(disk.device.IsBusy());
    ASSERT_EQ(disk.device.Open(0, 0), 1);
    ASSERT_TRUE(WaitUntilIdle(disk.device));
    EXPECT_EQ(disk.device.GetStreamLength(), 9u);
}

TEST(CQXStorageDevice, CloseWhileProbingStopsAtOnceAndStartsNoScan) {
    KWTempDir dir;
    // The geometry falls short by nearly a cylinder: a long probe.
    KWTestImage image(dir / "disk.img", KWTestImage::CylinderBytes(2) - 512);
    image.WriteDataPackets(0, 10);
    KWRecordingTarget target;
    {
        CQXStorageDevice device;
        device.AddListenerWindow(&target);
        device.SetDriveList(std::make_shared<const KWDriveList>(KWDriveList{image.Path()}));
        ASSERT_EQ(device.Open(0, 0), 1);
        EXPECT_TRUE(device.IsBusy());
        device.Close();
        EXPECT_FALSE(device.IsBusy());
        EXPECT_FALSE(device.IsOpen());
    }
    EXPECT_EQ(CountOf(target, CKWStorageDevice::kMessageProbeEnded), 1u);
    EXPECT_EQ(CountOf(target, CQXStorageDevice::kMessageScanEnded), 0u);
}

TEST(CQXStorageDevice, DestroyingADeviceWhileItScansIsSafe) {
    KWTempDir dir;
    KWTestImage image(dir / "disk.img", KWTestImage::CylinderBytes(8));
    image.WriteDataPackets(0, 5000);
    auto device = std::make_unique<IdeStorageDevice>(IdentifyData(8 * 255 * 63, false, 0));
    device->SetDriveList(std::make_shared<const KWDriveList>(KWDriveList{image.Path()}));
    ASSERT_EQ(device->Open(0, 0), 1);
    EXPECT_TRUE(device->IsBusy());
    device.reset();
}
} // namespace
