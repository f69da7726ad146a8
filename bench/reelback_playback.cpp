// Frames per second the player's stepper hands out (decoded and converted to display pixels) at
// normal and 32-times speed, forward and backward, on a 720p H.264 and a CIF MPEG-4 recording;
// the plain decode loop of the same file is the peer. Conversion to AVI as a multiple of real
// time. The recordings are made with the ffmpeg tool into a temporary folder.
#include "CKWAviConverter.h"
#include "CKWFrameStepper.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
constexpr int kSeconds = 10;

struct Media {
    std::filesystem::path folder;
    std::string h264;
    std::string mpeg4;
    std::string ffv1;

    Media() {
        folder = std::filesystem::temp_directory_path() / "reelback-bench";
        std::filesystem::create_directories(folder);
        const std::string length = ":d=" + std::to_string(kSeconds);
        h264 = Make("h264-720p.av", "testsrc2=s=1280x720:r=25" + length,
                    "-c:v libx264 -preset veryfast -g 25 -c:a aac -f mp4");
        mpeg4 = Make("mpeg4-cif.av", "testsrc2=s=352x288:r=25" + length,
                     "-c:v mpeg4 -q:v 4 -g 25 -c:a pcm_mulaw -ar 8000 -f avi");
        ffv1 = Make("ffv1-cif.av", "testsrc2=s=352x288:r=25" + length,
                    "-c:v ffv1 -c:a flac -f matroska");
    }
    ~Media() { std::filesystem::remove_all(folder); }

    std::string Make(const std::string& name, const std::string& video,
                     const std::string& options) const {
        const std::string path = (folder / name).string();
        const std::string command = "ffmpeg -v error -y -f lavfi -i " + video +
                                    " -f lavfi -i sine=d=" + std::to_string(kSeconds) + " " +
                                    options + " " + path;
        if (std::system(command.c_str()) != 0) {
            std::abort();
        }
        return path;
    }
};

const Media& TestMedia() {
    static const Media media;
    return media;
}

const std::string& PathOf(int file) {
    return file == 0 ? TestMedia().h264 : TestMedia().mpeg4;
}

// One run over the whole file in the given direction and speed step.
void BM_Stepper(benchmark::State& state) {
    const std::string& path = PathOf(static_cast<int>(state.range(0)));
    const bool backward = state.range(1) != 0;
    const int step = static_cast<int>(state.range(2));
    CKWMediaDecoder decoder;
    if (!decoder.Open(path)) {
        state.SkipWithError("cannot open");
        return;
    }
    CKWFrameStepper stepper(decoder);
    std::int64_t frames = 0;
    KWVideoFrame frame;
    KWPicture picture;
    for (auto _ : state) {
        stepper.Start(backward ? decoder.GetDuration() : 0, true, backward, step);
        while (stepper.Next(frame) == CKWMediaDecoder::Result::Frame) {
            decoder.ConvertPicture(frame, picture);
            ++frames;
        }
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Stepper)
    ->ArgNames({"file(0=720p h264,1=cif mpeg4)", "backward", "step"})
    ->ArgsProduct({{0, 1}, {0, 1}, {1, 6}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The peer: decoding every frame forward, nothing else.
void BM_DecodeOnly(benchmark::State& state) {
    CKWMediaDecoder decoder;
    if (!decoder.Open(PathOf(static_cast<int>(state.range(0))))) {
        state.SkipWithError("cannot open");
        return;
    }
    std::int64_t frames = 0;
    KWVideoFrame frame;
    for (auto _ : state) {
        decoder.SeekKeyFrame(0);
        while (decoder.ReadFrame(frame, false) == CKWMediaDecoder::Result::Frame) {
            ++frames;
        }
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Conversion speed: recording seconds converted per second.
void BM_ConvertToAvi(benchmark::State& state) {
    const Media& media = TestMedia();
    const std::string& source = state.range(0) == 0   ? media.h264
                                : state.range(0) == 1 ? media.mpeg4
                                                      : media.ffv1;
    const std::string out = (media.folder / "out.avi").string();
    std::int64_t runs = 0;
    for (auto _ : state) {
        CKWAviConverter converter;
        if (!converter.Convert(source, out)) {
            state.SkipWithError(converter.GetError().c_str());
            return;
        }
        ++runs;
    }
    state.counters["x realtime"] =
        benchmark::Counter(static_cast<double>(runs * kSeconds), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertToAvi)
    ->ArgName("source(0=720p h264+aac,1=cif mpeg4+g711,2=cif ffv1+flac re-encoded)")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
} // namespace

BENCHMARK_MAIN();
