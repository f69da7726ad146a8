#pragma once
#include "CKWAudioOutput.h"

#include <portaudio.h>

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
    static int Callback(const void* input, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo* timing, PaStreamCallbackFlags flags,
                        void* self);
    void Fill(std::int16_t* output, std::size_t samples);

    PaStream* m_stream = nullptr;
    bool m_initialised = false;
    int m_channels = 0;
    std::size_t m_capacity = 0;
    std::mutex m_mutex;
    std::deque<std::int16_t> m_queue;
};
