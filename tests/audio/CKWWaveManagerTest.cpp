#include "CKWWaveManager.h"
#include "CKWWaveBuffer.h"
#include "CQXAudioFrame.h"
#include "KWMemoryWaveOutput.h"
#include "KWTick.h"
#include "QXCompanding.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {
constexpr float kGainAtSlider50 = 4.0f;

void Fill(CQXAudioFrame& frame, const std::vector<std::uint8_t>& bytes) {
    frame.Reset();
    std::copy(bytes.begin(), bytes.end(), frame.GetData());
    frame.SetLength(static_cast<std::uint32_t>(bytes.size()));
    frame.SetFlag(1);
}

// A block of distinct codes, different for each seed.
std::vector<std::uint8_t> Block(std::size_t length, int seed) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + seed * 17 + i / 256);
    return bytes;
}

std::vector<std::uint8_t> Exchanged(std::vector<std::uint8_t> bytes) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

std::vector<std::int16_t> Expanded(const std::vector<std::uint8_t>& bytes, float gain) {
    std::vector<std::int16_t> samples;
    for (std::uint8_t b : bytes)
        samples.push_back(QXCompanding::Expand(b, gain));
    return samples;
}

std::vector<std::int16_t> Joined(std::initializer_list<std::vector<std::int16_t>> parts) {
    std::vector<std::int16_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class CKWWaveManagerTest : public ::testing::Test {
protected:
    void OpenAtSlider50() {
        manager.SetVolume(50);
        ASSERT_EQ(manager.Open(8000, 16), 1);
    }
    KWMemoryWaveOutput output;
    CKWWaveManager manager;
};
} // namespace

TEST(CKWWaveBuffer, ResetPointsTheHeaderAtItsFullStorage) {
    CKWWaveBuffer buffer;
    EXPECT_EQ(buffer.GetClassName(), "CKWWaveBuffer");
    buffer.GetHeader().bytesRecorded = 6;
    buffer.GetHeader().flags = KWWaveHeader::kDone;
    buffer.SetInUse(true);
    buffer.Reset();
    const KWWaveHeader& header = buffer.GetHeader();
    EXPECT_EQ(header.data, buffer.GetData());
    EXPECT_EQ(header.bufferLength, 16000u);
    EXPECT_EQ(header.bytesRecorded, 16000u);
    EXPECT_EQ(header.flags, 0u);
    EXPECT_EQ(header.user, 0u);
    EXPECT_FALSE(buffer.IsInUse());
    EXPECT_EQ(buffer.GetSize(), 8000u);
}

TEST_F(CKWWaveManagerTest, VolumeFollowsTheSliderPosition) {
    EXPECT_EQ(manager.GetClassName(), "CKWWaveManager");
    EXPECT_EQ(manager.GetVolumePercent(), 50); // gain 0.5 until a volume is set
    manager.SetVolume(50);
    EXPECT_EQ(manager.GetVolumePercent(), 400);
    manager.SetVolume(100);
    EXPECT_EQ(manager.GetVolumePercent(), 800);
    manager.SetVolume(0);
    EXPECT_EQ(manager.GetVolumePercent(), 0);
    manager.SetVolume(0x10000 + 25); // only the low 16 bits count
    EXPECT_EQ(manager.GetVolumePercent(), 200);
}

TEST_F(CKWWaveManagerTest, OpensOnceWithTheOwnersFormat) {
    EXPECT_FALSE(manager.IsOpen());
    ASSERT_EQ(manager.Open(8000, 16), 1);
    EXPECT_TRUE(manager.IsOpen());
    EXPECT_EQ(manager.Open(8000, 16), 1);
    EXPECT_EQ(output.Opens(), 1);
    const KWWaveFormat format = output.Format();
    EXPECT_EQ(format.formatTag, KWWaveFormat::kPcm);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samplesPerSecond, 8000u);
    EXPECT_EQ(format.blockAlign, 2);
    EXPECT_EQ(format.averageBytesPerSecond, 16000u);
    EXPECT_EQ(format.bitsPerSample, 16);
    manager.Close();
    EXPECT_FALSE(manager.IsOpen());
    EXPECT_FALSE(output.IsStarted());
}

TEST_F(CKWWaveManagerTest, FramesForAClosedManagerAreReleased) {
    output.SetAvailable(false);
    EXPECT_EQ(manager.Open(8000, 16), 0);
    EXPECT_FALSE(manager.IsOpen());
    CQXAudioFrame frame;
    Fill(frame, Block(4000, 1));
    EXPECT_EQ(manager.Play(frame, true), 1);
    EXPECT_EQ(frame.GetLength(), 0);
    EXPECT_EQ(frame.GetFlag(), 0);
    EXPECT_EQ(frame.GetAt(0), Block(4000, 1)[0]); // released, not exchanged

    output.SetAvailable(true);
    ASSERT_EQ(manager.Open(8000, 16), 1);
    manager.Close();
    Fill(frame, Block(10, 2));
    EXPECT_EQ(manager.Play(frame, false), 1);
    EXPECT_EQ(frame.GetLength(), 0);
    EXPECT_TRUE(output.Played().empty());
}

