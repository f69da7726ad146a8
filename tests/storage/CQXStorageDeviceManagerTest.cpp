#include "CQXStorageDeviceManager.h"
#include "KWTempDir.h"
#include "KWTestImage.h"
#include "StorageTestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
bool WaitUntilAllIdle(CQXStorageDeviceManager& manager) {
    return KWWaitDeliveringSends(30000, [&manager] { return !manager.IsAnyDeviceBusy(); });
}

bool Listens(const CKWObject& object, KWWindowHandle window) {
    for (const auto& entry : object.GetListeners()) {
        if (entry.window == window)
            return true;
    }
    return false;
}

TEST(CQXStorageDeviceManager, DeviceIndicesAreDenseOverDrivesThatOpen) {
    KWTempDir dir;
    KWTestImage drive0(dir / "0.img", KWTestImage::CylinderBytes(1));
    KWTestImage drive1(dir / "1.img", KWTestImage::CylinderBytes(1));
    KWTestImage drive3(dir / "3.img", KWTestImage::CylinderBytes(1));
    drive0.WriteDataPackets(0, 20);
    drive3.WriteDataPackets(0, 30);
    // Drive 2 is missing and drive 4 is a folder, not a drive.
    CQXStorageDeviceManager manager(
        {drive0.Path(), drive1.Path(), dir / "2.img", drive3.Path(), dir.Path().string()});
    KWRecordingTarget target;
    ASSERT_EQ(manager.AddListenerWindow(&target), 1);
    ASSERT_TRUE(manager.OpenAllDevices(nullptr, nullptr, nullptr));
    ASSERT_EQ(manager.GetDeviceCount(), 3);
    ASSERT_TRUE(WaitUntilAllIdle(manager));

    EXPECT_EQ(manager.GetDevice(0)->GetDriveNumber(), 0);
    EXPECT_EQ(manager.GetDevice(1)->GetDriveNumber(), 1);
    EXPECT_EQ(manager.GetDevice(2)->GetDriveNumber(), 3);
    EXPECT_EQ(manager.GetDevice(2)->GetDrivePath(), drive3.Path());
    EXPECT_FALSE(manager.GetDevice(3)->IsOpen());

    EXPECT_EQ(manager.GetFormattedCount(), 2);
    EXPECT_EQ(manager.GetFormattedDevice(0), 0);
    EXPECT_EQ(manager.GetFormattedDevice(1), 2);
    EXPECT_EQ(manager.GetFormattedDevice(2), 0xFF);
    EXPECT_EQ(manager.GetStreamLength(0), 19u);
    EXPECT_EQ(manager.GetStreamLength(2), 29u);
    EXPECT_FALSE(manager.IsFormatted(1));
    EXPECT_EQ(manager.GetPacketCount(1), 255u * 63 / 8);
    EXPECT_EQ(manager.GetSectorCount(1), 255u * 63);
    EXPECT_EQ(manager.GetMediaTypeName(1), "Fixed hard disk media");
    EXPECT_EQ(manager.IsIdeDevice(1), 0);
    EXPECT_EQ(manager.GetPosition(2), 0u);
    EXPECT_EQ(manager.GetStreamLength(200), 0u);

    // The window hears each device's end of scan through the manager.
    for (std::uint8_t index = 0; index < 3; ++index) {
        const auto received = target.Received();
        EXPECT_EQ(std::count(received.begin(), received.end(),
                             KWRecordingTarget::Message{0x1471, index, 0}),
                  1)
            << int(index);
    }

    manager.CloseAllDevices();
    EXPECT_EQ(manager.GetDeviceCount(), 0);
    EXPECT_EQ(manager.GetFormattedCount(), 0);
    EXPECT_FALSE(manager.GetDevice(0)->IsOpen());
}

TEST(CQXStorageDeviceManager, NoDriveOpensGivesFalse) {
    KWTempDir dir;
    CQXStorageDeviceManager manager({dir / "missing.img"});
    EXPECT_FALSE(manager.OpenAllDevices(nullptr, nullptr, nullptr));
    EXPECT_EQ(manager.GetDeviceCount(), 0);
    EXPECT_FALSE(manager.IsAnyDeviceBusy());
}

