// Cost of turning recorded sound into output samples, per second of sound (8000 companded
// bytes), and the delay from Play until the sound device has taken a buffer.
#include "CKWWaveManager.h"
#include "CQXAudioFrame.h"
#include "KWTick.h"
#include "KWWaveOut.h"
#include "QXCompanding.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace {
constexpr std::uint32_t kBytesPerSecond = 8000;
constexpr float kGainAtSlider50 = 4.0f;

std::vector<std::uint8_t> SecondOfSound() {
    std::vector<std::uint8_t> bytes(kBytesPerSecond);
    for (std::uint32_t i = 0; i < kBytesPerSecond; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + i / 100);
    return bytes;
}

// An output that takes every buffer the moment it is queued and throws the samples away, so
// the manager's own work is what is measured.
class DiscardingBackend : public KWWaveOutBackend {
public:
    bool Start(KWWaveOut& output, const KWWaveFormat&) override {
        m_output = &output;
        return true;
    }
    void Stop() override { m_output = nullptr; }
    void OnQueued() override {
        std::int16_t samples[1024];
        while (m_output && m_output->Pull(samples, 1024))
            benchmark::DoNotOptimize(samples);
    }

private:
    KWWaveOut* m_output = nullptr;
};

// The expansion alone: one second of sound per iteration.
void BM_ExpandOneSecond(benchmark::State& state) {
    const auto bytes = SecondOfSound();
    std::vector<std::int16_t> samples(kBytesPerSecond);
    for (auto _ : state) {
        for (std::uint32_t i = 0; i < kBytesPerSecond; ++i)
            samples[i] = QXCompanding::Expand(bytes[i], kGainAtSlider50);
        benchmark::DoNotOptimize(samples.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytesPerSecond);
}
BENCHMARK(BM_ExpandOneSecond);

// Play as the device reader calls it: two 4000-byte frames with their pairs exchanged back,
// expanded and queued, per second of sound.
void BM_PlayOneSecond(benchmark::State& state) {
    auto previous =
        KWSetWaveOutBackendFactory([] { return std::make_unique<DiscardingBackend>(); });
    {
        CKWWaveManager manager;
        manager.SetVolume(50);
        if (!manager.Open(8000, 16)) {
            state.SkipWithError("wave output did not open");
        } else {
            const auto bytes = SecondOfSound();
            CQXAudioFrame frame;
            for (auto _ : state) {
                for (std::uint32_t offset = 0; offset < kBytesPerSecond;
                     offset += CQXAudioFrame::kSize) {
                    std::copy(bytes.begin() + offset, bytes.begin() + offset + CQXAudioFrame::kSize,
                              frame.GetData());
                    frame.SetLength(CQXAudioFrame::kSize);
                    benchmark::DoNotOptimize(manager.Play(frame, true));
                }
            }
            state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                                    kBytesPerSecond);
        }
    }
    KWSetWaveOutBackendFactory(std::move(previous));
}
BENCHMARK(BM_PlayOneSecond);

// On the real sound device: from Play of a 10 ms frame until the stream callback has taken
// all of it. Skipped where no device can be opened.
void BM_PlayToConsumedOnDevice(benchmark::State& state) {
    if (std::getenv("QUADVIEW_AUDIO_OUT")) {
        state.SkipWithError("QUADVIEW_AUDIO_OUT is set: no device to measure");
        return;
    }
    CKWWaveManager manager;
    manager.SetVolume(50);
    if (!manager.Open(8000, 16)) {
        state.SkipWithError("no sound device");
        return;
    }
    CQXAudioFrame frame;
    for (auto _ : state) {
        frame.SetLength(80);
        const auto start = std::chrono::steady_clock::now();
        while (!manager.Play(frame, false))
            KWSleep(0);
        const std::uint32_t begun = KWGetTickCount();
        while (manager.HasQueuedBuffers() && KWTicksSince(begun, KWGetTickCount()) < 5000)
            KWSleep(0);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_PlayToConsumedOnDevice)
    ->UseManualTime()
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
