// Frames per second the screen manager sustains (decode, convert, captions, compose) for four
// channels at 320x112 and for the 640x272 composite picture, into a 608x450 view.
#include "CQXOffscreenView.h"
#include "CQXVideoEncoder.h"
#include "CQXVideoFrame.h"
#include "QXVideoStartCode.h"

#include <benchmark/benchmark.h>

#include "KWQtTextPainter.h"

#include <QGuiApplication>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {
constexpr int kViewWidth = 608;
constexpr int kViewHeight = 450;

// One encoded key picture of a textured scene: the bytes after its start code.
std::vector<std::uint8_t> EncodeScene(int width, int height, int channel) {
    std::vector<std::uint8_t> y(static_cast<std::size_t>(width * height));
    std::vector<std::uint8_t> u(y.size() / 4), v(y.size() / 4);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            y[static_cast<std::size_t>(j * width + i)] = static_cast<std::uint8_t>(
                128 + 60 * std::sin((i + 7 * channel) / 9.0) * std::cos(j / 7.0) + (i * j) % 17);
    for (std::size_t k = 0; k < u.size(); ++k) {
        u[k] = static_cast<std::uint8_t>(100 + k % 50);
        v[k] = static_cast<std::uint8_t>(150 - k % 40);
    }
    CQXVideoEncoder encoder;
    CQXVideoEncoder::Options options;
    options.channel = channel;
    options.quantiser = 4;
    std::vector<std::uint8_t> body;
    encoder.Encode({y.data(), u.data(), v.data(), width, height}, true, options, body);
    return body;
}

// Fills a frame from a body the way the stream reader does; the second of `seconds` advances
// so that every frame redraws its caption bars.
void Fill(CQXVideoFrame& frame, const std::vector<std::uint8_t>& body, std::uint8_t channelSet,
          int second) {
    std::vector<std::uint8_t> stream(std::begin(QXVideoStartCode::kBytes),
                                     std::end(QXVideoStartCode::kBytes));
    stream.insert(stream.end(), body.begin(), body.end());
    stream.insert(stream.end(), std::begin(QXVideoStartCode::kBytes),
                  std::end(QXVideoStartCode::kBytes));
    frame.Reset();
    const QXTimestamp time{5,
                           3,
                           7,
                           14,
                           static_cast<std::uint8_t>(second / 60 % 60),
                           static_cast<std::uint8_t>(second % 60)};
    for (std::size_t at = 0; at < stream.size() && !frame.IsComplete(); at += 4088) {
        const std::uint8_t* pointer = stream.data() + at;
        auto length = static_cast<std::uint16_t>(std::min<std::size_t>(4088, stream.size() - at));
        frame.Feed(pointer, length, time, channelSet);
    }
}

// Keeps the queue full with two frames, as the stream reader does, for each iteration's frame.
void Run(benchmark::State& state, const std::vector<std::vector<std::uint8_t>>& bodies,
         std::uint8_t channelSet) {
    CQXOffscreenView view(kViewWidth, kViewHeight);
    if (!view.Open()) {
        state.SkipWithError("screen manager not created");
        return;
    }
    std::array<CQXVideoFrame, 2> frames;
    std::size_t next = 0;
    int count = 0;
    for (auto _ : state) {
        CQXVideoFrame& frame = frames[next];
        // The stream reader waits in 1 ms sleeps for the manager to release a frame.
        while (frame.IsComplete())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        Fill(frame, bodies[static_cast<std::size_t>(count) % bodies.size()], channelSet, count);
        view.GetScreenManager().SubmitFrame(&frame);
        next ^= 1;
        ++count;
    }
    for (auto& frame : frames)
        while (frame.IsComplete())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    state.SetItemsProcessed(state.iterations());
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FourChannels320x112(benchmark::State& state) {
    std::vector<std::vector<std::uint8_t>> bodies;
    for (int channel = 0; channel < 4; ++channel)
        bodies.push_back(EncodeScene(320, 112, channel));
    Run(state, bodies, 0x0F);
}
BENCHMARK(BM_FourChannels320x112)->UseRealTime()->MeasureProcessCPUTime()->MinTime(3);

void BM_Composite640x272(benchmark::State& state) {
    Run(state, {EncodeScene(640, 272, 4)}, 0x10);
}
BENCHMARK(BM_Composite640x272)->UseRealTime()->MeasureProcessCPUTime()->MinTime(3);
} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    KWInstallQtTextPainter();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
