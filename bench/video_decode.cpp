// Key-picture decoding and YUV -> RGB32 conversion at each instruction-set level, measured next
// to FFmpeg's MPEG-1 intra decoder and its scaler on the same picture size at a similar bit count.
#include "CQXVideoDecoder.h"
#include "CQXVideoEncoder.h"
#include "CQXVideoFrame.h"
#include "KWScopedSimdLevel.h"
#include "QXInverseDct.h"
#include "QXPixelConversion.h"
#include "QXVideoStartCode.h"

#include <benchmark/benchmark.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kQuantiser = 6;

struct Scene {
    int width, height;
    std::vector<std::uint8_t> y, u, v;
};

// A camera-like picture: gradients, texture and noise.
Scene MakeScene(int width, int height) {
    Scene s{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width * height)),
            std::vector<std::uint8_t>(static_cast<std::size_t>(width * height / 4)),
            std::vector<std::uint8_t>(static_cast<std::size_t>(width * height / 4))};
    std::mt19937 random(7);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            s.y[j * width + i] = static_cast<std::uint8_t>(
                std::clamp(static_cast<int>(60 + 100.0 * i / width +
                                            40 * std::sin(j / 5.0) * std::cos(i / 7.0)) +
                               static_cast<int>(random() % 9) - 4,
                           0, 255));
    for (int j = 0; j < height / 2; ++j)
        for (int i = 0; i < width / 2; ++i) {
            s.u[j * width / 2 + i] = static_cast<std::uint8_t>(128 + 40 * std::sin(i / 11.0));
            s.v[j * width / 2 + i] = static_cast<std::uint8_t>(128 - 30 * std::cos(j / 7.0));
        }
    return s;
}

// Our key picture of the scene, assembled as the stream delivers it.
std::size_t OurFrame(const Scene& s, CQXVideoFrame& frame) {
    CQXVideoEncoder encoder;
    std::vector<std::uint8_t> body;
    CQXVideoEncoder::Options options;
    options.quantiser = kQuantiser;
    encoder.Encode({s.y.data(), s.u.data(), s.v.data(), s.width, s.height}, true, options, body);
    std::vector<std::uint8_t> stream(std::begin(QXVideoStartCode::kBytes),
                                     std::end(QXVideoStartCode::kBytes));
    stream.insert(stream.end(), body.begin(), body.end());
    stream.insert(stream.end(), std::begin(QXVideoStartCode::kBytes),
                  std::end(QXVideoStartCode::kBytes));
    const std::uint8_t* p = stream.data();
    auto length = static_cast<std::uint16_t>(stream.size());
    frame.Feed(p, length, QXTimestamp{7, 1, 1, 0, 0, 0}, 0x08);
    return body.size();
}

AVFrame* MakeAvFrame(const Scene& s) {
    AVFrame* f = av_frame_alloc();
    f->format = AV_PIX_FMT_YUV420P;
    f->width = s.width;
    f->height = s.height;
    av_frame_get_buffer(f, 0);
    for (int j = 0; j < s.height; ++j)
        std::copy_n(&s.y[j * s.width], s.width, f->data[0] + j * f->linesize[0]);
    for (int j = 0; j < s.height / 2; ++j) {
        std::copy_n(&s.u[j * s.width / 2], s.width / 2, f->data[1] + j * f->linesize[1]);
        std::copy_n(&s.v[j * s.width / 2], s.width / 2, f->data[2] + j * f->linesize[2]);
    }
    return f;
}

