// Backward play by recorded time, on two synthetic disks of four channels: small frames (640x224
// with motion, a key picture every 30 - most frames far below a packet) and large ones (640x272 at
// quantiser 1, every picture a key picture - every frame over a packet).
//
// Unpaced, through the playback stepper that the viewer and `qvtool frames` use, from the end of
// the disk until the mode ends at its start ("oner" pressed again after every cycle): "speed" is
// the recorded frames travelled per frame shown (1 = the recording's own pace; between the first
// frames of the first and the last cycle shown, so whole cycles), "decodes_per_frame" the pictures
// decoded to show each frame truly, "frames/s" how fast frames can be shown without pacing.
//
// Paced, through the device manager's reader thread in "rev" for a few seconds: "pace" is the
// recorded time travelled per second of wall time (1 = as recorded).
#include "CQXPlaybackStepper.h"
#include "CQXStorageDeviceManager.h"
#include "DvrRecorder.h"
#include "KWTick.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {
constexpr double kSeconds = 40;
constexpr std::uint32_t kFrameMs = 33; // interval code 0 of 14-slice frames
constexpr double kPacedSeconds = 4;

// A disk image read as a drive reads it.
class ImageSource : public CQXPacketSource {
public:
    ImageSource(const std::string& path, std::uint32_t length)
        : m_file(open(path.c_str(), O_RDONLY | O_CLOEXEC)), m_length(length) {}
    ~ImageSource() override {
        if (m_file >= 0)
            close(m_file);
    }
    int ReadPacket(std::uint32_t index, CQX4KPacket& packet) override {
        if (pread(m_file, packet.GetData(), CQX4KPacket::kSize,
                  static_cast<off_t>(index) * CQX4KPacket::kSize) != CQX4KPacket::kSize)
            return 0;
        packet.ExchangeBytes();
        return 1;
    }
    std::uint32_t GetStreamLength() const override { return m_length; }

private:
    int m_file;
    std::uint32_t m_length;
};

struct Disk {
    std::string image;
    std::uint32_t length = 0;
    std::map<std::uint64_t, std::size_t> index;        // frame place -> recording order
    std::map<std::uint32_t, std::size_t> lastInPacket; // completion packet -> last frame there
};

const Disk& RecordedDisk(bool large) {
    static std::map<bool, std::unique_ptr<Disk>> disks;
    auto& disk = disks[large];
    if (disk)
        return *disk;
    disk = std::make_unique<Disk>();
    DvrRecorder::Options options;
    disk->image = (std::filesystem::temp_directory_path() /
                   (large ? "bench_backward_large.img" : "bench_backward_small.img"))
                      .string();
    options.output = disk->image;
    options.slices = large ? 17 : 14;
    options.quantiser = large ? 1 : 4;
    options.keyPeriod = large ? 1 : 30;
    options.seconds = kSeconds;
    options.start.tm_year = 126;
    options.start.tm_mday = 1;
    const DvrRecorder::Result result = DvrRecorder(options).Record();
    if (!result.ok)
        return *disk;
    disk->length = static_cast<std::uint32_t>(result.streamLength);
    ImageSource source(disk->image, disk->length);
    CQXPlaybackStepper stepper(source);
    stepper.Seek(0);
    for (int r = 0; r != CQXFrameReader::kNothing || !stepper.GetReader().IsAtEnd();) {
        r = stepper.Step(QXPlayMode::kPlay);
        if (r == CQXFrameReader::kVideo) {
            disk->lastInPacket[stepper.GetReader().GetCompletedPacket()] = disk->index.size();
            disk->index[stepper.GetReader().GetCompletedPlace()] = disk->index.size();
            stepper.GetReader().GetCompletedFrame()->Reset();
        }
    }
    return *disk;
}