// Each examined drive says why it is (not) a DVR disk; a drive that is not there (an empty entry)
// is not reported.
TEST(CQXStorageDeviceManager, DriveFindingsTellWhyEachDriveIsNoDvrDisk) {
    KWTempDir dir;
    KWTestImage recorded(dir / "recorded.img", KWTestImage::CylinderBytes(1));
    KWTestImage blank(dir / "blank.img", KWTestImage::CylinderBytes(1));
    KWTestImage empty(dir / "empty.img", 0);
    recorded.WriteDataPackets(0, 20);
    CQXStorageDeviceManager manager({dir / "missing.img", blank.Path(), "", dir.Path().string(),
                                     empty.Path(), recorded.Path()});
    ASSERT_TRUE(manager.OpenAllDevices(nullptr, nullptr, nullptr));
    ASSERT_TRUE(WaitUntilAllIdle(manager));

    std::vector<std::string> lines;
    for (const QXDriveFinding& finding : manager.GetDriveFindings())
        lines.push_back(finding.Line());
    EXPECT_EQ(
        lines,
        (std::vector<std::string>{
            "drive 0 (" + (dir / "missing.img") + "): cannot be opened: No such file or directory",
            "drive 1 (" + blank.Path() + "): holds no recorded stream (16065 sectors examined)",
            "drive 3 (" + dir.Path().string() +
                "): is neither a block device nor a disk image file",
            "drive 4 (" + empty.Path() + "): is empty (0 sectors)",
            "drive 5 (" + recorded.Path() + "): holds a recorded stream"}));
    EXPECT_TRUE(manager.GetDriveFindings().back().IsRecorded());
    EXPECT_EQ(manager.GetDriveFindings().back().Reason(), "");

    manager.CloseAllDevices();
    EXPECT_TRUE(manager.GetDriveFindings().empty());
}

// Telling a drive the user may not read from a blank one is the point of the findings.
TEST(CQXStorageDeviceManager, AnUnreadableDriveIsReportedAsSuch) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser reads every file";
    KWTempDir dir;
    KWTestImage image(dir / "locked.img", KWTestImage::CylinderBytes(1));
    ASSERT_EQ(chmod(image.Path().c_str(), 0), 0);
    CQXStorageDeviceManager manager({image.Path()});
    EXPECT_FALSE(manager.OpenAllDevices(nullptr, nullptr, nullptr));
    const std::vector<QXDriveFinding> findings = manager.GetDriveFindings();
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Reason(), "cannot be opened: Permission denied");
}

TEST(CQXStorageDeviceManager, ListenersReachAll32DevicesIncludingClosedOnes) {
    CQXStorageDeviceManager manager(KWDriveList{});
    KWRecordingTarget target;
    ASSERT_EQ(manager.AddListenerWindow(&target), 1);
    EXPECT_TRUE(Listens(manager, &target));
    for (std::uint8_t i = 0; i < CQXStorageDeviceManager::kMaxDevices; ++i)
        EXPECT_TRUE(Listens(*manager.GetDevice(i), &target)) << int(i);

    manager.RemoveListenerWindow(&target);
    EXPECT_FALSE(Listens(manager, &target));
    for (std::uint8_t i = 0; i < CQXStorageDeviceManager::kMaxDevices; ++i)
        EXPECT_FALSE(Listens(*manager.GetDevice(i), &target)) << int(i);
}

TEST(CQXStorageDeviceManager, AnAddStopsAtTheFirstDeviceThatRefuses) {
    CQXStorageDeviceManager manager(KWDriveList{});
    KWRecordingTarget target;
    ASSERT_EQ(manager.GetDevice(5)->AddListenerWindow(&target), 1);
    EXPECT_EQ(manager.AddListenerWindow(&target), 0);
    EXPECT_TRUE(Listens(*manager.GetDevice(4), &target));
    EXPECT_FALSE(Listens(*manager.GetDevice(6), &target));

    CKWObject listener;
    ASSERT_EQ(manager.GetDevice(0)->AddListenerObject(&listener), 1);
    EXPECT_EQ(manager.AddListenerObject(&listener), 0);
    manager.RemoveListenerObject(&listener);
    EXPECT_EQ(manager.AddListenerObject(&listener), 1);
    manager.RemoveListenerObject(&listener);
}

TEST(CQXStorageDeviceManager, DestroyingTheManagerWhileDevicesProbeIsSafe) {
    KWTempDir dir;
    KWTestImage drive0(dir / "0.img", KWTestImage::CylinderBytes(2) - 512);
    KWTestImage drive1(dir / "1.img", KWTestImage::CylinderBytes(2) - 512);
    auto manager =
        std::make_unique<CQXStorageDeviceManager>(KWDriveList{drive0.Path(), drive1.Path()});
    ASSERT_TRUE(manager->OpenAllDevices(nullptr, nullptr, nullptr));
    EXPECT_TRUE(manager->IsAnyDeviceBusy());
    manager.reset();
}
} // namespace
