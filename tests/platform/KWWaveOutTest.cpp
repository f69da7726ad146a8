#include "KWWaveOut.h"
#include "KWMemoryWaveOutput.h"
#include "KWScopedEnvironment.h"
#include "KWScopedWavOutput.h"
#include "KWTempDir.h"
#include "KWWavReader.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace {
const KWWaveFormat kFormat = KWWaveFormat::Pcm(1, 8000, 16);

// Records the done notifications: which header, in which order.
struct DoneLog {
    std::vector<KWWaveHeader*> headers;
    static void Callback(KWWaveHeader* header, void* data) {
        static_cast<DoneLog*>(data)->headers.push_back(header);
    }
};

// A caller-owned buffer with its samples.
struct Buffer {
    std::vector<std::int16_t> samples;
    KWWaveHeader header;
    Buffer(std::int16_t first, std::size_t count) : samples(count) {
        std::iota(samples.begin(), samples.end(), first);
        header.data = samples.data();
        header.bufferLength = static_cast<std::uint32_t>(count * 2);
        header.bytesRecorded = header.bufferLength;
    }
};

std::vector<std::int16_t> Concat(const std::vector<const Buffer*>& buffers) {
    std::vector<std::int16_t> all;
    for (const Buffer* buffer : buffers)
        all.insert(all.end(), buffer->samples.begin(), buffer->samples.end());
    return all;
}

} // namespace

TEST(KWWaveOut, OpensOnlyMono16BitPcmOnAnAvailableOutput) {
    KWMemoryWaveOutput memory;
    EXPECT_EQ(KWWaveOut::Open(KWWaveFormat::Pcm(1, 8000, 8), nullptr, nullptr), nullptr);
    EXPECT_EQ(KWWaveOut::Open(KWWaveFormat::Pcm(2, 8000, 16), nullptr, nullptr), nullptr);
    KWWaveFormat inconsistent = kFormat;
    inconsistent.blockAlign = 4;
    EXPECT_EQ(KWWaveOut::Open(inconsistent, nullptr, nullptr), nullptr);
    EXPECT_EQ(memory.Opens(), 0);

    memory.SetAvailable(false);
    EXPECT_EQ(KWWaveOut::Open(kFormat, nullptr, nullptr), nullptr);

    memory.SetAvailable(true);
    auto output = KWWaveOut::Open(kFormat, nullptr, nullptr);
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(memory.IsStarted());
    EXPECT_EQ(memory.Format().averageBytesPerSecond, 16000u);
    output.reset();
    EXPECT_FALSE(memory.IsStarted());
}

TEST(KWWaveOut, RefusesBuffersItCannotQueue) {
    KWMemoryWaveOutput memory;
    DoneLog log;
    auto output = KWWaveOut::Open(kFormat, &DoneLog::Callback, &log);
    ASSERT_NE(output, nullptr);
    Buffer a(0, 10);
    EXPECT_FALSE(output->Write(a.header)); // not prepared
    ASSERT_TRUE(output->Prepare(a.header));
    a.header.bytesRecorded = a.header.bufferLength + 2;
    EXPECT_FALSE(output->Write(a.header));
    a.header.bytesRecorded = a.header.bufferLength;
    ASSERT_TRUE(output->Write(a.header));
    EXPECT_FALSE(output->Write(a.header));     // already queued
    EXPECT_FALSE(output->Unprepare(a.header)); // still queued
    EXPECT_EQ(memory.Consume(100), 10u);
    EXPECT_TRUE(output->Unprepare(a.header));
    EXPECT_EQ(log.headers.size(), 1u);
}

TEST(KWWaveOut, ConsumesInOrderAndReportsEachBufferWhenItsLastSampleIsTaken) {
    KWMemoryWaveOutput memory;
    DoneLog log;
    auto output = KWWaveOut::Open(kFormat, &DoneLog::Callback, &log);
    ASSERT_NE(output, nullptr);
    Buffer a(100, 5), empty(0, 0), b(200, 7);
    for (Buffer* buffer : {&a, &empty, &b}) {
        ASSERT_TRUE(output->Prepare(buffer->header));
        ASSERT_TRUE(output->Write(buffer->header));
    }
    EXPECT_EQ(memory.Consume(4), 4u);
    EXPECT_TRUE(log.headers.empty());
    EXPECT_EQ(memory.Consume(1), 1u);
    // The last sample of a completes a, and the empty buffer behind it at once.
    ASSERT_EQ(log.headers.size(), 2u);
    EXPECT_EQ(log.headers[0], &a.header);
    EXPECT_EQ(log.headers[1], &empty.header);
    EXPECT_TRUE(a.header.flags & KWWaveHeader::kDone);
    EXPECT_FALSE(a.header.flags & KWWaveHeader::kInQueue);
    EXPECT_FALSE(b.header.flags & KWWaveHeader::kDone);

    EXPECT_EQ(memory.Consume(100), 7u);
    EXPECT_EQ(memory.Consume(100), 0u);
    ASSERT_EQ(log.headers.size(), 3u);
    EXPECT_EQ(log.headers[2], &b.header);
    EXPECT_EQ(memory.Played(), Concat({&a, &b}));
}

