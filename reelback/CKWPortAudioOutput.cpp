#include "CKWPortAudioOutput.h"

#include <algorithm>

CKWPortAudioOutput::~CKWPortAudioOutput() {
    Close();
}

bool CKWPortAudioOutput::Open(int sampleRate, int channels) {
    Close();
    m_channels = channels;
    m_capacity = static_cast<std::size_t>(sampleRate) * channels * kQueueMilliseconds / 1000;
    return m_stream.Open(channels, sampleRate, &CKWPortAudioOutput::Fill, this);
}

void CKWPortAudioOutput::Close() {
    m_stream.Close();
    Discard();
}

void CKWPortAudioOutput::Write(const std::int16_t* samples, int frames) {
    if (!m_stream.IsOpen() || frames <= 0) {
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

void CKWPortAudioOutput::Fill(std::int16_t* output, unsigned long frames, void* self) {
    auto* me = static_cast<CKWPortAudioOutput*>(self);
    me->Play(output, frames * static_cast<std::size_t>(me->m_channels));
}

// Plays what is queued and silence for the rest.
void CKWPortAudioOutput::Play(std::int16_t* output, std::size_t samples) {
    std::lock_guard lock(m_mutex);
    const std::size_t available = std::min(samples, m_queue.size());
    std::copy_n(m_queue.begin(), available, output);
    m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(available));
    std::fill(output + available, output + samples, std::int16_t{0});
}
