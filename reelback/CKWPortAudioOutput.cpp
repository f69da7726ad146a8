#include "CKWPortAudioOutput.h"

#include <algorithm>

CKWPortAudioOutput::~CKWPortAudioOutput() {
    Close();
}

bool CKWPortAudioOutput::Open(int sampleRate, int channels) {
    Close();
    if (Pa_Initialize() != paNoError) {
        return false;
    }
    m_initialised = true;
    m_channels = channels;
    m_capacity = static_cast<std::size_t>(sampleRate) * channels * kQueueMilliseconds / 1000;
    PaStream* stream = nullptr;
    if (Pa_OpenDefaultStream(&stream, 0, channels, paInt16, sampleRate,
                             paFramesPerBufferUnspecified, &CKWPortAudioOutput::Callback,
                             this) != paNoError) {
        Close();
        return false;
    }
    m_stream = stream;
    if (Pa_StartStream(stream) != paNoError) {
        Close();
        return false;
    }
    return true;
}

void CKWPortAudioOutput::Close() {
    if (m_stream != nullptr) {
        Pa_StopStream(m_stream);
        Pa_CloseStream(m_stream);
        m_stream = nullptr;
    }
    if (m_initialised) {
        Pa_Terminate();
        m_initialised = false;
    }
    Discard();
}

void CKWPortAudioOutput::Write(const std::int16_t* samples, int frames) {
    if (m_stream == nullptr || frames <= 0) {
        return;
    }
    std::lock_guard lock(m_mutex);
    const std::size_t count = static_cast<std::size_t>(frames) * m_channels;
    const std::size_t room = m_capacity > m_queue.size() ? m_capacity - m_queue.size() : 0;
    m_queue.insert(m_queue.end(), samples, samples + std::min(count, room));
}

void CKWPortAudioOutput::Discard() {
    std::lock_guard lock(m_mutex);
    m_queue.clear();
}

int CKWPortAudioOutput::Callback(const void*, void* output, unsigned long frames,
                                 const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags,
                                 void* self) {
    auto* me = static_cast<CKWPortAudioOutput*>(self);
    me->Fill(static_cast<std::int16_t*>(output), frames * me->m_channels);
    return paContinue;
}

// Plays what is queued and silence for the rest.
void CKWPortAudioOutput::Fill(std::int16_t* output, std::size_t samples) {
    std::lock_guard lock(m_mutex);
    const std::size_t available = std::min(samples, m_queue.size());
    std::copy_n(m_queue.begin(), available, output);
    m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(available));
    std::fill(output + available, output + samples, std::int16_t{0});
}
