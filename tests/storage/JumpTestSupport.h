#pragma once
// The stream jumps on synthetic disks: a recorded disk opened as a scanned device, the jumps'
// play-mode changes recorded instead of played, and what the recorder wrote to compare with.
#include "CQX4KPacket.h"
#include "CQXStorageDevice.h"
#include "CQXStreamJumps.h"
#include "DvrRecorder.h"
#include "KWTempDir.h"
#include "QXPlayMode.h"
#include "StorageTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

struct PlayModeCall {
    std::uint32_t mode;
    std::uint32_t parameter;
    bool operator==(const PlayModeCall&) const = default;
};

// A disk recorded into its own folder and opened as a device, as detection leaves it.
class RecordedDisk {
public:
    explicit RecordedDisk(DvrRecorder::Options options) {
        options.output = Image();
        result = DvrRecorder(options).Record();
        if (!result.ok)
            return;
        device.SetDriveList(std::make_shared<const KWDriveList>(KWDriveList{Image()}));
        opened = device.Open(0, 0) == 1 && WaitUntilIdle(device) && device.IsFormatted();
    }

    std::string Image() const { return dir / "disk.img"; }
    std::string File(const std::string& name) const { return dir / name; }

    // Jumps in this disk's stream that record their play-mode changes in `calls`.
    std::unique_ptr<CQXStreamJumps> Jumps(std::vector<PlayModeCall>& calls) {
        auto jumps = std::make_unique<CQXStreamJumps>(
            &device, [&calls](std::uint32_t mode, std::uint32_t parameter) {
                calls.push_back({mode, parameter});
            });
        jumps->SetRecentFile(File(CQXStreamJumps::kRecentFileName));
        jumps->SetEventDumpFile(File(CQXStreamJumps::kEventDumpFileName));
        return jumps;
    }

    // Reads the packet as the drive holds it, through a handle of the test's own.
    void ReadPacket(std::uint32_t index, CQX4KPacket& packet) {
        KWRawDrive handle;
        EXPECT_TRUE(device.OpenDriveHandle(handle));
        EXPECT_EQ(device.SeekSector(std::uint64_t{index} * CQX4KPacket::kSectors, &handle), 1);
        EXPECT_EQ(device.ReadPacket(packet, &handle), 1);
    }

    // The time a probe of packet `index` should see: its own when it is a data packet, else that
    // of the next data packet.
    QXTimestamp DataTimeFrom(std::uint32_t index) {
        CQX4KPacket packet;
        for (std::uint32_t p = index; p <= device.GetStreamLength(); ++p) {
            ReadPacket(p, packet);
            if (packet.GetType() == CQX4KPacket::kTypeData && packet.IsValid())
                return packet.GetTimestamp();
        }
        ADD_FAILURE() << "no data packet from " << index;
        return {};
    }

    // The minutes the recording's frames carry, in recording order.
    std::vector<QXTimestamp> Minutes() const {
        std::vector<QXTimestamp> minutes;
        std::set<std::uint64_t> seen;
        std::vector<DvrRecorder::FrameTruth> frames = result.frames;
        std::sort(frames.begin(), frames.end(),
                  [](const auto& a, const auto& b) { return a.number < b.number; });
        for (const auto& frame : frames) {
            QXTimestamp minute = frame.timestamp;
            minute.second = 0;
            const std::uint64_t key = (std::uint64_t{minute.year} << 32) |
                                      (std::uint64_t{minute.month} << 24) |
                                      (std::uint64_t{minute.day} << 16) |
                                      (std::uint64_t{minute.hour} << 8) | minute.minute;
            if (seen.insert(key).second)
                minutes.push_back(minute);
        }
        return minutes;
    }

    KWTempDir dir;
    DvrRecorder::Result result;
    CQXStorageDevice device;
    bool opened = false;
};

// A recording of `minutes` minutes from `start` (as "YYYY MM DD hh mm ss" fields of std::tm),
// one small still picture about every second on two channels, each in packets of its own, with
// two packets of sound a second between them.
inline DvrRecorder::Options MinutesOfRecording(double minutes, int year, int month, int day,
                                               int hour, int minute, int second) {
    DvrRecorder::Options options;
    options.channels = {0, 1};
    options.slices = 7;
    options.intervalCode = 29; // 30 x 33 ms per frame
    options.padFrames = true;
    options.motion = false;
    options.keyPeriod = 1000;
    options.seconds = minutes * 60;
    options.start.tm_year = year - 1900;
    options.start.tm_mon = month - 1;
    options.start.tm_mday = day;
    options.start.tm_hour = hour;
    options.start.tm_min = minute;
    options.start.tm_sec = second;
    return options;
}