TEST(KWWaveOut, PauseHoldsTheQueueUntilRestart) {
    KWMemoryWaveOutput memory;
    auto output = KWWaveOut::Open(kFormat, nullptr, nullptr);
    ASSERT_NE(output, nullptr);
    Buffer a(1, 8);
    ASSERT_TRUE(output->Prepare(a.header));
    ASSERT_TRUE(output->Write(a.header));
    output->Pause();
    EXPECT_EQ(memory.Consume(8), 0u);
    output->Restart();
    EXPECT_EQ(memory.Consume(8), 8u);
}

TEST(KWWaveOut, ResetAndCloseReturnQueuedBuffersUnplayedInOrder) {
    KWMemoryWaveOutput memory;
    DoneLog log;
    auto output = KWWaveOut::Open(kFormat, &DoneLog::Callback, &log);
    ASSERT_NE(output, nullptr);
    Buffer a(0, 6), b(50, 6), c(90, 6);
    for (Buffer* buffer : {&a, &b}) {
        ASSERT_TRUE(output->Prepare(buffer->header));
        ASSERT_TRUE(output->Write(buffer->header));
    }
    memory.Consume(3);
    output->Reset();
    ASSERT_EQ(log.headers.size(), 2u);
    EXPECT_EQ(log.headers[0], &a.header);
    EXPECT_EQ(log.headers[1], &b.header);
    EXPECT_EQ(memory.Consume(10), 0u);

    // After a reset the next buffer plays from its own start.
    ASSERT_TRUE(output->Prepare(c.header));
    ASSERT_TRUE(output->Write(c.header));
    EXPECT_EQ(memory.Consume(2), 2u);
    output.reset();
    ASSERT_EQ(log.headers.size(), 3u);
    EXPECT_EQ(log.headers[2], &c.header);
    const std::vector<std::int16_t> expected = {0, 1, 2, 90, 91};
    EXPECT_EQ(memory.Played(), expected);
}

TEST(KWWaveOut, WavFileHoldsTheSamplesAndStaysReadableWhileOpen) {
    KWTempDir dir;
    const std::string path = dir / "out.wav";
    KWScopedWavOutput wavOutput(path);
    DoneLog log;
    auto output = KWWaveOut::Open(kFormat, &DoneLog::Callback, &log);
    ASSERT_NE(output, nullptr);
    Buffer a(-3, 6), b(30000, 4);
    for (Buffer* buffer : {&a, &b}) {
        ASSERT_TRUE(output->Prepare(buffer->header));
        ASSERT_TRUE(output->Write(buffer->header));
    }
    // A file consumes at once, on the writer's thread.
    EXPECT_EQ(log.headers.size(), 2u);

    const KWWavContents wav = KWReadWavFile(path);
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.formatTag, 1);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.samplesPerSecond, 8000u);
    EXPECT_EQ(wav.averageBytesPerSecond, 16000u);
    EXPECT_EQ(wav.blockAlign, 2);
    EXPECT_EQ(wav.bitsPerSample, 16);
    EXPECT_EQ(wav.samples, Concat({&a, &b}));
    output.reset();

    // Opening again starts a fresh file.
    output = KWWaveOut::Open(kFormat, nullptr, nullptr);
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(KWReadWavFile(path).valid);
    EXPECT_TRUE(KWReadWavFile(path).samples.empty());
}

TEST(KWWaveOut, WavFileThatCannotBeCreatedFailsTheOpen) {
    KWTempDir dir;
    KWScopedWavOutput wavOutput(dir / "missing/out.wav");
    EXPECT_EQ(KWWaveOut::Open(kFormat, nullptr, nullptr), nullptr);
}

TEST(KWWaveOut, EnvironmentSelectsTheWavFileByDefault) {
    KWTempDir dir;
    const std::string path = dir / "env.wav";
    KWScopedEnvironment environment("QUADVIEW_AUDIO_OUT", path);
    auto output = KWWaveOut::Open(kFormat, nullptr, nullptr);
    ASSERT_NE(output, nullptr);
    Buffer a(7, 3);
    ASSERT_TRUE(output->Prepare(a.header));
    ASSERT_TRUE(output->Write(a.header));
    output.reset();
    EXPECT_EQ(KWReadWavFile(path).samples, a.samples);
}
