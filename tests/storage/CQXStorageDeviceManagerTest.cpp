#include "CQXStorageDeviceManager.h"
#include "KWTempDir.h"
#include "KWTestImage.h"
#include "StorageTestSupport.h"

#include <gtest/gtest.h>

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
