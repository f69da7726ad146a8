#pragma once
#include "CKWAudioOutput.h"
#include "KWPortAudioStream.h"

#include <deque>
#include <mutex>

// Sound through the default PortAudio device, fed from a bounded queue by the stream callback.
class CKWPortAudioOutput : public CKWAudioOutput {
public:
    static constexpr int kQueueMilliseconds = 500;

    ~CKWPortAudioOutput() override;
    bool Open(int sampleRate, int channels) override;
    void Close() override;
    void Write(const std::int16_t* samples, int frames) override;
    void Discard() override;

private:
    static void Fill(std::int16_t* output, unsigned long frames, void* self);
    void Play(std::int16_t* output, std::size_t samples);

    KWPortAudioStream m_stream;
    int m_channels = 0;
    std::size_t m_capacity = 0;
    std::mutex m_mutex;
    std::deque<std::int16_t> m_queue;
};
