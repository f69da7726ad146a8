#include "QXAudioPlayback.h"
#include "CKWWaveManager.h"
#include "CQX4KPacket.h"
#include "KWMemoryWaveOutput.h"
#include "KWScopedWavOutput.h"
#include "KWTempDir.h"
#include "KWTick.h"
#include "KWWavReader.h"
#include "QXCompanding.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {
constexpr std::uint32_t kStallTimeoutMs = 10000;
constexpr double kToneHz = 440.0;
constexpr double kToneAmplitude = 3000.0; // on the expansion's own scale (gain 1)
constexpr int kSampleRate = 8000;
constexpr float kGainAtSlider50 = 4.0f;

double Tone(std::size_t index) {
    return kToneAmplitude *
           std::sin(2.0 * M_PI * kToneHz * static_cast<double>(index) / kSampleRate);
}

// A recording as the DVR stores it: audio packets of companded tone, byte pairs exchanged,
// with a data packet between the first two that playback must skip.
std::vector<CQX4KPacket*> RecordTone(int audioPackets,
                                     std::vector<std::unique_ptr<CQX4KPacket>>& owner) {
    std::vector<CQX4KPacket*> stream;
    std::size_t sample = 0;
    for (int p = 0; p < audioPackets; ++p) {
        auto packet = std::make_unique<CQX4KPacket>();
        std::uint8_t* bytes = packet->GetData();
        bytes[0] = 0x80;
        bytes[6] = CQX4KPacket::kAudioMarker;
        bytes[7] = 0xF0;
        for (std::uint32_t i = 0; i < CQX4KPacket::kAudioSize; ++i)
            bytes[CQX4KPacket::kHeaderSize + i] =
                QXCompanding::Compress(static_cast<int>(std::lround(Tone(sample++))));
        QXExchangeBytes(bytes + CQX4KPacket::kHeaderSize, CQX4KPacket::kAudioSize);
        stream.push_back(packet.get());
        owner.push_back(std::move(packet));
        if (p == 0) {
            auto data = std::make_unique<CQX4KPacket>();
            const std::uint8_t header[8] = {24, 5, 17, 10, 30, 0, 0x01, 0x08};
            std::copy(header, header + 8, data->GetData());
            data->GetData()[100] = 0x55;
            stream.push_back(data.get());
            owner.push_back(std::move(data));
        }
    }
    return stream;
}

QXPacketSource SourceOf(const std::vector<CQX4KPacket*>& stream) {
    return [&stream, next = std::size_t{0}](CQX4KPacket& packet) mutable {
        if (next == stream.size())
            return 0;
        std::copy(stream[next]->GetData(), stream[next]->GetData() + CQX4KPacket::kSize,
                  packet.GetData());
        ++next;
        return 1;
    };
}

// How far a companded sample may lie from its source: the rounding to an integer plus half the
// step of the scale there (never more than 1.5 + |value| / 16), times the gain, plus the
// truncation of the scaled sample.
double CompandingTolerance(double value, double gain) {
    return gain * (1.5 + std::fabs(value) / 16.0) + 1.0;
}
} // namespace

TEST(QXAudioPlayback, WavOutputOfARecordedToneMatchesTheSource) {
    KWTempDir dir;
    const std::string path = dir / "tone.wav";
    KWScopedWavOutput wavOutput(path);
    std::vector<std::unique_ptr<CQX4KPacket>> owner;
    const auto stream = RecordTone(3, owner);

    CKWWaveManager manager;
    manager.SetVolume(50);
    ASSERT_EQ(manager.Open(8000, 16), 1);
    QXAudioPlaybackCounts counts;
    ASSERT_EQ(QXPlayAudioPackets(manager, SourceOf(stream), true, kStallTimeoutMs, &counts), 1);
    EXPECT_EQ(counts.packets, 4u);
    EXPECT_EQ(counts.audioFrames, 3u);
    manager.Close();

    const KWWavContents wav = KWReadWavFile(path);
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.samplesPerSecond, 8000u);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.bitsPerSample, 16);
    ASSERT_EQ(wav.samples.size(), 3u * CQX4KPacket::kAudioSize);
    double signal = 0.0, noise = 0.0;
    for (std::size_t i = 0; i < wav.samples.size(); ++i) {
        const double expected = kGainAtSlider50 * Tone(i);
        const double error = wav.samples[i] - expected;
        ASSERT_LE(std::fabs(error),
                  CompandingTolerance(expected / kGainAtSlider50, kGainAtSlider50))
            << "sample " << i;
        signal += expected * expected;
        noise += error * error;
    }
    EXPECT_GT(10.0 * std::log10(signal / noise), 30.0);
}

TEST(QXAudioPlayback, ClosedManagerPlaysNothing) {
    std::vector<std::unique_ptr<CQX4KPacket>> owner;
    const auto stream = RecordTone(1, owner);
    CKWWaveManager manager;
    EXPECT_EQ(QXPlayAudioPackets(manager, SourceOf(stream), true, kStallTimeoutMs, nullptr), 0);
}

TEST(QXAudioPlayback, GivesUpWhenTheOutputStopsConsuming) {
    KWMemoryWaveOutput output; // nobody consumes
    std::vector<std::unique_ptr<CQX4KPacket>> owner;
    const auto stream = RecordTone(3, owner);
    CKWWaveManager manager;
    ASSERT_EQ(manager.Open(8000, 16), 1);
    QXAudioPlaybackCounts counts;
    EXPECT_EQ(QXPlayAudioPackets(manager, SourceOf(stream), true, 20, &counts), 0);
    EXPECT_EQ(counts.audioFrames, 2u);
}

TEST(QXAudioPlayback, WaitsUntilADeviceHasConsumedTheLastBuffer) {
    KWMemoryWaveOutput output;
    std::vector<std::unique_ptr<CQX4KPacket>> owner;
    const auto stream = RecordTone(5, owner);
    CKWWaveManager manager;
    manager.SetVolume(50);
    ASSERT_EQ(manager.Open(8000, 16), 1);
    std::atomic<bool> finished{false};
    std::thread device([&] {
        while (!finished.load())
            if (!output.Consume(500))
                KWSleep(1);
    });
    const int played =
        QXPlayAudioPackets(manager, SourceOf(stream), true, kStallTimeoutMs, nullptr);
    const std::size_t consumed = output.Played().size();
    finished = true;
    device.join();
    EXPECT_EQ(played, 1);
    EXPECT_EQ(consumed, 5u * CQX4KPacket::kAudioSize);
}