TEST_F(CKWWaveManagerTest, ExpandsAtTheVolumeWithPairsExchangedBackInPlace) {
    OpenAtSlider50();
    CQXAudioFrame frame;
    Fill(frame, {0x2A, 0x55, 0xAA, 0xD5});
    ASSERT_EQ(manager.Play(frame, true), 1);
    EXPECT_EQ(frame.GetAt(0), 0x55);
    EXPECT_EQ(frame.GetAt(1), 0x2A);
    EXPECT_EQ(output.Consume(100), 4u);
    const std::vector<std::int16_t> expected = {0, 16064, 0, -16064};
    EXPECT_EQ(output.Played(), expected);

    manager.SetVolume(100);
    Fill(frame, {0x2A, 0xAA});
    ASSERT_EQ(manager.Play(frame, false), 1);
    manager.SetVolume(0);
    Fill(frame, {0x2A, 0xAA});
    ASSERT_EQ(manager.Play(frame, false), 1);
    output.Consume(100);
    const std::vector<std::int16_t> expectedLater = {0, 16064, 0, -16064, 32128, -32128, 0, 0};
    EXPECT_EQ(output.Played(), expectedLater);
}

TEST_F(CKWWaveManagerTest, ThirdPlayIsRefusedUntilABufferIsDone) {
    OpenAtSlider50();
    const auto a = Block(4000, 1), b = Block(4000, 2), c = Block(4000, 3);
    CQXAudioFrame frame;
    Fill(frame, a);
    ASSERT_EQ(manager.Play(frame, true), 1);
    Fill(frame, b);
    ASSERT_EQ(manager.Play(frame, true), 1);
    Fill(frame, c);
    EXPECT_EQ(manager.Play(frame, true), 0);
    EXPECT_EQ(frame.GetAt(0), c[0]); // a refused frame is not touched
    EXPECT_EQ(frame.GetAt(1), c[1]);
    EXPECT_TRUE(manager.HasQueuedBuffers());

    EXPECT_EQ(output.Consume(3999), 3999u);
    EXPECT_EQ(manager.Play(frame, true), 0);
    EXPECT_EQ(output.Consume(1), 1u);
    EXPECT_EQ(manager.Play(frame, true), 1);

    EXPECT_EQ(output.Consume(20000), 8000u);
    EXPECT_FALSE(manager.HasQueuedBuffers());
    EXPECT_EQ(output.Played(), Joined({Expanded(Exchanged(a), kGainAtSlider50),
                                       Expanded(Exchanged(b), kGainAtSlider50),
                                       Expanded(Exchanged(c), kGainAtSlider50)}));
}

TEST_F(CKWWaveManagerTest, CloseReturnsQueuedBuffersAndReopenStartsClean) {
    OpenAtSlider50();
    CQXAudioFrame frame;
    for (int seed = 1; seed <= 2; ++seed) {
        Fill(frame, Block(100, seed));
        ASSERT_EQ(manager.Play(frame, false), 1);
    }
    manager.Close();
    EXPECT_FALSE(manager.HasQueuedBuffers());
    ASSERT_EQ(manager.Open(8000, 16), 1);
    const auto fresh = Block(50, 9);
    for (int i = 0; i < 2; ++i) {
        Fill(frame, fresh);
        ASSERT_EQ(manager.Play(frame, false), 1) << i;
    }
    output.Consume(1000);
    EXPECT_EQ(output.Played(),
              Joined({Expanded(fresh, kGainAtSlider50), Expanded(fresh, kGainAtSlider50)}));
}

TEST_F(CKWWaveManagerTest, LongFrameIsSplitAcrossBuffersAndExchangedOnce) {
    OpenAtSlider50();
    const auto bytes = Block(20000, 4);
    CQXAudioFrame frame(20000);
    Fill(frame, bytes);
    // Two full buffers are queued; the last 4000 bytes wait for a free buffer.
    EXPECT_EQ(manager.Play(frame, true), 0);
    EXPECT_EQ(manager.Play(frame, true), 0);
    EXPECT_EQ(output.Consume(8000), 8000u);
    EXPECT_EQ(manager.Play(frame, true), 1);
    EXPECT_EQ(output.Consume(100000), 12000u);
    EXPECT_EQ(output.Played(), Expanded(Exchanged(bytes), kGainAtSlider50));

    // A frame offered after a partly played one starts afresh.
    Fill(frame, bytes);
    EXPECT_EQ(manager.Play(frame, false), 0);
    CQXAudioFrame other;
    const auto small = Block(10, 5);
    Fill(other, small);
    EXPECT_EQ(output.Consume(8000), 8000u);
    EXPECT_EQ(manager.Play(other, false), 1);
    output.Consume(100000);
    const auto played = output.Played();
    const std::vector<std::int16_t> tail(played.end() - 10, played.end());
    EXPECT_EQ(tail, Expanded(small, kGainAtSlider50));
}

TEST_F(CKWWaveManagerTest, ProducerAndConsumerThreadsKeepTheOrder) {
    OpenAtSlider50();
    constexpr int kFrames = 40;
    std::thread producer([this] {
        CQXAudioFrame frame;
        for (int seed = 0; seed < kFrames; ++seed) {
            Fill(frame, Block(4000, seed));
            while (!manager.Play(frame, true))
                KWSleep(0);
        }
    });
    std::size_t consumed = 0;
    const std::uint32_t start = KWGetTickCount();
    while (consumed < kFrames * 4000u && KWTicksSince(start, KWGetTickCount()) < 30000) {
        const std::size_t taken = output.Consume(1234);
        consumed += taken;
        if (!taken)
            KWSleep(0);
    }
    producer.join();
    std::vector<std::int16_t> expected;
    for (int seed = 0; seed < kFrames; ++seed) {
        const auto part = Expanded(Exchanged(Block(4000, seed)), kGainAtSlider50);
        expected.insert(expected.end(), part.begin(), part.end());
    }
    EXPECT_EQ(output.Played(), expected);
}
