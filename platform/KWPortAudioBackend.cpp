#include "KWPortAudioBackend.h"

#include "KWWaveOut.h"

#include <algorithm>
#include <portaudio.h>

namespace {
int StreamCallback(const void*, void* output, unsigned long frameCount,
                   const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* userData) {
    auto* samples = static_cast<std::int16_t*>(output);
    const std::size_t pulled = static_cast<KWWaveOut*>(userData)->Pull(samples, frameCount);
    std::fill(samples + pulled, samples + frameCount, std::int16_t{0});
    return paContinue;
}
} // namespace

KWPortAudioBackend::~KWPortAudioBackend() {
    Stop();
}

bool KWPortAudioBackend::Start(KWWaveOut& output, const KWWaveFormat& format) {
    if (Pa_Initialize() != paNoError)
        return false;
    m_initialised = true;
    PaStream* stream = nullptr;
    if (Pa_GetDefaultOutputDevice() == paNoDevice ||
        Pa_OpenDefaultStream(&stream, 0, format.channels, paInt16, format.samplesPerSecond,
                             paFramesPerBufferUnspecified, StreamCallback, &output) != paNoError) {
        Stop();
        return false;
    }
    m_stream = stream;
    if (Pa_StartStream(stream) != paNoError) {
        Stop();
        return false;
    }
    return true;
}

void KWPortAudioBackend::Stop() {
    if (m_stream) {
        // Aborting returns only after the callback has finished; what is left is silence or
        // buffers the caller has already given up on.
        Pa_AbortStream(m_stream);
        Pa_CloseStream(m_stream);
        m_stream = nullptr;
    }
    if (m_initialised)
        Pa_Terminate();
    m_initialised = false;
}
