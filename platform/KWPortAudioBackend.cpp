#include "KWPortAudioBackend.h"

#include "KWWaveOut.h"

#include <algorithm>

KWPortAudioBackend::~KWPortAudioBackend() {
    Stop();
}

void KWPortAudioBackend::Fill(std::int16_t* samples, unsigned long frames, void* output) {
    const std::size_t pulled = static_cast<KWWaveOut*>(output)->Pull(samples, frames);
    std::fill(samples + pulled, samples + frames, std::int16_t{0});
}

bool KWPortAudioBackend::Start(KWWaveOut& output, const KWWaveFormat& format) {
    return m_stream.Open(format.channels, static_cast<int>(format.samplesPerSecond),
                         &KWPortAudioBackend::Fill, &output);
}

// What is left when the stream stops is silence or buffers the caller has already given up on.
void KWPortAudioBackend::Stop() {
    m_stream.Close();
}
