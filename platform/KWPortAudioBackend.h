#pragma once
#include "KWPortAudioStream.h"
#include "KWWaveOutBackend.h"

// Plays on the default sound device: the stream callback, on the audio library's thread, pulls
// the queued samples and fills any shortfall with silence.
class KWPortAudioBackend : public KWWaveOutBackend {
public:
    KWPortAudioBackend() = default;
    ~KWPortAudioBackend() override;

    bool Start(KWWaveOut& output, const KWWaveFormat& format) override;
    void Stop() override;

private:
    static void Fill(std::int16_t* samples, unsigned long frames, void* output);

    KWPortAudioStream m_stream;
};