// An MPEG-1 intra picture of the scene at a fixed quantiser scale.
std::vector<std::uint8_t> Mpeg1Picture(const Scene& s, int qscale) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
    AVCodecContext* c = avcodec_alloc_context3(codec);
    c->width = s.width;
    c->height = s.height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = {1, 25};
    c->framerate = {25, 1};
    c->gop_size = 0;
    c->max_b_frames = 0;
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * qscale;
    std::vector<std::uint8_t> bytes;
    if (avcodec_open2(c, codec, nullptr) == 0) {
        AVFrame* f = MakeAvFrame(s);
        f->quality = c->global_quality;
        f->pts = 0;
        AVPacket* packet = av_packet_alloc();
        avcodec_send_frame(c, f);
        avcodec_send_frame(c, nullptr);
        while (avcodec_receive_packet(c, packet) == 0) {
            bytes.insert(bytes.end(), packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
        av_frame_free(&f);
    }
    avcodec_free_context(&c);
    return bytes;
}

// The MPEG-1 picture whose size is closest to `bytes`.
std::vector<std::uint8_t> ComparableMpeg1Picture(const Scene& s, std::size_t bytes) {
    std::vector<std::uint8_t> best;
    for (int q = 1; q <= 31; ++q) {
        std::vector<std::uint8_t> picture = Mpeg1Picture(s, q);
        const auto distance = [bytes](std::size_t n) {
            return std::abs(static_cast<long>(n) - static_cast<long>(bytes));
        };
        if (best.empty() || distance(picture.size()) < distance(best.size()))
            best = std::move(picture);
    }
    return best;
}

int BlocksOf(const Scene& s) {
    return (s.width / 16) * ((s.height + 15) / 16) * 6;
}

void SetCounters(benchmark::State& state, const Scene& s, std::size_t bytes) {
    state.SetItemsProcessed(state.iterations());
    state.counters["ns_per_block"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * BlocksOf(s),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["bytes"] = static_cast<double>(bytes);
}

// The third argument is the inverse transform's level (KWSimdLevel).
void OurKeyDecode(benchmark::State& state) {
    const KWScopedSimdLevel level(QXInverseDct::SelectKernels,
                                  static_cast<KWSimdLevel>(state.range(2)));
    if (!level.Selected()) {
        state.SkipWithError("this processor lacks the level");
        return;
    }
    const Scene s = MakeScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CQXVideoFrame frame;
    const std::size_t bytes = OurFrame(s, frame);
    CQXVideoDecoder decoder;
    if (!decoder.Initialize()) {
        state.SkipWithError("the decoder could not allocate its planes");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(decoder.Decode(&frame));
    if (!decoder.Decode(&frame))
        state.SkipWithError("decode failed");
    SetCounters(state, s, bytes);
}

void FfmpegMpeg1IntraDecode(benchmark::State& state) {
    const Scene s = MakeScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CQXVideoFrame frame;
    const std::vector<std::uint8_t> picture = ComparableMpeg1Picture(s, OurFrame(s, frame));
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG1VIDEO);
    AVCodecContext* c = avcodec_alloc_context3(codec);
    c->thread_count = 1;
    c->flags |= AV_CODEC_FLAG_LOW_DELAY;
    AVPacket* packet = av_packet_alloc();
    AVFrame* out = av_frame_alloc();
    if (picture.empty() || avcodec_open2(c, codec, nullptr) != 0) {
        state.SkipWithError("no MPEG-1 codec");
    } else {
        for (auto _ : state) {
            av_new_packet(packet, static_cast<int>(picture.size()));
            std::copy(picture.begin(), picture.end(), packet->data);
            avcodec_send_packet(c, packet);
            av_packet_unref(packet);
            while (avcodec_receive_frame(c, out) == 0)
                av_frame_unref(out);
        }
    }
    SetCounters(state, s, picture.size());
    av_frame_free(&out);
    av_packet_free(&packet);
    avcodec_free_context(&c);
}

// The third argument is the conversion's level (KWSimdLevel).
void OurYuvToRgb32(benchmark::State& state) {
    const KWScopedSimdLevel level(QXPixelConversion::SelectKernels,
                                  static_cast<KWSimdLevel>(state.range(2)));
    if (!level.Selected()) {
        state.SkipWithError("this processor lacks the level");
        return;
    }
    const Scene s = MakeScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<std::uint8_t> out(static_cast<std::size_t>(s.width * s.height * 4));
    for (auto _ : state) {
        QXPixelConversion::Convert({s.y.data(), s.u.data(), s.v.data(), s.width, s.height},
                                   QXPixelConversion::kRGB32, out.data(), s.width * 4);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void FfmpegYuvToRgb32(benchmark::State& state) {
    const Scene s = MakeScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    SwsContext* sws = sws_getContext(s.width, s.height, AV_PIX_FMT_YUV420P, s.width, s.height,
                                     AV_PIX_FMT_RGB32, SWS_POINT, nullptr, nullptr, nullptr);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(s.width * s.height * 4));
    const std::uint8_t* source[3] = {s.y.data(), s.u.data(), s.v.data()};
    const int sourcePitch[3] = {s.width, s.width / 2, s.width / 2};
    std::uint8_t* destination[1] = {out.data()};
    const int destinationPitch[1] = {s.width * 4};
    for (auto _ : state) {
        sws_scale(sws, source, sourcePitch, 0, s.height, destination, destinationPitch);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    sws_freeContext(sws);
}

// The console report, followed by the speed of our key-picture decoding at each level relative
// to FFmpeg's at the same size (FFmpeg's processor time per picture over ours) from this run.
class SpeedRatioReporter : public benchmark::ConsoleReporter {
public:
    // Coloured on a terminal only, as the library's own console report.
    SpeedRatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            int width = 0, height = 0, level = 0;
            const std::string& args = run.run_name.args;
            if (run.run_name.function_name == "OurKeyDecode" &&
                std::sscanf(args.c_str(), "width:%d/height:%d/level:%d", &width, &height, &level) ==
                    3)
                m_ours[{width, height, level}] = run.GetAdjustedCPUTime();
            else if (run.run_name.function_name == "FfmpegMpeg1IntraDecode" &&
                     std::sscanf(args.c_str(), "%d/%d", &width, &height) == 2)
                m_ffmpeg[{width, height}] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        for (const auto& [key, ours] : m_ours) {
            const auto [width, height, level] = key;
            const auto ffmpeg = m_ffmpeg.find({width, height});
            if (ffmpeg != m_ffmpeg.end() && ours > 0)
                std::printf("key-picture decoding %dx%d, level %d: %.2fx FFmpeg's speed\n", width,
                            height, level, ffmpeg->second / ours);
        }
    }

private:
    std::map<std::tuple<int, int, int>, double> m_ours;
    std::map<std::pair<int, int>, double> m_ffmpeg;
};

} // namespace

BENCHMARK(OurKeyDecode)
    ->ArgNames({"width", "height", "level"})
    ->ArgsProduct({{320}, {112}, {0, 2}})
    ->ArgsProduct({{640}, {272}, {0, 2}});
BENCHMARK(FfmpegMpeg1IntraDecode)->Args({320, 112})->Args({640, 272});
BENCHMARK(OurYuvToRgb32)
    ->ArgNames({"width", "height", "level"})
    ->ArgsProduct({{320}, {112}, {1, 2}})
    ->ArgsProduct({{640}, {272}, {1, 2}});
BENCHMARK(FfmpegYuvToRgb32)->Args({320, 112})->Args({640, 272});

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);
    benchmark::Initialize(&argc, argv);
    SpeedRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
