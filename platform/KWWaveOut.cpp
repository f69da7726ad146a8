#include "KWWaveOut.h"

#include "KWPortAudioBackend.h"
#include "KWWavFileBackend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
std::mutex g_factoryMutex;
KWWaveOutBackendFactory g_factory;

const char* const kOutputFileVariable = "QUADVIEW_AUDIO_OUT";
constexpr std::uint32_t kSampleBytes = sizeof(std::int16_t);

bool IsPlayableFormat(const KWWaveFormat& format) {
    const KWWaveFormat expected = KWWaveFormat::Pcm(1, format.samplesPerSecond, 16);
    return format.formatTag == KWWaveFormat::kPcm && format.samplesPerSecond > 0 &&
           format.channels == expected.channels && format.bitsPerSample == 16 &&
           format.blockAlign == expected.blockAlign &&
           format.averageBytesPerSecond == expected.averageBytesPerSecond;
}
} // namespace

std::unique_ptr<KWWaveOutBackend> KWCreateWaveOutBackend() {
    {
        std::lock_guard lock(g_factoryMutex);
        if (g_factory)
            return g_factory();
    }
    const char* path = std::getenv(kOutputFileVariable);
    if (path && *path)
        return std::make_unique<KWWavFileBackend>(path);
    return std::make_unique<KWPortAudioBackend>();
}

KWWaveOutBackendFactory KWSetWaveOutBackendFactory(KWWaveOutBackendFactory factory) {
    std::lock_guard lock(g_factoryMutex);
    std::swap(g_factory, factory);
    return factory;
}

KWWaveOutBackendFactory KWWavFileBackendFactory(const std::string& path,
                                                std::shared_ptr<KWWavFileReport> report) {
    return [path, report] { return std::make_unique<KWWavFileBackend>(path, report); };
}

std::unique_ptr<KWWaveOut> KWWaveOut::Open(const KWWaveFormat& format, KWWaveDoneCallback callback,
                                           void* callbackData) {
    if (!IsPlayableFormat(format))
        return nullptr;
    std::unique_ptr<KWWaveOutBackend> backend = KWCreateWaveOutBackend();
    if (!backend)
        return nullptr;
    std::unique_ptr<KWWaveOut> output(
        new KWWaveOut(format, callback, callbackData, std::move(backend)));
    if (!output->m_backend->Start(*output, format))
        return nullptr;
    output->m_started = true;
    return output;
}

KWWaveOut::KWWaveOut(const KWWaveFormat& format, KWWaveDoneCallback callback, void* callbackData,
                     std::unique_ptr<KWWaveOutBackend> backend)
    : m_format(format), m_callback(callback), m_callbackData(callbackData),
      m_backend(std::move(backend)) {}

KWWaveOut::~KWWaveOut() {
    if (m_started)
        m_backend->Stop();
    Reset();
}

bool KWWaveOut::Prepare(KWWaveHeader& header) {
    std::lock_guard lock(m_mutex);
    if (header.flags & KWWaveHeader::kInQueue)
        return false;
    header.flags |= KWWaveHeader::kPrepared;
    return true;
}

bool KWWaveOut::Unprepare(KWWaveHeader& header) {
    std::lock_guard lock(m_mutex);
    if (header.flags & KWWaveHeader::kInQueue)
        return false;
    header.flags &= ~KWWaveHeader::kPrepared;
    return true;
}

bool KWWaveOut::Write(KWWaveHeader& header) {
    {
        std::lock_guard lock(m_mutex);
        const std::uint32_t flags = header.flags;
        if (!(flags & KWWaveHeader::kPrepared) || (flags & KWWaveHeader::kInQueue) ||
            header.bytesRecorded > header.bufferLength ||
            (header.bytesRecorded > 0 && header.data == nullptr))
            return false;
        header.flags = (flags & ~KWWaveHeader::kDone) | KWWaveHeader::kInQueue;
        m_queue.push_back(&header);
    }
    m_backend->OnQueued();
    return true;
}

void KWWaveOut::Pause() {
    std::lock_guard lock(m_mutex);
    m_paused = true;
}

void KWWaveOut::Restart() {
    std::lock_guard lock(m_mutex);
    m_paused = false;
}

void KWWaveOut::Reset() {
    std::lock_guard lock(m_mutex);
    while (!m_queue.empty())
        CompleteFront();
}

std::size_t KWWaveOut::Pull(std::int16_t* samples, std::size_t maxSamples) {
    std::lock_guard lock(m_mutex);
    if (m_paused)
        return 0;
    std::size_t copied = 0;
    while (!m_queue.empty()) {
        KWWaveHeader* header = m_queue.front();
        const std::uint32_t total = header->bytesRecorded / kSampleBytes;
        const std::size_t count = std::min<std::size_t>(total - m_frontOffset, maxSamples - copied);
        if (count > 0) {
            std::memcpy(samples + copied, header->data + m_frontOffset, count * kSampleBytes);
            copied += count;
            m_frontOffset += static_cast<std::uint32_t>(count);
        }
        if (m_frontOffset < total)
            break; // the caller's space is full
        CompleteFront();
    }
    return copied;
}

void KWWaveOut::CompleteFront() {
    KWWaveHeader* header = m_queue.front();
    m_queue.pop_front();
    m_frontOffset = 0;
    header->flags = (header->flags & ~KWWaveHeader::kInQueue) | KWWaveHeader::kDone;
    if (m_callback)
        m_callback(header, m_callbackData);
}