void Unpaced(benchmark::State& state, bool large, std::uint32_t mode) {
    const Disk& disk = RecordedDisk(large);
    if (disk.index.empty()) {
        state.SkipWithError("the disk was not recorded");
        return;
    }
    std::vector<std::size_t> shown;
    std::uint64_t decodes = 0;
    for (auto _ : state) {
        ImageSource source(disk.image, disk.length);
        CQXPlaybackStepper stepper(source);
        stepper.SeekToEnd();
        shown.clear();
        for (int guard = 0; guard < 1000000; ++guard) {
            const int result = stepper.Step(mode);
            if (result == CQXFrameReader::kVideo) {
                shown.push_back(disk.index.at(stepper.GetReader().GetCompletedPlace()));
                stepper.GetReader().GetCompletedFrame()->Reset();
            }
            // Single steps are taken one after the other, as by a held key.
            const std::uint32_t next = stepper.GetNextMode(mode, result);
            if (next == QXPlayMode::kPause)
                stepper.EndCycle();
            else if (next != QXPlayMode::kNone)
                break;
        }
        decodes = stepper.GetRestorer().GetDecodeCount();
    }
    const std::size_t c = 4;
    const std::size_t lastCycle = (shown.size() / c - 1) * c;
    state.counters["frames_shown"] = static_cast<double>(shown.size());
    state.counters["speed"] = lastCycle == 0 ? 0.0
                                             : static_cast<double>(shown[0] - shown[lastCycle]) /
                                                   static_cast<double>(lastCycle);
    state.counters["decodes_per_frame"] =
        static_cast<double>(decodes) / static_cast<double>(shown.size());
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(shown.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

// Records the packet of every frame the reader hands out and when.
class TimedManager : public CQXStorageDeviceManager {
public:
    using CQXStorageDeviceManager::CQXStorageDeviceManager;
    ~TimedManager() override { StopStreaming(); }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Shown() {
        std::lock_guard lock(m_mutex);
        return m_shown;
    }

protected:
    void DeliverVideoFrame(CQXVideoFrame& frame, std::uint32_t packet) override {
        {
            std::lock_guard lock(m_mutex);
            m_shown.emplace_back(packet, KWGetTickCount());
        }
        frame.Reset();
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_shown;
};

void PacedReverse(benchmark::State& state) {
    const Disk& disk = RecordedDisk(false);
    TimedManager manager({disk.image});
    if (disk.index.empty() || !manager.OpenAllDevices(nullptr, nullptr, nullptr)) {
        state.SkipWithError("the disk was not recorded or opened");
        return;
    }
    while (manager.IsAnyDeviceBusy())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    double pace = 0;
    for (auto _ : state) {
        manager.StartStreaming(0);
        manager.PostCommand(QXPlayMode::kOneForward, disk.length - 50, 0);
        while (manager.GetPlayMode() != QXPlayMode::kPause)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::size_t before = manager.Shown().size();
        manager.SetPlayMode(QXPlayMode::kReverse, QXPlayMode::kNoTarget);
        std::this_thread::sleep_for(std::chrono::duration<double>(kPacedSeconds));
        manager.StopStreaming();
        const auto shown = manager.Shown();
        // Frames are identified by their completion packet: the last frame completed there.
        const std::size_t first = disk.lastInPacket.at(shown[before + 1].first);
        const std::size_t last = disk.lastInPacket.at(shown.back().first);
        const std::uint32_t wall = shown.back().second - shown[before + 1].second;
        pace = static_cast<double>((first - last) * kFrameMs) / wall;
    }
    state.counters["pace"] = pace;
}

} // namespace

int main(int argc, char** argv) {
    for (const bool large : {false, true}) {
        for (std::uint32_t mode = QXPlayMode::kOneReverse; mode <= QXPlayMode::kRewind64; ++mode) {
            if (QXPlayMode::BackwardCycles(mode) == 0)
                continue;
            const std::string name =
                std::string(large ? "LargeFrames/" : "SmallFrames/") + QXPlayMode::Name(mode);
            benchmark::RegisterBenchmark(name.c_str(), Unpaced, large, mode)
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RegisterBenchmark("SmallFrames/rev/paced", PacedReverse)
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
