// Deep scan figures on a sparse 1 TB disk image: the time the sampled scan takes to find an
// older recording left beyond the stream's end, and the packets it reads. The target is well
// under a second.
#include "CQXRunFinder.h"
#include "CQXStorageDevice.h"
#include "DvrRecorder.h"
#include "KWTick.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {
constexpr std::uint64_t kTerabyte = 1ull << 40;
constexpr std::uint64_t kOlderRunPacket = 123456789; // about 470 GB into the disk
constexpr double kOlderRunSeconds = 16;
constexpr std::uint32_t kPollMs = 1;

// A short recording, with an older one planted far beyond its end, on a sparse 1 TB image.
std::string MakeImage(const std::filesystem::path& dir) {
    DvrRecorder::Options options;
    options.output = (dir / "deep.img").string();
    options.channels = {0};
    options.slices = 17;
    options.quantiser = 1;
    options.keyPeriod = 1;
    options.seconds = 1;
    options.audio = false;
    options.start.tm_year = 126;
    options.start.tm_mon = 11;
    options.start.tm_mday = 1;
    options.diskBytes = kTerabyte;
    options.olderRunPacket = kOlderRunPacket;
    options.olderRunSeconds = kOlderRunSeconds;
    return DvrRecorder(options).Record().ok ? options.output : std::string();
}

void BM_DeepScanOfATerabyteDisk(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvbench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path dir = pattern;
    const std::string image = MakeImage(dir);
    CQXStorageDevice device;
    device.SetDriveList(std::make_shared<const KWDriveList>(KWDriveList{image}));
    if (image.empty() || device.Open(0, 0) != 1) {
        state.SkipWithError("the image could not be recorded or opened");
        std::filesystem::remove_all(dir);
        return;
    }
    while (device.IsBusy())
        KWSleep(kPollMs);
    KWRawDrive handle;
    bool found = device.OpenDriveHandle(handle);
    std::uint64_t reads = 0;
    for (auto _ : state) {
        CQXRunFinder finder(device, handle);
        const auto runs = finder.Find(false);
        found = found && runs.size() == 1 && runs[0].first == kOlderRunPacket;
        reads = finder.GetReads();
    }
    state.counters["packet_reads"] = static_cast<double>(reads);
    state.counters["runs_found_right"] = found ? 1 : 0;
    handle.Close();
    device.Close();
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_DeepScanOfATerabyteDisk)->Unit(benchmark::kMillisecond)->Iterations(5);
} // namespace

BENCHMARK_MAIN();
