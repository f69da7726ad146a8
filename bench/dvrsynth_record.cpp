// Synthetic recorder figures: write speed of a four-channel recording and the disk space one
// recorded hour takes at each picture geometry. Each case records one minute (moving scenes,
// sound, the default key period) and reports MB/s of image written and MB per
// recorded hour; run `dvrsynth OUT.img --seconds 3600` for a full hour.
#include "DvrRecorder.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {
constexpr double kSeconds = 60;
constexpr double kMegabyte = 1024.0 * 1024.0;

void RecordOneMinute(benchmark::State& state) {
    const int slices = static_cast<int>(state.range(0));
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("qvbench-dvrsynth-" + std::to_string(getpid()) + ".img"))
                                 .string();
    DvrRecorder::Options options;
    options.output = path;
    options.seconds = kSeconds;
    options.slices = slices;
    options.channels = slices == 17 ? std::vector<int>{4} : std::vector<int>{0, 1, 2, 3};
    double bytes = 0;
    for (auto _ : state) {
        const DvrRecorder::Result result = DvrRecorder(options).Record();
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        bytes = static_cast<double>(result.packetsWritten) * 4096;
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    state.counters["MB_per_hour"] = bytes / kMegabyte * (3600 / kSeconds);
    state.counters["realtime_x"] = benchmark::Counter(
        kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(RecordOneMinute)
    ->Arg(7)
    ->Arg(9)
    ->Arg(14)
    ->Arg(17)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
} // namespace

BENCHMARK_MAIN();
