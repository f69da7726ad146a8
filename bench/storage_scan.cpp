// Scan figures on sparse disk images: the time from OpenAllDevices until every device is idle
// (size probe, 10 ms delay, data scan) and the packets the data scan read, for a stream recorded
// over the whole drive and for one that ends at three quarters of it. The scan must need a
// number of reads logarithmic in the stream length.
//
// Images are written as sparse files holding packet headers only where the scan looks. Set
// QV_BENCH_IMAGE_DIR to keep them (for example to time `qvtool scan --drive` on them).
#include "CKWStorageDevice.h"
#include "CQX4KPacket.h"
#include "CQXStorageDeviceManager.h"
#include "KWTick.h"
#include "QXScanCursor.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {
constexpr std::uint64_t kGigabyte = 1ull << 30;
constexpr std::uint32_t kPollMs = 1;

struct ImageDir {
    std::filesystem::path path;
    bool keep = false;
    ImageDir() {
        if (const char* kept = std::getenv("QV_BENCH_IMAGE_DIR")) {
            path = kept;
            keep = true;
            std::filesystem::create_directories(path);
        } else {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "qvbench-XXXXXX").string();
            if (mkdtemp(pattern.data()))
                path = pattern;
        }
    }
    ~ImageDir() {
        std::error_code ignored;
        if (!keep && !path.empty())
            std::filesystem::remove_all(path, ignored);
    }
};

// A recorded data packet header as the recorder stores it: 16-bit words exchanged.
std::array<std::uint8_t, CQX4KPacket::kHeaderSize> StoredHeader() {
    CQX4KPacket packet;
    QXTimestamp{6, 12, 27, 15, 30, 45}.ToBytes(packet.GetData());
    packet.SetAt(7, 0x08); // channel 1
    packet.ExchangeBytes();
    std::array<std::uint8_t, CQX4KPacket::kHeaderSize> header;
    std::copy_n(packet.GetData(), header.size(), header.begin());
    return header;
}

// The packet count a drive of this image reports once its size probe has ended.
std::uint32_t ProbedPacketCount(const std::string& path) {
    CKWStorageDevice device;
    device.SetDriveList(std::make_shared<const KWDriveList>(KWDriveList{path}));
    if (!device.Open(0, 0))
        return 0;
    while (device.IsRunning())
        KWSleep(kPollMs);
    return static_cast<std::uint32_t>(device.GetSectorCount() / CQX4KPacket::kSectors);
}

// Creates a sparse image whose packets below `recordedPackets` count as recorded. Headers are
// written only at the packets the scan tests, found by walking the scan's own cursor.
bool MakeImage(const std::string& path, std::uint64_t bytes, std::uint64_t recordedPackets) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = ftruncate(fd, static_cast<off_t>(bytes)) == 0;
    ::close(fd);
    std::uint32_t packetCount = ok ? ProbedPacketCount(path) : 0;
    const int out = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ok = ok && out >= 0 && packetCount != 0;
    const std::uint64_t drivePackets = bytes / CQX4KPacket::kSize;
    const auto header = StoredHeader();
    QXScanCursor cursor;
    while (ok) {
        const std::uint64_t next = cursor.Next();
        if (next >= recordedPackets || next >= drivePackets) {
            if (cursor.Miss() == QXScanCursor::Outcome::kEnd)
                break;
            continue;
        }
        ok = pwrite(out, header.data(), header.size(),
                    static_cast<off_t>(next * CQX4KPacket::kSize)) ==
             static_cast<ssize_t>(header.size());
        if (cursor.Hit(packetCount) == QXScanCursor::Outcome::kGrow)
            packetCount = cursor.length + 1;
    }
    if (out >= 0)
        ::close(out);
    return ok;
}

// Arguments: image size in GB, recorded share in quarters of the drive.
void BM_ScanSparseImage(benchmark::State& state) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(state.range(0)) * kGigabyte;
    const std::uint64_t quarters = static_cast<std::uint64_t>(state.range(1));
    const std::uint64_t recorded = bytes / CQX4KPacket::kSize * quarters / 4;
    ImageDir dir;
    const std::string path = (dir.path / ("scan-" + std::to_string(state.range(0)) + "g-" +
                                          std::to_string(quarters) + "q.img"))
                                 .string();
    if (dir.path.empty() || !MakeImage(path, bytes, recorded)) {
        state.SkipWithError("cannot create the image");
        return;
    }
    std::uint32_t reads = 0;
    std::uint32_t length = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        CQXStorageDeviceManager manager(KWDriveList{path});
        manager.OpenAllDevices(nullptr, nullptr, nullptr);
        while (manager.IsAnyDeviceBusy())
            KWSleep(kPollMs);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        reads = manager.GetDevice(0)->GetScanReadCount();
        length = manager.GetStreamLength(0);
        manager.CloseAllDevices();
    }
    if (length + 1 != recorded) {
        state.SkipWithError("the scan did not find the whole stream");
        return;
    }
    state.counters["packet_reads"] = reads;
    state.counters["stream_length"] = length;
}
BENCHMARK(BM_ScanSparseImage)
    ->ArgNames({"GB", "quarters"})
    ->Args({1, 4})
    ->Args({1, 3})
    ->Args({1024, 4})
    ->Args({1024, 3})
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
