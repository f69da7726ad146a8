#pragma once
#include "CKWObject.h"
#include "CKWWaveBuffer.h"
#include "CQXAudioSink.h"
#include "KWWaveOut.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class CQXAudioFrame;

// Plays the recorded sound: each audio frame's companded bytes are expanded into 16-bit
// samples, scaled by the volume, and queued on one of two alternating playback buffers of the
// wave output. One producer plays at a time; the owner opens, closes and sets the volume.
class CKWWaveManager : public CKWObject, public CQXAudioSink {
public:
    // The recorder's sound: 8000 samples per second, played as 16-bit samples.
    static constexpr std::uint32_t kSampleRate = 8000;
    static constexpr std::uint16_t kBitsPerSample = 16;
    static constexpr int kBufferCount = 2;
    static constexpr float kInitialGain = 0.5f;
    // Slider positions per unit of gain: position 50 plays at 4.0, position 100 at 8.0.
    static constexpr float kPositionsPerGain = 12.5f;

    CKWWaveManager();
    ~CKWWaveManager() override;

    // Opens the default output for mono PCM; 1 at once when already open, 0 when no output
    // can be opened.
    [[nodiscard]] int Open(std::uint32_t samplesPerSecond, std::uint16_t bitsPerSample);
    // Pauses, returns every queued buffer unplayed and closes the output.
    void Close();
    bool IsOpen() const override { return m_open.load(std::memory_order_acquire); }

    // 1 when the frame was taken (copied, or released while closed), 0 when no playback buffer
    // is free: the caller offers the same frame again later. With swapBytes the frame's byte
    // pairs are exchanged back in place first. A frame longer than one buffer is played in
    // buffer-sized pieces; 0 then means part of it is queued and the rest waits for the retry.
    [[nodiscard]] int Play(CQXAudioFrame& frame, bool swapBytes) override;

    void SetVolume(int position);
    int GetVolumePercent() const;
    // True while a played buffer has not been consumed by the output.
    bool HasQueuedBuffers() const;

private:
    static void OnBufferDone(KWWaveHeader* header, void* callbackData);
    void QueueChunk(const std::uint8_t* bytes, std::uint32_t length);

    CKWWaveBuffer m_buffers[kBufferCount];
    std::unique_ptr<KWWaveOut> m_device;
    KWWaveFormat m_format;
    int m_fillIndex = 0;
    std::atomic<int> m_doneIndex{0};
    std::atomic<float> m_gain{kInitialGain};

    // Play may run on a reader's thread while the owner closes the output.
    mutable std::mutex m_deviceMutex;
    std::atomic<bool> m_open{false};

    // A frame longer than one buffer that is partly queued, and how far.
    const CQXAudioFrame* m_pendingFrame = nullptr;
    std::uint32_t m_pendingOffset = 0;
};
