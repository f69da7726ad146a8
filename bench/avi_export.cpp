// Frames per second the AVI writer sustains with each compressor this machine offers, for the
// viewer's frame picture of a 608x450 view (608x470 with the black lines below it), written to a
// file in the temporary folder. The export takes one frame per 200 ms of stream time, so the
// rate divided by 5 ("x_real_time") says how many times faster than real time it writes.
#include "CKWImageBuffer.h"
#include "KWAviCodecs.h"
#include "KWAviWriter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {
constexpr int kWidth = 608;
constexpr int kHeight = 470;
constexpr int kViewHeight = 450;
constexpr int kPictures = 8;
constexpr double kFramesPerSecondOfRealTime = 5;

// Four textured quarters whose texture moves from picture to picture, like four cameras.
std::vector<CKWImageBuffer> MakePictures() {
    std::vector<CKWImageBuffer> pictures(kPictures);
    for (int n = 0; n < kPictures; ++n) {
        if (!pictures[static_cast<std::size_t>(n)].Create(kWidth, kHeight))
            return {};
        for (int y = 0; y < kViewHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const int quarter = (x >= kWidth / 2) + 2 * (y >= kViewHeight / 2);
                const double texture =
                    std::sin((x + 3 * n) / 7.0 + quarter) * std::cos((y - 2 * n) / 5.0) * 60;
                pictures[static_cast<std::size_t>(n)].SetPixel(
                    x, y, static_cast<std::uint8_t>(110 + texture + 40 * (quarter & 1)),
                    static_cast<std::uint8_t>(120 + texture),
                    static_cast<std::uint8_t>(100 + texture + 40 * (quarter >> 1)));
            }
    }
    return pictures;
}

void AviExport(benchmark::State& state) {
    const std::vector<KWAviCodec> offered = KWAviCodecs::Offered();
    const auto index = static_cast<std::size_t>(state.range(0));
    if (index >= offered.size()) {
        state.SkipWithError("this machine's FFmpeg does not offer the compressor");
        return;
    }
    const std::vector<CKWImageBuffer> pictures = MakePictures();
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("bench_avi_export." + std::to_string(getpid()) + ".avi"))
                                 .string();
    KWAviWriterState* avi = CreateAvi(path, 200, nullptr);
    KWAviCompressOptions options;
    options.codec = offered[index];
    if (pictures.empty() || avi == nullptr ||
        SetVideoCompression(avi, &pictures[0], &options, {}) != AVIERR_OK) {
        CloseAvi(avi);
        state.SkipWithError("the AVI file cannot be written");
        return;
    }
    std::size_t frame = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        if (AddAviFrame(avi, &pictures[frame++ % pictures.size()]) != AVIERR_OK) {
            state.SkipWithError("a frame could not be written");
            break;
        }
    // Frames still inside the encoder are written when the file is closed.
    CloseAvi(avi);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::filesystem::remove(path);
    state.SetLabel(KWAviCodecs::Find(offered[index])->name);
    const double rate = static_cast<double>(frame) / seconds.count();
    state.counters["fps"] = rate;
    state.counters["x_real_time"] = rate / kFramesPerSecondOfRealTime;
}
} // namespace

BENCHMARK(AviExport)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
